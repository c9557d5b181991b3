#pragma once

// A table that hands out opaque pointer-sized handles for shared objects and detects stale
// ones: each slot carries a generation that changes when its object is removed, so a handle
// kept after its close never reaches a later object in the same slot. Each table has its own
// tag, so a handle of one kind (a file, a window, a DC) is never valid in another kind's table.
// Thread-safe; lookups return shared ownership so an object outlives a concurrent close.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

template <typename T>
class HandleTable {
 public:
  // tag: 1..255, distinct per table.
  explicit HandleTable(uint8_t tag) : m_tag(tag) {}

  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // Returns a handle value, never 0 and never all bits set.
  uintptr_t Add(std::shared_ptr<T> object) {
    std::lock_guard lock(m_mutex);
    uint32_t index;
    if (!m_free.empty()) {
      index = m_free.back();
      m_free.pop_back();
    } else {
      index = static_cast<uint32_t>(m_slots.size());
      m_slots.push_back({});
    }
    Slot& slot = m_slots[index];
    slot.object = std::move(object);
    return Encode(index, slot.generation);
  }

  std::shared_ptr<T> Get(uintptr_t handle) const {
    std::lock_guard lock(m_mutex);
    const Slot* slot = Find(handle);
    return slot ? slot->object : nullptr;
  }

  bool Contains(uintptr_t handle) const { return Get(handle) != nullptr; }

  // Removes the object and returns it (so the caller can finish it outside the lock);
  // nullptr when the handle is not valid.
  std::shared_ptr<T> Remove(uintptr_t handle) {
    std::lock_guard lock(m_mutex);
    Slot* slot = const_cast<Slot*>(Find(handle));
    if (!slot) return nullptr;
    std::shared_ptr<T> object = std::move(slot->object);
    slot->object.reset();
    slot->generation = (slot->generation + 1) & kGenerationMask;
    m_free.push_back(static_cast<uint32_t>(slot - m_slots.data()));
    return object;
  }

  // Every live object, in slot order.
  std::vector<std::pair<uintptr_t, std::shared_ptr<T>>> Snapshot() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<uintptr_t, std::shared_ptr<T>>> out;
    for (size_t i = 0; i < m_slots.size(); ++i) {
      if (m_slots[i].object) out.emplace_back(Encode(static_cast<uint32_t>(i), m_slots[i].generation), m_slots[i].object);
    }
    return out;
  }

 private:
  struct Slot {
    std::shared_ptr<T> object;
    uint32_t generation = 1;
  };

  static constexpr uint32_t kGenerationMask = 0xFFFF;

  // Layout (64-bit): tag in bits 48..55, generation in bits 32..47, (index + 1) << 2 below.
  // The low two bits stay clear so handles look like aligned pointers.
  uintptr_t Encode(uint32_t index, uint32_t generation) const {
    return (static_cast<uintptr_t>(m_tag) << 48) | (static_cast<uintptr_t>(generation) << 32) |
           (static_cast<uintptr_t>(index + 1) << 2);
  }

  const Slot* Find(uintptr_t handle) const {
    if ((handle >> 48) != m_tag || (handle & 3) != 0) return nullptr;
    const uint64_t low = handle & 0xFFFFFFFFu;
    if (low == 0) return nullptr;
    const size_t index = (low >> 2) - 1;
    const uint32_t generation = static_cast<uint32_t>((handle >> 32) & kGenerationMask);
    if (index >= m_slots.size()) return nullptr;
    const Slot& slot = m_slots[index];
    if (!slot.object || slot.generation != generation) return nullptr;
    return &slot;
  }

  const uint8_t m_tag;
  mutable std::mutex m_mutex;
  std::vector<Slot> m_slots;
  std::vector<uint32_t> m_free;
};

static_assert(sizeof(uintptr_t) == 8, "handles are laid out for 64-bit");

// Tags of the layer's tables, one per kind of handle.
namespace handle_tags {
constexpr uint8_t kKernel = 0x11;   // files, finds, threads, events, mutexes, semaphores
constexpr uint8_t kModule = 0x12;   // loaded libraries
constexpr uint8_t kGlobalMemory = 0x13;  // movable global memory blocks
constexpr uint8_t kSocket = 0x14;   // sockets
constexpr uint8_t kGdi = 0x21;      // DCs, bitmaps, pens, brushes, fonts, regions, palettes
constexpr uint8_t kUser = 0x31;     // windows
constexpr uint8_t kUserObject = 0x32;  // standard cursors
constexpr uint8_t kMenu = 0x33;        // menus
constexpr uint8_t kIcon = 0x34;        // icons and cursors made from pictures
constexpr uint8_t kResource = 0x36;    // found and loaded resources
constexpr uint8_t kMonitor = 0x37;     // monitors
constexpr uint8_t kDrop = 0x38;        // dropped-file lists
constexpr uint8_t kRemoteWindow = 0x39;  // top-level windows of other processes of the program
constexpr uint8_t kEngine = 0x41;   // engine objects
}  // namespace handle_tags

}  // namespace platform
