#include "orvelo/gridmesh/polar_mesh.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace orvelo {

namespace {

constexpr std::int16_t kDisk = 2;
constexpr std::int16_t kAnnulus = 5;

// The largest count the net of this shape, type and n needs: nodes,
// element records before and after a split (64-bit, so nothing wraps).
long long largestPolarCount(std::int16_t shape, std::int16_t type, long long n) {
    if (shape == kDisk && type == 8) return std::max(1 + 2 * n * (n + 1), 4 * n * n);
    if (shape == kDisk) return std::max(4 * n * n + 1, type == 7 ? 8 * n * n - 4 * n : 4 * n * n);
    return std::max(4 * n * (n + 1), type == 6 ? 4 * n * n : 8 * n * n);
}

// Builds the net in the mesher's arrays; false when the user stopped it.
class PolarNet {
public:
    // quiet: built without progress and without polls (the trial net of the
    // input check).
    PolarNet(BasDelaunay& m, int n, float outerRadius, float innerRadius, bool quiet = false)
        : m_(m), n_(n), R_(outerRadius), r_(innerRadius), pi_(4.0f * std::atan(1.0f)),
          dTheta_(pi_ / (2.0f * static_cast<float>(n))), quiet_(quiet) {}

    bool annulus(bool triangles);
    bool spokeDisk(bool triangles);
    bool fanDisk();

private:
    void allocate(long long nodes, long long elements) {
        m_.MeshNodeCount = checkedNetCount(nodes);
        m_.MeshNodeX.assign(static_cast<std::size_t>(nodes) + 1, 0.0f);
        m_.MeshNodeY.assign(static_cast<std::size_t>(nodes) + 1, 0.0f);
        m_.MeshElementCount = checkedNetCount(elements);
        m_.MeshElementList.assign(static_cast<std::size_t>(elements) + 1, NetElement{});
    }
    // Node k at (R + x, R + y), kept inside the square [0, 2R] that
    // rounding could leave by an ulp.
    void place(long long k, double x, double y) {
        const float size = 2.0f * R_;
        m_.MeshNodeX[static_cast<std::size_t>(k)] = std::clamp(static_cast<float>(R_ + x), 0.0f, size);
        m_.MeshNodeY[static_cast<std::size_t>(k)] = std::clamp(static_cast<float>(R_ + y), 0.0f, size);
    }
    static NetElement element(std::initializer_list<long long> corners) {
        NetElement e;
        e.CornerCount = static_cast<std::int32_t>(corners.size());
        int k = 1;
        for (long long c : corners) e.Node[static_cast<std::size_t>(k++)] = static_cast<std::int16_t>(c);
        return e;
    }
    // Every quadrilateral (c1, c2, c3, c4) as (c1, c2, c4) and (c2, c3, c4),
    // triangles as they are; a progress step per element taken.
    bool splitQuadrilaterals();
    void progressMax(long long steps) const {
        if (!quiet_) mesher::SetProgressMax(steps);
    }
    bool stopRequested() const { return !quiet_ && mesher::StopRequested(true); }

    BasDelaunay& m_;
    const long long n_;
    const float R_;
    const float r_;
    const float pi_;
    const float dTheta_;
    const bool quiet_;
};

bool PolarNet::splitQuadrilaterals() {
    std::vector<NetElement> split(1);
    split.reserve(2 * static_cast<std::size_t>(m_.MeshElementCount) + 1);
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
        const NetElement& q = m_.MeshElementList[static_cast<std::size_t>(e)];
        if (q.CornerCount == 4) {
            split.push_back(element({q.Node[1], q.Node[2], q.Node[4]}));
            split.push_back(element({q.Node[2], q.Node[3], q.Node[4]}));
        } else {
            split.push_back(q);
        }
        if (stopRequested()) return false;
    }
    m_.MeshElementCount = checkedNetCount(static_cast<long long>(split.size()) - 1);
    m_.MeshElementList = std::move(split);
    return true;
}

bool PolarNet::annulus(bool triangles) {
    const long long n = n_;
    allocate(4 * n * (n + 1), 4 * n * n);

    // Rings of equal area: rho(k)^2 = rho(k - 1)^2 + (R^2 - r^2) / n.
    std::vector<double> rho(static_cast<std::size_t>(n) + 2);
    const double area = (static_cast<double>(R_) * R_ - static_cast<double>(r_) * r_) * pi_ / static_cast<double>(n);
    rho[1] = r_;
    for (long long k = 2; k <= n; ++k) rho[k] = std::sqrt(rho[k - 1] * rho[k - 1] + area / pi_);
    rho[n + 1] = R_;

    progressMax(m_.MeshNodeCount);
    float theta = 0.0f;
    for (long long s = 0; s < 4 * n; ++s) {
        for (long long k = 1; k <= n + 1; ++k) {
            place(s * (n + 1) + k, rho[k] * std::cos(theta), rho[k] * std::sin(theta));
            if (stopRequested()) return false;
        }
        theta += dTheta_;
    }

    auto node = [n](long long s, long long k) { return (s % (4 * n)) * (n + 1) + k; };
    progressMax(m_.MeshElementCount);
    for (long long s = 0; s < 4 * n; ++s) {
        for (long long k = 1; k <= n; ++k) {
            m_.MeshElementList[static_cast<std::size_t>(s * n + k)] =
                element({node(s, k), node(s, k + 1), node(s + 1, k + 1), node(s + 1, k)});
            if (stopRequested()) return false;
        }
    }
    if (!triangles) return true;
    // Types 7 and 8: a step per quadrilateral split, then one per element
    // taken over; the diagonal runs from the outer node of spoke s to the
    // inner node of spoke s + 1.
    progressMax(3LL * m_.MeshElementCount);
    std::vector<NetElement> split(static_cast<std::size_t>(2 * m_.MeshElementCount) + 1);
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
        const NetElement& q = m_.MeshElementList[static_cast<std::size_t>(e)];
        split[2 * static_cast<std::size_t>(e) - 1] = element({q.Node[1], q.Node[2], q.Node[4]});
        split[2 * static_cast<std::size_t>(e)] = element({q.Node[2], q.Node[3], q.Node[4]});
        if (stopRequested()) return false;
    }
    const long long count = 2LL * m_.MeshElementCount;
    m_.MeshElementList.assign(static_cast<std::size_t>(count) + 1, NetElement{});
    for (long long e = 1; e <= count; ++e) {
        m_.MeshElementList[static_cast<std::size_t>(e)] = split[static_cast<std::size_t>(e)];
        if (stopRequested()) return false;
    }
    m_.MeshElementCount = checkedNetCount(count);
    return true;
}

bool PolarNet::spokeDisk(bool triangles) {
    const long long n = n_;
    allocate(4 * n * n + 1, 4 * n * n);

    // n + 1 rings of equal area: rho(k)^2 = k R^2 / (n + 1).
    std::vector<double> rho(static_cast<std::size_t>(n) + 2);
    const double area = pi_ * static_cast<double>(R_) * R_ / static_cast<double>(n + 1);
    rho[0] = 0.0;
    for (long long k = 1; k <= n; ++k) rho[k] = std::sqrt(rho[k - 1] * rho[k - 1] + area / pi_);
    rho[n + 1] = R_;

    progressMax(m_.MeshNodeCount);
    place(1, 0.0, 0.0);
    float theta = 0.0f;
    for (long long s = 0; s < 4 * n; ++s) {
        for (long long a = 2; a <= n + 1; ++a) {
            // The centroid radius of the ring between rho(a - 1) and rho(a).
            const double outer = rho[a];
            const double inner = rho[a - 1];
            const double radius =
                a == n + 1 ? static_cast<double>(R_)
                           : 2.0 * (outer * outer * outer - inner * inner * inner) / (3.0 * (outer * outer - inner * inner));
            place(2 + s * n + (a - 2), radius * std::cos(theta), radius * std::sin(theta));
            if (stopRequested()) return false;
        }
        theta += dTheta_;
    }

    progressMax(m_.MeshElementCount);
    long long e = 0;
    for (long long s = 0; s < 4 * n; ++s) {
        const long long S = 2 + s * n;
        const long long T = s == 4 * n - 1 ? 2 : S + n;
        m_.MeshElementList[static_cast<std::size_t>(++e)] = element({1, S, T});
        for (long long k = 0; k <= n - 2; ++k)
            m_.MeshElementList[static_cast<std::size_t>(++e)] = element({S + k, S + k + 1, T + k + 1, T + k});
        if (stopRequested()) return false;
    }
    if (!triangles) return true;
    progressMax(m_.MeshElementCount);
    return splitQuadrilaterals();
}

bool PolarNet::fanDisk() {
    const long long n = n_;
    allocate(1 + 2 * n * (n + 1), 4 * n * n);

    std::vector<double> rho(static_cast<std::size_t>(n) + 1);
    for (long long k = 1; k <= n - 1; ++k) {
        const double angle = static_cast<float>(k) * dTheta_;
        const double sine = std::sin(angle);
        rho[k] = (R_ / 2.0) * (std::sqrt(1.0 + 3.0 * sine * sine) - std::cos(angle));
    }
    rho[n] = R_;

    progressMax(m_.MeshNodeCount);
    long long node = 1;
    place(node, 0.0, 0.0);
    auto turned = [&](double u, double v, double phi) {
        place(++node, u * std::cos(phi) - v * std::sin(phi), u * std::sin(phi) + v * std::cos(phi));
        return stopRequested();
    };
    for (long long k = 1; k <= n - 1; ++k) {
        for (int q = 1; q <= 4; ++q) {
            const double phi = static_cast<float>(q - 1) * pi_ / 2.0f;
            if (turned(rho[k], 0.0, phi)) return false;
            for (long long j = 1; j <= k - 1; ++j) {
                const double rj = rho[j];
                const double rk = rho[k];
                const double rkj = rho[k - j];
                const double a1 = std::sqrt((rj * rk * rk + rk * rj * rj) / (rk + rj));
                const double b1 = a1 * a1 / rj - rj;
                const double a2 = std::sqrt((rkj * rk * rk + rk * rkj * rkj) / (rk + rkj));
                const double b2 = a2 * a2 / rkj - rkj;
                if (turned((b1 + a2) / 2.0, (a1 + b2) / 2.0, phi)) return false;
            }
        }
    }
    for (int q = 1; q <= 4; ++q) {
        const double phi = static_cast<float>(q - 1) * pi_ / 2.0f;
        if (turned(R_, 0.0, phi)) return false;
        float angle = 0.0f;
        for (long long j = 1; j <= n - 1; ++j) {
            angle += dTheta_;
            if (turned(R_ * std::cos(angle), R_ * std::sin(angle), phi)) return false;
        }
    }

    progressMax(m_.MeshElementCount);
    long long e = 0;
    auto add = [&](long long a, long long b, long long c) {
        m_.MeshElementList[static_cast<std::size_t>(++e)] = element({a, b, c});
    };
    add(1, 2, 3);
    add(1, 3, 4);
    add(1, 4, 5);
    add(1, 5, 2);
    long long Si = 2;
    long long So = 6;
    for (long long k = 2; k <= n; ++k) {
        long long i = Si;
        long long o = So;
        for (int q = 1; q <= 4; ++q) {
            for (long long t = 1; t <= 2 * k - 1; ++t) {
                if (t % 2 == 1) {
                    add(i, o, o + 1);
                    ++o;
                } else {
                    add(i, o, i + 1);
                    ++i;
                }
                if (stopRequested()) return false;
            }
        }
        // The last two triangles close the ring onto its first nodes.
        m_.MeshElementList[static_cast<std::size_t>(e - 1)] = element({i - 1, o - 1, Si});
        m_.MeshElementList[static_cast<std::size_t>(e)] = element({o - 1, So, Si});
        Si = So;
        So += 4 * k;
    }
    return true;
}

void stopped() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

std::string valueText(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0.0f ? "infinity" : "-infinity";
    return rt::formatSingle(value);
}

// The net of the slab's shape and type; false when the user stopped it.
bool buildNet(PolarNet& net, std::int16_t shape, std::int16_t type) {
    if (shape == kDisk && type == 8) return net.fanDisk();
    if (shape == kDisk) return net.spokeDisk(type == 7);
    return net.annulus(type != 6);
}

// Builds the net of n divisions on trial, away from the mesher's net: 0 when
// every element has its corners apart (farther than the coincidence
// tolerance) and an area, 1 when two corners coincide at the centre of a disk
// (its innermost ring falls within the tolerance of the centre), 2 for any
// other element that fails, 3 when a distance or the tolerance lies past the
// largest Single (a slab so large that its drawing scale overflowed).
int polarSpacingFault(const Declar& d, std::int16_t divisions) {
    BasDelaunay trial;
    PolarNet net(trial, divisions, d.SlabLength / 2.0f, d.SlabWidth / 2.0f, true);
    buildNet(net, d.SlabShape, d.MeshType);
    const double tol = CoincidenceTolerance();
    const auto x = [&trial](std::int16_t n) { return static_cast<double>(trial.MeshNodeX[static_cast<std::size_t>(n)]); };
    const auto y = [&trial](std::int16_t n) { return static_cast<double>(trial.MeshNodeY[static_cast<std::size_t>(n)]); };
    const bool beyondSingle = !std::isfinite(static_cast<float>(tol));
    for (std::int32_t e = 1; e <= trial.MeshElementCount; ++e) {
        const NetElement& t = trial.MeshElementList[static_cast<std::size_t>(e)];
        const auto corner = [&t](std::int32_t k) {
            return t.Node[static_cast<std::size_t>((k + t.CornerCount - 1) % t.CornerCount + 1)];
        };
        for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
            const std::int16_t a = corner(k - 1), b = corner(k), c = corner(k + 1);
            // A distance or tolerance past the largest Single (a slab so
            // large that its drawing scale overflowed): the diameter is the
            // cause, not the tolerance.
            if (beyondSingle || !std::isfinite(static_cast<float>(x(b) - x(c))) ||
                !std::isfinite(static_cast<float>(y(b) - y(c))))
                return 3;
            const bool coincide = CloserThan(trial.MeshNodeX[static_cast<std::size_t>(b)], trial.MeshNodeX[static_cast<std::size_t>(c)], tol) &&
                                  CloserThan(trial.MeshNodeY[static_cast<std::size_t>(b)], trial.MeshNodeY[static_cast<std::size_t>(c)], tol);
            const double turn = (x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a));
            if (coincide || !(turn > 0.0)) return d.SlabShape == kDisk && (b == 1 || c == 1) ? 1 : 2;
        }
    }
    return 0;
}

// Refuses a net whose element corners would coincide or whose elements
// would have no area, naming the cause and the largest number of divisions
// below the one asked for that gives a whole net of this slab (none: the
// slab is too small or the ring too narrow for any).
void checkPolarSpacing(const Declar& d) {
    const int fault = polarSpacingFault(d, d.PolarDivisionCount);
    if (fault == 0) return;
    // The diameter is the cause, not the tolerance.
    if (fault == 3)
        rt::raise(5, LanguageTexts().GetText(quillon::TextNo(140383),
                                             {rt::Variant("|1"), rt::Variant(valueText(d.SlabLength))}));
    std::int16_t works = 0;
    for (std::int16_t n = static_cast<std::int16_t>(d.PolarDivisionCount - 1); n >= 1 && works == 0; --n)
        if (polarSpacingFault(d, n) == 0) works = n;
    const float inner = d.SlabShape == kDisk ? 0.0f : d.SlabWidth;
    const double tol = CoincidenceTolerance();
    const std::int32_t text = works == 0 ? 190090 : fault == 1 ? 190220 : 190221;
    rt::raise(5, LanguageTexts().GetText(quillon::TextNo(text),
                                         {rt::Variant("|1"), rt::Variant(std::to_string(d.PolarDivisionCount)),
                                          rt::Variant("|2"), rt::Variant(valueText(d.SlabLength)),
                                          rt::Variant("|3"), rt::Variant(valueText(inner)), rt::Variant("|4"),
                                          rt::Variant(valueText(static_cast<float>(tol))), rt::Variant("|5"),
                                          rt::Variant(std::to_string(works))}));
}

}  // namespace

void CheckPolarInput(std::int16_t slabShape, float slabLength, float slabWidth, std::int16_t divisions,
                     std::int16_t meshType) {
    if (meshType < 6 || meshType > 8)
        rt::raise(5, "A polar net needs mesh type 6, 7 or 8, not " + std::to_string(meshType) + ".");
    if (slabShape != kDisk && slabShape != kAnnulus)
        rt::raise(5, "A polar net needs a circular (2) or annular (5) slab, not slab shape " +
                         std::to_string(slabShape) + ".");
    if (divisions < 1)
        rt::raise(5, "A polar net needs at least 1 division, not " + std::to_string(divisions) + ".");
    const long long count = largestPolarCount(slabShape, meshType, divisions);
    if (count > kMaxNetCount)
        rt::raise(5, "A polar net of " + std::to_string(divisions) + " divisions would need " + std::to_string(count) +
                         " nodes or elements; a net holds at most 32767.");
    if (!(slabLength > 0.0f) || !std::isfinite(slabLength))
        rt::raise(5, "The outer diameter of a circular or annular slab must be above 0, not " + valueText(slabLength) +
                         ".");
    if (slabShape == kAnnulus && !(slabWidth > 0.0f && slabWidth < slabLength))
        rt::raise(5, "The inner diameter of an annular slab must lie between 0 and the outer diameter " +
                         valueText(slabLength) + ", not " + valueText(slabWidth) + ".");
}

void GeneratePolarMesh() {
    Declar& d = declar();
    CheckPolarInput(d.SlabShape, d.SlabLength, d.SlabWidth, d.PolarDivisionCount, d.MeshType);
    checkPolarSpacing(d);
    const std::int16_t type = d.MeshType;
    const float outer = d.SlabLength / 2.0f;
    const float inner = d.SlabWidth / 2.0f;
    d.MinAngle = 0.0f;
    forms::screen().MousePointer(11);

    BasDelaunay& m = basDelaunay();
    PolarNet net(m, d.PolarDivisionCount, outer, inner);
    if (!buildNet(net, d.SlabShape, type)) return stopped();

    BuildElementSideFlags(m.MeshElementList, OperationWaitWindow());
    if (mesher::StopRequested(false)) return stopped();
    if (type == 8) {
        SmoothMesh(3);
        if (mesher::StopRequested(false)) return stopped();
    }
    d.MeshType = 5;
    forms::screen().MousePointer(0);
}

}  // namespace orvelo
