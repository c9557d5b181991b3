// TIFF through libtiff: every directory is a page (frame dimension "page"), decoded through
// libtiff's RGBA reader so that every photometric interpretation and compression it knows
// works. The encoder writes one LZW-compressed RGB or RGBA page.

#include <tiffio.h>

#include <cmath>
#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {
namespace {

struct MemoryFile {
  ByteSpan input;   // reading
  Bytes* output = nullptr;  // writing
  uint64_t position = 0;
  size_t Size() const { return output ? output->size() : input.size(); }
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (count <= 0 || file->position >= file->Size()) return 0;
  size_t n = std::min<size_t>(static_cast<size_t>(count), file->Size() - file->position);
  const uint8_t* data = file->output ? file->output->data() : file->input.data();
  std::memcpy(buffer, data + file->position, n);
  file->position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t count) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (!file->output || count < 0) return -1;
  size_t end = file->position + static_cast<size_t>(count);
  if (end > file->output->size()) file->output->resize(end);
  std::memcpy(file->output->data() + file->position, buffer, static_cast<size_t>(count));
  file->position = end;
  return count;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(file->position) : int64_t(file->Size());
  int64_t target = base + static_cast<int64_t>(offset);
  if (target < 0) return static_cast<toff_t>(-1);
  file->position = static_cast<uint64_t>(target);
  return file->position;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->Size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}
int QuietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffHandle {
  TIFF* tiff = nullptr;
  ~TiffHandle() {
    if (tiff) TIFFClose(tiff);
  }
};

TIFF* Open(MemoryFile* file, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, QuietHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t{1} << 30);
  TIFF* tiff = TIFFClientOpenExt("memory", mode, file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                 UnmapProc, options);
  TIFFOpenOptionsFree(options);
  return tiff;
}

}  // namespace

GpStatus DecodeTiff(ByteSpan bytes, DecodedImage* image) {
  MemoryFile file{bytes};
  TiffHandle handle;
  handle.tiff = Open(&file, "rm");
  if (!handle.tiff) return GenericError;
  TIFF* tiff = handle.tiff;
  do {
    uint32_t w = 0, h = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
    if (!ImageSizeAcceptable(w, h)) break;
    char message[1024];
    if (!TIFFRGBAImageOK(tiff, message)) break;
    std::vector<uint32_t> raster(size_t(w) * h);
    if (!TIFFReadRGBAImageOriented(tiff, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) break;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    bool alpha = TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0 &&
                 (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA);
    std::vector<ARGB> pixels(raster.size());
    for (size_t i = 0; i < raster.size(); ++i) {
      uint32_t v = raster[i];  // libtiff's ABGR with premultiplied colour
      ARGB c = (v & 0xFF000000u) | (v & 0xFF) << 16 | (v & 0xFF00) | ((v >> 16) & 0xFF);
      pixels[i] = alpha ? Unpremultiply(c) : (c | 0xFF000000u);
    }
    image->frames.push_back(
        FrameFromArgb(pixels, static_cast<int>(w), static_cast<int>(h), alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB));
    if (image->frames.size() == 1) {
      float xres = 0, yres = 0;
      uint16_t unit = RESUNIT_INCH;
      TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
      if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yres) &&
          xres > 0 && yres > 0 && std::isfinite(xres) && std::isfinite(yres) && unit != RESUNIT_NONE) {
        float scale = unit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
        image->dpiX = xres * scale, image->dpiY = yres * scale, image->hasRealDpi = true;
      }
      char* date = nullptr;
      if (TIFFGetField(tiff, TIFFTAG_DATETIME, &date) && date) {
        Property property{PropertyTagDateTime, PropertyTagTypeASCII, {}};
        property.value.assign(date, date + std::strlen(date) + 1);
        image->properties.push_back(std::move(property));
      }
    }
  } while (TIFFReadDirectory(tiff));
  // A damaged later page leaves the pages read before it.
  if (image->frames.empty()) return GenericError;
  image->rawFormat = ImageFormatTIFF;
  image->dimension = FrameDimensionPage;
  return Ok;
}

GpStatus EncodeTiff(const Frame& frame, REAL dpiX, REAL dpiY, Bytes* out) {
  out->clear();
  MemoryFile file;
  file.output = out;
  TiffHandle handle;
  handle.tiff = Open(&file, "w");
  if (!handle.tiff) return GenericError;
  TIFF* tiff = handle.tiff;
  bool alpha = FrameHasAlpha(frame);
  uint16_t channels = alpha ? 4 : 3;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(frame.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(frame.height));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<double>(dpiX));
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<double>(dpiY));
  if (alpha) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  std::vector<ARGB> argb(frame.width);
  std::vector<uint8_t> row(size_t(frame.width) * channels);
  for (int y = 0; y < frame.height; ++y) {
    RowToArgb(frame.format, frame.Row(y), 0, frame.width, frame.palette, argb.data());
    for (int x = 0; x < frame.width; ++x) {
      ARGB c = argb[x];
      uint8_t* p = &row[size_t(x) * channels];
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
      if (alpha) p[3] = uint8_t(c >> 24);
    }
    if (TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) < 0) return GenericError;
  }
  if (!TIFFWriteDirectory(tiff)) return GenericError;
  TIFFClose(tiff);
  handle.tiff = nullptr;
  return Ok;
}

}  // namespace platform::detail
