#include "vcl/ObjectInstance.h"

#include <array>
#include <memory>
#include <mutex>
#include <utility>

#include "rtl/SysUtils.h"
#include "vcl/GraphicsObject.h"

namespace {

constexpr int kCapacity = 512;

struct Slot {
  // Shared so that a call in progress keeps its method while the slot is freed.
  std::shared_ptr<const TWndMethod> method;
};

struct Pool {
  std::mutex lock;
  std::array<Slot, kCapacity> slots;
  int next = 0;  // where the search for a free slot starts: just past the last one handed out
  int inUse = 0;
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

template <int Index> LRESULT InstanceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<const TWndMethod> method;
  {
    Pool& pool = ThePool();
    std::lock_guard guard(pool.lock);
    method = pool.slots[Index].method;
  }
  // A freed procedure answers as the default one, in the character set it was installed with
  // (a window text sent to an ANSI procedure is narrow).
  if (!method) {
    return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  TMessage message{msg, wParam, lParam, 0};
  (*method)(message);
  return message.Result;
}

template <int... Index> constexpr std::array<WNDPROC, kCapacity> MakeProcs(std::integer_sequence<int, Index...>) {
  return {&InstanceProc<Index>...};
}

constexpr std::array<WNDPROC, kCapacity> kProcs = MakeProcs(std::make_integer_sequence<int, kCapacity>());

int IndexOf(WNDPROC instance) {
  for (int i = 0; i < kCapacity; ++i)
    if (kProcs[static_cast<size_t>(i)] == instance) return i;
  return -1;
}

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod method) {
  if (!method) throw EInvalidOperation("A window procedure needs a method to call");
  auto bound = std::make_shared<const TWndMethod>(std::move(method));
  Pool& pool = ThePool();
  std::lock_guard guard(pool.lock);
  for (int n = 0; n < kCapacity; ++n) {
    const int i = (pool.next + n) % kCapacity;
    Slot& slot = pool.slots[static_cast<size_t>(i)];
    if (slot.method) continue;
    slot.method = std::move(bound);
    pool.next = (i + 1) % kCapacity;
    ++pool.inUse;
    return kProcs[static_cast<size_t>(i)];
  }
  throw EOutOfResources(Format("Too many window procedures bound to methods (all %d are in use)", {kCapacity}));
}

void FreeObjectInstance(WNDPROC instance) {
  if (!instance) return;
  const int index = IndexOf(instance);
  std::shared_ptr<const TWndMethod> released;  // destroyed outside the lock
  {
    Pool& pool = ThePool();
    std::lock_guard guard(pool.lock);
    if (index < 0 || !pool.slots[static_cast<size_t>(index)].method)
      throw EInvalidPointer("The window procedure is not a bound instance (freed twice, or never made)");
    released = std::move(pool.slots[static_cast<size_t>(index)].method);
    --pool.inUse;
  }
}

int ObjectInstanceCapacity() { return kCapacity; }

int ObjectInstancesInUse() {
  Pool& pool = ThePool();
  std::lock_guard guard(pool.lock);
  return pool.inUse;
}
