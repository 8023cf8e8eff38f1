#include "tools/make_sample/borings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"

namespace sample {

namespace {

struct Boring {
    float x, y;
    const char* name;
};

// Anticlockwise about the raft, each 1 unit in from a corner.
constexpr std::array<Boring, 4> kBorings = {{
    {1.0f, 1.0f, "BH 1"},
    {11.0f, 1.0f, "BH 2"},
    {11.0f, 7.0f, "BH 3"},
    {1.0f, 7.0f, "BH 4"},
}};

// .BAU: record 4 the boring count; boring b in records 5b + 1 (x),
// 5b + 2 (y) and 5b + 3 (name).
void writeBau(const std::string& path) {
    orvelo::SharedServices().Prod(path);
    orvelo::OpenDataFile(path, halvex::PutRandomMode, 1, 0);
    rt::RecordFile& records = rt::dataChannel().records();
    records.putInteger(4, static_cast<std::int16_t>(kBorings.size()));
    for (std::int32_t b = 1; b <= static_cast<std::int32_t>(kBorings.size()); ++b) {
        const Boring& boring = kBorings[static_cast<std::size_t>(b - 1)];
        records.putSingle(5 * b + 1, boring.x);
        records.putSingle(5 * b + 2, boring.y);
        records.putString(5 * b + 3, boring.name);
    }
    orvelo::CloseDataFile(1);
}

// The stored regions: the triangle of borings 1, 2, 3 and the strip from
// boring 4 to boring 1 along the left edge, its inner side towards the
// corner (max x, max y); every other node takes its nearest boring.
void setUpLayout(const orvelo::Declar& d) {
    orvelo::BoringData& b = orvelo::boringData();
    b.BoringCount = static_cast<std::int16_t>(kBorings.size());
    b.BoringX.assign(1, 0.0f);
    b.BoringY.assign(1, 0.0f);
    b.BoringName.assign(1, std::string());
    for (const Boring& boring : kBorings) {
        b.BoringX.push_back(boring.x);
        b.BoringY.push_back(boring.y);
        b.BoringName.emplace_back(boring.name);
    }
    b.BoringLayoutKind = 3;
    b.ExtentMinX = *std::min_element(d.NodeX.begin() + 1, d.NodeX.end());
    b.ExtentMaxX = *std::max_element(d.NodeX.begin() + 1, d.NodeX.end());
    b.ExtentMinY = *std::min_element(d.NodeY.begin() + 1, d.NodeY.end());
    b.ExtentMaxY = *std::max_element(d.NodeY.begin() + 1, d.NodeY.end());

    b.BoringTriangleCount = 1;
    b.TriangleBoringA = {0, 1};
    b.TriangleBoringB = {0, 2};
    b.TriangleBoringC = {0, 3};
    b.BoringStripCount = 1;
    b.StripBoringA = {0, 4};
    b.StripBoringB = {0, 1};
    b.StripCorner = {0, 1};

    b.ConstantNodeCount = d.NodeCount;
    b.ConstantNodes.assign(1, 0);
    b.ConstantNodeBoring.assign(1, 0);
    for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
        std::int16_t nearest = 1;
        float best = -1.0f;
        for (std::int32_t k = 1; k <= b.BoringCount; ++k) {
            const float dx = d.NodeX[i] - b.BoringX[k], dy = d.NodeY[i] - b.BoringY[k];
            const float dist = dx * dx + dy * dy;
            if (best < 0.0f || dist < best) {
                best = dist;
                nearest = k;
            }
        }
        b.ConstantNodes.push_back(i);
        b.ConstantNodeBoring.push_back(nearest);
    }
}

}  // namespace

bool WriteSampleBorings(const std::string& dir, const std::string& name, const orvelo::Declar& d) {
    try {
        writeBau(dir + name + ".BAU");
        setUpLayout(d);
        orvelo::ComputeBoringLayout();
        orvelo::Declar& current = orvelo::declar();
        current.CurrentDataDir = dir;
        current.CurrentProjectName = name;
        orvelo::WriteBoringFile();
    } catch (const rt::RuntimeError&) {
        orvelo::HandleError();
        return false;
    }
    return true;
}

}  // namespace sample
