// The net-generation entry (the module `BasMeshGeneration`): the one bridge
// between the project's net and the meshers.
//
// GenerateFENet copies the project's net into the old net that the size
// function reads (declar().OldNodeCount, basOrvelo()), runs the pass over
// the old net, copies the slab description and the grid into the meshers'
// arrays (basDelaunay()), runs operation 0 in its wait window and hands the
// generated net back into the caller's net arrays. Operation 0 itself is
// GenerateMeshByType.
//
// Lists are 1-based (entry 0 unused); the grid lists hold count + 1 lines at
// 1..count + 1; the opening pieces are [opening][piece].
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"

namespace orvelo {

// Makes a new net for the slab description. OutlinePieceCount, LineCount
// and SinglePointCount are not read: the counts are taken from the lists'
// sizes. The net arguments are the old net on the way in and the new net on
// the way out; the grid goes to the meshers and back.
//
// Returns 0 at once, changing nothing, when the run state is 3. The project's
// net is replaced only by a net that was generated whole: when operation 0
// failed, was stopped or left no net (an outline of fewer than three pieces
// makes none), the net arguments keep the old net, the run state is 3 (the
// user told "No FE net could be generated ..." when nothing else said why)
// and 0 is returned. An error of its own steps (lists that do not agree
// with each other, a count that overflows) is reported, the run state
// becomes 3, the current operation is released and -1 is returned. The
// meshers' net is empty afterwards in every case.
std::int16_t GenerateFENet(std::int16_t& OutlinePieceCount, std::vector<OutlinePiece>& OutlinePieces,
                           std::int16_t& NodeCount, std::vector<float>& NodeX, std::vector<float>& NodeY,
                           std::int16_t& ElementCount, std::vector<NetElement>& ElementList,
                           std::int16_t& GridCountX, std::vector<float>& GridX, std::int16_t& GridCountY,
                           std::vector<float>& GridY, std::int16_t& OpeningCount,
                           std::vector<std::int16_t>& OpeningPieceCount,
                           std::vector<std::vector<OutlinePiece>>& OpeningPieces, std::int16_t& LineCount,
                           std::vector<halvex::SinglePoint>& LineStart,
                           std::vector<halvex::SinglePoint>& LineEnd, std::int16_t& SinglePointCount,
                           std::vector<halvex::SinglePoint>& SinglePoints, std::string LengthUnit,
                           double LengthFactor, std::string NumberFormat);

// Moves the meshers' net (MeshNodeCount, MeshNodeX, MeshNodeY,
// MeshElementCount, MeshElementList) into the given arrays and empties the
// meshers' net.
void CopyOutFENet(std::int16_t& NodeCount, std::vector<float>& NodeX, std::vector<float>& NodeY,
                  std::int16_t& ElementCount, std::vector<NetElement>& ElementList);

// The pass over the old net before a generation: "Determining singular
// points" on the wait window of the current operation, one progress step per
// old node, each reading that node's target size. A stop ends the pass; an
// error (a size field shorter than the old net) is reported and ends the
// pass. Neither changes the run state.
void FindSingularPoints();

// Operation 0: the new net by MeshType. Without RecalculateBoundaryFlag the
// slab description is checked first (CheckSlabDescription, error 5 for a
// broken one). 5: GenerateDelaunayMesh, then
// SmoothMesh (25 passes) when SmoothMeshFlag and AddBoundaryFrontPoints
// when BoundaryFrontPointsFlag, each only when the generation did not stop
// the run; any other type: GenerateGridBasedMesh, then RefineMeshAdaptively
// (unless the generation stopped the run).
void GenerateMeshByType();

// What follows a triangulation: SmoothMesh (25 passes) when SmoothMeshFlag,
// then AddBoundaryFrontPoints when BoundaryFrontPointsFlag, each only while
// the run state is not 3 (a stopped or failed generation's net is never
// smoothed or completed, and its state 3 is never cleared by them).
void RunTriangulationFollowUps();

}  // namespace orvelo
