#include "rtl/Format.h"

#include <algorithm>
#include <cstdint>

#include "rtl/Exceptions.h"
#include "rtl/FloatText.h"
#include "rtl/Strings.h"

namespace {

using rtl::detail::CurrencyText;
using rtl::detail::ExponentText;
using rtl::detail::FixedText;
using rtl::detail::GeneralText;

// Larger widths and precisions are mistakes, not layouts; they are rejected instead of
// allocating without bound.
constexpr int kMaxField = 1 << 16;
constexpr int kMaxFloatDigits = 18;

template <typename Char>
std::basic_string<Char> FromUtf8(std::string text) {
  if constexpr (std::is_same_v<Char, char>) {
    return text;
  } else {
    return UTF8ToWide(text);
  }
}

template <typename Char>
AnsiString ToUtf8(std::basic_string_view<Char> text) {
  if constexpr (std::is_same_v<Char, char>) {
    return AnsiString(text);
  } else {
    return WideToUTF8(text);
  }
}

// Characters as Format counts them: UTF-8 sequences (continuation bytes do not count) or
// UTF-16 units.
template <typename Char>
bool StartsCharacter(Char c) {
  if constexpr (std::is_same_v<Char, char>) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  } else {
    return true;
  }
}

template <typename Char>
int CharacterCount(const std::basic_string<Char>& text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), StartsCharacter<Char>));
}

template <typename Char>
void TruncateCharacters(std::basic_string<Char>& text, int count) {
  int seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (StartsCharacter(text[i]) && seen++ == count) {
      text.resize(i);
      return;
    }
  }
}

std::string Digits(uint64_t value, int base) {
  std::string result;
  do {
    result.insert(result.begin(), "0123456789ABCDEF"[value % base]);
    value /= base;
  } while (value != 0);
  return result;
}

std::string PadDigits(std::string digits, int minimum) {
  if (static_cast<int>(digits.size()) < minimum) digits.insert(0, minimum - digits.size(), '0');
  return digits;
}

template <typename Char>
class Formatter {
 public:
  Formatter(std::basic_string_view<Char> format, const TVarRec* args, size_t count,
            const TFormatSettings& settings)
      : m_format(format), m_args(args), m_count(count), m_settings(settings) {}

  std::basic_string<Char> Run() {
    std::basic_string<Char> result;
    while (m_pos < m_format.size()) {
      const Char c = m_format[m_pos++];
      if (c != Char('%')) {
        result += c;
      } else if (Peek() == Char('%')) {
        ++m_pos;
        result += c;
      } else {
        result += Specifier();
      }
    }
    return result;
  }

 private:
  [[noreturn]] void Fail() const {
    throw EConvertError("Format '" + ToUtf8(m_format) +
                        "' invalid or incompatible with argument");
  }

  Char Peek() const { return m_pos < m_format.size() ? m_format[m_pos] : Char(0); }

  const TVarRec& NextArgument() {
    if (m_next >= m_count) Fail();
    return m_args[m_next++];
  }

  // A decimal number or "*"; false when neither is there.
  bool ReadNumber(int& out) {
    if (Peek() == Char('*')) {
      ++m_pos;
      const TVarRec& arg = NextArgument();
      if (arg.VType() != TVarRec::Kind::Integer) Fail();
      out = std::get<Integer>(arg.Value());
      if (out > kMaxField || out < -kMaxField) Fail();
      return true;
    }
    if (Peek() < Char('0') || Peek() > Char('9')) return false;
    out = 0;
    while (Peek() >= Char('0') && Peek() <= Char('9')) {
      out = out * 10 + (m_format[m_pos++] - Char('0'));
      if (out > kMaxField) Fail();
    }
    return true;
  }

  std::basic_string<Char> Specifier() {
    int first = 0;
    bool haveFirst = ReadNumber(first);
    if (haveFirst && Peek() == Char(':')) {
      ++m_pos;
      if (first < 0) Fail();
      m_next = static_cast<size_t>(first);
      haveFirst = false;
    }
    bool left = false;
    int width = 0;
    if (haveFirst) {
      width = first;
    } else {
      if (Peek() == Char('-')) {
        ++m_pos;
        left = true;
      }
      ReadNumber(width);
    }
    if (width < 0) {
      left = true;
      width = -width;
    }
    int precision = -1;
    if (Peek() == Char('.')) {
      ++m_pos;
      if (!ReadNumber(precision)) precision = 0;
    }
    if (m_pos >= m_format.size()) Fail();
    Char type = m_format[m_pos++];
    if (type >= Char('A') && type <= Char('Z')) type = static_cast<Char>(type + 32);
    std::basic_string<Char> text = Convert(static_cast<char>(type), precision, NextArgument());
    const int length = CharacterCount(text);
    if (length < width) {
      const std::basic_string<Char> pad(width - length, Char(' '));
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  std::basic_string<Char> Convert(char type, int precision, const TVarRec& arg) {
    using Kind = TVarRec::Kind;
    const Kind kind = arg.VType();
    const auto& value = arg.Value();
    const bool integer = kind == Kind::Integer || kind == Kind::Int64;
    const auto floatPrecision = [&](int fallback, int minimum) {
      return precision < 0 ? fallback : std::clamp(precision, minimum, kMaxFloatDigits);
    };
    switch (type) {
      case 'd': {
        if (!integer) Fail();
        const Int64 number =
            kind == Kind::Integer ? std::get<Integer>(value) : std::get<Int64>(value);
        const uint64_t magnitude =
            number < 0 ? uint64_t(0) - static_cast<uint64_t>(number) : uint64_t(number);
        return FromUtf8<Char>((number < 0 ? "-" : "") + PadDigits(Digits(magnitude, 10), precision));
      }
      case 'u':
      case 'x': {
        if (!integer) Fail();
        const uint64_t number = kind == Kind::Integer
                                    ? static_cast<uint32_t>(std::get<Integer>(value))
                                    : static_cast<uint64_t>(std::get<Int64>(value));
        return FromUtf8<Char>(PadDigits(Digits(number, type == 'u' ? 10 : 16), precision));
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        if (kind != Kind::Extended) Fail();
        const double number = std::get<double>(value);
        switch (type) {
          case 'e': return FromUtf8<Char>(ExponentText(number, floatPrecision(15, 1), 3, m_settings));
          case 'f': return FromUtf8<Char>(FixedText(number, floatPrecision(2, 0), false, m_settings));
          case 'g': return FromUtf8<Char>(GeneralText(number, floatPrecision(15, 1), 3, m_settings));
          case 'n': return FromUtf8<Char>(FixedText(number, floatPrecision(2, 0), true, m_settings));
          default:
            return FromUtf8<Char>(
                CurrencyText(number, floatPrecision(m_settings.CurrencyDecimals, 0), m_settings));
        }
      }
      case 'p': {
        if (kind != Kind::Pointer) Fail();
        const auto address = reinterpret_cast<uintptr_t>(std::get<const void*>(value));
        return FromUtf8<Char>(PadDigits(Digits(address, 16), 2 * sizeof(void*)));
      }
      case 's': {
        std::basic_string<Char> text;
        switch (kind) {
          case Kind::String: text = FromUtf8<Char>(std::get<AnsiString>(value)); break;
          case Kind::WideString:
            if constexpr (std::is_same_v<Char, char>) {
              text = WideToUTF8(std::get<WideString>(value));
            } else {
              text = std::get<WideString>(value);
            }
            break;
          case Kind::Char: {
            const char c = std::get<char>(value);
            // A lone byte above 0x7F is not UTF-8 text; keep it as the character it names.
            text = static_cast<unsigned char>(c) < 0x80
                       ? std::basic_string<Char>(1, Char(c))
                       : FromUtf8<Char>(WideToUTF8(std::u16string(1, char16_t(uint8_t(c)))));
            break;
          }
          case Kind::WideChar:
            text = FromUtf8<Char>(WideToUTF8(std::u16string(1, std::get<char16_t>(value))));
            break;
          default: Fail();
        }
        if (precision >= 0) TruncateCharacters(text, precision);
        return text;
      }
      default: Fail();
    }
  }

  std::basic_string_view<Char> m_format;
  const TVarRec* m_args;
  size_t m_count;
  const TFormatSettings& m_settings;
  size_t m_pos = 0;
  size_t m_next = 0;
};

}  // namespace

AnsiString Format(std::string_view format, const TVarRecs& args, const TFormatSettings& settings) {
  return Formatter<char>(format, args.data(), args.size(), settings).Run();
}

AnsiString Format(std::string_view format, const TVarRecs& args) {
  return Format(format, args, FormatSettings);
}

AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args) {
  return Formatter<char>(format, args.begin(), args.size(), FormatSettings).Run();
}

WideString WideFormat(std::u16string_view format, const TVarRecs& args,
                      const TFormatSettings& settings) {
  return Formatter<char16_t>(format, args.data(), args.size(), settings).Run();
}

WideString WideFormat(std::u16string_view format, const TVarRecs& args) {
  return WideFormat(format, args, FormatSettings);
}

WideString WideFormat(std::u16string_view format, std::initializer_list<TVarRec> args) {
  return Formatter<char16_t>(format, args.begin(), args.size(), FormatSettings).Run();
}
