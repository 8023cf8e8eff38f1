#include "orvelo/delaunay/bas_delaunay.h"

namespace orvelo {

namespace {

BasDelaunay& instance() {
    static BasDelaunay data;
    return data;
}

}  // namespace

BasDelaunay& basDelaunay() { return instance(); }

void resetBasDelaunay() { instance() = BasDelaunay{}; }

}  // namespace orvelo
