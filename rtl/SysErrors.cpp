#include "rtl/SysErrors.h"

#include "platform/kernel/ErrorText.h"

AnsiString SysErrorMessage(unsigned errorCode) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, errorCode,
      0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  AnsiString message = text ? AnsiString(text, length) : AnsiString();
  if (text) LocalFree(text);
  while (!message.empty() && (static_cast<unsigned char>(message.back()) <= 32 || message.back() == '.'))
    message.pop_back();
  return message;
}
