// The graphic settings' files, Show members and dialog rules, driven headless.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/setting_class.h"
#include "halvex/settings/settings_files.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/scripted_dialogs.h"

using namespace halvex;
using forms::Form;

namespace {

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
        setenv("OH_SETTINGS_DIR", folder_.c_str(), 1);  // the user's folder too
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
    while (n-- > 0) all += line;
    return all;
}

TEST_F(SettingsTest, RecordsReadFromOneLineOrSeveralAndAShortFileGivesTheDefaults)
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
    write("ordinate.gra", "1\r\n1\r\n");
    std::vector<float> ordinates(21, 0.0f);
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    settings.ReadOrdinateSetting(ordinates);
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_FLOAT_EQ(ordinates[1], 10.0f) << "the defaults, not the two values read";
}

// The font dialog starts at 12 points and its size is not taken; the Save
// before the close box is; a name with a comma round-trips.
TEST_F(SettingsTest, FontNamesRoundTripAndTheSaveConfirmsEvenWhenClosed)
{
    libraryState().ProgramKind = 1;
    std::vector<std::string> faces = {"", "Foo, Bar"};
    std::vector<float> sizes = {0, 9.5f};
    std::vector<std::int32_t> escapements = {0, 900}, weights = {0, 300}, colors = {0, 255};
    std::vector<bool> italic = {false, true}, underline = {false, false}, strike = {false, true};
    std::int32_t seenSize = 0;
    forms::ScopedCommonDialogDriver fontDialog([&](forms::DialogSession& s) {
        seenSize = s.font().iPointSize;
        forms::FontChoice choice = forms::initialFontChoice(s.font());
        choice.pointSize = 30;
        s.pickFont(choice);
        s.pressOk();
    });
    forms::ScopedModalDriver driver([](Form& form) {
        EXPECT_TRUE(form.control("LblAbc").Font().Bold) << "weight 300 shows bold";
        forms::editText(form.control("txtFont"), "11");
        forms::click(form.control("cmdFontName"));
        forms::click(form.control("cmdSave"));
        forms::closeWindow(form);
    });
    SettingClass settings;
    settings.ShowFontSetting(faces, sizes, escapements, weights, italic, underline, strike, colors);
    EXPECT_EQ(seenSize, 120);
    EXPECT_EQ(read("font.dat"), "\"Foo, Bar\"\r\n11\r\n900,300,255\r\n#TRUE#,#FALSE#,#TRUE#\r\n");
    EXPECT_FLOAT_EQ(sizes[1], 11.0f);
    faces[1] = "", strike[1] = false;
    settings.ReadFontSetting(faces, sizes, escapements, weights, italic, underline, strike, colors);
    EXPECT_EQ(faces[1], "Foo, Bar");
    EXPECT_TRUE(strike[1]) << "the fields after the name keep their places";
    EXPECT_EQ(FontNameField(" Lead"), "\" Lead\"");
    EXPECT_EQ(FontNameField("Sans Serif"), "Sans Serif") << "plain names stay as they were";
}

TEST_F(SettingsTest, AShortPaintArrayOpensAndAWideStyleIsRefused)
{
    libraryState().ProgramKind = 1;
    std::vector<std::int32_t> paint(31, 5);
    std::int16_t listed = 0;
    forms::ScopedMsgBox box;
    {
        forms::ScopedModalDriver driver([&](Form& form) {
            listed = form.control("Cbocolor").ListCount();
            forms::click(form.control("CmdCancel"));
        });
        SettingClass().ShowPaintSetting(paint);
    }
    EXPECT_EQ(listed, 30);
    EXPECT_EQ(paint, std::vector<std::int32_t>(31, 5));
    EXPECT_TRUE(box->boxes().empty());

    std::vector<std::int32_t> colors(36, 3), styles(36, 2);
    std::vector<float> widths(36, 0.7f);
    styles[4] = 40000;
    box->answer(forms::vbOK);
    forms::ScopedModalDriver none([](Form&) { ADD_FAILURE() << "no dialog opens"; });
    SettingClass().ShowLineSetting(colors, styles, widths);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("ShowLineSetting"), std::string::npos) << "names the member";
    EXPECT_NE(box->boxes()[0].prompt.find("Style_Line"), std::string::npos) << "and the argument";
    EXPECT_EQ(styles[4], 40000);

    // A measure that is no finite number is refused the same way.
    std::vector<float> ordinates(21, 1.5f);
    ordinates[3] = std::nanf("");
    box->answer(forms::vbOK);
    SettingClass().ShowOrdinateSetting(ordinates);
    ASSERT_EQ(box->boxes().size(), 2u);
    EXPECT_NE(box->boxes()[1].prompt.find("SngOrdinateVal(3)"), std::string::npos) << box->boxes()[1].prompt;
    EXPECT_EQ(ordinates[2], 1.5f);
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
}

// The program folder holds the shipped default; what the user saves goes to
// the user's folder and is read from there afterwards. A user's folder that
// cannot be made names the file and the reason.
TEST_F(SettingsTest, TheUsersCopyGoesToTheUsersFolderBesideTheShippedDefault)
{
    const std::filesystem::path user = folder_ / "user";
    setenv("OH_SETTINGS_DIR", user.c_str(), 1);
    write("ordinate.gra", repeated("4\r\n", 20));
    std::vector<float> ordinates(21, 1.0f);
    SettingClass settings;
    settings.ReadOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[1], 4.0f);

    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    forms::ScopedModalDriver driver([&](Form& form) {
        forms::editText(form.control("txtOrdinate"), "7");
        forms::click(form.control("cmdSave"));
        forms::click(form.control("CmdCancel"));
    });
    settings.ShowOrdinateSetting(ordinates);
    EXPECT_EQ(read("ordinate.gra"), repeated("4\r\n", 20)) << "the shipped default stays";
    ordinates.assign(21, 1.0f);
    settings.ReadOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[1], 7.0f);
    EXPECT_TRUE(box->boxes().empty());

    setenv("OH_SETTINGS_DIR", (folder_ / "ordinate.gra" / "user").c_str(), 1);
    settings.ShowOrdinateSetting(ordinates);
    ASSERT_EQ(box->boxes().size(), 1u);
    const std::string& message = box->boxes()[0].prompt;
    EXPECT_NE(message.find((folder_ / "ordinate.gra" / "user" / "ordinate.gra").string()), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENOTDIR)), std::string::npos) << message;
}

TEST_F(SettingsTest, OrdinatesAreCopiedBackOnlyOnAnAcceptedOk)
{
    std::vector<float> ordinates(21, 1.5f);
    forms::ScopedMsgBox box;
    for (int i = 0; i < 12; ++i) box->answer(forms::vbOK);
    bool ok = true;
    forms::ScopedModalDriver driver([&](Form& form) {
        forms::Control& value = form.control("txtOrdinate");
        forms::editText(value, "-3");
        forms::pressKey(value, forms::vbKeyReturn);  // stored unchecked; leaving the box checks it
        forms::click(form.control("cmdOK"));
        EXPECT_TRUE(form.Visible()) << "OK refuses -3";
        forms::editText(value, "3");
        forms::click(form.control(ok ? "cmdOK" : "CmdCancel"));
    });
    SettingClass settings;
    settings.ShowOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[1], 3.0f);
    EXPECT_GE(box->boxes().size(), 2u);
    ok = false;
    ordinates[1] = 1.0f;
    settings.ShowOrdinateSetting(ordinates);
    EXPECT_FLOAT_EQ(ordinates[1], 1.0f);

    // Kind 5 has no names: entry 3 edits item 3, not the first empty name.
    libraryState().ProgramKind = 5;
    std::vector<float> unnamed(6, 1.0f);
    forms::ScopedModalDriver byEntry([](Form& form) {
        forms::selectItem(form.control("CboOrdinate"), 2);
        forms::editText(form.control("txtOrdinate"), "9");
        forms::click(form.control("cmdOK"));
    });
    settings.ShowOrdinateSetting(unnamed);
    EXPECT_FLOAT_EQ(unnamed[3], 9.0f);
    EXPECT_FLOAT_EQ(unnamed[1], 1.0f);
}

TEST_F(SettingsTest, TheLineDialogsPaletteAndWidthSteps)
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
        forms::Control& width = form.control("TxtLinewidth");
        forms::spinDown(form.control("UpDnlinewidth"));
        EXPECT_EQ(width.Text(), "0.1") << "down from 0.10 stays";
        forms::editText(width, "");
        forms::spinUp(form.control("UpDnlinewidth"));
        EXPECT_EQ(width.Text(), "0.10");
        forms::click(form.control("cmdOK"));
    });
    SettingClass().ShowLineSetting(colors, styles, widths);
    EXPECT_TRUE(colors[1] == 4 && colors[2] == 15);
}

TEST_F(SettingsTest, SelectAllFollowsTheListAndCancelKeepsTheHostsValues)
{
    libraryState().ProgramKind = 1;
    std::vector<bool> flags(8, false);
    forms::ScopedModalDriver driver([](Form& form) {
        forms::Control& all = form.control("ChkSelectAll");
        forms::setValue(all, forms::vbChecked);
        forms::checkItem(form.control("LstGroup"), 3, false);
        EXPECT_EQ(all.Value(), forms::vbGrayed);
        forms::checkItem(form.control("LstGroup"), 3, true);
        forms::click(form.control("cmdSave"));
        forms::click(form.control("CmdCancel"));
    });
    SettingClass().ShowDisplayVal(flags);
    EXPECT_EQ(read("nodispla.dat"), repeated("#TRUE#\r\n", 7));
    EXPECT_EQ(flags, std::vector<bool>(8, false));

}

TEST_F(SettingsTest, EveryDialogShowsEveryControlCentredAndKeyboardPickersAndASecondOneIsRefused)
{
    forms::ScopedMsgBox box;
    for (const char* language : {"English", "Arabic"}) {
        libraryState().TextLib = std::make_unique<quillon::ClsLanguageText>(std::string(OH_PROGDIR) + "/language", language);
        std::vector<std::int32_t> colors(36, 1), styles(36, 1), numbers(68, 0);
        std::vector<float> widths(36, 0.5f);
        forms::ScopedModalDriver driver([&](Form& form) {
            EXPECT_TRUE(std::abs(2 * form.Left() + form.Width() - forms::screen().Width()) <= 2 &&
                        std::abs(2 * form.Top() + form.Height() - forms::screen().Height()) <= 2) << form.Name();
            for (forms::Control* c : form.Controls()) {  // inside its container; a button as wide as its caption
                if (c->kind() == forms::Kind::Line || !c->Visible()) continue;
                forms::Control* in = c->Container();
                EXPECT_TRUE(c->Left() >= 0 && c->Top() >= 0 &&
                            c->Left() + c->Width() <= (in ? in->Width() : form.ScaleWidth()) &&
                            c->Top() + c->Height() <= (in ? in->Height() : form.ScaleHeight()) &&
                            (c->kind() != forms::Kind::CommandButton || c->Width() >= form.TextWidth(c->Caption())))
                    << language << " " << form.Name() << "." << c->Name();
            }
            const bool line = form.Name() == "frmSetLine";
            for (auto [picker, key] : {std::pair{"PicColor", forms::vbKeyRight}, {"PicStyle", forms::vbKeyDown}})
                if (line) forms::pressKey(form.control(picker), key);
            if (line) SettingClass().ShowPaintSetting(numbers);  // from a timer of the host, say: refused
            EXPECT_TRUE(form.Name() != "frmflags" || form.control("ChkSelectAll").Value() == forms::vbGrayed);
            forms::click(form.control(line ? "cmdOK" : "CmdCancel"));
        });
        box->answer(forms::vbOK);
        SettingClass settings;
        settings.ShowLineSetting(colors, styles, widths);
        EXPECT_TRUE(colors[1] == 2 && styles[1] == 2) << "from the keyboard alone";
        EXPECT_EQ(box->boxes().back().prompt, textLib().GetText(rt::Variant(quillon::TextNo(140280))));
        settings.ShowPaintSetting(numbers);
        settings.ShowOrdinateSetting(widths);
        std::vector<bool> flags{false, true, false};  // only the first checked: the select-all box opens grey
        settings.ShowDisplayVal(flags);
        std::vector<std::string> faces(6, "DejaVu Sans");
        settings.ShowFontSetting(faces, widths, numbers, numbers, flags, flags, flags, numbers, nullptr);
    }
}

}  // namespace

// Random font records through Save and Read: face names holding quotes,
// commas and edge blanks come back whole, and so does every other field.
TEST_F(SettingsTest, FontRecordsRoundTripOverRandomFaceNames)
{
    std::mt19937 random(34);
    const std::string alphabet = "aZ1 \t,\"#.-";
    SettingsWorkingState& s = settingsState();
    auto fill = [&](auto& array, auto value) { array.assign(6, value); };
    for (int round = 0; round < 40; ++round) {
        fill(s.SettingFontFaceNames, std::string()), fill(s.SettingFontSizes, 0.0f), fill(s.SettingFontItalic, false);
        fill(s.SettingFontEscapements, 0), fill(s.SettingFontWeights, 0), fill(s.SettingFontColors, 0);
        fill(s.SettingFontUnderline, false), fill(s.SettingFontStrikeOut, false);
        for (std::size_t k = 1; k <= 5; ++k) {
            for (unsigned length = random() % 7; length > 0; --length)
                s.SettingFontFaceNames[k] += alphabet[random() % alphabet.size()];
            s.SettingFontSizes[k] = static_cast<float>(random() % 2000 + 1) / 10.0f;
            s.SettingFontWeights[k] = static_cast<std::int32_t>(random() % 1001);
            s.SettingFontColors[k] = static_cast<std::int32_t>(random() % 0x1000000);
            s.SettingFontUnderline[k] = random() % 2 == 0;
        }
        ASSERT_TRUE(WriteFontFile());
        std::vector<std::string> faces(6);
        std::vector<float> sizes(6);
        std::vector<std::int32_t> escapements(6), weights(6), colors(6);
        std::vector<bool> italic(6, true), underline(6), strike(6, true);
        forms::ScopedMsgBox box;
        ReadFontFile({faces, sizes, escapements, weights, italic, underline, strike, colors});
        ASSERT_TRUE(box->boxes().empty()) << read("font.gra");
        EXPECT_TRUE(faces == s.SettingFontFaceNames && sizes == s.SettingFontSizes && weights == s.SettingFontWeights &&
                    colors == s.SettingFontColors && underline == s.SettingFontUnderline && strike == italic &&
                    escapements == s.SettingFontEscapements) << read("font.gra");
    }
    // Bare names as the family's other programs write them still read whole;
    // sizes 0 and -1 give the items' defaults.
    const std::string rest = "\r\n0,400,0\r\n#FALSE#,#FALSE#,#FALSE#\r\n";
    write("font.gra", "\"Q\r\n0" + rest + "A \"B\"\r\n-1" + rest);
    std::vector<std::string> faces(3);
    std::vector<float> sizes(3);
    std::vector<std::int32_t> escapements(3), weights(3), colors(3);
    std::vector<bool> italic(3), underline(3), strike(3);
    ReadFontFile({faces, sizes, escapements, weights, italic, underline, strike, colors});
    EXPECT_EQ(faces, (std::vector<std::string>{"", "\"Q", "A \"B\""}));
    EXPECT_EQ(sizes, (std::vector<float>{0.0f, 3.0f, 4.0f}));
}

// Random line and ordinate values as a file holds them: a value in its
// range is taken, one outside it gives the item's default.
TEST_F(SettingsTest, ValuesOutOfRangeReadBackAsTheDefaults)
{
    std::mt19937 random(8);
    std::vector<float> ordinateDefaults(21, 0.0f);
    DefaultOrdinateValues(ordinateDefaults);
    for (int round = 0; round < 30; ++round) {
        std::string lines, ordinates;
        std::vector<int> colorIn(21), styleIn(21), widthIn(21), ordinateIn(21);
        for (std::size_t k = 1; k <= 20; ++k) {
            colorIn[k] = static_cast<int>(random() % 20) - 2, styleIn[k] = static_cast<int>(random() % 8) - 1;
            widthIn[k] = static_cast<int>(random() % 20) - 5, ordinateIn[k] = static_cast<int>(random() % 20) - 5;
            lines += std::to_string(colorIn[k]) + "," + std::to_string(styleIn[k]) + "," + std::to_string(widthIn[k]);
            lines += "\r\n";
            ordinates += std::to_string(ordinateIn[k]) + ".5\r\n";
        }
        write("lineform.gra", lines);
        write("ordinate.gra", ordinates);
        std::vector<std::int32_t> colors(21), styles(21);
        std::vector<float> widths(21), ordinate(21);
        forms::ScopedMsgBox box;
        SettingClass().ReadLineSetting(colors, styles, widths);
        SettingClass().ReadOrdinateSetting(ordinate);
        ASSERT_TRUE(box->boxes().empty());
        for (std::size_t k = 1; k <= 20; ++k) {
            EXPECT_EQ(colors[k], colorIn[k] >= 0 && colorIn[k] <= 15 ? colorIn[k] : 1);
            EXPECT_EQ(styles[k], styleIn[k] >= 1 && styleIn[k] <= 5 ? styleIn[k] : 1);
            EXPECT_EQ(widths[k], widthIn[k] >= 0 ? static_cast<float>(widthIn[k]) : 0.5f);
            EXPECT_EQ(ordinate[k], ordinateIn[k] >= 0 ? ordinateIn[k] + 0.5f : ordinateDefaults[k]);
        }
    }
}
