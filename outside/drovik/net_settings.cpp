#include "outside/drovik/net_settings.h"

#include <cstddef>

namespace drovik {

void ClsNetSettings::TakeNet(std::int16_t& NodeCount, std::vector<float>& NodeX, std::vector<float>& NodeY,
                             std::vector<std::int16_t>& NodeMarks, std::int16_t& ElementCount,
                             std::vector<orvelo::NetElement>& ElementList)
{
    ++takeNetCalls_;
    auto marked = [&](std::int32_t node) {
        return node >= 1 && static_cast<std::size_t>(node) < NodeMarks.size() &&
               NodeMarks[static_cast<std::size_t>(node)] == node;
    };
    std::vector<std::int16_t> newNumber(static_cast<std::size_t>(NodeCount) + 1, 0);
    std::vector<float> x(1, 0.0f);
    std::vector<float> y(1, 0.0f);
    for (std::int32_t n = 1; n <= NodeCount; ++n) {
        if (marked(n)) continue;
        newNumber[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(x.size());
        x.push_back(NodeX[static_cast<std::size_t>(n)]);
        y.push_back(NodeY[static_cast<std::size_t>(n)]);
    }
    std::vector<orvelo::NetElement> elements(1);
    for (std::int32_t e = 1; e <= ElementCount; ++e) {
        orvelo::NetElement element = ElementList[static_cast<std::size_t>(e)];
        bool keep = true;
        for (int k = 1; k <= element.CornerCount && k <= 4; ++k) {
            const std::int16_t node = element.Node[static_cast<std::size_t>(k)];
            if (node < 1 || node > NodeCount || marked(node)) {
                keep = false;
                break;
            }
            element.Node[static_cast<std::size_t>(k)] = newNumber[static_cast<std::size_t>(node)];
        }
        if (keep) elements.push_back(element);
    }
    NodeCount = static_cast<std::int16_t>(x.size() - 1);
    NodeX = std::move(x);
    NodeY = std::move(y);
    ElementCount = static_cast<std::int16_t>(elements.size() - 1);
    ElementList = std::move(elements);
    NodeMarks.assign(1, 0);
}

}  // namespace drovik
