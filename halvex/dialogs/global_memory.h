// Global memory blocks: the desktop kernel's functions for movable memory,
// over a handle table of the library. A block has a 32-bit handle and,
// while it is locked, a 32-bit address in an address range of its own, so
// that a record can be handed on as a 32-bit value (the notification
// header a dialog hook receives, the help-window record).
//
// Handles and addresses are never reused. Blocks are zero-filled whatever
// the flags; GMEM_MOVEABLE and GMEM_FIXED blocks behave alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace halvex {

// A new block of `size` bytes; 0 when the size is negative or the memory
// cannot be had.
std::int32_t GlobalAlloc(std::int32_t flags, std::int32_t size);
// Locks the block (at most 255 locks are counted) and returns its address;
// 0 for an unknown handle.
std::int32_t GlobalLock(std::int32_t handle);
// Releases one lock; non-zero while the block stays locked.
std::int32_t GlobalUnlock(std::int32_t handle);
// Frees the block, locked or not: 0, or the handle when it names no block.
std::int32_t GlobalFree(std::int32_t handle);
// The block's size in bytes; 0 for an unknown handle.
std::int32_t GlobalSize(std::int32_t handle);
// The lock count in the low byte; GMEM_INVALID_HANDLE (0x8000) for an
// unknown handle.
std::int32_t GlobalFlags(std::int32_t handle);

// Copies into / out of memory at an address: false, and nothing copied,
// unless the whole range lies inside one locked block.
bool CopyToAddress(std::int32_t address, const void* data, std::size_t size);
bool CopyFromAddress(void* data, std::int32_t address, std::size_t size);

}  // namespace halvex
