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

std::uint32_t sideOf(const NetElement& element, int k) {
    const int next = k + 1 > element.CornerCount ? 1 : k + 1;
    std::int32_t a = element.Node[static_cast<std::size_t>(k)];
    std::int32_t b = element.Node[static_cast<std::size_t>(next)];
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(a)) << 16) | static_cast<std::uint16_t>(b);
}

std::int32_t& flagAt(std::vector<NetElement>& elements, std::uint32_t at) { return elements[at >> 2].Flag[(at & 3u) + 1]; }

void setShared(std::int32_t& first, std::int32_t& later) {
    later = (later & ~kOuter) | kRepeated;
    first = (first & ~kOuter) | kInner;
}

// The pairwise matching of one side's occurrences, in element and corner
// order: the first still-outer occurrence is shared with the first
// still-outer one of each later element, and so on.
void matchSide(std::vector<NetElement>& elements, const Occurrence* group, std::size_t count) {
    for (std::size_t x = 0; x + 1 < count; ++x) {
        std::int32_t& first = flagAt(elements, group[x].at);
        if ((first & kOuter) == 0) continue;
        std::uint32_t lastMatched = group[x].at >> 2;
        for (std::size_t y = x + 1; y < count; ++y) {
            if ((group[y].at >> 2) == lastMatched) continue;
            std::int32_t& later = flagAt(elements, group[y].at);
            if ((later & kOuter) == 0) continue;
            setShared(first, later);
            lastMatched = group[y].at >> 2;
        }
    }
}

// The sides met so far, by open addressing: each slot holds a side and the
// `at` of its first occurrence (0: a free slot, as no element is 0), with
// a bit for a side met twice and one for a side met more often.
class SideTable {
public:
    static constexpr std::uint32_t kTwice = 1u << 31;
    static constexpr std::uint32_t kCrowded = 1u << 30;
    static constexpr std::uint32_t kAt = kCrowded - 1;

    struct Slot {
        std::uint32_t side;
        std::uint32_t at;
    };

    // Room for `sides` sides at most, and always a free slot.
    explicit SideTable(std::size_t sides) {
        while ((std::size_t{1} << bits_) <= sides) ++bits_;
        slots_.reset(new Slot[std::size_t{1} << bits_]());
    }

    // The side's slot; a free one (at 0) when the side is not there yet.
    Slot& find(std::uint32_t side) {
        const std::size_t mask = (std::size_t{1} << bits_) - 1;
        std::size_t i = static_cast<std::size_t>((side * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
        while (slots_[i].at != 0 && slots_[i].side != side) i = (i + 1) & mask;
        return slots_[i];
    }

private:
    unsigned bits_ = 1;
    std::unique_ptr<Slot[]> slots_;
};

void buildFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow) {
    const std::size_t n = elements.size() - 1;
    if (n == 0) return;
    if (waitWindow != nullptr) {
        waitWindow->StatusText(LanguageTexts().GetText(rt::Variant(quillon::TextNo(100033))));
        waitWindow->ProgressMax(static_cast<std::int32_t>(n));
    }
    // Every side an outer side.
    std::size_t corners = 0;
    for (std::size_t e = 1; e <= n; ++e) {
        NetElement& element = elements[e];
        if (element.CornerCount > 4) rt::raise(9, "An element of the net has more than four corners.");
        for (int k = 1; k <= element.CornerCount; ++k) {
            std::int32_t& flag = element.Flag[static_cast<std::size_t>(k)];
            flag = (flag & ~(kInner | kRepeated)) | kOuter;
            ++corners;
        }
    }
    // A side met a second time in another element is shared at once. A side
    // met three times or more is matched afresh from all its occurrences.
    SideTable table(corners);
    bool anyCrowded = false;
    for (std::size_t e = 1; e <= n; ++e) {
        const NetElement& element = elements[e];
        for (int k = 1; k <= element.CornerCount; ++k) {
            const std::uint32_t side = sideOf(element, k);
            const auto at = static_cast<std::uint32_t>(e * 4 + static_cast<std::size_t>(k - 1));
            SideTable::Slot& slot = table.find(side);
            if (slot.at == 0) {
                slot = {side, at};
            } else if ((slot.at & (SideTable::kTwice | SideTable::kCrowded)) == 0) {
                slot.at |= SideTable::kTwice;
                if (((slot.at & SideTable::kAt) >> 2) != e) setShared(flagAt(elements, slot.at & SideTable::kAt), flagAt(elements, at));
            } else if ((slot.at & SideTable::kCrowded) == 0) {
                slot.at |= SideTable::kCrowded;
                anyCrowded = true;
            }
        }
    }
    if (anyCrowded) {
        std::vector<Occurrence> crowded;
        for (std::size_t e = 1; e <= n; ++e)
            for (int k = 1; k <= elements[e].CornerCount; ++k) {
                const std::uint32_t side = sideOf(elements[e], k);
                if ((table.find(side).at & SideTable::kCrowded) != 0)
                    crowded.push_back({side, static_cast<std::uint32_t>(e * 4 + static_cast<std::size_t>(k - 1))});
            }
        std::stable_sort(crowded.begin(), crowded.end(), [](const Occurrence& p, const Occurrence& q) { return p.side < q.side; });
        for (std::size_t from = 0; from < crowded.size();) {
            std::size_t to = from + 1;
            while (to < crowded.size() && crowded[to].side == crowded[from].side) ++to;
            for (std::size_t i = from; i < to; ++i) {
                std::int32_t& flag = flagAt(elements, crowded[i].at);
                flag = (flag & ~(kInner | kRepeated)) | kOuter;
            }
            matchSide(elements, &crowded[from], to - from);
            from = to;
        }
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
