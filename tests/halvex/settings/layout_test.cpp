// ClsInerfaceSetting: the recent-file list, form placement, the dock-layout
// files and the toolbar measures, with fake host objects.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "halvex/services/library_state.h"
#include "halvex/settings/cls_inerface_setting.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

using namespace halvex;

namespace {

const std::string kApp = "LayoutProbe";

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetLibraryState();
        previous_ = forms::setSettingsStore(nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() / ("halvex_layout_" + std::string(info->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        libraryState().ApplicationPath = folder_.string();
    }
    void TearDown() override
    {
        forms::setSettingsStore(previous_);
        std::filesystem::remove_all(folder_);
    }
    void setList(std::initializer_list<std::string> entries)
    {
        int i = 1;
        for (const std::string& e : entries) forms::settings().save(kApp, "Recent Files", "File" + std::to_string(i++), e);
    }
    std::vector<std::string> list() const
    {
        std::vector<std::string> l;
        for (int i = 1; i <= 4; ++i) l.push_back(forms::settings().get(kApp, "Recent Files", "File" + std::to_string(i), ""));
        return l;
    }
    std::string touch(const std::string& name) const
    {
        std::ofstream((folder_ / name).string()) << "x";
        return (folder_ / name).string();
    }
    static std::string read(const std::string& path)
    {
        std::stringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

    std::filesystem::path folder_;
    std::shared_ptr<forms::SettingsStore> previous_;
};

TEST_F(LayoutTest, TheRecentFileList)
{
    ClsInerfaceSetting setting;
    std::vector<RecentMnuData> menu(5);
    setList({"A", "B", "C", "D"});
    EXPECT_FALSE(setting.SetFileAtTheTopList(" b ", kApp, menu));
    EXPECT_EQ(list(), (std::vector<std::string>{" b ", "A", "C", "D"}));
    setList({"A", "B", "B", "C"});
    EXPECT_FALSE(setting.SetFileAtTheTopList("B", kApp, menu));
    EXPECT_EQ(list(), (std::vector<std::string>{"B", "A", "C", ""})) << "both duplicates go";

    const std::string a = touch("A.PO1"), c = touch("C.PO1"), d = touch("D.PO1");
    const std::string gone = (folder_ / "B.PO1").string();
    setList({a, gone, c, d});
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    std::int16_t n = 2;
    EXPECT_EQ(setting.RecentFileI(kApp, n, menu), "");
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(gone), std::string::npos);
    EXPECT_EQ(list(), (std::vector<std::string>{a, c, d, ""}));
    n = 4;
    EXPECT_EQ(setting.RecentFileI(kApp, n, menu), "") << "an empty entry, no message";
    n = 1;
    EXPECT_EQ(setting.RecentFileI(kApp, n, menu), a);
    EXPECT_EQ(box->boxes().size(), 1u);
}

TEST_F(LayoutTest, MenuCaptionsAreShortenedAtTheLastSeparator)
{
    ClsInerfaceSetting setting;
    std::vector<RecentMnuData> menu(5);
    const std::string whole49 = "/home/user/projects/" + std::string(25, 'x') + ".PO1";
    const std::string long50 = "/home/user/projects/" + std::string(26, 'x') + ".PO1";
    const std::string noSeparator = std::string(60, 'y');
    ASSERT_EQ(whole49.size(), 49u);
    setList({whole49, long50, noSeparator, ""});
    setting.Set_RecentFile(kApp, menu);
    EXPECT_EQ(menu[1].Caption, "1 " + whole49);
    EXPECT_EQ(menu[2].Caption, "2 .../" + std::string(26, 'x') + ".PO1");
    EXPECT_EQ(menu[3].Caption, "3 " + noSeparator) << "shown whole, never a failure";
    EXPECT_TRUE(menu[0].Visible && menu[1].Visible && menu[2].Visible && menu[3].Visible);
    EXPECT_FALSE(menu[4].Visible);

    setList({"", "", "third", ""});
    setting.Set_RecentFile(kApp, menu);
    EXPECT_TRUE(menu[0].Visible && menu[3].Visible);
    EXPECT_FALSE(menu[1].Visible || menu[2].Visible || menu[4].Visible);
    EXPECT_EQ(menu[3].Caption.substr(0, 2), "3 ");
}

// Dock containers that hand out and take fixed texts.
class Containers : public IDockContainers {
public:
    std::string SaveLayout(std::int16_t& i) override { return "<c" + std::to_string(i) + " \xE9/>"; }
    void Visible(std::int16_t& i, bool v) override { visible[i] = v; }
    void RestoreLayout(std::int16_t&, std::string& layout, std::vector<std::string>& SKey,
                       std::vector<std::int32_t>& hwnd) override
    {
        restored.push_back(layout);
        EXPECT_FALSE(SKey.empty());
        EXPECT_FALSE(hwnd.empty());
    }
    std::map<int, bool> visible;
    std::vector<std::string> restored;
};

TEST_F(LayoutTest, DockLayoutFiles)
{
    ClsInerfaceSetting setting;
    Containers containers;
    forms::ScopedMsgBox box;
    setting.SaveTbarSetting(containers, MDIGraphicForm);
    const std::string path = LayoutFilePath(MDIGraphicForm);
    const std::string expected = "<Layout>\r\n<c0 \xE9/>\r\n<c1 \xE9/>\r\n<c2 \xE9/>\r\n<c3 \xE9/>\r\n</Layout>";
    EXPECT_EQ(read(path), expected);

    std::vector<std::string> keys = {"k"};
    std::vector<std::int32_t> handles = {7};
    EXPECT_FALSE(setting.GetTbarSetting(containers, MDIGraphicForm, keys, handles));
    EXPECT_EQ(containers.restored, std::vector<std::string>(4, expected));
    EXPECT_FALSE(containers.visible[3]);
    EXPECT_TRUE(keys.empty() && handles.empty());

    std::ofstream(LayoutFilePath(MDIDataForm)).close();
    EXPECT_TRUE(setting.GetTbarSetting(containers, MDIDataForm, keys, handles)) << "an empty file";
    EXPECT_TRUE(box->boxes().empty());

    for (int i = 0; i < 3; ++i) box->answer(forms::vbOK);
    EXPECT_TRUE(setting.GetTbarSetting(containers, MDIListForm, keys, handles));
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("MDIList.xml"), std::string::npos);
    EXPECT_TRUE(setting.GetTbarSetting(containers, static_cast<FormIndex>(8), keys, handles));
    EXPECT_EQ(box->boxes().size(), 2u);

    std::filesystem::create_directory(path + ".tmp");
    setting.SaveTbarSetting(containers, MDIGraphicForm);
    EXPECT_EQ(box->boxes().size(), 3u);
    EXPECT_EQ(read(path), expected) << "the old file stays";
}

class Toolbar : public IToolbar {
public:
    struct Button {
        std::int32_t width = 24, height = 22, style = 0, control = 0;
        bool visible = true;
    };
    std::vector<Button> buttons;
    std::int32_t ButtonCount() override { return static_cast<std::int32_t>(buttons.size()); }
    bool ButtonVisible(std::int32_t& i) override { return buttons.at(i).visible; }
    std::int32_t ButtonControl(std::int32_t& i) override { return buttons.at(i).control; }
    std::int32_t ButtonStyle(std::int32_t& i) override { return buttons.at(i).style; }
    std::int32_t ButtonWidth(std::int32_t& i) override { return buttons.at(i).width; }
    std::int32_t ButtonHeight(std::int32_t& i) override { return buttons.at(i).height; }
    void ButtonEnabled(std::int32_t& i, bool) override { buttons.at(i); }
};

TEST_F(LayoutTest, KeysAndToolbarMeasures)
{
    ClsInerfaceSetting setting;
    EXPECT_EQ(setting.GetIndexFromKey("Print(12)"), 12);
    EXPECT_EQ(setting.GetIndexFromKey("Zoom( 2.5 )"), 2);
    EXPECT_EQ(setting.GetIndexFromKey("Print(12"), -1);
    EXPECT_EQ(setting.GetIndexFromKey("Print"), -1);
    EXPECT_THROW(setting.GetIndexFromKey("Print(x)"), rt::RuntimeError);
    EXPECT_THROW(setting.GetIndexFromKey("Print()"), rt::RuntimeError);

    Toolbar bar;
    bar.buttons = {{24, 22}, {24, 22}, {6, 5, 1}, {24, 30}, {90, 90, 0, 77}, {90, 90, 0, 0, false}};
    EXPECT_EQ(setting.getVerticalWidth(bar), 24);
    // Row of 22, the separator adds 8 and closes it, then rows of 22 and 30.
    EXPECT_EQ(setting.getVerticalHeight(bar), 22 + 22 + 8 + 30);
}

class PlacedForm : public IPlacedForm {
public:
    std::int16_t state = 0;
    std::int32_t left = 1, top = 2, width = 3, height = 4;
    std::int16_t WindowState() override { return state; }
    void WindowState(std::int16_t v) override { state = v; }
    std::int32_t Left() override { return left; }
    void Left(std::int32_t v) override { left = v; }
    std::int32_t Top() override { return top; }
    void Top(std::int32_t v) override { top = v; }
    std::int32_t Width() override { return width; }
    void Width(std::int32_t v) override { width = v; }
    std::int32_t Height() override { return height; }
    void Height(std::int32_t v) override { height = v; }
};

TEST_F(LayoutTest, FormPlacement)
{
    ClsInerfaceSetting setting;
    PlacedForm form;
    setting.GetFormSetting(form, kApp, "Main");
    EXPECT_EQ(form.state, 2) << "a first start opens maximised";
    for (auto [state, left] : {std::pair<std::int16_t, std::int32_t>{0, 100}, {2, 5}}) {
        form.state = state, form.left = left;
        setting.SaveFormSetting(form, kApp, "Main");
    }
    EXPECT_EQ(forms::settings().get(kApp, "Main", "MainLeft", ""), "100") << "a maximised form stores its state only";
    forms::settings().save(kApp, "Main", "WindowState", "0");
    setting.GetFormSetting(form, kApp, "Main");
    EXPECT_EQ(form.left, 100);
}

}  // namespace
