// cCommonDialog: properties, show operations, the multiple-selection
// splitter and the centring of dialogs; cMemory and its memory blocks.
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/c_memory.h"
#include "halvex/dialogs/global_memory.h"
#include "halvex/dialogs/std_font.h"
#include "platform/forms/common_dialogs.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/types.h"
#include "platform/forms/win.h"

using namespace halvex;
using namespace std::string_literals;
using forms::DialogSession;
using forms::ScopedCommonDialogDriver;

namespace {

using ComponentTest = dialogtest::DialogTest;

struct Split {
    std::string dir;
    std::vector<std::string> files;
    std::int16_t count = 0;
};

Split split(const std::string& filename)
{
    cCommonDialog dialog;
    dialog.Filename(filename);
    Split result;
    dialog.ParseMultiFileName(result.dir, result.files, result.count);
    return result;
}

TEST(ParseMultiFileName, SplitsOnePathAtEitherSeparator)
{
    Split windows = split("C:\\dir\\a.txt");
    EXPECT_EQ(windows.dir, "C:\\dir");
    EXPECT_EQ(windows.count, 1);
    ASSERT_EQ(windows.files.size(), 2u);
    EXPECT_EQ(windows.files[1], "a.txt");

    Split native = split("/home/eng/raft/Slab1.PO1");
    EXPECT_EQ(native.dir, "/home/eng/raft");
    EXPECT_EQ(native.files[1], "Slab1.PO1");

    Split bare = split("a.txt");
    EXPECT_EQ(bare.dir, "");
    EXPECT_EQ(bare.files[1], "a.txt");
    EXPECT_EQ(bare.count, 1);

    Split root = split("/a.txt");
    EXPECT_EQ(root.dir, "") << "a separator in the first place does not count";
    EXPECT_EQ(root.files[1], "/a.txt");
}

TEST(ParseMultiFileName, SplitsASelectionIntoFolderAndNames)
{
    Split selection = split("C:\\dir\0a.txt\0b.txt\0\0"s + std::string(100, '\0'));
    EXPECT_EQ(selection.dir, "C:\\dir");
    EXPECT_EQ(selection.count, 2);
    ASSERT_EQ(selection.files.size(), 3u);
    EXPECT_EQ(selection.files[1], "a.txt");
    EXPECT_EQ(selection.files[2], "b.txt");

    // One file chosen with multiple selection on: its whole path.
    Split one = split("/data/a.txt\0\0\0"s);
    EXPECT_EQ(one.dir, "");
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.files[1], "/data/a.txt");
}

TEST_F(ComponentTest, ANewObjectOpensOnTheFirstEntryAndCreatesItsFontOnDemand)
{
    cCommonDialog dialog;
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_EQ(dialog.Font(), nullptr);
    EXPECT_EQ(dialog.FontName(), StdFont().Name());
    ASSERT_NE(dialog.Font(), nullptr);
    dialog.Font()->Size(10.5);
    EXPECT_EQ(dialog.FontSize(), 10) << "halves go to the even size";
    dialog.Font()->Size(11.5);
    EXPECT_EQ(dialog.FontSize(), 12);

    dialog.FilterIndex(0);
    dialog.Filter("A|*.a|B|*.b");
    std::int32_t shownIndex = 0;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        shownIndex = s.file().filterIndex;
        s.pressCancel();
    });
    dialog.ShowOpen();
    EXPECT_EQ(shownIndex, 1);
}

TEST_F(ComponentTest, ShowOpenPassesItsPropertiesAndTakesTheResultsBack)
{
    const std::string slab = touch("Slab1.PO1");
    cCommonDialog dialog;
    dialog.Filter("Projects|*.PO1");
    dialog.InitDir(folder());
    dialog.DialogTitle("Pick a slab");
    dialog.DefaultExt("PO1");
    dialog.hwnd(0x10042);
    dialog.Flags(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLETEMPLATE);
    forms::OpenFileRecord seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seen = s.file();
        s.selectFiles({"Slab1"});  // typed without its extension
        s.pressOk();
    });
    dialog.ShowOpen();
    EXPECT_EQ(seen.title, "Pick a slab");
    EXPECT_EQ(seen.hwndOwner, 0x10042);
    EXPECT_EQ(seen.flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY) << "the template bit is dropped";
    EXPECT_EQ(dialog.Filename(), slab);
    EXPECT_EQ(dialog.FileTitle(), "Slab1.PO1");
    EXPECT_EQ(dialog.Filter(), "Projects\0*.PO1"s);
    EXPECT_TRUE(libraryState().DialogConfirmed);
}

TEST_F(ComponentTest, AMultipleSelectionSplitsIntoItsFolderAndNames)
{
    touch("a.txt");
    touch("b.txt");
    cCommonDialog dialog;
    dialog.InitDir(folder());
    dialog.Flags(OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST);
    ScopedCommonDialogDriver driver([](DialogSession& s) {
        s.selectFiles({"a.txt", "b.txt"});
        s.pressOk();
    });
    dialog.ShowOpen();
    ASSERT_EQ(dialog.Filename().size(), 8192u);
    std::string dir;
    std::vector<std::string> files;
    std::int16_t count = 0;
    dialog.ParseMultiFileName(dir, files, count);
    EXPECT_EQ(dir, folder());
    EXPECT_EQ(count, 2);
    EXPECT_EQ(files, (std::vector<std::string>{"", "a.txt", "b.txt"}));
}

TEST_F(ComponentTest, AfterACancelOrAFailureNothingIsRaisedToTheClient)
{
    cCommonDialog dialog;
    forms::ScopedMsgBox boxes;  // a message would fail the test: no answers are queued
    libraryState().DialogConfirmed = true;
    dialog.CancelError(true);
    ScopedCommonDialogDriver cancel([](DialogSession& s) { s.pressCancel(); });
    dialog.ShowSave();
    EXPECT_FALSE(libraryState().DialogConfirmed);
    EXPECT_EQ(dialog.FilterIndex(), 0);

    ScopedCommonDialogDriver fail([](DialogSession& s) { s.fail(FNERR_INVALIDFILENAME); });
    dialog.ShowOpen();
    EXPECT_FALSE(libraryState().DialogConfirmed);
    EXPECT_TRUE(boxes->boxes().empty()) << "a failed dialog with no error pending shows nothing";
}

TEST_F(ComponentTest, ShowColorResolvesSystemColoursAndShowFontKeepsItsFont)
{
    cCommonDialog dialog;
    dialog.Color(forms::vbButtonFace);
    std::int32_t initial = 0;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        initial = s.color().rgbResult;
        s.pickColor(forms::RGB(1, 2, 3));
        s.pressOk();
    });
    dialog.ShowColor();
    EXPECT_EQ(initial, forms::GetSysColor(15));
    EXPECT_EQ(dialog.Color(), forms::RGB(1, 2, 3));

    dialog.FontName("DejaVu Sans");
    dialog.FontSize(12);
    dialog.FontColor(forms::RGB(0, 0, 128));
    ScopedCommonDialogDriver font([&](DialogSession& s) {
        EXPECT_EQ(s.font().logFont.lfHeight, -16);
        EXPECT_NE(s.font().flags & CF_EFFECTS, 0);
        forms::FontChoice choice = forms::initialFontChoice(s.font());
        choice.bold = true;
        choice.color = forms::RGB(128, 0, 0);
        s.pickFont(choice);
        s.pressOk();
    });
    dialog.ShowFont();
    EXPECT_TRUE(dialog.FontBold());
    EXPECT_EQ(dialog.FontName(), "DejaVu Sans");
    EXPECT_EQ(dialog.FontColor(), forms::RGB(128, 0, 0));
}

TEST_F(ComponentTest, ADialogOKHandlerThatCancelsRefusesTheFile)
{
    cCommonDialog dialog;
    EXPECT_TRUE(dialog.ConfirmOK());
    dialog.Events.DialogOK = [](bool& bCancel) { bCancel = true; };
    EXPECT_FALSE(dialog.ConfirmOK());
}

TEST_F(ComponentTest, CentreDialogMovesTheFileDialogOverTheWorkAreaOrTheOwner)
{
    cCommonDialog dialog;
    dialog.HookDialog(true);
    dialog.Events.InitDialog = [&](std::int32_t hDlg) { dialog.CentreDialog(hDlg); };
    forms::win::RECT placed;
    std::int32_t sizes[4] = {};
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        placed = s.windowRect();
        dialog.GetDialogSize(s.hDlg(), sizes[0], sizes[1], sizes[2], sizes[3]);
        s.pressCancel();
    });
    dialog.ShowOpen();
    // The screen of 1024 x 768 pixels; the dialog of 560 x 420.
    EXPECT_EQ(placed.Left, 232);
    EXPECT_EQ(placed.Top, 174);
    EXPECT_EQ(sizes[0], 232);
    EXPECT_EQ(sizes[2], 560);
    EXPECT_EQ(sizes[3], 420);

    forms::Form owner("frmOwner", [](forms::Form& f) { f.Move(1500, 3000, 15000, 9000); });
    owner.Load();
    dialog.hwnd(owner.hWnd());
    dialog.ShowColor();
    // The owner spans pixels 100..1100 and 200..800.
    EXPECT_EQ(placed.Left, 100 + (1000 - 560) / 2);
    EXPECT_EQ(placed.Top, 200 + (600 - 420) / 2);
    owner.Unload();
}

TEST_F(ComponentTest, TemplatesCannotBeLoaded)
{
    cCommonDialog dialog;
    dialog.hInstance(7);
    std::string module = "templates.so";
    dialog.cdLoadLibrary(module);
    EXPECT_EQ(dialog.hInstance(), 0);
    dialog.cdFreeLibrary();
    dialog.SetHelpPosition(1, 2, 300, 200, eswpShowNormal);  // builds its record, harmlessly
}

// ---- cMemory ----

TEST(cMemory, APointerIsTakenOnceAndOnlyFromABlock)
{
    cMemory memory;
    EXPECT_EQ(memory.Pointer(), 0);
    EXPECT_EQ(memory.Handle(), 0);
    EXPECT_FALSE(memory.LockMemory());

    ASSERT_TRUE(memory.AllocateMemory(26));
    EXPECT_EQ(memory.Size(), 26);
    const std::int32_t address = memory.Pointer();
    ASSERT_NE(address, 0);
    EXPECT_EQ(memory.Pointer(), address);
    EXPECT_EQ(GlobalFlags(memory.Handle()), 1) << "locked once";
    EXPECT_FALSE(memory.LockMemory());
    EXPECT_EQ(memory.Pointer(), address);

    unsigned char bytes[26] = {};
    EXPECT_TRUE(CopyFromAddress(bytes, address, sizeof bytes));
    EXPECT_EQ(bytes[25], 0) << "blocks start zeroed";
    EXPECT_FALSE(CopyToAddress(address + 20, bytes, 7)) << "past the block's end";

    memory.UnlockMemory();
    EXPECT_EQ(GlobalFlags(memory.Handle()), 0);
    EXPECT_FALSE(CopyToAddress(address, bytes, 1)) << "an unlocked block has no address";
    EXPECT_FALSE(memory.AllocateMemory(-1));
    EXPECT_EQ(memory.Handle(), 0);
}

TEST(cMemory, AReleasedBlockOutlivesItsObjectAndAHandleCanBeTakenOver)
{
    std::int32_t handle = 0;
    {
        cMemory memory;
        ASSERT_TRUE(memory.AllocateMemory(12, GMEM_ZEROINIT));
        memory.Pointer();
        handle = memory.Handle();
        memory.ReleaseDontFreeMemory();
        EXPECT_EQ(memory.Handle(), 0);
    }
    EXPECT_EQ(GlobalSize(handle), 12);
    EXPECT_EQ(GlobalFlags(handle), 0) << "released unlocked";
    {
        cMemory owner;
        owner.Handle(handle);
        EXPECT_EQ(owner.Size(), 12);
    }
    EXPECT_EQ(GlobalSize(handle), 0) << "freed with its new owner";
    EXPECT_EQ(GlobalFree(handle), handle);
}

}  // namespace
