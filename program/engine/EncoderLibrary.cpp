#include "program/engine/EncoderLibrary.h"

TEncoderLibrary::TEncoderLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName), {ByOrdinal(5), ByOrdinal(6), ByOrdinal(7), ByOrdinal(1), ByOrdinal(2),
                                              ByOrdinal(3), ByOrdinal(4)}) {}

int32_t TEncoderLibrary::Start() {
  if (m_engine.load() == 0 && Load()) {
    if (auto start = EntryAs<int32_t (*)()>(kStart)) m_engine.exchange(start());
  }
  return m_engine.load();
}

void TEncoderLibrary::Stop() {
  if (m_engine.load() != 0) {
    if (auto stop = EntryAs<void (*)()>(kStop)) stop();
    m_engine.exchange(0);
  }
}
