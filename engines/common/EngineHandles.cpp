#include "engines/common/EngineHandles.h"

#include <algorithm>

#include "platform/kernel/HandleTable.h"

namespace engines {
namespace {

platform::HandleTable<EngineObject>& Table() {
  static platform::HandleTable<EngineObject> table(platform::handle_tags::kEngine);
  return table;
}

}  // namespace

EngineObject::~EngineObject() = default;

EngineHandle RegisterObject(std::shared_ptr<EngineObject> object) {
  if (!object) return 0;
  return Table().Add(std::move(object));
}

std::shared_ptr<EngineObject> LookupObject(EngineHandle handle) { return Table().Get(handle); }

std::shared_ptr<EngineObject> UnregisterObject(EngineHandle handle) { return Table().Remove(handle); }

int CopyText(const std::u16string& text, char16_t* buffer, int capacity) {
  if (buffer && capacity > 0) {
    size_t count = std::min(text.size(), static_cast<size_t>(capacity - 1));
    // A cut between the two halves of a surrogate pair would leave half a character.
    if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF)
      --count;
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
  }
  return static_cast<int>(text.size());
}

std::u16string ReadText(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

}  // namespace engines
