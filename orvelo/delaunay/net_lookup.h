// The three questions the point insertion asks of a net of triangles and
// quadrilaterals (the mesher net): which elements hold a side, which element
// holds a point, and which node lies near a point.
//
// NetScan answers them by scanning every element or node, in number order,
// as the procedures are described. NetIndex gives the same answers from a
// map of the sides and a grid of the elements and nodes, which the insertion
// keeps up to date by telling it of every change it makes; anything else
// that changes the net meanwhile makes its answers wrong. NodeGrid is the
// grid of node positions it uses, also for other searches of nodes near a
// point.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orvelo {

struct BasDelaunay;

class NetLookup {
public:
    virtual ~NetLookup() = default;

    // The elements 1..MeshElementCount with a side joining a and b (either
    // direction), ascending.
    virtual void SideHolders(std::int16_t a, std::int16_t b, std::vector<std::int32_t>& holders) = 0;
    // The lowest-numbered element that holds (x, y) (ElementHoldsPoint), 0
    // when none does.
    virtual std::int32_t ElementAt(double x, double y) = 0;
    // The lowest-numbered node of 1..last whose distance from (x, y),
    // rounded to Single, is below radius; 0 when there is none.
    virtual std::int16_t NodeNear(float x, float y, std::int16_t last, double radius) = 0;

    // What the insertion tells of its changes: the record of element e was
    // changed or appended; records were removed and the later ones moved
    // down; node n was appended; the last node was removed.
    virtual void ElementChanged(std::int32_t /*e*/) {}
    virtual void ElementsRemoved() {}
    virtual void NodeAppended(std::int16_t /*n*/) {}
    virtual void LastNodeRemoved() {}
};

class NetScan final : public NetLookup {
public:
    explicit NetScan(const BasDelaunay& m) : m_(m) {}
    void SideHolders(std::int16_t a, std::int16_t b, std::vector<std::int32_t>& holders) override;
    std::int32_t ElementAt(double x, double y) override;
    std::int16_t NodeNear(float x, float y, std::int16_t last, double radius) override;

private:
    const BasDelaunay& m_;
};

// Node positions in square cells of a given size, for the nodes near a
// point.
class NodeGrid {
public:
    explicit NodeGrid(double cell);
    void Add(std::int16_t node, float x, float y);
    void Remove(std::int16_t node, float x, float y);
    // Every node in a cell that the square of half-width radius around
    // (x, y) touches (at least all nodes within radius), in no set order.
    template <class Visit>
    void ForEachAround(double x, double y, double radius, Visit visit) const {
        const std::int64_t i0 = cellOf(x - radius), i1 = cellOf(x + radius);
        const std::int64_t j0 = cellOf(y - radius), j1 = cellOf(y + radius);
        for (std::int64_t i = i0; i <= i1; ++i)
            for (std::int64_t j = j0; j <= j1; ++j) {
                const auto found = cells_.find(key(i, j));
                if (found == cells_.end()) continue;
                for (std::int16_t node : found->second) visit(node);
            }
    }

private:
    std::int64_t cellOf(double value) const;
    static std::uint64_t key(std::int64_t i, std::int64_t j);
    double cell_;
    std::unordered_map<std::uint64_t, std::vector<std::int16_t>> cells_;
};

// A cell size for a grid over the nodes of the mesher net: about two
// elements to a cell.
double NetCellSize(const BasDelaunay& m);

class NetIndex final : public NetLookup {
public:
    // Built from the mesher net as it is now.
    explicit NetIndex(const BasDelaunay& m);
    ~NetIndex() override;
    NetIndex(const NetIndex&) = delete;
    NetIndex& operator=(const NetIndex&) = delete;

    void SideHolders(std::int16_t a, std::int16_t b, std::vector<std::int32_t>& holders) override;
    std::int32_t ElementAt(double x, double y) override;
    std::int16_t NodeNear(float x, float y, std::int16_t last, double radius) override;
    void ElementChanged(std::int32_t e) override;
    void ElementsRemoved() override;
    void NodeAppended(std::int16_t n) override;
    void LastNodeRemoved() override;
    // The records after the first count were removed, none before them
    // changed (an insertion taken back).
    void LastElementsRemoved(std::int32_t count);

    // Whether the index describes a net of these counts (and was not made
    // stale by a removal of elements).
    bool Knows(std::int32_t elements, std::int16_t nodes) const;

    // Appends every element whose corners, where they stood when it was
    // registered, span a box that touches the square of half-width radius
    // around (x, y): at least every element with a corner in that square,
    // in no set order, some more than once.
    void ElementsAround(double x, double y, double radius, std::vector<std::int32_t>& found);

private:
    struct State;
    void rebuild();
    void ensureBuilt();
    const BasDelaunay& m_;
    std::unique_ptr<State> state_;
};

}  // namespace orvelo
