// The common dialogs' records and helpers, and the headless stand-in that
// hands each dialog to the test's driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/common_dialogs.h"
#include "platform/forms/scripted_dialogs.h"
#include "platform/forms/types.h"

using namespace forms;
using namespace std::string_literals;

TEST(CommonDialogFilter, EntriesEndAtTheEmptyTextAndPatternsLoseTheirBlanks) {
    auto items = parseFilter("All (*.*)\0 *.*\0Projects: new\0*.PO1; *.PO2\0\0Ignored\0*.x\0"s);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].display, "All (*.*)");
    EXPECT_EQ(items[0].patterns, std::vector<std::string>{"*.*"});
    EXPECT_EQ(items[1].display, "Projects: new") << "only NUL separates the texts here";
    EXPECT_EQ(items[1].patterns, (std::vector<std::string>{"*.PO1", "*.PO2"}));
    EXPECT_TRUE(parseFilter("").empty());
    EXPECT_TRUE(parseFilter("Lonely description\0"s).empty()) << "an entry without patterns is dropped";
}

TEST(CommonDialogFileChoice, SingleAndMultipleSelectionsInTheDialogsForm) {
    OpenFileRecord record;
    record.maxFile = 260;
    record.maxFileTitle = 260;
    record.defExt = "PO1";
    std::int32_t error = -5;
    ASSERT_EQ(storeFileChoice(record, {"/data/slabs/Slab1.po1"}, 2, error), 1);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(record.file, "/data/slabs/Slab1.po1");
    EXPECT_EQ(record.fileTitle, "Slab1.po1");
    EXPECT_EQ(record.filterIndex, 2);
    EXPECT_EQ(record.flags & dlg::OFN_EXTENSIONDIFFERENT, 0) << "extensions compare without case";

    ASSERT_EQ(storeFileChoice(record, {"/data/slabs/notes.txt"}, 1, error), 1);
    EXPECT_NE(record.flags & dlg::OFN_EXTENSIONDIFFERENT, 0);

    // Several files: the folder and the names, each ended by NUL, and a
    // closing NUL; without the multiple-selection flag only the first.
    record.flags = dlg::OFN_ALLOWMULTISELECT;
    ASSERT_EQ(storeFileChoice(record, {"/data/a.txt", "/data/b.txt"}, 1, error), 1);
    EXPECT_EQ(record.file, "/data\0a.txt\0b.txt\0\0"s);
    EXPECT_EQ(record.fileTitle, "");
    ASSERT_EQ(storeFileChoice(record, {"/a.txt", "/b.txt"}, 1, error), 1);
    EXPECT_EQ(record.file, "/\0a.txt\0b.txt\0\0"s) << "the root keeps its separator";
    record.flags = 0;
    ASSERT_EQ(storeFileChoice(record, {"/data/a.txt", "/data/b.txt"}, 1, error), 1);
    EXPECT_EQ(record.file, "/data/a.txt");
}

TEST(CommonDialogFileChoice, AChoiceTooLongForTheBufferFailsAndWritesNothing) {
    OpenFileRecord record;
    record.file = "proposed";
    record.maxFile = 12;  // 11 characters and the closing NUL
    record.maxFileTitle = 260;
    std::int32_t error = 0;
    EXPECT_EQ(storeFileChoice(record, {"/d/abcdefgh"}, 1, error), 1) << "exactly fits";
    EXPECT_EQ(storeFileChoice(record, {"/d/abcdefghi"}, 1, error), -1);
    EXPECT_EQ(error, dlg::FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(record.file, "/d/abcdefgh");
    // Characters, not bytes, count.
    EXPECT_EQ(storeFileChoice(record, {"/d/\xc3\xa4\xc3\xb6\xc3\xbc\xc3\xa4\xc3\xb6\xc3\xbc\xc3\xa4\xc3\xb6"}, 1, error), 1);
}

TEST(CommonDialogFonts, HeightsAtNinetySixPixelsPerInchAndFaceNames) {
    EXPECT_EQ(logFontHeight(10.0), -13);
    EXPECT_EQ(logFontHeight(12.0), -16);
    EXPECT_EQ(logFontHeight(7.5), -10);
    EXPECT_EQ(logFontHeight(9.75), -13);  // 13.0
    EXPECT_EQ(logFontHeight(0.375), 0);   // 0.5 goes to the even 0

    LOGFONT lf;
    setFaceName(lf, "DejaVu Sans");
    EXPECT_EQ(faceNameOf(lf), "DejaVu Sans");
    // 15 two-byte characters: the 32-byte field keeps 15 whole ones and a NUL.
    std::string longName;
    for (int i = 0; i < 17; ++i) longName += "\xc3\xa9";
    setFaceName(lf, longName);
    EXPECT_EQ(faceNameOf(lf), longName.substr(0, 30));
}

TEST(CommonDialogFonts, AChoiceRoundTripsThroughTheRecord) {
    ChooseFontRecord record;
    record.flags = dlg::CF_INITTOLOGFONTSTRUCT | dlg::CF_EFFECTS;
    FontChoice chosen{"Liberation Serif", 10.5, true, true, false, true, RGB(128, 0, 0)};
    storeFontChoice(record, chosen);
    EXPECT_EQ(record.logFont.lfHeight, -14);
    EXPECT_EQ(record.logFont.lfWeight, 700);
    EXPECT_EQ(record.iPointSize, 105);
    EXPECT_EQ(record.nFontType, dlg::SCREEN_FONTTYPE | dlg::BOLD_FONTTYPE | dlg::ITALIC_FONTTYPE);
    EXPECT_EQ(record.rgbColors, RGB(128, 0, 0));

    FontChoice again = initialFontChoice(record);
    EXPECT_EQ(again.faceName, "Liberation Serif");
    EXPECT_DOUBLE_EQ(again.pointSize, 10.5) << "the size in tenths wins over the height";
    EXPECT_TRUE(again.bold && again.italic && again.strikeOut && !again.underline);
    record.iPointSize = 0;
    EXPECT_DOUBLE_EQ(initialFontChoice(record).pointSize, 10.0) << "14 pixels are 10.5 points, halves to even";

    // Without effects the colour stays the caller's.
    record.flags = 0;
    record.rgbColors = 7;
    storeFontChoice(record, chosen);
    EXPECT_EQ(record.rgbColors, 7);
    EXPECT_EQ(record.nFontType & dlg::REGULAR_FONTTYPE, 0);
}

TEST(SystemColours, SchemeAndOleTranslation) {
    EXPECT_EQ(GetSysColor(15), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(5), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(99), 0);
    std::int32_t rgb = -1;
    EXPECT_EQ(OleTranslateColor(vbButtonFace, 0, rgb), 0);
    EXPECT_EQ(rgb, GetSysColor(15));
    EXPECT_EQ(OleTranslateColor(RGB(1, 2, 3), 0, rgb), 0);
    EXPECT_EQ(rgb, RGB(1, 2, 3));
    EXPECT_EQ(OleTranslateColor(0x02010203, 0, rgb), 0);
    EXPECT_EQ(rgb, 0x010203);
    rgb = 42;
    EXPECT_NE(OleTranslateColor(0x01000005, 0, rgb), 0) << "a palette index without a palette";
    EXPECT_NE(OleTranslateColor(static_cast<std::int32_t>(0x80000063), 0, rgb), 0);
    EXPECT_EQ(rgb, 42);
}

TEST(ScriptedCommonDialogs, ADialogWithoutDriverOrLeftOpenFailsTheTest) {
    ScriptedCommonDialogs dialogs;
    OpenFileRecord record;
    EXPECT_THROW(dialogs.getOpenFileName(record), CommonDialogError);
    ScopedCommonDialogDriver driver([](DialogSession&) {});
    EXPECT_THROW(dialogs.getOpenFileName(record), CommonDialogError);
}

TEST(ScriptedCommonDialogs, WindowsAndItemsOfTheRunningDialog) {
    ScriptedCommonDialogs dialogs;
    ChooseFontRecord record;
    record.hwndOwner = 0x10042;
    std::int32_t window = 0;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        window = s.window();
        EXPECT_EQ(dialogs.parentWindow(s.window()), 0x10042);
        EXPECT_TRUE(s.itemVisible(dlg::FONT_SIZE_BOX));
        EXPECT_FALSE(s.itemVisible(1139)) << "no colour box without effects";
        const std::int32_t sizeBox = dialogs.dialogItem(s.hDlg(), dlg::FONT_SIZE_BOX);
        ASSERT_NE(sizeBox, 0);
        EXPECT_EQ(dialogs.parentWindow(sizeBox), s.window());
        EXPECT_EQ(dialogs.showWindow(sizeBox, win::SW_HIDE), 1);
        EXPECT_FALSE(s.itemVisible(dlg::FONT_SIZE_BOX));
        EXPECT_TRUE(dialogs.moveWindow(s.window(), 10, 20));
        win::RECT rect;
        ASSERT_TRUE(dialogs.windowRect(s.window(), rect));
        EXPECT_EQ(rect.Left, 10);
        EXPECT_EQ(rect.Right - rect.Left, 560);
        s.pressCancel();
    });
    EXPECT_EQ(dialogs.chooseFont(record), 0);
    win::RECT rect;
    EXPECT_FALSE(dialogs.windowRect(window, rect)) << "the handles end with the dialog";
}
