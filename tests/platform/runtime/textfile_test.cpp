#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

#include "platform/runtime/textfile.h"
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
    EXPECT_FALSE(in.isOpen());
}

}  // namespace
