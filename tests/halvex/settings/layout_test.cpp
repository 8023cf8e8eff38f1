// The recent-file list, form placement, dock-layout files and toolbar
// measures, with fake host objects.
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
#include "platform/forms/screen.h"
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
        setenv("OH_SETTINGS_DIR", folder_.c_str(), 1);  // the user's folder too
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
    EXPECT_EQ(box->boxes().size(), 1u);

    // Menu captions keep the start of the folder and the name; a gap closes
    // in the menu and in the store; a hidden record keeps no caption.
    const std::string whole49 = "/home/user/projects/" + std::string(25, 'x') + ".PO1";
    const std::string long50 = "/home/user/projects/" + std::string(26, 'x') + ".PO1";
    const std::string noSeparator = std::string(60, 'y');
    menu[4].Caption = "4 stale";
    setList({whole49, "", long50, noSeparator});
    setting.Set_RecentFile(kApp, menu);
    EXPECT_EQ(menu[1].Caption, "1 " + whole49);
    EXPECT_EQ(menu[2].Caption, "2 /home/user/.../" + std::string(26, 'x') + ".PO1");
    EXPECT_EQ(menu[3].Caption, "3 " + noSeparator) << "shown whole, never a failure";
    EXPECT_FALSE(menu[4].Visible);
    EXPECT_EQ(menu[4].Caption, "");
    EXPECT_EQ(list(), (std::vector<std::string>{whole49, long50, noSeparator, ""}));

    // A menu without its five records: refused under the member's name, the list kept.
    std::vector<RecentMnuData> shortMenu(2);
    box->answer(forms::vbOK);
    EXPECT_TRUE(setting.SetFileAtTheTopList(a, kApp, shortMenu));
    EXPECT_NE(box->boxes().back().prompt.find("SetFileAtTheTopList"), std::string::npos) << box->boxes().back().prompt;
    EXPECT_EQ(list(), (std::vector<std::string>{whole49, long50, noSeparator, ""}));
}

// Dock containers that hand out and take fixed texts.
class Containers : public IDockContainers {
public:
    std::string SaveLayout(std::int16_t& i) override { return "<c" + std::to_string(i) + " \xE9/>"; }
    void Visible(std::int16_t& i, bool v) override { visible[i] = v; }
    void RestoreLayout(std::int16_t&, std::string& layout, std::vector<std::string>&, std::vector<std::int32_t>&) override
    {
        restored.push_back(layout);
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

    std::ofstream(LayoutFilePath(MDIDataForm)).close();
    EXPECT_TRUE(setting.GetTbarSetting(containers, MDIDataForm, keys, handles)) << "an empty file";
    EXPECT_TRUE(box->boxes().empty());

    for (int i = 0; i < 2; ++i) box->answer(forms::vbOK);
    EXPECT_TRUE(setting.GetTbarSetting(containers, MDIListForm, keys, handles));
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("MDIList.xml"), std::string::npos);

    std::filesystem::create_directory(path + ".tmp");
    setting.SaveTbarSetting(containers, MDIGraphicForm);
    EXPECT_EQ(box->boxes().size(), 2u);
    EXPECT_EQ(read(path), expected) << "the old file stays";
}

TEST_F(LayoutTest, KeysGiveTheirIndex)
{
    ClsInerfaceSetting setting;
    EXPECT_EQ(setting.GetIndexFromKey("Zoom( 2.5 )"), 2);
    EXPECT_EQ(setting.GetIndexFromKey("Print(12"), -1);
    EXPECT_THROW(setting.GetIndexFromKey("Print()"), rt::RuntimeError);
}

TEST_F(LayoutTest, AStoredPlacementOffEveryScreenOrDamagedStillOpensAUsableWindow)
{
    struct Form : IPlacedForm {
        std::vector<std::int32_t> v{0, 1500, 1500, 6000, 4500};
        std::int16_t WindowState() override { return static_cast<std::int16_t>(v[0]); }
        void WindowState(std::int16_t x) override { v[0] = x; }
        std::int32_t Left() override { return v[1]; }
        void Left(std::int32_t x) override { v[1] = x; }
        std::int32_t Top() override { return v[2]; }
        void Top(std::int32_t x) override { v[2] = x; }
        std::int32_t Width() override { return v[3]; }
        void Width(std::int32_t x) override { v[3] = x; }
        std::int32_t Height() override { return v[4]; }
        void Height(std::int32_t x) override { v[4] = x; }
    };
    forms::screen().setAreasPixels({{0, 0, 1024, 768}, {1024, 0, 2048, 768}});  // 15360 twips each; kept, moved, damaged
    auto restored = [&](std::vector<std::string> values) {
        const char* keys[] = {"WindowState", "MainLeft", "MainTop", "MainWidth", "MainHeight"};
        for (std::size_t i = 0; i < values.size(); ++i) forms::settings().save(kApp, "Main", keys[i], values[i]);
        Form f;
        ClsInerfaceSetting().GetFormSetting(f, kApp, "Main");
        return f.v;
    };
    EXPECT_EQ(restored({"0", "16000", "300", "9000", "6000"}), (std::vector{0, 16000, 300, 9000, 6000}));
    EXPECT_EQ(restored({"0", "-30000", "-30000", "40000", "0"}), (std::vector{0, 0, 0, 15360, 2250}));
    EXPECT_EQ(restored({"7", "garbage", "300", "1e99", "6000"}), (std::vector{2, 1500, 1500, 6000, 4500}));
    EXPECT_EQ(restored({"0"}), (std::vector{0, 1500, 300, 6000, 6000}));
    forms::screen().setAreasPixels({});
}

}  // namespace
