#include "program/imaging/GDIPAPI.h"

#include <cstring>

GpRect MakeRect(const TRect& rect) {
  return GpRect{rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top};
}

TRect MakeRect(int x, int y, int width, int height) {
  TRect rect;
  rect.Left = x;
  rect.Top = y;
  rect.Right = x + width;
  rect.Bottom = y + height;
  return rect;
}

GpRectF MakeRectF(const TRect& rect) {
  return GpRectF{static_cast<REAL>(rect.Left), static_cast<REAL>(rect.Top), static_cast<REAL>(rect.Right - rect.Left),
                 static_cast<REAL>(rect.Bottom - rect.Top)};
}

// ---- encoders ---------------------------------------------------------------------------

namespace {

WideString Copy(const WCHAR* text) { return text ? WideString(reinterpret_cast<const char16_t*>(text)) : WideString(); }

void Bind(TImageCodecInfo& codec) {
  auto wide = [](const WideString& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); };
  codec.Info.CodecName = wide(codec.CodecName);
  codec.Info.DllName = wide(codec.DllName);
  codec.Info.FormatDescription = wide(codec.FormatDescription);
  codec.Info.FilenameExtension = wide(codec.FilenameExtension);
  codec.Info.MimeType = wide(codec.MimeType);
  // Signatures are not kept.
  codec.Info.SigCount = 0;
  codec.Info.SigSize = 0;
  codec.Info.SigPattern = nullptr;
  codec.Info.SigMask = nullptr;
}

}  // namespace

void GetImageEncoders(TImageCodecInfoDynArray& encoders) {
  encoders.clear();
  UINT count = 0, size = 0;
  if (GdipGetImageEncodersSize(&count, &size) != Ok || count == 0 || size == 0) return;
  std::vector<uint64_t> buffer((size + 7) / 8);
  auto* list = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  if (GdipGetImageEncoders(count, size, list) != Ok) return;
  encoders.resize(count);
  for (UINT i = 0; i < count; ++i) {
    TImageCodecInfo& codec = encoders[i];
    codec.Info = list[i];
    codec.CodecName = Copy(list[i].CodecName);
    codec.DllName = Copy(list[i].DllName);
    codec.FormatDescription = Copy(list[i].FormatDescription);
    codec.FilenameExtension = Copy(list[i].FilenameExtension);
    codec.MimeType = Copy(list[i].MimeType);
    Bind(codec);
  }
}

TImageCodecInfoDynArray GetImageEncoders() {
  TImageCodecInfoDynArray encoders;
  GetImageEncoders(encoders);
  return encoders;
}

bool GetEncoderInfo(const GUID& formatID, TImageCodecInfo& info) {
  for (TImageCodecInfo& codec : GetImageEncoders()) {
    if (codec.Info.FormatID == formatID) {
      info = std::move(codec);
      Bind(info);
      return true;
    }
  }
  info = TImageCodecInfo{};
  return false;
}

bool IsNullGuid(const GUID& guid) { return guid == GUID{}; }

void MakeEncoderParameters(TEncoderParameterDynArray& parameters, int count) {
  FreeEncoderParameters(parameters);
  parameters.assign(static_cast<size_t>(std::max(count, 0)), EncoderParameter{});
}

void SetEncoderParameterCount(TEncoderParameterDynArray& parameters, int count) {
  count = std::max(count, 0);
  for (size_t i = static_cast<size_t>(count); i < parameters.size(); ++i) delete[] static_cast<uint8_t*>(parameters[i].Value);
  parameters.resize(static_cast<size_t>(count), EncoderParameter{});
}

void SetEncoderParameter(TEncoderParameterDynArray& parameters, int index, const EncoderParameter& parameter) {
  if (index < 0 || static_cast<size_t>(index) >= parameters.size()) return;
  parameters[static_cast<size_t>(index)] = parameter;
}

EncoderParameter MakeEncoderParameter(const GUID& guid, uint32_t value) {
  EncoderParameter parameter{};
  parameter.Guid = guid;
  parameter.NumberOfValues = 1;
  parameter.Type = EncoderParameterValueTypeLong;
  auto* block = new uint8_t[4];
  std::memcpy(block, &value, 4);
  parameter.Value = block;
  return parameter;
}

void FreeEncoderParameters(TEncoderParameterDynArray& parameters) {
  for (EncoderParameter& parameter : parameters) delete[] static_cast<uint8_t*>(parameter.Value);
  parameters.clear();
}

TEncoderParametersBlock BuildEncoderParameters(const TEncoderParameterDynArray& parameters) {
  TEncoderParametersBlock block;
  if (parameters.empty()) return block;
  const size_t offset = offsetof(EncoderParameters, Parameter);
  const size_t size = offset + parameters.size() * sizeof(EncoderParameter);
  block.Bytes = std::make_unique<uint8_t[]>(size);
  auto* flat = reinterpret_cast<EncoderParameters*>(block.Bytes.get());
  flat->Count = static_cast<UINT>(parameters.size());
  std::memcpy(block.Bytes.get() + offset, parameters.data(), parameters.size() * sizeof(EncoderParameter));
  return block;
}

// ---- palettes and properties ------------------------------------------------------------

TGPColorPalette::TGPColorPalette(int byteSize) {
  const int count = std::max(byteSize - 8, 0) / 4;
  m_bytes.assign(static_cast<size_t>(count) * 4 + 8, 0);
  auto* palette = Palette();
  palette->Count = static_cast<UINT>(count);
}

UINT TGPColorPalette::Count() const { return reinterpret_cast<const ColorPalette*>(m_bytes.data())->Count; }

ARGB TGPColorPalette::Entry(UINT index) const {
  ARGB color = 0;
  if (index < Count()) std::memcpy(&color, m_bytes.data() + 8 + index * 4, 4);
  return color;
}

void TGPColorPalette::SetEntry(UINT index, ARGB color) {
  if (index < Count()) std::memcpy(m_bytes.data() + 8 + index * 4, &color, 4);
}

AnsiString PropertyItemToStr(const TGPPropertyItem& item) {
  const std::vector<uint8_t>& v = item.Value;
  switch (item.Type) {
    case PropertyTagTypeByte:
      return v.empty() ? AnsiString() : std::to_string(v[0]);
    case PropertyTagTypeASCII: {
      size_t end = 0;
      while (end < v.size() && v[end] != 0) ++end;
      return AnsiString(reinterpret_cast<const char*>(v.data()), end);
    }
    case PropertyTagTypeShort: {
      if (v.size() < 2) return {};
      uint16_t value;
      std::memcpy(&value, v.data(), 2);
      return std::to_string(value);
    }
    case PropertyTagTypeLong: {
      if (v.size() < 4) return {};
      uint32_t value;
      std::memcpy(&value, v.data(), 4);
      return std::to_string(value);
    }
    default:
      return {};
  }
}

void CopyPropertyItem(const PropertyItem& source, TGPPropertyItem& dest) {
  dest.Id = source.id;
  dest.Length = source.length;
  dest.Type = source.type;
  dest.Value.assign(source.length, 0);
  if (source.length && source.value) std::memcpy(dest.Value.data(), source.value, source.length);
}

bool ReadPropertyItem(GpImage* image, PROPID id, TGPPropertyItem& item) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(image, id, &size) != Ok || size < sizeof(PropertyItem)) return false;
  std::vector<uint64_t> buffer((size + 7) / 8);
  auto* raw = reinterpret_cast<PropertyItem*>(buffer.data());
  if (GdipGetPropertyItem(image, id, size, raw) != Ok) return false;
  CopyPropertyItem(*raw, item);
  return true;
}
