// GCommonDialog: what the dialogs are asked, what comes back, and the hook
// dispatch to the event sink.
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/dialogs/global_memory.h"
#include "halvex/dialogs/std_font.h"
#include "platform/forms/common_dialogs.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"

using namespace halvex;
using namespace std::string_literals;
using forms::DialogSession;
using forms::ScopedCommonDialogDriver;

namespace {

using DialogLayerTest = dialogtest::DialogTest;

// Every event of a cCommonDialog, in order; DialogOK refuses `refusals`
// times.
class EventLog {
public:
    explicit EventLog(cCommonDialog& dialog)
    {
        dialog.Events.InitDialog = [this](std::int32_t) { events.push_back("InitDialog"); };
        dialog.Events.FileChange = [this](std::int32_t) { events.push_back("FileChange"); };
        dialog.Events.FolderChange = [this](std::int32_t) { events.push_back("FolderChange"); };
        dialog.Events.TypeChange = [this](std::int32_t) { events.push_back("TypeChange"); };
        dialog.Events.DialogOK = [this](bool& bCancel) {
            events.push_back("DialogOK");
            if (refusals > 0) {
                --refusals;
                bCancel = true;
            }
        };
        dialog.Events.DialogClose = [this] { events.push_back("DialogClose"); };
        dialog.Events.WMCommand = [this](std::int32_t, std::int32_t& wParam, std::int32_t&) {
            events.push_back("WMCommand " + std::to_string(wParam));
        };
    }
    std::vector<std::string> events;
    int refusals = 0;
};

TEST_F(DialogLayerTest, AFilterWrittenWithBarsAndColonsReachesTheDialogWithNuls)
{
    touch("a.TXT");
    GCommonDialog dialog;
    OpenFileNameArgs args;
    args.Filter = "Projects|*.PO1|Texts:*.TXT;*.RTF";
    args.InitDir = folder();
    std::string seenFilter;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seenFilter = s.file().filter;
        EXPECT_EQ(s.filters().size(), 2u);
        s.changeType(2);
        s.selectFiles({"a.TXT"});
        EXPECT_TRUE(s.pressOk());
    });
    ASSERT_TRUE(dialog.VBGetOpenFileName2(args));
    EXPECT_EQ(seenFilter, "Projects\0*.PO1\0Texts\0*.TXT;*.RTF\0\0"s);
    EXPECT_EQ(args.Filter, "Texts\0*.TXT;*.RTF"s) << "the chosen entry: description, NUL, patterns";
    EXPECT_EQ(args.FilterIndex, 2);
    EXPECT_EQ(args.Filename, folder() + "/a.TXT");
    EXPECT_EQ(args.FileTitle, "a.TXT");
    EXPECT_EQ(dialog.APIReturn(), 1);
    EXPECT_TRUE(libraryState().DialogConfirmed);
}

TEST_F(DialogLayerTest, AFilterWrittenWithNulsKeepsBarsAndColonsOfItsDescriptions)
{
    touch("Slab1.PO1");
    GCommonDialog dialog;
    OpenFileNameArgs args;
    args.Filter = "Slab: plan|new (*.PO1)\0*.PO1\0"s;
    args.InitDir = folder();
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        ASSERT_EQ(s.filters().size(), 1u);
        EXPECT_EQ(s.filters()[0].display, "Slab: plan|new (*.PO1)");
        s.selectFiles({"Slab1.PO1"});
        s.pressOk();
    });
    ASSERT_TRUE(dialog.VBGetOpenFileName2(args));
    EXPECT_EQ(args.Filter, "Slab: plan|new (*.PO1)\0*.PO1"s);
}

TEST_F(DialogLayerTest, CancellingEmptiesTheOutputsAndTheFilterIndexTellsOpenFromSave)
{
    GCommonDialog dialog;
    libraryState().DialogConfirmed = true;
    OpenFileNameArgs open;
    open.Filename = "old.PO1";
    open.FileTitle = "old";
    open.Flags = 4;
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.pressCancel(); });
    EXPECT_FALSE(dialog.VBGetOpenFileName2(open));
    EXPECT_EQ(open.FilterIndex, -1);
    EXPECT_EQ(open.Filename, "");
    EXPECT_EQ(open.FileTitle, "");
    EXPECT_EQ(open.Filter, "");
    EXPECT_EQ(open.Flags, 0);
    EXPECT_EQ(dialog.APIReturn(), 0);
    EXPECT_EQ(dialog.ExtendedError(), 0);
    EXPECT_FALSE(libraryState().DialogConfirmed);

    SaveFileNameArgs save;
    EXPECT_FALSE(dialog.VBGetSaveFileName2(save));
    EXPECT_EQ(save.FilterIndex, 0);
}

TEST_F(DialogLayerTest, AFailedDialogKeepsItsReturnValueAndExtendedError)
{
    GCommonDialog dialog;
    SaveFileNameArgs args;
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.fail(FNERR_INVALIDFILENAME); });
    EXPECT_FALSE(dialog.VBGetSaveFileName(args));
    EXPECT_EQ(dialog.APIReturn(), -1);
    EXPECT_EQ(dialog.ExtendedError(), FNERR_INVALIDFILENAME);
}

TEST_F(DialogLayerTest, AMultipleSelectionKeepsItsNulsAndFillsTheWholeBuffer)
{
    touch("a.txt");
    touch("b.txt");
    GCommonDialog dialog;
    OpenFileNameArgs args;
    args.MultiSelect = true;
    args.FileTitle = "kept";
    args.InitDir = folder();
    std::int32_t flagsSeen = 0;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        flagsSeen = s.file().flags;
        EXPECT_EQ(s.file().maxFile, 8192);
        s.selectFiles({"a.txt", "b.txt"});
        s.pressOk();
    });
    ASSERT_TRUE(dialog.VBGetOpenFileName2(args));
    EXPECT_NE(flagsSeen & OFN_ALLOWMULTISELECT, 0);
    EXPECT_NE(flagsSeen & OFN_EXPLORER, 0);
    const std::string selection = folder() + "\0a.txt\0b.txt\0\0"s;
    ASSERT_EQ(args.Filename.size(), 8192u);
    EXPECT_EQ(args.Filename.substr(0, selection.size()), selection);
    EXPECT_EQ(args.Filename.find_first_not_of('\0', selection.size()), std::string::npos);
    EXPECT_EQ(args.FileTitle, "kept");

    // A selection too long for 8192 characters fails.
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i) names.push_back(std::string(90, 'n') + std::to_string(i) + ".txt");
    ScopedCommonDialogDriver overflow([&](DialogSession& s) {
        s.selectFiles(names);
        s.pressOk();
    });
    args.Filename.clear();
    args.FileMustExist = false;
    EXPECT_FALSE(dialog.VBGetOpenFileName2(args));
    EXPECT_EQ(dialog.ExtendedError(), FNERR_BUFFERTOOSMALL);
}

TEST_F(DialogLayerTest, ANameLongerThanItsBufferIsRefusedBeforeTheDialogOpens)
{
    GCommonDialog dialog;
    OpenFileNameArgs args;
    args.Filename = std::string(4097, 'x');
    args.Hook = true;
    cCommonDialog sink;
    args.EventSink = &sink;
    bool shown = false;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        shown = true;
        s.pressCancel();
    });
    try {
        dialog.VBGetOpenFileName2(args);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 5);
    }
    EXPECT_FALSE(shown);
    EXPECT_EQ(GetActiveDialog(), nullptr) << "no hook is left behind";
}

TEST_F(DialogLayerTest, CustomColoursStartAsSystemColoursAndStayWithTheObject)
{
    GCommonDialog dialog;
    EXPECT_EQ(dialog.CustomColor(5), forms::GetSysColor(5));
    EXPECT_EQ(dialog.CustomColor(16), -1);
    EXPECT_EQ(dialog.CustomColor(-1), -1);
    dialog.CustomColor(16, forms::RGB(1, 2, 3));
    dialog.CustomColor(3, forms::RGB(255, 0, 0));
    EXPECT_EQ(dialog.CustomColor(3), forms::RGB(255, 0, 0));

    ChooseColorArgs args;
    args.Color = forms::RGB(10, 20, 30);
    ScopedCommonDialogDriver driver([](DialogSession& s) {
        EXPECT_EQ(s.color().rgbResult, forms::RGB(10, 20, 30));
        EXPECT_EQ(s.color().custColors[3], forms::RGB(255, 0, 0));
        EXPECT_EQ(s.color().flags, CC_AnyColor | CC_RGBInit);
        s.color().custColors[0] = forms::RGB(0, 0, 99);  // the user defines a custom colour
        s.pickColor(forms::RGB(0, 128, 0));
        s.pressOk();
    });
    ASSERT_TRUE(dialog.VBChooseColor(args));
    EXPECT_EQ(args.Color, forms::RGB(0, 128, 0));
    EXPECT_EQ(dialog.CustomColor(0), forms::RGB(0, 0, 99));

    ScopedCommonDialogDriver cancel([](DialogSession& s) {
        s.color().custColors[1] = forms::RGB(7, 7, 7);
        s.pressCancel();
    });
    EXPECT_FALSE(dialog.VBChooseColor(args));
    EXPECT_EQ(args.Color, -1);
    EXPECT_EQ(dialog.CustomColor(1), forms::RGB(7, 7, 7)) << "the dialog worked on the object's own colours";
}

TEST_F(DialogLayerTest, TheFontDialogGetsItsFlagsAndTheHeightOfTheScreen)
{
    GCommonDialog dialog;
    StdFont font;
    font.Name("DejaVu Sans");
    font.Size(10.0);
    font.Bold(true);
    font.Underline(true);
    ChooseFontArgs args;
    args.Flags = CF_Apply | CF_EnableTemplate;
    forms::ChooseFontRecord seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seen = s.font();
        s.pickFont({"Liberation Serif", 12.5, false, true, false, false, 0});
        s.pressOk();
    });
    ASSERT_TRUE(dialog.VBChooseFont(font, args));
    EXPECT_EQ(seen.logFont.lfHeight, -13) << "10 points at 96 pixels per inch";
    EXPECT_EQ(seen.logFont.lfWeight, 700);
    EXPECT_EQ(seen.logFont.lfUnderline, 1);
    EXPECT_EQ(forms::faceNameOf(seen.logFont), "DejaVu Sans");
    EXPECT_EQ(seen.iPointSize, 100);
    EXPECT_EQ(seen.flags, CF_ScreenFonts | CF_NOSCRIPTSEL | CF_InitToLogFontStruct);
    EXPECT_EQ(args.PrinterDC, 0);
    EXPECT_EQ(font.Name(), "Liberation Serif");
    EXPECT_DOUBLE_EQ(font.Size(), 12.5);
    EXPECT_FALSE(font.Bold());
    EXPECT_EQ(font.Weight(), 400);
    EXPECT_TRUE(font.Italic());

    // A printer device context asks for printer fonts; a colour for the
    // effects; a size range for the limits.
    ChooseFontArgs printer;
    printer.PrinterDC = 0;
    printer.Color = forms::RGB(0, 0, 255);
    printer.MaxSize = 24;
    ScopedCommonDialogDriver cancel([&](DialogSession& s) {
        seen = s.font();
        s.pressCancel();
    });
    EXPECT_FALSE(dialog.VBChooseFont(font, printer));
    EXPECT_EQ(printer.Flags & (CF_PrinterFonts | CF_ScreenFonts), CF_PrinterFonts);
    EXPECT_NE(printer.Flags & CF_EFFECTS, 0);
    EXPECT_NE(printer.Flags & CF_LimitSize, 0);
    EXPECT_EQ(seen.nSizeMax, 24);
    EXPECT_EQ(font.Name(), "Liberation Serif") << "a cancelled dialog changes nothing";
}

TEST_F(DialogLayerTest, TheHookHidesTheFontSizeControlsUnlessTheyAreToBeShown)
{
    GCommonDialog dialog;
    StdFont font;
    cCommonDialog sink;
    bool sizeShown = true;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        sizeShown = s.itemVisible(forms::dlg::FONT_SIZE_BOX) && s.itemVisible(forms::dlg::FONT_SIZE_LABEL);
        s.pressCancel();
    });
    ChooseFontArgs args;
    args.Hook = true;
    args.EventSink = &sink;
    dialog.VBChooseFont(font, args);
    EXPECT_FALSE(sizeShown);
    args.BlnShowSize = true;
    dialog.VBChooseFont(font, args);
    EXPECT_TRUE(sizeShown);
}

TEST_F(DialogLayerTest, AHookedFileDialogRaisesTheSinksEventsInOrder)
{
    touch("Slab1.PO1");
    GCommonDialog dialog;
    cCommonDialog sink;
    EventLog log(sink);
    log.refusals = 1;
    OpenFileNameArgs args;
    args.Hook = true;
    args.EventSink = &sink;
    args.Filter = "A|*.PO1|B|*.*";
    GCommonDialog* activeDuringDialog = nullptr;
    bool firstOk = true;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        activeDuringDialog = GetActiveDialog();
        EXPECT_NE(s.file().flags & OFN_ENABLEHOOK, 0);
        s.changeFolder(folder());
        s.changeType(1);
        s.selectFiles({"Slab1.PO1"});
        firstOk = s.pressOk();
        EXPECT_FALSE(s.closed()) << "a refused file keeps the dialog open";
        EXPECT_TRUE(s.pressOk());
    });
    ASSERT_TRUE(dialog.VBGetOpenFileName2(args));
    EXPECT_FALSE(firstOk);
    EXPECT_EQ(activeDuringDialog, &dialog);
    EXPECT_EQ(GetActiveDialog(), nullptr);
    EXPECT_EQ(log.events, (std::vector<std::string>{"InitDialog", "FolderChange", "TypeChange", "FileChange",
                                                    "DialogOK", "DialogOK", "DialogClose"}));
    EXPECT_EQ(FileDialogHookProc(1, WM_INITDIALOG, 0, 0), 0) << "no active dialog between dialogs";
}

TEST_F(DialogLayerTest, ColourAndFontDialogsReportTheirButtons)
{
    GCommonDialog dialog;
    cCommonDialog sink;
    EventLog log(sink);
    ChooseColorArgs colour;
    colour.Hook = true;
    colour.EventSink = &sink;
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.pressOk(); });
    dialog.VBChooseColor(colour);
    EXPECT_EQ(log.events, (std::vector<std::string>{"InitDialog", "WMCommand 1", "DialogClose"}));

    log.events.clear();
    StdFont font;
    ChooseFontArgs args;
    args.Hook = true;
    args.EventSink = &sink;
    ScopedCommonDialogDriver cancel([](DialogSession& s) { s.pressCancel(); });
    dialog.VBChooseFont(font, args);
    EXPECT_EQ(log.events, (std::vector<std::string>{"InitDialog", "WMCommand 2", "DialogClose"}));
}

TEST_F(DialogLayerTest, DialogHookReadsTheNotificationHeaderAtItsAddress)
{
    GCommonDialog dialog;
    EXPECT_TRUE(dialog.DialogHook(1, WM_INITDIALOG, 0, 0).isEmpty()) << "no sink, no dispatch";

    cCommonDialog sink;
    EventLog log(sink);
    log.refusals = 1;
    OpenFileNameArgs args;
    args.Hook = true;
    args.EventSink = &sink;
    rt::Variant refused;
    rt::Variant unknownAddress;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        const NMHDR header{s.hDlg(), 0, forms::dlg::CDN_FILEOK};
        const std::int32_t block = GlobalAlloc(GMEM_ZEROINIT, sizeof header);
        const std::int32_t address = GlobalLock(block);
        CopyToAddress(address, &header, sizeof header);
        refused = dialog.DialogHook(s.hDlg(), WM_NOTIFY, 0, address);
        GlobalFree(block);
        unknownAddress = dialog.DialogHook(s.hDlg(), WM_NOTIFY, 0, address);
        s.pressCancel();
    });
    dialog.VBGetOpenFileName2(args);
    EXPECT_EQ(refused, rt::Variant(std::int32_t{1}));
    EXPECT_TRUE(unknownAddress.isEmpty());
}

TEST_F(DialogLayerTest, AnErrorOfAnEventHandlerIsReportedAndTheDialogGoesOn)
{
    touch("x.PO1");
    GCommonDialog dialog;
    cCommonDialog sink;
    sink.Events.FileChange = [](std::int32_t) { throw rt::RuntimeError(13, "Type mismatch"); };
    OpenFileNameArgs args;
    args.Hook = true;
    args.EventSink = &sink;
    args.InitDir = folder();
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    ScopedCommonDialogDriver driver([](DialogSession& s) {
        s.selectFiles({"x.PO1"});
        s.pressOk();
    });
    EXPECT_TRUE(dialog.VBGetOpenFileName2(args));
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].prompt, "GCommonDialog.DialogHook: Type mismatch");
}

TEST_F(DialogLayerTest, TheFileTitleIsTheNameAfterEitherSeparator)
{
    GCommonDialog dialog;
    std::string path = "C:\\data\\Slab1.PO1";
    EXPECT_EQ(dialog.VBGetFileTitle(path), "Slab1.PO1");
    path = "/home/eng/raft.PO1";
    EXPECT_EQ(dialog.VBGetFileTitle(path), "raft.PO1");
    path = "/home/eng/";
    EXPECT_EQ(dialog.VBGetFileTitle(path), "");
}

}  // namespace
