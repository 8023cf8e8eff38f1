#include "orvelo/delaunay/bas_orvelo.h"

namespace orvelo {

namespace {

BasOrvelo& instance() {
    static BasOrvelo data;
    return data;
}

}  // namespace

BasOrvelo& basOrvelo() { return instance(); }

void resetBasOrvelo() { instance() = BasOrvelo{}; }

}  // namespace orvelo
