#include "orvelo/project/copy_project.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/file_limits.h"
#include "orvelo/project/net_files.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

void stopRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

// Copies source to target so that target is either the complete copy or
// what it was before: the copy is made under a temporary name and renamed.
// False, nothing left of the copy, when Stop was pressed meanwhile.
bool copyWhole(const std::string& source, const std::string& target, std::uint64_t largest) {
    namespace fs = std::filesystem;
    const std::string temp = target + ".tmp";
    SharedServices().Prod(target);
    if (!CopyDataFile(source, temp, largest, [] { return OperationStopRequested(false); })) return false;
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        raiseWriteError(fileSystemErrorNumber(ec), target);
    }
    NoteStagedFile(target);
    return true;
}

bool sameFile(const std::string& source, const std::string& target) {
    if (source == target) return true;
    std::error_code ec;
    return std::filesystem::exists(target, ec) && std::filesystem::equivalent(source, target, ec);
}

}  // namespace

void CopyProjectFiles() {
    Declar& d = declar();
    try {
        forms::screen().MousePointer(11);
        // What became of the leftovers of an interrupted run is told first.
        const std::string note = TakeLeftoverOutputNote();
        if (drovik::ClsWaitWindow* window = OperationWaitWindow(); window && !note.empty()) window->StatusText(note);
        if (d.CopyFilesFlag) {
            struct Copy {
                std::string source, target;
                std::uint64_t largest;
            };
            std::vector<Copy> copies;
            // Every file is held against the size its counts can need
            // before anything is copied: a file far larger than its
            // contents is refused at once, and nothing is written.
            const std::int32_t nodes = d.SourceNetLoaded ? d.SourceNet.NodeCount : 32767;
            for (std::string_view extension : ProjectFileExtensions) {
                const std::string ext(extension);
                const std::string source =
                    rt::findFileCaseInsensitive(d.DataDir + d.ProjectName + "." + ext);
                if (source.empty()) continue;
                // An existing file of the output project is replaced whatever
                // the case of its name.
                const std::string target = rt::projectFilePath(d.OutputDir, d.OutputName, ext);
                if (sameFile(source, target)) continue;
                const std::uint64_t largest = LargestProjectFileSize(ext, source, nodes);
                std::error_code ec;
                const std::uintmax_t size = std::filesystem::file_size(source, ec);
                if (!ec && size > largest) {
                    SharedServices().Prod(source);
                    raiseReadError(7, source);
                }
                copies.push_back({source, target, largest});
            }
            for (const Copy& copy : copies) {
                if (!copyWhole(copy.source, copy.target, copy.largest) || OperationStopRequested(false)) {
                    forms::screen().MousePointer(0);
                    stopRun();
                    return;
                }
            }
        }
        forms::screen().MousePointer(0);
    } catch (const rt::RuntimeError&) {
        HandleError();
        stopRun();
        return;
    }
    if (!WriteNetFiles(d.OutputDir + d.OutputName)) stopRun();
}

}  // namespace orvelo
