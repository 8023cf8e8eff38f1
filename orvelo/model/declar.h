// The program's project globals (the module DECLAR): the identity of the
// input and output projects, the project header, the project net with its
// slab outline, openings, lines, single points and grid, the net parameters
// of the wizard and the units. One process-wide instance, declar(); tests
// start from a fresh one with resetDeclar().
//
// Lists are 1-based: a std::vector of count + 1 entries whose entry 0 is
// unused. The grid lists hold count + 1 lines at 1..count + 1. Counts are
// 16-bit and stop at kMaxNetCount: checkedNetCount() turns a size into a
// count and raises run-time error 6 (Overflow) beyond it, never wrapping.
// Folders (DataDir, OutputDir, CurrentDataDir, ProgrDir) end with the path
// separator; a project file's path is folder + name + "." + extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"

namespace orvelo {

// A net as a project file holds it: NodeX/NodeY 1..NodeCount and
// ElementList 1..ElementCount, entry 0 unused.
struct ProjectNet {
    std::int16_t NodeCount = 0;
    std::vector<float> NodeX = std::vector<float>(1);
    std::vector<float> NodeY = std::vector<float>(1);
    std::int16_t ElementCount = 0;
    std::vector<NetElement> ElementList = std::vector<NetElement>(1);

    bool operator==(const ProjectNet&) const = default;
};

struct Declar {
    // ---- project identity ----
    // The input project's .PO1 as entered or chosen, its folder and base name.
    std::string ProjectPath;
    std::string DataDir;
    std::string ProjectName;
    // The output project's folder and base name.
    std::string OutputDir;
    std::string OutputName;
    // The project whose files the readers and writers use: the input
    // project from opening on, the output project from the transfer on.
    std::string CurrentDataDir;
    std::string CurrentProjectName;
    // The program folder; the compress flag of the control file
    // (a halvex::CompressFlagTypes value).
    std::string ProgrDir;
    std::int32_t CompressFlag = 0;

    // ---- project header (read by the project reader, in this order) ----
    std::int32_t SymmetryKind = 0;    // 1 none, 2 about y = ymax, 3 about x = xmax, 4 both
    std::int32_t AnalysisMethod = 0;  // a halvex::CalculationMethod value
    std::int16_t HeaderOption1 = 0;
    std::int16_t HeaderOption2 = 0;
    std::int16_t HeaderOption3 = 0;
    std::int16_t HeaderOption4 = 0;
    std::int16_t HeaderOption5 = 0;   // 1: point springs
    std::int16_t HeaderOption6 = 0;   // 1: prescribed degrees of freedom
    std::int16_t HeaderOption7 = 0;   // 1: beams
    std::int16_t HeaderOption8 = 0;
    std::int16_t HeaderOption9 = 0;
    std::int16_t HeaderOption10 = 0;
    std::int16_t HeaderOption11 = 0;
    std::int16_t HeaderOption12 = 0;
    std::int16_t HeaderOption13 = 0;  // 1: piles
    // Data-present flags, each true exactly when its option is 1 (set by
    // OpenProjectHeader).
    bool HasPointSprings = false;
    bool HasPrescribedDofs = false;
    bool HasBeams = false;
    bool HasPiles = false;
    // Kind of the project's system (0 here); kinds 10 to 12 do not copy the
    // project file set.
    std::int16_t SystemKind = 0;
    bool CopyFilesFlag = false;

    // ---- project net ----
    std::int16_t NodeCount = 0;
    std::vector<float> NodeX = std::vector<float>(1);
    std::vector<float> NodeY = std::vector<float>(1);
    std::int16_t ElementCount = 0;
    std::vector<NetElement> ElementList = std::vector<NetElement>(1);

    // ---- slab outline, openings, lines, single points, grid ----
    std::int16_t OutlinePieceCount = 0;
    std::vector<OutlinePiece> OutlinePieces = std::vector<OutlinePiece>(1);
    std::int16_t OpeningCount = 0;
    std::vector<std::int16_t> OpeningPieceCount = std::vector<std::int16_t>(1);
    // Upper bound of the piece index of OpeningPieces: the largest piece
    // count of an opening or more, not a count of its own.
    std::int16_t MaxOpeningPieces = 0;
    // [opening][piece]: OpeningCount + 1 rows of MaxOpeningPieces + 1 pieces
    // each (row 0 and piece 0 unused).
    std::vector<std::vector<OutlinePiece>> OpeningPieces =
        std::vector<std::vector<OutlinePiece>>(1, std::vector<OutlinePiece>(1));
    std::int16_t SinglePointCount = 0;
    std::vector<halvex::SinglePoint> SinglePoints = std::vector<halvex::SinglePoint>(1);
    std::int16_t LineCount = 0;
    std::vector<halvex::SinglePoint> LineStart = std::vector<halvex::SinglePoint>(1);
    std::vector<halvex::SinglePoint> LineEnd = std::vector<halvex::SinglePoint>(1);
    std::int16_t GridCountX = 0;
    std::vector<float> GridX = std::vector<float>(1);
    std::int16_t GridCountY = 0;
    std::vector<float> GridY = std::vector<float>(1);

    // ---- net parameters of the wizard ----
    // 0-4 grid patterns, 5 Delaunay triangulation, 6-8 polar nets.
    std::int16_t MeshType = 0;
    float MinAngle = 0.0f;        // theta, degrees
    float MaxElementSize = 0.0f;  // r, base length unit
    float MinElementSize = 0.0f;  // rmin, base length unit
    bool SmoothMeshFlag = false;
    bool BoundaryFrontPointsFlag = false;
    bool RecalculateBoundaryFlag = false;

    // ---- slab by shape (operation 6; nothing in the program sets them) ----
    // 2 circular, 5 annular, any other value rectangular.
    std::int16_t SlabShape = 0;
    // x extent of a rectangle; outer diameter of a circle or annulus.
    float SlabLength = 0.0f;
    // y extent of a rectangle; inner diameter of an annulus.
    float SlabWidth = 0.0f;
    // Rings of a polar net (n).
    std::int16_t PolarDivisionCount = 0;

    // The drawing scale of the net the Delaunay generation made last in the
    // process (set by it; 0 while none has run, as with a grid-based net).
    // The transfer of node-related data takes 0.01 x DrawingScale as its
    // node coincidence tolerance.
    float DrawingScale = 0.0f;

    // ---- old net and target-size field ----
    std::int16_t OldNodeCount = 0;
    std::vector<float> NodeTargetSize = std::vector<float>(1);

    // The net of the input project as opening it read the .PL6, kept for the
    // transfer of node-related data: the output project may be the input
    // project, whose .PL6 the copy of the file set overwrites with the new
    // net before the transfer reads the old one. SourceNetLoaded is false
    // when the input project has no net (or before any project was opened).
    ProjectNet SourceNet;
    bool SourceNetLoaded = false;

    // ---- units ----
    std::string LengthUnit;
    double LengthFactor = 1.0;
    // Format of the lengths the wizard shows ("": the general number form
    // of the user's locale).
    std::string NumberFormat;

    // ---- projects of the run ----
    std::int16_t ProjectCount = 0;
    std::vector<std::string> ProjectList = std::vector<std::string>(1);
};

// The one instance of the process.
Declar& declar();

// Tests only: start again from a fresh instance.
void resetDeclar();

// A size or number made a 16-bit count of a net: run-time error 6
// (Overflow) when it lies outside 0..kMaxNetCount.
std::int16_t checkedNetCount(long long count);

// The project net of d as one value, and back.
ProjectNet projectNetOf(const Declar& d);
void setProjectNet(Declar& d, ProjectNet net);

// Empties the project net, the outline, the openings, the lines, the single
// points and the grid of d (every count 0, every list its unused entry 0).
void clearNetAndBoundary(Declar& d);

}  // namespace orvelo
