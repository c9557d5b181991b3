// The text-art engine's entry point: the request record checked and turned into a look, the
// text drawn as coverage (TextCoverage), and the coverage handed to the image engine as a
// picture in the text's colour.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engines/QM_ImageProc/ImagePicture.h"
#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "engines/QM_Text/TextApi.h"
#include "engines/QM_Text/TextCoverage.h"
#include "engines/common/EngineGuard.h"
#include "platform/kernel/Unicode.h"

namespace {

using engines::EngineError;
using engines::EngineHandle;

// Transparent pixels around the ink on every side of the picture.
constexpr int kBorder = 2;
// Far beyond any font dialog; larger sizes would overflow Pango's fixed-point sizes.
constexpr int32_t kMaxPointSize = 16384;
constexpr double kPixelsPerPoint = 96.0 / 72.0;

// The text of a fixed-size field up to its terminator; nothing when the field has none, so that
// a record filled to the brim is never read past its field.
template <size_t Capacity>
std::optional<std::u16string_view> FieldText(const char16_t (&field)[Capacity]) {
  const char16_t* end = std::find(field, field + Capacity, u'\0');
  if (end == field + Capacity) return std::nullopt;
  return std::u16string_view(field, static_cast<size_t>(end - field));
}

EngineHandle Generate(const TNormalTextParam* param) {
  if (!param) throw EngineError("no text record");
  const auto text = FieldText(param->text);
  if (!text) throw EngineError("the text has no terminator inside its field");
  const auto face = FieldText(param->faceName);
  if (!face) throw EngineError("the face name has no terminator inside its field");
  if (text->empty()) throw EngineError("the text is empty");
  if (param->pointSize <= 0 || param->pointSize > kMaxPointSize)
    throw EngineError("the font size " + std::to_string(param->pointSize) + " is out of range");

  textart::TextLook look;
  look.face = platform::Utf16ToUtf8(*face);
  look.pixels = param->pointSize * kPixelsPerPoint;
  look.bold = param->styleFlags & kTextBold;
  look.italic = param->styleFlags & kTextItalic;
  look.underline = param->styleFlags & kTextUnderline;
  look.strikeOut = param->styleFlags & kTextStrikeOut;
  const textart::Coverage coverage = textart::DrawCoverage(platform::Utf16ToUtf8(*text), look, kBorder);
  if (coverage.alpha.empty()) throw EngineError("the text has no visible ink");

  // Every inked pixel in exactly the asked colour, its coverage as straight alpha; the rest
  // stays all zero.
  const uint8_t red = param->colour & 0xFF, green = (param->colour >> 8) & 0xFF, blue = (param->colour >> 16) & 0xFF;
  std::vector<uint8_t> pixels(coverage.alpha.size() * 4, 0);
  for (size_t i = 0; i < coverage.alpha.size(); ++i) {
    const uint8_t alpha = coverage.alpha[i];
    if (!alpha) continue;
    uint8_t* pixel = &pixels[i * 4];
    pixel[0] = blue, pixel[1] = green, pixel[2] = red, pixel[3] = alpha;
  }

  const EngineHandle image = DICreate();
  if (!image) throw EngineError("the image engine made no image");
  if (!engines::imageproc::SetPicture(image, coverage.width, coverage.height, pixels.data(),
                                      static_cast<size_t>(coverage.width) * 4)) {
    DIDestroy(image);
    throw EngineError("the image engine refused the picture");
  }
  return image;
}

}  // namespace

ENGINE_API EngineHandle GenerateNormalTextEx(const TNormalTextParam* param, int32_t /*value: reserved*/) {
  return engines::Guarded("GenerateNormalTextEx", EngineHandle{0}, [&] { return Generate(param); });
}
