#pragma once

// The default menu templates: for each one its category and name, the scene its background
// shows, its colours, and where its frames, buttons and heading sit on the 720 x 540 canvas.

#include <cstdint>
#include <string>
#include <vector>

namespace templategen {

constexpr int kCanvasWidth = 720;
constexpr int kCanvasHeight = 540;
constexpr int kButtonSize = 64;  // the button pictures
constexpr int kPreviewWidth = 192;
constexpr int kPreviewHeight = 144;

// Right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Overlaps(const Rect& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

enum class Scene { Sea, Mountains, Slate, Aurora, Confetti, Lanterns };

// Colours as 0xRRGGBB.
struct Palette {
  uint32_t frame = 0;       // the frame's body
  uint32_t frameEdge = 0;   // the fine line around the frame's window
  uint32_t buttonFill = 0;  // the round buttons
  uint32_t buttonRim = 0;
  uint32_t glyph = 0;       // the arrows and the play triangle
  uint32_t heading = 0;     // the default heading
  uint32_t caption = 0;     // the caption under each frame
  uint32_t highlight = 0;   // the button outline under the cursor on the disc
  uint32_t select = 0;      // the outline while a button is activated
  uint32_t sample[2] = {};  // the stand-in pictures in the frames of the preview
};

struct TemplateDesign {
  std::string category, name;
  Scene scene = Scene::Sea;
  Palette palette;
  std::vector<Rect> slots;  // every slot has the frame picture's size
  Rect frameWindow;         // in frame pixels: where the thumbnail shows
  Rect heading;
  std::string headingFont, titleFont;
  int headingSize = 0, titleSize = 0;  // points on the canvas
  Rect prev, play, next;
};

// The templates in the order they are written.
std::vector<TemplateDesign> Catalogue();

}  // namespace templategen
