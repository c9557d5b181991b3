#include "program/controls/ThumbnailSources.h"

#include <cstring>

#include "platform/kernel/Unicode.h"
#include "platform/shell/FileInfo.h"
#include "platform/user/Icons.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Canvas.h"

namespace {

bool EqualsIgnoringAsciiCase(const AnsiString& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int GetImageKind(const AnsiString& ext) {
  static const struct {
    const char* ext;
    int kind;
  } kTable[] = {{"jpg", 2}, {"jpeg", 2}, {"jp2", 5}, {"gif", 3}, {"png", 4}, {"bmp", 1}, {"dib", 1},
                {"wmf", 8}, {"emf", 9},  {"ico", 7}, {"TIF", 6}, {"TIFF", 6}};
  for (const auto& entry : kTable)
    if (EqualsIgnoringAsciiCase(ext, entry.ext)) return entry.kind;
  return 2;
}

int GetImageFileKind(const WideString& fileName) {
  // Only the name counts: a dot in a folder's name is no extension.
  size_t start = fileName.find_last_of(u"/\\");
  start = start == WideString::npos ? 0 : start + 1;
  const size_t dot = fileName.rfind(u'.');
  if (dot == WideString::npos || dot < start) return GetImageKind("");
  return GetImageKind(platform::Utf16ToUtf8(fileName.substr(dot + 1)));
}

char* StrCatA(char* dest, size_t capacity, const char* source) {
  if (!dest || capacity == 0) return dest;
  size_t length = strnlen(dest, capacity);
  if (length >= capacity) {  // not terminated within its buffer: terminate it
    dest[capacity - 1] = 0;
    return dest;
  }
  if (!source) return dest;
  size_t take = std::min(std::strlen(source), capacity - 1 - length);
  // Never split a UTF-8 character.
  if (take < std::strlen(source))
    while (take > 0 && (static_cast<unsigned char>(source[take]) & 0xC0) == 0x80) --take;
  std::memcpy(dest + length, source, take);
  dest[length + take] = 0;
  return dest;
}

void TIconEx::Draw(TCanvas* canvas, const TRect& rect) {
  HICON icon = const_cast<TIconEx*>(this)->Handle();
  if (!icon) return;
  DrawIconEx(canvas->Handle(), rect.Left, rect.Top, icon, rect.Right - rect.Left, rect.Bottom - rect.Top, 0, nullptr,
             DI_NORMAL);
}

int TIconEx::GetWidth() const {
  int width = 0, height = 0;
  GetIconSize(const_cast<TIconEx*>(this)->Handle(), width, height);
  return width;
}

int TIconEx::GetHeight() const {
  int width = 0, height = 0;
  GetIconSize(const_cast<TIconEx*>(this)->Handle(), width, height);
  return height;
}

bool GetFileIcon(const WideString& fileName, int size, HICON& icon) {
  icon = nullptr;
  SHFILEINFOW info{};
  // The large list's icon, taken afresh at the asked size.
  if (!SHGetFileInfoW(fileName.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON) || !info.hIcon) return false;
  if (size <= 0 || size == 32) {
    icon = info.hIcon;
    return true;
  }
  icon = static_cast<HICON>(CopyImage(info.hIcon, IMAGE_ICON, size, size, 0));
  DestroyIcon(info.hIcon);
  return icon != nullptr;
}

int GetSystemIconIndex(const WideString& fileName, bool large) {
  SHFILEINFOW info{};
  const UINT flags = SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
  if (!SHGetFileInfoW(fileName.c_str(), 0, &info, sizeof info, flags)) return -1;
  return info.iIcon;
}

std::unique_ptr<TPNGImage> LoadErrorPicture() {
  auto picture = std::make_unique<TPNGImage>();
  picture->LoadFromResourceName(nullptr, "PhotoError");
  return picture;
}
