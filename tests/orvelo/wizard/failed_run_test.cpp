// Runs that do not succeed: a stop in any operation, a full disk while the
// output is written, an earlier output of the same name. Such a run is
// reported as a failure, leaves the input project as it was and leaves no
// output project that looks complete; a run that succeeds replaces an
// earlier output as a whole.
#include "wizard_fixture.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "orvelo/project/output_folder.h"
#include "platform/runtime/write_faults.h"

namespace {

namespace fs = std::filesystem;
using orvelo::ClsRefineWaitMessage;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file of a folder (not its sub-folders) with its content.
std::map<std::string, std::string> folderContent(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = entry.is_regular_file() ? readBytes(entry.path()) : "<folder>";
    return files;
}

// Answers from its queue, else No to a question and OK to a message (a run
// that fails may show several); records every box.
class LenientMsgBox : public forms::MsgBoxService {
public:
    std::int16_t show(const forms::MessageBoxRequest& request) override {
        requests.push_back(request);
        if (!answers.empty()) {
            const std::int16_t answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        }
        return (request.style & 7) == forms::vbYesNo ? forms::vbNo : forms::defaultAnswerOf(request.style);
    }
    std::vector<forms::MessageBoxRequest> requests;
    std::vector<std::int16_t> answers;
};

class FailedRunTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        previousBoxes = forms::setMsgBoxService(boxes);
        input = copySample();
        before = folderContent(folder.path("raft"));
    }

    void TearDown() override {
        rt::setWriteFaultHook(nullptr);
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        forms::setMsgBoxService(previousBoxes);
        WizardTest::TearDown();
    }

    std::vector<std::string> prompts() const {
        std::vector<std::string> shown;
        for (const forms::MessageBoxRequest& request : boxes->requests) shown.push_back(request.prompt);
        return shown;
    }

    void closeWizard() {
        wizard->unloadWithoutEvents();
        wizard.reset();
        boxes->requests.clear();
    }

    std::shared_ptr<LenientMsgBox> boxes = std::make_shared<LenientMsgBox>();
    std::shared_ptr<forms::MsgBoxService> previousBoxes;

    // Finish on the sample with smoothing and boundary front points, so that
    // every step of the generation runs; the end question (if any) is
    // answered No.
    void finishRun() {
        open(input);
        ASSERT_TRUE(forms::click(next()));
        wizard->chkSmoothMesh->Value(forms::vbChecked);
        wizard->chkBoundaryFrontPoint->Value(forms::vbChecked);
        ASSERT_TRUE(forms::click(finish()));
    }

    // The run was reported as not complete, and nothing of it is left: the
    // folder holds the input project exactly as it was.
    void expectFailedWithoutOutput() const {
        const std::vector<std::string> shown = prompts();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), text(190010));
        for (const std::string& prompt : shown) EXPECT_NE(prompt, text(190002, {16, "|1", "RAFT_Adaptive"}));
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        expectInputFolderAsBefore();
    }

    // The folder holds the files it held before, unchanged, and no other
    // (the beam forces of the input, .GH1, are written into it by the run).
    void expectInputFolderAsBefore() const {
        std::map<std::string, std::string> now = folderContent(folder.path("raft"));
        now.erase("RAFT.GH1");
        std::vector<std::string> names, namesBefore;
        for (const auto& [name, content] : now) names.push_back(name);
        for (const auto& [name, content] : before) namesBefore.push_back(name);
        EXPECT_EQ(names, namesBefore);
        for (const auto& [name, content] : before)
            EXPECT_TRUE(now.count(name) && now.at(name) == content) << name << " has changed";
    }

    // True when one of the prompts shown holds every one of the parts.
    bool promptNames(const std::vector<std::string>& parts) const {
        for (const std::string& prompt : prompts()) {
            bool all = true;
            for (const std::string& part : parts) all = all && prompt.find(part) != std::string::npos;
            if (all) return true;
        }
        return false;
    }

    std::string input;
    std::map<std::string, std::string> before;
};

// A stop pressed in any operation of the run, early or late in it.
TEST_F(FailedRunTest, AStopInAnyOperationEndsTheRunUnsaved) {
    for (int code : {orvelo::OpOpenSourceProject, orvelo::OpRecalculateBoundary, orvelo::OpInternalForces,
                     orvelo::OpGenerateMesh, orvelo::OpCopyProjectFiles, orvelo::OpTransferData}) {
        // The copy asks for no stop; the transfer's updates are few.
        const bool late = code == orvelo::OpCopyProjectFiles || code == orvelo::OpTransferData;
        for (int updates : late ? std::vector<int>{1, 3} : std::vector<int>{1, 7, 60}) {
            SCOPED_TRACE("operation " + std::to_string(code) + ", stop at update " + std::to_string(updates));
            orvelo::resetOperationRunner();
            const orvelo::OperationProcedure work = orvelo::operationRunner().Procedures[code];
            orvelo::operationRunner().Procedures[code] = [work, updates](ClsRefineWaitMessage& operation) {
                drovik::ClsWaitWindow::stopAfterUpdates(updates);
                work(operation);
            };
            finishRun();
            drovik::ClsWaitWindow::stopAfterUpdates(0);
            expectFailedWithoutOutput();
            closeWizard();
        }
    }
}

// A stop in the transfer used to be reported as a written project.
TEST_F(FailedRunTest, AStopInTheTransferIsNotReportedAsAWrittenProject) {
    const orvelo::OperationProcedure transfer = orvelo::operationRunner().Procedures[orvelo::OpTransferData];
    orvelo::operationRunner().Procedures[orvelo::OpTransferData] = [transfer](ClsRefineWaitMessage& operation) {
        drovik::ClsWaitWindow::stopAfterUpdates(30);
        transfer(operation);
    };
    finishRun();
    expectFailedWithoutOutput();
}

// A full disk while the transfer writes a file, and while the copy writes
// the new net: one message names the file by its place in the output folder
// and says the disk is full; nothing is left.
TEST_F(FailedRunTest, AFullDiskEndsTheRunWithAMessageNamingTheFile) {
    for (const auto& [code, file] : std::vector<std::pair<int, std::string>>{
             {orvelo::OpTransferData, "RAFT_Adaptive.P35"},
             {orvelo::OpTransferData, "RAFT_Adaptive.P41"},
             {orvelo::OpCopyProjectFiles, "RAFT_Adaptive.PL6"},
             {orvelo::OpCopyProjectFiles, "RAFT_Adaptive.PIL"}}) {
        SCOPED_TRACE(file);
        rt::setWriteFaultHook([code = code, file = file](const std::string& path) {
            const bool inOperation = orvelo::operationRunner().OperationCode == code;
            return inOperation && path.find(file) != std::string::npos ? ENOSPC : 0;
        });
        finishRun();
        rt::setWriteFaultHook(nullptr);
        expectFailedWithoutOutput();
        EXPECT_TRUE(promptNames({folder.path("raft/" + file), rt::errorDescription(61)}));
        closeWizard();
    }
}

// The input folder cannot be written: the beam forces (.GH1) that the
// internal forces write there are refused, and the message says why.
TEST_F(FailedRunTest, AnInputFolderThatCannotBeWrittenIsNamed) {
    rt::setWriteFaultHook([](const std::string& path) { return path.find("RAFT.GH1") != std::string::npos ? EACCES : 0; });
    finishRun();
    rt::setWriteFaultHook(nullptr);
    expectFailedWithoutOutput();
    EXPECT_TRUE(promptNames({text(190061, {"|1", folder.path("raft/RAFT.GH1"), "|2", folder.path("raft/")})}));
}

// An earlier output of the same name: the question's default is No, which
// returns to the output step without running; after Yes a failed run keeps
// the earlier output, a successful one replaces it whole (no stale file of
// it stays).
TEST_F(FailedRunTest, AnEarlierOutputIsReplacedOnlyWhenTheRunSucceeds) {
    folder.write("raft/RAFT_Adaptive.PO1", "earlier");
    folder.write("raft/raft_adaptive.pl6", "earlier net");
    folder.write("raft/RAFT_Adaptive.XYZ", "stale");
    before = folderContent(folder.path("raft"));
    const std::string question = text(190060, {"|1", "RAFT_Adaptive", "|2", folder.path("raft") + "/"});

    // The default answer.
    open(input);
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(prompts(), std::vector<std::string>{question});
    EXPECT_EQ(forms::defaultAnswerOf(boxes->requests.back().style), forms::vbNo);
    EXPECT_EQ(wizard->CurrentStep(), 3);
    expectInputFolderAsBefore();
    closeWizard();

    // Yes, then a full disk in the transfer.
    boxes->answers = {forms::vbYes};
    rt::setWriteFaultHook([](const std::string& path) {
        return orvelo::operationRunner().OperationCode == orvelo::OpTransferData &&
                       path.find("RAFT_Adaptive.PV1") != std::string::npos
                   ? ENOSPC
                   : 0;
    });
    finishRun();
    rt::setWriteFaultHook(nullptr);
    expectFailedWithoutOutput();
    closeWizard();

    // Yes, and the run succeeds.
    boxes->answers = {forms::vbYes};
    finishRun();
    EXPECT_EQ(prompts().back(), text(190002, {16, "|1", "RAFT_Adaptive"}));
    const std::map<std::string, std::string> after = folderContent(folder.path("raft"));
    EXPECT_EQ(after.count("RAFT_Adaptive.XYZ"), 0u);
    EXPECT_EQ(after.count("raft_adaptive.pl6"), 0u);
    EXPECT_NE(after.at("RAFT_Adaptive.PO1"), "earlier");
    EXPECT_EQ(after.at("RAFT_Adaptive.PO1"), before.at("RAFT.PO1"));
    for (const auto& [name, content] : after) {
        if (name.rfind("RAFT_Adaptive.", 0) == 0 || name == "RAFT.GH1") continue;
        EXPECT_EQ(before.count(name), 1u) << name << " is left beside the projects";
        if (before.count(name)) EXPECT_EQ(content, before.at(name)) << name;
    }
}

// The staging names its files by where they come from and where they go.
TEST_F(FailedRunTest, MessagesNameTheFilesOfTheInputAndOfTheOutputFolder) {
    orvelo::StagedOutput staging;
    const std::string dir = folder.path("raft") + "/";
    staging.Begin(dir, "RAFT_Adaptive", dir, "RAFT");
    const std::string staged = staging.Folder();
    ASSERT_TRUE(fs::is_directory(staged));
    EXPECT_EQ(orvelo::ShownFilePath(staged + "RAFT_Adaptive.P35", true), dir + "RAFT.P35");
    EXPECT_EQ(orvelo::ShownFilePath(staged + "RAFT_Adaptive.P35.tmp", false), dir + "RAFT_Adaptive.P35");
    // A file the input does not have is named by its place in the output.
    EXPECT_EQ(orvelo::ShownFilePath(staged + "RAFT_Adaptive.GL2", true), dir + "RAFT_Adaptive.GL2");
    EXPECT_EQ(orvelo::ShownFilePath(dir + "RAFT.P35", true), dir + "RAFT.P35");
    staging.Discard();
    EXPECT_FALSE(fs::exists(staged));
    EXPECT_EQ(orvelo::ShownFilePath(staged + "RAFT_Adaptive.P35", true), staged + "RAFT_Adaptive.P35");
}

}  // namespace
