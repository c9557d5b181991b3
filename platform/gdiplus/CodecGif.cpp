// GIF through giflib. A still GIF that covers its screen stays 8-bit indexed; an animation is
// composed frame by frame (with each frame's disposal) into 32-bit ARGB frames of the time
// dimension, with the frame delays (property 0x5100, hundredths of a second) and the loop count
// (0x5101). The encoder writes one 8-bit indexed frame.

#include <gif_lib.h>

#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {
namespace {

struct MemoryReader {
  ByteSpan bytes;
  size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  size_t n = std::min<size_t>(static_cast<size_t>(std::max(count, 0)), reader->bytes.size() - reader->position);
  std::memcpy(buffer, reader->bytes.data() + reader->position, n);
  reader->position += n;
  return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), buffer, buffer + count);
  return count;
}

struct GifReadHandle {
  GifFileType* gif = nullptr;
  ~GifReadHandle() {
    int error;
    if (gif) DGifCloseFile(gif, &error);
  }
};

struct ColorMapHandle {
  ColorMapObject* map = nullptr;
  ~ColorMapHandle() { GifFreeMapObject(map); }
};

std::vector<ARGB> PaletteOf(const ColorMapObject* map, int transparent) {
  std::vector<ARGB> palette;
  if (!map) return palette;
  for (int i = 0; i < map->ColorCount; ++i) {
    const GifColorType& c = map->Colors[i];
    palette.push_back((i == transparent ? 0u : 0xFF000000u) | uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue);
  }
  return palette;
}

// The loop count of the NETSCAPE2.0 application extension, or -1.
int LoopCount(const ExtensionBlock* blocks, int count) {
  for (int i = 0; i + 1 < count; ++i)
    if (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
        std::memcmp(blocks[i].Bytes, "NETSCAPE2.0", 11) == 0 && blocks[i + 1].ByteCount >= 3 &&
        blocks[i + 1].Bytes[0] == 1)
      return blocks[i + 1].Bytes[1] | blocks[i + 1].Bytes[2] << 8;
  return -1;
}

}  // namespace

GpStatus DecodeGif(ByteSpan bytes, DecodedImage* image) {
  MemoryReader reader{bytes};
  GifReadHandle handle;
  int error = 0;
  handle.gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (!handle.gif) return GenericError;
  GifFileType* gif = handle.gif;
  // A file cut short still shows the frames that arrived completely; the frame being read
  // when the data ended is dropped.
  int frameCount = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : gif->ImageCount - 1;
  if (frameCount <= 0 || !gif->SavedImages) return GenericError;
  for (int i = 0; i < frameCount; ++i)
    if (!gif->SavedImages[i].RasterBits) frameCount = i;
  if (frameCount == 0) return GenericError;
  int width = gif->SWidth, height = gif->SHeight;
  if (width <= 0 || height <= 0) width = gif->SavedImages[0].ImageDesc.Width, height = gif->SavedImages[0].ImageDesc.Height;
  if (!ImageSizeAcceptable(width, height)) return GenericError;
  // An animation is composed into one full-screen ARGB frame per frame, so a few bytes of tiny
  // frames on a huge screen would cost gigabytes: the frames together stay within the limit of
  // one image, and a file past it is refused before anything is allocated.
  if (frameCount > 1 && int64_t{frameCount} * width * height > kMaxImagePixels) return OutOfMemory;

  std::vector<uint32_t> delays;
  const SavedImage& first = gif->SavedImages[0];
  GraphicsControlBlock firstControl{};
  firstControl.TransparentColor = NO_TRANSPARENT_COLOR;
  DGifSavedExtensionToGCB(gif, 0, &firstControl);

  bool still = frameCount == 1 && first.ImageDesc.Left == 0 && first.ImageDesc.Top == 0 &&
               first.ImageDesc.Width == width && first.ImageDesc.Height == height;
  if (still) {
    const ColorMapObject* map = first.ImageDesc.ColorMap ? first.ImageDesc.ColorMap : gif->SColorMap;
    if (!map) return GenericError;
    Frame frame = MakeFrame(width, height, PixelFormat8bppIndexed);
    frame.palette = PaletteOf(map, firstControl.TransparentColor);
    if (FrameHasAlpha(frame)) frame.paletteFlags |= PaletteFlagsHasAlpha;
    for (int y = 0; y < height; ++y) std::memcpy(frame.Row(y), first.RasterBits + size_t(y) * width, width);
    image->frames.push_back(std::move(frame));
    delays.push_back(firstControl.DelayTime);
  } else {
    std::vector<ARGB> canvas(size_t(width) * height, 0), saved;
    for (int i = 0; i < frameCount; ++i) {
      const SavedImage& source = gif->SavedImages[i];
      GraphicsControlBlock control{};
      control.TransparentColor = NO_TRANSPARENT_COLOR;
      DGifSavedExtensionToGCB(gif, i, &control);
      const ColorMapObject* map = source.ImageDesc.ColorMap ? source.ImageDesc.ColorMap : gif->SColorMap;
      std::vector<ARGB> palette = PaletteOf(map, control.TransparentColor);
      if (control.DisposalMode == DISPOSE_PREVIOUS) saved = canvas;
      const GifImageDesc& d = source.ImageDesc;
      for (int y = 0; y < d.Height; ++y) {
        int cy = d.Top + y;
        if (cy < 0 || cy >= height) continue;
        for (int x = 0; x < d.Width; ++x) {
          int cx = d.Left + x;
          if (cx < 0 || cx >= width) continue;
          uint8_t index = source.RasterBits[size_t(y) * d.Width + x];
          if (index == control.TransparentColor || index >= palette.size()) continue;
          canvas[size_t(cy) * width + cx] = palette[index];
        }
      }
      image->frames.push_back(FrameFromArgb(canvas, width, height, PixelFormat32bppARGB));
      delays.push_back(control.DelayTime);
      if (control.DisposalMode == DISPOSE_BACKGROUND) {
        for (int y = std::max(0, d.Top); y < std::min(height, d.Top + d.Height); ++y)
          for (int x = std::max(0, d.Left); x < std::min(width, d.Left + d.Width); ++x) canvas[size_t(y) * width + x] = 0;
      } else if (control.DisposalMode == DISPOSE_PREVIOUS && !saved.empty()) {
        canvas = saved;
      }
    }
  }
  image->rawFormat = ImageFormatGIF;
  image->dimension = FrameDimensionTime;
  Property delay{PropertyTagFrameDelay, PropertyTagTypeLong, {}};
  delay.value.resize(delays.size() * 4);
  std::memcpy(delay.value.data(), delays.data(), delay.value.size());
  image->properties.push_back(std::move(delay));
  int loops = LoopCount(gif->ExtensionBlocks, gif->ExtensionBlockCount);
  if (loops < 0) loops = LoopCount(first.ExtensionBlocks, first.ExtensionBlockCount);
  if (loops >= 0) {
    uint16_t value = static_cast<uint16_t>(loops);
    Property loop{PropertyTagLoopCount, PropertyTagTypeShort, std::vector<uint8_t>(2)};
    std::memcpy(loop.value.data(), &value, 2);
    image->properties.push_back(std::move(loop));
  }
  return Ok;
}

GpStatus EncodeGif(const Frame& frame, Bytes* out) {
  int w = frame.width, h = frame.height;
  std::vector<uint8_t> indices(size_t(w) * h);
  std::vector<ARGB> palette;
  int transparent = NO_TRANSPARENT_COLOR;
  if (IsIndexedPixelFormat(frame.format) && frame.palette.size() <= 256) {
    palette = frame.palette;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) indices[size_t(y) * w + x] = ReadIndex(frame.format, frame.Row(y), x);
    for (size_t i = 0; i < palette.size(); ++i)
      if ((palette[i] >> 24) < 128) {
        transparent = static_cast<int>(i);
        break;
      }
  } else {
    // A fixed 6x7x6 colour cube, plus one transparent entry when the image needs it.
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 7; ++g)
        for (int b = 0; b < 6; ++b)
          palette.push_back(0xFF000000u | uint32_t(r * 255 / 5) << 16 | uint32_t(g * 255 / 6) << 8 | uint32_t(b * 255 / 5));
    std::vector<ARGB> row(w);
    for (int y = 0; y < h; ++y) {
      RowToArgb(frame.format, frame.Row(y), 0, w, frame.palette, row.data());
      for (int x = 0; x < w; ++x) {
        ARGB c = row[x];
        uint8_t index;
        if ((c >> 24) < 128) {
          transparent = 252;
          index = 252;
        } else {
          uint32_t r = ((c >> 16) & 0xFF) * 5 + 127, g = ((c >> 8) & 0xFF) * 6 + 127, b = (c & 0xFF) * 5 + 127;
          index = static_cast<uint8_t>((r / 255) * 42 + (g / 255) * 6 + b / 255);
        }
        indices[size_t(y) * w + x] = index;
      }
    }
    if (transparent >= 0) palette.push_back(0x00000000);
  }
  int mapSize = 2;
  while (mapSize < static_cast<int>(palette.size())) mapSize *= 2;
  palette.resize(mapSize, 0xFF000000u);
  ColorMapHandle map;
  map.map = GifMakeMapObject(mapSize, nullptr);
  if (!map.map) return OutOfMemory;
  for (int i = 0; i < mapSize; ++i) {
    map.map->Colors[i].Red = static_cast<GifByteType>(palette[i] >> 16);
    map.map->Colors[i].Green = static_cast<GifByteType>(palette[i] >> 8);
    map.map->Colors[i].Blue = static_cast<GifByteType>(palette[i]);
  }
  out->clear();
  int error = 0;
  GifFileType* gif = EGifOpen(out, WriteToMemory, &error);
  if (!gif) return GenericError;
  bool ok = true;
  EGifSetGifVersion(gif, true);
  ok = ok && EGifPutScreenDesc(gif, w, h, 8, 0, map.map) == GIF_OK;
  if (ok && transparent != NO_TRANSPARENT_COLOR) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = transparent;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < h; ++y) ok = EGifPutLine(gif, &indices[size_t(y) * w], w) == GIF_OK;
  if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
  return ok ? Ok : GenericError;
}

}  // namespace platform::detail
