// Members of ClsValmor: error and file messages.
#include "halvex/services/cls_valmor.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"

namespace halvex {

void ClsValmor::ValmorErrorHandling() { ReportError(); }

rt::Variant ClsValmor::FileNotExist(const std::string& pathname, const bool& NOConfirm)
{
    // No name names no file: the caller's mistake, not a missing file.
    if (pathname.empty()) RaiseArgumentError(5, HALVEX_MEMBER(ClsValmor, FileNotExist), "pathname");
    return CheckFileMissing(pathname, NOConfirm);
}

}  // namespace halvex
