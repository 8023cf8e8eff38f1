// The move of a staged output into place, cut short at every rename (a
// failed rename, and a process killed there and resolved by the next run),
// with and without an earlier output, and a temporary folder that is gone.
#include <cerrno>
#include <filesystem>
#include <map>

#include "orvelo/project/output_folder.h"
#include "project_fixture.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

class OutputFolderTest : public ProjectTest {
protected:
    void TearDown() override {
        orvelo::setCommitRenameHook(nullptr);
        ProjectTest::TearDown();
    }

    // The files of project NEW in dir, by name, with their content.
    Files projectIn(const std::string& dir) const {
        Files files;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string().rfind("NEW.", 0) == 0)
                files[entry.path().filename().string()] = folder.read(fs::relative(entry.path(), folder.dir()).string());
        return files;
    }

    // Whatever is in dir but the project files: leftover folders and marks.
    static int othersIn(const std::string& dir) {
        int others = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir))
            others += entry.path().filename().string().rfind("NEW.", 0) != 0;
        return others;
    }

    // A staging of NEW in dir holding the new project, written as the
    // operations write it.
    void stageNew(orvelo::StagedOutput& staging, const std::string& dir) const {
        staging.Begin(dir, "NEW", folder.dir(), "SLAB");
        for (const auto& [name, content] : newProject) {
            folder.write(fs::relative(staging.Folder() + name, folder.dir()).string(), content);
            orvelo::NoteStagedFile(staging.Folder() + name);
        }
    }

    const Files earlier{{"NEW.PO1", "old header"}, {"NEW.PL6", "old net"}, {"NEW.XYZ", "old stale"}};
    const Files newProject{{"NEW.GL2", "edges"}, {"NEW.PL6", "new net"}, {"NEW.PO1", "new header"},
                           {"NEW.PV1", "values"}};
};

// Property: whichever rename fails or is the last before a kill, the
// earlier output is intact or the new project whole, and a project file in
// place always comes with its whole project.
TEST_F(OutputFolderTest, AMoveCutShortAnywhereLeavesOneWholeProject) {
    for (const bool withEarlier : {false, true}) {
        bool committed = false;
        for (int failAt = 1; !committed; ++failAt) {
            SCOPED_TRACE(std::string(withEarlier ? "earlier output, " : "") + "rename " + std::to_string(failAt));
            const std::string tag = std::to_string(withEarlier) + "-" + std::to_string(failAt);
            const std::string dir = folder.path("out" + tag + "/");
            const std::string killed = folder.path("killed" + tag + "/");
            fs::create_directory(dir);
            if (withEarlier)
                for (const auto& [name, content] : earlier) folder.write("out" + tag + "/" + name, content);
            const Files before = withEarlier ? earlier : Files{};

            orvelo::StagedOutput staging;
            stageNew(staging, dir);
            int renames = 0;
            orvelo::setCommitRenameHook([&](const std::string&, const std::string&) {
                if (++renames != failAt) return 0;
                fs::copy(dir, killed, fs::copy_options::recursive);
                return EIO;
            });
            try {
                staging.Commit();
                committed = true;
            } catch (const rt::RuntimeError&) {
            }
            orvelo::setCommitRenameHook(nullptr);
            EXPECT_EQ(projectIn(dir), committed ? newProject : before);
            EXPECT_EQ(othersIn(dir), 0);
            if (committed) break;

            // The kill: a project file in place means a whole project; the
            // next run puts the rest right and says so.
            const Files atKill = projectIn(killed);
            if (atKill.count("NEW.PO1") != 0) {
                EXPECT_TRUE(atKill == before || atKill == newProject);
            }
            EXPECT_NE(orvelo::ResolveLeftoverOutput(killed, "NEW"), "");
            const Files resolved = projectIn(killed);
            EXPECT_TRUE(resolved == before || resolved == newProject) << resolved.size();
            EXPECT_EQ(othersIn(killed), 0);
        }
    }
}

// The temporary folder gone or changed before the move (a clean-up, a
// network folder lost, the whole output folder moved): the run fails naming
// the folder, and the earlier output stays.
TEST_F(OutputFolderTest, ATemporaryFolderThatLostFilesIsNeverMovedIntoPlace) {
    const std::string dir = folder.path("out/");
    const std::function<void(const std::string&)> damages[] = {
        [](const std::string& staged) { fs::remove_all(staged); },
        [&](const std::string& staged) { fs::remove(staged + "NEW.PV1"); },
        [&](const std::string& staged) { folder.write(fs::relative(staged + "NEW.PL6", folder.dir()).string(), "net"); },
    };
    for (const auto& damage : damages) {
        fs::create_directory(dir);
        for (const auto& [name, content] : earlier) folder.write("out/" + name, content);
        orvelo::StagedOutput staging;
        stageNew(staging, dir);
        const std::string staged = staging.Folder();
        damage(staged);
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { staging.Commit(); }, &description), 76);
        EXPECT_NE(description.find(staged), std::string::npos) << description;
        EXPECT_EQ(projectIn(dir), earlier);
        EXPECT_EQ(othersIn(dir), 0);
    }
    // The output folder itself gone.
    orvelo::StagedOutput staging;
    stageNew(staging, dir);
    fs::rename(dir, folder.path("elsewhere"));
    EXPECT_EQ(errorNumberOf([&] { staging.Commit(); }), 76);
    EXPECT_FALSE(fs::exists(dir));
}

// The status lines name a file of the output by its place, never by the
// temporary folder; the leftovers of an interrupted run are told there.
TEST_F(OutputFolderTest, StatusLinesNameTheOutputProjectAtItsPlace) {
    const std::string dir = folder.path("out/");
    fs::create_directories(dir + "~NEW.unfinished");
    orvelo::ResolveLeftoverOutput(dir, "NEW");
    EXPECT_NE(orvelo::TakeLeftoverOutputNote().find(dir + "~NEW.unfinished"), std::string::npos);
    EXPECT_EQ(orvelo::TakeLeftoverOutputNote(), "");
    orvelo::StagedOutput staging;
    stageNew(staging, dir);
    EXPECT_EQ(staging.Folder(), dir + "~NEW.unfinished/");
    for (const std::int16_t kind : {halvex::ReadingFile, halvex::DisplyFileName}) {
        orvelo::SharedServices().Prod(staging.Folder() + "NEW.PV1");
        orvelo::ShowFileStatus(kind);
        EXPECT_NE(window->statusText().find(dir + "NEW.PV1"), std::string::npos) << window->statusText();
        EXPECT_EQ(window->statusText().find("~"), std::string::npos) << window->statusText();
    }
}

}  // namespace
