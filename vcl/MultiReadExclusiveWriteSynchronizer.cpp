#include "vcl/MultiReadExclusiveWriteSynchronizer.h"

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  std::unique_lock guard(m_lock);
  auto me = std::this_thread::get_id();
  // A thread that already reads or writes goes on, so nested reads never wait.
  m_changed.wait(guard, [&] {
    return m_writeDepth == 0 || m_writer == me || m_readers.count(me) != 0;
  });
  ++m_readers[me];
  ++m_readerCount;
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  std::lock_guard guard(m_lock);
  auto it = m_readers.find(std::this_thread::get_id());
  if (it == m_readers.end()) return;
  if (--it->second == 0) m_readers.erase(it);
  --m_readerCount;
  m_changed.notify_all();
}

bool TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  std::unique_lock guard(m_lock);
  auto me = std::this_thread::get_id();
  if (m_writeDepth > 0 && m_writer == me) {
    ++m_writeDepth;
    return true;
  }
  unsigned seen = m_writeVersion;
  // A reader gives up its reads while it waits, so that two readers becoming writers at once
  // do not each wait for the other's reads to end; the one that comes second learns from the
  // version that data may have changed meanwhile.
  auto mine = m_readers.find(me);
  const int myReads = mine == m_readers.end() ? 0 : mine->second;
  m_readerCount -= myReads;
  if (myReads != 0) m_changed.notify_all();
  m_changed.wait(guard, [&] { return m_writeDepth == 0 && m_readerCount == 0; });
  m_readerCount += myReads;
  m_writer = me;
  m_writeDepth = 1;
  return seen == m_writeVersion;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  std::lock_guard guard(m_lock);
  if (m_writeDepth == 0 || m_writer != std::this_thread::get_id()) return;
  if (--m_writeDepth == 0) {
    m_writer = {};
    ++m_writeVersion;
    m_changed.notify_all();
  }
}
