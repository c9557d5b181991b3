// JPEG through libjpeg: colour, gray and CMYK/YCCK files decode to 24-bit RGB; the JFIF
// density gives the resolution and the EXIF segment the properties. The header is read apart
// from the pixels, and the pixels may be decoded at a reduced scale (libjpeg's eighths). The encoder takes a quality
// and a transformation (rotations and flips are applied to the pixels before encoding).

#include <algorithm>
#include <cstdio>
#include <csetjmp>
#include <cstring>

// Our headers first: libjpeg defines TRUE and FALSE as macros only when they are not macros yet.
#include "platform/gdiplus/Codecs.h"

#include <jpeglib.h>

namespace platform::detail {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings of damaged files are not printed

// The decompressor lives outside the function that calls setjmp, so that nothing with a
// destructor is skipped by the long jump.
struct Decoder {
  jpeg_decompress_struct info;
  ErrorManager errors;
  std::vector<uint8_t> cmykRow;
  Bytes exif;  // the first EXIF segment
  Decoder() {
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
  }
  ~Decoder() { jpeg_destroy_decompress(&info); }
};

struct Encoder {
  jpeg_compress_struct info;
  ErrorManager errors;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  Encoder() {
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
  }
  ~Encoder() {
    jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

// Reads the header (and the first EXIF segment); returns false on a libjpeg error. Only
// trivially destructible locals live here.
bool RunReadHeader(Decoder& d, ByteSpan bytes) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_create_decompress(&d.info);
  jpeg_mem_src(&d.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&d.info, TRUE);
  // Saved markers live in the image pool, which finishing the decompression frees.
  for (jpeg_saved_marker_ptr marker = d.info.marker_list; marker && d.exif.empty(); marker = marker->next)
    if (marker->marker == JPEG_APP0 + 1 && marker->data_length > 6 && std::memcmp(marker->data, "Exif\0\0", 6) == 0)
      d.exif.assign(marker->data, marker->data + marker->data_length);
  return true;
}

// Decodes the pixels after RunReadHeader, at `eighths`/8 of the full size (libjpeg scales in
// its inverse DCT, so a small scale skips most of the work). Returns false on a libjpeg error.
bool RunDecodePixels(Decoder& d, int eighths, Frame* frame) {
  if (setjmp(d.errors.jump)) return false;
  const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
  d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  const bool cmykInverted = d.info.saw_Adobe_marker;
  d.info.scale_num = static_cast<unsigned int>(eighths);
  d.info.scale_denom = 8;
  jpeg_start_decompress(&d.info);
  if (!ImageSizeAcceptable(d.info.output_width, d.info.output_height)) return false;
  *frame = MakeFrame(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height), PixelFormat24bppRGB);
  std::vector<uint8_t>& cmykRow = d.cmykRow;
  cmykRow.resize(cmyk ? size_t(frame->width) * 4 : 0);
  while (d.info.output_scanline < d.info.output_height) {
    int y = static_cast<int>(d.info.output_scanline);
    JSAMPROW row = cmyk ? cmykRow.data() : frame->Row(y);
    jpeg_read_scanlines(&d.info, &row, 1);
    if (cmyk) {
      uint8_t* out = frame->Row(y);
      for (int x = 0; x < frame->width; ++x) {
        uint32_t c = cmykRow[4 * x], m = cmykRow[4 * x + 1], yy = cmykRow[4 * x + 2], k = cmykRow[4 * x + 3];
        if (!cmykInverted) c = 255 - c, m = 255 - m, yy = 255 - yy, k = 255 - k;
        out[3 * x + 2] = static_cast<uint8_t>(c * k / 255);
        out[3 * x + 1] = static_cast<uint8_t>(m * k / 255);
        out[3 * x] = static_cast<uint8_t>(yy * k / 255);
      }
    }
  }
  jpeg_finish_decompress(&d.info);
  return true;
}

bool RunEncode(Encoder& e, const Frame& frame, REAL dpiX, REAL dpiY, int quality) {
  if (setjmp(e.errors.jump)) return false;
  jpeg_create_compress(&e.info);
  jpeg_mem_dest(&e.info, &e.buffer, &e.size);
  e.info.image_width = static_cast<JDIMENSION>(frame.width);
  e.info.image_height = static_cast<JDIMENSION>(frame.height);
  e.info.input_components = 3;
  e.info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&e.info);
  jpeg_set_quality(&e.info, quality, TRUE);
  e.info.density_unit = 1;
  e.info.X_density = static_cast<UINT16>(dpiX > 0 && dpiX < 65535 ? dpiX + 0.5f : 96);
  e.info.Y_density = static_cast<UINT16>(dpiY > 0 && dpiY < 65535 ? dpiY + 0.5f : 96);
  jpeg_start_compress(&e.info, TRUE);
  while (e.info.next_scanline < e.info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(frame.Row(static_cast<int>(e.info.next_scanline)));
    jpeg_write_scanlines(&e.info, &row, 1);
  }
  jpeg_finish_compress(&e.info);
  return true;
}

Frame Transform(const Frame& source, int transformation) {
  int w = source.width, h = source.height;
  bool swap = transformation == EncoderValueTransformRotate90 || transformation == EncoderValueTransformRotate270;
  Frame out = MakeFrame(swap ? h : w, swap ? w : h, PixelFormat24bppRGB);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      int sx = x, sy = y;
      switch (transformation) {
        case EncoderValueTransformRotate90: sx = y, sy = h - 1 - x; break;  // clockwise
        case EncoderValueTransformRotate180: sx = w - 1 - x, sy = h - 1 - y; break;
        case EncoderValueTransformRotate270: sx = w - 1 - y, sy = x; break;
        case EncoderValueTransformFlipHorizontal: sx = w - 1 - x; break;
        case EncoderValueTransformFlipVertical: sy = h - 1 - y; break;
        default: break;
      }
      std::memcpy(out.Row(y) + 3 * x, source.Row(sy) + 3 * sx, 3);
    }
  return out;
}

}  // namespace

GpStatus ReadJpegHeader(ByteSpan bytes, DecodedImage* image) {
  Decoder decoder;
  if (!RunReadHeader(decoder, bytes)) return GenericError;
  const jpeg_decompress_struct& info = decoder.info;
  if (!ImageSizeAcceptable(info.image_width, info.image_height)) return GenericError;
  image->rawFormat = ImageFormatJPEG;
  if (info.jpeg_color_space == JCS_GRAYSCALE) image->colorSpaceFlags = ImageFlagsColorSpaceGRAY;
  else if (info.jpeg_color_space == JCS_CMYK) image->colorSpaceFlags = ImageFlagsColorSpaceCMYK;
  else if (info.jpeg_color_space == JCS_YCCK) image->colorSpaceFlags = ImageFlagsColorSpaceYCCK;
  else image->colorSpaceFlags = ImageFlagsColorSpaceYCBCR;
  if (info.saw_JFIF_marker && info.X_density && info.Y_density && (info.density_unit == 1 || info.density_unit == 2)) {
    REAL scale = info.density_unit == 2 ? 2.54f : 1.0f;
    image->dpiX = info.X_density * scale;
    image->dpiY = info.Y_density * scale;
    image->hasRealDpi = true;
  }
  if (!decoder.exif.empty()) ReadExifProperties(decoder.exif, &image->properties);
  // The frame's shape without its pixels.
  Frame frame;
  frame.width = static_cast<int>(info.image_width);
  frame.height = static_cast<int>(info.image_height);
  frame.format = PixelFormat24bppRGB;
  frame.stride = StrideFor(frame.width, frame.format);
  image->frames.push_back(std::move(frame));
  return Ok;
}

int JpegScaleFor(int width, int height, int targetWidth, int targetHeight) {
  // The result must still cover the target wherever the full picture does, so that drawing
  // it into the target shrinks (never enlarges) it, as the full picture would be.
  const int64_t wantWidth = std::min(targetWidth, width), wantHeight = std::min(targetHeight, height);
  for (int eighths = 1; eighths < 8; ++eighths) {
    const int64_t w = (int64_t{width} * eighths + 7) / 8, h = (int64_t{height} * eighths + 7) / 8;
    if (w >= wantWidth && h >= wantHeight) return eighths;
  }
  return 8;
}

GpStatus DecodeJpegPixels(ByteSpan bytes, int eighths, Frame* frame) {
  if (eighths < 1 || eighths > 8) return InvalidParameter;
  Decoder decoder;
  if (!RunReadHeader(decoder, bytes) || !RunDecodePixels(decoder, eighths, frame)) return GenericError;
  return Ok;
}

GpStatus DecodeJpeg(ByteSpan bytes, DecodedImage* image) {
  GpStatus status = ReadJpegHeader(bytes, image);
  if (status != Ok) return status;
  return DecodeJpegPixels(bytes, 8, &image->frames[0]);
}

GpStatus EncodeJpeg(const Frame& frame, REAL dpiX, REAL dpiY, const EncodeOptions& options, Bytes* out) {
  if (options.quality < 0 || options.quality > 100) return InvalidParameter;
  Frame rgb;
  const Frame* source = &frame;
  if (frame.format != PixelFormat24bppRGB) {
    // Transparent pixels are laid on white, as JPEG has no alpha.
    std::vector<ARGB> pixels = FrameToArgb(frame);
    for (ARGB& c : pixels) {
      uint32_t a = c >> 24;
      auto blend = [a](uint32_t v) { return (v * a + 255 * (255 - a) + 127) / 255; };
      c = 0xFF000000u | blend((c >> 16) & 0xFF) << 16 | blend((c >> 8) & 0xFF) << 8 | blend(c & 0xFF);
    }
    rgb = FrameFromArgb(pixels, frame.width, frame.height, PixelFormat24bppRGB);
    source = &rgb;
  }
  Frame turned;
  if (options.transformation) {
    if (options.transformation < EncoderValueTransformRotate90 ||
        options.transformation > EncoderValueTransformFlipVertical)
      return InvalidParameter;
    turned = Transform(*source, options.transformation);
    source = &turned;
  }
  Encoder encoder;
  if (!RunEncode(encoder, *source, dpiX, dpiY, options.quality)) return GenericError;
  out->assign(encoder.buffer, encoder.buffer + encoder.size);
  return Ok;
}

}  // namespace platform::detail
