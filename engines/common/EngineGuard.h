#pragma once

// The one way an engine's exported entry point keeps C++ exceptions inside the library: the
// entry's body runs in Guarded, and whatever it throws becomes one log line naming the entry
// and the entry's failure value. Inside an engine, a failure worth describing is thrown as
// EngineError with a text that says what failed and on what.
//
//   ENGINE_API int32_t OCStartProcess(EngineHandle ctrl) {
//     return engines::Guarded("OCStartProcess", 0, [&] { ... return 1; });
//   }

#include <exception>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "engines/common/EngineLog.h"

namespace engines {

class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Logs "<entry> failed: <what>" for the exception being handled. Call only inside a catch.
inline void LogCurrentException(const char* entry) noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& error) {
      LogLine(std::string(entry) + " failed: " + error.what());
    } catch (...) {
      LogLine(std::string(entry) + " failed: unexpected failure");
    }
  } catch (...) {
    // Logging itself failed (out of memory): nothing more can be said.
  }
}

template <class Result, class Body>
Result Guarded(const char* entry, Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    LogCurrentException(entry);
  }
  return failure;
}

template <class Body>
void Guarded(const char* entry, Body&& body) noexcept {
  static_assert(std::is_void_v<decltype(body())>, "an entry with a result names its failure value");
  try {
    body();
  } catch (...) {
    LogCurrentException(entry);
  }
}

}  // namespace engines
