#include "program/core/Singleton.h"

std::mutex& TSingleton::CellLock() {
  static std::mutex lock;
  return lock;
}

TSingleton*& TSingleton::Cell() {
  static TSingleton* cell = nullptr;
  return cell;
}

TSingleton* TSingleton::Instance() {
  std::lock_guard guard(CellLock());
  return Cell();
}

void TSingleton::Release() {
  TSingleton* last = nullptr;
  {
    std::lock_guard guard(CellLock());
    if (FRefCount <= 0) return;
    if (--FRefCount == 0) {
      if (Cell() == this) Cell() = nullptr;
      last = this;
    }
  }
  delete last;
}
