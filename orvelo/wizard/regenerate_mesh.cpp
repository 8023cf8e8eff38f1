#include "orvelo/wizard/regenerate_mesh.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/gridmesh/polar_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/mesh_generation.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace orvelo {

namespace {

constexpr std::int16_t kCircle = 2;
constexpr std::int16_t kAnnulus = 5;

bool isPolarType(std::int16_t type) { return type >= 6 && type <= 8; }

std::string valueText(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0.0f ? "infinity" : "-infinity";
    return rt::formatSingle(value);
}

bool positive(float value) { return value > 0.0f && std::isfinite(value); }

// Operation 9 made a size field for the current project net, and the
// project net holds what its counts say.
bool fieldCoversProjectNet(const Declar& d) {
    const auto nodes = static_cast<std::size_t>(d.NodeCount);
    return d.NodeCount > 0 && d.OldNodeCount == d.NodeCount && d.NodeTargetSize.size() > nodes &&
           d.NodeX.size() > nodes && d.NodeY.size() > nodes && d.ElementCount >= 0 &&
           d.ElementList.size() > static_cast<std::size_t>(d.ElementCount);
}

void checkSlabInput(const Declar& d) {
    if (isPolarType(d.MeshType)) {
        CheckPolarInput(d.SlabShape, d.SlabLength, d.SlabWidth, d.PolarDivisionCount, d.MeshType);
    } else if (d.SlabShape == kCircle || d.SlabShape == kAnnulus) {
        if (!positive(d.SlabLength))
            rt::raise(5, "The outer diameter of a circular or annular slab must be above 0, not " +
                             valueText(d.SlabLength) + ".");
        if (d.SlabShape == kAnnulus && !(d.SlabWidth > 0.0f && d.SlabWidth < d.SlabLength))
            rt::raise(5, "The inner diameter of an annular slab must lie between 0 and the outer diameter " +
                             valueText(d.SlabLength) + ", not " + valueText(d.SlabWidth) + ".");
    } else if (!positive(d.SlabLength) || !positive(d.SlabWidth)) {
        rt::raise(5, "Both sides of a rectangular slab must be above 0, not " + valueText(d.SlabLength) + " by " +
                         valueText(d.SlabWidth) + ".");
    }
    if (d.MeshType == 5 && !fieldCoversProjectNet(d) && !positive(d.MaxElementSize))
        rt::raise(5, "Without a size field the target element size must be above 0, not " +
                         valueText(d.MaxElementSize) + ".");
}

// The project net becomes the old net the size field belongs to.
void useProjectNetAsOldNet(const Declar& d) {
    BasOrvelo& old = basOrvelo();
    const auto nodes = static_cast<std::size_t>(d.NodeCount) + 1;
    const auto elements = static_cast<std::size_t>(d.ElementCount) + 1;
    old.OldNodeX.assign(d.NodeX.begin(), d.NodeX.begin() + static_cast<std::ptrdiff_t>(nodes));
    old.OldNodeY.assign(d.NodeY.begin(), d.NodeY.begin() + static_cast<std::ptrdiff_t>(nodes));
    old.OldElementCount = d.ElementCount;
    old.OldElementList.assign(d.ElementList.begin(), d.ElementList.begin() + static_cast<std::ptrdiff_t>(elements));
    old.OldElementList[0] = NetElement{};
}

// While it lives, the size function answers `size` everywhere: a field of
// one old node and no element. The field and the old net are put back
// afterwards, whatever happened.
class UniformSizeField {
public:
    explicit UniformSizeField(float size)
        : d_(declar()), old_(basOrvelo()), nodeCount_(d_.OldNodeCount), sizes_(std::move(d_.NodeTargetSize)),
          nodeX_(std::move(old_.OldNodeX)), nodeY_(std::move(old_.OldNodeY)), elementCount_(old_.OldElementCount),
          elements_(std::move(old_.OldElementList)) {
        d_.OldNodeCount = 1;
        d_.NodeTargetSize = {0.0f, size};
        old_.OldNodeX = {0.0f, 0.0f};
        old_.OldNodeY = {0.0f, 0.0f};
        old_.OldElementCount = 0;
        old_.OldElementList.assign(1, NetElement{});
    }
    ~UniformSizeField() {
        d_.OldNodeCount = nodeCount_;
        d_.NodeTargetSize = std::move(sizes_);
        old_.OldNodeX = std::move(nodeX_);
        old_.OldNodeY = std::move(nodeY_);
        old_.OldElementCount = elementCount_;
        old_.OldElementList = std::move(elements_);
    }
    UniformSizeField(const UniformSizeField&) = delete;
    UniformSizeField& operator=(const UniformSizeField&) = delete;

private:
    Declar& d_;
    BasOrvelo& old_;
    std::int16_t nodeCount_;
    std::vector<float> sizes_;
    std::vector<float> nodeX_;
    std::vector<float> nodeY_;
    std::int16_t elementCount_;
    std::vector<NetElement> elements_;
};

// Four quarter arcs of radius rho about (c, c), counter-clockwise from
// (c + rho, c), into pieces 1..4.
void quarterArcs(std::vector<OutlinePiece>& pieces, float c, float rho) {
    const float startX[4] = {c + rho, c, c - rho, c};
    const float startY[4] = {c, c + rho, c, c - rho};
    for (int k = 0; k < 4; ++k) {
        OutlinePiece& piece = pieces[static_cast<std::size_t>(k) + 1];
        piece = OutlinePiece{};
        piece.IsArc = true;
        piece.X1 = startX[k];
        piece.Y1 = startY[k];
        piece.X2 = startX[(k + 1) % 4];
        piece.Y2 = startY[(k + 1) % 4];
        piece.XC = c;
        piece.YC = c;
        piece.Direction = true;
    }
}

// MeshType and MinAngle as the caller had them, on every way out.
class KeepNetParameters {
public:
    KeepNetParameters() : d_(declar()), meshType_(d_.MeshType), minAngle_(d_.MinAngle) {}
    ~KeepNetParameters() {
        d_.MeshType = meshType_;
        d_.MinAngle = minAngle_;
    }
    KeepNetParameters(const KeepNetParameters&) = delete;
    KeepNetParameters& operator=(const KeepNetParameters&) = delete;

private:
    Declar& d_;
    std::int16_t meshType_;
    float minAngle_;
};

bool runStopped() { return RunControl().RunState() == halvex::ExitWithoutSaving; }

}  // namespace

void BuildSlabOutline() {
    const Declar& d = declar();
    BasDelaunay& m = basDelaunay();
    const std::int16_t openings = d.SlabShape == kAnnulus ? 1 : 0;
    m.MeshOutlineCount = 4;
    m.MeshOutline.assign(5, OutlinePiece{});
    m.MeshOpeningCount = openings;
    m.MeshOpeningPieceCount.assign(static_cast<std::size_t>(openings) + 1, 0);
    m.MeshOpenings.assign(static_cast<std::size_t>(openings) + 1, std::vector<OutlinePiece>(5));

    if (d.SlabShape != kCircle && d.SlabShape != kAnnulus) {
        const float L = d.SlabLength;
        const float W = d.SlabWidth;
        m.MeshOutline[1] = straightPiece(0.0f, 0.0f, L, 0.0f);
        m.MeshOutline[2] = straightPiece(L, 0.0f, L, W);
        m.MeshOutline[3] = straightPiece(L, W, 0.0f, W);
        m.MeshOutline[4] = straightPiece(0.0f, W, 0.0f, 0.0f);
        return;
    }
    const float c = d.SlabLength / 2.0f;
    quarterArcs(m.MeshOutline, c, d.SlabLength / 2.0f);
    if (d.SlabShape == kAnnulus) {
        quarterArcs(m.MeshOpenings[1], c, d.SlabWidth / 2.0f);
        m.MeshOpeningPieceCount[1] = 4;
    }
}

void RegenerateMesh() {
    Declar& d = declar();
    RunControl().RunState(0);
    mesher::ShowStatusText(quillon::TextNo(100036));
    if (mesher::StopRequested(false)) {
        RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
        return;
    }
    checkSlabInput(d);
    BuildSlabOutline();
    // The unit factor of this slab, whatever ran before. DrawingScale is
    // written by the Delaunay generation alone.
    const float drawingScale = d.DrawingScale;
    SetScaleFromSlabDescription();
    d.DrawingScale = drawingScale;

    if (d.MeshType == 5) {
        if (fieldCoversProjectNet(d)) {
            useProjectNetAsOldNet(d);
            GenerateDelaunayMesh();
        } else {
            const UniformSizeField uniform(d.MaxElementSize);
            GenerateDelaunayMesh();
        }
    } else if (isPolarType(d.MeshType)) {
        GeneratePolarMesh();
    } else {
        GenerateGridBasedMesh();
    }
}

void RegenerateMeshOperation() {
    const KeepNetParameters keep;
    RegenerateMesh();
    if (runStopped() || declar().SlabShape == kAnnulus) return;
    RunTriangulationFollowUps();
}

}  // namespace orvelo
