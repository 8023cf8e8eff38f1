#include "orvelo/gridmesh/bas_grid_based.h"

#include <string>

#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

BasGridBased& instance() {
    static BasGridBased data;
    return data;
}

}  // namespace

void RaiseGridSubscript(std::int32_t ix, std::int32_t iy) {
    rt::raise(9, "The grid point (" + std::to_string(ix) + ", " + std::to_string(iy) +
                     ") lies outside the grid of the net.");
}

BasGridBased& basGridBased() { return instance(); }

void resetBasGridBased() { instance() = BasGridBased{}; }

}  // namespace orvelo
