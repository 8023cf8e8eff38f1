// ClsShowDialog: the file dialogs of the facade as the wizard and the
// library's metafile copy use them.
#include <filesystem>
#include <fstream>
#include <string>

#include "dialog_fixture.h"
#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/interface/dialog_enums.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"

using namespace halvex;
using namespace std::string_literals;
using forms::DialogSession;
using forms::ScopedCommonDialogDriver;
using quillon::TextNo;

namespace {

using ShowDialogTest = dialogtest::DialogTest;

rt::VArray patternList(std::initializer_list<const char*> patterns, std::int32_t lowerBound = 0)
{
    rt::VArray list;
    list.redim(lowerBound, lowerBound + static_cast<std::int32_t>(patterns.size()) - 1);
    std::int32_t i = lowerBound;
    for (const char* pattern : patterns) list.at(i++) = rt::Variant(pattern);
    return list;
}

std::string text(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number));
}

// The outputs of one call, preset to values a False result must replace.
struct Outputs {
    std::string complete = "untouched";
    std::string dir = "untouched";
    std::string name = "untouched";
};

TEST_F(ShowDialogTest, TheWizardsOpenDialogTakesAProjectFile)
{
    const std::string slab = touch("Slab1.PO1");
    ClsShowDialog facade;
    Outputs out;
    rt::VArray patterns = patternList({"*.PO1"});
    forms::OpenFileRecord seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seen = s.file();
        s.selectFiles({"Slab1.PO1"});
        s.pressOk();
    });
    EXPECT_FALSE(facade.ShowOpenDialog(0x10042, out.complete, folder(), out.dir, out.name, patterns));
    EXPECT_EQ(seen.filter, text(TextNo(140005)) + " (*.PO1)\0*.PO1\0\0\0"s) << "no heading entry";
    EXPECT_EQ(seen.defExt, "") << "no default extension for one pattern";
    EXPECT_EQ(seen.initialDir, folder());
    EXPECT_EQ(seen.hwndOwner, 0x10042);
    EXPECT_EQ(seen.flags, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLEHOOK);
    EXPECT_EQ(out.complete, slab);
    EXPECT_EQ(out.dir, folder() + "/");
    EXPECT_EQ(out.name, "Slab1");
    EXPECT_TRUE(libraryState().DialogConfirmed);
    EXPECT_EQ(libraryState().FileTypeText, rt::Variant(TextNo(140005)));
}

TEST_F(ShowDialogTest, TheExtensionCheckIgnoresLetterCaseAndRefusesOtherFiles)
{
    touch("slab1.po1");
    touch("notes.txt");
    ClsShowDialog facade;
    rt::VArray patterns = patternList({"*.PO1"});
    Outputs lower;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        s.selectFiles({"slab1.po1"});
        s.pressOk();
    });
    EXPECT_FALSE(facade.ShowOpenDialog(0, lower.complete, folder(), lower.dir, lower.name, patterns));
    EXPECT_EQ(lower.name, "slab1");

    Outputs other;
    ScopedCommonDialogDriver typed([&](DialogSession& s) {
        s.selectFiles({"notes.txt"});
        s.pressOk();
    });
    EXPECT_TRUE(facade.ShowOpenDialog(0, other.complete, folder(), other.dir, other.name, patterns));
    EXPECT_EQ(other.complete, "untouched");
    EXPECT_EQ(other.dir, "untouched");
    EXPECT_EQ(other.name, "untouched");
}

TEST_F(ShowDialogTest, CancellingLeavesTheOutputsAlone)
{
    ClsShowDialog facade;
    rt::VArray patterns = patternList({"*.PO1"});
    Outputs out;
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.pressCancel(); });
    EXPECT_TRUE(facade.ShowOpenDialog(0, out.complete, folder(), out.dir, out.name, patterns));
    EXPECT_EQ(out.complete, "untouched");
    EXPECT_EQ(out.dir, "untouched");
    EXPECT_EQ(out.name, "untouched");
    EXPECT_FALSE(libraryState().DialogConfirmed);
}

TEST_F(ShowDialogTest, SeveralPatternsGetAHeadingByTheKindOfTheLastAndADefaultExtension)
{
    ClsShowDialog facade;
    Outputs out;
    forms::OpenFileRecord seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seen = s.file();
        s.pressCancel();
    });
    auto headingOf = [&](std::initializer_list<const char*> list) {
        rt::VArray patterns = patternList(list);
        facade.ShowOpenDialog(0, out.complete, folder(), out.dir, out.name, patterns);
        return forms::parseFilter(seen.filter).at(0);
    };

    forms::FilterItem boring = headingOf({"*.BAU", "*.BOH"});
    EXPECT_EQ(boring.display, textLib().GetText(rt::Variant(TextNo(140153)), {rt::Variant("|1"), rt::Variant("*.BAU;*.BOH")}));
    EXPECT_EQ(boring.patterns, (std::vector<std::string>{"*.BAU", "*.BOH"}));
    EXPECT_EQ(seen.defExt, "BAU");
    EXPECT_EQ(forms::parseFilter(seen.filter).size(), 3u);

    forms::FilterItem project = headingOf({"*.TXT", "*.PO1"});
    EXPECT_EQ(project.display, textLib().GetText(rt::Variant(TextNo(140154)), {rt::Variant("|1"), rt::Variant("*.TXT;*.PO1")}));
    forms::FilterItem loads = headingOf({"*.PO1", "*.PC1"});
    EXPECT_EQ(loads.display, textLib().GetText(rt::Variant(TextNo(140152)), {rt::Variant("|1"), rt::Variant("*.PO1;*.PC1")}));
    forms::FilterItem exact = headingOf({"*.PO1", "*.pc1"});
    EXPECT_EQ(exact.display, textLib().GetText(rt::Variant(TextNo(140154)), {rt::Variant("|1"), rt::Variant("*.PO1;*.pc1")}))
        << "patterns are classed with their letter case";
}

TEST_F(ShowDialogTest, ADescriptionWithAColonStaysOneEntry)
{
    // A language whose project-file text holds a colon.
    const std::filesystem::path languages = std::filesystem::path(folder()) / "language";
    std::filesystem::create_directories(languages);
    std::filesystem::copy_file(std::filesystem::path(OH_PROGDIR) / "language" / "English.txt", languages / "English.txt");
    std::ofstream(languages / "Colon.txt") << "@engname Colon\n140005 Project: slab\n";
    libraryState().TextLib = std::make_unique<quillon::ClsLanguageText>(languages.string(), "Colon");

    touch("Slab1.PO1");
    ClsShowDialog facade;
    rt::VArray patterns = patternList({"*.PO1"});
    Outputs out;
    std::vector<forms::FilterItem> entries;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        entries = s.filters();
        s.selectFiles({"Slab1.PO1"});
        s.pressOk();
    });
    EXPECT_FALSE(facade.ShowOpenDialog(0, out.complete, folder(), out.dir, out.name, patterns));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].display, "Project: slab (*.PO1)");
    EXPECT_EQ(entries[0].patterns, std::vector<std::string>{"*.PO1"});
}

TEST_F(ShowDialogTest, AnEmptyPatternListAlwaysGivesTrue)
{
    touch("Slab1.PO1");
    ClsShowDialog facade;
    rt::VArray none;
    Outputs out;
    std::string filter = "unset";
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        filter = s.file().filter;
        s.selectFiles({"Slab1.PO1"});
        s.pressOk();
    });
    EXPECT_TRUE(facade.ShowOpenDialog(0, out.complete, folder(), out.dir, out.name, none));
    EXPECT_EQ(filter, "\0\0"s);
    EXPECT_EQ(out.complete, "untouched");
}

TEST_F(ShowDialogTest, AListWithoutElementZeroIsReportedAndGivesTrue)
{
    ClsShowDialog facade;
    rt::VArray patterns = patternList({"*.BAU", "*.BOH"}, 1);
    Outputs out;
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    ScopedCommonDialogDriver driver([](DialogSession&) { ADD_FAILURE() << "no dialog after the error"; });
    EXPECT_TRUE(facade.ShowOpenDialog(0, out.complete, folder(), out.dir, out.name, patterns));
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].title, text(TextNo(5)));
}

TEST_F(ShowDialogTest, TheOpenDialogIsCentredWhenItOpens)
{
    ClsShowDialog facade;
    rt::VArray patterns = patternList({"*.PO1"});
    Outputs out;
    forms::win::RECT placed;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        placed = s.windowRect();
        s.pressCancel();
    });
    facade.ShowOpenDialog(0, out.complete, folder(), out.dir, out.name, patterns);
    EXPECT_EQ(placed.Left, (1024 - 560) / 2);
    EXPECT_EQ(placed.Top, (768 - 420) / 2);
}

TEST_F(ShowDialogTest, TheSaveDialogProposesTheNameWithItsExtension)
{
    ClsShowDialog facade;
    rt::VArray extensions = patternList({"WMF"});
    Outputs out;
    out.name = "plot";
    forms::OpenFileRecord seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seen = s.file();
        s.pressOk();  // the proposed name as it stands
    });
    EXPECT_FALSE(facade.ShowSaveFile(0, out.complete, folder(), out.dir, out.name, extensions));
    EXPECT_EQ(seen.filter, text(TextNo(140010)) + " (*.WMF) \0*.WMF\0\0\0"s);
    EXPECT_EQ(seen.file, "plot");
    EXPECT_EQ(seen.fileTitle, "plot");
    EXPECT_EQ(seen.defExt, "WMF");
    EXPECT_EQ(seen.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLEHOOK);
    EXPECT_EQ(out.complete, folder() + "/plot.WMF");
    EXPECT_EQ(out.dir, folder() + "/");
    EXPECT_EQ(out.name, "plot");

    Outputs cancelled;
    ScopedCommonDialogDriver cancel([](DialogSession& s) { s.pressCancel(); });
    EXPECT_TRUE(facade.ShowSaveFile(0, cancelled.complete, folder(), cancelled.dir, cancelled.name, extensions));
    EXPECT_EQ(cancelled.complete, "untouched");
}

TEST(SeparateFileAndDir, SplitsAtEitherSeparatorAndNeverFailsOnAName)
{
    ClsShowDialog facade;
    auto split = [&](const std::string& path) {
        std::string dir = "x";
        std::string name = "x";
        facade.SeparateFileAndDir(path, dir, name);
        return std::make_pair(dir, name);
    };
    EXPECT_EQ(split("C:\\a\\b\\report.txt"), std::make_pair("C:\\a\\b\\"s, "report"s));
    EXPECT_EQ(split("D:\\Proj\\Slab1.PO1"), std::make_pair("D:\\Proj\\"s, "Slab1"s));
    EXPECT_EQ(split("/home/eng/raft/Slab1.PO1"), std::make_pair("/home/eng/raft/"s, "Slab1"s));
    EXPECT_EQ(split("C:\\mixed/dir\\Slab.PO1"), std::make_pair("C:\\mixed/dir\\"s, "Slab"s));
    EXPECT_EQ(split("report.txt"), std::make_pair(""s, "report"s));
    EXPECT_EQ(split("/data/ab"), std::make_pair("/data/"s, "ab"s)) << "too short for an extension";
    EXPECT_EQ(split(""), std::make_pair(""s, ""s));
    EXPECT_EQ(split("/d/Pl\xc3\xa4tte.PO1"), std::make_pair("/d/"s, "Pl\xc3\xa4tte"s));

    std::string path = "/data/Slab1.PO1";
    std::string name;
    facade.SeparateFileAndDir(path, path, name);  // the path is also the folder's output
    EXPECT_EQ(path, "/data/");
    EXPECT_EQ(name, "Slab1");
}

}  // namespace
