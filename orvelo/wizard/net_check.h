// The FE-net check: finds four kinds of defect in the project net
// (declar()), lets the user tick in the library's check-list dialog which of
// them to repair, repairs those in place and hands the net with its marked
// nodes to NetSettings().TakeNet, which removes them. The wizard never
// starts it; a host sets the options in netCheck() and calls RunFENetCheck.
//
// Repairs keep the net conforming: a close-node merge or a thin-triangle
// repair that would fold an element is not made, and the side flags are
// rebuilt after the repairs and after TakeNet (docs/architecture.md).
#pragma once

#include <cstdint>
#include <vector>

#include "orvelo/model/net.h"

namespace drovik {
class ClsWaitWindow;
}

namespace orvelo {

struct Declar;

// The defect kinds, as bits of one 16-bit value.
enum NetDefectType : std::int16_t {
    SmallAngle = 1,            // a triangle corner angle below the angle limit
    CloseNodes = 2,            // two nodes closer than MinNodeDistance
    UnusedNode = 4,            // a node that is a corner of no element
    NodeInForeignElement = 8,  // a node inside an element it is no corner of
};

// The check's module data.
struct NetCheck {
    // Look for nodes inside foreign elements.
    bool CheckForeignNodesFlag = false;
    // Look for small angles and for close nodes.
    bool CheckAnglesFlag = false;
    // Nodes closer than this (strictly) are close nodes; 0 finds none.
    float MinNodeDistance = 0.0f;
    // Entry i = i: node i is to be removed; entry 0 = 1 once any is.
    std::vector<std::int16_t> NodeMarks = std::vector<std::int16_t>(1, 0);
    // Tests and benchmarks: answer every search by the plain scans instead
    // of the indexes (the same answers, in quadratic time).
    bool PlainScans = false;
};

NetCheck& netCheck();
// Tests only: the options and marks of a fresh start.
void resetNetCheck();

// Runs the check in a new wait window (a new ClsRefineWaitMessage's
// ObjCheckFENet) and returns when the window has closed. The running
// operation and the run state are left alone.
void RunFENetCheck();

// The cosines of the corner angles of the triangle (x1, y1), (x2, y2),
// (x3, y3) and the number of its longest side (side k lies opposite corner
// k; the lowest number among equal sides). A zero side gives cosine 1 to the
// corner opposite it and 0 to the others; sides whose product rounds to 0
// otherwise leave the cosines unwritten.
void GetTriangleAngles(float x1, float x2, float x3, float y1, float y2, float y3, double& cos1, double& cos2,
                       double& cos3, std::int16_t& longest);

// For a triangle of the net (nodes at x, y) with an angle below
// angleLimit degrees: the corner opposite its longest side (1..3), with the
// cosine of its smallest angle in worst. 0 for a quadrilateral or a
// triangle without such an angle (worst then untouched).
std::int16_t CheckElementAngle(const NetElement& element, const std::vector<float>& x, const std::vector<float>& y,
                               float angleLimit, double& worst);

// The scale of the integer coordinates of element regions for a net: 1000
// units across the shortest element side of non-zero length, lowered so
// that no coordinate goes beyond 2^30; 1 for a net without such a side.
double RegionScale(const Declar& net);

}  // namespace orvelo
