// The table of in-process classes behind CoCreateInstance.

#include "platform/ole/ComClasses.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct ClassEntry {
  CLSID clsid;
  platform::ComClassFactory factory;
};

std::mutex g_mutex;
std::vector<ClassEntry>& Classes() {
  static auto* classes = new std::vector<ClassEntry>;
  return *classes;
}

}  // namespace

namespace platform {

bool RegisterComClass(const CLSID& clsid, ComClassFactory factory) {
  if (!factory) return false;
  std::lock_guard lock(g_mutex);
  auto& classes = Classes();
  auto it = std::find_if(classes.begin(), classes.end(), [&](const ClassEntry& e) { return e.clsid == clsid; });
  if (it != classes.end()) it->factory = factory;
  else classes.push_back(ClassEntry{clsid, factory});
  return true;
}

bool UnregisterComClass(const CLSID& clsid) {
  std::lock_guard lock(g_mutex);
  auto& classes = Classes();
  auto it = std::find_if(classes.begin(), classes.end(), [&](const ClassEntry& e) { return e.clsid == clsid; });
  if (it == classes.end()) return false;
  classes.erase(it);
  return true;
}

}  // namespace platform

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(context & CLSCTX_INPROC)) return REGDB_E_CLASSNOTREG;
  platform::ComClassFactory factory = nullptr;
  {
    std::lock_guard lock(g_mutex);
    for (const ClassEntry& e : Classes())
      if (e.clsid == clsid) factory = e.factory;
  }
  if (!factory) return REGDB_E_CLASSNOTREG;
  const HRESULT result = factory(iid, object);
  if (FAILED(result)) *object = nullptr;
  return result;
}
