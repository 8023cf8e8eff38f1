#include "halvex/dialogs/dialog_hook.h"

#include "halvex/dialogs/c_memory.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/dialogs/global_memory.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "platform/runtime/errors.h"

namespace halvex {

namespace {

std::int32_t toActiveDialog(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    GCommonDialog* dialog = GetActiveDialog();
    if (dialog == nullptr) return 0;
    try {
        return dialog->DialogHook(hWnd, msg, wParam, lParam).toLong();
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(GCommonDialog, DialogHook));
        return 0;
    }
}

}  // namespace

DialogHookData& dialogHookData()
{
    static DialogHookData data;
    return data;
}

void SetActiveDialog(GCommonDialog& dialog)
{
    dialogHookData().ActiveDialog = &dialog;
}

GCommonDialog* GetActiveDialog()
{
    return dialogHookData().ActiveDialog;
}

void ClearActiveDialog()
{
    dialogHookData().ActiveDialog = nullptr;
}

std::int32_t FileDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    return toActiveDialog(hWnd, msg, wParam, lParam);
}

std::int32_t PrintDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    return toActiveDialog(hWnd, msg, wParam, lParam);
}

std::int32_t PrintSetupHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    return toActiveDialog(hWnd, msg, wParam, lParam);
}

std::int32_t PageSetupHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    return toActiveDialog(hWnd, msg, wParam, lParam);
}

std::int32_t ColorDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    return toActiveDialog(hWnd, msg, wParam, lParam);
}

std::int32_t FontDialogHookProc(std::int32_t hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    return toActiveDialog(hWnd, msg, wParam, lParam);
}

void HookMessages::initDialog(std::int32_t hDlg)
{
    procedure_(hDlg, WM_INITDIALOG, 0, 0);
}

std::int32_t HookMessages::notify(std::int32_t hDlg, std::int32_t code)
{
    const NMHDR header{hDlg, 0, code};
    cMemory block;
    if (!block.AllocateMemory(static_cast<std::int32_t>(sizeof header), GMEM_ZEROINIT)) return 0;
    const std::int32_t address = block.Pointer();
    if (address == 0 || !CopyToAddress(address, &header, sizeof header)) return 0;
    return procedure_(hDlg, WM_NOTIFY, 0, address);
}

void HookMessages::command(std::int32_t hDlg, std::int32_t wParam, std::int32_t lParam)
{
    procedure_(hDlg, WM_COMMAND, wParam, lParam);
}

void HookMessages::destroy(std::int32_t hDlg)
{
    procedure_(hDlg, WM_DESTROY, 0, 0);
}

}  // namespace halvex
