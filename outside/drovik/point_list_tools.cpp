#include "outside/drovik/point_list_tools.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "orvelo/model/net.h"
#include "outside/drovik/plane_geometry.h"
#include "platform/runtime/errors.h"

namespace drovik {

namespace {

// Error 9 unless a 1-based list holds entries 1..count.
template <class T>
void requireEntries(const std::vector<T>& list, long count, const char* member, const char* name) {
    if (count >= 0 && list.size() < static_cast<std::size_t>(count) + 1)
        rt::raise(9, std::string(member) + ": the list " + name + " has no entry " +
                         std::to_string(count));
}

void requireNode(std::int16_t node, std::int16_t nodeCount, const char* member) {
    if (node < 1 || node > nodeCount)
        rt::raise(9, std::string(member) + ": node " + std::to_string(node) + " is not one of 1.." +
                         std::to_string(nodeCount));
}

}  // namespace

void ClsPointListTools::PointInPolygon(std::int16_t count, const std::vector<float>& xs,
                                       const std::vector<float>& ys, float x, float y,
                                       std::int16_t& inside) const {
    requireEntries(xs, count, "PointInPolygon", "xs");
    requireEntries(ys, count, "PointInPolygon", "ys");
    std::vector<double> px(xs.begin() + 1, xs.begin() + 1 + std::max<int>(count, 0));
    std::vector<double> py(ys.begin() + 1, ys.begin() + 1 + std::max<int>(count, 0));
    inside = geometry::pointInClosedPolygon(px.data(), py.data(), count, x, y) ? -1 : 0;
}

void ClsPointListTools::LayoutLines(std::int16_t count, const std::vector<float>& xs,
                                    const std::vector<float>& ys,
                                    std::vector<std::int16_t>& work) const {
    requireEntries(xs, count, "LayoutLines", "xs");
    requireEntries(ys, count, "LayoutLines", "ys");
    const int n = std::max<int>(count, 0);
    if (work.size() < static_cast<std::size_t>(n) + 1) work.resize(static_cast<std::size_t>(n) + 1);
    double twiceArea = 0.0;
    for (int i = 1; i <= n; ++i) {
        const int j = i == n ? 1 : i + 1;
        twiceArea += static_cast<double>(xs[i]) * ys[j] - static_cast<double>(xs[j]) * ys[i];
    }
    work[0] = twiceArea > 0.0 ? 1 : twiceArea < 0.0 ? -1 : 0;
    for (int i = 1; i <= n; ++i)
        work[i] = static_cast<std::int16_t>(work[0] < 0 ? n + 1 - i : i);
}

void ClsPointListTools::SegmentRelation(float ax, float ay, float bx, float by, float cx,
                                        float cy, float dx, float dy, std::int16_t& code,
                                        float& first, float& second) const {
    const geometry::SegmentRelationResult result =
        geometry::segmentRelation(ax, ay, bx, by, cx, cy, dx, dy);
    code = result.code;
    first = static_cast<float>(result.first);
    second = static_cast<float>(result.second);
}

void ClsPointListTools::ReducePointList(std::int16_t& count, std::vector<float>& xs,
                                        std::vector<float>& ys) const {
    if (count < 3) return;
    requireEntries(xs, count, "ReducePointList", "xs");
    requireEntries(ys, count, "ReducePointList", "ys");
    int bestI = 1;
    int bestJ = 2;
    double bestDistance = -1.0;
    for (int i = 1; i < count; ++i) {
        for (int j = i + 1; j <= count; ++j) {
            const double distance = std::hypot(static_cast<double>(xs[j]) - xs[i],
                                               static_cast<double>(ys[j]) - ys[i]);
            if (distance > bestDistance) {
                bestDistance = distance;
                bestI = i;
                bestJ = j;
            }
        }
    }
    const float x1 = xs[bestI], y1 = ys[bestI], x2 = xs[bestJ], y2 = ys[bestJ];
    xs[1] = x1;
    ys[1] = y1;
    xs[2] = x2;
    ys[2] = y2;
    count = 2;
}

void ClsPointListTools::DeriveMemberData(
    std::int16_t& pairCount, std::vector<std::int16_t>& pairFirst,
    std::vector<std::int16_t>& pairSecond, std::vector<std::int16_t>& memberEdgeCount,
    std::int16_t& partlyCovered, std::int16_t nodeCount, const std::vector<float>& nodeX,
    const std::vector<float>& nodeY, std::int16_t memberCount, std::int16_t /*propertySetCount*/,
    const std::vector<std::int16_t>& memberStartNode, const std::vector<std::int16_t>& memberEndNode,
    const std::vector<std::int16_t>& /*memberPropertySet*/, std::int16_t netEdgeCount,
    const std::vector<std::int16_t>& netEdgeStart, const std::vector<std::int16_t>& netEdgeEnd,
    const std::vector<std::int16_t>& /*netEdgeSection*/) const {
    const char* member = "DeriveMemberData";
    requireEntries(nodeX, nodeCount, member, "NodeX");
    requireEntries(nodeY, nodeCount, member, "NodeY");
    requireEntries(memberStartNode, memberCount, member, "MemberStartNode");
    requireEntries(memberEndNode, memberCount, member, "MemberEndNode");
    requireEntries(netEdgeStart, netEdgeCount, member, "NetEdgeStart");
    requireEntries(netEdgeEnd, netEdgeCount, member, "NetEdgeEnd");
    for (int k = 1; k <= netEdgeCount; ++k) {
        requireNode(netEdgeStart[k], nodeCount, member);
        requireNode(netEdgeEnd[k], nodeCount, member);
    }

    std::vector<std::int16_t> first(1, 0);
    std::vector<std::int16_t> second(1, 0);
    std::vector<std::int16_t> edgesOnMember(static_cast<std::size_t>(std::max<int>(memberCount, 0)) + 1, 0);
    std::int16_t partly = 0;
    for (int m = 1; m <= memberCount; ++m) {
        const std::int16_t s = memberStartNode[m];
        const std::int16_t e = memberEndNode[m];
        requireNode(s, nodeCount, member);
        requireNode(e, nodeCount, member);
        const double memberLength = std::hypot(static_cast<double>(nodeX[e]) - nodeX[s],
                                               static_cast<double>(nodeY[e]) - nodeY[s]);
        double covered = 0.0;
        for (int k = 1; k <= netEdgeCount; ++k) {
            const std::int16_t p = netEdgeStart[k];
            const std::int16_t q = netEdgeEnd[k];
            const geometry::SegmentRelationResult relation = geometry::segmentRelation(
                nodeX[s], nodeY[s], nodeX[e], nodeY[e], nodeX[p], nodeY[p], nodeX[q], nodeY[q]);
            if (relation.code != geometry::kSegmentOnSegment) continue;
            if (first.size() > static_cast<std::size_t>(orvelo::kMaxNetCount))
                rt::raise(6, "DeriveMemberData: more than 32767 member-edge pairs");
            first.push_back(static_cast<std::int16_t>(m));
            second.push_back(static_cast<std::int16_t>(k));
            ++edgesOnMember[m];
            covered += std::hypot(static_cast<double>(nodeX[q]) - nodeX[p],
                                  static_cast<double>(nodeY[q]) - nodeY[p]);
        }
        if (covered < memberLength * (1.0 - geometry::kSegmentTolerance)) ++partly;
    }
    pairCount = static_cast<std::int16_t>(first.size() - 1);
    pairFirst = std::move(first);
    pairSecond = std::move(second);
    memberEdgeCount = std::move(edgesOnMember);
    partlyCovered = partly;
}

}  // namespace drovik
