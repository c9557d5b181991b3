#pragma once

// TSingleton: the base of objects that exist once in the process and are shared by a
// reference count (the language manager). One cell holds the instance for the whole family:
// only one descendant class may live at a time. The first Create constructs it, each Create
// adds a reference, and Release destroys it with the last reference. Create and Release are
// serialised by one lock, so any thread may call them.
//
//   TLanguageManager* manager = TSingleton::Create<TLanguageManager>();
//   ...
//   manager->Release();

#include <mutex>

#include "rtl/Exceptions.h"
#include "vcl/Object.h"

class TSingleton : public TObject {
  BRANTWELL_CLASS(TSingleton, TObject)

 public:
  // The shared instance, constructed on first creation. Raises EInvalidCast when another
  // descendant class holds the cell.
  template <class T> static T* Create() {
    std::lock_guard guard(CellLock());
    TSingleton*& cell = Cell();
    if (!cell) {
      T* instance = new T();
      instance->FRefCount = 1;
      cell = instance;
      return instance;
    }
    T* instance = dynamic_cast<T*>(cell);
    if (!instance)
      throw EInvalidCast::CreateFmt("Singleton of class %s exists already", {cell->ClassName()});
    ++cell->FRefCount;
    return instance;
  }
  // Drops one reference; the last one destroys the instance and empties the cell.
  void Release();
  int32_t RefCount() const { return FRefCount; }
  // The live instance, or null.
  static TSingleton* Instance();

 protected:
  TSingleton() = default;
  ~TSingleton() override = default;

 private:
  static std::mutex& CellLock();
  static TSingleton*& Cell();

  int32_t FRefCount = 0;
};
