// Tracing of one slab piece across the extended grid: where a piece of the
// outline, of an opening or an internal line crosses the grid lines.
//
// The piece is swept over the grid lines in y (from the lowest line up),
// then over those in x (from the leftmost line on). A straight piece, and
// an arc of a radius above 10000, crosses a line where its chord does; an
// arc crosses where its circle does within its angle range. Crossings that
// share their nearest grid point with an earlier one are dropped (the one
// found first stands for the grid point), the rest are ordered along the
// piece, and a first or last crossing on the grid point of the piece's
// start or end is dropped too. A sweep ends at the last grid line even
// when the piece reaches a little beyond it.
//
// The wait window is polled after every step of both sweeps; a stop ends
// the call at once with nothing more appended.
#pragma once

#include <cstdint>

#include "orvelo/model/net.h"

namespace orvelo {

// Piece modes of TraceSlabPiece.
inline constexpr std::int16_t kTraceBoundaryPiece = 0;
inline constexpr std::int16_t kTraceInternalLine = -1;

// `TraceSlabPiece`. mode 0, a piece of the outline or of an opening:
// appends the piece's start and then its remaining crossings, in order
// along the piece, to RegionPoints (region coordinates), and makes each
// crossing a key point. mode -1, an internal line: one constraint edge per
// consecutive pair of the chain start, crossings, end, in ConstraintEdges
// and ConstraintKeys (both as key numbers); a line that crosses no grid line
// adds none. Other modes are error 5.
void TraceSlabPiece(const OutlinePiece& piece, std::int16_t mode);

}  // namespace orvelo
