// The node of a net that stands for a position of another net: the
// lowest-numbered node whose coordinates both differ from the position by
// less than a tolerance, else the nearest node, the lowest number among
// equally near ones.
//
// Differences are taken in Single (each coordinate difference rounded to a
// float); the squared distance is their squares summed in Double. The
// plain scan walks the nodes in number order; the locator answers the same
// from the nodes sorted by x.
#pragma once

#include <cstdint>
#include <vector>

namespace orvelo {

// Nodes 1..nodeCount of nodeX, nodeY scanned in number order: the first node
// inside the box of half-width tolerance about (x, y), else the nearest.
// A tolerance of 0 or below holds no node. Error 9 when nodeCount is below 1
// or the lists hold fewer nodes.
std::int16_t NearestNodeByScan(float x, float y, float tolerance, const std::vector<float>& nodeX,
                               const std::vector<float>& nodeY, std::int16_t nodeCount);

// The same answers as NearestNodeByScan for one net, without visiting every
// node: the nodes sorted by x, the box and the nearest node searched outward
// from the position's x. The locator copies the coordinates it is given.
class NodeLocator {
public:
    // Error 9 when nodeCount is below 1 or the lists hold fewer nodes.
    NodeLocator(const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                std::int16_t nodeCount);

    std::int16_t Find(float x, float y, float tolerance) const;

private:
    struct Node {
        float x;
        float y;
        std::int16_t number;
    };
    std::vector<Node> byX_;  // sorted by x, then by number
};

}  // namespace orvelo
