#include "orvelo/model/declar.h"

#include <utility>

#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

Declar& instance() {
    static Declar d;
    return d;
}

}  // namespace

Declar& declar() { return instance(); }

void resetDeclar() { instance() = Declar{}; }

std::int16_t checkedNetCount(long long count) {
    if (count < 0 || count > kMaxNetCount) rt::raise(6);
    return static_cast<std::int16_t>(count);
}

ProjectNet projectNetOf(const Declar& d) {
    return ProjectNet{d.NodeCount, d.NodeX, d.NodeY, d.ElementCount, d.ElementList};
}

void setProjectNet(Declar& d, ProjectNet net) {
    d.NodeCount = net.NodeCount;
    d.NodeX = std::move(net.NodeX);
    d.NodeY = std::move(net.NodeY);
    d.ElementCount = net.ElementCount;
    d.ElementList = std::move(net.ElementList);
}

void clearNetAndBoundary(Declar& d) {
    const Declar fresh;
    setProjectNet(d, ProjectNet{});
    d.OutlinePieceCount = fresh.OutlinePieceCount;
    d.OutlinePieces = fresh.OutlinePieces;
    d.OpeningCount = fresh.OpeningCount;
    d.OpeningPieceCount = fresh.OpeningPieceCount;
    d.MaxOpeningPieces = fresh.MaxOpeningPieces;
    d.OpeningPieces = fresh.OpeningPieces;
    d.SinglePointCount = fresh.SinglePointCount;
    d.SinglePoints = fresh.SinglePoints;
    d.LineCount = fresh.LineCount;
    d.LineStart = fresh.LineStart;
    d.LineEnd = fresh.LineEnd;
    d.GridCountX = fresh.GridCountX;
    d.GridX = fresh.GridX;
    d.GridCountY = fresh.GridCountY;
    d.GridY = fresh.GridY;
}

}  // namespace orvelo
