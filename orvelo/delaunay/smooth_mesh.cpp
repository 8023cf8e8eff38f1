#include "orvelo/delaunay/smooth_mesh.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/model/declar.h"
#include "orvelo/delaunay/element_shape.h"
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

int cornersOf(const NetElement& element) {
    if (element.CornerCount > 4) rt::raise(9, "An element of the net has more than four corners.");
    return std::max(0, element.CornerCount);
}

// The neighbours of every node, empty for a held node, in the order the
// elements and their corners name them.
std::vector<std::vector<std::int16_t>> neighbourLists(const BasDelaunay& m) {
    const std::vector<bool> held = NodesHeldByFlags(m);
    std::vector<std::vector<std::int16_t>> neighbours(held.size());
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        const int count = cornersOf(t);
        for (int k = 1; k <= count; ++k) {
            const auto j = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            if (held[j]) continue;
            for (const int c : {k == 1 ? count : k - 1, k == count ? 1 : k + 1}) {
                const std::int16_t n = t.Node[static_cast<std::size_t>(c)];
                if (std::find(neighbours[j].begin(), neighbours[j].end(), n) == neighbours[j].end())
                    neighbours[j].push_back(n);
            }
        }
    }
    return neighbours;
}

// Moves node n to (x, y) when the elements at it keep their turn and the
// largest corner cosine among them does not grow (true); otherwise it stays.
// worst holds each element's largest corner cosine as the nodes stand. The
// cosines are asked first, from the element that refused the node's last
// move (first, updated), as they mostly decide.
bool moveIfNoWorse(BasDelaunay& m, const std::vector<std::int32_t>& elements, std::vector<double>& worst,
                   std::int16_t n, float x, float y, std::uint16_t& first, double cosT) {
    const auto k = static_cast<std::size_t>(n);
    const float wasX = m.MeshNodeX[k], wasY = m.MeshNodeY[k];
    if (x == wasX && y == wasY) return false;
    auto before = [&](std::int16_t v) {
        const auto i = static_cast<std::size_t>(v);
        return v == n ? std::pair<double, double>{wasX, wasY} : std::pair<double, double>{m.MeshNodeX[i], m.MeshNodeY[i]};
    };
    auto after = [&](std::int16_t v) {
        return v == n ? std::pair<double, double>{x, y} : before(v);
    };
    double worstBefore = -1.0;
    for (const std::int32_t e : elements) worstBefore = std::max(worstBefore, worst[static_cast<std::size_t>(e)]);
    static std::vector<double> made;
    made.resize(elements.size());
    const std::size_t count = elements.size();
    const std::size_t start = first < count ? first : 0;
    for (std::size_t i = start, done = 0; done < count; ++done, i = i + 1 == count ? 0 : i + 1) {
        made[i] = LargestCornerCosine(m.MeshElementList[static_cast<std::size_t>(elements[i])], after);
        if (made[i] > worstBefore) {
            first = static_cast<std::uint16_t>(i);
            return false;
        }
    }
    // Nor does the count of elements with an angle under theta grow.
    std::size_t underBefore = 0, underAfter = 0;
    for (std::size_t i = 0; i < count; ++i) {
        underBefore += worst[static_cast<std::size_t>(elements[i])] > cosT ? 1 : 0;
        underAfter += made[i] > cosT ? 1 : 0;
    }
    if (underAfter > underBefore) return false;
    for (const std::int32_t e : elements)
        if (!KeepsItsShape(m.MeshElementList[static_cast<std::size_t>(e)], before, after)) return false;
    m.MeshNodeX[k] = x;
    m.MeshNodeY[k] = y;
    for (std::size_t i = 0; i < elements.size(); ++i) worst[static_cast<std::size_t>(elements[i])] = made[i];
    return true;
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
    const std::vector<std::vector<std::int16_t>> neighbours = neighbourLists(m);
    std::vector<std::vector<std::int32_t>> elementsAt(static_cast<std::size_t>(nodes) + 1);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= cornersOf(t); ++k) {
            const auto j = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            if (j < elementsAt.size() && !neighbours[j].empty()) elementsAt[j].push_back(e);
        }
    }
    std::vector<double> worst(static_cast<std::size_t>(m.MeshElementCount) + 1, -1.0);
    const double cosT = CountedAngleCosine(declar().MinAngle);
    auto position = [&m](std::int16_t v) {
        return std::pair<double, double>{m.MeshNodeX[static_cast<std::size_t>(v)], m.MeshNodeY[static_cast<std::size_t>(v)]};
    };
    for (const auto& at : elementsAt)
        for (const std::int32_t e : at)
            worst[static_cast<std::size_t>(e)] = LargestCornerCosine(m.MeshElementList[static_cast<std::size_t>(e)], position);
    for (std::int32_t j = 1; j <= nodes; ++j) mesher::StopRequested(true);

    // A node that stayed in a pass stays in the next one too when no corner
    // of its elements has moved since that pass began: its new place and
    // everything the guard looks at are the same as then. The corners of
    // each node's elements (itself among them) in one list, the moves
    // counted: a node's count of its last move, a pass's count at its start.
    std::vector<std::int32_t> starStart(static_cast<std::size_t>(nodes) + 2, 0);
    std::vector<std::int16_t> star;
    for (std::int32_t j = 1; j <= nodes; ++j) {
        starStart[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(star.size());
        const std::size_t first = star.size();
        for (const std::int32_t e : elementsAt[static_cast<std::size_t>(j)]) {
            const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
            for (int k = 1; k <= cornersOf(t); ++k) {
                const std::int16_t v = t.Node[static_cast<std::size_t>(k)];
                if (std::find(star.begin() + static_cast<std::ptrdiff_t>(first), star.end(), v) == star.end()) star.push_back(v);
            }
        }
    }
    starStart[static_cast<std::size_t>(nodes) + 1] = static_cast<std::int32_t>(star.size());
    std::vector<std::uint32_t> movedAt(static_cast<std::size_t>(nodes) + 1, 0);
    std::vector<std::int32_t> stayedIn(static_cast<std::size_t>(nodes) + 1, 0);
    std::vector<std::uint16_t> firstTried(static_cast<std::size_t>(nodes) + 1, 0);
    std::uint32_t moves = 0;
    std::uint32_t lastPassStart = 0;

    for (std::int32_t pass = 1;; ++pass) {
        const std::uint32_t passStart = moves;
        showStatus(text(quillon::TextNo(100034)) + " ( " + std::to_string(pass) + text(quillon::TextNo(100039)) + " )!");
        mesher::StopRequested(false);
        mesher::SetProgressMax(3LL * nodes);
        const std::vector<float> oldX = m.MeshNodeX;
        const std::vector<float> oldY = m.MeshNodeY;
        for (std::int32_t j = 1; j <= nodes; ++j) mesher::StopRequested(true);
        // Each node's new place is the mean of its neighbours' old places;
        // the moves are then taken node by node in ascending order, each
        // only where the elements at the node keep their turn and their
        // smallest angle does not fall (otherwise the node stays), so the
        // smallest angle of the net never falls.
        for (std::int32_t j = 1; j <= nodes; ++j) {
            const std::vector<std::int16_t>& around = neighbours[static_cast<std::size_t>(j)];
            const auto jj = static_cast<std::size_t>(j);
            bool still = stayedIn[jj] == pass - 1 && pass > 1;
            for (std::int32_t i = starStart[jj]; still && i < starStart[jj + 1]; ++i)
                still = movedAt[static_cast<std::size_t>(star[static_cast<std::size_t>(i)])] <= lastPassStart;
            if (still) {
                stayedIn[jj] = pass;
            } else if (!around.empty()) {
                float sumX = 0.0f;
                float sumY = 0.0f;
                for (const std::int16_t n : around) {
                    sumX += oldX[static_cast<std::size_t>(n)];
                    sumY += oldY[static_cast<std::size_t>(n)];
                }
                if (moveIfNoWorse(m, elementsAt[jj], worst, static_cast<std::int16_t>(j), sumX / static_cast<float>(around.size()),
                                  sumY / static_cast<float>(around.size()), firstTried[jj], cosT))
                    movedAt[jj] = ++moves;
                else
                    stayedIn[jj] = pass;
            }
            mesher::StopRequested(true);
        }
        bool moved = false;
        for (std::int32_t j = 1; j <= nodes && !moved; ++j) {
            const double tol = CoincidenceTolerance();
            const auto jj = static_cast<std::size_t>(j);
            if (std::fabs(static_cast<double>(oldX[jj]) - m.MeshNodeX[jj]) > tol ||
                std::fabs(static_cast<double>(oldY[jj]) - m.MeshNodeY[jj]) > tol)
                moved = true;
            else
                mesher::StopRequested(true);
        }
        if (!moved || pass >= maxPasses) return;
        lastPassStart = passStart;
    }
}

}  // namespace

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
