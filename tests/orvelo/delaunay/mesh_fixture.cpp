#include "orvelo/delaunay/mesh_fixture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net.h"
#include "orvelo/project/services.h"

namespace orvelo::meshcheck {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The angles (radians) an arc piece runs through, from its start to its end.
std::pair<double, double> arcAngles(const OutlinePiece& p) {
    const double t0 = std::atan2(static_cast<double>(p.Y1) - p.YC, static_cast<double>(p.X1) - p.XC);
    double t1 = std::atan2(static_cast<double>(p.Y2) - p.YC, static_cast<double>(p.X2) - p.XC);
    if (p.Direction) {
        while (t1 <= t0) t1 += 2 * kPi;
    } else {
        while (t1 >= t0) t1 -= 2 * kPi;
    }
    return {t0, t1};
}

// Twice the area swept along the piece (Green's theorem).
double sweptArea(const OutlinePiece& p) {
    if (!p.IsArc) return static_cast<double>(p.X1) * p.Y2 - static_cast<double>(p.X2) * p.Y1;
    const double radius = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
    const auto [t0, t1] = arcAngles(p);
    return radius * (p.XC * (std::sin(t1) - std::sin(t0)) - p.YC * (std::cos(t1) - std::cos(t0))) +
           radius * radius * (t1 - t0);
}

double loopArea(const std::vector<OutlinePiece>& pieces) {
    double sum = 0.0;
    for (const OutlinePiece& p : pieces) sum += sweptArea(p);
    return std::fabs(sum) / 2.0;
}

}  // namespace

SlabFixture LoadSlabFixture(const std::string& name) {
    const std::string path = std::string(OH_TEST_DATA) + "/delaunay/" + name;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("missing fixture " + path);
    SlabFixture slab;
    slab.name = name;
    std::vector<OutlinePiece>* pieces = &slab.outline;
    std::string text;
    while (std::getline(in, text)) {
        const auto hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        std::istringstream line(text);
        std::string word;
        if (!(line >> word)) continue;
        if (word == "theta") {
            line >> slab.theta;
        } else if (word == "r") {
            line >> slab.r;
        } else if (word == "rmin") {
            line >> slab.rmin;
        } else if (word == "outline") {
            pieces = &slab.outline;
        } else if (word == "opening") {
            slab.openings.emplace_back();
            pieces = &slab.openings.back();
        } else if (word == "straight") {
            float x1, y1, x2, y2;
            line >> x1 >> y1 >> x2 >> y2;
            pieces->push_back(straightPiece(x1, y1, x2, y2));
        } else if (word == "arc") {
            float x1, y1, x2, y2, xc, yc;
            std::string sense;
            line >> x1 >> y1 >> x2 >> y2 >> xc >> yc >> sense;
            OutlinePiece p = straightPiece(x1, y1, x2, y2);
            p.IsArc = true;
            p.XC = xc;
            p.YC = yc;
            p.Direction = sense == "ccw";
            pieces->push_back(p);
        } else if (word == "line") {
            float x1, y1, x2, y2;
            line >> x1 >> y1 >> x2 >> y2;
            slab.lines.push_back({{x1, y1}, {x2, y2}});
        } else if (word == "point") {
            float x, y;
            line >> x >> y;
            slab.points.push_back({x, y});
        } else if (word == "spacing") {
            line >> slab.oldNetSpacing;
        } else if (word == "field") {
            std::string kind;
            line >> kind;
            if (kind == "uniform") {
                float s;
                line >> s;
                slab.field = [s](float, float) { return s; };
            } else if (kind == "linear-x") {
                float x0, s0, x1, s1;
                line >> x0 >> s0 >> x1 >> s1;
                slab.field = [=](float x, float) {
                    const float t = std::clamp((x - x0) / (x1 - x0), 0.0f, 1.0f);
                    return s0 + t * (s1 - s0);
                };
            } else if (kind == "radial") {
                float cx, cy, s0, s1, reach;
                line >> cx >> cy >> s0 >> s1 >> reach;
                slab.field = [=](float x, float y) {
                    const float t = std::clamp(std::hypot(x - cx, y - cy) / reach, 0.0f, 1.0f);
                    return s0 + t * (s1 - s0);
                };
            } else {
                throw std::runtime_error("unknown field " + kind + " in " + path);
            }
        } else {
            throw std::runtime_error("unknown statement " + word + " in " + path);
        }
    }
    return slab;
}

void InstallSlab(const SlabFixture& slab) {
    resetBasDelaunay();
    resetBasOrvelo();
    resetDeclar();
    Declar& d = declar();
    d.MeshType = 5;
    d.MinAngle = slab.theta;
    d.MaxElementSize = slab.r;
    d.MinElementSize = slab.rmin;

    BasDelaunay& m = basDelaunay();
    m.MeshOutlineCount = static_cast<std::int32_t>(slab.outline.size());
    m.MeshOutline.assign(1, OutlinePiece{});
    m.MeshOutline.insert(m.MeshOutline.end(), slab.outline.begin(), slab.outline.end());
    std::size_t largest = 0;
    for (const auto& opening : slab.openings) largest = std::max(largest, opening.size());
    m.MeshOpeningCount = static_cast<std::int16_t>(slab.openings.size());
    m.MeshOpeningPieceCount.assign(slab.openings.size() + 1, 0);
    m.MeshOpenings.assign(slab.openings.size() + 1, std::vector<OutlinePiece>(largest + 1));
    for (std::size_t s = 0; s < slab.openings.size(); ++s) {
        m.MeshOpeningPieceCount[s + 1] = static_cast<std::int16_t>(slab.openings[s].size());
        for (std::size_t k = 0; k < slab.openings[s].size(); ++k) m.MeshOpenings[s + 1][k + 1] = slab.openings[s][k];
    }
    m.MeshLineCount = static_cast<std::int16_t>(slab.lines.size());
    m.MeshLineStart.assign(1, {});
    m.MeshLineEnd.assign(1, {});
    for (const auto& [a, b] : slab.lines) {
        m.MeshLineStart.push_back(a);
        m.MeshLineEnd.push_back(b);
    }
    m.MeshPointCount = static_cast<std::int16_t>(slab.points.size());
    m.MeshPoints.assign(1, {});
    m.MeshPoints.insert(m.MeshPoints.end(), slab.points.begin(), slab.points.end());

    // The old net: a grid of triangles over the extent, one unit wider.
    double xMin = 1e30, xMax = -1e30, yMin = 1e30, yMax = -1e30;
    auto include = [&](double x, double y) {
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    };
    for (const OutlinePiece& p : slab.outline) {
        include(p.X1, p.Y1);
        include(p.X2, p.Y2);
        if (p.IsArc) {
            const double radius = std::hypot(p.X1 - p.XC, p.Y1 - p.YC);
            include(p.XC - radius, p.YC - radius);
            include(p.XC + radius, p.YC + radius);
        }
    }
    const double spacing = slab.oldNetSpacing > 0.0 ? slab.oldNetSpacing : std::max(xMax - xMin, yMax - yMin) / 20.0;
    xMin -= spacing;
    yMin -= spacing;
    const int columns = static_cast<int>(std::ceil((xMax + spacing - xMin) / spacing));
    const int rows = static_cast<int>(std::ceil((yMax + spacing - yMin) / spacing));
    BasOrvelo& o = basOrvelo();
    o.OldNodeX.assign(1, 0.0f);
    o.OldNodeY.assign(1, 0.0f);
    d.NodeTargetSize.assign(1, 0.0f);
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const float x = static_cast<float>(xMin + i * spacing);
            const float y = static_cast<float>(yMin + j * spacing);
            o.OldNodeX.push_back(x);
            o.OldNodeY.push_back(y);
            d.NodeTargetSize.push_back(slab.field(x, y));
        }
    d.OldNodeCount = static_cast<std::int16_t>(o.OldNodeX.size() - 1);
    o.OldElementList.assign(1, NetElement{});
    auto node = [&](int i, int j) { return static_cast<std::int16_t>(j * (columns + 1) + i + 1); };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            NetElement lower;
            lower.CornerCount = 3;
            lower.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), 0};
            NetElement upper;
            upper.CornerCount = 3;
            upper.Node = {0, node(i, j), node(i + 1, j + 1), node(i, j + 1), 0};
            o.OldElementList.push_back(lower);
            o.OldElementList.push_back(upper);
        }
    o.OldElementCount = static_cast<std::int16_t>(o.OldElementList.size() - 1);
}

double SlabArea(const SlabFixture& slab) {
    double area = loopArea(slab.outline);
    for (const auto& opening : slab.openings) area -= loopArea(opening);
    return area;
}

bool OnPiece(const OutlinePiece& piece, double x, double y, double tol) {
    if (piece.IsArc && std::hypot(piece.X1 - piece.XC, piece.Y1 - piece.YC) < 10000.0) {
        const double radius = std::hypot(static_cast<double>(piece.X1) - piece.XC, static_cast<double>(piece.Y1) - piece.YC);
        if (std::fabs(std::hypot(x - piece.XC, y - piece.YC) - radius) > tol) return false;
        const auto [t0, t1] = arcAngles(piece);
        double t = std::atan2(y - piece.YC, x - piece.XC);
        const double lo = std::min(t0, t1), hi = std::max(t0, t1);
        while (t < lo - 1e-9) t += 2 * kPi;
        while (t > hi + 1e-9) t -= 2 * kPi;
        return t >= lo - tol / radius - 1e-6 && t <= hi + tol / radius + 1e-6;
    }
    const double dx = piece.X2 - piece.X1;
    const double dy = piece.Y2 - piece.Y1;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((x - piece.X1) * dx + (y - piece.Y1) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(piece.X1 + t * dx - x, piece.Y1 + t * dy - y) <= tol;
}

}  // namespace orvelo::meshcheck
