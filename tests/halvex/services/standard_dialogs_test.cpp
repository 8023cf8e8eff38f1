// The library's standard dialogs, driven headless: group list, option list
// and combo filling, company header, language choice, about box.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/frm_about.h"
#include "halvex/services/frm_firma.h"
#include "halvex/services/library_state.h"
#include "platform/forms/desktop.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

namespace {

namespace fs = std::filesystem;
using forms::Form;
using rt::Variant;
using rt::VArray;

std::string text(std::int32_t number, const std::vector<Variant>& arguments = {})
{
    return halvex::textLib().GetText(Variant(number), arguments);
}

// A caller's list (0 To n) with element 0 unused: of strings or of Longs.
template <typename T>
VArray list(std::initializer_list<T> items)
{
    VArray list = std::is_same_v<T, const char*> ? VArray(rt::VarType::String) : VArray();
    list.redim(0, static_cast<std::int32_t>(items.size()) - 1);
    std::int32_t i = 0;
    for (T item : items) list.at(i++) = Variant(item);
    return list;
}
VArray strings(std::initializer_list<const char*> items) { return list(items); }
VArray numbers(std::initializer_list<std::int32_t> items) { return list(items); }
void press(Form& form, const char* button) { forms::click(form.control(button)); }

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class StandardDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        halvex::libraryState().ApplicationPath = folder_.string();
        fs::remove(userFirma_);
    }
    void TearDown() override
    {
        fs::remove(userFirma_);
        halvex::resetLibraryState();
        forms::setDesktop(previousDesktop_);
        forms::setSettingsStore(previousSettings_);
        fs::remove_all(folder_);
    }
    void writeFile(const std::string& name, const std::string& bytes)
    {
        fs::create_directories((folder_ / name).parent_path());
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }

    halvex::ClsValmor valmor;
    const fs::path userFirma_ = fs::path(forms::userSettingsFolder()) / "Firma";
    std::shared_ptr<forms::RecordingDesktop> desktop_ = std::make_shared<forms::RecordingDesktop>();
    fs::path folder_ = fs::temp_directory_path() / ("halvex-dialogs-" + std::to_string(::getpid()) + "-" +
                                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());

private:
    std::shared_ptr<forms::SettingsStore> previousSettings_ =
        forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
    std::shared_ptr<forms::Desktop> previousDesktop_ = forms::setDesktop(desktop_);
};

TEST_F(StandardDialogsTest, GroupListTicksAheadKeepsTheSelectAllBoxInStepAndReturnsTheTicksInListOrder)
{
    VArray items = strings({"", "Springs", "Piles", "Springs", "Borings"});
    VArray chosen = strings({"", "Borings", "Springs", "Walls"});
    forms::ScopedModalDriver driver([&](Form& form) {
        forms::Control& list = form.control("LstGroup");
        forms::Control& all = form.control("ChkSelectAll");
        // The first of two equal entries is ticked; a name of no entry is skipped.
        EXPECT_TRUE(list.Selected(0) && !list.Selected(2) && list.Selected(3));
        EXPECT_EQ(all.Value(), 2);
        forms::checkItem(list, 1, true);
        forms::checkItem(list, 2, true);
        EXPECT_EQ(all.Value(), 1);
        forms::checkItem(list, 1, false);
        EXPECT_EQ(all.Value(), 2);
        for (bool on : {false, true}) {  // mixed becomes clear, then all ticked
            forms::click(all);
            for (std::int16_t e = 0; e < 4; ++e) EXPECT_EQ(list.Selected(e), on);
        }
        forms::checkItem(list, 1, false);
        press(form, "cmdOK");
    });
    EXPECT_FALSE(valmor.ShowGroupList("Data kinds", "Carry over:", items, chosen));
    EXPECT_TRUE(valmor.chooseControl());
    EXPECT_EQ(chosen, strings({"", "Springs", "Springs", "Borings"}));
    EXPECT_EQ(items.ubound(1), 4);
}

TEST_F(StandardDialogsTest, GroupListCancelAndCloseLeaveTheChoiceHelpIsThePopupAndNumbersComeBackAsNumbers)
{
    VArray items = numbers({0, 140131, 140134, 140137});
    VArray chosen = numbers({0, 140134});
    const VArray before = chosen;
    for (auto answer : {+[](Form& form) { press(form, "CmdCancel"); }, +[](Form& form) { forms::closeWindow(form); }}) {
        forms::ScopedModalDriver driver(answer);
        EXPECT_TRUE(valmor.ShowGroupList1("Kinds", "", items, chosen, "5_2"));
        EXPECT_FALSE(valmor.chooseControl());
        EXPECT_EQ(chosen, before);
    }
    EXPECT_EQ(halvex::libraryState().DialogHelpTopic, "5_2");
    // The plain list's Help is the popup, never the topic the last dialog left.
    valmor.HelpTitle("Data kinds");
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    VArray plain = strings({"", "Springs"});
    {
        forms::ScopedModalDriver help([](Form& form) {
            press(form, "cmdHelp");
            press(form, "CmdCancel");
        });
        EXPECT_TRUE(valmor.ShowGroupList("Kinds", "", plain, chosen, "0_1"));
    }
    EXPECT_TRUE(desktop_->openedUrls.empty());
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].title, "Data kinds");

    forms::ScopedModalDriver ok([](Form& form) {
        forms::Control& list = form.control("LstGroup");
        EXPECT_EQ(list.List(0), text(140131));
        EXPECT_TRUE(list.Selected(1));  // the Long names its text
        forms::checkItem(list, 2, true);
        press(form, "cmdOK");
    });
    EXPECT_FALSE(valmor.ShowGroupList1("Kinds", "", items, chosen));
    EXPECT_EQ(chosen, list({Variant(), Variant(140134), Variant(140137)}));

    // An empty list still opens; OK gives the single empty element.
    VArray none = strings({""});
    forms::ScopedModalDriver empty([](Form& form) {
        EXPECT_FALSE(form.control("LstGroup").Enabled() || form.control("ChkSelectAll").Enabled());
        press(form, "cmdOK");
    });
    EXPECT_FALSE(valmor.ShowGroupList("Kinds", "", none, chosen));
    EXPECT_EQ(chosen.ubound(1), 0);
}

TEST_F(StandardDialogsTest, GroupListOfRandomEntriesFitsTheScreenAndKeepsTheButtonsBesideTheList)
{
    std::mt19937 random(18);
    for (int round = 0; round < 40; ++round) {
        const int n = static_cast<int>(random() % 6);
        VArray items(rt::VarType::String);
        items.redim(0, n);
        for (int k = 1; k <= n; ++k) items.at(k) = Variant(std::string(random() % 400, 'W'));
        const std::string caption(random() % 300, 'C');
        const std::string label(random() % 120, 'L');
        VArray chosen;
        forms::ScopedModalDriver check([&](Form& form) {
            forms::Control& list = form.control("LstGroup");
            forms::Control& ok = form.control("cmdOK");
            EXPECT_LE(form.Width(), forms::screen().Width());
            EXPECT_EQ(form.Width(), ok.Width() + list.Width() + 600);
            EXPECT_EQ(ok.Left(), list.Left() + list.Width() + 240);
            if (form.Width() < forms::screen().Width()) {
                for (int k = 1; k <= n; ++k) EXPECT_GE(list.Width(), form.TextWidth(items.at(k).toString()) + 300);
                EXPECT_GE(list.Width(), form.TextWidth(label));
                EXPECT_GE(list.Width() + ok.Width(), form.TextWidth(caption));
            }
            press(form, "CmdCancel");
        });
        valmor.ShowGroupList(caption, label, items, chosen);
    }
}

TEST_F(StandardDialogsTest, OptionListLaysOutTwoColumnsAboveTheLastFourRowsAndKeepsTheCallersOptions)
{
    VArray options = strings({"", "One", "Two", "Three", "Four", "Five", "Six", "Seven"});
    const VArray before = options;
    std::string choice = "Two";
    forms::ScopedModalDriver driver([&](Form& form) {
        auto opt = [&](std::int16_t i) -> forms::Control& { return form.control("OptList", i); };
        EXPECT_EQ(opt(1).Value(), -1);
        EXPECT_TRUE(opt(0).Top() == opt(1).Top() && opt(2).Left() == opt(0).Left());
        forms::Control& ok = form.control("cmdOK");
        EXPECT_EQ(ok.Top(), opt(3).Top());
        EXPECT_EQ(ok.Left() + ok.Width(), opt(1).Left() + opt(1).Width());
        forms::click(opt(4));
        forms::click(ok);
    });
    EXPECT_FALSE(valmor.ShowMenuView("Mesh", options, choice));
    EXPECT_EQ(choice, "Five");
    EXPECT_TRUE(valmor.chooseControl());
    EXPECT_EQ(options, before);

    // Columns wider than the screen shrink together until they fit it.
    const std::string wide1(2000, 'W'), wide2(1000, 'M');
    VArray wide = strings({"", wide1.c_str(), wide2.c_str(), "A", "B", "C", "D"});
    forms::ScopedModalDriver shrink([](Form& form) {
        const std::int32_t w1 = form.control("OptList", 0).Width(), w2 = form.control("OptList", 1).Width();
        EXPECT_NEAR(w1 + w2 + 360, forms::screen().Width(), 1);
        EXPECT_GT(w1, w2);
        press(form, "CmdCancel");
    });
    EXPECT_TRUE(valmor.ShowMenuView("Mesh", wide, choice));
}

TEST_F(StandardDialogsTest, DisabledOptionsAreNeverOnNorChosen)
{
    VArray options = strings({"", "//Disabled//Grid", "Delaunay", "//Disabled//Polar"});
    std::string choice = "Grid";  // names a greyed option: ignored
    forms::ScopedModalDriver driver([](Form& form) {
        EXPECT_FALSE(form.control("OptList", 0).Enabled());
        EXPECT_EQ(form.control("OptList", 1).Value(), -1);
        EXPECT_FALSE(forms::click(form.control("OptList", 2)));
        press(form, "cmdOK");
    });
    EXPECT_FALSE(valmor.ShowMenuView("Mesh", options, choice));
    EXPECT_EQ(choice, "Delaunay");

    // Nothing to choose: no form (no driver would fail), True, unconfirmed.
    forms::ScopedModalDriver none([](Form&) { ADD_FAILURE() << "no form expected"; });
    for (VArray list : {strings({""}), strings({"", "//Disabled//A"}), strings({"", "//Disabled//A", "//Disabled//B"})}) {
        choice = "kept";
        EXPECT_TRUE(valmor.ShowMenuView("Mesh", list, choice));
        EXPECT_FALSE(valmor.chooseControl());
        EXPECT_EQ(choice, "kept");
    }
    // One option is the choice at once.
    VArray one = strings({"", "Delaunay"});
    EXPECT_FALSE(valmor.ShowMenuView("Mesh", one, choice));
    EXPECT_TRUE(valmor.chooseControl() && choice == "Delaunay");
    VArray oneNumber = numbers({0, 140131});
    Variant item;
    EXPECT_FALSE(valmor.ShowMenuView1("Mesh", oneNumber, item));
    EXPECT_EQ(item, Variant(140131));
}

TEST_F(StandardDialogsTest, OptionListOfNumbersReturnsTheItemAndOverlongListsTakeTheErrorPath)
{
    VArray options = numbers({0, 140131, 140134, 140137});
    Variant choice(140137);
    forms::ScopedModalDriver driver([](Form& form) {
        EXPECT_EQ(form.control("OptList", 2).Value(), -1);
        forms::click(form.control("OptList", 1));
        press(form, "cmdOK");
    });
    EXPECT_FALSE(valmor.ShowMenuView1("Mesh", options, choice));
    EXPECT_EQ(choice, Variant(140134));

    // 176 options make 90 rows; 177 make 91, whose top passes 32767.
    forms::ScopedModalDriver ok([](Form& form) { press(form, "cmdOK"); });
    VArray many(rt::VarType::String);
    many.redim(0, 176);
    for (int k = 1; k <= 176; ++k) many.at(k) = Variant("Option " + std::to_string(k));
    std::string picked;
    EXPECT_FALSE(valmor.ShowMenuView("Many", many, picked));
    many.redimPreserve(0, 177);
    many.at(177) = Variant("One too many");
    forms::ScopedMsgBox boxes;
    for (int box = 0; box < 2; ++box) boxes->answer(forms::vbOK);
    EXPECT_TRUE(valmor.ShowMenuView("Many", many, picked));
    EXPECT_FALSE(valmor.chooseControl() || halvex::libraryState().DialogConfirmed);
    VArray unallocated;
    EXPECT_TRUE(valmor.ShowMenuView("None", unallocated, picked));
    ASSERT_EQ(boxes->boxes().size(), 2u);
    EXPECT_EQ(forms::iconOf(boxes->boxes()[0].style), forms::vbCritical);
}

TEST_F(StandardDialogsTest, ComboFillingRunsFromTheBaseAndSelectsOnlyInsideTheRun)
{
    Form form("frmCombo", [](Form& f) {
        f.addControl(forms::Kind::ComboBox, "cmbData").Visible(false);
        f.addControl(forms::Kind::TextBox, "txtData");
    });
    forms::Control& box = form.control("cmbData");
    auto entries = [&] {
        std::string list;
        for (std::int16_t i = 0; i < box.ListCount(); ++i) list += box.List(i) + ";";
        return list;
    };
    valmor.AddCmbData(box, 5, 3);
    EXPECT_TRUE(box.Visible() && entries() == "1;2;3;4;5;" && box.Text() == "3");
    valmor.AddCmbData(box, 3, 2, -1);
    EXPECT_TRUE(entries() == ";1;2;3;" && box.ListIndex() == -1);
    valmor.AddCmbData(box, 0, 0, 2, false);
    EXPECT_EQ(entries(), "");
    try {
        valmor.AddCmbData(form.control("txtData"), 3, 1);
        ADD_FAILURE() << "a text box has no list";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 438);
    }
}

TEST_F(StandardDialogsTest, HeaderFormMeasuresHiddenAndAMissingHeaderIsQuietAndSaveCreatesIt)
{
    valmor.chooseControl(true);
    valmor.Prod("/somewhere/else");
    halvex::frmFirma& measure = halvex::firmaForm();
    forms::StdFont font = measure.Font();
    font.Size = 25;
    measure.Font(font);
    EXPECT_GT(measure.TextWidth("Header"), measure.TextWidth("H"));
    EXPECT_TRUE(!measure.Visible() && valmor.chooseControl() && valmor.Prod() == "/somewhere/else");
    EXPECT_FALSE(fs::exists(folder_ / "Firma"));
    measure.Unload();

    forms::ScopedMsgBox boxes;
    std::string line1 = "Caller 1", line2 = "Caller 2";
    valmor.ReadFirma(line1, line2);
    EXPECT_EQ(line1, "Caller 1");
    const std::string arabic = "\xD8\xB4\xD8\xB1\xD9\x83\xD8\xA9";  // UTF-8
    forms::ScopedModalDriver driver([&](Form& form) {
        EXPECT_EQ(form.control("txtFirma1").Text(), "Caller 1");
        forms::editText(form.control("txtFirma1"), arabic);
        forms::editText(form.control("txtFirma2"), "");
        press(form, "cmdSave");
    });
    EXPECT_FALSE(valmor.ShowFirma(line1, line2));
    EXPECT_TRUE(valmor.chooseControl());
    EXPECT_TRUE(boxes->boxes().empty());
    EXPECT_EQ(readBytes(userFirma_), arabic + "\r\n\r\n" + std::string(68, '-') + "\r\n");
    EXPECT_FALSE(fs::exists(folder_ / "Firma")) << "the save is the user's";
    std::string again1, again2 = "x";
    valmor.ReadFirma(again1, again2);
    EXPECT_TRUE(again1 == arabic && again2.empty());
}

TEST_F(StandardDialogsTest, ShortHeaderIsReportedThenEditedAndCancelKeepsTheFile)
{
    writeFile("Firma", "M\xFCller GmbH\r\n");  // one line, Windows-1252
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    std::string line1 = "a", line2 = "b";
    forms::ScopedModalDriver driver([&](Form& form) {
        EXPECT_EQ(boxes->boxes().size(), 1u);  // reported before the dialog
        EXPECT_EQ(form.control("txtFirma1").Text(), "a") << "nothing half read";
        EXPECT_EQ(form.control("txtFirma2").Text(), "b");
        // Enter moves on and is swallowed; it never presses Save.
        forms::typeText(form.control("txtFirma1"), "\r");
        forms::typeText(form.control("txtFirma2"), "\r");
        EXPECT_EQ(form.ActiveControl(), &form.control("cmdSave"));
        EXPECT_TRUE(form.Visible());
        press(form, "CmdCancel");
    });
    EXPECT_TRUE(valmor.ShowFirma(line1, line2));
    EXPECT_FALSE(valmor.chooseControl());
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].prompt.rfind(text(140000, {Variant("|1"), Variant((folder_ / "Firma").string())}), 0), 0u);
    EXPECT_EQ(readBytes(folder_ / "Firma"), "M\xFCller GmbH\r\n");
}

// The user's header comes before the shipped one; a damaged one is named
// once and leaves the caller's lines whole; a save keeps the user's file's
// mode and goes through a link to its target.
TEST_F(StandardDialogsTest, TheHeaderIsTheUsersAndADamagedOneIsNeverHalfRead)
{
    writeFile("Firma", "Shipped 1\r\nShipped 2\r\n");
    forms::ScopedMsgBox boxes;
    std::string line1 = "a", line2 = "b";
    valmor.ReadFirma(line1, line2);
    EXPECT_TRUE(line1 == "Shipped 1" && line2 == "Shipped 2");
    // Too long, a line past 100 characters, a NUL, one line; then 100 characters.
    const std::string wide = std::string(99, 'z') + "\xC3\xBC";
    std::size_t shown = 0;
    for (const std::string& content : {std::string(2000000, 'x') + "\r\nSecond\r\n", "First\r\n" + std::string(101, 'y') + "\r\n",
                                       std::string("Na\0me\r\nSecond\r\n", 14), std::string("First\r\n"), wide + "\r\n\r\n"}) {
        std::ofstream(userFirma_, std::ios::binary) << content;
        const bool good = content[0] == 'z';
        boxes->answer(forms::vbOK);
        line1 = "a", line2 = "b";
        valmor.ReadFirma(line1, line2);
        EXPECT_TRUE(good ? line1 == wide && line2.empty() : line1 == "a" && line2 == "b") << line1.substr(0, 20);
        ASSERT_EQ(boxes->boxes().size(), shown += good ? 0 : 1);
        EXPECT_TRUE(good || boxes->boxes().back().prompt.find(userFirma_.string()) != std::string::npos);
    }

    // Through a link, keeping the mode of the file it leads to.
    const fs::path target = folder_ / "elsewhere" / "Header";
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << "Old 1\r\nOld 2\r\n";
    fs::permissions(target, fs::perms(0640));
    fs::remove(userFirma_);
    fs::create_symlink(target, userFirma_);
    forms::ScopedModalDriver driver([&](Form& form) {
        EXPECT_EQ(form.control("txtFirma1").Text(), "Old 1");
        forms::editText(form.control("txtFirma1"), "New 1");
        press(form, "cmdSave");
    });
    EXPECT_FALSE(valmor.ShowFirma(line1, line2));
    EXPECT_TRUE(boxes->boxes().size() == shown && fs::is_symlink(userFirma_) && fs::status(target).permissions() == fs::perms(0640));
    EXPECT_EQ(readBytes(target), "New 1\r\nOld 2\r\n" + std::string(68, '-') + "\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1) << "nothing beside it";
}

TEST_F(StandardDialogsTest, LanguageListsComeFromTheFileOrTheFallbackAndOnlySaveStoresThem)
{
    const std::vector<std::string> three = {"English", "German", "Arabic"};
    // A damaged file is named once and the built-in list taken whole.
    const std::tuple<std::optional<std::string>, std::vector<std::string>, bool> cases[] = {
        {std::nullopt, three, false},
        {"<languages><language engname=\"English\"/><language", three, true},
        {"<langs><language engname=\"English\"/></langs>", three, true},
        {std::string("<languages>\0<language engname=\"English\"/></languages>", 56), three, true},
        {"<languages><language name=\"x\" engname=\"Dutch\"/><language EngName=\"German\"/>"
         "<language/><language engname=\"Dutch\"/></languages>",
         {"Dutch", "Dutch"}, false},
    };
    forms::ScopedMsgBox boxes;
    std::size_t damaged = 0;
    for (const auto& [xml, expected, reported] : cases) {
        const std::string name = xml ? xml->substr(0, 30) : "no file";
        fs::remove_all(folder_ / "language");
        if (xml) writeFile("language/language.xml", *xml);
        if (reported) boxes->answer(forms::vbOK);
        forms::ScopedModalDriver driver([&](Form& form) {
            forms::Control &list1 = form.control("CmbLanguage1"), &list2 = form.control("CmbLanguage2");
            std::vector<std::string> shown;
            for (std::int16_t i = 0; i < list1.ListCount(); ++i) shown.push_back(list1.List(i));
            EXPECT_EQ(shown, expected) << name;
            EXPECT_TRUE(list2.ListCount() == 3 && list1.Text() == text(140156) && list2.Text() == text(140156));
            press(form, "CmdCancel");
        });
        valmor.ShowLanguageSetting();
        EXPECT_FALSE(valmor.chooseControl());
        damaged += reported ? 1 : 0;
        ASSERT_EQ(boxes->boxes().size(), damaged) << name;
        EXPECT_TRUE(!reported || boxes->boxes().back().prompt.find((folder_ / "language" / "language.xml").string()) !=
                                     std::string::npos) << name;
    }
    EXPECT_EQ(forms::settings().get("valmor", "Interface Language setting", "Language", "none"), "none");

    fs::remove_all(folder_ / "language");
    forms::settings().save("valmor", "Help Language setting", "Language", "Klingon");
    forms::ScopedModalDriver save([](Form& form) {
        EXPECT_EQ(form.control("CmbLanguage2").Text(), "Klingon");  // shown though not listed
        forms::editText(form.control("CmbLanguage1"), "German");
        forms::selectItem(form.control("CmbLanguage2"), 2);
        press(form, "cmdSave");
    });
    valmor.ShowLanguageSetting();
    EXPECT_TRUE(valmor.chooseControl());
    EXPECT_EQ(forms::settings().get("valmor", "Interface Language setting", "Language", ""), "German");
    EXPECT_EQ(forms::settings().get("valmor", "Help Language setting", "Language", ""), "Arabic");
    forms::ScopedModalDriver cancel([](Form& form) {
        forms::editText(form.control("CmbLanguage1"), "");
        forms::closeWindow(form);
    });
    valmor.ShowLanguageSetting();
    EXPECT_EQ(forms::settings().get("valmor", "Interface Language setting", "Language", ""), "German");
}

TEST_F(StandardDialogsTest, AboutBoxComposesTitleAndDescriptionByProgramAndMethod)
{
    using namespace halvex;
    const std::string CR = "\r";
    std::string line1, line2;
    valmor.GetMethodTitle(HalfSpace, line1, line2, 1);
    const std::string data = text(140131) + ":" + CR + CR + text(140132) + CR + CR + text(140133);
    const struct {
        std::int32_t kind;
        CalculationMethod shws, shys;
        bool isolated;
        std::int16_t icon;
        std::string title, description;
    } cases[] = {
        {MirvaData, {}, {}, false, 0, text(160005) + text(90167), CR + data},
        {MirvaData, MethodSlabFloor, SystemOfRigidSlabs, false, 0, text(160004) + text(90167),
         text(140148) + CR + CR + text(140167) + CR + CR + CR + data},
        {MirvaGraphic, HalfSpace, {}, true, 0, text(160005),
         text(140148) + CR + line1 + CR + line2 + CR + CR + CR + text(140134) + ":" + CR + CR + text(140135) + CR +
             CR + text(140136)},
        {MirvaBOHR, HalfSpace, {}, false, 1, text(20000), CR + text(140147)},
        {MirvaEditor, HalfSpace, {}, false, 2, text(140125),
         text(140127) + CR + CR + text(140128) + CR + CR + text(140129) + CR},
    };
    for (const auto& c : cases) {
        valmor.MirvaProg(c.kind);
        forms::ScopedModalDriver driver([&](Form& form) {
            EXPECT_EQ(form.control("lblTitle").Caption(), c.title) << "kind " << c.kind;
            EXPECT_EQ(form.control("lblDescription").Caption(), c.description) << "kind " << c.kind;
            for (std::int16_t i = 0; i < 3; ++i) EXPECT_EQ(form.control("picIcon", i).Visible(), i == c.icon);
            press(form, "cmdOK");
        });
        EXPECT_TRUE(valmor.ShowAbout(c.shws, c.shys, c.isolated).isEmpty());
        EXPECT_EQ(valmor.HelpText(), text(90));
    }
}

// Every caption and list entry fits its control, every control the form,
// and the form is centred.
void expectWholeAndCentred(Form& form, const std::string& where)
{
    using K = forms::Kind;
    for (forms::Control* c : form.Controls()) {
        try {
            if (!c->Visible()) continue;
            const K k = c->kind();
            const bool button = k == K::CommandButton || k == K::OptionButton || k == K::CheckBox;
            if (button || (k == K::Label && c->Height() <= 300)) {
                EXPECT_GE(c->Width(), form.TextWidth(c->Caption()) + (button ? 240 : 0)) << where << ": " << c->Caption();
            }
            for (std::int16_t i = 0; k == K::ListBox && i < c->ListCount(); ++i)
                EXPECT_GE(c->Width(), form.TextWidth(c->List(i)) + 480) << where << ": " << c->List(i);
            EXPECT_TRUE(c->Container() != nullptr || (c->Left() >= 0 && c->Top() >= 0 && c->Top() + c->Height() <= form.ScaleHeight() &&
                                                      c->Left() + c->Width() <= form.ScaleWidth())) << where << ": " << c->Name();
        } catch (const rt::RuntimeError&) {  // a line has no place of its own
        }
    }
    EXPECT_NEAR(form.Left() + form.Width() / 2, forms::screen().Width() / 2, 30) << where;
    EXPECT_NEAR(form.Top() + form.Height() / 2, forms::screen().Height() / 2, 30) << where;
}

// Enter confirms the option list and the group list.
TEST_F(StandardDialogsTest, EveryDialogIsWholeAndCentredInEveryLanguageAndEnterConfirmsTheLists)
{
    writeFile("Firma", "Company\r\nStreet\r\n" + std::string(68, '-') + "\r\n");
    for (const char* language : {"English", "German", "Arabic"}) {
        SCOPED_TRACE(language);
        forms::settings().save("valmor", "Interface Language setting", "Language", language);
        halvex::libraryState().TextLib.reset();
        int seen = 0;
        auto check = [&seen](const char* dialog, const char* button, std::function<void(Form&)> then = nullptr) {
            return forms::ScopedModalDriver([&seen, dialog, button, then](Form& form) {
                ++seen, expectWholeAndCentred(form, dialog);
                if (then) then(form);
                if (button != nullptr) press(form, button);
            });
        };
        VArray options = strings({"", "Triangles", "Quadrilaterals", "Mixed elements of triangles and quadrilaterals"}),
               entries = strings({"", "Remove nodes that belong to no element", "Quadrilaterals"}), chosen;
        std::string choice, firma1, firma2, order = "A-17", date, project = "Slab";
        {
            auto d = check("option list", nullptr, [](Form& form) {
                forms::click(form.control("OptList", 1));
                forms::pressKey(form.control("OptList", 1), forms::vbKeyReturn);
            });
            EXPECT_FALSE(valmor.ShowMenuView("Element type", options, choice, "Choose the element type:"));
            EXPECT_EQ(choice, "Quadrilaterals");
        }
        {
            auto d = check("group list", nullptr, [](Form& form) {
                forms::checkItem(form.control("LstGroup"), 1, true);
                forms::pressKey(form.control("LstGroup"), forms::vbKeyReturn);
            });
            EXPECT_FALSE(valmor.ShowGroupList("Defects", "Choose the defects to repair:", entries, chosen));
            EXPECT_EQ(chosen.ubound(1) == 1 ? chosen.at(1).toString() : "", "Quadrilaterals");
        }
        {
            auto d = check("grid input", "CmdCancel");
            valmor.HeadGrid("Loads"), valmor.NoColGrid(2), valmor.NoRowGrid(1);
            VArray titles = strings({"", "x", "y"}), types(rt::VarType::Integer), maxima(rt::VarType::Double),
                   minima(rt::VarType::Double), values;
            for (VArray* a : {&types, &maxima, &minima}) a->redim(0, 2);
            for (std::int32_t c = 1; c <= 2; ++c) types.at(c) = std::int16_t{halvex::InputSingle}, maxima.at(c) = 1.0;
            values.redim(0, 1, 0, 2);
            EXPECT_TRUE(valmor.ShowGridInput(titles, values, types, maxima, minima));
        }
        { auto d = check("company header", "CmdCancel"); valmor.ShowFirma(firma1, firma2); }
        { auto d = check("language dialog", "CmdCancel"); valmor.ShowLanguageSetting(); }
        { auto d = check("about box", "cmdOK"); valmor.ShowAbout(); }
        { auto d = check("order header", "CmdCancel"); halvex::ClsShowDialog().ShowAuf(order, date, project); }
        EXPECT_EQ(seen, 7);
    }
}

TEST_F(StandardDialogsTest, SystemInformationIsTheFirstProgramOnThePathOrAMessage)
{
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath != nullptr ? oldPath : "";
    const fs::path bin = folder_ / "bin", program = bin / "hardinfo";
    fs::create_directories(bin);
    ::setenv("PATH", (folder_.string() + "/none::" + bin.string()).c_str(), 1);
    forms::ScopedMsgBox boxes;
    // Nothing on the path; there but not executable; there; the start refused.
    for (int step = 0; step < 4; ++step) {
        if (step == 1) writeFile("bin/hardinfo", "#!/bin/sh\n");
        if (step > 0) ::chmod(program.c_str(), step == 1 ? 0644 : 0755);
        desktop_->succeed = step != 3;
        if (step != 2) boxes->answer(forms::vbOK);
        forms::ScopedModalDriver driver([](Form& form) {
            press(form, "cmdSysInfo");
            EXPECT_TRUE(form.Visible());  // the box stays open
            press(form, "cmdOK");
        });
        valmor.ShowAbout();
    }
    ::setenv("PATH", savedPath.c_str(), 1);
    ASSERT_EQ(boxes->boxes().size(), 3u);
    for (const forms::MessageBoxRequest& box : boxes->boxes()) EXPECT_TRUE(box.prompt == text(140151) && box.style == 0);
    ASSERT_EQ(desktop_->startedPrograms.size(), 2u);
    EXPECT_EQ(desktop_->startedPrograms[0].program, program.string());
}

}  // namespace
