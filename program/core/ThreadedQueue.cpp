#include "program/core/ThreadedQueue.h"

TThreadedQueue::~TThreadedQueue() { Clear(); }

void* TThreadedQueue::Push(void* item) {
  std::lock_guard guard(Lock);
  Queue.Insert(0, item);
  return item;
}

void* TThreadedQueue::Pop() {
  std::lock_guard guard(Lock);
  const int last = Queue.Count() - 1;
  void* item = Queue.Items(last);
  Queue.Delete(last);
  return item;
}

void* TThreadedQueue::Peek() {
  std::lock_guard guard(Lock);
  return Queue.Items(Queue.Count() - 1);
}

bool TThreadedQueue::TryPop(void*& item) {
  std::lock_guard guard(Lock);
  if (Queue.Count() == 0) return false;
  item = Pop();
  return true;
}

int TThreadedQueue::Count() {
  std::lock_guard guard(Lock);
  return Queue.Count();
}

bool TThreadedQueue::Contains(void* item) {
  TList* list = LockList();
  const bool found = list->IndexOf(item) >= 0;
  UnlockList();
  return found;
}

void TThreadedQueue::Clear() {
  std::lock_guard guard(Lock);
  Queue.Clear();
}

TList* TThreadedQueue::LockList() {
  Lock.lock();
  return &Queue;
}

void TThreadedQueue::UnlockList() { Lock.unlock(); }
