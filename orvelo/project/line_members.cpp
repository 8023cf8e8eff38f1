#include "orvelo/project/line_members.h"

#include <set>
#include <utility>

#include "orvelo/model/declar.h"
#include "orvelo/project/data_file_io.h"
#include "orvelo/project/services.h"

namespace orvelo {

namespace {

// The line-member data of a .GL1, read whole before it is taken over.
struct LineMembersFile {
    std::int16_t MemberCount = 0;
    std::int16_t PropertySetCount = 0;
    std::vector<std::int16_t> MemberPropertySet, MemberStartNode, MemberEndNode;
    std::vector<float> PropertyValueA, PropertyValueB, PropertyValueC, PropertyValueD,
        PropertyEdgeValue;
    bool LineMemberOption = false;
    std::vector<float> PropertyFactorA, PropertyFactorB;
};

void readGl1(rt::TextReader& in, LineMembersFile& f) {
    in.readLine();  // the version line, whatever it reads
    f.MemberCount = ReadDataCount(in);
    f.PropertySetCount = ReadDataCount(in);
    rt::requireRoomFor(in, 3LL * f.MemberCount + 7LL * f.PropertySetCount + 1, 1);
    f.MemberPropertySet = SizedList<std::int16_t>(f.MemberCount);
    f.MemberStartNode = SizedList<std::int16_t>(f.MemberCount);
    f.MemberEndNode = SizedList<std::int16_t>(f.MemberCount);
    for (int k = 1; k <= f.MemberCount; ++k) {
        f.MemberPropertySet[k] = in.readInteger();
        f.MemberStartNode[k] = in.readInteger();
        f.MemberEndNode[k] = in.readInteger();
    }
    const std::int16_t sets = f.PropertySetCount;
    f.PropertyValueA = SizedList<float>(sets);
    f.PropertyValueB = SizedList<float>(sets);
    f.PropertyValueC = SizedList<float>(sets);
    f.PropertyValueD = SizedList<float>(sets);
    f.PropertyEdgeValue = SizedList<float>(sets);
    for (int s = 1; s <= sets; ++s) {
        f.PropertyValueA[s] = in.readSingle();
        f.PropertyValueB[s] = in.readSingle();
        f.PropertyValueC[s] = in.readSingle();
        f.PropertyValueD[s] = in.readSingle();
        f.PropertyEdgeValue[s] = in.readSingle();
    }
    f.LineMemberOption = in.readBool();
    f.PropertyFactorA = SizedList<float>(sets);
    f.PropertyFactorB = SizedList<float>(sets);
    for (int s = 1; s <= sets; ++s) {
        f.PropertyFactorA[s] = in.readSingle();
        f.PropertyFactorB[s] = in.readSingle();
    }
}

void takeOver(BasData& b, LineMembersFile& f) {
    b.MemberCount = f.MemberCount;
    b.PropertySetCount = f.PropertySetCount;
    b.MemberPropertySet = std::move(f.MemberPropertySet);
    b.MemberStartNode = std::move(f.MemberStartNode);
    b.MemberEndNode = std::move(f.MemberEndNode);
    b.PropertyValueA = std::move(f.PropertyValueA);
    b.PropertyValueB = std::move(f.PropertyValueB);
    b.PropertyValueC = std::move(f.PropertyValueC);
    b.PropertyValueD = std::move(f.PropertyValueD);
    b.PropertyEdgeValue = std::move(f.PropertyEdgeValue);
    b.LineMemberOption = f.LineMemberOption;
    b.PropertyFactorA = std::move(f.PropertyFactorA);
    b.PropertyFactorB = std::move(f.PropertyFactorB);
}

// The members and property sets must fit their counts and the net: every
// end node a node of the net, every property set one of the file's.
void checkMembers(const BasData& b, const Declar& d) {
    RequireListEntries(b.MemberPropertySet, b.MemberCount);
    RequireListEntries(b.MemberStartNode, b.MemberCount);
    RequireListEntries(b.MemberEndNode, b.MemberCount);
    for (const auto* list : {&b.PropertyValueA, &b.PropertyValueB, &b.PropertyValueC,
                             &b.PropertyValueD, &b.PropertyEdgeValue, &b.PropertyFactorA,
                             &b.PropertyFactorB})
        RequireListEntries(*list, b.PropertySetCount);
    RequireListEntries(d.NodeX, d.NodeCount);
    RequireListEntries(d.NodeY, d.NodeCount);
    RequireListEntries(d.ElementList, d.ElementCount);
    for (int k = 1; k <= b.MemberCount; ++k) {
        if (b.MemberStartNode[k] < 1 || b.MemberStartNode[k] > d.NodeCount) rt::raise(9);
        if (b.MemberEndNode[k] < 1 || b.MemberEndNode[k] > d.NodeCount) rt::raise(9);
        if (b.MemberPropertySet[k] < 1 || b.MemberPropertySet[k] > b.PropertySetCount)
            rt::raise(9);
    }
    for (int e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[e];
        if (element.CornerCount > 4) rt::raise(9);
        for (int j = 1; j <= element.CornerCount; ++j)
            if (element.Node[j] < 1 || element.Node[j] > d.NodeCount) rt::raise(9);
    }
}

// The net edges that lie on the members, in member order, then element
// order.
void deriveNetEdges(BasData& b, const Declar& d) {
    b.NetEdgeCount = 0;
    b.NetEdgeStart.assign(1, 0);
    b.NetEdgeEnd.assign(1, 0);
    b.NetEdgeSection.assign(1, 0);
    b.NetEdgeValue.assign(1, 0.0f);
    // Every edge recorded, by its two nodes in ascending order: the same
    // answer as comparing with each recorded edge in both directions.
    std::set<std::pair<std::int16_t, std::int16_t>> recorded;
    const drovik::ClsPointListTools& tools = PointListTools();
    for (int m = 1; m <= b.MemberCount; ++m) {
        const std::int16_t s = b.MemberPropertySet[m];
        const float x1 = d.NodeX[b.MemberStartNode[m]];
        const float y1 = d.NodeY[b.MemberStartNode[m]];
        const float x2 = d.NodeX[b.MemberEndNode[m]];
        const float y2 = d.NodeY[b.MemberEndNode[m]];
        for (int e = 1; e <= d.ElementCount; ++e) {
            const NetElement& element = d.ElementList[e];
            for (int corner = 1; corner <= element.CornerCount; ++corner) {
                const int next = corner == element.CornerCount ? 1 : corner + 1;
                const std::int16_t p = element.Node[corner];
                const std::int16_t q = element.Node[next];
                std::int16_t code = 0;
                float first = 0.0f;
                float second = 0.0f;
                tools.SegmentRelation(x1, y1, x2, y2, d.NodeX[p], d.NodeY[p], d.NodeX[q],
                                      d.NodeY[q], code, first, second);
                if (code != 2) continue;
                // One edge per element and member: the first side on the
                // member, unless it was recorded before.
                if (recorded.insert({std::min(p, q), std::max(p, q)}).second) {
                    b.NetEdgeCount = checkedNetCount(b.NetEdgeCount + 1LL);
                    b.NetEdgeStart.push_back(p);
                    b.NetEdgeEnd.push_back(q);
                    b.NetEdgeSection.push_back(s);
                }
                break;
            }
        }
    }
}

void writeGl1(rt::TextWriter& out, const BasData& b) {
    out.printLine("Version 9");
    out.writeValues(b.MemberCount);
    out.writeValues(b.PropertySetCount);
    for (int k = 1; k <= b.MemberCount; ++k) {
        out.writeValues(b.MemberPropertySet[k]);
        out.writeValues(b.MemberStartNode[k]);
        out.writeValues(b.MemberEndNode[k]);
    }
    for (int s = 1; s <= b.PropertySetCount; ++s) {
        out.writeValues(b.PropertyValueA[s]);
        out.writeValues(b.PropertyValueB[s]);
        out.writeValues(b.PropertyValueC[s]);
        out.writeValues(b.PropertyValueD[s]);
        out.writeValues(b.PropertyEdgeValue[s]);
    }
    out.writeValues(b.LineMemberOption);
    for (int s = 1; s <= b.PropertySetCount; ++s) {
        out.writeValues(b.PropertyFactorA[s]);
        out.writeValues(b.PropertyFactorB[s]);
    }
}

void writeGl2(rt::TextWriter& out, const BasData& b) {
    out.writeValues(b.NetEdgeCount);
    for (int k = 1; k <= b.NetEdgeCount; ++k) {
        out.writeValues(b.NetEdgeStart[k]);
        out.writeValues(b.NetEdgeEnd[k]);
        out.writeValues(b.NetEdgeValue[k]);
        out.writeValues(b.NetEdgeSection[k]);
    }
    out.writeValues(b.PropertySetCount);
    for (int s = 1; s <= b.PropertySetCount; ++s) {
        out.writeValues(b.PropertyValueA[s]);
        out.writeValues(b.PropertyValueB[s]);
        out.writeValues(b.PropertyValueC[s]);
        out.writeValues(b.PropertyValueD[s]);
    }
    for (int s = 1; s <= b.PropertySetCount; ++s) {
        out.writeValues(b.PropertyFactorA[s]);
        out.writeValues(b.PropertyFactorB[s]);
    }
    out.writeValues(b.DerivedPairCount);
    for (int k = 1; k <= b.DerivedPairCount; ++k) {
        out.writeValues(b.DerivedPairFirst[k]);
        out.writeValues(b.DerivedPairSecond[k]);
    }
}

}  // namespace

DataFileRead ReadLineMembersFile() {
    LineMembersFile file;
    const DataFileRead outcome = ReadWholeDataFile(
        CurrentProjectFile("GL1"), true, [&file](rt::TextReader& in) { readGl1(in, file); });
    if (outcome == DataFileRead::Read) takeOver(basData(), file);
    return outcome;
}

bool ReadLineMembers() { return ReadLineMembersFile() == DataFileRead::Read; }

bool WriteLineMembers() {
    BasData& b = basData();
    const Declar& d = declar();
    const std::string gl1 = CurrentProjectFile("GL1");
    // The edges and pairs are derived before either file is written, so a
    // refused member list leaves both files as they were.
    bool derived = false;
    const auto derive = [&] {
        checkMembers(b, d);
        deriveNetEdges(b, d);
        std::vector<std::int16_t> memberEdgeCount;
        std::int16_t partlyCovered = 0;
        PointListTools().DeriveMemberData(b.DerivedPairCount, b.DerivedPairFirst,
                                          b.DerivedPairSecond, memberEdgeCount, partlyCovered,
                                          d.NodeCount, d.NodeX, d.NodeY, b.MemberCount,
                                          b.PropertySetCount, b.MemberStartNode,
                                          b.MemberEndNode, b.MemberPropertySet, b.NetEdgeCount,
                                          b.NetEdgeStart, b.NetEdgeEnd, b.NetEdgeSection);
        b.NetEdgeValue = SizedList<float>(b.NetEdgeCount);
        for (int k = 1; k <= b.NetEdgeCount; ++k)
            b.NetEdgeValue[k] = b.PropertyEdgeValue[b.NetEdgeSection[k]];
        derived = true;
    };
    if (!WriteWholeDataFile(gl1, derive, [&b](rt::TextWriter& out) { writeGl1(out, b); }) ||
        !derived)
        return false;
    return WriteWholeDataFile(CurrentProjectFile("GL2"), nullptr,
                              [&b](rt::TextWriter& out) { writeGl2(out, b); });
}

}  // namespace orvelo
