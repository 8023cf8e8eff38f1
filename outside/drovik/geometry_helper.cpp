#include "outside/drovik/geometry_helper.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "outside/drovik/plane_geometry.h"
#include "platform/runtime/errors.h"

namespace drovik {

void ClsGeometryHelper::TransformPoint(float x, float y, float& tx, float& ty) const {
    const double angle = static_cast<double>(layoutA_) * std::numbers::pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    tx = static_cast<float>(x * c - y * s + layoutB_);
    ty = static_cast<float>(x * s + y * c + layoutC_);
}

void ClsGeometryHelper::LocateElement(std::int16_t& element, float x, float y,
                                      const std::vector<float>& nodeX,
                                      const std::vector<float>& nodeY,
                                      const std::vector<orvelo::NetElement>& elements,
                                      std::int16_t& located) const {
    element = 0;
    located = 0;
    const std::size_t nodeLimit = std::min(nodeX.size(), nodeY.size());
    const std::size_t count = elements.empty() ? 0 : elements.size() - 1;
    if (count > static_cast<std::size_t>(orvelo::kMaxNetCount))
        rt::raise(6, "LocateElement: more than 32767 elements");
    for (std::size_t e = 1; e <= count; ++e) {
        const orvelo::NetElement& candidate = elements[e];
        if (candidate.CornerCount <= 0) continue;
        if (candidate.CornerCount > 4)
            rt::raise(9, "LocateElement: element " + std::to_string(e) + " has " +
                             std::to_string(candidate.CornerCount) + " corners");
        double xs[4];
        double ys[4];
        for (int k = 0; k < candidate.CornerCount; ++k) {
            const std::int16_t node = candidate.Node[k + 1];
            if (node < 1 || static_cast<std::size_t>(node) >= nodeLimit)
                rt::raise(9, "LocateElement: element " + std::to_string(e) + " names node " +
                                 std::to_string(node) + " outside the node list");
            xs[k] = nodeX[node];
            ys[k] = nodeY[node];
        }
        if (geometry::pointInClosedPolygon(xs, ys, candidate.CornerCount, x, y)) {
            element = static_cast<std::int16_t>(e);
            located = -1;
            return;
        }
    }
}

ElementIndex::ElementIndex(const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                           const std::vector<orvelo::NetElement>& elements)
    : nodeX_(nodeX), nodeY_(nodeY), elements_(elements) {
    const std::size_t nodeLimit = std::min(nodeX.size(), nodeY.size());
    const std::size_t count = elements.empty() ? 0 : elements.size() - 1;
    if (count > static_cast<std::size_t>(orvelo::kMaxNetCount)) {
        tooMany_ = true;
        return;
    }
    // The widened box of every element that can hold a point.
    struct Box {
        std::size_t e;
        double x0, y0, x1, y1;
    };
    std::vector<Box> boxes;
    for (std::size_t e = 1; e <= count; ++e) {
        const orvelo::NetElement& candidate = elements[e];
        if (candidate.CornerCount <= 0) continue;
        if (candidate.CornerCount > 4) {
            firstBroken_ = e;
            brokenMessage_ = "LocateElement: element " + std::to_string(e) + " has " +
                             std::to_string(candidate.CornerCount) + " corners";
            break;
        }
        Box box{e, HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        bool broken = false;
        for (int k = 0; k < candidate.CornerCount; ++k) {
            const std::int16_t node = candidate.Node[k + 1];
            if (node < 1 || static_cast<std::size_t>(node) >= nodeLimit) {
                broken = true;
                brokenMessage_ = "LocateElement: element " + std::to_string(e) + " names node " +
                                 std::to_string(node) + " outside the node list";
                break;
            }
            box.x0 = std::min(box.x0, static_cast<double>(nodeX[static_cast<std::size_t>(node)]));
            box.x1 = std::max(box.x1, static_cast<double>(nodeX[static_cast<std::size_t>(node)]));
            box.y0 = std::min(box.y0, static_cast<double>(nodeY[static_cast<std::size_t>(node)]));
            box.y1 = std::max(box.y1, static_cast<double>(nodeY[static_cast<std::size_t>(node)]));
        }
        if (broken) {
            firstBroken_ = e;
            break;
        }
        if (candidate.CornerCount < 3 || !std::isfinite(box.x0 + box.x1 + box.y0 + box.y1)) continue;
        // The on-side tolerance is a millionth of the side or of the
        // coordinates' size: a hundred thousandth is more than enough.
        const double size = std::max({std::fabs(box.x0), std::fabs(box.x1), std::fabs(box.y0), std::fabs(box.y1)}) +
                            (box.x1 - box.x0) + (box.y1 - box.y0);
        const double margin = 1e-5 * size + 1e-30;
        boxes.push_back({e, box.x0 - margin, box.y0 - margin, box.x1 + margin, box.y1 + margin});
    }
    if (boxes.empty()) return;
    double x0 = boxes[0].x0, y0 = boxes[0].y0, x1 = boxes[0].x1, y1 = boxes[0].y1;
    double areaSum = 0.0;
    for (const Box& b : boxes) {
        x0 = std::min(x0, b.x0);
        y0 = std::min(y0, b.y0);
        x1 = std::max(x1, b.x1);
        y1 = std::max(y1, b.y1);
        areaSum += (b.x1 - b.x0) * (b.y1 - b.y0);
    }
    // Cells about the size of a mean element box, at most 4 per element.
    double cell = std::sqrt(areaSum / static_cast<double>(boxes.size()));
    const double width = x1 - x0, height = y1 - y0;
    const double limit = 4.0 * static_cast<double>(boxes.size());
    if (!(cell > 0.0) || (width / cell + 1.0) * (height / cell + 1.0) > limit)
        cell = std::max(std::sqrt(width * height / limit), std::max(width, height) / limit);
    if (!(cell > 0.0) || !std::isfinite(cell)) cell = 1.0;
    x0_ = x0;
    y0_ = y0;
    cell_ = cell;
    columns_ = static_cast<std::int64_t>(width / cell) + 1;
    rows_ = static_cast<std::int64_t>(height / cell) + 1;
    cells_.assign(static_cast<std::size_t>(columns_ * rows_), {});
    auto column = [&](double x) { return std::clamp<std::int64_t>(static_cast<std::int64_t>((x - x0_) / cell_), 0, columns_ - 1); };
    auto row = [&](double y) { return std::clamp<std::int64_t>(static_cast<std::int64_t>((y - y0_) / cell_), 0, rows_ - 1); };
    for (const Box& b : boxes)
        for (std::int64_t r = row(b.y0); r <= row(b.y1); ++r)
            for (std::int64_t c = column(b.x0); c <= column(b.x1); ++c)
                cells_[static_cast<std::size_t>(r * columns_ + c)].push_back(static_cast<std::int16_t>(b.e));
}

bool ElementIndex::holds(std::size_t e, float x, float y) const {
    const orvelo::NetElement& candidate = elements_[e];
    double xs[4];
    double ys[4];
    for (int k = 0; k < candidate.CornerCount; ++k) {
        xs[k] = nodeX_[static_cast<std::size_t>(candidate.Node[k + 1])];
        ys[k] = nodeY_[static_cast<std::size_t>(candidate.Node[k + 1])];
    }
    return geometry::pointInClosedPolygon(xs, ys, candidate.CornerCount, x, y);
}

void ElementIndex::LocateElement(std::int16_t& element, float x, float y, std::int16_t& located) const {
    element = 0;
    located = 0;
    if (tooMany_) rt::raise(6, "LocateElement: more than 32767 elements");
    std::size_t found = 0;
    if (!cells_.empty() && x >= x0_ && y >= y0_) {
        const double c = std::floor((x - x0_) / cell_), r = std::floor((y - y0_) / cell_);
        if (c < static_cast<double>(columns_) && r < static_cast<double>(rows_)) {
            for (std::int16_t e : cells_[static_cast<std::size_t>(static_cast<std::int64_t>(r) * columns_ + static_cast<std::int64_t>(c))])
                if (holds(static_cast<std::size_t>(e), x, y)) {
                    found = static_cast<std::size_t>(e);
                    break;
                }
        }
    }
    // The scan meets a broken element before any later one that holds the
    // point.
    if (firstBroken_ != 0 && (found == 0 || found > firstBroken_)) rt::raise(9, brokenMessage_);
    if (found == 0) return;
    element = static_cast<std::int16_t>(found);
    located = -1;
}

}  // namespace drovik
