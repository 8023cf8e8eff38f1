#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <cerrno>
#include <sys/stat.h>

#include "platform/runtime/textfile.h"
#include "platform/runtime/write_faults.h"
#include "temp_folder.h"

namespace {

using rt::Variant;

class TextFiles : public ::testing::Test {
protected:
    rt::TextReader readerOf(const std::string& bytes) {
        rt::TextReader reader;
        reader.open(folder.write("data.txt", bytes));
        return reader;
    }
    TempFolder folder;
};

TEST_F(TextFiles, WriteStatementLines) {
    rt::TextWriter writer;
    writer.open(folder.path("out.PL8"), rt::TextWriter::Mode::Output);
    writer.printLine("Version 9");
    writer.writeValues(std::int16_t{3}, 70000, 0.5f, -1.5e-05f, 0.1, true, false, "Linear  ");
    writer.writeValues({Variant(std::int16_t{1}), Variant(), Variant(std::int16_t{2})});
    writer.writeValues();
    writer.close();
    const std::string expected =
        "Version 9\r\n"
        "3,70000,0.5,-1.5E-05,0.1,#TRUE#,#FALSE#,\"Linear  \"\r\n"
        "1,,2\r\n"
        "\r\n";
    EXPECT_EQ(folder.read("out.PL8"), expected);

    writer.open(folder.path("out.PL8"), rt::TextWriter::Mode::Append);
    writer.writeValues(1e38f);
    writer.close();
    EXPECT_EQ(folder.read("out.PL8"), expected + "1E+38\r\n");
}

TEST_F(TextFiles, WriterRefusesValuesItCouldNotReadBack) {
    rt::TextWriter writer;
    writer.open(folder.path("out.txt"), rt::TextWriter::Mode::Output);
    writer.writeValues(1);
    EXPECT_EQ(errorNumberOf([&] { writer.writeValues(2, "say \"hi\""); }), 5);
    EXPECT_EQ(errorNumberOf([&] { writer.writeValues({Variant(rt::VArray())}); }), 13);
    EXPECT_EQ(errorNumberOf([&] { writer.writeValues(std::numeric_limits<float>::infinity()); }), 6);
    writer.close();
    EXPECT_EQ(folder.read("out.txt"), "1\r\n");  // nothing of the refused lines
    writer.close();                              // closing twice is harmless

    EXPECT_EQ(errorNumberOf([&] {
                  writer.open(folder.path("no/such/folder.txt"), rt::TextWriter::Mode::Output);
              }),
              76);
}

TEST_F(TextFiles, FreeFormInputWithBothLineEnds) {
    for (const std::string eol : {"\r\n", "\n"}) {
        rt::TextReader in = readerOf("Version 9" + eol + " 12 , -1.5E-05,\t.5" + eol +
                                     "\"a, \"\"b\" junk ,#TRUE#,#false#" + eol + "1e+38" + eol);
        EXPECT_EQ(in.readLine(), "Version 9");
        EXPECT_EQ(in.readInteger(), 12);
        EXPECT_EQ(in.readSingle(), -1.5e-05f);
        EXPECT_EQ(in.readDouble(), 0.5);
        EXPECT_EQ(in.readString(), "a, ");  // a quoted string ends at its closing quote
        EXPECT_TRUE(in.readBool());
        EXPECT_FALSE(in.readBool());
        EXPECT_EQ(in.readSingle(), 1e38f);
        EXPECT_TRUE(in.eof());
        EXPECT_EQ(errorNumberOf([&] { in.readInteger(); }), 62);
        EXPECT_EQ(errorNumberOf([&] { in.readLine(); }), 62);
    }
}

TEST_F(TextFiles, EmptyFieldsAndCutOffValues) {
    rt::TextReader in = readerOf("1,,3\r\n\r\n,\r\n  name with blanks  \r\n7");
    EXPECT_EQ(in.readLong(), 1);
    EXPECT_EQ(in.readInteger(), 0);
    EXPECT_EQ(in.readInteger(), 3);
    EXPECT_EQ(in.readString(), "");  // a blank line is an empty field
    EXPECT_TRUE(in.readVariant().isEmpty());
    EXPECT_FALSE(in.readBool());
    EXPECT_EQ(in.readString(), "name with blanks");
    EXPECT_FALSE(in.eof());
    EXPECT_EQ(in.readInteger(), 7);  // the last value has no line end
    EXPECT_TRUE(in.eof());
    EXPECT_EQ(errorNumberOf([&] { in.readString(); }), 62);

    rt::TextReader line = readerOf("last line without end");
    EXPECT_EQ(line.readLine(), "last line without end");
    EXPECT_TRUE(line.eof());
}

TEST_F(TextFiles, NumbersThatDoNotFit) {
    rt::TextReader in = readerOf("abc\n32767.5\n2.5\n1E+39\n\"12\"\n40000\n");
    EXPECT_EQ(errorNumberOf([&] { in.readInteger(); }), 13);
    EXPECT_EQ(errorNumberOf([&] { in.readInteger(); }), 6);
    EXPECT_EQ(in.readInteger(), 2);  // half to even
    EXPECT_EQ(errorNumberOf([&] { in.readSingle(); }), 6);
    EXPECT_EQ(in.readInteger(), 12);  // a quoted number still reads as a number
    EXPECT_EQ(in.readVariant(), Variant(40000));
}

TEST_F(TextFiles, VariantsTakeTheKindOfTheirText) {
    rt::TextReader in = readerOf("1,-70000,1.5,\"2\",#TRUE#,F,");
    EXPECT_EQ(in.readVariant(), Variant(std::int16_t{1}));
    EXPECT_EQ(in.readVariant(), Variant(-70000));
    EXPECT_EQ(in.readVariant(), Variant(1.5));
    EXPECT_EQ(in.readVariant(), Variant("2"));
    EXPECT_EQ(in.readVariant(), Variant(true));
    EXPECT_EQ(in.readVariant(), Variant("F"));
    EXPECT_TRUE(in.eof());
}

TEST_F(TextFiles, SinglesAndBytesSurviveWriteAndRead) {
    const std::vector<float> values = {std::numeric_limits<float>::max(),
                                       std::numeric_limits<float>::denorm_min(), -0.0f, 0.1f,
                                       12345678.0f, -3.4e-5f};
    const std::string latin = "\xC4rger \xB0 \x80";  // Windows-1252 bytes stay as they are
    rt::TextWriter writer;
    writer.open(folder.path("round.txt"), rt::TextWriter::Mode::Output);
    for (float f : values) writer.writeValues(f, std::int16_t{-32768});
    writer.writeValues(latin);
    writer.printLine(latin);
    writer.close();

    rt::TextReader in;
    in.open(folder.path("round.txt"));
    for (float f : values) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(in.readSingle()), std::bit_cast<std::uint32_t>(f));
        EXPECT_EQ(in.readInteger(), -32768);
    }
    EXPECT_EQ(in.readString(), latin);
    EXPECT_EQ(in.readLine(), latin);
    EXPECT_TRUE(in.eof());
}

TEST_F(TextFiles, OpenErrors) {
    rt::TextReader in;
    EXPECT_EQ(errorNumberOf([&] { in.open(folder.path("missing.txt")); }), 53);
    EXPECT_EQ(errorNumberOf([&] { in.open(folder.path("no/missing.txt")); }), 76);
    EXPECT_EQ(errorNumberOf([&] { in.open(folder.dir()); }), 75);
    ASSERT_EQ(::mkfifo(folder.path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(errorNumberOf([&] { in.open(folder.path("pipe")); }), 75) << "refused, not waited on";
    EXPECT_FALSE(in.isOpen());
}

TEST_F(TextFiles, AnyLineEndAMarkAndDoubledQuotesWhereAsked) {
    const auto doubled = rt::TextReader::QuoteRule::DoubledQuoteIsQuote;
    rt::TextReader in = readerOf("\xEF\xBB\xBF" "a\r\"x\"\"y\",\"\"\"Q\"\r\n\"bare\n\"p\"\"q\"\r");
    EXPECT_EQ(in.readLine(), "a");
    EXPECT_EQ(in.readString(doubled), "x\"y");
    EXPECT_EQ(in.readString(doubled), "\"Q");
    EXPECT_EQ(in.readString(doubled), "\"bare") << "no closing quote on its line: taken as it stands";
    EXPECT_EQ(in.readString(), "p") << "the plain rule ends at the quote";
    EXPECT_TRUE(in.eof());
}

}  // namespace

namespace {

// Files of one count followed by count lines of `perLine` values, with a
// random damage: an extra value on a line (a decimal comma), a line left
// out, or nothing. The checks refuse exactly the damaged ones; a count the
// rest of the file cannot hold is refused before anything is read.
TEST_F(TextFiles, ReaderChecksRefuseExactlyTheFilesOutOfStep) {
    std::mt19937 random(16);
    for (int round = 0; round < 300; ++round) {
        const int count = std::uniform_int_distribution<int>(0, 12)(random);
        const int perLine = std::uniform_int_distribution<int>(1, 4)(random);
        const int damage = std::uniform_int_distribution<int>(0, 2)(random);
        const int damagedLine = count == 0 ? -1 : std::uniform_int_distribution<int>(0, count - 1)(random);
        std::string text = std::to_string(count) + "\r\n";
        for (int line = 0; line < count; ++line) {
            if (damage == 2 && line == damagedLine) continue;
            for (int v = 0; v < perLine; ++v) text += (v ? "," : "") + std::to_string(line * 10 + v) + ".5";
            if (damage == 1 && line == damagedLine) text += ",25";
            text += "\r\n";
        }
        // Trailing blank lines are allowed; a blank line reads as an empty
        // value, so they would stand in for a line left out.
        if (damage != 2) text += std::string(static_cast<std::size_t>(round % 3), '\n');
        SCOPED_TRACE(text);
        const bool damaged = damage != 0 && count > 0;
        rt::TextReader in = readerOf(text);
        const int read = in.readInteger();
        const int number = errorNumberOf([&] {
            rt::requireRoomFor(in, read, perLine);
            for (int k = 0; k < read * perLine; ++k) in.readSingle();
            rt::requireFileEnd(in);
        });
        EXPECT_EQ(number != 0, damaged);
        if (damaged) {
            EXPECT_TRUE(number == 13 || number == 62) << number;
        }
    }
    // A huge count in a short file: refused before a value is read.
    rt::TextReader in = readerOf("13050,13050,,,\r\n");
    const int count = in.readInteger();
    EXPECT_EQ(errorNumberOf([&] { rt::requireRoomFor(in, count, 8); }), 62);
    EXPECT_EQ(in.remainingBytes(), 10u);
}

TEST_F(TextFiles, CoordinatesAreFiniteAndLinesEndWithTheirValues) {
    rt::TextReader in = readerOf("1.5,-2\r\n3,4,5\r\n1E+39\r\n");
    EXPECT_EQ(rt::readCoordinate(in), 1.5f);
    EXPECT_EQ(rt::readCoordinate(in), -2.0f);
    EXPECT_EQ(errorNumberOf([&] { rt::requireLineEnd(in); }), 0);
    in.readInteger();
    in.readInteger();
    EXPECT_EQ(errorNumberOf([&] { rt::requireLineEnd(in); }), 13);
    in.readInteger();
    EXPECT_EQ(errorNumberOf([&] { rt::readCoordinate(in); }), 6);
}

// An injected fault fails the write as the system's error would, and
// names no other file.
TEST_F(TextFiles, WriteFaultsFailTheWritesOfTheirFileOnly) {
    bool armed = false;
    rt::setWriteFaultHook([&armed](const std::string& path) {
        return armed && path.find("full") != std::string::npos ? ENOSPC : 0;
    });
    rt::TextWriter writer;
    writer.open(folder.path("full.txt"), rt::TextWriter::Mode::Output);
    armed = true;
    EXPECT_EQ(errorNumberOf([&] { writer.writeValues(1); }), 61);
    writer.close();
    rt::TextWriter again;
    EXPECT_EQ(errorNumberOf([&] { again.open(folder.path("full.txt"), rt::TextWriter::Mode::Output); }), 61);
    rt::TextWriter other;
    other.open(folder.path("fine.txt"), rt::TextWriter::Mode::Output);
    EXPECT_EQ(errorNumberOf([&] { other.writeValues(1); }), 0);
    other.close();
    rt::setWriteFaultHook(nullptr);
}

}  // namespace
