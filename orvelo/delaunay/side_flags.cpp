#include "orvelo/delaunay/side_flags.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr std::int32_t kOuter = halvex::OuterSide;
constexpr std::int32_t kInner = halvex::InnerSide;
constexpr std::int32_t kRepeated = halvex::RepeatedSide;

// One corner of an element and the side from it to the next corner: its
// nodes, the lower first (compared signed), each read as 16 bits, in the
// upper and lower half of `side`; `at` is element x 4 + corner - 1.
struct Occurrence {
    std::uint32_t side;
    std::uint32_t at;
};

// The pairwise matching of one side's occurrences, given in element and
// corner order: the first still-outer occurrence is shared with the first
// still-outer one of each later element, and so on.
void matchSide(std::vector<NetElement>& elements, const Occurrence* const* group, std::size_t count) {
    auto flagOf = [&elements](const Occurrence* o) -> std::int32_t& {
        return elements[o->at >> 2].Flag[(o->at & 3u) + 1];
    };
    if (count == 2) {
        if ((group[0]->at >> 2) == (group[1]->at >> 2)) return;
        std::int32_t& first = flagOf(group[0]);
        std::int32_t& later = flagOf(group[1]);
        later = (later & ~kOuter) | kRepeated;
        first = (first & ~kOuter) | kInner;
        return;
    }
    for (std::size_t x = 0; x + 1 < count; ++x) {
        std::int32_t& first = flagOf(group[x]);
        if ((first & kOuter) == 0) continue;
        std::uint32_t lastMatched = group[x]->at >> 2;
        for (std::size_t y = x + 1; y < count; ++y) {
            if ((group[y]->at >> 2) == lastMatched) continue;
            std::int32_t& later = flagOf(group[y]);
            if ((later & kOuter) == 0) continue;
            later = (later & ~kOuter) | kRepeated;
            first = (first & ~kOuter) | kInner;
            lastMatched = group[y]->at >> 2;
        }
    }
}

void buildFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow) {
    const std::size_t n = elements.size() - 1;
    if (n == 0) return;
    if (waitWindow != nullptr) {
        waitWindow->StatusText(LanguageTexts().GetText(rt::Variant(quillon::TextNo(100033))));
        waitWindow->ProgressMax(static_cast<std::int32_t>(n));
    }
    // Every side an outer side, and the occurrences of the sides in element
    // and corner order.
    std::vector<Occurrence> occurrences;
    occurrences.reserve(n * 3);
    std::uint32_t highestLower = 0;
    for (std::size_t e = 1; e <= n; ++e) {
        NetElement& element = elements[e];
        if (element.CornerCount > 4) rt::raise(9, "An element of the net has more than four corners.");
        for (int k = 1; k <= element.CornerCount; ++k) {
            std::int32_t& flag = element.Flag[static_cast<std::size_t>(k)];
            flag = (flag & ~(kInner | kRepeated)) | kOuter;
            const int next = k + 1 > element.CornerCount ? 1 : k + 1;
            std::int32_t a = element.Node[static_cast<std::size_t>(k)];
            std::int32_t b = element.Node[static_cast<std::size_t>(next)];
            if (a > b) std::swap(a, b);
            const std::uint32_t lower = static_cast<std::uint16_t>(a);
            highestLower = std::max(highestLower, lower);
            occurrences.push_back({(lower << 16) | static_cast<std::uint16_t>(b),
                                   static_cast<std::uint32_t>(e * 4 + static_cast<std::size_t>(k - 1))});
        }
    }
    // Grouped by the lower node, element order kept: a stable counting sort.
    std::vector<std::uint32_t> end(static_cast<std::size_t>(highestLower) + 2, 0u);
    for (const Occurrence& o : occurrences) ++end[(o.side >> 16) + 1];
    for (std::size_t d = 1; d < end.size(); ++d) end[d] += end[d - 1];
    const std::unique_ptr<Occurrence[]> byLower(new Occurrence[occurrences.size()]);
    for (const Occurrence& o : occurrences) byLower[end[o.side >> 16]++] = o;
    // Now end[d] is where the run of node d ends. Within a run the sides
    // are told apart by their upper node: a few by looking, many by a
    // stable sort.
    constexpr std::size_t kLookedOver = 32;
    std::vector<const Occurrence*> group;
    std::size_t from = 0;
    for (std::size_t d = 0; d + 1 < end.size(); ++d) {
        const std::size_t to = end[d];
        const std::size_t size = to - from;
        if (size > kLookedOver) {
            std::stable_sort(&byLower[from], &byLower[from] + size,
                             [](const Occurrence& p, const Occurrence& q) { return p.side < q.side; });
            for (std::size_t i = from; i < to;) {
                group.clear();
                std::size_t j = i;
                for (; j < to && byLower[j].side == byLower[i].side; ++j) group.push_back(&byLower[j]);
                if (group.size() > 1) matchSide(elements, group.data(), group.size());
                i = j;
            }
        } else if (size > 1) {
            const Occurrence* run = &byLower[from];
            std::uint32_t taken = 0;
            for (std::size_t i = 0; i + 1 < size; ++i) {
                if ((taken >> i) & 1u) continue;
                std::size_t j = i + 1;
                while (j < size && run[j].side != run[i].side) ++j;
                if (j == size) continue;
                taken |= 1u << j;
                std::size_t more = j + 1;
                while (more < size && run[more].side != run[i].side) ++more;
                if (more == size) {
                    const Occurrence* pair[2] = {&run[i], &run[j]};
                    matchSide(elements, pair, 2);
                    continue;
                }
                group.assign({&run[i], &run[j]});
                for (; more < size; ++more)
                    if (run[more].side == run[i].side) {
                        group.push_back(&run[more]);
                        taken |= 1u << more;
                    }
                matchSide(elements, group.data(), group.size());
            }
        }
        from = to;
    }
    if (waitWindow != nullptr) {
        bool cancelled = false;
        for (std::size_t e = 1; e <= n; ++e) waitWindow->UpdateProgress(true, cancelled);
    }
}

}  // namespace

void BuildElementSideFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow) {
    try {
        buildFlags(elements, waitWindow);
    } catch (const rt::RuntimeError&) {
        HandleError();
    }
}

}  // namespace orvelo
