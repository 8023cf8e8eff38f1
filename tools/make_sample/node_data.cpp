#include "tools/make_sample/node_data.h"

#include <cstdint>
#include <iostream>
#include <vector>

#include "orvelo/project/bas_data.h"
#include "orvelo/project/node_data_files.h"
#include "platform/runtime/errors.h"

namespace sample {

namespace {

using orvelo::BasData;
using orvelo::NodeDataFile;

struct Point {
    float x;
    float y;
};

const std::vector<Point> kWallPlateSprings = {{2, 6}, {10, 2}};
const std::vector<Point> kWallPlateHeld = {{0, 8}, {12, 8}};

// The node of the sample net at a whole-number point.
std::int16_t nodeAt(const orvelo::Declar& d, Point p) {
    for (std::int32_t i = 1; i <= d.NodeCount; ++i)
        if (d.NodeX[i] == p.x && d.NodeY[i] == p.y) return i;
    rt::raise(9, "make_sample: no node at a point of the sample data");
}

// Values per node: 0.25 at the nodes of the right edge of the raft
// (x = 12), -0.5 at the corners of the opening, 0 elsewhere.
void valuesPerNode(BasData& b, const orvelo::Declar& d) {
    b.NodeValueCount = 0;
    b.NodeValueNodes.assign(1, 0);
    b.NodeValues.assign(1, 0.0f);
    b.NodeValuesAsRead.assign(1, 0.0f);
    const std::vector<Point> opening = {{4, 3}, {6, 3}, {6, 5}, {4, 5}};
    for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
        float value = d.NodeX[i] == 12.0f ? 0.25f : 0.0f;
        for (const Point& corner : opening)
            if (d.NodeX[i] == corner.x && d.NodeY[i] == corner.y) value = -0.5f;
        if (value == 0.0f) continue;
        ++b.NodeValueCount;
        b.NodeValueNodes.push_back(i);
        b.NodeValues.push_back(value * 100.0f);
        b.NodeValuesAsRead.push_back(value);
    }
}

// The wall-plate method: springs at two points, the deflection held at 0
// at two more, and the wall-plate nodes along the top edge of the opening.
void wallPlateData(BasData& b, const orvelo::Declar& d) {
    const std::vector<Point>& springs = kWallPlateSprings;
    b.SpringCount = static_cast<std::int16_t>(springs.size());
    b.SpringNodes.assign(1, 0);
    b.SpringValueA.assign(1, 0.0f);
    b.SpringValues.assign(1, 0.0f);
    for (const Point& p : springs) {
        b.SpringNodes.push_back(nodeAt(d, p));
        b.SpringValueA.push_back(1.0f);
        b.SpringValues.push_back(40000.0f);
    }
    const std::vector<Point>& held = kWallPlateHeld;
    b.DofCount = static_cast<std::int16_t>(held.size());
    b.DofNodes.assign(1, 0);
    b.DofTextD.assign(1, "");
    b.DofTextA.assign(1, "");
    for (const Point& p : held) {
        b.DofNodes.push_back(nodeAt(d, p));
        b.DofTextD.push_back("F");
        b.DofTextA.push_back("0");
    }
    b.PcwCount = 3;
    b.PcwNodes.assign(1, 0);
    b.PcwValueA.assign(1, 0.0f);
    b.PcwValueB.assign(1, 0.0f);
    for (float x : {4.0f, 5.0f, 6.0f}) {
        b.PcwNodes.push_back(nodeAt(d, {x, 5.0f}));
        b.PcwValueA.push_back(0.3f);
        b.PcwValueB.push_back(2.8f);
    }
}

}  // namespace

std::vector<halvex::SinglePoint> WallPlatePointSupports() {
    std::vector<halvex::SinglePoint> points;
    for (const auto* supports : {&kWallPlateSprings, &kWallPlateHeld})
        for (const Point& p : *supports) points.push_back(halvex::SinglePoint{p.x, p.y});
    return points;
}

bool WriteSampleNodeData(const std::string& dir, const std::string& name, orvelo::Declar& d) {
    d.CurrentDataDir = dir;
    d.CurrentProjectName = name;
    BasData& b = orvelo::basData();
    try {
        valuesPerNode(b, d);
        wallPlateData(b, d);
    } catch (const rt::RuntimeError& error) {
        std::cerr << error.description() << "\n";
        return false;
    }
    for (NodeDataFile file : {NodeDataFile::PV1, NodeDataFile::P91, NodeDataFile::P71, NodeDataFile::PCW})
        if (!orvelo::WriteNodeDataFile(file)) return false;
    return true;
}

}  // namespace sample
