// The neighbour links of the triangulation a Delaunay generation builds:
// for every element the elements across its three sides, which sides are
// constraint sides (outline, openings, internal lines: a cavity never
// crosses them), and for every node one element at it. They let point
// location walk from element to element and let the cavity, the side
// recovery and the inside classification look at neighbours instead of
// scanning every element.
//
// The links describe MeshElementList as the kernel, the side recovery and
// the classification leave it; they are helpers of those procedures and are
// rebuilt from the element list and the two edge lists (BoundaryEdges,
// ConstraintEdges) whenever the net was changed by anything else.
//
// Side j (0, 1, 2) of an element runs from Node(j + 1) to the next corner
// (Node(1) after Node(3)); all elements of the triangulation run
// counter-clockwise (y upwards).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orvelo {

struct BasDelaunay;

// What the links keep of one element, together, so that a step from an
// element to its neighbour touches one place.
struct ElementLink {
    // The element across side j, 0 when none (the side is on the border of
    // the start rectangle).
    std::array<std::int32_t, 3> Across{0, 0, 0};
    // The corners the links were made for.
    std::array<std::int16_t, 3> Corners{0, 0, 0};
    // Bit j set when side j is a constraint side.
    std::uint8_t Locked = 0;
    // The stamp of the last search that visited the element (a working mark
    // of the cavity and of the walks).
    std::uint32_t Visit = 0;
};

struct TriangulationLinks {
    // Per element.
    std::vector<ElementLink> Elements;
    // Per node: an element that has the node as a corner, 0 when none.
    std::vector<std::int32_t> NodeElement;
    // The element where the next location walk starts.
    std::int32_t Hint = 0;
    std::uint32_t VisitStamp = 0;
    // When set, every element the kernel makes or remakes is appended here.
    std::vector<std::int32_t>* Made = nullptr;
    // When set, the kernel leaves the circles of the elements it makes to
    // whoever records them (see Made).
    bool DeferCircles = false;
};

// Empties the links (as a fresh TriangulationLinks) and keeps the room of
// their lists for the next net.
void ClearLinks(TriangulationLinks& links);

// A fresh stamp for TriangulationLinks::Visit, sized to the element count.
std::uint32_t NextVisitStamp(BasDelaunay& m);

// Makes the links of every triangle of MeshElementList afresh: neighbours by
// shared sides, constraint sides from the rows of BoundaryEdges and
// ConstraintEdges that are element sides.
void RebuildLinks(BasDelaunay& m);

// Whether the links still describe the element list (every corner as the
// links know it). Linear in the element count.
bool LinksMatchNet(const BasDelaunay& m);

// RebuildLinks unless LinksMatchNet.
void EnsureLinks(BasDelaunay& m);

// RebuildLinks unless the links cover exactly the elements and nodes of the
// net (a check of counts only, for the procedures called once per node).
void EnsureLinksSized(BasDelaunay& m);

// Gives element e the corners (a, b, c) in the element list and the links,
// and makes it the element of its corners' nodes. The neighbours and the
// constraint bits of e are left to the caller.
void SetElementCorners(BasDelaunay& m, std::int32_t e, std::int16_t a, std::int16_t b,
                       std::int16_t c);

// The corner of element e: j = 0, 1, 2.
std::int16_t CornerOf(const BasDelaunay& m, std::int32_t e, int j);

// The elements around a node in counter-clockwise order (unordered pieces
// when the node lies on the border of the start rectangle).
std::vector<std::int32_t> ElementsAtNode(const BasDelaunay& m, std::int16_t node);

// The element whose side runs from a to b (in this direction), and in j the
// side; 0 when there is none.
std::int32_t ElementWithSide(const BasDelaunay& m, std::int16_t a, std::int16_t b, int& j);

// Whether the side from a to b (either direction) is a side of an element.
bool IsElementSide(const BasDelaunay& m, std::int16_t a, std::int16_t b);

// Sets or clears the constraint bit of the side a-b in both elements that
// hold it.
void LockSide(BasDelaunay& m, std::int16_t a, std::int16_t b, bool locked);

// Orientation of nodes, and of two nodes and a point (predicates.h).
double OrientNodes(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t c);
double OrientToPoint(const BasDelaunay& m, std::int16_t a, std::int16_t b, double x, double y);

// How a walk towards a point ended.
enum class WalkEnd {
    Reached,  // element holds the point (inside or on its border)
    Blocked,  // the way crosses constraint side `side` of element
    Outside,  // the way leaves the start rectangle across side `side` of element
    Failed,   // no way found within the step limit
};

struct WalkResult {
    WalkEnd end = WalkEnd::Failed;
    std::int32_t element = 0;
    int side = -1;
};

// Walks from element start along the straight line from (fromX, fromY), a
// point of start, to (toX, toY). With stopAtConstraints the walk does not
// cross a constraint side.
WalkResult WalkAlongLine(const BasDelaunay& m, std::int32_t start, double fromX, double fromY,
                         double toX, double toY, bool stopAtConstraints);

// The element that holds (x, y): a walk from hint (or from the links' own
// hint when hint is 0), else a scan of all triangles; 0 when the point lies
// outside the start rectangle.
std::int32_t LocatePoint(BasDelaunay& m, double x, double y, std::int32_t hint);

}  // namespace orvelo
