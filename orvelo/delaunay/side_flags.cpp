#include "orvelo/delaunay/side_flags.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/kept_room.h"
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

// The sides are split into parts by the low bits of their lower node, so
// that every occurrence of a side falls into one part; a part of about
// this many occurrences keeps its side table within the first-level cache.
constexpr std::size_t kOccurrencesPerPart = 1024;
constexpr std::size_t kMostParts = 256;

// What the matching gives each corner, by `at`: 0 while its side is outer,
// else InnerSide or RepeatedSide. A byte a corner keeps the matching's
// writes within a small array; the flags are written from it in one pass
// in element order.
void setShared(std::uint8_t& first, std::uint8_t& later) {
    later = static_cast<std::uint8_t>(kRepeated);
    first = static_cast<std::uint8_t>(kInner);
}

// The pairwise matching of one side's occurrences, in element and corner
// order: the first still-outer occurrence is shared with the first
// still-outer one of each later element, and so on.
void matchSide(std::uint8_t* shared, const Occurrence* group, std::size_t count) {
    for (std::size_t x = 0; x + 1 < count; ++x) {
        std::uint8_t& first = shared[group[x].at];
        if (first != 0) continue;
        std::uint32_t lastMatched = group[x].at >> 2;
        for (std::size_t y = x + 1; y < count; ++y) {
            if ((group[y].at >> 2) == lastMatched) continue;
            std::uint8_t& later = shared[group[y].at];
            if (later != 0) continue;
            setShared(first, later);
            lastMatched = group[y].at >> 2;
        }
    }
}

// The sides of one part met so far, by open addressing: each slot holds a
// side and the `at` of its first occurrence (0: a free slot, as no element
// is 0), with a bit for a side met twice and one for a side met more often.
class SideTable {
public:
    static constexpr std::uint32_t kTwice = 1u << 31;
    static constexpr std::uint32_t kCrowded = 1u << 30;
    static constexpr std::uint32_t kAt = kCrowded - 1;

    struct Slot {
        std::uint32_t side;
        std::uint32_t at;
    };

    // Room for `sides` sides at most in any part.
    explicit SideTable(std::size_t sides) : slots_(new Slot[slotsFor(sides)]) {}

    // Empty, with room for `sides` sides and always a free slot.
    void clear(std::size_t sides) {
        bits_ = static_cast<unsigned>(std::countr_zero(slotsFor(sides)));
        std::memset(slots_.get(), 0, sizeof(Slot) << bits_);
    }

    // The side's slot; a free one (at 0) when the side is not there yet.
    Slot& find(std::uint32_t side) {
        const std::size_t mask = (std::size_t{1} << bits_) - 1;
        std::size_t i = static_cast<std::size_t>((side * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
        // A free slot or the side's own ends the search: one test for both
        // (a product of two 32-bit numbers is 0 only when one of them is),
        // as which of the two it is comes in no foreseeable order.
        while (static_cast<std::uint64_t>(slots_[i].side ^ side) * slots_[i].at != 0) i = (i + 1) & mask;
        return slots_[i];
    }

private:
    // Mostly one probe: in a net most sides are met twice, so that about a
    // quarter of the slots is taken.
    static std::size_t slotsFor(std::size_t sides) { return std::bit_ceil(std::max<std::size_t>(sides * 2, 2)); }

    unsigned bits_ = 1;
    std::unique_ptr<Slot[]> slots_;
};

// The sharing of the sides of one part, its occurrences in element and
// corner order. A side met a second time in another element is shared at
// once. A side met three times or more is matched afresh from all its
// occurrences.
void matchPart(std::uint8_t* shared, SideTable& table, const Occurrence* part, std::size_t count) {
    table.clear(count);
    std::uint32_t met = 0;
    for (std::size_t i = 0; i < count; ++i) {
        // Without branches, as a side's first and second meetings come in
        // no foreseeable order: a free slot takes the side; a side met
        // before gets the bit for twice, or for more often when it has it
        // (kCrowded is kTwice shifted down by one).
        const Occurrence& occurrence = part[i];
        SideTable::Slot& slot = table.find(occurrence.side);
        const std::uint32_t before = slot.at;
        const std::uint32_t fresh = 0u - static_cast<std::uint32_t>(before == 0);
        const std::uint32_t again = SideTable::kTwice >> (before >> 31);
        slot.side = occurrence.side;
        slot.at = (occurrence.at & fresh) | ((before | again) & ~fresh);
        met |= slot.at;
        // Shared when met the second time (neither bit yet) in another
        // element; a fresh side touches only byte 0, no corner's.
        const std::uint32_t first = before & SideTable::kAt;
        const bool second = before - 1 < SideTable::kCrowded - 1;
        const std::uint32_t share = 0u - static_cast<std::uint32_t>(second & ((first ^ occurrence.at) >> 2 != 0));
        shared[first] = static_cast<std::uint8_t>(shared[first] | (kInner & share));
        shared[occurrence.at] = static_cast<std::uint8_t>(kRepeated & share);
    }
    if ((met & SideTable::kCrowded) == 0) return;
    std::vector<Occurrence> crowded;
    for (std::size_t i = 0; i < count; ++i)
        if ((table.find(part[i].side).at & SideTable::kCrowded) != 0) crowded.push_back(part[i]);
    std::stable_sort(crowded.begin(), crowded.end(), [](const Occurrence& p, const Occurrence& q) { return p.side < q.side; });
    for (std::size_t from = 0; from < crowded.size();) {
        std::size_t to = from + 1;
        while (to < crowded.size() && crowded[to].side == crowded[from].side) ++to;
        for (std::size_t i = from; i < to; ++i) shared[crowded[i].at] = 0;
        matchSide(shared, &crowded[from], to - from);
        from = to;
    }
}

// True when a stop was asked while the flags were built.
bool buildFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow) {
    const std::size_t n = elements.size() - 1;
    if (n == 0) return false;
    if (waitWindow != nullptr) {
        waitWindow->StatusText(LanguageTexts().GetText(rt::Variant(quillon::TextNo(100033))));
        waitWindow->ProgressMax(static_cast<std::int32_t>(n));
    }
    // A table over all sides at once would be hit at random far beyond the
    // caches: the occurrences are placed part by part, each part in element
    // order, in the one pass over the elements, and each part is matched
    // with a table of its own size.
    const std::size_t parts = std::min(kMostParts, std::bit_ceil(std::max<std::size_t>(n * 3 / kOccurrencesPerPart, 1)));
    const std::uint32_t partMask = static_cast<std::uint32_t>(parts - 1);
    // (The occurrences and the corners' bytes keep their room for the next
    // net: freed, it would go back to the system and come back page by page.)
    std::vector<std::vector<Occurrence>>& occurrences = KeptList<std::vector<Occurrence>, 0>();
    occurrences.resize(parts);
    for (auto& part : occurrences) {
        part.clear();
        part.reserve(n * 3 / parts + n * 3 / parts / 4 + 4);
    }
    for (std::size_t e = 1; e <= n; ++e) {
        const std::int32_t count = elements[e].CornerCount;
        if (count > 4) {
            // The elements before it have their sides reset to outer ones,
            // as a pass that stops at this element leaves them.
            for (std::size_t d = 1; d < e; ++d)
                for (int k = 1; k <= elements[d].CornerCount; ++k) {
                    std::int32_t& flag = elements[d].Flag[static_cast<std::size_t>(k)];
                    flag = (flag & ~(kInner | kRepeated)) | kOuter;
                }
            rt::raise(9, "An element of the net has more than four corners.");
        }
        const NetElement& element = elements[e];
        auto at = static_cast<std::uint32_t>(e * 4);
        for (int k = 1; k <= count; ++k, ++at) {
            std::int32_t a = element.Node[static_cast<std::size_t>(k)];
            std::int32_t b = element.Node[k == count ? 1 : static_cast<std::size_t>(k + 1)];
            if (a > b) std::swap(a, b);
            const std::uint32_t side = (static_cast<std::uint32_t>(static_cast<std::uint16_t>(a)) << 16) | static_cast<std::uint16_t>(b);
            occurrences[(side >> 16) & partMask].push_back({side, at});
        }
    }
    std::size_t largest = 0;
    for (const auto& part : occurrences) largest = std::max(largest, part.size());
    // Every corner's byte is written by the matching of its part before it
    // is read; byte 0, no corner's, takes the writes for a side met the
    // first time.
    std::vector<std::uint8_t>& sharedList = KeptList<std::uint8_t, 2>();
    if (sharedList.size() < (n + 1) * 4) sharedList.resize((n + 1) * 4);
    std::uint8_t* const shared = sharedList.data();
    shared[0] = 0;
    SideTable table(largest);
    for (const auto& part : occurrences) matchPart(shared, table, part.data(), part.size());
    // Every side outer unless shared; the other bits stay.
    for (std::size_t e = 1; e <= n; ++e) {
        NetElement& element = elements[e];
        for (int k = 1; k <= element.CornerCount; ++k) {
            const std::int32_t side = shared[e * 4 + static_cast<std::size_t>(k - 1)];
            std::int32_t& flag = element.Flag[static_cast<std::size_t>(k)];
            flag = (flag & ~(kOuter | kInner | kRepeated)) | (side != 0 ? side : kOuter);
        }
    }
    bool stopped = false;
    if (waitWindow != nullptr) {
        for (std::size_t e = 1; e <= n; ++e) {
            bool cancelled = false;
            waitWindow->UpdateProgress(true, cancelled);
            stopped = stopped || cancelled;
        }
    }
    return stopped;
}

}  // namespace

bool BuildElementSideFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow) {
    bool stopped = false;
    try {
        stopped = buildFlags(elements, waitWindow);
    } catch (const rt::RuntimeError&) {
        HandleError();
    }
    // A stop asked in the running operation's window ends the run, as at
    // every other poll of an operation.
    if (stopped && waitWindow != nullptr && waitWindow == OperationWaitWindow())
        RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
    return stopped;
}

}  // namespace orvelo
