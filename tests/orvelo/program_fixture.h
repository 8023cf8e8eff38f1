// What the orvelo suites share: the program state a test starts from and
// leaves behind, the prompts of the boxes shown, and a wait window that
// counts how often it was closed.
#pragma once

#include <string>
#include <vector>

#include "halvex/services/library_state.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"

namespace orvelotest {

// Fresh project globals, outside services (no operation's wait window),
// data-file channel and library state; wait windows that are never stopped
// and the normal mouse pointer.
inline void ResetProgramState() {
    orvelo::resetDeclar();
    orvelo::resetServices();
    orvelo::resetDataFiles();
    halvex::resetLibraryState();
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    forms::screen().MousePointer(0);
}

// What a test leaves behind: no data file open, no outside services.
inline void ReleaseProgramState() {
    orvelo::resetDataFiles();
    orvelo::resetServices();
}

// The prompts of the message boxes shown so far.
inline std::vector<std::string> PromptsOf(const forms::ScriptedMsgBox& boxes) {
    std::vector<std::string> prompts;
    for (const forms::MessageBoxRequest& request : boxes.boxes()) prompts.push_back(request.prompt);
    return prompts;
}

// A wait window that counts its Close calls.
class CountingWaitWindow : public drovik::ClsWaitWindow {
public:
    void Close() override {
        ++closes;
        drovik::ClsWaitWindow::Close();
    }
    int closes = 0;
};

}  // namespace orvelotest
