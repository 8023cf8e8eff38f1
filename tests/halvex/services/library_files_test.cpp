// The library's own text files: damaged ones are reported naming the file,
// any line end and a byte-order mark read, and a failed save keeps the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/setting_class.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/settings.h"
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
    double f = 0;
    halvex::CompressFlagTypes flag = halvex::NoCompressedFlag;
    std::vector<std::int32_t> colors(36), styles(36);
    std::vector<float> widths(36), ordinates(21);
    std::string decimalComma;
    for (int k = 0; k < 35; ++k) decimalComma += "1,1,0,5\r\n";
    const std::tuple<const char*, std::string, std::function<void()>> cases[] = {
        {"lineform.gra", decimalComma, [&] { halvex::SettingClass().ReadLineSetting(colors, styles, widths); }},
        {"ordinate.gra", "garbage\r\n", [&] { halvex::SettingClass().ReadOrdinateSetting(ordinates); }},
        {"Units", "fifo", [&] { valmor.ReadUnits(s1, f, s2, f, s3, f, s4, f, s5); }},
        {"STEU", "/data\r\nfour\r\n", [&] { valmor.DataDirectory(s1, s2, flag); }},
        {"Firma", "fifo", [&] { valmor.ReadFirma(s1, s2); }},
    };
    std::string lineKind;  // the kind of file the line settings' message names
    for (const auto& [name, content, read] : cases) {
        SCOPED_TRACE(name);
        const std::string path = folder.path(name);
        if (content == "fifo") ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);  // refused, never waited on
        else folder.write(name, content);
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        read();
        ASSERT_EQ(box->boxes().size(), 1u);
        EXPECT_NE(box->boxes()[0].prompt.find(path), std::string::npos) << box->boxes()[0].prompt;
        if (lineKind.empty()) lineKind = box->boxes()[0].prompt.substr(box->boxes()[0].prompt.rfind('('));
        std::filesystem::remove(path);
    }
    EXPECT_EQ(widths[1], 0.5f) << "a refused file gives the defaults";
    // A user's copy that is no regular file is reported too, not passed over.
    const std::string userCopy = forms::userSettingsFolder() + "/lineform.gra";
    std::filesystem::create_directories(userCopy);
    {
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        halvex::SettingClass().ReadLineSetting(colors, styles, widths);
        ASSERT_EQ(box->boxes().size(), 1u);
        EXPECT_NE(box->boxes()[0].prompt.find(userCopy), std::string::npos) << box->boxes()[0].prompt;
        EXPECT_NE(box->boxes()[0].prompt.find(lineKind), std::string::npos) << box->boxes()[0].prompt;
    }
    std::filesystem::remove(userCopy);

    // CR line ends and a byte-order mark (the reader's own test has the rest).
    folder.write("Units", "\xEF\xBB\xBF[m]\r1\r[cm]\r100\r[kN]\r1\r[MN]\r0.001\r[x]\r");
    forms::ScopedMsgBox box;
    valmor.ReadUnits(s1, f, s2, f, s3, f, s4, f, s5);
    EXPECT_TRUE(s1 == text(28) && s2 == text(40) && s4 == text(61) && s5 == "[x]" && f == 0.001);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(LibraryFilesTest, AFailedHeaderSaveKeepsTheOldFileAndSaysWhich)
{
    const std::string old = "Old 1\r\nOld 2\r\n" + std::string(68, '-') + "\r\n";
    const std::string user = forms::userSettingsFolder() + "/Firma";
    std::filesystem::create_directories(forms::userSettingsFolder());
    std::ofstream(user, std::ios::binary) << old;
    std::filesystem::create_directory(user + ".tmp");  // the save cannot go through
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    forms::ScopedModalDriver driver([](forms::Form& form) {
        forms::editText(form.control("txtFirma1"), "New 1");
        forms::click(form.control("cmdSave"));
    });
    std::string line1, line2;
    EXPECT_TRUE(valmor.ShowFirma(line1, line2));
    EXPECT_FALSE(valmor.chooseControl());
    std::ifstream in(user, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(user), std::string::npos);
    std::filesystem::remove(user + ".tmp");
    std::filesystem::remove(user);
}

}  // namespace
