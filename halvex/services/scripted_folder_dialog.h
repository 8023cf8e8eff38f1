// The headless stand-in of the folder dialog, for the library's own tests
// (libhalvex_internal.so); a host scripts the toolkit's dialogs instead.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "halvex/services/folder_browser.h"

namespace halvex {

// Headless stand-in: answers from a queue (cancelling when it is empty) and
// records every request.
class ScriptedFolderDialog : public FolderDialog {
public:
    struct Request {
        std::int32_t ownerHwnd = 0;
        std::string title;
        std::string startFolder;
    };
    // Queues the answer to the next request.
    void answer(FolderChoice choice) { answers_.push_back(std::move(choice)); }
    FolderChoice chooseFolder(std::int32_t ownerHwnd, std::string_view title, std::string_view startFolder) override;

    const std::vector<Request>& requests() const { return requests_; }
    // Requests answered by cancelling because no answer was queued.
    int unanswered() const { return unanswered_; }

private:
    std::deque<FolderChoice> answers_;
    std::vector<Request> requests_;
    int unanswered_ = 0;
};

}  // namespace halvex
