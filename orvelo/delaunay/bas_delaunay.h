// Module data of the Delaunay mesher (the module `BasDelaunay`): the net the
// meshers build (nodes, elements), their copy of the slab description, the
// triangulation kernel's circles and free-number stack, the boundary,
// constraint and fixed-node lists, the start rectangle, the drawing scale and
// the refinement window.
//
// Every list is 1-based: a vector of count + 1 entries. Entry 0 of the node
// coordinates is the scratch slot of a node about to be added; entry 0 of the
// other lists is unused. Counts are 16-bit and stop at kMaxNetCount with
// run-time error 6. An edge list holds one row per edge: row k is
// {first node, second node}.
//
// The working indexes of a generation (element neighbours, the node hash) sit
// beside the data in `Links`; they are helpers of the procedures and never
// part of a stored net.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/model/net.h"

namespace orvelo {

struct NodeHash;
class NetIndex;

// Rows 1..n of node pairs; row 0 unused.
using EdgeList = std::vector<std::array<std::int16_t, 2>>;

struct BasDelaunay {
    // ---- the mesher net ----
    std::int16_t MeshNodeCount = 0;
    std::vector<float> MeshNodeX = std::vector<float>(1);
    std::vector<float> MeshNodeY = std::vector<float>(1);
    std::int16_t MeshElementCount = 0;
    std::vector<NetElement> MeshElementList = std::vector<NetElement>(1);

    // ---- the meshers' copy of the slab description ----
    std::int32_t MeshOutlineCount = 0;
    std::vector<OutlinePiece> MeshOutline = std::vector<OutlinePiece>(1);
    std::int16_t MeshOpeningCount = 0;
    std::vector<std::int16_t> MeshOpeningPieceCount = std::vector<std::int16_t>(1);
    // [opening][piece], (0..opening count) x (0..largest piece count).
    std::vector<std::vector<OutlinePiece>> MeshOpenings =
        std::vector<std::vector<OutlinePiece>>(1, std::vector<OutlinePiece>(1));
    std::int16_t MeshLineCount = 0;
    std::vector<halvex::SinglePoint> MeshLineStart = std::vector<halvex::SinglePoint>(1);
    std::vector<halvex::SinglePoint> MeshLineEnd = std::vector<halvex::SinglePoint>(1);
    std::int16_t MeshPointCount = 0;
    std::vector<halvex::SinglePoint> MeshPoints = std::vector<halvex::SinglePoint>(1);
    std::int16_t MeshGridCountX = 0;
    std::vector<float> MeshGridX = std::vector<float>(1);
    std::int16_t MeshGridCountY = 0;
    std::vector<float> MeshGridY = std::vector<float>(1);

    // ---- the triangulation kernel ----
    // Per element: circumcentre x, y and squared circumradius, as Singles.
    std::vector<std::array<float, 3>> ElementCircle = std::vector<std::array<float, 3>>(1);
    // Element numbers freed by the insertion now running, used as a stack.
    std::vector<std::int16_t> FreeElements = std::vector<std::int16_t>(2);
    std::int16_t FreeElementDepth = 0;

    // ---- boundary, constraint and fixed-node lists ----
    std::int16_t BoundaryEdgeCount = 0;
    EdgeList BoundaryEdges = EdgeList(1);
    std::int16_t FixedNodeCount = 0;
    std::vector<std::int16_t> FixedNodes = std::vector<std::int16_t>(1);
    std::int16_t ConstraintEdgeCount = 0;
    EdgeList ConstraintEdges = EdgeList(1);
    // Nodes the node deletion removes (entries 1..n).
    std::vector<std::int16_t> DeleteNodeList = std::vector<std::int16_t>(1);

    // ---- start rectangle, drawing scale, refinement window ----
    float MeshExtentXMin = 0.0f;
    float MeshExtentYMin = 0.0f;
    float MeshExtentXMax = 0.0f;
    float MeshExtentYMax = 0.0f;
    // The drawing scale itself is the project-wide declar().DrawingScale,
    // which the transfer of node-related data also reads.
    float MarkSize = 0.0f;
    float RefineWindowXMin = 0.0f;
    float RefineWindowYMin = 0.0f;
    float RefineWindowXMax = 0.0f;
    float RefineWindowYMax = 0.0f;

    // The polygon region of the outline chain during a generation (0: none),
    // and the corners it was made of.
    std::int32_t SlabRegion = 0;
    std::vector<halvex::POINTAPI> SlabRegionCorners;

    // The zero-length-side notice of the running operation: shown already,
    // and under which wait window (the operation); how often in all.
    bool ZeroSideNoticeShown = false;
    const void* ZeroSideNoticeWindow = nullptr;
    std::int32_t ZeroSideNotices = 0;

    // ---- working indexes of a generation ----
    TriangulationLinks Links;
    // The hash of node positions while a NodeIndexScope lives (boundary.h).
    std::int32_t NodeIndexDepth = 0;
    std::shared_ptr<NodeHash> NodeIndex;
    // The index of sides, elements and nodes the point insertion keeps
    // while a NetEditScope lives (insert_point.h).
    std::int32_t EditIndexDepth = 0;
    std::shared_ptr<NetIndex> EditIndex;
};

// The one process-wide instance.
BasDelaunay& basDelaunay();

// Makes m the same as a fresh BasDelaunay{}, but keeps the room of the
// net's lists, the links and the node hash for the next generation: dropped,
// their memory would go back to the system and come back page by page.
void ClearKeepingRoom(BasDelaunay& m);

// Starts again from a fresh instance (ClearKeepingRoom).
void resetBasDelaunay();

}  // namespace orvelo
