#include "vcl/MaskUtils.h"

#include "rtl/FormatSettings.h"
#include "rtl/Strings.h"

namespace {

constexpr char16_t kSectionSeparator = u';';
constexpr char16_t kLiteralEscape = u'\\';

bool IsLetter(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  return c >= 0xC0 && c != 0xD7 && c != 0xF7 && !(c >= 0x2000 && c <= 0x206F) && !(c >= 0x3000 && c <= 0x303F);
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t Upper(char16_t c) { return WideUpperCase(std::u16string_view(&c, 1))[0]; }
char16_t Lower(char16_t c) { return WideLowerCase(std::u16string_view(&c, 1))[0]; }

// The three sections; the first ends at the first separator that is not escaped.
struct Sections {
  WideString mask;
  WideString save;
  WideString blank;
  bool hasSave = false;
};

Sections Split(const WideString& editMask) {
  Sections out;
  size_t i = 0;
  for (; i < editMask.size(); ++i) {
    if (editMask[i] == kLiteralEscape && i + 1 < editMask.size()) {
      out.mask += editMask[i];
      out.mask += editMask[++i];
      continue;
    }
    if (editMask[i] == kSectionSeparator) break;
    out.mask += editMask[i];
  }
  if (i >= editMask.size()) return out;
  const size_t saveStart = i + 1;
  const size_t saveEnd = editMask.find(kSectionSeparator, saveStart);
  out.hasSave = true;
  out.save = editMask.substr(saveStart, saveEnd == WideString::npos ? WideString::npos : saveEnd - saveStart);
  if (saveEnd != WideString::npos) out.blank = editMask.substr(saveEnd + 1);
  return out;
}

}  // namespace

TEditMaskFormat::TEditMaskFormat(const AnsiString& editMask) : TEditMaskFormat(UTF8ToWide(editMask)) {}

TEditMaskFormat::TEditMaskFormat(const WideString& editMask) {
  const Sections sections = Split(editMask);
  m_saveLiterals = !(sections.hasSave && !sections.save.empty() && sections.save[0] == u'0');
  if (!sections.blank.empty()) m_blank = sections.blank[0];
  Case letterCase = Case::Keep;
  const WideString& mask = sections.mask;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char16_t c = mask[i];
    Position p;
    p.letterCase = letterCase;
    switch (c) {
      case u'!': m_reversed = true; continue;
      case u'>': letterCase = Case::Upper; continue;
      case u'<':
        if (i + 1 < mask.size() && mask[i + 1] == u'>') {
          ++i;
          letterCase = Case::Keep;
        } else {
          letterCase = Case::Lower;
        }
        continue;
      case u'\\':
        if (i + 1 >= mask.size()) continue;
        p.literal = mask[++i];
        break;
      case u'L': p = {Kind::Letter, true, letterCase, 0}; break;
      case u'l': p = {Kind::Letter, false, letterCase, 0}; break;
      case u'A': p = {Kind::LetterOrDigit, true, letterCase, 0}; break;
      case u'a': p = {Kind::LetterOrDigit, false, letterCase, 0}; break;
      case u'C': p = {Kind::AnyChar, true, letterCase, 0}; break;
      case u'c': p = {Kind::AnyChar, false, letterCase, 0}; break;
      case u'0': p = {Kind::Digit, true, letterCase, 0}; break;
      case u'9': p = {Kind::Digit, false, letterCase, 0}; break;
      case u'#': p = {Kind::DigitOrSign, false, letterCase, 0}; break;
      case u':': p.literal = FormatSettings.TimeSeparator; break;
      case u'/': p.literal = FormatSettings.DateSeparator; break;
      case u'_': p.literal = u' '; break;
      default: p.literal = c; break;
    }
    m_positions.push_back(p);
  }
}

bool TEditMaskFormat::IsLiteral(int position) const {
  return position >= 0 && position < Length() && At(position).kind == Kind::Literal;
}

char16_t TEditMaskFormat::Accept(int position, char16_t c) const {
  if (position < 0 || position >= Length()) return 0;
  const Position& p = At(position);
  if (p.kind == Kind::Literal) return 0;
  if (c == u' ') return p.required ? 0 : c;
  bool fits = false;
  switch (p.kind) {
    case Kind::Letter: fits = IsLetter(c); break;
    case Kind::LetterOrDigit: fits = IsLetter(c) || IsDigit(c); break;
    case Kind::AnyChar: fits = c >= u' '; break;
    case Kind::Digit: fits = IsDigit(c); break;
    case Kind::DigitOrSign: fits = IsDigit(c) || c == u'+' || c == u'-'; break;
    case Kind::Literal: break;
  }
  if (!fits) return 0;
  if (p.letterCase == Case::Upper) return Upper(c);
  if (p.letterCase == Case::Lower) return Lower(c);
  return c;
}

int TEditMaskFormat::NextEditable(int position) const {
  for (int i = std::max(0, position); i < Length(); ++i)
    if (!IsLiteral(i)) return i;
  return Length();
}

int TEditMaskFormat::PreviousEditable(int position) const {
  for (int i = std::min(position, Length() - 1); i >= 0; --i)
    if (!IsLiteral(i)) return i;
  return -1;
}

WideString TEditMaskFormat::EmptyText() const { return Format(WideString(), m_blank); }

WideString TEditMaskFormat::Format(const WideString& value, char16_t blank) const {
  if (!IsMasked()) return value;
  const int n = Length();
  WideString text(static_cast<size_t>(n), blank);
  // The value's characters in the order they fill positions: from the start, or from the end
  // when the mask is reversed.
  size_t taken = 0;
  const auto next = [&](char16_t* c) {
    if (taken >= value.size()) return false;
    *c = m_reversed ? value[value.size() - 1 - taken] : value[taken];
    ++taken;
    return true;
  };
  for (int step = 0; step < n; ++step) {
    const int i = m_reversed ? n - 1 - step : step;
    const Position& p = At(i);
    if (p.kind == Kind::Literal) {
      text[static_cast<size_t>(i)] = p.literal;
      char16_t skipped = 0;
      if (m_saveLiterals) next(&skipped);  // the value holds the literal here
      continue;
    }
    char16_t c = 0;
    if (!next(&c)) continue;
    if (c == u' ' || c == blank) continue;
    if (const char16_t accepted = Accept(i, c)) text[static_cast<size_t>(i)] = accepted;
  }
  return text;
}

WideString TEditMaskFormat::Value(const WideString& editText) const {
  if (!IsMasked()) return editText;
  WideString value;
  for (int i = 0; i < Length(); ++i) {
    const Position& p = At(i);
    const char16_t c = static_cast<size_t>(i) < editText.size() ? editText[static_cast<size_t>(i)] : m_blank;
    if (p.kind == Kind::Literal) {
      if (m_saveLiterals) value += p.literal;
      continue;
    }
    value += c == m_blank ? u' ' : c;
  }
  return value;
}

int TEditMaskFormat::FirstInvalid(const WideString& editText) const {
  for (int i = 0; i < Length(); ++i) {
    const Position& p = At(i);
    if (p.kind == Kind::Literal) continue;
    const char16_t c = static_cast<size_t>(i) < editText.size() ? editText[static_cast<size_t>(i)] : m_blank;
    if (c == m_blank || c == u' ') {
      if (p.required) return i;
      continue;
    }
    if (!Accept(i, c)) return i;
  }
  return -1;
}

AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value) {
  const TEditMaskFormat format(editMask);
  if (!format.IsMasked()) return value;
  return WideToUTF8(format.Format(UTF8ToWide(value), u' '));
}

bool MaskGetMaskSave(const AnsiString& editMask) { return TEditMaskFormat(editMask).SaveLiterals(); }

char16_t MaskGetMaskBlank(const AnsiString& editMask) { return TEditMaskFormat(editMask).Blank(); }
