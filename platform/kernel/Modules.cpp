#include "platform/kernel/Modules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {
namespace {

// One loaded library. references is guarded by ModulesMutex().
struct ModuleRecord {
  void* library = nullptr;  // the dlopen handle; dlclose'd when references reaches 0
  std::string path;
  int references = 1;
  bool executable = false;  // never unloaded
};

HandleTable<ModuleRecord>& Modules() {
  static auto* table = new HandleTable<ModuleRecord>(handle_tags::kModule);
  return *table;
}

std::mutex& ModulesMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

// dlopen handle -> module handle, so that loading a library twice counts one module.
std::map<void*, uintptr_t>& ModulesByLibrary() {
  static auto* map = new std::map<void*, uintptr_t>;
  return *map;
}

uintptr_t ExecutableModule() {
  static const uintptr_t handle = [] {
    auto record = std::make_shared<ModuleRecord>();
    record->library = dlopen(nullptr, RTLD_NOW);
    record->path = platform::ExecutablePath();
    record->executable = true;
    return Modules().Add(std::move(record));
  }();
  return handle;
}

HMODULE ToHandle(uintptr_t value) { return reinterpret_cast<HMODULE>(value); }

std::shared_ptr<ModuleRecord> Lookup(HMODULE module) {
  const uintptr_t value = module ? reinterpret_cast<uintptr_t>(module) : ExecutableModule();
  auto record = Modules().Get(value);
  if (!record) SetLastError(ERROR_INVALID_HANDLE);
  return record;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view FileNameOf(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The path itself when it exists; otherwise the same path with each missing part replaced
// by an entry of its folder that differs only in ASCII case (unchanged when there is none).
std::string ResolveCaseInsensitively(const std::string& path) {
  if (access(path.c_str(), F_OK) == 0 || path.empty() || path[0] != '/') return path;
  std::string resolved;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    std::string candidate = resolved + "/" + part;
    if (access(candidate.c_str(), F_OK) != 0) {
      std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(resolved.empty() ? "/" : resolved.c_str()), closedir);
      if (!folder) return path;
      bool found = false;
      while (dirent* entry = readdir(folder.get())) {
        if (EqualsIgnoringCase(entry->d_name, part)) {
          candidate = resolved + "/" + entry->d_name;
          found = true;
          break;
        }
      }
      if (!found) return path;
    }
    resolved = std::move(candidate);
  }
  return resolved;
}

HMODULE LoadLibraryUtf8(const std::string& name) {
  if (name.empty()) {
    SetLastErrorWithDetail(ERROR_MOD_NOT_FOUND, "no library name given");
    return nullptr;
  }
  const std::string path = ResolveCaseInsensitively(LibraryPathForName(name));
  dlerror();
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* text = dlerror();
    SetLastErrorWithDetail(ERROR_MOD_NOT_FOUND, text ? text : "cannot load '" + path + "'");
    return nullptr;
  }
  std::unique_lock lock(ModulesMutex());
  auto& byLibrary = ModulesByLibrary();
  if (const auto it = byLibrary.find(library); it != byLibrary.end()) {
    if (auto record = Modules().Get(it->second)) {
      ++record->references;
      lock.unlock();
      // The record keeps the library open once; drop the count this dlopen added.
      dlclose(library);
      return ToHandle(it->second);
    }
  }
  auto record = std::make_shared<ModuleRecord>();
  record->library = library;
  record->path = path;
  const uintptr_t handle = Modules().Add(std::move(record));
  byLibrary[library] = handle;
  return ToHandle(handle);
}

HMODULE GetModuleHandleUtf8(const char* name) {
  if (!name) return ToHandle(ExecutableModule());
  const std::string wanted = ResolveCaseInsensitively(LibraryPathForName(name));
  const bool byPath = std::string_view(name).find_first_of("/\\") != std::string_view::npos;
  for (const auto& [handle, record] : Modules().Snapshot()) {
    if (record->executable) continue;
    const bool same = byPath ? EqualsIgnoringCase(record->path, wanted)
                             : EqualsIgnoringCase(FileNameOf(record->path), FileNameOf(wanted));
    if (same) return ToHandle(handle);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

std::string WideName(LPCWSTR name) { return name ? platform::Utf16ToUtf8(std::u16string_view(name)) : std::string(); }

}  // namespace

std::string LibraryPathForName(const std::string& name) {
  std::string path = name;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  const std::string_view file = FileNameOf(path);
  const auto dot = file.rfind('.');
  if (dot == std::string_view::npos) {
    path += ".so";
  } else if (dot + 1 == file.size()) {
    path.pop_back();  // a trailing dot means "no extension"
  } else if (EqualsIgnoringCase(file.substr(dot + 1), "dll")) {
    path.resize(path.size() - 3);
    path += "so";
  }
  if (!path.empty() && path[0] == '/') return path;
  return platform::ProgramFolder() + "/" + path;
}

std::string ModuleFilePath(HMODULE module) {
  if (!module) return platform::ExecutablePath();
  auto record = Modules().Get(reinterpret_cast<uintptr_t>(module));
  return record ? record->path : std::string();
}

}  // namespace platform::detail

using namespace platform::detail;

HMODULE LoadLibraryA(LPCSTR fileName) { return LoadLibraryUtf8(fileName ? fileName : ""); }

HMODULE LoadLibraryW(LPCWSTR fileName) { return LoadLibraryUtf8(WideName(fileName)); }

HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD) {
  if (file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadLibraryA(fileName);
}

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD) {
  if (file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadLibraryW(fileName);
}

BOOL FreeLibrary(HMODULE module) {
  std::unique_lock lock(ModulesMutex());
  auto record = Modules().Get(reinterpret_cast<uintptr_t>(module));
  if (!record) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (record->executable || --record->references > 0) return TRUE;
  Modules().Remove(reinterpret_cast<uintptr_t>(module));
  ModulesByLibrary().erase(record->library);
  lock.unlock();
  // Outside the lock: the library's destructors may load or free libraries themselves.
  dlclose(record->library);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  auto record = Lookup(module);
  if (!record) return nullptr;
  const auto value = reinterpret_cast<uintptr_t>(procName);
  const std::string symbol = value < 0x10000 ? "ordinal_" + std::to_string(value) : std::string(procName);
  dlerror();
  void* address = dlsym(record->library, symbol.c_str());
  if (!address) {
    const char* text = dlerror();
    SetLastErrorWithDetail(ERROR_PROC_NOT_FOUND, text ? text : "'" + symbol + "' not found in '" + record->path + "'");
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) { return GetModuleHandleUtf8(moduleName); }

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  if (!moduleName) return GetModuleHandleUtf8(nullptr);
  const std::string name = WideName(moduleName);
  return GetModuleHandleUtf8(name.c_str());
}
