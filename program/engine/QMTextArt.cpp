#include "program/engine/QMTextArt.h"

#include <algorithm>
#include <cstring>

namespace {

template <size_t Capacity>
void CopyTerminated(char16_t (&field)[Capacity], const WideString& text) {
  const size_t count = std::min(text.size(), Capacity - 1);
  std::memset(field, 0, sizeof field);
  std::copy_n(text.data(), count, field);
}

constexpr struct {
  TFontStyle style;
  int32_t flag;
} kStyleFlags[] = {{fsBold, kTextStyleBold},
                   {fsItalic, kTextStyleItalic},
                   {fsUnderline, kTextStyleUnderline},
                   {fsStrikeOut, kTextStyleStrikeOut}};

}  // namespace

void TNormalTextParam::SetText(const WideString& text) { CopyTerminated(Text, text); }

void TNormalTextParam::SetFaceName(const WideString& faceName) { CopyTerminated(FaceName, faceName); }

int32_t FontStylesToTextStyle(TFontStyles styles) {
  int32_t flags = 0;
  for (const auto& entry : kStyleFlags)
    if (styles.Contains(entry.style)) flags |= entry.flag;
  return flags;
}

TFontStyles TextStyleToFontStyles(int32_t flags) {
  TFontStyles styles;
  for (const auto& entry : kStyleFlags)
    if (flags & entry.flag) styles.Include(entry.style);
  return styles;
}
