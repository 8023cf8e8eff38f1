#include "halvex/dialogs/c_memory.h"

#include "halvex/dialogs/global_memory.h"

namespace halvex {

cMemory::~cMemory()
{
    FreeMemory();
}

void cMemory::Handle(std::int32_t handle)
{
    if (handle_ != 0) FreeMemory();
    handle_ = handle;
}

std::int32_t cMemory::Pointer()
{
    if (handle_ == 0) return 0;
    if (address_ == 0) LockMemory();
    return address_;
}

std::int32_t cMemory::Size() const
{
    return handle_ == 0 ? 0 : GlobalSize(handle_);
}

bool cMemory::AllocateMemory(std::int32_t lSize, std::int32_t dwFlags)
{
    FreeMemory();
    handle_ = GlobalAlloc(dwFlags, lSize);
    return handle_ != 0;
}

bool cMemory::LockMemory()
{
    if (handle_ == 0 || address_ != 0) return false;
    address_ = GlobalLock(handle_);
    return address_ != 0;
}

void cMemory::UnlockMemory()
{
    if (handle_ != 0 && address_ != 0) {
        GlobalUnlock(handle_);
        address_ = 0;
    }
}

void cMemory::FreeMemory()
{
    if (handle_ != 0) {
        UnlockMemory();
        GlobalFree(handle_);
        handle_ = 0;
    }
}

void cMemory::ReleaseDontFreeMemory()
{
    UnlockMemory();
    handle_ = 0;
}

}  // namespace halvex
