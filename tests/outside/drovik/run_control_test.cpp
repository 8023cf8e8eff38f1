#include <gtest/gtest.h>

#include <filesystem>

#include "outside/drovik/run_control.h"

namespace {

struct Split {
    std::string fullPath = "unchanged";
    std::string dir = "unchanged";
    std::string name = "unchanged";
    std::int16_t failed = -1;
};

Split split(const std::string& path, const std::string& extension) {
    Split s;
    drovik::ClsRunControl().SplitProjectPath(path, s.fullPath, s.dir, s.name, extension, s.failed);
    return s;
}

TEST(SplitProjectPath, SplitsAtEitherSeparator) {
    Split s = split("/data/projects\\Slab 1.PO1", "");
    ASSERT_EQ(s.failed, 0);
    EXPECT_EQ(s.fullPath, "/data/projects/Slab 1.PO1");
    EXPECT_EQ(s.dir, "/data/projects/");
    EXPECT_EQ(s.name, "Slab 1");

    s = split("/data/a.b/../Slab.v2.po1", "PO1");  // extension compared without case
    ASSERT_EQ(s.failed, 0);
    EXPECT_EQ(s.dir, "/data/");
    EXPECT_EQ(s.name, "Slab.v2");

    s = split("/data/Slab", "");  // no extension, none asked for
    ASSERT_EQ(s.failed, 0);
    EXPECT_EQ(s.name, "Slab");
}

TEST(SplitProjectPath, RelativePathsStartFromTheCurrentFolder) {
    const Split s = split("sub/Slab.PO1", ".PO1");
    ASSERT_EQ(s.failed, 0);
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(s.dir, cwd + "/sub/");
    EXPECT_EQ(s.fullPath, cwd + "/sub/Slab.PO1");
    EXPECT_EQ(s.name, "Slab");
}

TEST(SplitProjectPath, RefusesPathsWithoutAProjectFile) {
    for (const auto& [path, extension] : std::vector<std::pair<std::string, std::string>>{
             {"", ""},
             {"   ", ""},
             {"/data/projects/", ""},
             {"/data/projects\\", ""},
             {"/data/.PO1", "PO1"},
             {"/data/..", ""},
             {"/data/Slab.PL6", "PO1"},
             {"/data/Slab", "PO1"},
         }) {
        const Split s = split(path, extension);
        EXPECT_NE(s.failed, 0) << path;
        EXPECT_EQ(s.fullPath, "unchanged") << path;
        EXPECT_EQ(s.dir, "unchanged") << path;
        EXPECT_EQ(s.name, "unchanged") << path;
    }
}

}  // namespace
