#include "program/core/WideFileStream.h"

#include <vector>

#include "platform/kernel/FileApi.h"
#include "program/core/LogFile.h"
#include "program/core/WideFileUtils.h"
#include "rtl/Strings.h"
#include "rtl/SysErrors.h"

namespace {

AnsiString ExpandedName(const WideString& fileName) {
  std::vector<char16_t> buffer(4096);
  const DWORD length = GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length == 0 || length >= buffer.size()) return WideToUTF8(fileName);
  return WideToUTF8(std::u16string_view(buffer.data(), length));
}

HANDLE OpenOrCreate(const WideString& fileName, Word mode) {
  const bool create = (mode & fmCreate) == fmCreate;
  HANDLE file = create ? WideFileCreate(fileName) : WideFileOpen(fileName, mode);
  if (file == INVALID_HANDLE_VALUE) {
    const AnsiString reason = SysErrorMessage(GetLastError());
    const AnsiString name = ExpandedName(fileName);
    if (create) throw EFCreateError::CreateFmt("Cannot create file \"%s\". %s", {name, reason});
    throw EFOpenError::CreateFmt("Cannot open file \"%s\". %s", {name, reason});
  }
  return file;
}

}  // namespace

TWideFileStream::TWideFileStream(const WideString& fileName, Word mode, uint32_t /*rights*/)
    : THandleStream(-1), m_file(OpenOrCreate(fileName, mode)), FFileName(fileName) {
  FHandle = platform::FileDescriptorOf(m_file);
}

TWideFileStream::~TWideFileStream() {
  if (m_file && m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}
