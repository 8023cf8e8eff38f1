// The library's own text files: damaged ones are reported naming the file,
// any line end and a byte-order mark read, and a failed save keeps the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/setting_class.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/temp_folder.h"

namespace {

std::string text(std::int32_t number) { return halvex::textLib().GetText(rt::Variant(number)); }

class LibraryFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        halvex::libraryFileChannel().reset();
        halvex::libraryState().ApplicationPath = folder.dir();
        halvex::libraryState().ProgramKind = 2;
    }
    void TearDown() override { EXPECT_FALSE(halvex::libraryFileChannel().isOpen()); }

    TempFolder folder;
    halvex::ClsValmor valmor;
};

TEST_F(LibraryFilesTest, EveryDamagedFileIsReportedByItsName)
{
    std::string s1, s2, s3, s4, s5;
    double f1 = 0, f2 = 0, f3 = 0, f4 = 0;
    auto readUnits = [&] { valmor.ReadUnits(s1, f1, s2, f2, s3, f3, s4, f4, s5); };
    auto readControl = [&] {
        halvex::CompressFlagTypes flag = halvex::NoCompressedFlag;
        valmor.DataDirectory(s1, s2, flag);
    };
    auto readFirma = [&] { valmor.ReadFirma(s1, s2); };
    std::vector<std::int32_t> colors(36), styles(36);
    std::vector<float> widths(36), ordinates(21);
    auto readLines = [&] { halvex::SettingClass().ReadLineSetting(colors, styles, widths); };
    auto readOrdinates = [&] { halvex::SettingClass().ReadOrdinateSetting(ordinates); };
    enum Kind { Text, Fifo, Folder };
    struct Case {
        const char* name;
        Kind kind;
        std::string content;
        std::function<void()> read;
    };
    std::string decimalComma;
    for (int k = 0; k < 35; ++k) decimalComma += "1,1,0,5\r\n";
    const Case cases[] = {
        {"lineform.gra", Text, decimalComma, readLines},
        {"ordinate.gra", Text, "garbage\r\n", readOrdinates},
        {"lineform.gra", Folder, "", readLines},
        {"Units", Text, "[m],1,[cm],x", readUnits},
        {"Units", Fifo, "", readUnits},
        {"STEU", Text, "/data\r\nfour\r\n", readControl},
        {"Firma", Fifo, "", readFirma},
        {"Firma", Text, "one line", readFirma},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.content);
        const std::string path = folder.path(c.name);
        std::filesystem::remove_all(path);
        if (c.kind == Text) folder.write(c.name, c.content);
        if (c.kind == Fifo) ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        if (c.kind == Folder) std::filesystem::create_directory(path);
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        c.read();
        ASSERT_EQ(box->boxes().size(), 1u);
        EXPECT_NE(box->boxes()[0].prompt.find(path), std::string::npos) << box->boxes()[0].prompt;
        std::filesystem::remove_all(path);
    }
    EXPECT_EQ(widths[1], 0.5f) << "a refused file gives the defaults";
}

TEST_F(LibraryFilesTest, AnyLineEndAndAByteOrderMarkRead)
{
    const std::string bom = "\xEF\xBB\xBF";
    folder.write("Units", bom + "[m]\r1\r[cm]\r100\r[kN]\r1\r[MN]\r0.001\r[\xC2\xB0" "C]\r");
    folder.write("STEU", bom + "/data/projects\r4\r");
    folder.write("Firma", bom + "First\rSecond\r---\r");
    forms::ScopedMsgBox box;
    std::string s1, s2, s3, s4, s5;
    double f1 = 0, f2 = 0, f3 = 0, f4 = 0;
    valmor.ReadUnits(s1, f1, s2, f2, s3, f3, s4, f4, s5);
    EXPECT_TRUE(s1 == text(28) && s2 == text(40) && s3 == text(29) && s4 == text(61) && s5 == text(33));
    EXPECT_EQ(f4, 0.001);
    std::string progr, data;
    halvex::CompressFlagTypes flag = halvex::NoCompressedFlag;
    valmor.DataDirectory(progr, data, flag);
    EXPECT_EQ(data, "/data/projects");
    EXPECT_EQ(static_cast<int>(flag), 4);
    valmor.ReadFirma(s1, s2);
    EXPECT_TRUE(s1 == "First" && s2 == "Second");
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(LibraryFilesTest, AFailedHeaderSaveKeepsTheOldFileAndSaysWhich)
{
    const std::string old = "Old 1\r\nOld 2\r\n" + std::string(68, '-') + "\r\n";
    folder.write("Firma", old);
    std::filesystem::create_directory(folder.path("Firma.tmp"));  // the save cannot go through
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    forms::ScopedModalDriver driver([](forms::Form& form) {
        forms::editText(form.control("txtFirma1"), "New 1");
        forms::click(form.control("cmdSave"));
    });
    std::string line1, line2;
    EXPECT_TRUE(valmor.ShowFirma(line1, line2));
    EXPECT_FALSE(valmor.chooseControl());
    EXPECT_EQ(folder.read("Firma"), old);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(folder.path("Firma")), std::string::npos);
}

}  // namespace
