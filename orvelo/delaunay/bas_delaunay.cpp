#include "orvelo/delaunay/bas_delaunay.h"

namespace orvelo {

namespace {

BasDelaunay& instance() {
    static BasDelaunay data;
    return data;
}

}  // namespace

BasDelaunay& basDelaunay() { return instance(); }

void ClearKeepingRoom(BasDelaunay& m) {
    BasDelaunay fresh;
    // The fresh contents written into the kept list, which then takes the
    // fresh list's place.
    auto keep = [](auto& kept, auto& into) {
        kept.assign(into.begin(), into.end());
        into.swap(kept);
    };
    keep(m.MeshNodeX, fresh.MeshNodeX);
    keep(m.MeshNodeY, fresh.MeshNodeY);
    keep(m.MeshElementList, fresh.MeshElementList);
    keep(m.ElementCircle, fresh.ElementCircle);
    keep(m.Links.Elements, fresh.Links.Elements);
    keep(m.Links.NodeElement, fresh.Links.NodeElement);
    // (Made afresh by the next NodeIndexScope.)
    fresh.NodeIndex = std::move(m.NodeIndex);
    m = std::move(fresh);
}

void resetBasDelaunay() { ClearKeepingRoom(instance()); }

}  // namespace orvelo
