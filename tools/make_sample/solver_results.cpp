#include "tools/make_sample/solver_results.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <numeric>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"

namespace sample {

namespace {

// ---- the analytical field ----
//
// A raft on an elastic subgrade, pressed down at its support points S_k:
// about each point the deflection follows the damped wave of a beam on an
// elastic foundation, turned about the point,
//   w(x, y) = -kDepth sum_k c_k f(r_k / kLength),  f(s) = e^-s (cos s + sin s),
// r_k = |p - S_k|, c_k = 1 at the columns and piles and 0.5 at the springs.
// The slopes are
//   dw/dx = 2 kDepth sum_k c_k e^-s (sin s / s) (x - x_k) / kLength^2
// (and dw/dy alike), 0 at the point itself. The bending moments and the
// shear force are largest at and about the support points and die away
// within a few kLength from them.
constexpr double kDepth = 0.004;
constexpr double kLength = 1.2;

struct SupportPoint {
    double x, y, weight;
};

// Columns (prescribed deflection), piles and springs of the sample.
const std::vector<SupportPoint> kColumns = {{2, 2, 1}, {10, 2, 1}, {10, 6, 1}, {2, 6, 1}};
const std::vector<SupportPoint> kPiles = {{6, 1, 1}, {6, 7, 1}};
const std::vector<SupportPoint> kSprings = {{0, 4, 0.5}, {12, 4, 0.5}};

struct FieldValue {
    double w, wx, wy;
};

FieldValue field(double x, double y) {
    FieldValue v{0.0, 0.0, 0.0};
    for (const auto* points : {&kColumns, &kPiles, &kSprings}) {
        for (const SupportPoint& p : *points) {
            const double dx = x - p.x, dy = y - p.y;
            const double s = std::sqrt(dx * dx + dy * dy) / kLength;
            const double damping = std::exp(-s);
            const double sinc = s == 0.0 ? 1.0 : std::sin(s) / s;
            const double c = kDepth * p.weight;
            v.w -= c * damping * (std::cos(s) + std::sin(s));
            v.wx += 2.0 * c * damping * sinc * dx / (kLength * kLength);
            v.wy += 2.0 * c * damping * sinc * dy / (kLength * kLength);
        }
    }
    return v;
}

// The slab group: a concrete slab 0.5 thick.
constexpr float kThickness = 0.5f;
constexpr float kModulus = 3.0e7f;
constexpr float kPoisson = 0.2f;
// Subgrade modulus of the values per node of .PL4 (contact pressure).
constexpr float kSubgrade = 20000.0f;

// ---- writing ----

using Body = std::function<void(rt::TextWriter&)>;

void writeText(const std::string& path, const Body& body) {
    orvelo::SharedServices().Prod(path);
    orvelo::OpenDataFile(path, halvex::OutputMode, 1, 0);
    body(rt::dataChannel().writer());
    orvelo::CloseDataFile(1);
}

std::int16_t nodeAt(const orvelo::Declar& d, double x, double y) {
    for (std::int32_t n = 1; n <= d.NodeCount; ++n)
        if (d.NodeX[n] == static_cast<float>(x) && d.NodeY[n] == static_cast<float>(y)) return n;
    rt::raise(9,
              "make_sample: no net node at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
}

// The solver's numbering: the nodes column by column (by x, then y).
std::vector<std::int16_t> calculationNumbers(const orvelo::Declar& d) {
    std::vector<std::int16_t> order(d.NodeCount);
    std::iota(order.begin(), order.end(), std::int16_t{1});
    std::stable_sort(order.begin(), order.end(), [&](std::int16_t a, std::int16_t b) {
        return d.NodeX[a] != d.NodeX[b] ? d.NodeX[a] < d.NodeX[b] : d.NodeY[a] < d.NodeY[b];
    });
    std::vector<std::int16_t> calc(d.NodeCount + 1, 0);
    for (std::size_t i = 0; i < order.size(); ++i)
        calc[order[i]] = static_cast<std::int16_t>(i + 1);
    return calc;
}

void writeAll(const std::string& prefix, const orvelo::Declar& d) {
    const std::vector<std::int16_t> calc = calculationNumbers(d);
    std::vector<std::int16_t> projectOf(d.NodeCount + 1, 0);  // calculation node -> project node
    for (std::int32_t n = 1; n <= d.NodeCount; ++n) projectOf[calc[n]] = n;

    writeText(prefix + ".PL9", [&](rt::TextWriter& out) {
        out.writeValues(d.NodeCount);
        for (std::int32_t c = 1; c <= d.NodeCount; ++c)
            out.writeValues(d.NodeX[projectOf[c]], d.NodeY[projectOf[c]]);
        out.writeValues(d.ElementCount);
        for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
            const orvelo::NetElement& element = d.ElementList[e];
            std::vector<rt::Variant> values{
                rt::Variant(static_cast<std::int16_t>(element.CornerCount))};
            for (int k = 1; k <= element.CornerCount; ++k)
                values.emplace_back(calc[element.Node[k]]);
            out.writeValues(values);
        }
        for (std::int32_t e = 1; e <= d.ElementCount; ++e) out.writeValues(std::int16_t{1});
    });
    writeText(prefix + ".PL3", [&](rt::TextWriter& out) {
        for (std::int32_t n = 1; n <= d.NodeCount; ++n) out.writeValues(calc[n]);
    });
    writeText(prefix + ".PC7",
              [](rt::TextWriter& out) { out.writeValues(0.0f, 0.0f, 0.0f, 0.0f); });
    writeText(prefix + ".PC8", [](rt::TextWriter& out) { out.writeValues(0.0f, 0.0f, 0.0f); });
    // Values per node the system does not use: the contact pressure of the
    // subgrade (calculation order) and the settlement (project order).
    writeText(prefix + ".PL4", [&](rt::TextWriter& out) {
        out.writeValues(d.NodeCount);
        for (std::int32_t c = 1; c <= d.NodeCount; ++c) {
            const std::int16_t n = projectOf[c];
            out.writeValues(static_cast<float>(-kSubgrade * field(d.NodeX[n], d.NodeY[n]).w));
        }
    });
    writeText(prefix + ".PH2", [&](rt::TextWriter& out) {
        for (std::int32_t n = 1; n <= d.NodeCount; ++n)
            out.writeValues(static_cast<float>(field(d.NodeX[n], d.NodeY[n]).w));
    });
    writeText(prefix + ".PG1", [&](rt::TextWriter& out) {
        for (std::int32_t c = 1; c <= d.NodeCount; ++c) {
            const std::int16_t n = projectOf[c];
            const FieldValue v = field(d.NodeX[n], d.NodeY[n]);
            out.writeValues(static_cast<float>(v.w));
            out.writeValues(static_cast<float>(v.wx));
            out.writeValues(static_cast<float>(v.wy));
        }
    });
    // The solver's values per freedom and per element (not used): zeros.
    writeText(prefix + ".PC5", [&](rt::TextWriter& out) {
        for (int i = 0; i < 3 * d.NodeCount + d.ElementCount; ++i) out.writeValues(0.0f);
    });

    // One slab group; every element of the project net in group 1.
    orvelo::SharedServices().Prod(prefix + ".P21");
    orvelo::OpenDataFile(prefix + ".P21", halvex::PutRandomMode, 1, 0);
    rt::RecordFile& records = rt::dataChannel().records();
    records.putInteger(2, 1);
    for (std::int32_t r = 4; r <= 6; ++r) records.putSingle(r, 0.0f);  // boring layout values
    records.putSingle(10, kThickness);
    records.putSingle(11, kModulus);
    records.putSingle(12, kPoisson);
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) records.putInteger(12 + e, 1);
    orvelo::CloseDataFile(1);

    // Point springs: a vertical spring at each spring point.
    writeText(prefix + ".P35", [&](rt::TextWriter& out) {
        out.printLine("Version 9");
        out.writeValues(static_cast<std::int16_t>(kSprings.size()));
        out.writeValues(std::int16_t{0});
        for (const SupportPoint& s : kSprings) {
            out.writeValues(std::int16_t{1});
            out.writeValues(nodeAt(d, s.x, s.y));
            out.writeValues(50000.0f);
            out.writeValues(0.0f);
            out.writeValues(0.0f);
        }
    });
    // Piles: one pile type, one pile at each pile point.
    writeText(prefix + ".PIL", [&](rt::TextWriter& out) {
        out.writeValues(static_cast<std::int16_t>(kPiles.size()));
        out.writeValues(0.0f);
        out.writeValues(0.0f);
        out.writeValues(std::int16_t{1});
        for (const SupportPoint& p : kPiles) {
            out.writeValues(nodeAt(d, p.x, p.y));
            out.writeValues(std::int16_t{1});
        }
        out.writeValues(std::int16_t{0});  // entries of the type
        out.writeValues(std::int16_t{1});  // its code
        for (float v : {0.6f, 12.0f, 3.0e7f, 0.0f, 0.0f, 0.0f, 0.0f}) out.writeValues(v);
        out.printLine("Bored pile 0.6");
        out.writeValues(0.0f);
    });
    // Prescribed degrees of freedom: the deflection of each column held at
    // 0, its slopes free ("F").
    writeText(prefix + ".P31", [&](rt::TextWriter& out) {
        out.printLine("Version 9");
        out.writeValues(static_cast<std::int16_t>(kColumns.size()));
        out.writeValues(std::int16_t{0});
        for (const SupportPoint& s : kColumns) {
            out.writeValues(std::int16_t{1});
            out.writeValues(nodeAt(d, s.x, s.y));
            out.printLine("0");
            out.printLine("F");
            out.printLine("F");
        }
    });
    // The solver's list of them: freedom 3c - 2 (w of calculation node c).
    writeText(prefix + ".P33", [&](rt::TextWriter& out) {
        out.writeValues(static_cast<std::int16_t>(kColumns.size()));
        for (const SupportPoint& s : kColumns) {
            out.writeValues(static_cast<std::int16_t>(3 * calc[nodeAt(d, s.x, s.y)] - 2));
            out.writeValues(0.0f);
        }
    });
    // A ground beam along the lower edge of the slab, under a line load:
    // property set 1 = E, G, I, J and the load q.
    writeText(prefix + ".GL1", [&](rt::TextWriter& out) {
        out.printLine("Version 9");
        out.writeValues(std::int16_t{1});
        out.writeValues(std::int16_t{1});
        out.writeValues(std::int16_t{1});
        out.writeValues(nodeAt(d, 0, 0));
        out.writeValues(nodeAt(d, 12, 0));
        for (float v : {3.0e7f, 1.25e7f, 0.0045f, 0.0035f, 10.0f}) out.writeValues(v);
        out.writeValues(false);
        out.writeValues(1.0f);
        out.writeValues(1.0f);
    });
}

// The header with the springs (option 5), the prescribed degrees of
// freedom (6), the beams (7) and the piles (13) marked; the rest of the
// project file stays as it is.
void markHeader(const std::string& path) {
    orvelo::SharedServices().Prod(path);
    orvelo::OpenDataFile(path, halvex::InputMode, 1, 0);
    rt::TextReader& in = rt::dataChannel().reader();
    const std::int32_t symmetry = in.readLong();
    const std::int32_t method = in.readLong();
    std::vector<rt::Variant> options;
    for (int i = 1; i <= 13; ++i) {
        const std::int16_t option = in.readInteger();
        options.emplace_back(i == 5 || i == 6 || i == 7 || i == 13 ? std::int16_t{1} : option);
    }
    std::vector<std::string> rest;
    while (!in.eof()) rest.push_back(in.readLine());
    orvelo::CloseDataFile(1);
    writeText(path, [&](rt::TextWriter& out) {
        out.writeValues(symmetry, method);
        out.writeValues(options);
        for (const std::string& line : rest) out.printLine(line);
    });
}

}  // namespace

std::vector<halvex::SinglePoint> SamplePointSupports() {
    std::vector<halvex::SinglePoint> points;
    for (const auto* supports : {&kColumns, &kPiles, &kSprings})
        for (const SupportPoint& p : *supports)
            points.push_back(halvex::SinglePoint{static_cast<float>(p.x), static_cast<float>(p.y)});
    return points;
}

bool WriteSampleSolverResults(const std::string& dir, const std::string& name,
                              const orvelo::Declar& d) {
    try {
        writeAll(dir + name, d);
        markHeader(dir + name + ".PO1");
    } catch (...) {
        orvelo::HandleError();
        return false;
    }
    return true;
}

}  // namespace sample
