// The geometry service: the unit factor of the current net, the transform
// into the coordinate system of the boring layout, and point location in a
// net.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvelo/model/net.h"

namespace drovik {

class ClsGeometryHelper {
public:
    // The unit factor of the current net (1 until set): the meshers' point
    // tolerance is 0.001 divided by it, their region coordinates are net
    // units times 100 times it.
    float UnitFactor() const { return unitFactor_; }
    void UnitFactor(float value) { unitFactor_ = value; }

    // The boring-layout transform: a rotation by LayoutValueA degrees
    // (anticlockwise, about the origin), then a shift by (LayoutValueB,
    // LayoutValueC). All three are 0 until set, which makes the transform
    // the identity.
    void LayoutValueA(float value) { layoutA_ = value; }
    void LayoutValueB(float value) { layoutB_ = value; }
    void LayoutValueC(float value) { layoutC_ = value; }

    // (tx, ty): the point (x, y) in the system of the boring layout:
    // tx = x cos A - y sin A + B, ty = x sin A + y cos A + C, computed in
    // double precision and stored as Single.
    void TransformPoint(float x, float y, float& tx, float& ty) const;

    // The element of a net that holds the point (x, y): the lowest-numbered
    // element e = 1..elements.size() - 1 whose corners Node(1..CornerCount)
    // enclose the point, a point on a side (within a relative 1e-6) counting
    // as enclosed. located is -1 (True) and element its number, or located 0
    // and element 0 when no element holds the point. nodeX, nodeY and
    // elements are 1-based lists (entry 0 unused); the element count is
    // elements.size() - 1, as ClsProjectReader::ReadNetFile sizes the list.
    // Elements whose CornerCount is 0 or below (marks of a mesher) are
    // skipped. Error 9 for a CornerCount above 4 or a node number outside
    // the coordinate lists, 6 for more than 32767 elements.
    void LocateElement(std::int16_t& element, float x, float y, const std::vector<float>& nodeX,
                       const std::vector<float>& nodeY,
                       const std::vector<orvelo::NetElement>& elements,
                       std::int16_t& located) const;

private:
    float unitFactor_ = 1.0f;
    float layoutA_ = 0.0f;
    float layoutB_ = 0.0f;
    float layoutC_ = 0.0f;
};

// LocateElement over one net, many points: a bucket grid over the elements'
// boxes (each widened by more than the on-side tolerance) gives the few
// elements that can hold a point, tested in ascending number, so every
// answer, error included, is the one the scan of LocateElement gives. The
// lists must outlive the index and stay unchanged meanwhile.
class ElementIndex {
public:
    ElementIndex(const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                 const std::vector<orvelo::NetElement>& elements);
    void LocateElement(std::int16_t& element, float x, float y, std::int16_t& located) const;

private:
    bool holds(std::size_t e, float x, float y) const;

    const std::vector<float>& nodeX_;
    const std::vector<float>& nodeY_;
    const std::vector<orvelo::NetElement>& elements_;
    bool tooMany_ = false;
    std::size_t firstBroken_ = 0;  // the first element the scan would raise on, 0 none
    std::string brokenMessage_;
    double x0_ = 0.0, y0_ = 0.0, cell_ = 1.0;
    std::int64_t columns_ = 0, rows_ = 0;
    std::vector<std::vector<std::int16_t>> cells_;  // element numbers, ascending
};

}  // namespace drovik
