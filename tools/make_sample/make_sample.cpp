// make_sample: writes the sample projects of examples/ with the program's
// own project writers.
//
//   make_sample <examples folder>
//
// writes <examples folder>/raft/RAFT.PO1, RAFT.PL6 and RAFT.PL8: a raft of
// 12 x 8 length units with one rectangular opening from (4, 3) to (6, 5), a
// regular net of triangles of 1 unit over it (each square cell of the slab
// split by its rising diagonal; no node inside the opening), project grid
// lines every unit (through every support) and every point support as a
// single point. examples/raft/README.md describes the project.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/net_files.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "tools/make_sample/borings.h"
#include "tools/make_sample/node_data.h"
#include "tools/make_sample/solver_results.h"

namespace {

using orvelo::Declar;
using orvelo::NetElement;
using orvelo::OutlinePiece;
using orvelo::straightPiece;

// The raft: slab, opening and net spacing, in the base length unit.
constexpr int kSlabWidth = 12;
constexpr int kSlabDepth = 8;
constexpr int kOpeningLeft = 4;
constexpr int kOpeningBottom = 3;
constexpr int kOpeningRight = 6;
constexpr int kOpeningTop = 5;
constexpr int kGridStep = 1;

// The project reader's messages go to the console.
class ConsoleMsgBox : public forms::MsgBoxService {
public:
    std::int16_t show(const forms::MessageBoxRequest& request) override {
        std::cerr << "make_sample: " << request.prompt << "\n";
        return forms::defaultAnswerOf(request.style);
    }
};

// The four sides of a rectangle, anticlockwise from its lower left corner.
std::vector<OutlinePiece> rectangle(float left, float bottom, float right, float top) {
    return {OutlinePiece{}, straightPiece(left, bottom, right, bottom),
            straightPiece(right, bottom, right, top), straightPiece(right, top, left, top),
            straightPiece(left, top, left, bottom)};
}

bool insideOpening(int x, int y) {
    return x > kOpeningLeft && x < kOpeningRight && y > kOpeningBottom && y < kOpeningTop;
}

bool cellInOpening(int x, int y) {
    return x >= kOpeningLeft && x < kOpeningRight && y >= kOpeningBottom && y < kOpeningTop;
}

// The element side flags the meshers give a finished net: OuterSide on a
// side of one element only; on a side of two elements InnerSide in the
// lower-numbered and RepeatedSide in the higher-numbered element.
void setSideFlags(Declar& d) {
    std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> sides;
    for (int e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[e];
        for (int k = 1; k <= element.CornerCount; ++k) {
            const int a = element.Node[k];
            const int b = element.Node[k % element.CornerCount + 1];
            sides[{std::min(a, b), std::max(a, b)}].push_back({e, k});
        }
    }
    for (const auto& [side, uses] : sides) {
        if (uses.size() == 1) {
            d.ElementList[uses[0].first].Flag[uses[0].second] |= halvex::OuterSide;
        } else {
            d.ElementList[uses[0].first].Flag[uses[0].second] |= halvex::InnerSide;
            for (std::size_t i = 1; i < uses.size(); ++i)
                d.ElementList[uses[i].first].Flag[uses[i].second] |= halvex::RepeatedSide;
        }
    }
}

void buildNet(Declar& d) {
    std::vector<std::vector<std::int16_t>> nodeAt(kSlabWidth + 1,
                                                  std::vector<std::int16_t>(kSlabDepth + 1, 0));
    d.NodeX.assign(1, 0.0f);
    d.NodeY.assign(1, 0.0f);
    for (int y = 0; y <= kSlabDepth; ++y) {
        for (int x = 0; x <= kSlabWidth; ++x) {
            if (insideOpening(x, y)) continue;
            d.NodeX.push_back(static_cast<float>(x));
            d.NodeY.push_back(static_cast<float>(y));
            nodeAt[x][y] = orvelo::checkedNetCount(static_cast<long long>(d.NodeX.size()) - 1);
        }
    }
    d.NodeCount = orvelo::checkedNetCount(static_cast<long long>(d.NodeX.size()) - 1);

    d.ElementList.assign(1, NetElement{});
    auto addTriangle = [&d](std::int16_t a, std::int16_t b, std::int16_t c) {
        NetElement element;
        element.CornerCount = 3;
        element.Node[1] = a;
        element.Node[2] = b;
        element.Node[3] = c;
        d.ElementList.push_back(element);
    };
    for (int y = 0; y < kSlabDepth; ++y) {
        for (int x = 0; x < kSlabWidth; ++x) {
            if (cellInOpening(x, y)) continue;
            addTriangle(nodeAt[x][y], nodeAt[x + 1][y], nodeAt[x + 1][y + 1]);
            addTriangle(nodeAt[x][y], nodeAt[x + 1][y + 1], nodeAt[x][y + 1]);
        }
    }
    d.ElementCount = orvelo::checkedNetCount(static_cast<long long>(d.ElementList.size()) - 1);
    setSideFlags(d);
}

void buildBoundary(Declar& d) {
    d.OutlinePieces = rectangle(0, 0, kSlabWidth, kSlabDepth);
    d.OutlinePieceCount = 4;
    d.OpeningCount = 1;
    d.MaxOpeningPieces = 4;
    d.OpeningPieceCount = {0, 4};
    d.OpeningPieces = {std::vector<OutlinePiece>(5),
                       rectangle(kOpeningLeft, kOpeningBottom, kOpeningRight, kOpeningTop)};
    // Every point support is a single point of the outline file, so that a
    // new net keeps a node at each.
    d.SinglePoints.assign(1, halvex::SinglePoint{});
    std::vector<halvex::SinglePoint> supports = sample::SamplePointSupports();
    for (const halvex::SinglePoint& p : sample::WallPlatePointSupports()) supports.push_back(p);
    for (const halvex::SinglePoint& p : supports) {
        const bool listed = std::any_of(d.SinglePoints.begin() + 1, d.SinglePoints.end(),
                                        [&p](const halvex::SinglePoint& q) { return q.X == p.X && q.Y == p.Y; });
        if (!listed) d.SinglePoints.push_back(p);
    }
    d.SinglePointCount = orvelo::checkedNetCount(static_cast<long long>(d.SinglePoints.size()) - 1);
    d.LineCount = 0;
    d.GridCountX = kSlabWidth / kGridStep;
    d.GridX.assign(1, 0.0f);
    for (int x = 0; x <= kSlabWidth; x += kGridStep) d.GridX.push_back(static_cast<float>(x));
    d.GridCountY = kSlabDepth / kGridStep;
    d.GridY.assign(1, 0.0f);
    for (int y = 0; y <= kSlabDepth; y += kGridStep) d.GridY.push_back(static_cast<float>(y));

    drovik::ClsNetSettings& settings = orvelo::NetSettings();
    settings.SavedMeshType(5);
    settings.AngleLimit(30.0f);
    settings.StoredValueA(1.0f);
    settings.StoredValueB(0.25f);
}

// The header of the project file: no symmetry, analysis method 1, no
// springs, prescribed degrees of freedom, beams or piles.
void writeProjectHeader(const std::string& path) {
    orvelo::SharedServices().Prod(path);
    orvelo::OpenDataFile(path, halvex::OutputMode, 1, 0);
    rt::TextWriter& out = rt::dataChannel().writer();
    out.writeValues(std::int32_t{1}, std::int32_t{halvex::ModulusOfCompressibilty});
    std::vector<rt::Variant> options(13, rt::Variant(std::int16_t{0}));
    out.writeValues(options);
    orvelo::CloseDataFile(1);
}

int writeRaft(const std::string& examplesDir) {
    const std::string dir = examplesDir + "raft/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::cerr << "make_sample: cannot create " << dir << ": " << ec.message() << "\n";
        return 1;
    }
    Declar& d = orvelo::declar();
    buildNet(d);
    buildBoundary(d);
    try {
        writeProjectHeader(dir + "RAFT.PO1");
    } catch (const rt::RuntimeError&) {
        orvelo::HandleError();
        return 1;
    }
    if (!orvelo::WriteNetFiles(dir + "RAFT")) return 1;
    if (!sample::WriteSampleSolverResults(dir, "RAFT", d)) return 1;
    if (!sample::WriteSampleBorings(dir, "RAFT", d)) return 1;
    if (!sample::WriteSampleNodeData(dir, "RAFT", d)) return 1;
    std::cout << "make_sample: wrote " << dir << "RAFT.PO1, RAFT.PL6, RAFT.PL8 (" << d.NodeCount
              << " nodes, " << d.ElementCount << " elements)\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_sample <examples folder>\n";
        return 2;
    }
    forms::setMsgBoxService(std::make_shared<ConsoleMsgBox>());
    std::string examplesDir = argv[1];
    if (examplesDir.back() != '/') examplesDir += '/';
    return writeRaft(examplesDir);
}
