// The size function of the meshers: the target element size anywhere in the
// slab, interpolated from the sizes the internal forces gave the nodes of
// the old net (NodeTargetSize).
//
// A point is first looked for in the old elements, in region coordinates
// (units.h): the lowest-numbered element whose region holds the point gives
// its size by inverse-squared-distance weighting of its corners (a corner
// within the coincidence tolerance gives its own size). A point in no
// element takes the size of the nearest old node (the lowest number among
// equals; again a node within the tolerance wins at once, the lowest number
// first).
//
// Within a TargetSizeIndexScope the answers come from an index (a bucket
// grid of the elements' regions and of the nodes) and are the same as the
// plain scan's; outside one every call scans the old net.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "orvelo/model/net.h"

namespace orvelo {

// The old net and its sizes, as the size function reads them.
struct SizeField {
    const std::vector<float>& nodeX;
    const std::vector<float>& nodeY;
    std::int16_t nodeCount;
    const std::vector<NetElement>& elements;
    std::int16_t elementCount;
    const std::vector<float>& sizes;  // NodeTargetSize, 1-based
};

// The field of the module data: basOrvelo()'s old net, declar().OldNodeCount
// and declar().NodeTargetSize.
SizeField CurrentSizeField();

// The target size at (x, y) by the plain scan of the field. Error 9 when a
// size or node the answer needs is missing (no old nodes, a size list
// shorter than the old net), 6 for a floating-point overflow.
float InterpolateTargetSizeByScan(const SizeField& field, float unitFactor, float x, float y);

// The same answers from an index over the field (which must not change while
// the index lives).
class SizeFieldIndex {
public:
    explicit SizeFieldIndex(const SizeField& field);
    ~SizeFieldIndex();
    SizeFieldIndex(const SizeFieldIndex&) = delete;
    SizeFieldIndex& operator=(const SizeFieldIndex&) = delete;

    float Interpolate(float unitFactor, float x, float y);

private:
    struct Grids;
    // The grids of the index last dropped, with their room, for the next
    // index (a generation builds one per run).
    static std::unique_ptr<Grids>& spareGrids();
    SizeField field_;
    std::unique_ptr<Grids> grids_;
};

// `InterpolateTargetSize`: the target size at (x, y) over the current field,
// with the unit factor of the geometry service.
float InterpolateTargetSize(float x, float y);

// `GetTriangleTargetSize`: the target size of the triangle of mesher nodes
// a, b, c: the smallest of the sizes at its centroid and at its corners.
float GetTriangleTargetSize(std::int16_t a, std::int16_t b, std::int16_t c);

// While one lives, InterpolateTargetSize answers from an index of the
// current field, built on first use (the old net and its sizes must not
// change meanwhile). Scopes may nest.
class TargetSizeIndexScope {
public:
    TargetSizeIndexScope();
    ~TargetSizeIndexScope();
    TargetSizeIndexScope(const TargetSizeIndexScope&) = delete;
    TargetSizeIndexScope& operator=(const TargetSizeIndexScope&) = delete;
};

}  // namespace orvelo
