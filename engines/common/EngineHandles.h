#pragma once

// The engine handle space. Every engine object (decoder, processor, encoder, track decoder,
// menu, title list ...) derives from EngineObject and is registered here; a handle is an
// opaque pointer-sized value, never 0, and a closed handle is detected as stale. One table
// serves all engines (it lives in EngineCommon.so), so an engine can take a handle made by
// another, for example a converter reading from a decoder or a processor. Thread-safe.

#include <cstdint>
#include <memory>

#include "engines/common/EngineApi.h"

namespace engines {

using EngineHandle = uintptr_t;

class ENGINES_COMMON_API EngineObject {
 public:
  virtual ~EngineObject();
};

ENGINES_COMMON_API EngineHandle RegisterObject(std::shared_ptr<EngineObject> object);
ENGINES_COMMON_API std::shared_ptr<EngineObject> LookupObject(EngineHandle handle);
// Removes the object from the table; returns it (nullptr for an unknown or stale handle).
ENGINES_COMMON_API std::shared_ptr<EngineObject> UnregisterObject(EngineHandle handle);

template <typename T>
std::shared_ptr<T> Lookup(EngineHandle handle) {
  return std::dynamic_pointer_cast<T>(LookupObject(handle));
}

// Copies a UTF-16 text into a caller's buffer of `capacity` units, always zero-terminated
// and cut to fit (never between the halves of a surrogate pair). Returns the length of the whole text (so a caller can learn the size it
// needs with a capacity of 0). Safe with a null buffer.
ENGINES_COMMON_API int CopyText(const std::u16string& text, char16_t* buffer, int capacity);

// Reads a zero-terminated UTF-16 text from a caller (null reads as empty).
ENGINES_COMMON_API std::u16string ReadText(const char16_t* text);

}  // namespace engines
