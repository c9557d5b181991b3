// Runs the kernel's INI profile functions over an arbitrary file: lists sections, keys and
// section lines (with roomy and with tiny buffers), reads every value, then writes a value and
// a new key and reads them back. The file is rewritten from the input on every run.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/Profile.h"

namespace {

std::string g_path;

// The strings of a list ending with two zeros.
std::vector<std::string> SplitList(const char* buffer, DWORD length) {
  std::vector<std::string> items;
  for (DWORD i = 0; i < length;) {
    const size_t n = strnlen(buffer + i, length - i);
    if (n == 0) break;
    items.emplace_back(buffer + i, n);
    i += static_cast<DWORD>(n) + 1;
  }
  return items;
}

// A failed check in the fuzzer is a crash, so that it is kept and reported.
void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Writes `value` under section/key and checks it reads back as written.
void WriteAndReadBack(const char* section, const char* key, const char* value) {
  if (!WritePrivateProfileStringA(section, key, value, g_path.c_str())) return;
  char buffer[256];
  const DWORD length = GetPrivateProfileStringA(section, key, "\x01", buffer, sizeof buffer, g_path.c_str());
  Check(length == std::strlen(value) && std::strcmp(buffer, value) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/brantwell-ini-fuzz-XXXXXX";
  const int fd = mkstemp(pattern);
  if (fd < 0) std::abort();
  close(fd);
  g_path = pattern;
  std::atexit([] { unlink(g_path.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    const int fd = open(g_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return 0;
    const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    if (!written) return 0;
  }
  const char* file = g_path.c_str();
  std::vector<char> big(1 << 16);
  char tiny[3];

  DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", big.data(), big.size(), file);
  Check(length < big.size());
  const std::vector<std::string> sections = SplitList(big.data(), length);
  GetPrivateProfileStringA(nullptr, nullptr, "", tiny, sizeof tiny, file);
  length = GetPrivateProfileSectionNamesA(big.data(), big.size(), file);
  Check(length < big.size());
  GetPrivateProfileSectionNamesA(tiny, sizeof tiny, file);

  size_t reads = 0;
  for (const std::string& section : sections) {
    if (++reads > 32) break;
    GetPrivateProfileSectionA(section.c_str(), big.data(), big.size(), file);
    GetPrivateProfileSectionA(section.c_str(), tiny, sizeof tiny, file);
    length = GetPrivateProfileStringA(section.c_str(), nullptr, "", big.data(), big.size(), file);
    Check(length < big.size());
    GetPrivateProfileStringA(section.c_str(), nullptr, "", tiny, sizeof tiny, file);
    const std::vector<std::string> keys = SplitList(big.data(), length);
    for (size_t k = 0; k < keys.size() && k < 8; ++k) {
      std::vector<char> value(256);
      GetPrivateProfileStringA(section.c_str(), keys[k].c_str(), "", value.data(), value.size(), file);
      GetPrivateProfileStringA(section.c_str(), keys[k].c_str(), "", tiny, sizeof tiny, file);
      GetPrivateProfileIntA(section.c_str(), keys[k].c_str(), 7, file);
    }
  }

  // Change a value the file already has, then add a key to a new section.
  if (!sections.empty()) {
    length = GetPrivateProfileStringA(sections[0].c_str(), nullptr, "", big.data(), big.size(), file);
    const std::vector<std::string> keys = SplitList(big.data(), length);
    if (!keys.empty()) WriteAndReadBack(sections[0].c_str(), keys[0].c_str(), "changed");
  }
  WriteAndReadBack("Fuzz Added", "Key", "a value");
  return 0;
}
