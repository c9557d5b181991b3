// The templates the program ships, read as the program reads them: every INI below
// resources/templates through the profile functions, its pictures through the image codecs.
// What a template promises: its keys, files of the right kinds and sizes, a layout whose
// slots, captions, buttons and heading keep apart inside the canvas, and colours readable on
// their background.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/kernel/Profile.h"
#include "tools/templategen/Raster.h"

namespace {

namespace fs = std::filesystem;
using templategen::RgbaImage;

const fs::path kCommitted = fs::path(BRANTWELL_SOURCE_DIR) / "resources" / "templates";
constexpr int kWidth = 720, kHeight = 540, kCaptionHeight = 24;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Overlaps(const Rect& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
  bool Inside(int width, int height) const {
    return left >= 0 && top >= 0 && right <= width && bottom <= height && left < right && top < bottom;
  }
};

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
  return out << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
}

// The program's rule for a template description: the name from its first "." is ".ini".
bool IsTemplateIni(const fs::path& path) {
  const std::string name = path.filename().string();
  const size_t dot = name.find('.');
  return dot != std::string::npos && name.substr(dot) == ".ini";
}

std::vector<fs::path> TemplateInis() {
  std::vector<fs::path> found;
  for (const auto& entry : fs::recursive_directory_iterator(kCommitted))
    if (entry.is_regular_file() && IsTemplateIni(entry.path())) found.push_back(entry.path());
  std::sort(found.begin(), found.end());
  return found;
}

std::string Read(const fs::path& ini, const char* section, const std::string& key) {
  char value[512] = {};
  GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof value, ini.c_str());
  return value;
}

std::optional<Rect> ParseRect(const std::string& text) {
  Rect rect;
  char end = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &rect.left, &rect.top, &rect.right, &rect.bottom, &end) != 4)
    return std::nullopt;
  return rect;
}

std::optional<uint32_t> ParseColour(const std::string& text) {
  if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789ABCDEFabcdef", 1) != std::string::npos)
    return std::nullopt;
  return uint32_t(std::stoul(text.substr(1), nullptr, 16));
}

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(double r, double g, double b) {
  auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(r / 255) + 0.7152 * linear(g / 255) + 0.0722 * linear(b / 255);
}
double Luminance(uint32_t rgb) { return Luminance((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// The mean luminance of the background within `rect` (clipped to the picture), leaving out
// `hole` (a rectangle within it).
double MeanLuminance(const RgbaImage& picture, Rect rect, const Rect& hole = {}) {
  rect.left = std::max(rect.left, 0), rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, picture.width), rect.bottom = std::min(rect.bottom, picture.height);
  double sum = 0;
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) {
      if (x >= hole.left && x < hole.right && y >= hole.top && y < hole.bottom) continue;
      const uint8_t* p = picture.At(x, y);
      sum += Luminance(p[0], p[1], p[2]);
      ++count;
    }
  return count ? sum / count : 0;
}

RgbaImage ReadPicture(const fs::path& path) {
  RgbaImage picture;
  std::string error;
  const bool read = path.extension() == ".jpg" ? templategen::ReadJpeg(path, &picture, &error)
                                               : templategen::ReadPng(path, &picture, &error);
  EXPECT_TRUE(read) << error;
  return picture;
}

// One template as its INI describes it.
struct Template {
  fs::path ini, folder;
  std::vector<Rect> slots;
  Rect frameWindow, heading, prev, play, next;
  uint32_t headingColour = 0, titleColour = 0, highlight = 0, select = 0;
};

// Reads and checks the keys of `ini`; failures are reported against it.
Template Load(const fs::path& ini) {
  Template t;
  t.ini = ini;
  t.folder = ini.parent_path();
  auto text = [&](const char* section, const std::string& key) {
    const std::string value = Read(ini, section, key);
    EXPECT_FALSE(value.empty()) << "no " << section << "/" << key;
    return value;
  };
  auto rect = [&](const char* section, const std::string& key) {
    const auto value = ParseRect(text(section, key));
    EXPECT_TRUE(value) << section << "/" << key << " is not left,top,right,bottom";
    return value.value_or(Rect{});
  };
  auto colour = [&](const char* section, const std::string& key) {
    const auto value = ParseColour(text(section, key));
    EXPECT_TRUE(value) << section << "/" << key << " is not #RRGGBB";
    return value.value_or(0);
  };
  EXPECT_EQ(text("main", "name"), t.folder.filename().string());
  EXPECT_EQ(text("main", "category"), t.folder.parent_path().filename().string());
  const int slots = std::atoi(text("main", "slots").c_str());
  EXPECT_GE(slots, 1);
  for (int n = 0; n < slots; ++n) t.slots.push_back(rect("main", "slot" + std::to_string(n)));
  EXPECT_TRUE(Read(ini, "main", "slot" + std::to_string(slots)).empty()) << "more slots than the count says";
  t.frameWindow = rect("main", "frame_window");
  t.heading = rect("main", "heading_rect");
  t.prev = rect("buttons", "prev_rect");
  t.play = rect("buttons", "play_rect");
  t.next = rect("buttons", "next_rect");
  text("main", "heading");
  text("main", "heading_font");
  text("main", "title_font");
  EXPECT_GT(std::atoi(text("main", "heading_size").c_str()), 0);
  EXPECT_GT(std::atoi(text("main", "title_size").c_str()), 0);
  t.headingColour = colour("main", "heading_color");
  t.titleColour = colour("main", "title_color");
  t.highlight = colour("highlight", "highlight_color");
  t.select = colour("highlight", "select_color");
  return t;
}

fs::path Picture(const Template& t, const char* section, const char* key) {
  const std::string name = Read(t.ini, section, key);
  EXPECT_TRUE(fs::is_regular_file(t.folder / name)) << section << "/" << key << " names '" << name << "'";
  return t.folder / name;
}

Rect CaptionBand(const Rect& slot) { return {slot.left, slot.bottom, slot.right, slot.bottom + kCaptionHeight}; }

}  // namespace

TEST(CommittedTemplates, TheSetHasTheDefaultAndEveryLayout) {
  const std::vector<fs::path> inis = TemplateInis();
  ASSERT_GE(inis.size(), 6u);
  std::set<std::string> categories, names;
  std::set<size_t> slotCounts;
  for (const fs::path& ini : inis) {
    categories.insert(ini.parent_path().parent_path().filename().string());
    names.insert(fs::relative(ini.parent_path(), kCommitted).generic_string());
    slotCounts.insert(size_t(std::atoi(Read(ini, "main", "slots").c_str())));
    // One description per folder: a second one would list the folder twice.
    int descriptions = 0;
    for (const auto& entry : fs::directory_iterator(ini.parent_path()))
      descriptions += entry.path().filename().string().find(".ini") != std::string::npos;
    EXPECT_EQ(descriptions, 1) << ini;
  }
  EXPECT_GE(categories.size(), 3u);
  EXPECT_TRUE(slotCounts.contains(2) && slotCounts.contains(4) && slotCounts.contains(6));
  // The program starts with this one and names its background.
  ASSERT_TRUE(names.contains("Landscape/sea1"));
  const fs::path sea = kCommitted / "Landscape" / "sea1" / "sea1.ini";
  EXPECT_EQ(Read(sea, "main", "slots"), "4");
  EXPECT_EQ(Read(sea, "main", "background"), "midbackgnd.jpg");
  EXPECT_TRUE(fs::is_regular_file(kCommitted / "Landscape" / "sea1" / "midbackgnd.jpg"));
}

TEST(CommittedTemplates, PicturesHaveTheirKindsAndSizes) {
  for (const fs::path& ini : TemplateInis()) {
    SCOPED_TRACE(ini.string());
    const Template t = Load(ini);
    const RgbaImage background = ReadPicture(Picture(t, "main", "background"));
    EXPECT_EQ(background.width, kWidth);
    EXPECT_EQ(background.height, kHeight);
    const RgbaImage preview = ReadPicture(Picture(t, "main", "preview"));
    EXPECT_EQ(preview.width * 3, preview.height * 4) << "the preview shows the 4:3 page";
    EXPECT_LE(std::max(preview.width, preview.height), 4 * 95);
    EXPECT_GE(std::max(preview.width, preview.height), 95);

    // The frame: the size of every slot; transparent in its window (its rounded corners
    // aside), opaque in the ring around it, a soft shadow below.
    const RgbaImage frame = ReadPicture(Picture(t, "main", "frame0_image"));
    for (const Rect& slot : t.slots) {
      EXPECT_EQ(slot.right - slot.left, frame.width) << "slot " << slot;
      EXPECT_EQ(slot.bottom - slot.top, frame.height) << "slot " << slot;
    }
    const Rect& window = t.frameWindow;
    ASSERT_TRUE(window.Inside(frame.width, frame.height)) << window;
    int opaqueInWindow = 0;
    for (int y = window.top + 4; y < window.bottom - 4; ++y)
      for (int x = window.left + 4; x < window.right - 4; ++x) opaqueInWindow += frame.At(x, y)[3] != 0;
    EXPECT_EQ(opaqueInWindow, 0);
    const int middleX = (window.left + window.right) / 2, middleY = (window.top + window.bottom) / 2;
    EXPECT_EQ(frame.At(window.left - 3, middleY)[3], 255);
    EXPECT_EQ(frame.At(window.right + 2, middleY)[3], 255);
    EXPECT_EQ(frame.At(middleX, window.top - 3)[3], 255);
    EXPECT_EQ(frame.At(middleX, window.bottom + 2)[3], 255);
    const uint8_t shadow = frame.At(middleX, frame.height - 3)[3];
    EXPECT_GT(shadow, 0);
    EXPECT_LT(shadow, 255);
    EXPECT_EQ(frame.At(0, 0)[3], 0);

    // The buttons: round faces. What the disc outlines (alpha of half and more) is a disc
    // around the centre; the corners are clear.
    for (const char* key : {"prevbtn", "playbtn", "nextbtn"}) {
      SCOPED_TRACE(key);
      const RgbaImage button = ReadPicture(Picture(t, "buttons", key));
      ASSERT_EQ(button.width, 64);
      ASSERT_EQ(button.height, 64);
      int outside = 0, holes = 0;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
          const double distance = std::hypot(x + 0.5 - 32, y + 0.5 - 31);
          const uint8_t alpha = button.At(x, y)[3];
          outside += distance > 28.5 && alpha >= 128;
          holes += distance < 25 && alpha != 255;
        }
      EXPECT_EQ(outside, 0);
      EXPECT_EQ(holes, 0);
      for (const auto& [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}}) EXPECT_EQ(button.At(x, y)[3], 0);
    }
  }
}

TEST(CommittedTemplates, LayoutKeepsSlotsButtonsAndHeadingApartInsideTheCanvas) {
  for (const fs::path& ini : TemplateInis()) {
    SCOPED_TRACE(ini.string());
    const Template t = Load(ini);
    const std::map<std::string, Rect> buttons = {{"prev", t.prev}, {"play", t.play}, {"next", t.next}};
    EXPECT_TRUE(t.heading.Inside(kWidth, kHeight)) << t.heading;
    for (size_t n = 0; n < t.slots.size(); ++n) {
      const Rect& slot = t.slots[n];
      EXPECT_TRUE(slot.Inside(kWidth, kHeight)) << "slot " << n << " " << slot;
      EXPECT_TRUE(CaptionBand(slot).Inside(kWidth, kHeight)) << "the caption of slot " << n;
      EXPECT_FALSE(slot.Overlaps(t.heading)) << "slot " << n << " under the heading";
      for (size_t other = n + 1; other < t.slots.size(); ++other) {
        EXPECT_FALSE(slot.Overlaps(t.slots[other])) << "slots " << n << " and " << other;
        EXPECT_FALSE(CaptionBand(slot).Overlaps(t.slots[other])) << "the caption of slot " << n << " on " << other;
      }
      for (const auto& [name, button] : buttons) {
        EXPECT_FALSE(button.Overlaps(slot)) << name << " on slot " << n;
        EXPECT_FALSE(button.Overlaps(CaptionBand(slot))) << name << " on the caption of slot " << n;
      }
    }
    for (const auto& [name, button] : buttons) {
      EXPECT_TRUE(button.Inside(kWidth, kHeight)) << name << " " << button;
      EXPECT_FALSE(button.Overlaps(t.heading)) << name << " under the heading";
      for (const auto& [otherName, other] : buttons)
        EXPECT_TRUE(name == otherName || !button.Overlaps(other)) << name << " on " << otherName;
    }
  }
}

TEST(CommittedTemplates, TextAndHighlightsAreReadableOnTheBackground) {
  for (const fs::path& ini : TemplateInis()) {
    SCOPED_TRACE(ini.string());
    const Template t = Load(ini);
    const RgbaImage background = ReadPicture(Picture(t, "main", "background"));
    // Text: the heading and each caption against what lies behind them.
    EXPECT_GE(Contrast(Luminance(t.headingColour), MeanLuminance(background, t.heading)), 4.5);
    for (const Rect& slot : t.slots)
      EXPECT_GE(Contrast(Luminance(t.titleColour), MeanLuminance(background, CaptionBand(slot))), 4.5) << slot;
    // Outlines: around each frame and button, against the band of background they lie on.
    std::vector<Rect> outlined = t.slots;
    outlined.insert(outlined.end(), {t.prev, t.play, t.next});
    for (const Rect& place : outlined) {
      const Rect band{place.left - 6, place.top - 6, place.right + 6, place.bottom + 6};
      const double around = MeanLuminance(background, band, place);
      EXPECT_GE(Contrast(Luminance(t.highlight), around), 3.0) << "highlight around " << place;
      EXPECT_GE(Contrast(Luminance(t.select), around), 3.0) << "select around " << place;
    }
    EXPECT_NE(t.highlight, t.select);
  }
}

TEST(CommittedTemplates, AreCopiedIntoTheProgramFolder) {
  const fs::path installed = fs::path(BRANTWELL_BIN_DIR) / "templates";
  for (const auto& entry : fs::recursive_directory_iterator(kCommitted)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), kCommitted);
    std::ifstream committed(entry.path(), std::ios::binary), copy(installed / relative, std::ios::binary);
    const std::string a{std::istreambuf_iterator<char>(committed), {}}, b{std::istreambuf_iterator<char>(copy), {}};
    EXPECT_TRUE(a == b) << relative << " is not in the program folder as committed";
  }
}
