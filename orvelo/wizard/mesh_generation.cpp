#include "orvelo/wizard/mesh_generation.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/operation_runner.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

bool runStopped() { return RunControl().RunState() == halvex::ExitWithoutSaving; }

void stopRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

// The largest index of a 1-based list (0 for a list never sized).
std::int16_t upperBound(std::size_t size) { return checkedNetCount(size == 0 ? 0 : static_cast<long long>(size) - 1); }

// Error 9 unless the list holds the entries 1..count.
template <class T>
void requireEntries(const std::vector<T>& list, long long count) {
    if (count < 0 || static_cast<long long>(list.size()) < count + 1) rt::raise(9);
}

// Entries 1..count of a 1-based list, entry 0 empty (a list never sized
// gives count 0).
template <class T>
std::vector<T> firstEntries(const std::vector<T>& list, std::int16_t count) {
    std::vector<T> copy(static_cast<std::size_t>(count) + 1);
    if (count > 0) std::copy(list.begin() + 1, list.begin() + count + 1, copy.begin() + 1);
    return copy;
}

// A grid of count intervals: count + 1 lines, so count + 1 must be a count.
std::int16_t gridLineCount(std::int16_t intervals) {
    if (intervals < 0) rt::raise(9);
    return checkedNetCount(static_cast<long long>(intervals) + 1);
}

// A grid of 0 intervals may come without its one line (a project without
// net files has no grid); the line is then 0.
std::vector<float> copyGridLines(const std::vector<float>& from, std::int16_t intervals) {
    const std::int16_t lines = gridLineCount(intervals);
    if (intervals == 0 && from.size() < 2) return std::vector<float>(2, 0.0f);
    requireEntries(from, lines);
    return std::vector<float>(from.begin(), from.begin() + lines + 1);
}

// The user is told why no net replaces the project's net.
void showCannotGenerate(std::int32_t textNo) {
    const quillon::ClsLanguageText& texts = LanguageTexts();
    forms::MsgBox(texts.GetText(textNo), forms::vbExclamation | texts.MessageBoxFlags());
}

// Copies the caller's net into the old net, which the size function
// interpolates over.
void copyOldNet(std::int16_t nodeCount, const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                std::int16_t elementCount, const std::vector<NetElement>& elementList) {
    Declar& d = declar();
    BasOrvelo& old = basOrvelo();
    requireEntries(nodeX, nodeCount);
    requireEntries(nodeY, nodeCount);
    requireEntries(elementList, elementCount);
    d.OldNodeCount = nodeCount;
    old.OldNodeX = firstEntries(nodeX, nodeCount);
    old.OldNodeY = firstEntries(nodeY, nodeCount);
    old.OldElementCount = elementCount;
    old.OldElementList = firstEntries(elementList, elementCount);
}

}  // namespace

std::int16_t GenerateFENet(std::int16_t& /*OutlinePieceCount*/, std::vector<OutlinePiece>& OutlinePieces,
                           std::int16_t& NodeCount, std::vector<float>& NodeX, std::vector<float>& NodeY,
                           std::int16_t& ElementCount, std::vector<NetElement>& ElementList,
                           std::int16_t& GridCountX, std::vector<float>& GridX, std::int16_t& GridCountY,
                           std::vector<float>& GridY, std::int16_t& OpeningCount,
                           std::vector<std::int16_t>& OpeningPieceCount,
                           std::vector<std::vector<OutlinePiece>>& OpeningPieces, std::int16_t& /*LineCount*/,
                           std::vector<halvex::SinglePoint>& LineStart,
                           std::vector<halvex::SinglePoint>& LineEnd, std::int16_t& /*SinglePointCount*/,
                           std::vector<halvex::SinglePoint>& SinglePoints, std::string LengthUnit,
                           double LengthFactor, std::string NumberFormat) {
    if (runStopped()) return 0;
    Declar& d = declar();
    BasDelaunay& m = basDelaunay();
    try {
        d.NumberFormat = std::move(NumberFormat);
        d.LengthUnit = std::move(LengthUnit);
        d.LengthFactor = LengthFactor;
        // Smoothing and boundary front points follow a triangulation only.
        if (d.MeshType >= 0 && d.MeshType <= 4) {
            d.SmoothMeshFlag = false;
            d.BoundaryFrontPointsFlag = false;
        }

        copyOldNet(NodeCount, NodeX, NodeY, ElementCount, ElementList);
        FindSingularPoints();

        // Grid lines: count + 1 lines at 1..count + 1.
        m.MeshGridX = copyGridLines(GridX, GridCountX);
        m.MeshGridCountX = GridCountX;
        m.MeshGridY = copyGridLines(GridY, GridCountY);
        m.MeshGridCountY = GridCountY;

        // The outline: as many pieces as the list holds.
        const std::int16_t outlineCount = upperBound(OutlinePieces.size());
        m.MeshOutline = firstEntries(OutlinePieces, outlineCount);
        m.MeshOutlineCount = outlineCount;

        // The openings, sized (0..count, 0..largest piece count).
        if (OpeningCount < 0) rt::raise(9);
        requireEntries(OpeningPieceCount, OpeningCount);
        requireEntries(OpeningPieces, OpeningCount);
        std::int16_t largest = 0;
        for (std::int32_t o = 1; o <= OpeningCount; ++o) {
            if (OpeningPieceCount[o] < 0) rt::raise(9);
            requireEntries(OpeningPieces[o], OpeningPieceCount[o]);
            largest = std::max(largest, OpeningPieceCount[o]);
        }
        m.MeshOpeningCount = OpeningCount;
        m.MeshOpeningPieceCount.assign(OpeningCount + 1, 0);
        m.MeshOpenings.assign(OpeningCount + 1, std::vector<OutlinePiece>(largest + 1));
        for (std::int32_t o = 1; o <= OpeningCount; ++o) {
            m.MeshOpeningPieceCount[o] = OpeningPieceCount[o];
            std::copy(OpeningPieces[o].begin() + 1, OpeningPieces[o].begin() + OpeningPieceCount[o] + 1,
                      m.MeshOpenings[o].begin() + 1);
        }

        // Internal lines (every start needs its end) and single points.
        const std::int16_t lineCount = upperBound(LineStart.size());
        requireEntries(LineEnd, lineCount);
        m.MeshLineStart = firstEntries(LineStart, lineCount);
        m.MeshLineEnd = firstEntries(LineEnd, lineCount);
        m.MeshLineCount = lineCount;
        const std::int16_t pointCount = upperBound(SinglePoints.size());
        m.MeshPoints = firstEntries(SinglePoints, pointCount);
        m.MeshPointCount = pointCount;

        RunWaitOperation(OpGenerateMesh);

        // Only a net generated whole replaces the project's net: a failed or
        // stopped generation, or one that made no element, leaves the old
        // net and stops the run.
        if (!runStopped() && (m.MeshElementCount <= 0 || m.MeshNodeCount <= 0)) {
            forms::screen().MousePointer(forms::vbDefault);
            showCannotGenerate(quillon::TextNo(190013));
            stopRun();
        }
        if (runStopped()) {
            std::int16_t nodes = 0;
            std::int16_t elements = 0;
            std::vector<float> x;
            std::vector<float> y;
            std::vector<NetElement> list;
            CopyOutFENet(nodes, x, y, elements, list);  // empties the meshers' net
            return 0;
        }

        GridCountX = m.MeshGridCountX;
        GridX = copyGridLines(m.MeshGridX, m.MeshGridCountX);
        GridCountY = m.MeshGridCountY;
        GridY = copyGridLines(m.MeshGridY, m.MeshGridCountY);
        CopyOutFENet(NodeCount, NodeX, NodeY, ElementCount, ElementList);
        return 0;
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answers is a fault of a test
    } catch (const std::exception&) {
        HandleError();
        stopRun();
        operationRunner().CurrentOperation.reset();
        // The meshers' net is never left for a later run.
        m.MeshNodeCount = 0;
        m.MeshElementCount = 0;
        m.MeshNodeX.assign(1, 0.0f);
        m.MeshNodeY.assign(1, 0.0f);
        m.MeshElementList.assign(1, NetElement{});
        return -1;
    }
}

void CopyOutFENet(std::int16_t& NodeCount, std::vector<float>& NodeX, std::vector<float>& NodeY,
                  std::int16_t& ElementCount, std::vector<NetElement>& ElementList) {
    BasDelaunay& m = basDelaunay();
    const std::int16_t nodes = std::max<std::int16_t>(m.MeshNodeCount, 0);
    const std::int16_t elements = std::max<std::int16_t>(m.MeshElementCount, 0);
    requireEntries(m.MeshNodeX, nodes);
    requireEntries(m.MeshNodeY, nodes);
    requireEntries(m.MeshElementList, elements);
    // Entry 0 of the mesher's coordinates is its scratch slot; a project
    // list holds nothing there.
    std::vector<float> x = firstEntries(m.MeshNodeX, nodes);
    std::vector<float> y = firstEntries(m.MeshNodeY, nodes);
    std::vector<NetElement> list = firstEntries(m.MeshElementList, elements);
    NodeCount = nodes;
    NodeX = std::move(x);
    NodeY = std::move(y);
    ElementCount = elements;
    ElementList = std::move(list);
    m.MeshElementCount = 0;
    m.MeshNodeCount = 0;
    m.MeshElementList.assign(1, NetElement{});
    m.MeshNodeY.assign(1, 0.0f);
    m.MeshNodeX.assign(1, 0.0f);
}

void FindSingularPoints() {
    const Declar& d = declar();
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    try {
        if (window) {
            window->StatusText("Determining singular points");
            window->ProgressMax(d.OldNodeCount);
        }
        for (std::int32_t n = 1; n <= d.OldNodeCount; ++n) {
            if (window && OperationStopRequested(true)) return;
            if (static_cast<std::size_t>(n) >= d.NodeTargetSize.size()) rt::raise(9);
        }
    } catch (const forms::MsgBoxError&) {
        throw;
    } catch (const std::exception&) {
        HandleError();
    }
}

void GenerateMeshByType() {
    const Declar& d = declar();
    // An outline taken as it stands is checked before any net is made. The
    // check sets the scale values from the slab; DrawingScale is written by
    // the Delaunay generation alone.
    if (!d.RecalculateBoundaryFlag) {
        const float drawingScale = d.DrawingScale;
        CheckSlabDescription(rt::projectFilePath(d.CurrentDataDir, d.CurrentProjectName, "PL8"));
        declar().DrawingScale = drawingScale;
    }
    if (d.MeshType != 5) {
        // A grid-based net, made to follow the size field. A stopped
        // generation is not refined: its net is never taken.
        GenerateGridBasedMesh();
        if (!runStopped()) RefineMeshAdaptively();
        return;
    }
    // A triangulation, then the smoothing (25 passes) and the boundary front
    // points as asked. Both set the run state to 0 when they start, so they
    // follow only a generation that did not stop the run: a stopped
    // generation's net is never taken.
    GenerateDelaunayMesh();
    RunTriangulationFollowUps();
}

void RunTriangulationFollowUps() {
    const Declar& d = declar();
    if (d.SmoothMeshFlag && !runStopped()) SmoothMesh(25);
    if (d.BoundaryFrontPointsFlag && !runStopped()) AddBoundaryFrontPoints();
}

}  // namespace orvelo
