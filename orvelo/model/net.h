// The finite-element net and slab outline types that the project store, the
// meshers and the internal forces share.
//
// Lists of these records are 1-based: a std::vector of n + 1 entries whose
// entry 0 is unused (or a scratch slot where a procedure says so). Node and
// element numbers and every count are 16-bit and stop at kMaxNetCount.
// Points are halvex::SinglePoint (net coordinates) or halvex::POINTAPI
// (integer region coordinates); element side and node flags are the bits of
// halvex::FElementSideType.
#pragma once

#include <array>
#include <cstdint>

#include "halvex/interface/enums.h"

namespace orvelo {

// The largest node number, element number or count a net may hold.
inline constexpr std::int32_t kMaxNetCount = 32767;

// One element of a net: a triangle (CornerCount 3) or a quadrilateral (4)
// with its corner nodes Node(1..CornerCount). Flag(k) holds the
// FElementSideType bits of corner k and of the side from Node(k) to the next
// corner (Node(1) after the last). Entries 0 and those above CornerCount are
// unused and stay 0. While a mesher works, CornerCount may hold its own
// marks (0 unclassified, -1 outside); a stored net holds 3 or 4 only.
struct NetElement {
    std::int32_t CornerCount = 0;
    std::array<std::int16_t, 5> Node{};
    std::array<std::int32_t, 5> Flag{};

    bool operator==(const NetElement&) const = default;
};

// One piece of the slab outline or of an opening: a straight line from
// (X1, Y1) to (X2, Y2), or, when IsArc, an arc between them about the centre
// (XC, YC) whose sense is Direction.
struct OutlinePiece {
    bool IsArc = false;
    float X1 = 0.0f;
    float Y1 = 0.0f;
    float X2 = 0.0f;
    float Y2 = 0.0f;
    float XC = 0.0f;
    float YC = 0.0f;
    bool Direction = false;

    bool operator==(const OutlinePiece&) const = default;
};

// A straight piece from (x1, y1) to (x2, y2).
inline OutlinePiece straightPiece(float x1, float y1, float x2, float y2) {
    OutlinePiece piece;
    piece.X1 = x1;
    piece.Y1 = y1;
    piece.X2 = x2;
    piece.Y2 = y2;
    return piece;
}

// An arc piece from (x1, y1) to (x2, y2) about the centre (xc, yc),
// anticlockwise when counterClockwise (Direction).
inline OutlinePiece arcPiece(float x1, float y1, float x2, float y2, float xc, float yc, bool counterClockwise) {
    OutlinePiece piece = straightPiece(x1, y1, x2, y2);
    piece.IsArc = true;
    piece.XC = xc;
    piece.YC = yc;
    piece.Direction = counterClockwise;
    return piece;
}

}  // namespace orvelo
