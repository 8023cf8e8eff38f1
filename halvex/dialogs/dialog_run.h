// Internal to the dialog layer: the guard every dialog member keeps while
// its dialog function runs.
#pragma once

#include "halvex/dialogs/dialog_hook.h"

namespace halvex {

class cCommonDialog;
class GCommonDialog;

// Releases the event sink and the active dialog when a dialog function
// returns, whichever way it does.
class DialogRun {
public:
    explicit DialogRun(GCommonDialog& dialog, cCommonDialog*& sink) : dialog_(dialog), sink_(sink) {}
    ~DialogRun() { end(); }
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

    // Hooks the dialog: this object becomes the active dialog, `sink`
    // receives its messages, and the record passes them through `messages`
    // with its enable-hook bits set.
    template <class Record>
    void hook(cCommonDialog* sink, Record& record, HookMessages& messages, std::int32_t hookFlags)
    {
        SetActiveDialog(dialog_);
        sink_ = sink;
        record.hook = &messages;
        record.flags |= hookFlags;
    }
    void end()
    {
        sink_ = nullptr;
        if (GetActiveDialog() == &dialog_) ClearActiveDialog();
    }

private:
    GCommonDialog& dialog_;
    cCommonDialog*& sink_;
};

}  // namespace halvex
