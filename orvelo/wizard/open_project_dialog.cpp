#include "orvelo/wizard/open_project_dialog.h"

#include <memory>

#include "halvex/dialogs/cls_show_dialog.h"
#include "platform/runtime/variant.h"

namespace orvelo {

OpenProjectDialog LibraryOpenProjectDialog() {
    // One dialog facade for the window, made when Browse is first pressed.
    auto facade = std::make_shared<std::unique_ptr<halvex::ClsShowDialog>>();
    return [facade](std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                    std::string& UserDir, std::string& UserProda) {
        if (!*facade) *facade = std::make_unique<halvex::ClsShowDialog>();
        rt::VArray patterns(rt::VarType::String);
        patterns.redim(0, 0);
        patterns.at(0) = rt::Variant("*.PO1");
        return (*facade)->ShowOpenDialog(MeHwnd, CompleteFileName, DataDir, UserDir, UserProda, patterns);
    };
}

}  // namespace orvelo
