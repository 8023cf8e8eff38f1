#include "orvelo/delaunay/predicates.h"

#include <cmath>
#include <cstddef>
#include <memory_resource>
#include <vector>

namespace orvelo::predicates {

namespace {

// Exact arithmetic in floating-point expansions: a value is held as a sum of
// doubles whose magnitudes do not overlap, smallest first. Sums and products
// of doubles are split into their rounded result and the exact error, so
// nothing is lost.
// The parts live in the arena of the one exact evaluation they belong to
// (a buffer on the stack, the heap beyond it), so that the many short lists
// of an evaluation cost no allocations of their own.

using Expansion = std::pmr::vector<double>;
using Arena = std::pmr::memory_resource*;

// x + y = a + b exactly, x the rounded sum.
inline void twoSum(double a, double b, double& x, double& y) {
    x = a + b;
    const double bVirtual = x - a;
    const double aVirtual = x - bVirtual;
    y = (a - aVirtual) + (b - bVirtual);
}

// x + y = a * b exactly, x the rounded product.
inline void twoProduct(double a, double b, double& x, double& y) {
    x = a * b;
    y = std::fma(a, b, -x);
}

// Adds one double to an expansion (the result stays non-overlapping and
// ordered by magnitude); zero parts are dropped. In place: the k-th part
// kept is written where the k-th or a later part was read.
void growExpansion(Expansion& e, double b) {
    double q = b;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < e.size(); ++i) {
        double sum = 0.0;
        double error = 0.0;
        twoSum(q, e[i], sum, error);
        if (error != 0.0) e[kept++] = error;
        q = sum;
    }
    e.resize(kept);
    if (q != 0.0) e.push_back(q);
}

Expansion sumOf(const Expansion& terms) {
    Expansion e(terms.get_allocator());
    e.reserve(terms.size() + 1);
    for (double t : terms)
        if (t != 0.0) growExpansion(e, t);
    return e;
}

// The exact difference a - b as an expansion.
Expansion difference(Arena arena, double a, double b) {
    double x = 0.0;
    double y = 0.0;
    twoSum(a, -b, x, y);
    Expansion e(arena);
    e.reserve(3);
    if (y != 0.0) growExpansion(e, y);
    if (x != 0.0) growExpansion(e, x);
    return e;
}

Expansion product(const Expansion& e, const Expansion& f) {
    Expansion terms(e.get_allocator());
    terms.reserve(2 * e.size() * f.size());
    for (double a : e)
        for (double b : f) {
            double x = 0.0;
            double y = 0.0;
            twoProduct(a, b, x, y);
            terms.push_back(y);
            terms.push_back(x);
        }
    return sumOf(terms);
}

Expansion add(const Expansion& e, const Expansion& f) {
    Expansion result(e.get_allocator());
    result.reserve(e.size() + f.size() + 1);
    result.assign(e.begin(), e.end());
    for (double part : f) growExpansion(result, part);
    return result;
}

Expansion negated(Expansion e) {
    for (double& part : e) part = -part;
    return e;
}

// The sign of an expansion is the sign of its largest part, the last one.
double signOf(const Expansion& e) {
    if (e.empty()) return 0.0;
    return e.back() > 0.0 ? 1.0 : -1.0;
}

double orientExact(double ax, double ay, double bx, double by, double cx, double cy) {
    std::byte buffer[4096];
    std::pmr::monotonic_buffer_resource arena(buffer, sizeof buffer);
    const Expansion acx = difference(&arena, ax, cx);
    const Expansion acy = difference(&arena, ay, cy);
    const Expansion bcx = difference(&arena, bx, cx);
    const Expansion bcy = difference(&arena, by, cy);
    return signOf(add(product(acx, bcy), negated(product(acy, bcx))));
}

double inCircleExact(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                     double dy) {
    std::byte buffer[32768];
    std::pmr::monotonic_buffer_resource arena(buffer, sizeof buffer);
    const Expansion adx = difference(&arena, ax, dx);
    const Expansion ady = difference(&arena, ay, dy);
    const Expansion bdx = difference(&arena, bx, dx);
    const Expansion bdy = difference(&arena, by, dy);
    const Expansion cdx = difference(&arena, cx, dx);
    const Expansion cdy = difference(&arena, cy, dy);
    const Expansion aLift = add(product(adx, adx), product(ady, ady));
    const Expansion bLift = add(product(bdx, bdx), product(bdy, bdy));
    const Expansion cLift = add(product(cdx, cdx), product(cdy, cdy));
    const Expansion bc = add(product(bdx, cdy), negated(product(bdy, cdx)));
    const Expansion ca = add(product(cdx, ady), negated(product(cdy, adx)));
    const Expansion ab = add(product(adx, bdy), negated(product(ady, bdx)));
    return signOf(add(add(product(aLift, bc), product(bLift, ca)), product(cLift, ab)));
}

}  // namespace

namespace detail {

double OrientExact(double ax, double ay, double bx, double by, double cx, double cy) {
    return orientExact(ax, ay, bx, by, cx, cy);
}

double InCircleExact(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    return inCircleExact(ax, ay, bx, by, cx, cy, dx, dy);
}

}  // namespace detail

bool OnSegment(double ax, double ay, double bx, double by, double px, double py) {
    if (Orient2d(ax, ay, bx, by, px, py) != 0.0) return false;
    const bool withinX = ax <= bx ? (ax <= px && px <= bx) : (bx <= px && px <= ax);
    const bool withinY = ay <= by ? (ay <= py && py <= by) : (by <= py && py <= ay);
    return withinX && withinY;
}

}  // namespace orvelo::predicates
