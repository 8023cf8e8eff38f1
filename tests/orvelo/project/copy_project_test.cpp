#include <algorithm>
#include <filesystem>
#include <functional>

#include "orvelo/project/copy_project.h"
#include "orvelo/project/open_project.h"
#include "project_fixture.h"

using orvelo::CopyProjectFiles;
using orvelo::Declar;
using orvelo::ProjectFileExtensions;

namespace {

namespace fs = std::filesystem;

class CopyProjectTest : public ProjectTest {
protected:
    // Opens folder/SLAB (a whole small project) and aims the output at
    // outputDir/outputName.
    void openAndAim(const std::string& outputDir, const std::string& outputName) {
        chooseProject("SLAB");
        orvelo::OpenSourceProject();
        ASSERT_EQ(runState(), 0);
        orvelo::declar().OutputDir = outputDir;
        orvelo::declar().OutputName = outputName;
    }

    // The new net: the old one moved by (10, 0).
    static void moveNet() {
        Declar& d = orvelo::declar();
        for (int i = 1; i <= d.NodeCount; ++i) d.NodeX[i] += 10.0f;
    }

    orvelo::ProjectNet readNet(const std::string& prefix) const {
        orvelo::ProjectNet net;
        std::int16_t failed = -1;
        orvelo::ProjectReader().ReadNetFile(prefix, net.ElementCount, net.ElementList,
                                            net.NodeCount, net.NodeX, net.NodeY, 0, nullptr,
                                            failed);
        EXPECT_EQ(failed, 0);
        return net;
    }
};

TEST_F(CopyProjectTest, CopiesTheFilesOfTheSetThatExistAndWritesTheNewNet) {
    writeSmallProject("SLAB");
    for (std::string_view ext : ProjectFileExtensions) {
        if (ext == "PO1" || ext == "PL6" || ext == "PL8" || ext == "P41") continue;
        folder.write("SLAB." + std::string(ext), "contents of " + std::string(ext) + "\r\n");
    }
    folder.write("slab.p41", "borings\r\n");  // found whatever the case of its name
    folder.write("SLAB.PL3", "results\r\n");   // not part of the set
    fs::create_directory(folder.path("out"));
    openAndAim(folder.path("out/"), "NEW");
    moveNet();

    CopyProjectFiles();
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);
    for (std::string_view ext : ProjectFileExtensions) {
        const std::string name = "out/NEW." + std::string(ext);
        ASSERT_TRUE(fs::exists(folder.path(name))) << name;
        if (ext == "PO1" || ext == "PL6" || ext == "PL8") continue;
        const std::string expected =
            ext == "P41" ? "borings\r\n" : "contents of " + std::string(ext) + "\r\n";
        EXPECT_EQ(folder.read(name), expected) << name;
    }
    EXPECT_EQ(folder.read("out/NEW.PO1"), folder.read("SLAB.PO1"));
    EXPECT_FALSE(fs::exists(folder.path("out/NEW.PL3")));
    EXPECT_EQ(readNet(folder.path("out/NEW")).NodeX[3], 11.0f) << "the new net, not the copy";
    EXPECT_EQ(readNet(folder.path("SLAB")).NodeX[3], 1.0f);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path("out")), fs::directory_iterator()),
              26) << "no temporary files left";
}

TEST_F(CopyProjectTest, ProjectOfHeaderAndNetGivesHeaderAndBothNetFiles) {
    writeHeader("SLAB");
    folder.write("SLAB.PL6", "0\r\n0\r\n");
    Declar& d = orvelo::declar();
    makeSmallProject(d);
    d.DataDir = folder.dir();
    d.ProjectName = "SLAB";
    d.CopyFilesFlag = true;
    d.OutputDir = folder.path("out/");
    d.OutputName = "NEW";
    fs::create_directory(folder.path("out"));

    CopyProjectFiles();
    EXPECT_TRUE(box->boxes().empty());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path("out")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"NEW.PL6", "NEW.PL8", "NEW.PO1"}));
    EXPECT_EQ(readNet(folder.path("out/NEW")).NodeCount, 7);

    // Without the copy flag only the net files are written.
    d.CopyFilesFlag = false;
    d.OutputName = "OTHER";
    CopyProjectFiles();
    EXPECT_FALSE(fs::exists(folder.path("out/OTHER.PO1")));
    EXPECT_TRUE(fs::exists(folder.path("out/OTHER.PL8")));
}

TEST_F(CopyProjectTest, OutputOntoTheInputNeverCopiesAFileOntoItselfAndKeepsTheOldNet) {
    writeSmallProject("SLAB");
    folder.write("SLAB.GL1", "members\r\n");
    const std::string po1 = folder.read("SLAB.PO1");
    // The same folder written another way still names the same files.
    for (const std::string& outputDir : {folder.dir(), folder.dir() + "./"}) {
        openAndAim(outputDir, "SLAB");
        const orvelo::ProjectNet oldNet = orvelo::declar().SourceNet;
        moveNet();

        CopyProjectFiles();
        EXPECT_TRUE(box->boxes().empty());
        EXPECT_EQ(runState(), 0);
        EXPECT_EQ(folder.read("SLAB.PO1"), po1);
        EXPECT_EQ(folder.read("SLAB.GL1"), "members\r\n");
        EXPECT_EQ(readNet(folder.path("SLAB")).NodeX, orvelo::declar().NodeX)
            << "the input project's net files now hold the new net";
        EXPECT_TRUE(orvelo::declar().SourceNetLoaded);
        EXPECT_EQ(orvelo::declar().SourceNet, oldNet) << "the old net stays for the transfer";
        EXPECT_EQ(orvelo::declar().SourceNet.NodeX[3] + 10.0f, orvelo::declar().NodeX[3]);
        // Back to the old net for the second spelling.
        writeSmallProject("SLAB");
    }
}

TEST_F(CopyProjectTest, FailedCopyIsReportedAndStopsTheRunBeforeTheNetIsWritten) {
    writeSmallProject("SLAB");
    openAndAim(folder.path("missing/"), "NEW");  // a folder that does not exist
    box->answer(forms::vbOK);
    CopyProjectFiles();
    ASSERT_EQ(boxIcons(), std::vector<std::int32_t>{forms::vbCritical});
    EXPECT_NE(box->boxes()[0].prompt.find(folder.path("missing/NEW.PO1")), std::string::npos)
        << box->boxes()[0].prompt;
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_FALSE(fs::exists(folder.path("missing")));

    // A target that cannot be replaced (a folder of that name) keeps what
    // was there and writes no net.
    fs::create_directory(folder.path("out"));
    fs::create_directory(folder.path("out/NEW.PL6"));
    orvelo::RunControl().RunState(0);
    orvelo::declar().OutputDir = folder.path("out/");
    box->answer(forms::vbOK);
    CopyProjectFiles();
    EXPECT_EQ(box->boxes().size(), 2u);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_TRUE(fs::is_directory(folder.path("out/NEW.PL6")));
    EXPECT_FALSE(fs::exists(folder.path("out/NEW.PL8")));
    EXPECT_FALSE(fs::exists(folder.path("out/NEW.PL6.tmp")));
}

// A file of the set larger than its counts can need (by far, or a little)
// is refused before anything is copied, naming the file, whether the method
// reads it or not. The last case: Stop while a large file is copied.
TEST_F(CopyProjectTest, FilesLargerThanTheirCountsCanNeedAreRefusedBeforeAnythingIsCopied) {
    const auto sparse = [this](const std::string& name, std::uintmax_t size) {
        folder.write(name, "Version 9\r\n1\r\n");
        fs::resize_file(folder.path(name), size);
    };
    constexpr std::uintmax_t k4GiB = 4ull << 30;
    const struct {
        std::string ext;
        std::function<void()> make;
    } cases[] = {
        {"P71", [&] { sparse("SLAB.P71", k4GiB); }},  // not read by method 1
        {"LDH", [&] { sparse("SLAB.LDH", k4GiB); }},  // a layout the store does not know
        {"P91", [&] { sparse("SLAB.P91", 3 * 256 * 2 + 1); }},  // one spring: five lines at most
        {"PV1", [&] { folder.write("SLAB.PV1", std::string(256 * 20, '0')); }},  // four nodes
        {"", [&] { folder.write("SLAB.LDH", std::string(8 << 20, 'x')), drovik::ClsWaitWindow::stopAfterUpdates(3); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        fs::remove_all(folder.path(""));
        fs::create_directories(folder.path("out"));
        writeSmallProject("SLAB");
        folder.write("SLAB.P35", "Version 9\r\n0\r\n0\r\n");
        openAndAim(folder.path("out/"), "NEW");
        const std::size_t before = box->boxes().size();
        c.make();
        box->answer(forms::vbOK);
        CopyProjectFiles();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        if (c.ext.empty()) {  // nothing of the file, and the operation ends there
            EXPECT_EQ(box->boxes().size(), before);
            for (const char* left : {"NEW.LDH", "NEW.LDH.tmp", "NEW.PL6"}) EXPECT_FALSE(fs::exists(folder.path("out/") + left)) << left;
        } else {
            EXPECT_TRUE(fs::is_empty(folder.path("out"))) << "nothing is written";
            ASSERT_EQ(box->boxes().size(), before + 1);
            EXPECT_NE(box->boxes().back().prompt.find(folder.path("SLAB." + c.ext)), std::string::npos) << box->boxes().back().prompt;
        }
    }
}

}  // namespace
