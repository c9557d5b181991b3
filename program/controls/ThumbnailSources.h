#pragma once

// What the photo view draws a file with: the kind of picture a file name stands for, an icon
// picture that draws at its real size or stretched, the desktop's icon of a file (the fallback
// when a picture cannot be loaded), the index of a file's icon in the system image list, and
// the failed-thumbnail picture. Also StrCatA, which joins zero-terminated ANSI strings.
//
// Any thread: the shell's icons come from platform/shell, which keeps no per-thread state and
// guards its caches itself, so nothing needs releasing per thread.

#include <cstddef>
#include <memory>

#include "program/imaging/GPPictures.h"
#include "rtl/Strings.h"
#include "vcl/Icon.h"

// Picture kinds by extension (GetImageKind): 1 BMP/DIB, 2 JPEG and anything unknown, 3 GIF,
// 4 PNG, 5 JPEG 2000, 6 TIFF, 7 icon, 8 WMF, 9 EMF.
int GetImageKind(const AnsiString& ext);
// The kind of a file name's extension (only the name's last part counts).
int GetImageFileKind(const WideString& fileName);

// Appends `source` to the zero-terminated text in `dest`, whose buffer holds `capacity` bytes;
// the result is cut (at a whole UTF-8 character) to fit and always terminated. Returns dest.
char* StrCatA(char* dest, size_t capacity, const char* source);

// An icon that reports the size of its colour image and draws stretched to the rectangle.
class TIconEx : public TIcon {
  BRANTWELL_CLASS(TIconEx, TIcon)

 public:
  TIconEx() = default;
  void Draw(TCanvas* canvas, const TRect& rect) override;

 protected:
  int GetWidth() const override;
  int GetHeight() const override;
};

// The desktop's icon of the file (its type's, from the icon theme) at `size` pixels, which
// the caller destroys; false when the file does not exist or has no icon.
bool GetFileIcon(const WideString& fileName, int size, HICON& icon);
// The file's icon in the system image list (small or large); -1 on any failure.
int GetSystemIconIndex(const WideString& fileName, bool large);
// Nothing is cached per thread here; kept for the thumbnail thread's last act.
inline void ReleaseShellCache() {}
// A new picture of the program's "PhotoError" resource; the caller owns it.
std::unique_ptr<TPNGImage> LoadErrorPicture();
