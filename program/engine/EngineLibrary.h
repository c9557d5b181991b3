#pragma once

// The run-time binding of one engine library: its module handle and one code pointer per
// entry point of its table, looked up by name or by ordinal. A missing entry point leaves its
// pointer null, and the wrapper over it returns its neutral value instead of calling; a
// library that cannot be loaded raises EOSError (RaiseLoadLibraryError) from Load.
//
// Threads: Load, Unload, Start and Stop run on the GUI thread in the program, but are safe
// from any thread (m_bindMutex serialises Load and Unload). Every entry pointer is resolved
// before the module handle is published, so a thread that sees the library loaded sees its
// entry points too. Wrappers may run on any thread while the library stays loaded.
//
// Records are process-wide globals; the destructor does not unload (no engine is called
// during static destruction): UnloadEngineLibraries does it at program exit.

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/kernel/Modules.h"
#include "rtl/SysTypes.h"

// One entry of a library's table: by name, or by ordinal when Name is null.
struct TEntryPoint {
  const char* Name;
  WORD Ordinal;
};
constexpr TEntryPoint ByName(const char* name) { return {name, 0}; }
constexpr TEntryPoint ByOrdinal(WORD ordinal) { return {nullptr, ordinal}; }

// Engine object handles are pointer-sized opaque values.
using TEngineHandle = uintptr_t;

// A Boolean handed to an engine: -1 for True, 0 for False.
constexpr int32_t EngineBool(bool value) { return value ? -1 : 0; }

class TEngineLibrary {
 public:
  TEngineLibrary(AnsiString libraryName, std::vector<TEntryPoint> table);
  virtual ~TEngineLibrary() = default;
  TEngineLibrary(const TEngineLibrary&) = delete;
  TEngineLibrary& operator=(const TEngineLibrary&) = delete;

  // Loads the library of the table and resolves its entries; True at once when loaded.
  // Raises EOSError naming the library when it cannot be loaded.
  bool Load();
  // Managers stop first; then the library is freed and every entry and flag cleared. The
  // record can be loaded again afterwards. Nothing happens when it is not loaded.
  void Unload();

  bool Loaded() const { return m_module.load(std::memory_order_acquire) != nullptr; }
  HMODULE Module() const { return m_module.load(std::memory_order_acquire); }
  const AnsiString& LibraryName() const { return m_libraryName; }
  // The resolved code pointer of table entry `index` (null when missing or not loaded).
  FARPROC EntryPoint(size_t index) const { return m_entries[index].load(std::memory_order_acquire); }
  size_t EntryCount() const { return m_table.size(); }

 protected:
  // Loads `fileName`; a failure is reported under `reportedName`.
  bool LoadNamed(const AnsiString& fileName, const AnsiString& reportedName);

  template <typename Function>
  Function EntryAs(size_t index) const {
    // Through a generic function pointer, so the cast between function types is explicit.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(EntryPoint(index)));
  }

  // Called by Unload while the library is still loaded (the managers stop here).
  virtual void BeforeUnload() {}
  // Called by Unload after the library is freed (the managers clear their state here).
  virtual void ClearState() {}

 private:
  AnsiString m_libraryName;
  std::vector<TEntryPoint> m_table;
  std::unique_ptr<std::atomic<FARPROC>[]> m_entries;
  std::atomic<HMODULE> m_module{nullptr};
  std::mutex m_bindMutex;
};
