#include "orvelo/delaunay/smooth_mesh.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <exception>
#include <string>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/model/declar.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/kept_room.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

void showStatus(const std::string& text) {
    if (drovik::ClsWaitWindow* window = OperationWaitWindow()) window->StatusText(text);
}

std::string text(std::int32_t number) { return LanguageTexts().GetText(rt::Variant(number)); }

[[noreturn]] void tooManyCorners() { rt::raise(9, "An element of the net has more than four corners."); }

inline int cornersOf(const NetElement& element) {
    if (element.CornerCount > 4) [[unlikely]] tooManyCorners();
    return std::max(0, element.CornerCount);
}

// The net around each free node, in flat lists: the elements at node j are
// elements[elementStart[j] .. elementStart[j + 1]) in ascending order, its
// neighbours likewise in neighbours (the corners before and after it, in
// the order its elements and their corners name them, each once), the
// corners of its elements (itself among them, each once, in any order) in
// star. A held node has none of them.
struct Stars {
    std::vector<std::int32_t>& elementStart = KeptList<std::int32_t, 20>();
    std::vector<std::int32_t>& elements = KeptList<std::int32_t, 21>();
    std::vector<std::int32_t>& neighbourStart = KeptList<std::int32_t, 22>();
    std::vector<std::int16_t>& neighbours = KeptList<std::int16_t, 20>();
    std::vector<std::int32_t>& starStart = KeptList<std::int32_t, 23>();
    std::vector<std::int16_t>& star = KeptList<std::int16_t, 21>();
    // Beside each entry of elements, the element's next two corners after
    // the node when it is a triangle, 0 and 0 otherwise.
    std::vector<std::int16_t>& following = KeptList<std::int16_t, 22>();
    // 1 where all elements at the node are triangles.
    std::vector<std::uint8_t>& onlyTriangles = KeptList<std::uint8_t, 20>();
};

Stars starsOf(const BasDelaunay& m) {
    const std::vector<bool> held = NodesHeldByFlags(m);
    const auto nodes = static_cast<std::size_t>(m.MeshNodeCount);
    Stars s;
    s.elementStart.assign(nodes + 2, 0);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        const int count = cornersOf(t);
        for (int k = 1; k <= count; ++k) {
            const auto j = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            if (j <= nodes && !held[j]) ++s.elementStart[j + 1];
        }
    }
    for (std::size_t j = 1; j < s.elementStart.size(); ++j) s.elementStart[j] += s.elementStart[j - 1];
    s.elements.resize(static_cast<std::size_t>(s.elementStart.back()));
    std::vector<std::int32_t>& next = KeptList<std::int32_t, 24>();
    next.assign(s.elementStart.begin(), s.elementStart.end() - 1);
    s.following.assign(2 * s.elements.size(), 0);
    s.onlyTriangles.assign(nodes + 1, 1);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        const int count = cornersOf(t);
        for (int k = 1; k <= count; ++k) {
            const auto j = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            if (j > nodes || held[j]) continue;
            const auto at = static_cast<std::size_t>(next[j]++);
            s.elements[at] = e;
            if (count != 3) {
                s.onlyTriangles[j] = 0;
                continue;
            }
            s.following[2 * at] = t.Node[static_cast<std::size_t>(k % 3 + 1)];
            s.following[2 * at + 1] = t.Node[static_cast<std::size_t>((k + 1) % 3 + 1)];
        }
    }
    s.neighbourStart.assign(nodes + 2, 0);
    s.starStart.assign(nodes + 2, 0);
    s.neighbours.clear();
    s.star.clear();
    s.neighbours.reserve(s.elements.size() + nodes);
    s.star.reserve(s.elements.size() + 2 * nodes);
    // A corner is in node j's lists once: its mark is j once it is.
    std::vector<std::uint32_t>& inStar = KeptList<std::uint32_t, 20>();
    std::vector<std::uint32_t>& inNeighbours = KeptList<std::uint32_t, 21>();
    inStar.assign(nodes + 1, 0);
    inNeighbours.assign(nodes + 1, 0);
    for (std::size_t j = 1; j <= nodes; ++j) {
        s.neighbourStart[j] = static_cast<std::int32_t>(s.neighbours.size());
        s.starStart[j] = static_cast<std::int32_t>(s.star.size());
        const auto mark = static_cast<std::uint32_t>(j);
        if (s.onlyTriangles[j] != 0) {
            // From the corners after the node: the one before it, then the
            // one after it, are its neighbours (each written, and kept when
            // new); the star is the node and its neighbours.
            const std::int32_t first = s.elementStart[j], last = s.elementStart[j + 1];
            if (first == last) continue;
            std::size_t listed = s.neighbours.size();
            s.neighbours.resize(listed + 2 * static_cast<std::size_t>(last - first));
            std::int16_t* out = s.neighbours.data();
            for (std::int32_t i = first; i < last; ++i)
                for (const std::int16_t v : {s.following[2 * static_cast<std::size_t>(i) + 1], s.following[2 * static_cast<std::size_t>(i)]}) {
                    std::uint32_t& seen = inNeighbours[static_cast<std::size_t>(v)];
                    out[listed] = v;
                    listed += seen != mark ? 1 : 0;
                    seen = mark;
                }
            s.neighbours.resize(listed);
            s.star.push_back(static_cast<std::int16_t>(j));
            s.star.insert(s.star.end(), s.neighbours.begin() + s.neighbourStart[j], s.neighbours.end());
            continue;
        }
        for (std::int32_t i = s.elementStart[j]; i < s.elementStart[j + 1]; ++i) {
            const NetElement& t = m.MeshElementList[static_cast<std::size_t>(s.elements[static_cast<std::size_t>(i)])];
            const int count = cornersOf(t);
            for (int k = 1; k <= count; ++k) {
                const std::int16_t v = t.Node[static_cast<std::size_t>(k)];
                std::uint32_t& starred = inStar[static_cast<std::size_t>(v)];
                if (starred != mark) starred = mark, s.star.push_back(v);
                if (static_cast<std::size_t>(v) != j) continue;
                for (const int c : {k == 1 ? count : k - 1, k == count ? 1 : k + 1}) {
                    const std::int16_t n = t.Node[static_cast<std::size_t>(c)];
                    std::uint32_t& listed = inNeighbours[static_cast<std::size_t>(n)];
                    if (listed != mark) listed = mark, s.neighbours.push_back(n);
                }
            }
        }
    }
    s.neighbourStart[nodes + 1] = static_cast<std::int32_t>(s.neighbours.size());
    s.starStart[nodes + 1] = static_cast<std::int32_t>(s.star.size());
    return s;
}

// The elements at one node (ascending).
struct ElementSpan {
    const std::int32_t* first;
    const std::int32_t* last;
    const std::int32_t* begin() const { return first; }
    const std::int32_t* end() const { return last; }
    std::size_t size() const { return static_cast<std::size_t>(last - first); }
    std::int32_t operator[](std::size_t i) const { return first[i]; }
};

// Whether the elements at a node (cosines worst before, made after) may
// change so; before and after: how many of them are under theta.
bool guardAllows(const UnderThetaGuard& under, ElementSpan elements, const std::vector<double>& worst,
                 const std::vector<double>& made, std::int64_t& before, std::int64_t& after) {
    before = after = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        before += worst[static_cast<std::size_t>(elements[i])] > under.cosine ? 1 : 0;
        after += made[i] > under.cosine ? 1 : 0;
    }
    return under.allows(before, after);
}

// A place as the shape tests take it.
struct Place {
    double x, y;
};

// The cosine of corner b (between a before it and c after it); false for a
// side of length 0.
inline bool cornerCosine(const Place& a, const Place& b, const Place& c, double& largest) {
    const double ux = a.x - b.x, uy = a.y - b.y;
    const double vx = c.x - b.x, vy = c.y - b.y;
    const double lengths = (ux * ux + uy * uy) * (vx * vx + vy * vy);
    if (!(lengths > 0.0)) return false;
    largest = std::max(largest, (ux * vx + uy * vy) / std::sqrt(lengths));
    return true;
}

// LargestCornerCosine of the triangle (j, p, q) (the same number for
// number, whichever corner comes first): each side's squared
// length, asked once, serves both its corners (a difference and its negation
// square alike), the three quotients are taken two at a time.
inline double triangleCosine(const Place& j, const Place& p, const Place& q) {
    const double jpX = p.x - j.x, jpY = p.y - j.y;  // j to p
    const double pqX = q.x - p.x, pqY = q.y - p.y;  // p to q
    const double qjX = j.x - q.x, qjY = j.y - q.y;  // q to j
    const double jp = jpX * jpX + jpY * jpY, pq = pqX * pqX + pqY * pqY, qj = qjX * qjX + qjY * qjY;
    // At j: to q and to p; at p: to j and to q; at q: to p and to j.
    const double atJ = qj * jp, atP = jp * pq, atQ = pq * qj;
    if (!(atJ > 0.0) || !(atP > 0.0) || !(atQ > 0.0)) return 1.0;
    const double dotJ = (q.x - j.x) * (p.x - j.x) + (q.y - j.y) * (p.y - j.y);
    const double dotP = (j.x - p.x) * (q.x - p.x) + (j.y - p.y) * (q.y - p.y);
    const double dotQ = (p.x - q.x) * (j.x - q.x) + (p.y - q.y) * (j.y - q.y);
#if defined(__SSE2__)
    const __m128d two = _mm_div_pd(_mm_set_pd(dotP, dotJ), _mm_sqrt_pd(_mm_set_pd(atP, atJ)));
    const double one = dotQ / std::sqrt(atQ);
    double pair[2];
    _mm_storeu_pd(pair, two);
    return std::max(std::max(std::max(-1.0, pair[0]), pair[1]), one);
#else
    return std::max(std::max(std::max(-1.0, dotJ / std::sqrt(atJ)), dotP / std::sqrt(atP)), dotQ / std::sqrt(atQ));
#endif
}

inline double turn(const Place& a, const Place& b, const Place& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// KeepsItsShape of the triangle (j, p, q) when j moves from was to is.
inline bool triangleKeepsItsShape(const Place& was, const Place& is, const Place& p, const Place& q) {
    auto keeps = [](double turnWas, double turnIs) {
        return turnWas == 0.0 || ((turnIs > 0.0) == (turnWas > 0.0) && !(std::fabs(turnIs) < 1e-3 * std::fabs(turnWas)));
    };
    return keeps(turn(q, was, p), turn(q, is, p)) && keeps(turn(was, p, q), turn(is, p, q)) &&
           keeps(turn(p, q, was), turn(p, q, is));
}

// Moves node n to (x, y) when the elements at it keep their turn and the
// largest corner cosine among them does not grow (true); otherwise it stays.
// worst holds each element's largest corner cosine as the nodes stand;
// cosineAfter(i) gives that of the node's i-th element after the move,
// keepsShape(i) whether it keeps its turn. The cosines are asked first,
// from the element that refused the node's last move (first, updated), as
// they mostly decide.
template <class CosineAfter, class KeepsShape>
bool moveIfNoWorse(BasDelaunay& m, ElementSpan elements, std::vector<double>& worst, std::int16_t n, float x, float y,
                   std::uint16_t& first, UnderThetaGuard& under, CosineAfter cosineAfter, KeepsShape keepsShape) {
    const auto k = static_cast<std::size_t>(n);
    if (x == m.MeshNodeX[k] && y == m.MeshNodeY[k]) return false;
    double worstBefore = -1.0;
    for (const std::int32_t e : elements) worstBefore = std::max(worstBefore, worst[static_cast<std::size_t>(e)]);
    std::vector<double>& made = KeptList<double, 21>();
    made.resize(elements.size());
    const std::size_t count = elements.size();
    const std::size_t start = first < count ? first : 0;
    for (std::size_t i = start, done = 0; done < count; ++done, i = i + 1 == count ? 0 : i + 1) {
        made[i] = cosineAfter(i);
        if (made[i] > worstBefore) {
            first = static_cast<std::uint16_t>(i);
            return false;
        }
    }
    // Nor does the count of elements with an angle under theta grow.
    std::int64_t underBefore = 0, underAfter = 0;
    if (!guardAllows(under, elements, worst, made, underBefore, underAfter)) return false;
    for (std::size_t i = 0; i < count; ++i)
        if (!keepsShape(i)) return false;
    under.take(underBefore, underAfter);
    m.MeshNodeX[k] = x;
    m.MeshNodeY[k] = y;
    for (std::size_t i = 0; i < count; ++i) worst[static_cast<std::size_t>(elements[i])] = made[i];
    return true;
}

// The move of a node whose elements are all triangles, given by their
// corners after it (following).
bool moveInTrianglesIfNoWorse(BasDelaunay& m, ElementSpan elements, const std::int16_t* following,
                              std::vector<double>& worst, std::int16_t n, float x, float y, std::uint16_t& first,
                              UnderThetaGuard& under) {
    const float* nodeX = m.MeshNodeX.data();
    const float* nodeY = m.MeshNodeY.data();
    auto place = [&](std::int16_t v) { return Place{nodeX[static_cast<std::size_t>(v)], nodeY[static_cast<std::size_t>(v)]}; };
    const Place was = place(n), is{x, y};
    return moveIfNoWorse(
        m, elements, worst, n, x, y, first, under,
        [&](std::size_t i) { return triangleCosine(is, place(following[2 * i]), place(following[2 * i + 1])); },
        [&](std::size_t i) { return triangleKeepsItsShape(was, is, place(following[2 * i]), place(following[2 * i + 1])); });
}

// The move of any other node.
bool moveAnyIfNoWorse(BasDelaunay& m, ElementSpan elements, std::vector<double>& worst, std::int16_t n, float x, float y,
                      std::uint16_t& first, UnderThetaGuard& under) {
    const auto k = static_cast<std::size_t>(n);
    const float wasX = m.MeshNodeX[k], wasY = m.MeshNodeY[k];
    auto before = [&](std::int16_t v) {
        const auto i = static_cast<std::size_t>(v);
        return v == n ? std::pair<double, double>{wasX, wasY} : std::pair<double, double>{m.MeshNodeX[i], m.MeshNodeY[i]};
    };
    auto after = [&](std::int16_t v) { return v == n ? std::pair<double, double>{x, y} : before(v); };
    auto element = [&](std::size_t i) -> const NetElement& { return m.MeshElementList[static_cast<std::size_t>(elements[i])]; };
    return moveIfNoWorse(
        m, elements, worst, n, x, y, first, under, [&](std::size_t i) { return LargestCornerCosine(element(i), after); },
        [&](std::size_t i) { return KeepsItsShape(element(i), before, after); });
}

// What the last smoothing that counted the whole net left: the count before
// it and the net it left, in short.
struct CountedSmoothing {
    double cosine = 2.0;
    std::int64_t before = -1;
    std::uint64_t net = 0;
};
CountedSmoothing lastCounted;

// The mesher net in short: its counts, node places and element corners.
std::uint64_t netFingerprint(const BasDelaunay& m) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const void* data, std::size_t bytes) {
        const auto* c = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < bytes; ++i) h = (h ^ c[i]) * 1099511628211ull;
    };
    const auto nodes = std::min(static_cast<std::size_t>(std::max(0, static_cast<int>(m.MeshNodeCount))) + 1,
                                std::min(m.MeshNodeX.size(), m.MeshNodeY.size()));
    const std::int32_t counts[2] = {m.MeshNodeCount, m.MeshElementCount};
    mix(counts, sizeof counts);
    mix(m.MeshNodeX.data(), nodes * sizeof(float));
    mix(m.MeshNodeY.data(), nodes * sizeof(float));
    for (std::int32_t e = 1; e <= m.MeshElementCount && static_cast<std::size_t>(e) < m.MeshElementList.size(); ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        mix(&t.CornerCount, sizeof t.CornerCount);
        mix(t.Node.data(), t.Node.size() * sizeof t.Node[0]);
    }
    return h;
}

void smooth(std::int16_t maxPasses) {
    BasDelaunay& m = basDelaunay();
    // The run state is left as it is: a stop noticed here or earlier in the
    // run (which sets state 3) must still end the run unsaved.
    showStatus(text(quillon::TextNo(100034)) + "!");
    if (mesher::StopRequested(false)) return;

    const std::int32_t nodes = m.MeshNodeCount;
    if (m.MeshNodeX.size() <= static_cast<std::size_t>(nodes) || m.MeshNodeY.size() <= static_cast<std::size_t>(nodes) ||
        m.MeshElementList.size() <= static_cast<std::size_t>(m.MeshElementCount))
        rt::raise(9, "The net holds fewer nodes or elements than its counts say.");
    mesher::SetProgressMax(nodes);
    const Stars stars = starsOf(m);
    auto elementsAt = [&stars](std::size_t j) {
        const std::int32_t* at = stars.elements.data();
        return ElementSpan{at + stars.elementStart[j], at + stars.elementStart[j + 1]};
    };
    std::vector<double>& worst = KeptList<double, 20>();
    worst.assign(static_cast<std::size_t>(m.MeshElementCount) + 1, -1.0);
    UnderThetaGuard under(declar().MinAngle);
    auto position = [&m](std::int16_t v) {
        return std::pair<double, double>{m.MeshNodeX[static_cast<std::size_t>(v)], m.MeshNodeY[static_cast<std::size_t>(v)]};
    };
    auto place = [&m](std::int16_t v) {
        return Place{m.MeshNodeX[static_cast<std::size_t>(v)], m.MeshNodeY[static_cast<std::size_t>(v)]};
    };
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        worst[static_cast<std::size_t>(e)] = t.CornerCount == 3 ? triangleCosine(place(t.Node[1]), place(t.Node[2]), place(t.Node[3]))
                                                                : LargestCornerCosine(t, position);
    }
    if (under.wholeNet) {
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) under.limit += worst[static_cast<std::size_t>(e)] > under.cosine ? 1 : 0;
        under.count = under.limit;
    }
    lastCounted = CountedSmoothing{};
    // Whichever pass ends it, the count before is kept with the net left.
    struct Record {
        const UnderThetaGuard& under;
        const BasDelaunay& m;
        ~Record() {
            if (under.wholeNet) lastCounted = CountedSmoothing{under.cosine, under.limit, netFingerprint(m)};
        }
    } record{under, m};
    mesher::StepsDone(nodes);

    // A node that stayed in a pass stays in the next one too when no corner
    // of its elements has moved since that pass began: its new place and
    // everything the guard looks at are the same as then. The moves are
    // counted: a pass's count at its start, and for each node the count of
    // the last move of a corner of its elements (a move marks the corners
    // of the mover's elements, as sharing an element goes both ways).
    std::vector<std::uint32_t>& lastMoveAround = KeptList<std::uint32_t, 22>();
    std::vector<std::int32_t>& stayedIn = KeptList<std::int32_t, 25>();
    std::vector<std::uint16_t>& firstTried = KeptList<std::uint16_t, 20>();
    lastMoveAround.assign(static_cast<std::size_t>(nodes) + 1, 0);
    stayedIn.assign(static_cast<std::size_t>(nodes) + 1, 0);
    firstTried.assign(static_cast<std::size_t>(nodes) + 1, 0);
    std::uint32_t moves = 0;
    std::uint32_t lastPassStart = 0;
    std::vector<float>& oldX = KeptList<float, 20>();
    std::vector<float>& oldY = KeptList<float, 21>();

    for (std::int32_t pass = 1;; ++pass) {
        const std::uint32_t passStart = moves;
        showStatus(text(quillon::TextNo(100034)) + " ( " + std::to_string(pass) + text(quillon::TextNo(100039)) + " )!");
        mesher::StopRequested(false);
        mesher::SetProgressMax(3LL * nodes);
        oldX.assign(m.MeshNodeX.begin(), m.MeshNodeX.end());
        oldY.assign(m.MeshNodeY.begin(), m.MeshNodeY.end());
        mesher::StepsDone(nodes);
        // Each node's new place is the mean of its neighbours' old places;
        // the moves are then taken node by node in ascending order, each
        // only where the elements at the node keep their turn and their
        // smallest angle does not fall (otherwise the node stays), so the
        // smallest angle of the net never falls.
        for (std::int32_t j = 1; j <= nodes; ++j) {
            const auto jj = static_cast<std::size_t>(j);
            const std::int32_t aroundFirst = stars.neighbourStart[jj], aroundLast = stars.neighbourStart[jj + 1];
            if (stayedIn[jj] == pass - 1 && pass > 1 && lastMoveAround[jj] <= lastPassStart) {
                stayedIn[jj] = pass;
            } else if (aroundFirst < aroundLast) {
                float sumX = 0.0f;
                float sumY = 0.0f;
                for (std::int32_t i = aroundFirst; i < aroundLast; ++i) {
                    const auto n = static_cast<std::size_t>(stars.neighbours[static_cast<std::size_t>(i)]);
                    sumX += oldX[n];
                    sumY += oldY[n];
                }
                const auto count = static_cast<float>(aroundLast - aroundFirst);
                const bool moved =
                    stars.onlyTriangles[jj] != 0
                        ? moveInTrianglesIfNoWorse(m, elementsAt(jj), stars.following.data() + 2 * stars.elementStart[jj], worst,
                                                   static_cast<std::int16_t>(j), sumX / count, sumY / count, firstTried[jj], under)
                        : moveAnyIfNoWorse(m, elementsAt(jj), worst, static_cast<std::int16_t>(j), sumX / count, sumY / count,
                                           firstTried[jj], under);
                if (moved) {
                    ++moves;
                    for (std::int32_t i = stars.starStart[jj]; i < stars.starStart[jj + 1]; ++i)
                        lastMoveAround[static_cast<std::size_t>(stars.star[static_cast<std::size_t>(i)])] = moves;
                } else {
                    stayedIn[jj] = pass;
                }
            }
        }
        mesher::StepsDone(nodes);
        // The settling test: the first node that moved by more than the
        // tolerance starts the next pass; the nodes before it advance the
        // progress.
        bool moved = false;
        std::int32_t settled = 0;
        const double tol = CoincidenceTolerance();
        for (std::int32_t j = 1; j <= nodes && !moved; ++j) {
            const auto jj = static_cast<std::size_t>(j);
            if (std::fabs(static_cast<double>(oldX[jj]) - m.MeshNodeX[jj]) > tol ||
                std::fabs(static_cast<double>(oldY[jj]) - m.MeshNodeY[jj]) > tol)
                moved = true;
            else
                ++settled;
        }
        mesher::StepsDone(settled);
        if (!moved || pass >= maxPasses) return;
        lastPassStart = passStart;
    }
}

}  // namespace

std::int64_t UnderThetaBeforeSmoothing(double cosine) {
    return lastCounted.before >= 0 && lastCounted.cosine == cosine && lastCounted.net == netFingerprint(basDelaunay())
               ? lastCounted.before
               : -1;
}

void SmoothMesh(std::int16_t maxPasses) {
    try {
        smooth(maxPasses);
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answers is a fault of a test
    } catch (const std::exception&) {
        HandleError();
    }
}

}  // namespace orvelo
