#include "engines/QM_OutputCtrl/MenuRenderer.h"

#include <png.h>

#include <cstdio>

#include "engines/media/StillWriter.h"

namespace outputctrl {

std::string EncodeMenuPage(const MenuPage& page, const MenuVideoFormat& format, const std::string& outputFile,
                           const std::atomic<bool>& cancel) {
  const Picture& background = page.background;
  engines::media::StillPicture picture{background.width, background.height, background.width * 4,
                                       background.empty() ? nullptr : background.bgra.data()};
  engines::media::StillSettings settings{format.pal, format.wide, format.stillSeconds, page.audioFile};
  return engines::media::WriteStill(picture, settings, outputFile, cancel);
}

std::string WritePng(const Picture& picture, const std::string& file) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return "cannot write '" + file + "'";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return "cannot write the PNG '" + file + "'";
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < picture.height; ++y)
    png_write_row(png, const_cast<png_bytep>(picture.bgra.data() + static_cast<size_t>(y) * picture.width * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0 ? std::string() : "cannot write '" + file + "'";
}

Picture ButtonFrames(const MenuPage& page, uint32_t rgb, int thickness) {
  Picture overlay;
  overlay.width = page.background.width;
  overlay.height = page.background.height;
  overlay.bgra.assign(static_cast<size_t>(overlay.width) * overlay.height * 4, 0);
  for (const OCMenuButton& b : page.buttons) {
    for (int y = b.top; y < b.bottom; ++y) {
      for (int x = b.left; x < b.right; ++x) {
        const bool edge = x < b.left + thickness || x >= b.right - thickness || y < b.top + thickness ||
                          y >= b.bottom - thickness;
        if (!edge) continue;
        uint8_t* p = overlay.bgra.data() + (static_cast<size_t>(y) * overlay.width + x) * 4;
        p[0] = rgb & 0xFF;
        p[1] = (rgb >> 8) & 0xFF;
        p[2] = (rgb >> 16) & 0xFF;
        p[3] = 255;
      }
    }
  }
  return overlay;
}

}  // namespace outputctrl
