#include "orvelo/delaunay/side_flags.h"

#include <algorithm>
#include <vector>
#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr std::int32_t kOuter = halvex::OuterSide;
constexpr std::int32_t kInner = halvex::InnerSide;
constexpr std::int32_t kRepeated = halvex::RepeatedSide;

void buildFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow) {
    const std::size_t n = elements.size() - 1;
    if (n == 0) return;
    if (waitWindow != nullptr) {
        waitWindow->StatusText(LanguageTexts().GetText(rt::Variant(quillon::TextNo(100033))));
        waitWindow->ProgressMax(static_cast<std::int32_t>(n));
    }
    // Every side an outer side, and the occurrences of each side (its two
    // nodes, element and corner), grouped by side in element order.
    struct Occurrence {
        std::uint32_t side;
        std::int32_t element;
        int corner;
    };
    std::vector<Occurrence> occurrences;
    occurrences.reserve(n * 3);
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
            const std::uint32_t side = (static_cast<std::uint32_t>(static_cast<std::uint16_t>(a)) << 16) |
                                       static_cast<std::uint16_t>(b);
            occurrences.push_back({side, static_cast<std::int32_t>(e), k});
        }
    }
    // Grouped by side, element order kept within a side: a stable counting
    // sort on the lower, then the upper half of the side's key.
    {
        std::vector<Occurrence> sorted(occurrences.size());
        std::vector<std::uint32_t> start(65537);
        for (int shift : {0, 16}) {
            std::fill(start.begin(), start.end(), 0u);
            for (const Occurrence& o : occurrences) ++start[((o.side >> shift) & 0xFFFFu) + 1];
            for (std::size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
            for (const Occurrence& o : occurrences) sorted[start[(o.side >> shift) & 0xFFFFu]++] = o;
            occurrences.swap(sorted);
        }
    }
    // The pairwise matching in element order, side by side: the flags of
    // one side never depend on another's.
    for (std::size_t from = 0; from < occurrences.size();) {
        std::size_t to = from + 1;
        while (to < occurrences.size() && occurrences[to].side == occurrences[from].side) ++to;
        for (std::size_t x = from; x + 1 < to; ++x) {
            std::int32_t& first = elements[static_cast<std::size_t>(occurrences[x].element)].Flag[static_cast<std::size_t>(occurrences[x].corner)];
            if ((first & kOuter) == 0) continue;
            std::int32_t lastMatched = occurrences[x].element;
            for (std::size_t y = x + 1; y < to; ++y) {
                if (occurrences[y].element == lastMatched) continue;
                std::int32_t& later = elements[static_cast<std::size_t>(occurrences[y].element)].Flag[static_cast<std::size_t>(occurrences[y].corner)];
                if ((later & kOuter) == 0) continue;
                later = (later & ~kOuter) | kRepeated;
                first = (first & ~kOuter) | kInner;
                lastMatched = occurrences[y].element;
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
