// Runs that do not succeed: a stop in any operation, a failed write, an
// earlier output of the same name. Such a run is reported as a failure,
// leaves the input project as it was and leaves no output project that
// looks complete; a run that succeeds replaces an earlier output whole.
#include "wizard_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "orvelo/project/output_folder.h"
#include "platform/runtime/write_faults.h"

namespace {

using orvelo::ClsRefineWaitMessage;

// Every file of a folder with its content (a sub-folder as "<folder>").
std::map<std::string, std::string> folderContent(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? std::string(std::istreambuf_iterator<char>(in), {}) : "<folder>";
    }
    return files;
}

// Every entry below folder with its content ("<folder>" for a folder).
std::map<std::string, std::string> treeContent(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        entries[entry.path().string()] = entry.is_regular_file() ? std::string(std::istreambuf_iterator<char>(in), {}) : "<folder>";
    }
    return entries;
}

// Answers from its queue, else No to a question and OK to a message (a run
// that fails may show several); records every box.
class LenientMsgBox : public forms::MsgBoxService {
public:
    std::int16_t show(const forms::MessageBoxRequest& request) override {
        prompts.push_back(request.prompt);
        lastStyle = request.style;
        if (answers.empty()) return (request.style & 7) == forms::vbYesNo ? forms::vbNo : forms::defaultAnswerOf(request.style);
        const std::int16_t answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<std::string> prompts;
    std::int32_t lastStyle = 0;
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

    const std::vector<std::string>& prompts() const { return boxes->prompts; }

    void closeWizard() {
        wizard->unloadWithoutEvents();
        wizard.reset();
        boxes->prompts.clear();
    }

    // Finish on the sample with smoothing and boundary front points, so that
    // every step of the generation runs.
    void finishRun() {
        open(input);
        ASSERT_TRUE(forms::click(next()));
        wizard->chkSmoothMesh->Value(forms::vbChecked);
        wizard->chkBoundaryFrontPoint->Value(forms::vbChecked);
        ASSERT_TRUE(forms::click(finish()));
    }

    // Reported as not complete, and nothing of it left: the folder holds the
    // input project exactly as it was (and the beam forces, .GH1, that the
    // run writes into it).
    void expectFailedWithoutOutput() const {
        const std::vector<std::string> shown = prompts();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), text(190010));
        for (const std::string& prompt : shown) EXPECT_NE(prompt, text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")}));
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        std::map<std::string, std::string> now = folderContent(folder.path("raft"));
        now.erase("RAFT.GH1");
        EXPECT_EQ(now.size(), before.size());
        for (const auto& [name, content] : now)
            EXPECT_TRUE(before.count(name) && before.at(name) == content) << name << " is new or has changed";
    }

    std::shared_ptr<LenientMsgBox> boxes = std::make_shared<LenientMsgBox>();
    std::shared_ptr<forms::MsgBoxService> previousBoxes;
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

// Property: a stop at any poll of a run with smoothing and front points (some
// 27,000) ends it unsaved; tried every 97th poll and at the last few.
TEST_F(FailedRunTest, AStopAtAnyPollOfTheRunEndsItUnsaved) {
    const auto runWithStopAt = [&](int updates) {  // written, polls made
        drovik::ClsWaitWindow::stopAfterUpdates(updates);
        finishRun();
        const int polls = updates - drovik::ClsWaitWindow::updatesBeforeStop();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        const bool written = prompts().back() == text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")});
        if (!written) expectFailedWithoutOutput();
        closeWizard();
        for (const std::string& name : orvelo::ProjectFileSet(folder.path("raft"), "RAFT_Adaptive"))
            std::filesystem::remove(folder.path("raft/" + name));
        return std::pair{written, polls};
    };
    const auto [completes, polls] = runWithStopAt(1 << 30);
    ASSERT_TRUE(completes);
    for (int stopAt = 1; stopAt <= polls; stopAt += stopAt + 24 < polls ? 97 : 1)
        EXPECT_FALSE(runWithStopAt(stopAt).first) << "stop at poll " << stopAt << " of " << polls;
}

// A write that fails (a full disk in the transfer or the copy, an input
// folder that cannot be written): one message names the file where the
// user knows it and says what failed; nothing is left.
TEST_F(FailedRunTest, AFailedWriteEndsTheRunWithAMessageNamingTheFile) {
    const std::string dir = folder.path("raft/");
    const struct {
        int code;  // the operation that fails, -1 any
        std::string file;
        int error;
        std::string named, why;
    } cases[] = {
        {orvelo::OpTransferData, "RAFT_Adaptive.P35", ENOSPC, dir + "RAFT_Adaptive.P35", rt::errorDescription(61)},
        {orvelo::OpTransferData, "RAFT_Adaptive.P41", ENOSPC, dir + "RAFT_Adaptive.P41", rt::errorDescription(61)},
        {orvelo::OpCopyProjectFiles, "RAFT_Adaptive.PL6", ENOSPC, dir + "RAFT_Adaptive.PL6", rt::errorDescription(61)},
        {-1, "RAFT.GH1", EACCES, text(190061, {"|1", dir + "RAFT.GH1", "|2", dir}), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        rt::setWriteFaultHook([&c](const std::string& path) {
            const bool inOperation = c.code < 0 || orvelo::operationRunner().OperationCode == c.code;
            return inOperation && path.find(c.file) != std::string::npos ? c.error : 0;
        });
        finishRun();
        rt::setWriteFaultHook(nullptr);
        expectFailedWithoutOutput();
        EXPECT_TRUE(std::any_of(prompts().begin(), prompts().end(), [&c](const std::string& prompt) {
            return prompt.find(c.named) != std::string::npos && prompt.find(c.why) != std::string::npos;
        })) << ::testing::PrintToString(prompts());
        closeWizard();
    }
}

// An earlier output of the same name: the question's default is No, which
// returns to the output step without running; after Yes a failed run keeps
// the earlier output, a successful one replaces it whole (no stale file).
TEST_F(FailedRunTest, AnEarlierOutputIsReplacedOnlyWhenTheRunSucceeds) {
    folder.write("raft/RAFT_Adaptive.PO1", "earlier");
    folder.write("raft/raft_adaptive.pl6", "earlier net");
    folder.write("raft/RAFT_Adaptive.XYZ", "stale");
    before = folderContent(folder.path("raft"));

    open(input);
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(prompts(), std::vector<std::string>{text(190060, {"|1", "RAFT_Adaptive", "|2", folder.path("raft") + "/"})});
    EXPECT_EQ(forms::defaultAnswerOf(boxes->lastStyle), forms::vbNo);
    EXPECT_EQ(wizard->CurrentStep(), 3);
    closeWizard();

    for (const bool fails : {true, false}) {
        boxes->answers = {forms::vbYes};
        rt::setWriteFaultHook([fails](const std::string& path) {
            return fails && orvelo::operationRunner().OperationCode == orvelo::OpTransferData &&
                           path.find("RAFT_Adaptive.PV1") != std::string::npos
                       ? ENOSPC
                       : 0;
        });
        finishRun();
        rt::setWriteFaultHook(nullptr);
        if (fails) {
            expectFailedWithoutOutput();
            closeWizard();
        }
    }
    EXPECT_EQ(prompts().back(), text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")}));
    const std::map<std::string, std::string> after = folderContent(folder.path("raft"));
    EXPECT_EQ(after.at("RAFT_Adaptive.PO1"), before.at("RAFT.PO1"));
    for (const auto& [name, content] : after)
        EXPECT_TRUE(name.rfind("RAFT_Adaptive.", 0) == 0 || name == "RAFT.GH1" || (before.count(name) && before.at(name) == content))
            << name << " is left beside the projects";
    EXPECT_EQ(after.count("RAFT_Adaptive.XYZ") + after.count("raft_adaptive.pl6"), 0u);
}

// A second process's run of the same output (any case) inside the first's
// commit is refused, touching nothing; one of another output goes on.
TEST_F(FailedRunTest, ASecondRunOfTheSameOutputIsRefusedInsideTheFirstOnesCommit) {
    const std::string dir = folder.path("raft/");
    for (const std::string second : {"raft_adaptive", "RAFT_Other"}) {
        SCOPED_TRACE(second);
        int secondRun = -1;  // the second run's exit code: 0 as it should be
        orvelo::setCommitRenameHook([&](const std::string&, const std::string&) {
            if (secondRun != -1) return 0;
            const auto during = treeContent(dir);
            const pid_t child = ::fork();
            if (child == 0) {
                secondRun = 0;
                boxes->prompts.clear();
                orvelo::frmWizard other(input);
                other.Show();
                other.TxtSaveProjectAs->Text(second);
                const bool ran = forms::click(other.cmdNav(3)) && forms::click(other.cmdNav(4));
                ::_exit(ran && (second == "raft_adaptive"
                                    ? treeContent(dir) == during && prompts() == std::vector<std::string>{text(190262, {"|1", second, "|2", dir})}
                                    : !prompts().empty() && prompts().back() == text(190002, {16, "|1", second, "|2", dir}))
                            ? 0 : 1);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            secondRun = WIFEXITED(status) ? WEXITSTATUS(status) : 2;
            return 0;
        });
        finishRun();
        orvelo::setCommitRenameHook(nullptr);
        EXPECT_EQ(secondRun, 0);
        EXPECT_EQ(prompts().back(), text(190002, {16, "|1", "RAFT_Adaptive", "|2", dir}));
        EXPECT_EQ(folderContent(dir).at("RAFT_Adaptive.PO1"), before.at("RAFT.PO1"));
        for (const auto& [name, content] : folderContent(dir)) {
            EXPECT_NE(name.front(), '~') << name << " is left";
            if (name.rfind("RAFT_Other.", 0) == 0 || name.rfind("RAFT_Adaptive.", 0) == 0) std::filesystem::remove(dir + name);
        }
        closeWizard();
    }
}

// An earlier output a killed run moved aside is put back before the
// replace question; No keeps it.
TEST_F(FailedRunTest, LeftoversAreResolvedBeforeTheReplaceQuestion) {
    const std::string aside = folder.path("raft/~RAFT_Adaptive.replaced/");
    std::filesystem::create_directory(aside);
    std::ofstream(aside + "RAFT_Adaptive.PO1") << "earlier";
    std::ofstream(aside + "~whole").flush();
    std::ofstream(folder.path("raft/RAFT_Adaptive.PL6")) << "part of a new project";
    std::ofstream(aside + "RAFT_Adaptive.PL6") << "earlier net";
    finishRun();
    EXPECT_EQ(prompts(), std::vector<std::string>{text(190060, {"|1", "RAFT_Adaptive", "|2", folder.path("raft") + "/"})});
    auto after = folderContent(folder.path("raft"));
    EXPECT_EQ(after["RAFT_Adaptive.PO1"] + after["RAFT_Adaptive.PL6"], "earlierearlier net");
    EXPECT_EQ(after.count("~RAFT_Adaptive.replaced"), 0u);
}

// A listed node the net lacks is named with file, node and node count.
TEST_F(FailedRunTest, AFileThatNamesANodeTheNetLacksIsNamedWithTheNode) {
    std::int32_t nodes = 0;
    std::ifstream(folder.path("raft/RAFT.PL6")) >> nodes;
    for (const auto& [file, node] : {std::pair{"RAFT.P35", 32767}, std::pair{"RAFT.PIL", 0}}) {
        SCOPED_TRACE(file);
        const std::string path = folder.path("raft/") + file, kept = before.at(file);
        std::string changed = kept;
        std::size_t at = 0;  // the fifth line
        for (int k = 0; k < 4; ++k) at = changed.find("\r\n", at) + 2;
        changed.replace(at, changed.find("\r\n", at) - at, std::to_string(node));
        std::ofstream(path, std::ios::binary) << changed;
        before = folderContent(folder.path("raft"));
        before.erase("RAFT.GH1");
        finishRun();
        expectFailedWithoutOutput();
        const std::string expected = text(190260, {"|1", path, "|2", node, "|3", nodes});
        EXPECT_TRUE(std::any_of(prompts().begin(), prompts().end(), [&](const std::string& p) { return p.find(expected) != std::string::npos; }))
            << ::testing::PrintToString(prompts());
        std::ofstream(path, std::ios::binary) << kept;
        closeWizard();
    }
}

}  // namespace
