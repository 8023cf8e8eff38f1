// The module data of the project's node-related data files (module
// BasData): the line members of .GL1 with the net edges of .GL2, and the
// arrays of .P35/.P91 (springs), .P31/.P71 (prescribed degrees of freedom),
// .PIL (piles), .PV1 (values per node) and .PCW (wall-plate nodes). One
// process-wide instance, basData(); tests start from a fresh one with
// resetBasData().
//
// Lists are 1-based: a std::vector of count + 1 entries whose entry 0 is
// unused. A reader sizes the lists of its file from the counts it has just
// read; a writer writes whatever the lists hold. The node-number lists
// (MemberStartNode/MemberEndNode, SpringNodes, DofNodes, PileNodes,
// NodeValueNodes, PcwNodes) hold numbers of a project net; the transfer of
// node-related data replaces them by numbers of the new net. Every other
// code and value is carried through unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvelo {

// How reading one of these files ended.
enum class DataFileRead {
    Read,      // read whole into its arrays
    NotUsed,   // the project holds none of this data (its calculation
               // method, or header option 2): not read, no message
    Missing,   // no file of that name: not read, no message
    Refused,   // the file check or the open refused the file: not read
    Failed,    // reading failed: reported (one message), nothing taken over
};

struct BasData {
    // ---- line members (.GL1) ----
    std::int16_t MemberCount = 0;
    std::int16_t PropertySetCount = 0;
    std::vector<std::int16_t> MemberPropertySet = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> MemberStartNode = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> MemberEndNode = std::vector<std::int16_t>(1);
    // Five values per property set; PropertyEdgeValue is the value every
    // net edge of the set gets in .GL2.
    std::vector<float> PropertyValueA = std::vector<float>(1);
    std::vector<float> PropertyValueB = std::vector<float>(1);
    std::vector<float> PropertyValueC = std::vector<float>(1);
    std::vector<float> PropertyValueD = std::vector<float>(1);
    std::vector<float> PropertyEdgeValue = std::vector<float>(1);
    bool LineMemberOption = false;
    std::vector<float> PropertyFactorA = std::vector<float>(1);
    std::vector<float> PropertyFactorB = std::vector<float>(1);

    // ---- net edges on the line members (.GL2), derived by the writer ----
    std::int16_t NetEdgeCount = 0;
    std::vector<std::int16_t> NetEdgeStart = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> NetEdgeEnd = std::vector<std::int16_t>(1);
    std::vector<float> NetEdgeValue = std::vector<float>(1);
    // The property set of the member that produced the edge.
    std::vector<std::int16_t> NetEdgeSection = std::vector<std::int16_t>(1);
    // Member-edge pairs of the point-list routines (member, edge).
    std::int16_t DerivedPairCount = 0;
    std::vector<std::int16_t> DerivedPairFirst = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> DerivedPairSecond = std::vector<std::int16_t>(1);

    // ---- springs at nodes (.P35; .P91 for the wall-plate method) ----
    std::int16_t SpringCount = 0;
    std::int16_t SpringPairCount = 0;  // .P35 only
    std::vector<std::int16_t> SpringCode = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> SpringNodes = std::vector<std::int16_t>(1);
    std::vector<float> SpringValues = std::vector<float>(1);
    std::vector<float> SpringValueA = std::vector<float>(1);  // .P91 only
    std::vector<float> SpringValueB = std::vector<float>(1);
    std::vector<float> SpringValueC = std::vector<float>(1);
    std::vector<float> SpringPairA = std::vector<float>(1);
    std::vector<float> SpringPairB = std::vector<float>(1);

    // ---- prescribed degrees of freedom (.P31; .P71 for the wall-plate
    // method). A text field holds "F" (any case) or a number. ----
    std::int16_t DofCount = 0;
    std::int16_t DofPairCount = 0;  // .P31 only
    std::vector<std::int16_t> DofCode = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> DofNodes = std::vector<std::int16_t>(1);
    std::vector<std::string> DofTextA = std::vector<std::string>(1);
    std::vector<std::string> DofTextB = std::vector<std::string>(1);
    std::vector<std::string> DofTextC = std::vector<std::string>(1);
    std::vector<std::string> DofTextD = std::vector<std::string>(1);  // .P71 only
    std::vector<float> DofPairA = std::vector<float>(1);
    std::vector<float> DofPairB = std::vector<float>(1);

    // ---- piles (.PIL) ----
    std::int16_t PileNodeCount = 0;
    float PileValueA = 0.0f;
    float PileValueB = 0.0f;
    std::int16_t PileCount = 0;
    std::vector<std::int16_t> PileNodes = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> PileNodeValue = std::vector<std::int16_t>(1);
    // Per pile p = 1..PileCount.
    std::vector<std::int16_t> PileEntryCount = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> PileCode = std::vector<std::int16_t>(1);
    std::vector<float> PileData1 = std::vector<float>(1);
    std::vector<float> PileData2 = std::vector<float>(1);
    std::vector<float> PileData3 = std::vector<float>(1);
    std::vector<float> PileData4 = std::vector<float>(1);
    std::vector<float> PileData5 = std::vector<float>(1);
    std::vector<float> PileData6 = std::vector<float>(1);
    std::vector<float> PileData7 = std::vector<float>(1);
    std::vector<std::string> PileName = std::vector<std::string>(1);
    std::vector<float> PileData8 = std::vector<float>(1);
    // Entry k of pile p at [k][p]: emax + 1 rows of PileCount + 1 entries,
    // emax the largest PileEntryCount; entries above a pile's own count
    // are unused.
    std::vector<std::vector<float>> PileEntryA = std::vector<std::vector<float>>(1, std::vector<float>(1));
    std::vector<std::vector<float>> PileEntryB = std::vector<std::vector<float>>(1, std::vector<float>(1));
    std::vector<std::vector<float>> PileEntryC = std::vector<std::vector<float>>(1, std::vector<float>(1));
    std::vector<std::vector<float>> PileEntryD = std::vector<std::vector<float>>(1, std::vector<float>(1));
    std::vector<std::vector<std::int16_t>> PileEntryCode =
        std::vector<std::vector<std::int16_t>>(1, std::vector<std::int16_t>(1));

    // ---- values per node (.PV1), held sparse: the nonzero values only,
    // in ascending node order as read, each the file value x 100 ----
    std::int16_t NodeValueCount = 0;
    std::vector<std::int16_t> NodeValueNodes = std::vector<std::int16_t>(1);
    std::vector<float> NodeValues = std::vector<float>(1);
    // Each listed value as the file holds it: x 100 and back does not give
    // every Single back, so the writer writes this one while NodeValues
    // still holds its x 100 value.
    std::vector<float> NodeValuesAsRead = std::vector<float>(1);

    // ---- nodes of the wall-plate method (.PCW) ----
    std::int16_t PcwCount = 0;
    std::vector<std::int16_t> PcwNodes = std::vector<std::int16_t>(1);
    std::vector<float> PcwValueA = std::vector<float>(1);
    std::vector<float> PcwValueB = std::vector<float>(1);
};

// The one instance of the process.
BasData& basData();

// Tests only: start again from a fresh instance.
void resetBasData();

}  // namespace orvelo
