// The whole road of one run on damaged copies of the sample: every file the
// run reads, each damaged a few ways (empty, cut short, a word for a number,
// a decimal comma, a huge count). No damage crashes the run or touches the
// input; the damaged file is named in a message; no output project is left.
#include "wizard_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <cctype>
#include <random>
#include <sstream>

#include "orvelo/project/output_folder.h"
#include "platform/runtime/recordfile.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Answers every box with its default button (No to a question), recording
// it.
class RecordingMsgBox : public forms::MsgBoxService {
public:
    std::int16_t show(const forms::MessageBoxRequest& request) override {
        prompts.push_back(request.prompt);
        return (request.style & 7) == forms::vbYesNo ? forms::vbNo : forms::defaultAnswerOf(request.style);
    }
    std::vector<std::string> prompts;
};

enum Damage { Empty, CutShort, WordForNumber, DecimalComma, HugeCount };
const char* const kDamageNames[] = {"empty", "cut short", "a word for a number", "a decimal comma", "a huge count"};

// The files of 128-byte records, and the record of the count each holds.
const std::map<std::string, std::int32_t> kRecordFiles = {{"P21", 2}, {"BAU", 4}, {"P41", 2}};

// Where the first line that starts with a number begins; npos when none.
std::size_t firstNumberLine(const std::string& text) {
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        const char c = text[at];
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') return at;
        if (text.find('\n', at) == std::string::npos) break;
    }
    return std::string::npos;
}

// The damaged content of a text file, or "" when the damage does not apply.
std::string damagedText(const std::string& text, Damage damage) {
    const std::size_t line = firstNumberLine(text), dot = text.find('.');
    if (damage == Empty) return "";
    if (damage == CutShort) return text.substr(0, text.size() / 2);
    // A value written with a decimal comma: one value more on its line.
    if (damage == DecimalComma && dot != std::string::npos) return text.substr(0, dot) + "," + text.substr(dot + 1);
    if (line == std::string::npos) return "";
    const std::size_t lineEnd = text.find("\r\n", line), numberEnd = text.find_first_of(",\r\n", line);
    if (damage == DecimalComma) return text.substr(0, lineEnd) + ",5" + text.substr(lineEnd);
    return text.substr(0, line) + (damage == WordForNumber ? "many" : "32000") + text.substr(numberEnd);
}

// The damages that make each file unreadable: files of values only have no
// count to make huge, and the zone records of a project of one slab group
// are not read.
std::vector<Damage> damagesOf(const std::string& ext) {
    std::vector<Damage> damages = {Empty, CutShort, WordForNumber, DecimalComma, HugeCount};
    if (ext == "PG1" || ext == "PV1") damages.pop_back();
    if (ext == "P21") damages = {Empty, HugeCount};
    if (ext == "BAU" || ext == "P41") damages = {Empty, CutShort, HugeCount};
    return damages;
}

class RecordedRunTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        previousBoxes = forms::setMsgBoxService(boxes);
    }
    void TearDown() override {
        forms::setMsgBoxService(previousBoxes);
        WizardTest::TearDown();
    }

    std::shared_ptr<RecordingMsgBox> boxes = std::make_shared<RecordingMsgBox>();
    std::shared_ptr<forms::MsgBoxService> previousBoxes;
};

class DamagedRunTest : public RecordedRunTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(DamagedRunTest, NoDamageCrashesTheRunOrLeavesAnOutput) {
    const std::string ext = GetParam();
    for (Damage damage : damagesOf(ext)) {
        const std::string dir = "raft" + std::to_string(damage);
        const std::string input = copySample(dir);
        const fs::path file = folder.path(dir + "/RAFT." + ext);
        if (kRecordFiles.count(ext) != 0 && damage == HugeCount) {
            rt::RecordFile out;
            out.open(file.string(), true);
            out.putInteger(kRecordFiles.at(ext), 32000);
            out.close();
        } else {
            const std::string damaged = damagedText(readBytes(file), damage);
            ASSERT_TRUE(!damaged.empty() || damage == Empty) << kDamageNames[damage];
            writeBytes(file, damaged);
        }
        SCOPED_TRACE("RAFT." + ext + ": " + kDamageNames[damage]);
        std::map<std::string, std::string> inputBefore;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path(dir)))
            inputBefore[entry.path().filename().string()] = readBytes(entry.path());
        boxes->prompts.clear();
        open(input);
        forms::click(next());
        forms::click(finish());

        // No project written, no file left or changed beside the input's
        // (but the beam forces, .GH1, written into it).
        EXPECT_TRUE(orvelo::ProjectFileSet(folder.path(dir), "RAFT_Adaptive").empty());
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path(dir))) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "RAFT.GH1" || (inputBefore.count(name) && readBytes(entry.path()) == inputBefore.at(name)))
                << name << " is new or has changed";
        }
        // Named, and where the message gives the kind of file, its own kind.
        const std::string path = folder.path(dir + "/RAFT." + ext);
        orvelo::SharedServices().GetTextInf(path);
        const std::string kind = orvelo::LanguageTexts().GetText(orvelo::SharedServices().TextInf());
        bool named = false;
        for (const std::string& prompt : boxes->prompts) {
            if (prompt.find(path) == std::string::npos) continue;
            named = true;
            EXPECT_TRUE(prompt.find("\r\r") == std::string::npos || kind.empty() || prompt.find("(" + kind + ")") != std::string::npos)
                << prompt;
        }
        EXPECT_TRUE(named) << ::testing::PrintToString(boxes->prompts);
        wizard->unloadWithoutEvents();
        wizard.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(SampleFiles, DamagedRunTest,
                         ::testing::Values("PO1", "PL6", "PL8", "PL9", "PL3", "PG1", "P21", "P35", "P31", "PIL",
                                           "GL1", "BAU", "PV1"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace

// Random damages of the sample's net, node order, member and slab-group
// files that no reader can take: a node far away or on another node, an
// element naming a node twice or running clockwise, a count past 32767, a
// file larger than its counts can need, a node order naming a node twice,
// a member ending outside the net or without length, a group file headed by
// a byte-order mark. Each run is refused with a message naming the damaged
// file (not only the step it stopped), and nothing is written.
TEST_F(RecordedRunTest, RandomlyDamagedInputIsRefusedNamingTheFile) {
    std::mt19937 random(32);
    for (int round = 0; round < 22; ++round) {
        const int damage = round % 11;
        const std::string dir = "raft" + std::to_string(round), input = copySample(dir);
        static const char* const kFile[] = {"PL6", "PL6", "PL6", "PL6", "PL6", "PL6", "PL3", "GL1", "GL1", "P21", "PL9"};
        const fs::path file = folder.path(dir + "/RAFT." + kFile[damage]);
        std::vector<std::string> lines;
        std::istringstream in(readBytes(file));
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
        const int nodes = damage <= 5 ? std::stoi(lines[0]) : 116;
        auto line = [&](int at) -> std::string& { return lines.at(static_cast<std::size_t>(at)); };
        auto pick = [&](int to) { return std::uniform_int_distribution<int>(1, to)(random); };
        const int node = pick(nodes), other = node % nodes + 1;
        int element = 2 * nodes + 2;  // the lines of a random element: corner count, node and flag per corner
        for (int k = damage <= 5 ? pick(std::stoi(line(element - 1))) : 1; k > 1; --k) element += 1 + 2 * std::stoi(line(element));
        switch (damage) {
        case 0: line(2 * node - 1) = round < 11 ? "1000" : "32767"; break;
        case 1: line(2 * node - 1) = line(2 * other - 1), line(2 * node) = line(2 * other); break;
        case 2: line(element + 3) = line(element + 1); break;
        case 3: std::swap(line(element + 3), line(element + 5)), std::swap(line(element + 4), line(element + 6)); break;
        case 4: line(round < 11 ? 0 : 2 * nodes + 1) = "32768"; break;
        case 6: line(node - 1) = line(other - 1); break;
        case 7: line(5) = "9999"; break;
        case 8: line(5) = line(4); break;
        }
        std::string text;
        for (const std::string& kept : lines) text += kept + "\r\n";
        if (damage != 10) writeBytes(file, damage == 9 ? "\xEF\xBB\xBF" + readBytes(file) : text);
        if (damage == 5 || damage == 10) fs::resize_file(file, 5ULL << 30);  // sparse: no disk is used
        SCOPED_TRACE(file.string() + ", damage " + std::to_string(damage));
        boxes->prompts.clear();
        open(input);
        forms::click(next());
        forms::click(finish());
        EXPECT_TRUE(orvelo::ProjectFileSet(folder.path(dir), "RAFT_Adaptive").empty());
        bool named = false;
        for (const std::string& prompt : boxes->prompts)  // after the step's quote, if any
            named = named || prompt.find(file.string(), std::min(prompt.size(), prompt.rfind("\": ") + 1)) != std::string::npos;
        EXPECT_TRUE(named) << ::testing::PrintToString(boxes->prompts);
        wizard->unloadWithoutEvents();
        wizard.reset();
        fs::remove_all(folder.path(dir));
    }
}

// Without the boundary recalculation a broken outline (open loops told with
// file and place) is refused for both net types.
TEST_F(RecordedRunTest, BrokenOutlineIsRefusedWithoutTheRecalculation) {
    for (int damage = 0; damage < 12; ++damage) {
        const int kind = damage % 6;
        const std::string dir = "raft" + std::to_string(damage), input = copySample(dir);
        const fs::path file = folder.path(dir + "/RAFT.PL8");
        std::vector<std::string> lines;
        std::istringstream in(readBytes(file));
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
        std::vector<std::string> places;  // where the loop is open
        if (kind == 0) lines[18] = "0,0.5", places = {"(0, 0.5)"};
        if (kind == 1) lines[8] = lines[12] = "0,8", lines[13] = lines[17] = "12,8";
        for (std::size_t k = 24; (kind == 2 || kind == 3) && k <= 40; ++k)  // the opening moved across or out of the slab
            if (lines[k] != "0,0" && lines[k][0] != '#') lines[k] = std::to_string(std::stoi(lines[k]) + 7 * (kind - 1)) + lines[k].substr(1);
        if (kind == 4) lines[7] = "12,0.5", places = {"(12, 0)", "(12, 0.5)"};  // the outline's second piece
        if (kind == 5) lines[29] = "6,3.5", places = {"(6, 3)", "(6, 3.5)"};    // the opening's second piece
        std::string text;
        for (const std::string& kept : lines) text += kept + "\r\n";
        writeBytes(file, text);
        boxes->prompts.clear();
        orvelo::frmWizard& w = open(input);
        forms::click(*w.ChkRecalculateMeshBoundary);  // off
        forms::click(next());
        if (damage >= 6) forms::click(w.OptElementType(1));
        forms::click(finish());
        SCOPED_TRACE(damage);
        EXPECT_TRUE(orvelo::ProjectFileSet(folder.path(dir), "RAFT_Adaptive").empty());
        const std::string said = ::testing::PrintToString(boxes->prompts);
        const bool withNet = kind >= 1 && kind <= 3 && said.find(folder.path(dir + "/RAFT.PL6") + " ") != std::string::npos;
        EXPECT_TRUE(withNet || said.find("o net can be generated") != std::string::npos) << said;
        EXPECT_TRUE(places.empty() || said.find(file.string() + " is not closed") != std::string::npos) << said;
        for (const std::string& place : places) EXPECT_NE(said.find(place), std::string::npos) << place << said;
        wizard->unloadWithoutEvents();
        wizard.reset();
    }
}

// A border node moved out of the slab stops the run on opening, naming the
// net file and the node, with the recalculation on or off (other damage:
// net_outline_test).
TEST_F(RecordedRunTest, NetOutsideItsOutlineIsRefusedNamingTheNode) {
    for (int round = 0; round < 2; ++round) {
        const std::string dir = "raft" + std::to_string(round), input = copySample(dir);
        const fs::path file = folder.path(dir + "/RAFT.PL6");
        std::vector<std::string> lines;
        std::istringstream in(readBytes(file));
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
        int node = 1;
        while (!(lines[2 * node - 1] == "12" && lines[2 * node] != "0" && lines[2 * node] != "8")) ++node;
        lines[2 * node - 1] = "17";
        const std::string named = "Node " + std::to_string(node) + " of the net file " + file.string() + " lies at (17, ";
        std::string text;
        for (const std::string& kept : lines) text += kept + "\r\n";
        writeBytes(file, text);
        boxes->prompts.clear();
        orvelo::frmWizard& w = open(input);
        if (round == 1) forms::click(*w.ChkRecalculateMeshBoundary);  // off
        forms::click(next());
        forms::click(finish());
        SCOPED_TRACE(round);
        EXPECT_TRUE(orvelo::ProjectFileSet(folder.path(dir), "RAFT_Adaptive").empty());
        EXPECT_NE(::testing::PrintToString(boxes->prompts).find(named), std::string::npos) << ::testing::PrintToString(boxes->prompts);
        wizard->unloadWithoutEvents();
        wizard.reset();
    }
}
