// cMemory: owns one global memory block (global_memory.h). It allocates,
// locks, unlocks and frees it, and can hand it to another owner without
// freeing it. The block belongs to the object until FreeMemory,
// ReleaseDontFreeMemory or a new Handle; destroying the object frees it.
// Failures show only in the results: nothing is raised.
#pragma once

#include <cstdint>

#include "halvex/interface/dialog_enums.h"

namespace halvex {

class cMemory {
public:
    cMemory() = default;
    ~cMemory();
    cMemory(const cMemory&) = delete;
    cMemory& operator=(const cMemory&) = delete;

    // The block's handle, 0 when there is none.
    std::int32_t Handle() const { return handle_; }
    // Frees the block held, then takes the given block as its own.
    void Handle(std::int32_t handle);
    // 0 without a block; otherwise locks it when not yet locked and gives
    // its address.
    std::int32_t Pointer();
    // The block's size in bytes, 0 without a block.
    std::int32_t Size() const;

    // Frees the block held, then allocates a new one; true when one came.
    bool AllocateMemory(std::int32_t lSize, std::int32_t dwFlags = GPTR);
    // False without change when there is no block or it is locked already;
    // else locks it, true when an address came back.
    bool LockMemory();
    void UnlockMemory();
    void FreeMemory();
    // Unlocks and forgets the block without freeing it: it now belongs to
    // whoever received it.
    void ReleaseDontFreeMemory();

private:
    std::int32_t handle_ = 0;
    std::int32_t address_ = 0;  // 0: not locked
};

}  // namespace halvex
