#pragma once

// TThreadedQueue: a first-in first-out queue of untyped pointers that feeds worker threads.
// It never owns or frees its items. Any thread may call any operation; each takes Lock for
// its own duration. The lock is re-entrant: between LockList and UnlockList the holder may
// call the other operations. The list holds the newest item at index 0, the oldest last.

#include <mutex>

#include "vcl/List.h"

class TThreadedQueue : public TObject {
  BRANTWELL_CLASS(TThreadedQueue, TObject)

 public:
  TThreadedQueue() = default;
  ~TThreadedQueue() override;

  void* Push(void* item);
  // The oldest item, removed or not. An empty queue raises EListError
  // "List index out of bounds (-1)"; TryPop tests and takes under one lock instead.
  void* Pop();
  void* Peek();
  bool TryPop(void*& item);
  int Count();
  bool Contains(void* item);
  void Clear();
  // Hands the caller the lock and the list (newest first); UnlockList must follow in every
  // case.
  TList* LockList();
  void UnlockList();

 private:
  TList Queue;
  std::recursive_mutex Lock;
};
