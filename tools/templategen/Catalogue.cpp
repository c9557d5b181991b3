#include "tools/templategen/Catalogue.h"

namespace templategen {

namespace {

// The frame picture around a 4:3 window: a soft shadow and the rounded body around it, a
// little deeper below, where the shadow falls.
constexpr int kFrameSide = 12, kFrameTop = 11, kFrameBottom = 15;

// The page's fixed places: the heading across the top and the button row at the bottom, both
// inside the area a television shows whole.
constexpr Rect kHeading{72, 28, 648, 84};
constexpr Rect kPrev{72, 448, 128, 504};
constexpr Rect kPlay{332, 448, 388, 504};
constexpr Rect kNext{592, 448, 648, 504};
constexpr int kCaptionHeight = 24;  // the room kept under each frame for its caption

// Slots of `columns` x `rows` frames around windows `windowWidth` wide (4:3), with `gap`
// pixels between columns and `rowGap` between a caption and the next row, centred across the
// canvas and placed from `top` down.
void Grid(TemplateDesign& design, int columns, int rows, int windowWidth, int gap, int top, int rowGap) {
  const int windowHeight = windowWidth * 3 / 4;
  const int width = windowWidth + 2 * kFrameSide, height = windowHeight + kFrameTop + kFrameBottom;
  design.frameWindow = {kFrameSide, kFrameTop, kFrameSide + windowWidth, kFrameTop + windowHeight};
  const int left = (kCanvasWidth - (columns * width + (columns - 1) * gap)) / 2;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const int x = left + column * (width + gap), y = top + row * (height + kCaptionHeight + rowGap);
      design.slots.push_back({x, y, x + width, y + height});
    }
  }
}

TemplateDesign Base(std::string category, std::string name, Scene scene, const Palette& palette,
                  const char* headingFont) {
  TemplateDesign design;
  design.category = std::move(category);
  design.name = std::move(name);
  design.scene = scene;
  design.palette = palette;
  design.heading = kHeading;
  design.headingFont = headingFont;
  design.titleFont = "DejaVu Sans";
  design.headingSize = 28;
  design.titleSize = 13;
  design.prev = kPrev;
  design.play = kPlay;
  design.next = kNext;
  return design;
}

void TwoSlots(TemplateDesign& design) { Grid(design, 2, 1, 240, 48, 152, 0); }
void FourSlots(TemplateDesign& design) { Grid(design, 2, 2, 160, 64, 96, 12); }
void SixSlots(TemplateDesign& design) { Grid(design, 3, 2, 144, 36, 96, 16); }

}  // namespace

std::vector<TemplateDesign> Catalogue() {
  std::vector<TemplateDesign> all;

  // Day at sea: a blue sky over layered waves; white frames, sandy buttons.
  TemplateDesign sea = Base("Landscape", "sea1", Scene::Sea,
                          {.frame = 0xF7F4EC,
                           .frameEdge = 0x9FB8C8,
                           .buttonFill = 0xF7F1E3,
                           .buttonRim = 0xFFFFFF,
                           .glyph = 0x1D4F78,
                           .heading = 0xFFFFFF,
                           .caption = 0xFFFFFF,
                           .highlight = 0xFFD24A,
                           .select = 0xFFFFFF,
                           .sample = {0x7FB6D9, 0xE9C79A}},
                          "DejaVu Serif");
  FourSlots(sea);
  all.push_back(sea);

  // Mountains at dusk: ranges fading into a peach sky.
  TemplateDesign mountains = Base("Landscape", "mountains", Scene::Mountains,
                                {.frame = 0xFBEFE6,
                                 .frameEdge = 0xB89AA8,
                                 .buttonFill = 0x3A2E5A,
                                 .buttonRim = 0x8C79B8,
                                 .glyph = 0xFFE3C7,
                                 .heading = 0xFFF6EE,
                                 .caption = 0xFFF6EE,
                                 .highlight = 0xFFD97A,
                                 .select = 0xFFE3D1,
                                 .sample = {0xB7A3C9, 0xF2B48C}},
                                "DejaVu Serif");
  SixSlots(mountains);
  all.push_back(mountains);

  // Dark slate in soft light: quiet and neutral, two large frames.
  TemplateDesign slate = Base("Modern", "slate", Scene::Slate,
                            {.frame = 0xE9EDF1,
                             .frameEdge = 0x5D6B7A,
                             .buttonFill = 0x3A4654,
                             .buttonRim = 0x6F8091,
                             .glyph = 0xF2F5F8,
                             .heading = 0xF2F5F8,
                             .caption = 0xD9E0E7,
                             .highlight = 0xF5C26B,
                             .select = 0xFF8F6B,
                             .sample = {0x8CA0B3, 0xC9B79C}},
                            "DejaVu Sans");
  TwoSlots(slate);
  all.push_back(slate);

  // Aurora bands over a night sky and dark pines.
  TemplateDesign aurora = Base("Modern", "aurora", Scene::Aurora,
                             {.frame = 0xE6F5F1,
                              .frameEdge = 0x4C8C86,
                              .buttonFill = 0x123A44,
                              .buttonRim = 0x3FBFA6,
                              .glyph = 0xD8FFF1,
                              .heading = 0xF0FFFA,
                              .caption = 0xDDF5EE,
                              .highlight = 0x7CFFCB,
                              .select = 0xD29BFF,
                              .sample = {0x5FB7A8, 0x8E7CC3}},
                             "DejaVu Sans");
  FourSlots(aurora);
  all.push_back(aurora);

  // Confetti on a deep plum: a party.
  TemplateDesign confetti = Base("Festive", "confetti", Scene::Confetti,
                               {.frame = 0xFFF7EC,
                                .frameEdge = 0xD7A86E,
                                .buttonFill = 0xF6C453,
                                .buttonRim = 0xFFE39A,
                                .glyph = 0x4A1D4F,
                                .heading = 0xFFF3E0,
                                .caption = 0xFFF3E0,
                                .highlight = 0x6FF0E0,
                                .select = 0xFF6F91,
                                .sample = {0xF2A7B8, 0x9BD8D3}},
                               "DejaVu Sans");
  SixSlots(confetti);
  all.push_back(confetti);

  // Warm lights in the evening: soft bokeh and a string of bulbs.
  TemplateDesign lanterns = Base("Festive", "lanterns", Scene::Lanterns,
                               {.frame = 0xFFF4E0,
                                .frameEdge = 0xC9A15A,
                                .buttonFill = 0xE9A94B,
                                .buttonRim = 0xFFD89A,
                                .glyph = 0x2A1838,
                                .heading = 0xFFF1D6,
                                .caption = 0xFFEBC8,
                                .highlight = 0x8FE3FF,
                                .select = 0xFF9494,
                                .sample = {0xE8B27A, 0x8E9FD0}},
                               "DejaVu Serif");
  TwoSlots(lanterns);
  all.push_back(lanterns);

  return all;
}

}  // namespace templategen
