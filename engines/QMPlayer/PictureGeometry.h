#pragma once

// Where a view shows its picture, and the scaling that puts a picture there. The picture
// rectangle follows the clip editor's own rule for the view (same aspect choice, same
// rounding), so a crop rectangle the editor draws over the view lies on the picture.

#include <cstdint>
#include <vector>

#include "engines/media/AvPtr.h"
#include "engines/media/MediaSource.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/WinTypes.h"

namespace player {

// Display resize modes of a view.
constexpr int32_t kModeStretch = 0;
constexpr int32_t kModeWide = 2;
constexpr int32_t kModeStandard = 3;
constexpr int32_t kModeFillHeight = 5;

// What the view knows about its pictures: a size and, when known, the aspect numbers.
struct PictureShape {
  int width = 0, height = 0;
  int ratioX = 0, ratioY = 0;
};

// The picture rectangle in a client area of `clientWidth` x `clientHeight` for `mode`. Without
// a shape (width or height 0) the whole client area. In mode 5 a wide picture may reach past
// the sides. Exported for the engine's tests.
__attribute__((visibility("default"))) RECT VideoRect(int clientWidth, int clientHeight, int32_t mode, const PictureShape& shape);

// A top-down BGRA picture the GUI thread can blit.
struct BgraBuffer {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;

  void Resize(int w, int h);  // black
  void Clear();               // black
  void ClearAround(const RECT& keep);  // black outside `keep`
  void PaintTo(HDC dc) const;         // at the device context's origin (nothing while empty)
};

// Scales pictures with libswscale, keeping the context between calls. Not thread-safe.
class Scaler {
 public:
  Scaler() = default;
  ~Scaler();
  Scaler(const Scaler&) = delete;
  Scaler& operator=(const Scaler&) = delete;

  // Scales the part (cutLeft, cutTop, cutWidth, cutHeight) of `source` (any format) into
  // `target` at `into`, clipped to the target; the rest of the target is left as it is.
  // False when the scaler cannot be made (logged).
  bool Scale(const AVFrame* source, int cutLeft, int cutTop, int cutWidth, int cutHeight, BgraBuffer& target,
             const RECT& into);
  bool Scale(const AVFrame* source, BgraBuffer& target, const RECT& into) {
    return Scale(source, 0, 0, source->width, source->height, target, into);
  }

 private:
  bool ScaleDirect(const AVFrame* source, int cutLeft, int cutTop, int cutWidth, int cutHeight, uint8_t* target,
                   int stride, int width, int height);

  SwsContext* m_context = nullptr;
  BgraBuffer m_clip;  // pictures that need padding or reach past the target are scaled here first
};

// Places a processed picture into a frame of `width` x `height` by its resize style, as an
// encoded frame of that size would hold it (black around it).
engines::media::FramePtr PlaceInFrame(const engines::media::VideoFrame& picture, int width, int height,
                                      Scaler& scaler);

}  // namespace player
