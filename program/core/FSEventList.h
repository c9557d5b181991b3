#pragma once

// TFSEventList: a multicast list of handlers, each a method of an object. A handler is
// identified by its object and its method, and is in the list at most once. Handlers are
// not called when the list is destroyed. GUI thread (no lock).
//
//   TFSEventList<void(TObject*)> listeners;
//   listeners.Add(form, &TMainForm::SkinChanged);
//   for (int i = 0; i < listeners.Count(); ++i) listeners.Items(i)(sender);

#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "rtl/Exceptions.h"

// Capacity growth shared by the program's small lists: a quarter above 64, 16 above 8, else 4.
constexpr int GrowthDelta(int capacity) { return capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4; }

template <class Signature> class TFSEventList;

template <class R, class... A> class TFSEventList<R(A...)> {
 public:
  // One handler: the object (data), the method's identity (code) and the call.
  struct TMethodItem {
    void* Data = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> Code{};
    std::function<R(A...)> Call;
    R operator()(A... args) const { return Call(args...); }
  };

  static constexpr int MaxCapacity = 0x8000000;

  template <class C> static TMethodItem Method(C* object, R (C::*method)(A...)) {
    static_assert(sizeof(method) <= sizeof(TMethodItem::Code));
    TMethodItem item;
    item.Data = object;
    std::memcpy(item.Code.data(), &method, sizeof(method));
    item.Call = [object, method](A... args) -> R { return (object->*method)(args...); };
    return item;
  }

  // Index of the handler when it is present, else appended.
  template <class C> int Add(C* object, R (C::*method)(A...)) { return Add(Method(object, method)); }
  int Add(TMethodItem item) {
    const int index = IndexOf(item);
    if (index >= 0) return index;
    if (FCount == Capacity()) SetCapacity(Capacity() + GrowthDelta(Capacity()));
    FItems[FCount] = std::move(item);
    return FCount++;
  }
  // Index the handler had, or -1.
  template <class C> int Remove(C* object, R (C::*method)(A...)) { return Remove(Method(object, method)); }
  int Remove(const TMethodItem& item) {
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
  }
  template <class C> int IndexOf(C* object, R (C::*method)(A...)) const { return IndexOf(Method(object, method)); }
  int IndexOf(const TMethodItem& item) const {
    for (int i = 0; i < FCount; ++i)
      if (FItems[i].Data == item.Data && FItems[i].Code == item.Code) return i;
    return -1;
  }
  void Delete(int index) {
    CheckIndex(index);
    for (int i = index; i + 1 < FCount; ++i) FItems[i] = std::move(FItems[i + 1]);
    FItems[--FCount] = TMethodItem();
  }
  // Range-checked: an index outside 0 .. Count-1 raises EListError.
  const TMethodItem& Items(int index) const {
    CheckIndex(index);
    return FItems[index];
  }
  int Count() const { return FCount; }
  int Capacity() const { return static_cast<int>(FItems.size()); }
  void SetCapacity(int capacity) {
    if (capacity < FCount || capacity >= MaxCapacity)
      throw EListError::CreateFmt("List capacity out of bounds (%d)", {capacity});
    FItems.resize(capacity);
  }

 private:
  void CheckIndex(int index) const {
    if (index < 0 || index >= FCount) throw EListError::CreateFmt("List index out of bounds (%d)", {index});
  }

  std::vector<TMethodItem> FItems;  // Capacity entries, the first Count in use
  int FCount = 0;
};
