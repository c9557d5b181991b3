// The registry of resources compiled into the program.

#include "platform/user/Resources.h"

#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

// A resource key: an integer id, or an upper-cased name.
struct Key {
  WORD id = 0;
  std::u16string name;
  bool operator<(const Key& other) const { return id != other.id ? id < other.id : name < other.name; }
};

bool MakeKey(LPCWSTR value, Key* key) {
  if (!value) return false;
  if (IS_INTRESOURCE(value)) {
    key->id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
    return key->id != 0;
  }
  std::u16string text(value);
  if (text.size() > 1 && text[0] == u'#') {
    unsigned long id = 0;
    for (size_t i = 1; i < text.size(); ++i) {
      if (text[i] < u'0' || text[i] > u'9' || id > 0xFFFF) return false;
      id = id * 10 + (text[i] - u'0');
    }
    if (id == 0 || id > 0xFFFF) return false;
    key->id = static_cast<WORD>(id);
    return true;
  }
  if (text.empty()) return false;
  for (char16_t& c : text) c = static_cast<char16_t>(std::towupper(c));
  key->name = std::move(text);
  return true;
}

struct Resource {
  const uint8_t* data = nullptr;
  size_t size = 0;
  HRSRC handle = nullptr;  // made at the first FindResource, so each call returns the same
};

std::mutex g_mutex;
std::map<Key, std::map<Key, Resource>>& Registry() {
  static auto* registry = new std::map<Key, std::map<Key, Resource>>;
  return *registry;
}

HandleTable<Resource>& Handles() {
  static auto* table = new HandleTable<Resource>(handle_tags::kResource);
  return *table;
}

std::u16string WideName(LPCSTR value) {
  if (!value || IS_INTRESOURCE(value)) return {};
  return ToWide(value);
}

}  // namespace

namespace {

// The registry entry; the registry mutex is held by the caller.
Resource* FindEntry(LPCWSTR type, LPCWSTR name) {
  Key typeKey, nameKey;
  if (!MakeKey(type, &typeKey) || !MakeKey(name, &nameKey)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto byType = Registry().find(typeKey);
  if (byType == Registry().end()) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  auto it = byType->second.find(nameKey);
  if (it == byType->second.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return &it->second;
}

}  // namespace

bool FindEmbeddedResource(LPCWSTR type, LPCWSTR name, const uint8_t** data, size_t* size) {
  std::lock_guard lock(g_mutex);
  const Resource* entry = FindEntry(type, name);
  if (!entry) return false;
  *data = entry->data;
  *size = entry->size;
  return true;
}

}  // namespace platform::detail

using namespace platform::detail;

void platform::RegisterEmbeddedResource(LPCWSTR type, LPCWSTR name, const void* data, size_t size) {
  Key typeKey, nameKey;
  if (!MakeKey(type, &typeKey) || !MakeKey(name, &nameKey) || (!data && size)) return;
  std::lock_guard lock(g_mutex);
  Registry()[typeKey][nameKey] = Resource{static_cast<const uint8_t*>(data), size};
}

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type) {
  std::lock_guard lock(g_mutex);
  Resource* entry = FindEntry(type, name);
  if (!entry) return nullptr;
  if (!entry->handle) entry->handle = reinterpret_cast<HRSRC>(Handles().Add(std::make_shared<Resource>(*entry)));
  return entry->handle;
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  const std::u16string wideName = WideName(name), wideType = WideName(type);
  return FindResourceW(module, IS_INTRESOURCE(name) ? reinterpret_cast<LPCWSTR>(name) : wideName.c_str(),
                       IS_INTRESOURCE(type) ? reinterpret_cast<LPCWSTR>(type) : wideType.c_str());
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  // Resources are compiled in: the loaded handle is the found one.
  if (!Handles().Contains(reinterpret_cast<uintptr_t>(resource))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return resource;
}

LPVOID LockResource(HGLOBAL loaded) {
  auto r = Handles().Get(reinterpret_cast<uintptr_t>(loaded));
  return r ? const_cast<uint8_t*>(r->data) : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  auto r = Handles().Get(reinterpret_cast<uintptr_t>(resource));
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return static_cast<DWORD>(r->size);
}

BOOL FreeResource(HGLOBAL) { return FALSE; }  // nothing to free, as documented
