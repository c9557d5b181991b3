#include "rtl/FileNames.h"

namespace {

// '/' and '\' are single bytes that never occur inside a UTF-8 sequence, and single units
// that are never part of a surrogate pair, so both encodings split at the same places.
template <typename Char>
bool IsDelimiter(Char c) {
  return c == Char('/') || c == Char('\\');
}

template <typename Char>
size_t LastDelimiter(std::basic_string_view<Char> name) {
  for (size_t i = name.size(); i > 0; --i)
    if (IsDelimiter(name[i - 1])) return i - 1;
  return std::basic_string_view<Char>::npos;
}

// Index of the extension's dot, or npos.
template <typename Char>
size_t ExtensionDot(std::basic_string_view<Char> name) {
  const size_t delimiter = LastDelimiter(name);
  const size_t dot = name.rfind(Char('.'));
  if (dot == std::basic_string_view<Char>::npos) return dot;
  if (delimiter != std::basic_string_view<Char>::npos && dot < delimiter)
    return std::basic_string_view<Char>::npos;
  return dot;
}

template <typename Char>
std::basic_string<Char> FilePath(std::basic_string_view<Char> name) {
  const size_t delimiter = LastDelimiter(name);
  if (delimiter == std::basic_string_view<Char>::npos) return {};
  return std::basic_string<Char>(name.substr(0, delimiter + 1));
}

template <typename Char>
std::basic_string<Char> FileDir(std::basic_string_view<Char> name) {
  const size_t delimiter = LastDelimiter(name);
  if (delimiter == std::basic_string_view<Char>::npos) return {};
  // Keep the delimiter when it is the root or follows another one.
  if (delimiter == 0 || IsDelimiter(name[delimiter - 1]))
    return std::basic_string<Char>(name.substr(0, delimiter + 1));
  return std::basic_string<Char>(name.substr(0, delimiter));
}

template <typename Char>
std::basic_string<Char> FileName(std::basic_string_view<Char> name) {
  const size_t delimiter = LastDelimiter(name);
  if (delimiter == std::basic_string_view<Char>::npos) return std::basic_string<Char>(name);
  return std::basic_string<Char>(name.substr(delimiter + 1));
}

template <typename Char>
std::basic_string<Char> FileExt(std::basic_string_view<Char> name) {
  const size_t dot = ExtensionDot(name);
  if (dot == std::basic_string_view<Char>::npos) return {};
  return std::basic_string<Char>(name.substr(dot));
}

template <typename Char>
std::basic_string<Char> ChangeExt(std::basic_string_view<Char> name,
                                  std::basic_string_view<Char> extension) {
  const size_t dot = ExtensionDot(name);
  std::basic_string<Char> result(name.substr(0, dot));
  result.append(extension);
  return result;
}

template <typename Char>
std::basic_string<Char> IncludeDelimiter(std::basic_string_view<Char> path) {
  std::basic_string<Char> result(path);
  if (result.empty() || !IsDelimiter(result.back())) result += Char('/');
  return result;
}

template <typename Char>
std::basic_string<Char> ExcludeDelimiter(std::basic_string_view<Char> path) {
  std::basic_string<Char> result(path);
  if (result.size() > 1 && IsDelimiter(result.back())) result.pop_back();
  return result;
}

}  // namespace

AnsiString ExtractFilePath(std::string_view n) { return FilePath(n); }
WideString ExtractFilePath(std::u16string_view n) { return FilePath(n); }
AnsiString ExtractFileDir(std::string_view n) { return FileDir(n); }
WideString ExtractFileDir(std::u16string_view n) { return FileDir(n); }
AnsiString ExtractFileName(std::string_view n) { return FileName(n); }
WideString ExtractFileName(std::u16string_view n) { return FileName(n); }
AnsiString ExtractFileExt(std::string_view n) { return FileExt(n); }
WideString ExtractFileExt(std::u16string_view n) { return FileExt(n); }
AnsiString ChangeFileExt(std::string_view n, std::string_view e) { return ChangeExt(n, e); }
WideString ChangeFileExt(std::u16string_view n, std::u16string_view e) { return ChangeExt(n, e); }
AnsiString IncludeTrailingPathDelimiter(std::string_view p) { return IncludeDelimiter(p); }
WideString IncludeTrailingPathDelimiter(std::u16string_view p) { return IncludeDelimiter(p); }
AnsiString ExcludeTrailingPathDelimiter(std::string_view p) { return ExcludeDelimiter(p); }
WideString ExcludeTrailingPathDelimiter(std::u16string_view p) { return ExcludeDelimiter(p); }
