#include "platform/kernel/GlobalMemory.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {
namespace {

// One block's bytes. `reserve` bytes are allocated (at least one, so even an empty block has
// an address); `size` is what the caller asked for. Fields guarded by BlockMutex().
struct GlobalBlock {
  std::unique_ptr<uint8_t[]> bytes;
  SIZE_T size = 0;
  SIZE_T reserve = 0;
  bool fixed = false;
  unsigned locks = 0;
};

std::mutex& BlockMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

HandleTable<GlobalBlock>& MovableBlocks() {
  static auto* table = new HandleTable<GlobalBlock>(handle_tags::kGlobalMemory);
  return *table;
}

// Fixed blocks by address. BlockMutex().
std::map<const void*, std::shared_ptr<GlobalBlock>>& FixedBlocks() {
  static auto* blocks = new std::map<const void*, std::shared_ptr<GlobalBlock>>;
  return *blocks;
}

// Zeroed storage for `bytes`, or null when the memory is not there.
std::unique_ptr<uint8_t[]> Allocate(SIZE_T bytes) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes ? bytes : 1]());
}

// The block behind a handle or a fixed block's address; null with ERROR_INVALID_HANDLE when
// there is none. BlockMutex() held.
std::shared_ptr<GlobalBlock> FindLocked(HGLOBAL handle) {
  if (auto movable = MovableBlocks().Get(reinterpret_cast<uintptr_t>(handle))) return movable;
  auto it = FixedBlocks().find(handle);
  if (it != FixedBlocks().end()) return it->second;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace
}  // namespace platform::detail

using namespace platform::detail;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  auto block = std::make_shared<GlobalBlock>();
  block->bytes = Allocate(bytes);
  if (!block->bytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  block->size = bytes;
  block->reserve = bytes ? bytes : 1;
  if (flags & GMEM_MOVEABLE) return reinterpret_cast<HGLOBAL>(MovableBlocks().Add(std::move(block)));
  block->fixed = true;
  void* address = block->bytes.get();
  std::lock_guard lock(BlockMutex());
  FixedBlocks().emplace(address, std::move(block));
  return address;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags) {
  if (flags & GMEM_MODIFY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard lock(BlockMutex());
  auto block = FindLocked(handle);
  if (!block) return nullptr;
  if (bytes <= block->reserve) {
    // Fits where it is: the bytes between the new and the old size are cleared so that a
    // later growth shows zeros, not what was cut off.
    if (bytes < block->size) std::memset(block->bytes.get() + bytes, 0, block->size - bytes);
    block->size = bytes;
    return handle;
  }
  const bool mayMove = block->fixed ? (flags & GMEM_MOVEABLE) != 0 : block->locks == 0;
  if (!mayMove) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto grown = Allocate(bytes);
  if (!grown) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(grown.get(), block->bytes.get(), block->size);
  const void* oldAddress = block->bytes.get();
  block->bytes = std::move(grown);
  block->size = bytes;
  block->reserve = bytes;
  if (!block->fixed) return handle;
  FixedBlocks().erase(oldAddress);
  FixedBlocks().emplace(block->bytes.get(), block);
  return block->bytes.get();
}

LPVOID GlobalLock(HGLOBAL handle) {
  std::lock_guard lock(BlockMutex());
  auto block = FindLocked(handle);
  if (!block) return nullptr;
  if (!block->fixed) ++block->locks;
  return block->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL handle) {
  std::lock_guard lock(BlockMutex());
  auto block = FindLocked(handle);
  if (!block) return FALSE;
  if (block->fixed || block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->locks > 0) return TRUE;
  SetLastError(NO_ERROR);
  return FALSE;
}

SIZE_T GlobalSize(HGLOBAL handle) {
  std::lock_guard lock(BlockMutex());
  auto block = FindLocked(handle);
  if (!block) return 0;
  return block->size;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  std::lock_guard lock(BlockMutex());
  if (MovableBlocks().Remove(reinterpret_cast<uintptr_t>(handle))) return nullptr;
  if (FixedBlocks().erase(handle) > 0) return nullptr;
  SetLastError(ERROR_INVALID_HANDLE);
  return handle;
}
