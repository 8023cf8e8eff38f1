// Module data of the size function and the adaptive refinement (the module
// `BasOrvelo`): the old net, the input project's net that the net-generation
// entry copies before a new net is made. The target size of each old node,
// NodeTargetSize(1..OldNodeCount), is a project global (declar()).
//
// Lists are 1-based: a vector of count + 1 entries, entry 0 unused. The old
// node count is declar().OldNodeCount; OldNodeX and OldNodeY hold at least
// that many nodes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "orvelo/model/net.h"

namespace orvelo {

class SizeFieldIndex;

struct BasOrvelo {
    std::vector<float> OldNodeX = std::vector<float>(1);
    std::vector<float> OldNodeY = std::vector<float>(1);
    std::int16_t OldElementCount = 0;
    std::vector<NetElement> OldElementList = std::vector<NetElement>(1);

    // The index of the size function while a TargetSizeIndexScope lives
    // (target_size.h); made on first use.
    std::int32_t SizeIndexDepth = 0;
    std::shared_ptr<SizeFieldIndex> SizeIndex;
};

// The one process-wide instance.
BasOrvelo& basOrvelo();

// Tests only: start again from a fresh instance.
void resetBasOrvelo();

}  // namespace orvelo
