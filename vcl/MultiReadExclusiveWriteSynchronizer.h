#pragma once

// TMultiReadExclusiveWriteSynchronizer: many readers or one writer. Both locks are
// re-entrant for the thread that holds them, a writer may also read, and a reader may
// become the writer (it waits until the other readers have left; BeginWrite returns False
// when another writer got in first meanwhile, so data read before may have changed).

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "vcl/Object.h"

class TMultiReadExclusiveWriteSynchronizer : public TObject {
  BRANTWELL_CLASS(TMultiReadExclusiveWriteSynchronizer, TObject)

 public:
  TMultiReadExclusiveWriteSynchronizer() = default;

  void BeginRead();
  void EndRead();
  bool BeginWrite();
  void EndWrite();

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::map<std::thread::id, int> m_readers;  // read depth per thread
  int m_readerCount = 0;  // sum of the read depths, less those of a reader waiting to write
  std::thread::id m_writer;
  int m_writeDepth = 0;
  unsigned m_writeVersion = 0;  // counts completed write sections
};
