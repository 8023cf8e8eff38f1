// The Bowyer-Watson kernel of the Delaunay generation: the start rectangle
// over the four auxiliary corner nodes 1..4, the circumcircle of every
// element, the insertion of one node (the elements whose circles hold the
// node make a cavity that is closed again by a fan of elements from the
// node), and the stack through which deleted element numbers are reused.
//
// The cavity of a node is the element that holds it together with the
// elements connected to it, across sides that are not constraint sides,
// whose circumcircles hold the node strictly (exact in-circle test,
// predicates.h), reduced until every side of its border is seen from the
// node: the new elements never overlap, and every freed number is taken
// again. An insertion whose cavity would reach an element marked outside the
// slab (CornerCount -1) is refused, except the element beyond an outline or
// opening side that the node divides: it becomes two elements that stay
// outside. The numbering follows the cavity
// elements in ascending order: each is pushed on the free-number stack, its
// sides go into the side list (a side met twice is inside the cavity), and
// each open side in list order becomes an element (node, a, b) under the
// number last freed, or a new number.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace orvelo {

struct BasDelaunay;

// The start configuration: nodes 1..4 at (0,0), (10,0), (10,10), (0,10),
// elements 1 = (1,2,3) and 2 = (1,3,4) with corner count and flags 0 and no
// circles yet; the boundary, fixed-node and constraint lists empty; the
// free-number stack reset. Returns 0.
std::int16_t InitStartTriangulation();

// The start rectangle around nodes 5..MeshNodeCount: their extent widened by
// its own width and height on each side, stored in MeshExtent* and given to
// nodes 1..4 (counter-clockwise from the lower left corner). Does not compute
// the circles.
void StretchStartRectangle();

// The circle of element e from its corners Node(1..3): centre and squared
// radius (the mean of the squared distances of the three corners from the
// centre stored as Single) into ElementCircle. A flat element (determinant 0
// in single precision) or one with two corners within the coincidence
// tolerance gets its centroid and radius 0.
void ComputeCircumcircle(std::int16_t element);

// ComputeCircumcircle on the mesher data given, with the coincidence
// tolerance given, and no checks of the numbers.
void ComputeElementCircle(BasDelaunay& m, std::int32_t element, double tol);

// Inserts node `node` (already in the node list) into the triangulation.
// A refused node (its cavity would reach an element marked outside) is
// removed again when it is the last node. Returns 0.
std::int16_t InsertNodeIntoTriangulation(std::int16_t node);

// The stack of freed element numbers: value 0 pops (0 when empty), -1
// resets (0), any other value is pushed and returned. Error 6 past 32767
// entries.
std::int16_t FreeElementStack(std::int16_t value);

// True when the element's squared radius is not 0 and, with a window switch
// other than 0, its centre lies in the refinement window (left and upper
// edges in, right and lower edges out).
bool CircumcentreInWindow(std::int16_t element, std::int16_t windowSwitch);

// ---- for the procedures of the generation ----

enum class InsertOutcome {
    Inserted,  // the node is a corner of the new elements
    Refused,   // the cavity would reach an element outside the slab; nothing changed
    Unplaced,  // the node lies outside the start rectangle or on a node; nothing changed
    Encroaching,  // the node lies inside the diametral circle of a constraint side its cavity meets; nothing changed
};

// Inserts the node, starting the search for its element at `hint` (0: the
// last element made). A refused or unplaced node stays in the node list.
// With encroached, a node inside the diametral circle of a constraint side
// on the border of its cavity (the elements connected across other sides
// whose circles hold it, outside elements left out) is not inserted: the
// answer is Encroaching and encroached names the first such side met, as
// (element, side).
InsertOutcome InsertNodeNear(std::int16_t node, std::int32_t hint, std::pair<std::int32_t, int>* encroached = nullptr);

// Inserts the node as the dividing point of the constraint side `side`
// (0..2) of `element`: both elements at the side belong to the cavity, the
// two halves become constraint sides, and the rows of BoundaryEdges and
// ConstraintEdges naming the side are split (the row becomes (first, node)
// and a row (node, second) is appended).
// With outsideKept, the element beyond may be an outside element (a border
// side of the slab is divided): it is split in two elements that stay
// outside (CornerCount -1).
InsertOutcome InsertNodeOnSide(std::int16_t node, std::int32_t element, int side, bool outsideKept = false);


// Divides every row of BoundaryEdges and ConstraintEdges that names the
// side first-second (either order) at node, as InsertNodeOnSide does.
void DivideConstraintRows(std::int16_t first, std::int16_t second, std::int16_t node);

// Error 6: the net would need more than 32767 elements (with the advice to
// choose larger sizes).
[[noreturn]] void RaiseNetTooLarge();

// Appends an empty element (MeshElementCount + 1; the element list and the
// circles grow with it, and the links while they describe the net) and
// returns its number. Error 6 with a message past 32767 elements.
std::int32_t AppendElement();

// Appends the node (x, y) (MeshNodeCount + 1) and returns its number. Error 6
// with a message past 32767 nodes.
std::int16_t AppendNode(float x, float y);

}  // namespace orvelo
