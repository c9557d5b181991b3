#include "program/engine/EngineLibrary.h"

#include "program/core/LogFile.h"

TEngineLibrary::TEngineLibrary(AnsiString libraryName, std::vector<TEntryPoint> table)
    : m_libraryName(std::move(libraryName)),
      m_table(std::move(table)),
      m_entries(std::make_unique<std::atomic<FARPROC>[]>(m_table.size())) {
  for (size_t i = 0; i < m_table.size(); ++i) m_entries[i].store(nullptr, std::memory_order_relaxed);
}

bool TEngineLibrary::Load() { return LoadNamed(m_libraryName, m_libraryName); }

bool TEngineLibrary::LoadNamed(const AnsiString& fileName, const AnsiString& reportedName) {
  if (Loaded()) return true;
  std::lock_guard lock(m_bindMutex);
  if (Loaded()) return true;
  HMODULE module = LoadLibraryA(fileName.c_str());
  if (!module) RaiseLoadLibraryError(reportedName);
  for (size_t i = 0; i < m_table.size(); ++i) {
    const TEntryPoint& entry = m_table[i];
    const char* name = entry.Name ? entry.Name : reinterpret_cast<const char*>(static_cast<uintptr_t>(entry.Ordinal));
    m_entries[i].store(GetProcAddress(module, name), std::memory_order_relaxed);
  }
  // Published last: whoever sees the handle sees every entry resolved.
  m_module.store(module, std::memory_order_release);
  return true;
}

void TEngineLibrary::Unload() {
  std::lock_guard lock(m_bindMutex);
  HMODULE module = Module();
  if (!module) return;
  BeforeUnload();
  m_module.store(nullptr, std::memory_order_release);
  for (size_t i = 0; i < m_table.size(); ++i) m_entries[i].store(nullptr, std::memory_order_release);
  FreeLibrary(module);
  ClearState();
}
