#include "orvelo/delaunay/region_index.h"

#include <algorithm>
#include <cmath>

#include "outside/drovik/plane_geometry.h"

namespace orvelo {

RegionIndex::RegionIndex(std::vector<halvex::POINTAPI> corners) : corners_(std::move(corners)) {
    if (corners_.size() < 3) return;
    x0_ = x1_ = corners_[0].X;
    y0_ = y1_ = corners_[0].Y;
    for (const auto& c : corners_) {
        x0_ = std::min<std::int64_t>(x0_, c.X);
        x1_ = std::max<std::int64_t>(x1_, c.X);
        y0_ = std::min<std::int64_t>(y0_, c.Y);
        y1_ = std::max<std::int64_t>(y1_, c.Y);
    }
    // About four cells per side of the polygon.
    const double area = static_cast<double>(x1_ - x0_ + 1) * static_cast<double>(y1_ - y0_ + 1);
    cell_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::sqrt(area / (4.0 * static_cast<double>(corners_.size())))));
    columns_ = (x1_ - x0_) / cell_ + 1;
    rows_ = (y1_ - y0_) / cell_ + 1;
    state_.assign(static_cast<std::size_t>(columns_ * rows_), 1);
    // Every cell a side's extent reaches, one cell wider on each side, is
    // left to the region test.
    for (std::size_t i = 0; i < corners_.size(); ++i) {
        const auto& a = corners_[i];
        const auto& b = corners_[(i + 1) % corners_.size()];
        const std::int64_t c0 = std::max<std::int64_t>(0, (std::min<std::int64_t>(a.X, b.X) - x0_) / cell_ - 1);
        const std::int64_t c1 = std::min<std::int64_t>(columns_ - 1, (std::max<std::int64_t>(a.X, b.X) - x0_) / cell_ + 1);
        const std::int64_t r0 = std::max<std::int64_t>(0, (std::min<std::int64_t>(a.Y, b.Y) - y0_) / cell_ - 1);
        const std::int64_t r1 = std::min<std::int64_t>(rows_ - 1, (std::max<std::int64_t>(a.Y, b.Y) - y0_) / cell_ + 1);
        // A long slanted side: only the cells along it.
        const std::int64_t span = std::max(c1 - c0, r1 - r0) + 1;
        if (span > 4 && c1 > c0 && r1 > r0) {
            const std::int64_t steps = 4 * span;
            for (std::int64_t s = 0; s <= steps; ++s) {
                const double t = static_cast<double>(s) / static_cast<double>(steps);
                const std::int64_t c = (static_cast<std::int64_t>(std::floor(a.X + t * (b.X - a.X))) - x0_) / cell_;
                const std::int64_t r = (static_cast<std::int64_t>(std::floor(a.Y + t * (b.Y - a.Y))) - y0_) / cell_;
                for (std::int64_t dr = -1; dr <= 1; ++dr)
                    for (std::int64_t dc = -1; dc <= 1; ++dc) {
                        const std::int64_t cc = c + dc, rr = r + dr;
                        if (cc >= 0 && cc < columns_ && rr >= 0 && rr < rows_) state_[static_cast<std::size_t>(rr * columns_ + cc)] = 0;
                    }
            }
            continue;
        }
        for (std::int64_t r = r0; r <= r1; ++r)
            for (std::int64_t c = c0; c <= c1; ++c) state_[static_cast<std::size_t>(r * columns_ + c)] = 0;
    }
}

bool RegionIndex::test(std::int32_t x, std::int32_t y) const {
    return drovik::geometry::pointInIntegerRegion(corners_.data(), static_cast<int>(corners_.size()), x, y);
}

bool RegionIndex::Contains(std::int32_t x, std::int32_t y) {
    if (state_.empty() || x < x0_ || x > x1_ || y < y0_ || y > y1_) return state_.empty() ? test(x, y) : false;
    const std::int64_t c = (x - x0_) / cell_;
    const std::int64_t r = (y - y0_) / cell_;
    std::uint8_t& state = state_[static_cast<std::size_t>(r * columns_ + c)];
    if (state == 0) return test(x, y);
    if (state == 1) state = test(x, y) ? 3 : 2;
    return state == 3;
}

}  // namespace orvelo
