// The slab that a project's outline and openings (.PL8) describe, as a net
// of it covers it, for checking the net against it.
//
// The pieces of the outline and of each opening are cut into loops as the
// meshers cut them: a loop ends where a piece comes back to the start of the
// loop's first piece, straight pieces whose ends coincide are left out. The
// slab is what the loops enclose by the even-odd rule, every loop counted
// (several slab parts, islands in openings). A net follows an arc by chords
// between its nodes on it, so each arc is taken as the chords through the
// net's border nodes within the tolerance of it, in their order along it
// (a refinement node may lie beyond a concave arc, within the chord).
//
// A net that fills the slab covers that area, within the tolerance along the
// border. A grid-based net may fall short of it (slivers at corners finer
// than its grid, cells left empty where keys crowd, docs/gridmesh.md); no
// sound net covers more.
#pragma once

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "orvelo/model/declar.h"
#include "orvelo/model/net.h"

namespace orvelo {

class SlabShape {
public:
    // The slab of the outline and openings of d followed by the net of the
    // nodes x, y (1-based lists) whose border nodes are `border`; tol is the
    // coincidence tolerance. Closed() is false when a loop does not come
    // back to its start or a piece does not start where the one before ends
    // (within tol), or when no loop of the outline has three corners: then
    // the shape holds nothing to check a net against.
    SlabShape(const Declar& d, double tol, const std::vector<float>& x, const std::vector<float>& y,
              const std::vector<std::size_t>& border);
    // The same from the pieces themselves: the outline's first `outlineCount`
    // pieces and of each opening s (1-based) its first openingCounts[s].
    SlabShape(const std::vector<OutlinePiece>& outline, std::int32_t outlineCount,
              const std::vector<std::vector<OutlinePiece>>& openings, const std::vector<std::int16_t>& openingCounts,
              std::int32_t openingCount, double tol, const std::vector<float>& x, const std::vector<float>& y,
              const std::vector<std::size_t>& border);

    bool Closed() const { return closed_; }

    // Whether (x, y) lies outside the slab by more than tol: outside by the
    // even-odd rule and farther than tol from its border.
    bool Outside(double x, double y) const;

    // The slab's area: each loop's area added when an even number of other
    // loops hold it, taken away otherwise.
    double Area() const { return area_; }

    // How much more than Area() the elements of a net may cover: tol along
    // the length of the border.
    double Allowance() const { return allowance_; }

    // Whether elements covering `covered` in all cover more than the slab,
    // beyond the allowance (and the rounding of the sum).
    bool CoveredBeyond(double covered) const {
        return !(covered - area_ <= allowance_ + 1e-9 * std::fabs(area_));
    }

private:
    struct Edge {
        double x1, y1, x2, y2;
    };
    bool holds(double x, double y) const;

    bool closed_ = false;
    double tol_ = 0.0;
    double area_ = 0.0;
    double allowance_ = 0.0;
    std::vector<Edge> edges_;
    // The edges bucketed by the horizontal strips they span.
    std::vector<std::vector<std::size_t>> strips_;
    double y0_ = 0.0, stripHeight_ = 1.0;
};

}  // namespace orvelo
