// The graphic settings: their files, SettingClass's Show members around the
// five dialogs, and the dialogs' own rules, driven headless.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/setting_class.h"
#include "halvex/settings/settings_files.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/scripted_dialogs.h"

using namespace halvex;
using forms::Form;
using quillon::TextNo;

namespace {

std::string text(std::int32_t n) { return textLib().GetText(rt::Variant(n)); }

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetLibraryState();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() / ("halvex_settings_" + std::string(info->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        libraryState().ApplicationPath = folder_.string();
        libraryState().DecimalSystem = SystemPoint;
        libraryState().ProgramKind = 2;
        previousDialogs_ = forms::setCommonDialogs(std::make_shared<forms::ScriptedCommonDialogs>());
    }
    void TearDown() override
    {
        forms::setCommonDialogs(previousDialogs_);
        std::filesystem::remove_all(folder_);
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    void write(const std::string& name, const std::string& content) const { std::ofstream(path(name), std::ios::binary) << content; }
    std::string read(const std::string& name) const
    {
        std::stringstream s;
        s << std::ifstream(path(name), std::ios::binary).rdbuf();
        return s.str();
    }

    std::filesystem::path folder_;
    std::shared_ptr<forms::CommonDialogs> previousDialogs_;
};

std::string repeated(const std::string& line, int n)
{
    std::string all;
    for (int i = 0; i < n; ++i) all += line;
    return all;
}

// ---- files ----

TEST_F(SettingsTest, RecordsReadFromOneLineOrSeveral)
{
    SettingClass settings;
    for (const std::string& record : {std::string("1,1,0.5\r\n"), std::string("1\r\n1\n0.5\r\n")}) {
        write("lineform.gra", repeated(record, 35) + "7,7,7\r\n");  // records past N are ignored
        std::vector<std::int32_t> colors(36, 9), styles(36, 9);
        std::vector<float> widths(36, 9.0f);
        forms::ScopedMsgBox box;
        settings.ReadLineSetting(colors, styles, widths);
        EXPECT_TRUE(box->boxes().empty());
        EXPECT_EQ(colors, styles);
        EXPECT_EQ(std::vector<std::int32_t>(colors.begin() + 1, colors.end()), std::vector<std::int32_t>(35, 1));
        EXPECT_EQ(std::vector<float>(widths.begin() + 1, widths.end()), std::vector<float>(35, 0.5f));
    }
}

TEST_F(SettingsTest, AShortFileIsReportedAndGivesTheDefaults)
{
    write("ordinate.gra", "1\r\n1\r\n");
    std::vector<float> ordinates(21, 0.0f);
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    SettingClass().ReadOrdinateSetting(ordinates);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(text(TextNo(140000)).substr(0, 10)), std::string::npos);
    EXPECT_FLOAT_EQ(ordinates[1], 10.0f);
    EXPECT_FLOAT_EQ(ordinates[2], 2.0f);
    EXPECT_FLOAT_EQ(ordinates[10], 3.0f);
}

TEST_F(SettingsTest, FontNamesRoundTripAndPlainFilesStayAsTheyWere)
{
    libraryState().ProgramKind = 1;
    std::vector<std::string> faces = {"", "Foo, Bar"};
    std::vector<float> sizes = {0, 9.5f};
    std::vector<std::int32_t> escapements = {0, 900}, weights = {0, 700}, colors = {0, 255};
    std::vector<bool> italic = {false, true}, underline = {false, false}, strike = {false, true};
    // Saved through the dialog; read back.
    forms::ScopedModalDriver driver([](Form& form) { forms::click(form.control("cmdSave")), forms::click(form.control("cmdOK")); });
    SettingClass settings;
    settings.ShowFontSetting(faces, sizes, escapements, weights, italic, underline, strike, colors);
    EXPECT_EQ(read("font.dat"), "\"Foo, Bar\"\r\n9.5\r\n900,700,255\r\n#TRUE#,#FALSE#,#TRUE#\r\n");
    std::vector<std::string> readFaces(2);
    std::vector<float> readSizes(2);
    std::vector<std::int32_t> e(2), w(2), c(2);
    std::vector<bool> i(2), u(2), s(2);
    settings.ReadFontSetting(readFaces, readSizes, e, w, i, u, s, c);
    EXPECT_EQ(readFaces[1], "Foo, Bar");
    EXPECT_FLOAT_EQ(readSizes[1], 9.5f);
    EXPECT_TRUE(s[1]);

    faces[1] = "Arial";
    settings.ShowFontSetting(faces, sizes, escapements, weights, italic, underline, strike, colors);
    EXPECT_EQ(read("font.dat"), "Arial\r\n9.5\r\n900,700,255\r\n#TRUE#,#FALSE#,#TRUE#\r\n");
    EXPECT_EQ(FontNameField(" Lead"), "\" Lead\"");
    EXPECT_EQ(FontNameField("Sans Serif"), "Sans Serif");
}

TEST_F(SettingsTest, PaintDefaultsAndDisplaySave)
{
    libraryState().ProgramKind = 1;
    std::vector<std::int32_t> paint(82, -1);
    SettingClass settings;
    settings.ReadPaintSetting(paint);
    EXPECT_TRUE(paint[24] == 0xFF00FF && paint[25] == 0x00FFFF && paint[1] == 0x0000FF);
    std::vector<std::int32_t> short40(41, -1);
    settings.ReadPaintSetting(short40);
    EXPECT_EQ(short40[40], PaletteColor(1));

    std::vector<bool> flags(8, false);
    forms::ScopedModalDriver driver([](Form& form) {
        forms::setValue(form.control("ChkSelectAll"), forms::vbChecked);
        forms::click(form.control("cmdSave"));
        forms::click(form.control("CmdCancel"));
    });
    settings.ShowDisplayVal(flags);
    EXPECT_EQ(read("nodispla.dat"), repeated("#TRUE#\r\n", 7));
    EXPECT_EQ(flags, std::vector<bool>(8, false)) << "Cancel: the host's values stay";
}

// ---- Show ----

TEST_F(SettingsTest, ShowListsTheNamesAndCopiesBackOnlyOnOk)
{
    std::vector<float> ordinates(21, 2.0f);
    std::vector<std::string> listed;
    bool ok = true;
    forms::ScopedModalDriver driver([&](Form& form) {
        forms::Control& list = form.control("CboOrdinate");
        listed.clear();
        for (std::int16_t i = 0; i < list.ListCount(); ++i) listed.push_back(list.List(i));
        forms::editText(form.control("txtOrdinate"), "7.5");
        forms::click(form.control(ok ? "cmdOK" : "CmdCancel"));
    });
    SettingClass settings;
    settings.ShowOrdinateSetting(ordinates);
    ASSERT_EQ(listed.size(), 20u);
    EXPECT_EQ(listed[0], text(TextNo(140080)));
    EXPECT_FLOAT_EQ(ordinates[1], 7.5f);
    ok = false;
    ordinates[1] = 1.0f;
    settings.ShowOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[1], 1.0f);
}

TEST_F(SettingsTest, AShortPaintArrayOpensAndAWideStyleIsRefused)
{
    libraryState().ProgramKind = 1;
    std::vector<std::int32_t> paint(31, 5);
    std::vector<std::string> listed;
    forms::ScopedMsgBox box;
    {
        forms::ScopedModalDriver driver([&](Form& form) {
            forms::Control& list = form.control("Cbocolor");
            for (std::int16_t i = 0; i < list.ListCount(); ++i) listed.push_back(list.List(i));
            forms::click(form.control("CmdCancel"));
        });
        SettingClass().ShowPaintSetting(paint);
    }
    ASSERT_EQ(listed.size(), 30u);
    EXPECT_EQ(listed[25], text(TextNo(140061)) + "1");
    EXPECT_EQ(listed[29], text(TextNo(140061)) + "5");
    EXPECT_EQ(paint, std::vector<std::int32_t>(31, 5));
    EXPECT_TRUE(box->boxes().empty());

    std::vector<std::int32_t> colors(36, 3), styles(36, 2);
    std::vector<float> widths(36, 0.7f);
    styles[4] = 40000;
    box->answer(forms::vbOK);
    forms::ScopedModalDriver none([](Form&) { ADD_FAILURE() << "no dialog opens"; });
    SettingClass().ShowLineSetting(colors, styles, widths);
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(styles[4], 40000);
    EXPECT_EQ(colors, std::vector<std::int32_t>(36, 3));
}

TEST_F(SettingsTest, ABlockedSaveKeepsTheOldFileAndTheDialog)
{
    write("ordinate.gra", repeated("4\r\n", 20));
    std::filesystem::create_directory(path("ordinate.gra.tmp"));
    std::vector<float> ordinates(21, 1.0f);
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    forms::ScopedModalDriver driver([&](Form& form) {
        forms::click(form.control("cmdSave"));
        EXPECT_TRUE(form.Visible()) << "the dialog stays open";
        EXPECT_FALSE(libraryState().DialogConfirmed);
        forms::click(form.control("CmdCancel"));
    });
    SettingClass().ShowOrdinateSetting(ordinates);
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(read("ordinate.gra"), repeated("4\r\n", 20));
    EXPECT_TRUE(std::filesystem::is_directory(path("ordinate.gra.tmp")));
}

TEST_F(SettingsTest, TheFontSaveConfirmsEvenWhenClosedAndEqualNamesAreToldApart)
{
    std::vector<std::string> faces(6, "Serif");
    std::vector<float> sizes(6, 8.0f);
    std::vector<std::int32_t> esc(6, 0), weights(6, 400), colors(6, 0);
    std::vector<bool> italic(6, false), underline(6, false), strike(6, false);
    forms::ScopedModalDriver driver([](Form& form) {
        forms::editText(form.control("txtFont"), "11");
        forms::click(form.control("cmdSave"));
        forms::closeWindow(form);
    });
    SettingClass().ShowFontSetting(faces, sizes, esc, weights, italic, underline, strike, colors);
    EXPECT_FLOAT_EQ(sizes[1], 11.0f) << "Save, then the close box: taken over";

    // Kind 5 has no names: entry 3 edits item 3, not the first empty name.
    libraryState().ProgramKind = 5;
    std::vector<float> ordinates(6, 1.0f);
    forms::ScopedModalDriver byEntry([](Form& form) {
        forms::selectItem(form.control("CboOrdinate"), 2);
        forms::editText(form.control("txtOrdinate"), "9");
        forms::click(form.control("cmdOK"));
    });
    SettingClass().ShowOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[3], 9.0f);
    EXPECT_FLOAT_EQ(ordinates[1], 1.0f);
}

// ---- dialog rules ----

TEST_F(SettingsTest, TheLineDialogsPalettesAndWidthSteps)
{
    std::vector<std::int32_t> colors(36, 15), styles(36, 1);
    std::vector<float> widths(36, 0.10f);
    forms::ScopedMsgBox box;
    forms::ScopedModalDriver driver([](Form& form) {
        forms::Control& palette = form.control("PicColor");
        forms::Control& marker = form.control("ShpLine", 15);
        const std::int32_t markerTop = marker.Top();
        forms::mouseMove(palette, 0, 0, 370, 130);  // the gap between two swatches
        forms::click(palette);
        EXPECT_EQ(marker.Top(), markerTop) << "colour 15 keeps the marker where it was";
        forms::Control& swatch4 = form.control("ShpLine", 4);
        forms::mouseMove(palette, 0, 0, static_cast<float>(swatch4.Left()), static_cast<float>(swatch4.Top() + swatch4.Height()));
        forms::click(palette);
        EXPECT_EQ(form.control("PicLineColor").BackColor(), forms::RGB(128, 0, 0));
        EXPECT_EQ(marker.Top(), swatch4.Top() - 60);
        forms::mouseMove(form.control("PicStyle"), 0, 0, 5000, 600 + 127.5f);
        forms::click(form.control("PicStyle"));
        EXPECT_EQ(form.control("LinStyle").BorderStyle(), 2);

        forms::Control& width = form.control("TxtLinewidth");
        forms::spinDown(form.control("UpDnlinewidth"));
        EXPECT_EQ(width.Text(), "0.1") << "down from 0.10 stays";
        forms::editText(width, "0.15");
        forms::spinDown(form.control("UpDnlinewidth"));
        EXPECT_EQ(width.Text(), "0.05");
        forms::editText(width, "");
        forms::spinUp(form.control("UpDnlinewidth"));
        EXPECT_EQ(width.Text(), "0.10");
        forms::click(form.control("cmdOK"));
    });
    SettingClass().ShowLineSetting(colors, styles, widths);
    EXPECT_TRUE(colors[1] == 4 && styles[1] == 2 && colors[2] == 15);
    EXPECT_FLOAT_EQ(widths[1], 0.1f);
}

TEST_F(SettingsTest, OrdinateStepsAndARefusedEntry)
{
    std::vector<float> ordinates(21, 1.5f);
    forms::ScopedMsgBox box;
    for (int i = 0; i < 6; ++i) box->answer(forms::vbOK);
    forms::ScopedModalDriver driver([](Form& form) {
        forms::Control& value = form.control("txtOrdinate");
        forms::spinDown(form.control("UpDnOrdinate"));
        EXPECT_EQ(value.Text(), "0.5");
        forms::editText(value, "-3");
        forms::pressKey(value, forms::vbKeyReturn);  // stored unchecked; leaving the box checks it
        forms::click(form.control("cmdOK"));
        EXPECT_TRUE(form.Visible()) << "OK refuses -3";
        forms::editText(value, "3");
        forms::click(form.control("cmdOK"));
    });
    SettingClass().ShowOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[1], 3.0f);
    // Leaving the box and OK each checked -3 and told the user.
    EXPECT_GE(box->boxes().size(), 2u);
}

TEST_F(SettingsTest, SelectAllFollowsTheListAndTheListFollowsIt)
{
    std::vector<bool> flags(19, true);
    forms::ScopedModalDriver driver([](Form& form) {
        forms::Control& all = form.control("ChkSelectAll");
        forms::Control& list = form.control("LstGroup");
        EXPECT_EQ(all.Value(), forms::vbChecked);
        forms::checkItem(list, 3, false);
        EXPECT_EQ(all.Value(), forms::vbGrayed);
        forms::setValue(all, forms::vbUnchecked);
        for (std::int16_t i = 0; i < list.ListCount(); ++i) EXPECT_FALSE(list.Selected(i));
        forms::checkItem(list, 0, true);
        forms::click(form.control("cmdOK"));
    });
    SettingClass().ShowDisplayVal(flags);
    EXPECT_TRUE(flags[1]);
    EXPECT_FALSE(flags[2]);
}

TEST_F(SettingsTest, TheFontDialogStartsAt12PointsAndBoldMeansNot400)
{
    std::vector<std::string> faces(2, "Serif");
    std::vector<float> sizes(2, 8.0f);
    std::vector<std::int32_t> esc(2, 0), weights(2, 300), colors(2, 0);
    std::vector<bool> italic(2, false), underline(2, false), strike(2, false);
    std::int32_t seenSize = 0;
    forms::ScopedCommonDialogDriver fontDialog([&](forms::DialogSession& s) {
        seenSize = s.font().iPointSize;
        forms::FontChoice choice = forms::initialFontChoice(s.font());
        choice.pointSize = 30;
        choice.faceName = "Mono";
        s.pickFont(choice);
        s.pressOk();
    });
    forms::ScopedModalDriver driver([](Form& form) {
        EXPECT_TRUE(form.control("LblAbc").Font().Bold) << "weight 300 shows bold";
        EXPECT_FALSE(form.control("cmdDefaultFont").Visible());
        forms::click(form.control("cmdFontName"));
        forms::click(form.control("cmdOK"));
    });
    SettingClass().ShowFontSetting(faces, sizes, esc, weights, italic, underline, strike, colors);
    EXPECT_EQ(seenSize, 120);
    EXPECT_EQ(faces[1], "Mono");
    EXPECT_FLOAT_EQ(sizes[1], 8.0f) << "the dialog's size is not taken";
}

}  // namespace
