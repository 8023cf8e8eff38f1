#include "halvex/dialogs/global_memory.h"

#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <vector>

namespace halvex {

namespace {

constexpr std::int32_t kInvalidHandleFlag = 0x8000;
constexpr std::int32_t kMaxLocks = 255;
// Blocks start on 16-byte boundaries with a gap of at least 16 bytes
// between them, so an address just past one block is never in the next.
constexpr std::int64_t kAlignment = 16;

struct Block {
    std::vector<unsigned char> bytes;
    std::int32_t address = 0;
    std::int32_t locks = 0;
};

struct MemoryTable {
    std::map<std::int32_t, Block> blocks;  // by handle
    std::int32_t nextHandle = 0x1004;
    std::int64_t nextAddress = 0x00100000;
};

MemoryTable& table()
{
    static MemoryTable memory;
    return memory;
}

Block* find(std::int32_t handle)
{
    auto it = table().blocks.find(handle);
    return it == table().blocks.end() ? nullptr : &it->second;
}

// The locked block holding [address, address + size), or nullptr.
Block* lockedBlockAt(std::int32_t address, std::size_t size)
{
    for (auto& [handle, block] : table().blocks) {
        if (block.locks == 0 || address < block.address) continue;
        const std::int64_t offset = static_cast<std::int64_t>(address) - block.address;
        if (offset + static_cast<std::int64_t>(size) <= static_cast<std::int64_t>(block.bytes.size()))
            return &block;
    }
    return nullptr;
}

}  // namespace

std::int32_t GlobalAlloc(std::int32_t /*flags*/, std::int32_t size)
{
    MemoryTable& memory = table();
    if (size < 0) return 0;
    const std::int64_t span = (static_cast<std::int64_t>(size) + 2 * kAlignment - 1) / kAlignment * kAlignment;
    if (memory.nextAddress + span > std::numeric_limits<std::int32_t>::max()) return 0;
    Block block;
    try {
        block.bytes.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    block.address = static_cast<std::int32_t>(memory.nextAddress);
    memory.nextAddress += span;
    const std::int32_t handle = memory.nextHandle;
    memory.nextHandle += 4;
    memory.blocks.emplace(handle, std::move(block));
    return handle;
}

std::int32_t GlobalLock(std::int32_t handle)
{
    Block* block = find(handle);
    if (block == nullptr) return 0;
    if (block->locks < kMaxLocks) ++block->locks;
    return block->address;
}

std::int32_t GlobalUnlock(std::int32_t handle)
{
    Block* block = find(handle);
    if (block == nullptr || block->locks == 0) return 0;
    --block->locks;
    return block->locks;
}

std::int32_t GlobalFree(std::int32_t handle)
{
    return table().blocks.erase(handle) == 1 ? 0 : handle;
}

std::int32_t GlobalSize(std::int32_t handle)
{
    const Block* block = find(handle);
    return block == nullptr ? 0 : static_cast<std::int32_t>(block->bytes.size());
}

std::int32_t GlobalFlags(std::int32_t handle)
{
    const Block* block = find(handle);
    return block == nullptr ? kInvalidHandleFlag : block->locks;
}

bool CopyToAddress(std::int32_t address, const void* data, std::size_t size)
{
    Block* block = lockedBlockAt(address, size);
    if (block == nullptr) return false;
    if (size > 0) std::memcpy(block->bytes.data() + (address - block->address), data, size);
    return true;
}

bool CopyFromAddress(void* data, std::int32_t address, std::size_t size)
{
    Block* block = lockedBlockAt(address, size);
    if (block == nullptr) return false;
    if (size > 0) std::memcpy(data, block->bytes.data() + (address - block->address), size);
    return true;
}

}  // namespace halvex
