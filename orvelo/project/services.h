// The program's process-wide outside objects, each created on first use and
// kept until the process ends (or a test calls resetServices()), and the
// wait window of the operation that runs now.
//
// The project store, the meshers and the internal forces reach the running
// operation's wait window only through OperationWaitWindow(): the operation
// runner registers how to find it, so these layers do not depend on the
// wizard.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "halvex/services/cls_valmor.h"
#include "outside/drovik/file_check.h"
#include "outside/drovik/geometry_helper.h"
#include "outside/drovik/net_settings.h"
#include "outside/drovik/point_list_tools.h"
#include "outside/drovik/project_packer.h"
#include "outside/drovik/project_reader.h"
#include "outside/drovik/run_control.h"
#include "outside/drovik/wait_window.h"
#include "outside/quillon/language_text.h"

namespace orvelo {

drovik::ClsRunControl& RunControl();
drovik::ClsProjectReader& ProjectReader();
drovik::ClsNetSettings& NetSettings();
drovik::ClsGeometryHelper& GeometryHelper();
drovik::ClsFileCheck& FileCheck();
drovik::ClsPointListTools& PointListTools();
drovik::ClsProjectPacker& ProjectPacker();
// The program's text provider (the interface language's tables of the
// program folder).
quillon::ClsLanguageText& LanguageTexts();
// The program's one facade object of the library.
halvex::ClsValmor& SharedServices();

// The wait window of the operation that runs now (ObjFENetGeneration of the
// current operation); nullptr when no operation runs or it holds no window.
// Callers skip every wait-window call then.
drovik::ClsWaitWindow* OperationWaitWindow();

// ClsWaitWindow.UpdateProgress on the running operation's window: advance
// counts one step; true when the user pressed Stop, which also sets the run
// state to 3 (ExitWithoutSaving). Without a window nothing happens and no
// stop is ever reported.
bool OperationStopRequested(bool advance);

// ClsWaitWindow.ProgressMax on the running operation's window, held to
// 0 .. 2^31 - 1 (a product such as twice the element count never wraps);
// nothing without a window.
void SetOperationProgressMax(std::int64_t steps);

// Registered by the operation runner: how OperationWaitWindow() finds the
// window (an empty function: no operation runs).
void SetOperationWaitWindowSource(std::function<drovik::ClsWaitWindow*()> source);

// Tests only: forget every object (the next use creates a fresh one) and
// the registered wait-window source.
void resetServices();

// Tests only: the program's text provider is this one until resetServices.
void useLanguageTexts(std::unique_ptr<quillon::ClsLanguageText> texts);

}  // namespace orvelo
