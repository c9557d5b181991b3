// Entry points of the transition manager.

#include <mutex>
#include <random>

#include "engines/TransMgr/Catalogue.h"
#include "engines/TransMgr/TransMgrApi.h"
#include "engines/common/EngineGuard.h"

namespace {

// Guards the start count and the random generator.
std::mutex g_mutex;
int g_starts = 0;

bool Started() {
  std::lock_guard lock(g_mutex);
  return g_starts > 0;
}

std::mt19937& Generator() {
  static std::mt19937 generator{std::random_device{}()};
  return generator;
}

}  // namespace

using namespace engines::transitions;

ENGINE_API int32_t TMInitTransMgr() {
  std::lock_guard lock(g_mutex);
  ++g_starts;
  return 1;
}

ENGINE_API int32_t TMUninitTransMgr() {
  std::lock_guard lock(g_mutex);
  if (g_starts == 0) return 0;
  --g_starts;
  return 1;
}

ENGINE_API int32_t TMGetTransTypeCount() { return Started() ? TypeCount() : 0; }

ENGINE_API int32_t TMGetTransCount(int32_t type) { return Started() ? TransitionCount(type) : 0; }

ENGINE_API const char* TMGetTransID(int32_t type, int32_t index) {
  const CatalogueEntry* entry = Started() ? EntryAt(type, index) : nullptr;
  return entry ? entry->id : "";
}

ENGINE_API const char* TMGetRandomID() {
  return engines::Guarded("TMGetRandomID", "", [&]() -> const char* {
    std::lock_guard lock(g_mutex);
    if (g_starts == 0 || EntryCount() == 0) return "";
    std::uniform_int_distribution<int> pick(0, EntryCount() - 1);
    return EntryAt(pick(Generator())).id;
  });
}
