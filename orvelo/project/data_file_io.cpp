#include "orvelo/project/data_file_io.h"

#include <exception>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

// The normal mouse pointer whichever way the procedure ends.
struct NormalPointerAtEnd {
    ~NormalPointerAtEnd() { forms::screen().MousePointer(0); }
};

// Reports the error in flight as an error of the file at path: a run-time
// error with the reading or saving text that names the file, anything else
// as it is. Closes file number 1 (HandleError).
void reportFileError(const std::string& path, bool reading) {
    try {
        throw;
    } catch (const FileFault&) {
        HandleError();  // named already
    } catch (const rt::RuntimeError& error) {
        try {
            if (reading)
                raiseReadError(error, path);
            else
                raiseWriteError(error.number(), path);
        } catch (const rt::RuntimeError&) {
            HandleError();
        }
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        HandleError();
    }
}

}  // namespace

std::string CurrentProjectFile(std::string_view ext) {
    const Declar& d = declar();
    return rt::projectFilePath(d.CurrentDataDir, d.CurrentProjectName, ext);
}

DataFileRead ReadWholeDataFile(const std::string& path, bool askFileCheck,
                               const std::function<void(rt::TextReader&)>& read) {
    const NormalPointerAtEnd normalAtEnd;
    forms::screen().MousePointer(11);
    halvex::ClsValmor& services = SharedServices();
    services.Prod(path);
    if (rt::findFileCaseInsensitive(path).empty()) {
        // A folder, pipe or device of the name, or a temporary folder that
        // has gone, is told as what it is.
        try {
            RequireStagingFolder(path);
            if (const std::string entry = NotRegularEntry(path); !entry.empty()) raiseNotRegularFile(entry);
        } catch (const rt::RuntimeError&) {
            HandleError();
            return DataFileRead::Failed;
        }
        return DataFileRead::Missing;
    }
    if (askFileCheck) {
        std::int16_t failed = 0;
        FileCheck().PrepareFile(path, 1, 1, nullptr, failed);
        if (failed == 70) {
            // Not "could not be read": the user is told that it may not be.
            try {
                raiseReadError(70, path);
            } catch (const rt::RuntimeError&) {
                HandleError();
            }
            return DataFileRead::Failed;
        }
        if (failed != 0) return DataFileRead::Refused;
    }
    services.Prod(path);
    try {
        if (OpenDataFile(path, halvex::InputMode, 1, 0) != 0) return DataFileRead::Refused;
        rt::TextReader& in = rt::dataChannel().reader();
        read(in);
        // Records that end before the file does are out of step with it.
        rt::requireFileEnd(in);
        CloseDataFile(1);
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        reportFileError(path, true);
        return DataFileRead::Failed;
    }
    return DataFileRead::Read;
}

bool WriteWholeDataFile(const std::string& path, const std::function<void()>& check,
                        const std::function<void(rt::TextWriter&)>& write) {
    const NormalPointerAtEnd normalAtEnd;
    forms::screen().MousePointer(11);
    SharedServices().Prod(path);
    try {
        if (check) check();
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        reportFileError(path, false);
        return false;
    }
    try {
        OpenDataFile(path, halvex::OutputMode, 1, 0);
        write(rt::dataChannel().writer());
        CloseDataFile(1);
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        reportFileError(path, false);
        return false;
    }
    return true;
}

std::int16_t ReadDataCount(rt::TextReader& in) {
    const std::int32_t count = in.readLong();
    if (count < 0) rt::raise(6);
    if (count > kMaxNetCount) rt::raise(6, FileFaultText(190142, {rt::Variant("|2"), rt::Variant(count)}));
    return static_cast<std::int16_t>(count);
}

}  // namespace orvelo
