// The encoder list and saving to files and streams.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/gdiplus/Codecs.h"
#include "platform/gdiplus/Gdiplus.h"
#include "platform/gdiplus/GdiplusInternal.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"

namespace platform::detail {
namespace {

struct EncoderEntry {
  CLSID clsid;
  GUID format;
  std::u16string_view name;
  std::u16string_view description;
  std::u16string_view extensions;
  std::u16string_view mimeType;
  std::vector<std::vector<uint8_t>> signatures;  // all of one size
};

const std::vector<EncoderEntry>& Encoders() {
  static const std::vector<EncoderEntry> encoders = {
      {EncoderClsidBMP, ImageFormatBMP, u"BMP encoder", u"BMP", u"*.BMP;*.DIB;*.RLE", u"image/bmp", {{'B', 'M'}}},
      {EncoderClsidJPEG, ImageFormatJPEG, u"JPEG encoder", u"JPEG", u"*.JPG;*.JPEG;*.JPE;*.JFIF", u"image/jpeg",
       {{0xFF, 0xD8}}},
      {EncoderClsidGIF, ImageFormatGIF, u"GIF encoder", u"GIF", u"*.GIF", u"image/gif",
       {{'G', 'I', 'F', '8', '9', 'a'}, {'G', 'I', 'F', '8', '7', 'a'}}},
      {EncoderClsidTIFF, ImageFormatTIFF, u"TIFF encoder", u"TIFF", u"*.TIF;*.TIFF", u"image/tiff",
       {{'I', 'I', 0x2A, 0x00}, {'M', 'M', 0x00, 0x2A}}},
      {EncoderClsidPNG, ImageFormatPNG, u"PNG encoder", u"PNG", u"*.PNG", u"image/png",
       {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}}},
  };
  return encoders;
}

size_t ExtraBytes(const EncoderEntry& e) {
  size_t strings = (e.name.size() + 1 + 1 + e.description.size() + 1 + e.extensions.size() + 1 + e.mimeType.size() + 1) * 2;
  return strings + 2 * e.signatures.size() * e.signatures[0].size();
}

const EncoderEntry* FindEncoder(const CLSID& clsid) {
  for (const EncoderEntry& e : Encoders())
    if (e.clsid == clsid) return &e;
  return nullptr;
}

GpStatus ParseParameters(const EncoderParameters* parameters, EncodeOptions* options) {
  if (!parameters) return Ok;
  for (UINT i = 0; i < parameters->Count; ++i) {
    const EncoderParameter& p = parameters->Parameter[i];
    bool quality = p.Guid == EncoderQuality, transformation = p.Guid == EncoderTransformation;
    if (!quality && !transformation) continue;  // parameters of other encoders are ignored
    if (p.NumberOfValues < 1 || !p.Value || p.Type != EncoderParameterValueTypeLong) return InvalidParameter;
    ULONG value;
    std::memcpy(&value, p.Value, sizeof value);
    if (quality) {
      if (value > 100) return InvalidParameter;
      options->quality = static_cast<int>(value);
    } else {
      options->transformation = static_cast<int>(value);
    }
  }
  return Ok;
}

GpStatus Encode(GpImage* image, const CLSID* clsid, const EncoderParameters* parameters, Bytes* out) {
  ImageObject* object = AsImage(image);
  if (!object || !clsid) return InvalidParameter;
  if (object->locked) return WrongState;
  const EncoderEntry* encoder = FindEncoder(*clsid);
  if (!encoder) return UnknownImageFormat;
  EncodeOptions options;
  GpStatus status = ParseParameters(parameters, &options);
  if (status != Ok) return status;
  const Frame& frame = object->Active();
  REAL dpiX = object->data.dpiX, dpiY = object->data.dpiY;
  try {
    if (encoder->format == ImageFormatBMP) return EncodeBmp(frame, dpiX, dpiY, out);
    if (encoder->format == ImageFormatJPEG) return EncodeJpeg(frame, dpiX, dpiY, options, out);
    if (encoder->format == ImageFormatGIF) return EncodeGif(frame, out);
    if (encoder->format == ImageFormatTIFF) return EncodeTiff(frame, dpiX, dpiY, out);
    return EncodePng(frame, out);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

}  // namespace
}  // namespace platform::detail

using namespace platform::detail;

GpStatus GdipGetImageEncodersSize(UINT* count, UINT* size) {
  if (!count || !size) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  size_t total = 0;
  for (const EncoderEntry& e : Encoders()) total += sizeof(ImageCodecInfo) + ExtraBytes(e);
  *count = static_cast<UINT>(Encoders().size());
  *size = static_cast<UINT>(total);
  return Ok;
}

GpStatus GdipGetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders) {
  if (!encoders) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  UINT needCount, needSize;
  GdipGetImageEncodersSize(&needCount, &needSize);
  if (count != needCount || size < needSize) return InvalidParameter;
  // The records first, then their strings, then the signature bytes, all in the caller's block.
  auto* strings = reinterpret_cast<char16_t*>(encoders + count);
  auto copyString = [&strings](std::u16string_view text) {
    const char16_t* start = strings;
    std::memcpy(strings, text.data(), text.size() * 2);
    strings[text.size()] = 0;
    strings += text.size() + 1;
    return start;
  };
  std::vector<const char16_t*> pointers;
  for (const EncoderEntry& e : Encoders()) {
    pointers.push_back(copyString(e.name));
    pointers.push_back(copyString(u""));
    pointers.push_back(copyString(e.description));
    pointers.push_back(copyString(e.extensions));
    pointers.push_back(copyString(e.mimeType));
  }
  auto* bytes = reinterpret_cast<uint8_t*>(strings);
  for (UINT i = 0; i < count; ++i) {
    const EncoderEntry& e = Encoders()[i];
    ImageCodecInfo& info = encoders[i];
    std::memset(&info, 0, sizeof info);
    info.Clsid = e.clsid;
    info.FormatID = e.format;
    info.CodecName = pointers[5 * i];
    info.DllName = pointers[5 * i + 1];
    info.FormatDescription = pointers[5 * i + 2];
    info.FilenameExtension = pointers[5 * i + 3];
    info.MimeType = pointers[5 * i + 4];
    info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    info.Version = 1;
    info.SigCount = static_cast<DWORD>(e.signatures.size());
    info.SigSize = static_cast<DWORD>(e.signatures[0].size());
    info.SigPattern = bytes;
    for (const auto& signature : e.signatures) bytes = std::copy(signature.begin(), signature.end(), bytes);
    info.SigMask = bytes;
    for (size_t k = 0; k < e.signatures.size() * info.SigSize; ++k) *bytes++ = 0xFF;
  }
  return Ok;
}

GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* fileName, const CLSID* encoder,
                             const EncoderParameters* parameters) {
  if (!fileName) return InvalidParameter;
  Bytes bytes;
  GpStatus status = Encode(image, encoder, parameters, &bytes);
  if (status != Ok) return status;
  // Encoded in full before the file is touched: a failed encode leaves an existing file as it was.
  std::string path = ResolvePath(platform::Utf16ToUtf8(fileName));
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    int error = errno;
    SetLastErrorFromErrno(error, path);
    return error == EACCES || error == EPERM || error == EROFS ? AccessDenied
           : error == ENOENT                                  ? FileNotFound
                                                              : Win32Error;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetLastErrorFromErrno(errno, path);
      ::close(fd);
      return Win32Error;
    }
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 ? Ok : Win32Error;
}

GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder,
                               const EncoderParameters* parameters) {
  if (!stream) return InvalidParameter;
  Bytes bytes;
  GpStatus status = Encode(image, encoder, parameters, &bytes);
  if (status != Ok) return status;
  size_t done = 0;
  while (done < bytes.size()) {
    ULONG chunk = static_cast<ULONG>(std::min<size_t>(bytes.size() - done, 1u << 30)), written = 0;
    if (FAILED(stream->Write(bytes.data() + done, chunk, &written)) || written == 0) return Win32Error;
    done += written;
  }
  return Ok;
}
