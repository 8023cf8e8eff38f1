// The slab that a project's outline and openings (.PL8) describe, for
// checking a net against it.
//
// The pieces of the outline and of each opening are cut into loops as the
// meshers cut them: a loop ends where a piece comes back to the start of the
// loop's first piece, straight pieces whose ends coincide are left out. The
// slab is what the loops enclose by the even-odd rule, every loop counted
// (several slab parts, islands in openings). Arcs are followed exactly for
// distances and areas; for telling inside from outside they are followed by
// chords of at most 5 degrees.
//
// A net fills the slab when its border nodes lie on the pieces: the area
// its elements cover is then the slab's with each arc followed by the
// chords between the net's nodes on it, within the tolerance along the
// border.
#pragma once

#include <cstdint>
#include <vector>

#include "orvelo/model/declar.h"
#include "orvelo/model/net.h"

namespace orvelo {

class SlabShape {
public:
    // The slab of the outline and openings of d; tol is the coincidence
    // tolerance. Closed() is false when a loop does not come back to its
    // start or a piece does not start where the one before ends (within tol),
    // or when there is no loop of three pieces or more: then the shape holds
    // nothing to check a net against.
    SlabShape(const Declar& d, double tol);

    bool Closed() const { return closed_; }

    // Whether (x, y) lies outside the slab by more than tol: outside by the
    // even-odd rule and farther than tol from every piece.
    bool Outside(double x, double y) const;

    // The area a net with these border nodes covers when it fills the slab
    // (lists 1-based, border: node numbers): each loop's area added when
    // an even number of other loops hold it, taken away otherwise, every arc
    // followed by its chords through the border nodes within tol of it (in
    // their order along it).
    double CoveredArea(const std::vector<float>& x, const std::vector<float>& y, const std::vector<std::size_t>& border) const;

    // How far the elements of a net that fills the slab may cover another
    // area than CoveredArea: tol along the length of every piece.
    double Allowance() const { return allowance_; }

private:
    struct Edge {
        double x1, y1, x2, y2;
    };
    bool holds(double x, double y) const;

    bool closed_ = false;
    double tol_ = 0.0;
    double allowance_ = 0.0;
    std::vector<OutlinePiece> pieces_;  // every piece of a loop
    // Per loop: its pieces' range in pieces_ and +1 or -1 (a hole).
    struct LoopSpan {
        std::size_t first, end;
        double sign;
    };
    std::vector<LoopSpan> loops_;
    // The loops' chords bucketed by horizontal strips for the even-odd test.
    std::vector<std::vector<Edge>> strips_;
    double y0_ = 0.0, stripHeight_ = 1.0;
};

}  // namespace orvelo
