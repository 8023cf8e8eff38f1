// libFuzzer target of one project-file reader, chosen at build time by
// OH_FUZZ_READER_<ext>: the input becomes that file of a temporary project
// (the other files of the project are those of the sample, where the reader
// needs them) and the reader reads it. A refusal through the program's
// run-time error, with or without its message, is a clean result; a crash,
// a sanitizer report, a hang or a huge allocation is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "halvex/services/library_state.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/forces/result_readers.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/line_members.h"
#include "orvelo/project/net_files.h"
#include "orvelo/project/node_data_files.h"
#include "orvelo/project/open_project.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"
#include "tests/sample_project.h"

namespace {

namespace fs = std::filesystem;

// Every message box is answered with its default button.
class DefaultAnswers : public forms::MsgBoxService {
public:
    std::int16_t show(const forms::MessageBoxRequest& request) override {
        return forms::defaultAnswerOf(request.style);
    }
};

std::string& projectDir() {
    static std::string dir;
    return dir;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The project globals as a run has them when the reader is called: the
// sample's header values and net.
void resetProject() {
    orvelo::resetDeclar();
    orvelo::resetDataFiles();
    orvelo::resetBasData();
    orvelo::resetBoringData();
    orvelo::Declar& d = orvelo::declar();
    d.DataDir = projectDir();
    d.ProjectName = "RAFT";
    d.CurrentDataDir = projectDir();
    d.CurrentProjectName = "RAFT";
    d.AnalysisMethod = 1;
    d.SymmetryKind = 4;
    d.NodeCount = 116;
    d.NodeX.assign(117, 0.0f);
    d.NodeY.assign(117, 0.0f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    forms::setMsgBoxService(std::make_shared<DefaultAnswers>());
    projectDir() = (fs::temp_directory_path() / ("oh_fuzz_" + std::to_string(::getpid()))).string() + "/";
    fs::create_directories(projectDir());
    // The sample's files stand beside the file being fuzzed.
    ohtest::CopySampleProject(projectDir());
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(projectDir(), ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resetProject();
    const std::string prefix = projectDir() + "RAFT";
    try {
#if defined(OH_FUZZ_READER_po1)
        writeFile(prefix + ".PO1", data, size);
        orvelo::OpenProjectHeader("RAFT");
#elif defined(OH_FUZZ_READER_pl6)
        writeFile(prefix + ".PL6", data, size);
        orvelo::ProjectNet net;
        std::int16_t failed = 0;
        orvelo::ProjectReader().ReadNetFile(prefix, net.ElementCount, net.ElementList, net.NodeCount, net.NodeX,
                                            net.NodeY, 0, nullptr, failed);
#elif defined(OH_FUZZ_READER_pl8)
        writeFile(prefix + ".PL8", data, size);
        orvelo::ReadNetBoundaryFile(prefix);
#elif defined(OH_FUZZ_READER_p35) || defined(OH_FUZZ_READER_p91) || defined(OH_FUZZ_READER_p31) ||   \
    defined(OH_FUZZ_READER_p71) || defined(OH_FUZZ_READER_pil) || defined(OH_FUZZ_READER_pv1) || \
    defined(OH_FUZZ_READER_pcw)
#if defined(OH_FUZZ_READER_p35)
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::P35;
#elif defined(OH_FUZZ_READER_p91)
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::P91;
#elif defined(OH_FUZZ_READER_p31)
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::P31;
#elif defined(OH_FUZZ_READER_p71)
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::P71;
#elif defined(OH_FUZZ_READER_pil)
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::PIL;
#elif defined(OH_FUZZ_READER_pv1)
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::PV1;
#else
        const orvelo::NodeDataFile file = orvelo::NodeDataFile::PCW;
#endif
        writeFile(prefix + "." + std::string(orvelo::NodeDataFileExtension(file)), data, size);
        orvelo::ReadNodeDataFile(file, 116);
#elif defined(OH_FUZZ_READER_gl1)
        writeFile(prefix + ".GL1", data, size);
        orvelo::ReadLineMembersFile();
#elif defined(OH_FUZZ_READER_bau)
        writeFile(prefix + ".BAU", data, size);
        if (orvelo::ReadBoringCount(prefix)) orvelo::ReadBorings(prefix);
#elif defined(OH_FUZZ_READER_p41)
        writeFile(prefix + ".P41", data, size);
        if (orvelo::ReadBorings(prefix)) orvelo::ReadBoringFile();
#elif defined(OH_FUZZ_READER_p21)
        writeFile(prefix + ".P21", data, size);
        std::int16_t groups = 0;
        std::vector<float> thickness, modulus, poisson;
        orvelo::ReadSlabGroups(prefix, groups, thickness, modulus, poisson, 0);
        orvelo::ReadBoringLayoutValues(prefix);
#elif defined(OH_FUZZ_READER_pl9)
        writeFile(prefix + ".PL9", data, size);
        orvelo::InternalForcesData net;
        orvelo::ReadCalculationNetFile("RAFT.PL9", net, 0);
#elif defined(OH_FUZZ_READER_pl3)
        writeFile(prefix + ".PL3", data, size);
        std::vector<std::int16_t> map;
        orvelo::ReadNodeOrder("RAFT.PL3", 116, map, 0);
#elif defined(OH_FUZZ_READER_pl4)
        writeFile(prefix + ".PL4", data, size);
        std::int16_t count = 116;
        std::vector<float> values;
        orvelo::ReadValueList("RAFT.PL4", count, values, 0, true);
#elif defined(OH_FUZZ_READER_pg1)
        writeFile(prefix + ".PG1", data, size);
        orvelo::InternalForcesData net;
        net.CalcNodeCount = 116;
        orvelo::ReadNodalDisplacements("RAFT.PG1", net, 0);
#else
#error "no reader chosen: define OH_FUZZ_READER_<extension>"
#endif
    } catch (const rt::RuntimeError&) {
        // Refused through the program's error: report it as the program
        // does (its message box is answered).
        orvelo::HandleError();
    }
    orvelo::resetDataFiles();
    return 0;
}
