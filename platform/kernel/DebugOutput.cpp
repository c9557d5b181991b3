#include "platform/kernel/DebugOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/kernel/Unicode.h"

namespace {

void WriteDebugText(std::string_view text) {
  if (text.empty() || !std::getenv("BRANTWELL_DEBUG_OUTPUT")) return;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

void OutputDebugStringA(LPCSTR text) {
  if (text) WriteDebugText(text);
}

void OutputDebugStringW(LPCWSTR text) {
  if (text) WriteDebugText(platform::Utf16ToUtf8(text));
}
