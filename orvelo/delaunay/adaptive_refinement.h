// Adaptive edge refinement (module `BasOrvelo`): makes a net that took its
// element sizes from elsewhere (a grid-based net) follow the target-size
// field (target_size.h) by longest-edge bisection.
//
// Sweep after sweep, every triangle whose longest side (the one opposite
// its largest angle) is longer than the triangle's target size, and longer
// than twice MinElementSize, has that side bisected. The net is kept
// conforming at once: the triangle across the bisected side is split too,
// and where that side is not the neighbour's strictly longest one, the
// neighbour's longest side is bisected first and the walk goes on across
// it, until it reaches the border of the net or a neighbour whose longest
// side is the shared one. Sweeps repeat until one splits nothing.
//
// Only triangles are tested; a quadrilateral across a bisected side takes
// the midpoint as a corner and becomes three triangles through it, so the
// net keeps no hanging node. The neighbour across a side is found
// through an index of the triangles' sides, which gives the lowest-numbered
// triangle holding the side, as a scan of all elements would.
//
// Side and node flags travel with the splits: the two halves of a split
// side keep its side bits, the new inner side is InnerSide (8) in the split
// triangle and RepeatedSide (32) in the new one, every corner keeps the
// corner bits (BoundaryNode 2, FreeNode 16) of its node, and the new
// midpoint has none. The flags are not rebuilt afterwards.
#pragma once

#include <cstdint>
#include <functional>

namespace orvelo {

// `SplitElementEdge`: bisects the side of triangle `element` of the mesher
// net from corner b to corner i (o the third corner; b, i, o a permutation
// of 1, 2, 3, i the corner after b). The midpoint node is found or added by
// AddMeshNode (mode 0); the triangle becomes (b, M, o) and a new last
// element (o, M, old i) is appended. Error 9 for an element that is not a
// triangle of the net or corner positions that do not name its corners, 6
// past 32767 nodes or elements.
void SplitElementEdge(std::int16_t element, std::int16_t b, std::int16_t i, std::int16_t o);

// `RefineMeshAdaptively`: the refinement of the mesher net by the current
// size field and MinElementSize, in the running operation's wait window
// (one progress step per element of a sweep; after each neighbour search
// pending window events run once). A stop request, honoured after an
// element's split and walk are complete, ends it with the run state 3
// (ExitWithoutSaving): the net is conforming but not refined to the field,
// so it is never taken as a result. The zero-length-side notice appears at
// most once. Errors (overflow, the size field) are not trapped.
//
// A side is not bisected (the triangle keeps its size) when a node it would
// take, or one the walk after it would take, falls within the coincidence
// tolerance of an existing node other than one exactly at that middle, or
// when an element it would make is flat (its height within the tolerance)
// or turns the other way: the whole split with its walk is planned, and its
// nodes made, before any element changes. A side on the border of the net
// that cuts across a corner of the outline or of an opening (the corner
// lies inside its triangle) is split at that corner instead of its middle,
// so no node falls outside the slab; a chord of an arc of them at the arc's
// point halfway between its ends. A side on the border is not split where
// its node would lie within the tolerance of another side on the border
// (two border chains meeting at a narrow angle would crack). At the end
// the net is checked whole (CheckNetIsWhole).
void RefineMeshAdaptively();

// A net with an element of a repeated corner or without area (its corners
// not all turning one way), a side held by more than two elements, or a
// node inside a side of one element that it is no end of (within the
// coincidence tolerance: a hanging node, a crack) is
// never handed on: run-time error 5 naming the place (text 190091). The
// refinement ends with it, and so does the grid-based generation.
void CheckNetIsWhole();

// CheckNetIsWhole with the refusal given: refuse(x, y, fault) is called
// with the place and the text number of the fault (190092 to 190094,
// 190096) and must raise.
void CheckNetIsWhole(const std::function<void(double x, double y, std::int32_t fault)>& refuse);

// Tests only: the same refinement finding each neighbour by scanning every
// element, as the proof that the side index gives the same net.
void RefineMeshAdaptivelyByScan();

}  // namespace orvelo
