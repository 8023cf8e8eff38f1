#include "orvelo/forces/node_order.h"

#include <algorithm>

#include "platform/runtime/errors.h"

namespace orvelo {

namespace {
void checkLists(std::int16_t count, const std::vector<float>& values,
                const std::vector<std::int16_t>& map) {
    const auto needed = static_cast<std::size_t>(count < 0 ? 0 : count) + 1;
    if (count < 0 || values.size() < needed || map.size() < needed) rt::raise(9);
    for (int n = 1; n <= count; ++n)
        if (map[n] < 1 || map[n] > count) rt::raise(9);
}
}  // namespace

void GatherToNetOrder(std::int16_t count, std::vector<float>& values,
                      const std::vector<std::int16_t>& map) {
    checkLists(count, values, map);
    const std::vector<float> old(values.begin(), values.begin() + count + 1);
    for (int n = 1; n <= count; ++n) values[n] = old[map[n]];
}

void ScatterToCalcOrder(std::int16_t count, std::vector<float>& values,
                        const std::vector<std::int16_t>& map) {
    checkLists(count, values, map);
    std::vector<float> scattered(static_cast<std::size_t>(count) + 1, 0.0f);
    for (int n = 1; n <= count; ++n) scattered[map[n]] = values[n];
    std::copy(scattered.begin(), scattered.end(), values.begin());
}

}  // namespace orvelo
