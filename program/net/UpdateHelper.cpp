#include "program/net/UpdateHelper.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/kernel/ProgramFolder.h"
#include "platform/ole/Ole.h"
#include "platform/shell/KnownFolders.h"
#include "program/core/WideFileUtils.h"
#include "program/net/Language.h"
#include "rtl/DateTime.h"
#include "rtl/Strings.h"

extern char** environ;

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(const AnsiString& text, const char* prefix) {
  const size_t length = std::strlen(prefix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool Exists(const AnsiString& path) {
  struct stat info{};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

TConfig& LiveUpdateConfig() {
  static TConfig config = [] {
    TConfig c;
    c.Create(UTF8ToWide(platform::ProgramFolder() + "/LiveUpdate.ini"), u"System");
    return c;
  }();
  return config;
}

AnsiString DescrambleConfigValue(const AnsiString& hexText, const AnsiString& key) {
  if (key.empty() || hexText.empty() || hexText.size() % 2 != 0) return {};
  const size_t n = hexText.size() / 2;
  std::vector<uint8_t> bytes(n);
  for (size_t j = 0; j < n; ++j) {
    const int high = HexDigit(hexText[2 * j]);
    const int low = HexDigit(hexText[2 * j + 1]);
    if (high < 0 || low < 0) return {};
    bytes[j] = static_cast<uint8_t>(high * 16 + low);
  }
  const size_t k = key.size();
  // Undo the shuffle. A key whose bytes are all multiples of ten never moves anything: one
  // whole pass over the key without progress ends it.
  size_t p = 0;
  size_t i = 0;
  size_t stalled = 0;
  while (p + 1 < n && stalled < k) {
    size_t c = static_cast<uint8_t>(key[i % k]) % 10;
    if (p + c > n - 1) c = n - 1 - p;
    std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(p), bytes.begin() + static_cast<std::ptrdiff_t>(p + c));
    stalled = c == 0 ? stalled + 1 : 0;
    p += c;
    ++i;
  }
  uint8_t t = bytes[n - 1];
  for (char c : key) t ^= static_cast<uint8_t>(c);
  const long length = static_cast<long>(static_cast<int8_t>(t)) + static_cast<long>(k);
  if (length < 0 || length > static_cast<long>(n) - 1) return {};
  AnsiString plain;
  for (long j = 0; j < length; ++j)
    plain += static_cast<char>(static_cast<uint8_t>(key[static_cast<size_t>(j) % k]) ^ bytes[static_cast<size_t>(j)] ^
                               bytes[n - 1]);
  return plain;
}

AnsiString ReadScrambledConfigValue(const AnsiString& section, const AnsiString& key) {
  const AnsiString codeKey = AppConfig.ReadStringA("System", "CodeKey2", "");
  if (codeKey.empty()) return {};
  return DescrambleConfigValue(AppConfig.ReadStringA(section, key, ""), codeKey);
}

AnsiString GetUpdateUrl() {
  if (!AppConfig.FileName.empty() && AppConfig.ValueExists(u"Http", u"UpdateUrl")) {
    const AnsiString value = ReadScrambledConfigValue("Http", "UpdateUrl");
    if (StartsWithNoCase(value, "http://") || StartsWithNoCase(value, "https://")) return value;
    return AppConfig.ReadStringA("Http", "UpdateUrl", "");
  }
  return LiveUpdateConfig().ReadStringA("System", "UpdateUrl", "");
}

bool ParseVersion(const WideString& text, std::array<uint32_t, 4>& parts) {
  parts = {0, 0, 0, 0};
  if (text.empty()) return false;
  size_t index = 0;
  uint32_t value = 0;
  bool digits = false;
  for (size_t at = 0; at <= text.size(); ++at) {
    const char16_t c = at < text.size() ? text[at] : u'.';
    if (c >= u'0' && c <= u'9') {
      value = value * 10 + static_cast<uint32_t>(c - u'0');
      if (value > 65535) return false;
      digits = true;
    } else if (c == u'.') {
      if (!digits || index >= 4) return false;
      parts[index++] = value;
      value = 0;
      digits = false;
    } else {
      return false;
    }
  }
  return true;
}

int CompareVersions(const WideString& a, const WideString& b) {
  std::array<uint32_t, 4> left{}, right{};
  const bool leftOk = ParseVersion(a, left);
  const bool rightOk = ParseVersion(b, right);
  if (!leftOk || !rightOk) return static_cast<int>(leftOk) - static_cast<int>(rightOk);
  for (size_t i = 0; i < 4; ++i)
    if (left[i] != right[i]) return left[i] < right[i] ? -1 : 1;
  return 0;
}

WideString GetProgramVersionText(const WideString& fileName) {
  const uint64_t version = GetFileVersion(fileName);
  return UTF8ToWide(std::to_string((version >> 48) & 0xFFFF) + "." + std::to_string((version >> 32) & 0xFFFF) + "." +
                    std::to_string((version >> 16) & 0xFFFF) + "." + std::to_string(version & 0xFFFF));
}

bool FormatTemplate(const WideString& format, const std::vector<WideString>& args, WideString& result) {
  WideString out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != u'%') {
      out += format[i];
      continue;
    }
    if (++i >= format.size()) return false;
    if (format[i] == u'%') {
      out += u'%';
      continue;
    }
    size_t index = next;
    if (format[i] >= u'0' && format[i] <= u'9') {
      size_t number = 0;
      while (i < format.size() && format[i] >= u'0' && format[i] <= u'9') {
        number = number * 10 + static_cast<size_t>(format[i] - u'0');
        if (number > 1000) return false;
        ++i;
      }
      if (i >= format.size() || format[i] != u':') return false;
      ++i;
      index = number;
    }
    if (i >= format.size() || (format[i] != u's' && format[i] != u'S')) return false;
    if (index >= args.size()) return false;
    out += args[index];
    next = index + 1;
  }
  result = std::move(out);
  return true;
}

WideString FormatLanguageText(const WideString& key, const WideString& defaultText, const std::vector<WideString>& args) {
  WideString result;
  if (FormatTemplate(LangGetText(key, defaultText), args, result)) return result;
  if (FormatTemplate(defaultText, args, result)) return result;
  return defaultText;
}

namespace {

// Digits at text[at...], at most maxDigits; false when none.
bool ReadNumber(const AnsiString& text, size_t& at, size_t maxDigits, int& value) {
  const size_t start = at;
  value = 0;
  while (at < text.size() && at - start < maxDigits && std::isdigit(static_cast<unsigned char>(text[at])))
    value = value * 10 + (text[at++] - '0');
  return at > start;
}

bool Expect(const AnsiString& text, size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

// hh:nn[:ss] from at to the end.
bool ReadTime(const AnsiString& text, size_t at, TDateTime& time) {
  int hour = 0, minute = 0, second = 0;
  if (!ReadNumber(text, at, 2, hour) || !Expect(text, at, ':') || !ReadNumber(text, at, 2, minute)) return false;
  if (at < text.size() && (!Expect(text, at, ':') || !ReadNumber(text, at, 2, second))) return false;
  if (at != text.size()) return false;
  return TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(minute), static_cast<Word>(second), 0, time);
}

TDateTime ParseLastUpdateTime(const AnsiString& raw) {
  AnsiString text = raw;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  size_t at = 0;
  int year = 0, month = 0, day = 0;
  TDateTime date = 0, time = 0;
  char timeSeparator = 'T';
  if (ReadNumber(text, at, 4, year) && at == 4 && Expect(text, at, '-')) {
    if (!ReadNumber(text, at, 2, month) || !Expect(text, at, '-') || !ReadNumber(text, at, 2, day)) return 0;
  } else {
    // The older form: the default short date and long time formats ("m/d/yyyy hh:nn:ss").
    at = 0;
    if (!ReadNumber(text, at, 2, month) || !Expect(text, at, '/') || !ReadNumber(text, at, 2, day) ||
        !Expect(text, at, '/') || !ReadNumber(text, at, 4, year))
      return 0;
    timeSeparator = ' ';
  }
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date)) return 0;
  if (at < text.size()) {
    if (text[at] != timeSeparator && text[at] != ' ') return 0;
    if (!ReadTime(text, at + 1, time)) return 0;
  }
  return date + time;
}

}  // namespace

TDateTime ReadLastUpdateTime() {
  if (AppConfig.FileName.empty()) return 0;
  return ParseLastUpdateTime(AppConfig.ReadStringA("System", "LastUpdateTime", ""));
}

void WriteLastUpdateTime(TDateTime value) {
  AppConfig.WriteStringA("System", "LastUpdateTime", FormatDateTime("yyyy-mm-dd", value) + "T" + FormatDateTime("hh:nn:ss", value));
}

AnsiString SetupFileNameFromUrl(const AnsiString& url) {
  AnsiString path = url.substr(0, url.find_first_of("?#"));
  const size_t scheme = path.find("://");
  if (scheme != AnsiString::npos) {
    const size_t slash = path.find('/', scheme + 3);
    path = slash == AnsiString::npos ? AnsiString() : path.substr(slash);
  }
  const AnsiString segment = path.substr(path.rfind('/') == AnsiString::npos ? 0 : path.rfind('/') + 1);
  AnsiString decoded;
  for (size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] == '%' && i + 2 < segment.size() && HexDigit(segment[i + 1]) >= 0 && HexDigit(segment[i + 2]) >= 0) {
      decoded += static_cast<char>(HexDigit(segment[i + 1]) * 16 + HexDigit(segment[i + 2]));
      i += 2;
    } else {
      decoded += segment[i];
    }
  }
  AnsiString name;
  for (char c : decoded) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || c == '.' || c == '-' || c == '_' || c == '+') {
      if (name.empty() && c == '.') continue;
      name += c;
    }
  }
  return name.empty() ? AnsiString("setup") : name;
}

AnsiString UniqueFileName(const AnsiString& folder, const AnsiString& name) {
  const size_t dot = name.rfind('.');
  const AnsiString stem = dot == AnsiString::npos || dot == 0 ? name : name.substr(0, dot);
  const AnsiString extension = dot == AnsiString::npos || dot == 0 ? AnsiString() : name.substr(dot);
  for (int number = 1;; ++number) {
    const AnsiString candidate =
        folder + "/" + (number == 1 ? name : stem + " (" + std::to_string(number) + ")" + extension);
    if (!Exists(candidate) && !Exists(candidate + ".part")) return candidate;
  }
}

AnsiString DownloadFolder() {
  char16_t* path = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path)) || !path) return {};
  const AnsiString folder = WideToUTF8(path);
  CoTaskMemFree(path);
  return folder;
}

AnsiString FileSha256(const AnsiString& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  bool ok = context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
  char buffer[65536];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    ok = EVP_DigestUpdate(context.get(), buffer, static_cast<size_t>(n)) == 1;
  }
  ::close(fd);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!ok || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  AnsiString text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

bool IsSha256Text(const AnsiString& text) {
  return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; });
}

bool StartChildProcess(const AnsiString& file, const std::vector<AnsiString>& args, AnsiString& reason) {
  std::vector<AnsiString> strings;
  strings.push_back(file);
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (AnsiString& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0 || posix_spawnattr_init(&attributes) != 0) {
    reason = "cannot prepare the child process";
    return false;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigfillset(&defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, file.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    reason = "cannot start '" + file + "': " + std::strerror(error);
    return false;
  }
  // Reaped when it ends, should the program still run by then.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}
