// mDialogHook: the one dialog of the process whose hooked dialog is running
// (ActiveDialog), and the hook procedures that hand the running dialog's
// window messages to its GCommonDialog::DialogHook.
//
// The dialogs' backend (platform/forms/common_dialogs.h) reports what
// happens in a dialog; HookMessages turns each report into the window
// message the hook procedure receives: WM_INITDIALOG, WM_NOTIFY (lParam the
// address of a notification header in a global memory block), WM_COMMAND
// and WM_DESTROY.
#pragma once

#include <cstdint>

#include "platform/forms/common_dialogs.h"

namespace halvex {

class GCommonDialog;

// Window messages of the hook procedures.
inline constexpr std::int32_t WM_DESTROY = 2;
inline constexpr std::int32_t WM_NOTIFY = 78;
inline constexpr std::int32_t WM_INITDIALOG = 272;
inline constexpr std::int32_t WM_COMMAND = 273;

// The header of a notification (WM_NOTIFY).
struct NMHDR {
    std::int32_t hwndFrom = 0;
    std::int32_t idFrom = 0;
    std::int32_t code = 0;
};
static_assert(sizeof(NMHDR) == 12);

// Module data of mDialogHook. It holds no reference: the dialog member that
// sets ActiveDialog keeps its object alive while the dialog runs.
struct DialogHookData {
    GCommonDialog* ActiveDialog = nullptr;
};
// The one instance of the process (tests start afresh by assigning {}).
DialogHookData& dialogHookData();

void SetActiveDialog(GCommonDialog& dialog);
// The dialog whose hooked dialog runs; nullptr when none.
GCommonDialog* GetActiveDialog();
void ClearActiveDialog();

// The hook procedures, one for each dialog. Each gives the message to the
// active dialog's DialogHook and returns its result as a 32-bit value (an
// empty result gives 0); without an active dialog it returns 0. A run-time
// error of the dialog's event handlers is reported with the library's error
// message and gives 0.
using HookProcedure = std::int32_t (*)(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam,
                                       std::int32_t lParam);
std::int32_t FileDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);
std::int32_t PrintDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);
std::int32_t PrintSetupHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);
std::int32_t PageSetupHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);
std::int32_t ColorDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);
std::int32_t FontDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);

// The hook a dialog member puts into its dialog's record: reports of the
// running dialog as window messages to one hook procedure.
class HookMessages : public forms::CommonDialogHook {
public:
    explicit HookMessages(HookProcedure procedure) : procedure_(procedure) {}

    void initDialog(std::int32_t hDlg) override;
    // The header {hDlg, 0, code} goes into a locked global memory block
    // for the length of the call.
    std::int32_t notify(std::int32_t hDlg, std::int32_t code) override;
    void command(std::int32_t hDlg, std::int32_t wParam, std::int32_t lParam) override;
    void destroy(std::int32_t hDlg) override;

private:
    HookProcedure procedure_;
};

}  // namespace halvex
