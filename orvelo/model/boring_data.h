// The boring data of a project (module BohrLayout): the borings, the layout
// extent, the boring regions of every net node and the geometry they were
// made from. The .BAU reader of the transfer fills the borings, the .P41
// reader (orvelo/project/boring_file.h) the stored layout, the layout
// (orvelo/project/boring_layout.h) recomputes it for the current net, and the
// .P41 writer stores it. One process-wide instance, boringData(); tests start
// from a fresh one with resetBoringData().
//
// Lists are 1-based: a std::vector of count + 1 entries whose entry 0 is
// unused. Coordinates are Single (float), counts and numbers Integer
// (int16). Region kinds are the literal eight-character strings below,
// compared exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelo {

// The region kinds of a node: one boring, the band between two borings, the
// triangle of three borings. "Linear  " has two trailing blanks.
inline constexpr std::string_view kRegionConstant = "Constant";
inline constexpr std::string_view kRegionLinear = "Linear  ";
inline constexpr std::string_view kRegionTriangle = "Triangle";

struct BoringData {
    // ---- borings (records of the project's .BAU) ----
    std::int16_t BoringCount = 0;  // K
    std::vector<float> BoringX = std::vector<float>(1);
    std::vector<float> BoringY = std::vector<float>(1);
    std::vector<std::string> BoringName = std::vector<std::string>(1);

    // What the .P41 reader takes from the file: 1 the edge layout, 2 the
    // dividing-line cells, 3 the stored triangles and strips.
    std::int16_t BoringLayoutKind = 0;

    // ---- layout extent: bounding box of the transformed node coordinates ----
    float ExtentMinX = 0.0f;
    float ExtentMaxX = 0.0f;
    float ExtentMinY = 0.0f;
    float ExtentMaxY = 0.0f;

    // ---- per node (1..at least NodeCount) ----
    // Region from the edge layout: a boring number for "Constant", an edge
    // number for "Linear  ", a strip-triangle number for "Triangle".
    std::vector<std::int16_t> NodeLayoutRegion = std::vector<std::int16_t>(1);
    std::vector<std::string> NodeLayoutKind = std::vector<std::string>(1);
    // The boring whose dividing-line cell holds the node.
    std::vector<std::int16_t> NodeCellBoring = std::vector<std::int16_t>(1);
    // Region from the stored triangles and strips: a boring number for
    // "Constant", a strip number for "Linear  ", a triangle number for
    // "Triangle".
    std::vector<std::int16_t> NodeRegion = std::vector<std::int16_t>(1);
    std::vector<std::string> NodeRegionKind = std::vector<std::string>(1);

    // ---- boring edges: edge k runs from boring k to k + 1, edge K back to 1 ----
    std::vector<float> EdgeDirY = std::vector<float>(1);  // 1..K, unit direction
    std::vector<float> EdgeDirX = std::vector<float>(1);
    // 1..2K: outer end of the perpendicular to edge k through its start
    // boring (2k - 1) and through its end boring (2k).
    std::vector<float> EdgeOuterX = std::vector<float>(1);
    std::vector<float> EdgeOuterY = std::vector<float>(1);

    // ---- dividing lines: perpendicular bisectors of boring pairs ----
    std::int16_t DividingLineCount = 0;  // 2K - 3
    std::vector<float> DividingMidX = std::vector<float>(1);
    std::vector<float> DividingMidY = std::vector<float>(1);
    std::vector<float> DividingNormalX = std::vector<float>(1);
    std::vector<float> DividingNormalY = std::vector<float>(1);
    // 1..K: number of dividing lines that bound boring k.
    std::vector<std::int16_t> BoringLineCount = std::vector<std::int16_t>(1);
    // [k][m] (0..K + 1 each): the m-th dividing line of boring k.
    std::vector<std::vector<std::int16_t>> BoringLineTable =
        std::vector<std::vector<std::int16_t>>(1, std::vector<std::int16_t>(1));
    // Corner m of the cell of boring 1 (1..K + 2); -9999 in both when its
    // dividing lines m and m + 1 are parallel.
    std::vector<float> CellCornerX = std::vector<float>(1);
    std::vector<float> CellCornerY = std::vector<float>(1);

    // ---- stored triangles and strips ----
    std::int16_t BoringTriangleCount = 0;
    std::vector<std::int16_t> TriangleBoringA = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> TriangleBoringB = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> TriangleBoringC = std::vector<std::int16_t>(1);
    std::int16_t BoringStripCount = 0;
    std::vector<std::int16_t> StripBoringA = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> StripBoringB = std::vector<std::int16_t>(1);
    // Corner of the extent on the inner side of strip m: 1 (max x, max y),
    // 2 (min x, max y), 3 (max x, min y), 4 (min x, min y).
    std::vector<std::int16_t> StripCorner = std::vector<std::int16_t>(1);
    std::vector<float> StripDirY = std::vector<float>(1);    // 1..S
    std::vector<float> StripDirX = std::vector<float>(1);
    std::vector<float> StripOuterX = std::vector<float>(1);  // 1..2S
    std::vector<float> StripOuterY = std::vector<float>(1);

    // ---- constant-node list: node number and the boring it takes ----
    std::int16_t ConstantNodeCount = 0;
    std::vector<std::int16_t> ConstantNodes = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> ConstantNodeBoring = std::vector<std::int16_t>(1);
};

// The one instance of the process.
BoringData& boringData();

// Tests only: start again from a fresh instance.
void resetBoringData();

}  // namespace orvelo
