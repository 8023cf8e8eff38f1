// The move of a staged output into place: cut short at any rename, from a
// folder that lost files; the status lines of a staged output.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <vector>

#include "orvelo/project/output_folder.h"
#include "project_fixture.h"
#include "unprivileged.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// The files of project NEW in dir; others counts whatever else is there.
Files projectIn(const std::string& dir, int* others = nullptr) {
    Files files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("NEW.", 0) == 0)
            files[name] = std::string(std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {});
        else if (others)
            ++*others;
    }
    return files;
}

const Files earlier{{"NEW.PO1", "old header"}, {"NEW.PL6", "old net"}, {"NEW.XYZ", "old"}};
const Files newProject{{"NEW.GL2", "edges"}, {"NEW.PL6", "new net"}, {"NEW.PO1", "new"}, {"NEW.PV1", "v"}};

// A staging of NEW in dir (holding before) with the new project written.
void stageNew(orvelo::StagedOutput& staging, const std::string& dir, const Files& before) {
    fs::create_directory(dir);
    for (const auto& [name, content] : before) std::ofstream(dir + name) << content;
    staging.Begin(dir, "NEW", dir, "SLAB");
    for (const auto& [name, content] : newProject) {
        std::ofstream(staging.Folder() + name) << content;
        orvelo::NoteStagedFile(staging.Folder() + name);
    }
}

using OutputFolderTest = ProjectTest;

// Property: whichever rename fails or is the last before a kill (the moves
// or their putting back), the earlier output is intact or the new one
// whole; a .PO1 in place means a whole one.
TEST_F(OutputFolderTest, AMoveCutShortAnywhereLeavesOneWholeProject) {
    for (const Files& before : {Files{}, earlier}) {
        for (int failAt = 1;; ++failAt) {
            const std::string dir = folder.path("out" + std::to_string(before.size()) + "-" + std::to_string(failAt));
            SCOPED_TRACE(dir);
            orvelo::StagedOutput staging;
            stageNew(staging, dir + "/", before);
            int renames = 0;
            std::vector<std::string> kills;
            orvelo::setCommitRenameHook([&](const std::string&, const std::string&) {
                if (++renames >= failAt) {
                    kills.push_back(dir + "-killed" + std::to_string(renames - failAt));
                    fs::copy(dir, kills.back(), fs::copy_options::recursive);
                }
                return renames == failAt ? EIO : 0;
            });
            const bool committed = errorNumberOf([&] { staging.Commit(); }) == 0;
            orvelo::setCommitRenameHook(nullptr);
            int others = 0;
            EXPECT_EQ(projectIn(dir, &others), committed ? newProject : before);
            EXPECT_EQ(others, 0);
            if (committed) break;
            // The next run may name the output in another case, or be cut
            // short at its second rename and followed by another.
            fs::copy(kills[0], dir + "-case", fs::copy_options::recursive);
            fs::copy(kills[0], dir + "-twice", fs::copy_options::recursive);
            renames = 0;
            orvelo::setCommitRenameHook([&](const std::string&, const std::string&) { return ++renames == 2 ? EIO : 0; });
            errorNumberOf([&] { orvelo::ResolveLeftoverOutput(dir + "-twice", "NEW"); });
            orvelo::setCommitRenameHook(nullptr);
            kills.insert(kills.end(), {dir + "-case", dir + "-twice"});
            for (const std::string& killed : kills) {
                SCOPED_TRACE(killed);
                const Files atKill = projectIn(killed);
                EXPECT_TRUE(atKill.count("NEW.PO1") == 0 || atKill == before || atKill == newProject);
                const std::string note = orvelo::ResolveLeftoverOutput(killed, killed == dir + "-case" ? "new" : "NEW");
                if (killed == kills[0] || killed == dir + "-case") {
                    EXPECT_NE(note, "");
                }
                const Files resolved = projectIn(killed, &others);
                EXPECT_TRUE(resolved == before || resolved == newProject) << resolved.size();
                EXPECT_EQ(others, 0);
            }
        }
    }
}

// A move cut short whose putting back fails as well (the output folder made
// read-only between the two): nothing is removed with the aside or the
// temporary folder, and the next run finishes the putting back.
TEST_F(OutputFolderTest, AMoveThatCannotBePutBackIsFinishedByTheNextRun) {
    for (const Files& before : {Files{}, earlier}) {
        for (int failAt = 1; failAt <= 4; ++failAt) {
            const std::string dir = folder.path("back" + std::to_string(before.size()) + "-" + std::to_string(failAt) + "/");
            SCOPED_TRACE(dir);
            orvelo::StagedOutput staging;
            stageNew(staging, dir, before);
            int movedIn = 0;
            orvelo::setCommitRenameHook([&](const std::string& from, const std::string& to) {
                if (from.find(".replaced") != std::string::npos || to.find(".unfinished") != std::string::npos)
                    return EACCES;
                return from.find(".unfinished") != std::string::npos && ++movedIn == failAt ? EACCES : 0;
            });
            EXPECT_NE(errorNumberOf([&] { staging.Commit(); }), 0);
            orvelo::setCommitRenameHook(nullptr);
            orvelo::ResolveLeftoverOutput(dir, "NEW");
            int others = 0;
            EXPECT_EQ(projectIn(dir, &others), before);
            EXPECT_EQ(others, 0);
        }
    }
}

// A temporary folder gone or without a file written into it is never moved
// into place: the error names it, and the earlier output stays.
TEST_F(OutputFolderTest, ATemporaryFolderThatLostFilesIsNeverMovedIntoPlace) {
    for (const std::string lost : {"", "NEW.PV1"}) {
        orvelo::StagedOutput staging;
        stageNew(staging, folder.path("out/"), earlier);
        const std::string staged = staging.Folder();
        fs::remove_all(staged + lost);
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { staging.Commit(); }, &description), 76) << lost;
        EXPECT_NE(description.find(staged), std::string::npos) << description;
        EXPECT_EQ(projectIn(folder.path("out/")), earlier);
    }
}

// A link named as a leftover folder is no leftover: what it leads to is
// neither emptied nor put in place.
TEST_F(OutputFolderTest, ALinkNamedAsALeftoverIsLeftAlone) {
    for (const std::string dir : {"elsewhere", "out"}) fs::create_directory(folder.path(dir));
    folder.write("elsewhere/NEW.PO1", "not an output");
    for (const std::string link : {"~NEW.unfinished", "~NEW.replaced"})
        fs::create_directory_symlink(folder.path("elsewhere"), folder.path("out/" + link));
    EXPECT_EQ(orvelo::ResolveLeftoverOutput(folder.path("out"), "NEW"), "");
    EXPECT_EQ(projectIn(folder.path("elsewhere")), (Files{{"NEW.PO1", "not an output"}}));
    EXPECT_EQ(projectIn(folder.path("out")), Files{});
}

// One run per output name; leftover resolution leaves live runs' folders
// alone (ours, another computer's) and takes an ended process's.
TEST_F(OutputFolderTest, OneRunPerOutputName) {
    const std::string dir = folder.path("one/");
    fs::create_directory(dir);
    const auto text = [](std::int32_t number, std::vector<rt::Variant> pairs) { return orvelo::LanguageTexts().GetText(rt::Variant(number), pairs); };
    orvelo::OutputLock first, second;
    ASSERT_EQ(first.Acquire(dir, "NEW"), "");
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const auto marked = [&](const std::string& name, const std::string& owner, long pid) {
        fs::create_directory(dir + name);
        std::ofstream(dir + name + "/~owner") << owner << "\n" << pid << "\n";
        std::ofstream(dir + name + "/NEW.PL6") << "part";
        return dir + name + "/";
    };
    const std::string leftover = marked("~NEW.unfinished-7", host, ended);
    {
        orvelo::StagedOutput staging;
        stageNew(staging, dir, {});
        EXPECT_EQ(orvelo::ResolveLeftoverOutput(dir, "new"), "");
        EXPECT_EQ(projectIn(staging.Folder()), newProject);
        EXPECT_TRUE(fs::exists(leftover));
    }
    EXPECT_EQ(orvelo::ResolveLeftoverOutput(dir, "NEW"), text(190082, {"|1", leftover}));
    EXPECT_FALSE(fs::exists(leftover));

    const std::string remote = marked("~NEW.unfinished", "elsewhere", ::getpid());
    EXPECT_EQ(orvelo::ResolveLeftoverOutput(dir, "NEW"), "");
    EXPECT_TRUE(fs::exists(remote + "NEW.PL6"));
    first.Release();
    EXPECT_FALSE(fs::exists(dir + "~new.lock"));
    EXPECT_EQ(second.Acquire(dir, "NEW"),
              text(190263, {"|1", "NEW", "|2", dir, "|3", static_cast<std::int32_t>(::getpid()), "|4", "elsewhere", "|5", remote}));
}

// A run's folder gone, not writable or not a folder is named.
TEST_F(OutputFolderTest, TheRunsFoldersAreNamedWhenTheyStopIt) {
    const auto expectNamed = [](const std::function<void()>& work, std::int32_t number, const std::string& path) {
        std::string description;
        errorNumberOf(work, &description);
        EXPECT_EQ(description, orvelo::LanguageTexts().GetText(rt::Variant(number), {"|1", path}));
    };
    const std::string dir = folder.path("out/");
    ::chmod(folder.dir().c_str(), 0755);  // for nobody's user below
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        orvelo::StagedOutput staging;
        stageNew(staging, dir, {});
        const std::string staged = staging.Folder();
        if (round < 2) {  // the temporary folder, then the output folder, gone
            fs::remove_all(round == 1 ? dir : staged);
            expectNamed([&] { orvelo::OpenDataFile(staged + "NEW.PV1", halvex::InputMode, 1, 0); }, 190261, round == 1 ? dir : staged);
            expectNamed([&] { orvelo::OpenDataFile(staged + "NEW.P41", halvex::OutputMode, 1, 0); }, 190261, round == 1 ? dir : staged);
        } else if (round == 2) {  // root writes whatever the mode: nobody's user
            ::chmod(dir.c_str(), 0755);
            ::chmod(staged.c_str(), 0555);
            const ohtest::Unprivileged asNobody;
            expectNamed([&] { orvelo::OpenDataFile(staged + "NEW.P41", halvex::OutputMode, 1, 0); }, 190265, staged);
        } else {
            ::chmod(staged.c_str(), 0755);
            staging.Discard();
            const std::string obstacle = dir + "~NEW.unfinished";
            std::ofstream(obstacle) << "not a folder";
            expectNamed([&] { staging.Begin(dir, "NEW", dir, "SLAB"); }, 190268, obstacle);
            fs::remove(obstacle);
        }
    }
}

// Status lines name a staged file at its place in the output folder.
TEST_F(OutputFolderTest, StatusLinesNameTheOutputProjectAtItsPlace) {
    orvelo::StagedOutput staging;
    stageNew(staging, folder.path("out/"), {});
    orvelo::SharedServices().Prod(staging.Folder() + "NEW.PV1");
    orvelo::ShowFileStatus(halvex::DisplyFileName);
    EXPECT_NE(window->statusText().find(folder.path("out/NEW.PV1")), std::string::npos) << window->statusText();
}

}  // namespace
