// The operation runner: every long step of the program is an operation with
// a code. RunWaitOperation stores the code, makes a fresh
// ClsRefineWaitMessage with a fresh wait window in its ObjFENetGeneration
// and shows the window; the window raises its event, whose handler
// ObjFENetGeneration_RunWaitMessage runs the work of the code and closes the
// window. When RunWaitOperation returns, the operation has finished, has
// failed (run state 3) or was skipped because the run state already was 3.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "orvelo/project/transfer.h"
#include "outside/drovik/wait_window.h"

namespace orvelo {

// The operation codes.
enum WaitOperation : std::int32_t {
    OpGenerateMesh = 0,          // generate the new net by MeshType
    OpAddNode = 1,               // add the scratch node 0 to the net
    OpDeleteNodes = 2,           // delete the listed nodes
    OpDeleteNodesQuiet = 3,      // nothing: the window closes at once
    OpRefineWindow = 4,          // refine inside a window
    OpSmoothMesh = 5,            // smooth the net
    OpRegenerateMesh = 6,        // regenerate the net by mesh type
    OpBoundaryFrontPoints = 7,   // add boundary front points
    OpOpenSourceProject = 8,     // open the input project
    OpInternalForces = 9,        // internal forces and target-size field
    OpRecalculateBoundary = 10,  // recalculate the net boundary
    OpTransferData = 11,         // transfer node-related data
    OpCopyProjectFiles = 12,     // copy the project file set
};

// One running operation: it receives the events of its wait window. A new
// one is made for every operation and released when the next replaces it.
// The transfer of node-related data (code 11) adds its members to this class
// (through a base class of the project store, so that they stay beside the
// other project files).
class ClsRefineWaitMessage : public NodeDataTransfer {
public:
    ClsRefineWaitMessage() = default;
    virtual ~ClsRefineWaitMessage();
    ClsRefineWaitMessage(const ClsRefineWaitMessage&) = delete;
    ClsRefineWaitMessage& operator=(const ClsRefineWaitMessage&) = delete;

    // The wait window of the FE-net check (RunFENetCheck, net_check.h);
    // nothing in the program assigns it. Setting it makes this object
    // receive the window's RunWaitMessage, as ObjFENetGeneration does.
    std::shared_ptr<drovik::ClsWaitWindow> ObjCheckFENet() const { return objCheckFENet_; }
    void ObjCheckFENet(std::shared_ptr<drovik::ClsWaitWindow> window);

    // The operation's wait window. Setting it makes this object receive the
    // window's RunWaitMessage (and the window it replaces no longer
    // reaches this object); nullptr empties the reference.
    std::shared_ptr<drovik::ClsWaitWindow> ObjFENetGeneration() const { return objFENetGeneration_; }
    void ObjFENetGeneration(std::shared_ptr<drovik::ClsWaitWindow> window);

    // The handler of the wait window's RunWaitMessage: the hourglass, the
    // work of OperationCode, then the window is closed. An error of the work
    // is reported (HandleError), the run state becomes 3 and the window is
    // closed; the handler returns normally. The window closes even when the
    // work emptied ObjFENetGeneration.
    void ObjFENetGeneration_RunWaitMessage();

    // The handler of ObjCheckFENet's RunWaitMessage: the FE-net check
    // (net_check.cpp).
    void ObjCheckFENet_RunWaitMessage();

private:
    std::shared_ptr<drovik::ClsWaitWindow> objCheckFENet_;
    std::shared_ptr<drovik::ClsWaitWindow> objFENetGeneration_;
};

// The work of one code, run inside the operation's window.
using OperationProcedure = std::function<void(ClsRefineWaitMessage& operation)>;

// The runner's module data.
struct OperationRunner {
    // The code of the operation that runs or ran last; written only by
    // RunWaitOperation.
    WaitOperation OperationCode = OpGenerateMesh;
    // The operation that runs or ran last.
    std::shared_ptr<ClsRefineWaitMessage> CurrentOperation;
    // The work of each code 0..12, in code order; the handler dispatches
    // through it. A code whose procedures are not part of the program yet
    // has an empty procedure (its window closes at once, as for code 3).
    std::array<OperationProcedure, 13> Procedures = builtInProcedures();

    static std::array<OperationProcedure, 13> builtInProcedures();
};

OperationRunner& operationRunner();

// Tests only: no operation has run, and the built-in procedures.
void resetOperationRunner();

// Runs the operation of code (a WaitOperation; any other value shows and
// closes the window) in a new wait window and returns when the window has
// closed. Returns at once, changing nothing, when RunControl().RunState()
// is 3. A failure to create or show the window goes to the caller.
void RunWaitOperation(std::int32_t code);

}  // namespace orvelo
