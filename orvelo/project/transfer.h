// The transfer of node-related data to a new net (operation 11): after the
// new net has been generated and the project file set copied to the output
// project (operation 12), every node-related data kind the input project
// holds is read from the output project, its node numbers are replaced by
// the numbers of the new-net nodes at the same places, and it is written
// back; the element zones are given to the new elements and the borings get
// their regions anew.
//
// The old net is the input project's net as operation 8 read it
// (declar().SourceNet), never its .PL6 on disk, which operation 12 may have
// overwritten (an output project equal to the input project). The new net
// is the project net of declar(). The work runs inside the running
// operation's wait window (OperationWaitWindow()), which it skips when
// there is none.
//
// The class is the base of the operation runner's ClsRefineWaitMessage, so
// that every running operation carries these members.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orvelo/model/net.h"
#include "orvelo/project/node_data_files.h"
#include "orvelo/project/node_locator.h"

namespace orvelo {

// The node-related data kinds, in the order they are looked for.
enum class TransferKind : std::int16_t {
    LineMembers = 1,     // .GL1 (and .GL2)
    Springs = 2,         // .P35; method 21 .P81, method 22 .P91
    PrescribedDofs = 3,  // .P31; method 21 .P61, method 22 .P71
    Piles = 4,           // .PIL
    ElementZones = 5,    // .P21
    Borings = 6,         // .P41 with the borings of .BAU
    NodalLoads = 7,      // .PC1; method 21 .PCF, method 22 .PCW
    NodeValues = 8,      // .PV1
};

// The text number of a kind's display text (10032 line members, ...).
std::int32_t TransferKindTextNo(TransferKind kind);

// What the last transfer had to leave out (entries of one value per node
// that fell on a node already holding one: the kind and how many), one line
// a kind; empty when nothing was lost. Taking it clears it.
std::string TakeTransferLossNote();

class NodeDataTransfer {
public:
    NodeDataTransfer() = default;
    virtual ~NodeDataTransfer();
    NodeDataTransfer(const NodeDataTransfer&) = delete;
    NodeDataTransfer& operator=(const NodeDataTransfer&) = delete;

    // Operation 11. Lists the kinds the input project (DataDir +
    // ProjectName) holds, each by whether its file exists (no message), or
    // a file of another method whose layout is known (.P91 / .P35, .P71 /
    // .P31, .PCW: every such file is carried, whatever the method); the
    // borings only when the method is none of 2, 4, 8, 17-20, .P41 exists
    // and .BAU counts at least two borings. A .P41 made for two or more
    // borings whose .BAU is missing, no regular file, unreadable or of
    // another count, and a .P41 that is no regular file or cannot be read,
    // are reported naming the file and stop the run (a project without
    // .P41, or with one boring, looks for .BAU quietly). A kind the header
    // declares (beams, point springs and prescribed degrees of freedom
    // unless the method is 13, piles, values per node unless the method is
    // 15 or 22) whose file is missing or no regular file, and a .PV1 that
    // is there but no regular file, get the missing-file message naming it
    // and stop the run. When the borings are not carried over, the output
    // project's .P41 (laid out for the old net) is removed. Then the output
    // project becomes the current project (DataDir, ProjectName,
    // CurrentDataDir and CurrentProjectName name OutputDir and OutputName)
    // in every case, and when a kind was found, each is carried over
    // (TransferProjectData). An error is reported (HandleError). Returns 0.
    std::int16_t ListDataToTransfer();

    // The node of the new net (declar()'s project net) for the old
    // position (XGriDOld, YGriDOld): the lowest-numbered node whose x and y
    // both lie less than 0.01 x DrawingScale away, else the nearest node,
    // the lowest number among equally near ones. A new net without nodes is
    // error 9 with a message saying so.
    void GetNewNodeNumber(float XGriDOld, float YGriDOld, std::int16_t& result);

    // The kinds the last ListDataToTransfer found, in listing order, and
    // their display texts.
    const std::vector<TransferKind>& FoundKinds() const { return foundKinds_; }
    const std::vector<std::string>& FoundKindTexts() const { return foundKindTexts_; }

private:
    // Failed: the kind could not be carried over (reported already); the
    // run stops, as for Cancelled.
    enum class KindResult { Done, Skipped, Cancelled, Failed };

    // Carries over every listed kind: the old net from SourceNet (a run
    // without one, or an empty new net, is reported and stops the run);
    // then the output project becomes current; then kind after kind, each
    // followed by one UpdateProgress(false). Stop in the wait window ends
    // the transfer after the current step, the kind in hand unwritten. When
    // every kind is done, the wait window is closed. An error is reported
    // (HandleError) and ends the transfer; kinds done before stay written.
    void TransferProjectData();

    // Replaces every nodes(1..upper bound) by its new-net node. cancelled:
    // -1 when Stop was pressed (entries from there on unchanged), else 0.
    void RemapNodeArray(std::vector<std::int16_t>& nodes, std::int16_t& cancelled);

    KindResult transferKind(TransferKind kind);
    KindResult transferNodeDataFile(NodeDataFile file);
    KindResult transferLineMembers();
    KindResult transferElementZones();
    KindResult transferBorings();
    // The values per node of basData() whose new node holds another value
    // too: the value of the old node (oldNodes, entry by entry) nearest to
    // the new node stays, the first of equally near ones; the others are
    // left out. Returns how many were left out.
    std::int32_t keepNearestValues(const std::vector<std::int16_t>& oldNodes);
    void noteLostEntries(TransferKind kind, std::int32_t lost);
    // The boring layout read from the old .P41 carried to the new nodes by
    // place: every new node takes the boring of the old node at its place
    // (within the coincidence tolerance, the lowest number among several),
    // else of the nearest old node (the lowest number among equally near
    // ones); an old node that was no constant node stands for the nearest
    // old constant node (boring 1 when there is none). Every new node enters
    // the constant-node list with that boring; the edge regions and cells
    // a new node keeps until the layout claims it are those of that old node.
    void carryBoringsByPlace();
    // False (after a message naming the file) when a node number of the
    // list lies outside the old net.
    bool oldNodesValid(const std::vector<std::int16_t>& nodes, std::int16_t count,
                       const std::string& path) const;

    std::vector<TransferKind> foundKinds_;
    std::vector<std::string> foundKindTexts_;
    // The node-data files of the input project the transfer carries.
    std::vector<NodeDataFile> carriedFiles_;
    // The copy the transfer walks.
    std::vector<TransferKind> transferKinds_;

    // The old net, for one transfer.
    std::int16_t oldNodeCount_ = 0;
    std::vector<float> OldNetX;
    std::vector<float> OldNetY;
    std::int16_t oldElementCount_ = 0;
    std::vector<NetElement> oldElementList_;
    // The new net's nodes, sorted once for one transfer.
    std::unique_ptr<NodeLocator> newNodes_;
};

}  // namespace orvelo
