#pragma once

// Window class lookup inside the window manager.

#include <memory>
#include <string>

#include "platform/user/WindowManager.h"

namespace platform::detail {

struct ClassName {
  ATOM atom = 0;
  std::u16string name;
};

ClassName ClassNameFrom(LPCWSTR name);
ClassName ClassNameFrom(LPCSTR name);
std::shared_ptr<WindowClass> FindClass(const ClassName& name);
ATOM RegisterClassInternal(std::shared_ptr<WindowClass> cls);
bool EqualsNoCase(const std::u16string& a, const std::u16string& b);

}  // namespace platform::detail
