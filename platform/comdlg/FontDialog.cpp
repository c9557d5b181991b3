#include "platform/comdlg/FontDialog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cwctype>

#include "platform/comdlg/FileDialogs.h"
#include "platform/kernel/Unicode.h"

namespace platform::comdlg {

const COLORREF kFontDialogColors[16] = {
    RGB(0, 0, 0),     RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128), RGB(128, 0, 128),
    RGB(0, 128, 128), RGB(128, 128, 128), RGB(192, 192, 192), RGB(255, 0, 0),     RGB(0, 255, 0), RGB(255, 255, 0),
    RGB(0, 0, 255),   RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255),
};

namespace {

FontDialogPresenter& Presenter() {
  static FontDialogPresenter presenter;
  return presenter;
}

std::vector<std::u16string>& TestFamilies() {
  static std::vector<std::u16string> families;
  return families;
}

constexpr int kPixelsPerInch = 96;
constexpr int kDefaultTenths = 100;

std::u16string Lower(const std::u16string& text) {
  std::u16string lower(text);
  for (char16_t& c : lower) c = static_cast<char16_t>(std::towlower(c));
  return lower;
}

// Sorted without letter case, each name once.
void SortFamilies(std::vector<std::u16string>& families, bool noVertical) {
  if (noVertical)
    families.erase(std::remove_if(families.begin(), families.end(),
                                  [](const std::u16string& f) { return !f.empty() && f[0] == u'@'; }),
                   families.end());
  families.erase(std::remove_if(families.begin(), families.end(), [](const std::u16string& f) { return f.empty(); }),
                 families.end());
  std::sort(families.begin(), families.end(), [](const std::u16string& a, const std::u16string& b) {
    const std::u16string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  families.erase(std::unique(families.begin(), families.end(),
                             [](const std::u16string& a, const std::u16string& b) { return Lower(a) == Lower(b); }),
                 families.end());
}

// The face name as the record holds it: at most LF_FACESIZE - 1 units, cut at a whole
// character, always terminated.
void StoreFace(const std::u16string& face, WCHAR (&out)[LF_FACESIZE]) {
  size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  if (n > 0 && n < face.size() && face[n - 1] >= 0xD800 && face[n - 1] < 0xDC00) --n;
  std::copy(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(n), out);
  std::fill(out + n, out + LF_FACESIZE, u'\0');
}
void StoreFace(const std::u16string& face, CHAR (&out)[LF_FACESIZE]) {
  const std::string utf8 = Utf16ToUtf8(face);
  size_t n = std::min<size_t>(utf8.size(), LF_FACESIZE - 1);
  while (n > 0 && n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
  std::copy(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(n), out);
  std::fill(out + n, out + LF_FACESIZE, '\0');
}
std::u16string FaceOf(const WCHAR (&face)[LF_FACESIZE]) {
  return std::u16string(face, std::find(face, face + LF_FACESIZE, u'\0'));
}
std::u16string FaceOf(const CHAR (&face)[LF_FACESIZE]) {
  return Utf8ToUtf16(std::string_view(face, static_cast<size_t>(std::find(face, face + LF_FACESIZE, '\0') - face)));
}

template <class CF>
BOOL ChooseFontImpl(CF* cf) {
  SetExtendedError(0);
  if (!cf || cf->lStructSize != sizeof(CF)) {
    SetExtendedError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  if (!cf->lpLogFont || !Presenter()) {
    SetExtendedError(CDERR_INITIALIZATION);
    return FALSE;
  }
  FontDialogRequest request;
  request.owner = cf->hwndOwner;
  request.limitSize = (cf->Flags & CF_LIMITSIZE) != 0;
  if (request.limitSize) {
    if (cf->nSizeMax < cf->nSizeMin) {
      SetExtendedError(CFERR_MAXLESSTHANMIN);
      return FALSE;
    }
    request.minSize = std::max(1, static_cast<int>(cf->nSizeMin));
    request.maxSize = std::max(request.minSize, static_cast<int>(cf->nSizeMax));
  }
  request.families = ScreenFontFamilies((cf->Flags & CF_NOVERTFONTS) != 0);
  if (request.families.empty()) {
    SetExtendedError(CFERR_NOFONTS);
    return FALSE;
  }
  const bool init = (cf->Flags & CF_INITTOLOGFONTSTRUCT) != 0;
  const auto& start = *cf->lpLogFont;
  if (init) {
    request.face = FaceOf(start.lfFaceName);
    request.pointSize = start.lfHeight != 0 ? PointTenthsFromHeight(start.lfHeight) : 0;
    request.bold = start.lfWeight >= 600;
    request.italic = start.lfItalic != 0;
    request.underline = start.lfUnderline != 0;
    request.strikeOut = start.lfStrikeOut != 0;
  }
  request.effects = (cf->Flags & CF_EFFECTS) != 0;
  request.color = request.effects ? cf->rgbColors & 0xFFFFFF : 0;
  auto clampSize = [&](int tenths) {
    return request.limitSize ? std::clamp(tenths, request.minSize * 10, request.maxSize * 10) : tenths;
  };
  if (request.pointSize > 0) request.pointSize = clampSize(request.pointSize);

  const bool startUnderline = request.underline, startStrikeOut = request.strikeOut;
  bool accepted = false;
  try {
    FontDialogPresenter presenter = Presenter();
    accepted = presenter(request);
  } catch (...) {
    SetExtendedError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  if (!accepted) return FALSE;

  // The answer keeps the rules whatever the presenter did.
  const int tenths = clampSize(request.pointSize > 0 ? request.pointSize : kDefaultTenths);
  if (!request.effects) {
    request.underline = startUnderline;
    request.strikeOut = startStrikeOut;
  }
  auto& font = *cf->lpLogFont;
  if (!init) {
    font = {};
    font.lfCharSet = DEFAULT_CHARSET;
  }
  font.lfHeight = HeightFromPointTenths(tenths);
  font.lfWidth = 0;
  font.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = request.italic ? 1 : 0;
  font.lfUnderline = request.underline ? 1 : 0;
  font.lfStrikeOut = request.strikeOut ? 1 : 0;
  StoreFace(request.face, font.lfFaceName);
  cf->iPointSize = tenths;
  cf->nFontType = static_cast<WORD>(SCREEN_FONTTYPE | (request.bold ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                    (request.italic ? ITALIC_FONTTYPE : 0));
  if (request.effects) cf->rgbColors = request.color & 0xFFFFFF;
  return TRUE;
}

}  // namespace

FontDialogPresenter SetFontDialogPresenter(FontDialogPresenter presenter) {
  FontDialogPresenter previous = std::move(Presenter());
  Presenter() = std::move(presenter);
  return previous;
}

std::vector<std::u16string> ScreenFontFamilies(bool noVertical) {
  std::vector<std::u16string> families = TestFamilies();
  if (families.empty()) {
    if (FcInit()) {
      FcPattern* pattern = FcPatternCreate();
      FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
      if (FcFontSet* set = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr) {
        for (int i = 0; i < set->nfont; ++i) {
          FcChar8* family = nullptr;
          // The first name is the family's own; the others are translations.
          if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
            families.push_back(Utf8ToUtf16(reinterpret_cast<const char*>(family)));
        }
        FcFontSetDestroy(set);
      }
      if (objects) FcObjectSetDestroy(objects);
      if (pattern) FcPatternDestroy(pattern);
    }
  }
  SortFamilies(families, noVertical);
  return families;
}

void SetFontFamiliesForTesting(std::vector<std::u16string> families) { TestFamilies() = std::move(families); }

int PointTenthsFromHeight(LONG height) {
  const long long pixels = std::min<long long>(height < 0 ? -static_cast<long long>(height) : height, 1 << 20);
  // A height a whole point size gives is that size (16 points are 21 pixels, not 15.8 points).
  const long long whole = (pixels * 72 + kPixelsPerInch / 2) / kPixelsPerInch;
  if (-HeightFromPointTenths(static_cast<int>(whole * 10)) == pixels) return static_cast<int>(whole * 10);
  return static_cast<int>((pixels * 720 + kPixelsPerInch / 2) / kPixelsPerInch);
}

LONG HeightFromPointTenths(int tenths) {
  return -static_cast<LONG>((static_cast<long long>(tenths) * kPixelsPerInch + 360) / 720);
}

}  // namespace platform::comdlg

BOOL ChooseFontA(LPCHOOSEFONTA cf) { return platform::comdlg::ChooseFontImpl(cf); }
BOOL ChooseFontW(LPCHOOSEFONTW cf) { return platform::comdlg::ChooseFontImpl(cf); }
