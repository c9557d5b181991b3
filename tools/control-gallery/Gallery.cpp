#include "tools/control-gallery/Gallery.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/gdi/Blit.h"
#include "platform/gdi/Objects.h"
#include "platform/kernel/SysInfo.h"
#include "platform/testing/Synthetic.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

namespace testing = platform::testing;

namespace {

// Where the pointer rests when it is off the gallery: the desktop's top-left corner, which
// the gallery form never covers.
constexpr POINT kOffGallery{2, 2};

POINT ScreenCentre(TControl* control, int x, int y) {
  const TPoint p = control->ClientToScreen(TPoint(x, y));
  return POINT{p.X, p.Y};
}

// The visible popup windows of this process other than `form`, bottom-most first.
std::vector<HWND> VisiblePopups(HWND form) {
  struct Search {
    HWND form;
    std::vector<HWND> found;
  } search{form, {}};
  EnumWindows(
      [](HWND wnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(wnd, &process);
        if (wnd != s->form && process == GetCurrentProcessId() && IsWindowVisible(wnd) &&
            (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_POPUP))
          s->found.push_back(wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  std::reverse(search.found.begin(), search.found.end());
  return search.found;
}

// Lays each popup's picture over the form's client picture where it stands on the screen.
void OverlayPopups(HWND form, testing::Image& client) {
  for (HWND popup : VisiblePopups(form)) {
    const testing::Image picture = testing::ReadWindow(popup, true);
    RECT bounds{};
    GetWindowRect(popup, &bounds);
    POINT corner{bounds.left, bounds.top};
    ScreenToClient(form, &corner);
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x) {
        const int cx = corner.x + x, cy = corner.y + y;
        if (cx < 0 || cy < 0 || cx >= client.width || cy >= client.height) continue;
        client.pixels[static_cast<size_t>(cy) * static_cast<size_t>(client.width) + static_cast<size_t>(cx)] =
            picture.At(x, y);
      }
  }
}

std::map<std::string, std::unique_ptr<GalleryPage>>& Pages() {
  static std::map<std::string, std::unique_ptr<GalleryPage>> pages;
  return pages;
}

struct Module {
  std::function<void()> startUp, shutDown;
};
std::vector<Module>& Modules() {
  static std::vector<Module> modules;
  return modules;
}

}  // namespace

// ---- GallerySection ----------------------------------------------------------------------------

GallerySection::GallerySection(TCustomForm* form, TWinControl* host, std::string title)
    : m_form(form), m_host(host), m_title(std::move(title)) {}

void GallerySection::Settle(int milliseconds) {
  testing::RunUntilIdle();
  testing::RunUntil([] { return false; }, milliseconds);
  m_form->Update();
  testing::RunUntilIdle();
}

void GallerySection::Hover(TControl* control) { HoverAt(control, control->Width() / 2, control->Height() / 2); }

void GallerySection::HoverAt(TControl* control, int x, int y) {
  testing::MouseMove(ScreenCentre(control, x, y));
  Settle();
}

void GallerySection::Press(TControl* control) {
  const POINT at = ScreenCentre(control, control->Width() / 2, control->Height() / 2);
  testing::MouseMove(at);
  testing::MouseDown(at);
  m_buttonDown = true;
  Settle();
}

void GallerySection::Release(TControl* control) {
  testing::MouseUp(ScreenCentre(control, control->Width() / 2, control->Height() / 2));
  m_buttonDown = false;
  Settle();
}

void GallerySection::ClickOn(TControl* control) {
  testing::Click(ScreenCentre(control, control->Width() / 2, control->Height() / 2));
  Settle();
}

void GallerySection::Leave() {
  testing::MouseMove(kOffGallery);
  if (m_buttonDown) testing::MouseUp(kOffGallery);
  m_buttonDown = false;
  // A hover fade-out runs ten steps on the animator's 50 ms ticks, then paints the plain
  // look: the next capture must not catch it halfway.
  Settle(800);
}

void GallerySection::Focus(TWinControl* control) {
  control->SetFocus();
  Settle(50);
}

void GallerySection::Key(int virtualKey) {
  testing::KeyPress(virtualKey);
  Settle();
}

void GallerySection::Capture(const std::string& label, TControl* control, int margin) {
  const TPoint corner = m_host->ScreenToClient(control->ClientToScreen(TPoint(0, 0)));
  CaptureArea(label, TRect(corner.X - margin, corner.Y - margin, corner.X + control->Width() + margin,
                           corner.Y + control->Height() + margin));
}

void GallerySection::CaptureArea(const std::string& label, TRect area) {
  Settle(0);
  // Read from the form's window: child windows are drawn into it. Popups open over the form
  // (a dropped list, a menu) are separate windows, laid over it where they stand.
  testing::Image window = testing::ReadWindow(m_form->Handle());
  OverlayPopups(m_form->Handle(), window);
  const TPoint hostCorner = m_form->ScreenToClient(m_host->ClientToScreen(TPoint(0, 0)));
  area = TRect(area.Left + hostCorner.X, area.Top + hostCorner.Y, area.Right + hostCorner.X, area.Bottom + hostCorner.Y);
  area.Left = std::max<LONG>(area.Left, 0);
  area.Top = std::max<LONG>(area.Top, 0);
  area.Right = std::min<LONG>(area.Right, window.width);
  area.Bottom = std::min<LONG>(area.Bottom, window.height);
  Shot shot;
  shot.label = label;
  shot.image.width = std::max<int>(0, area.Right - area.Left);
  shot.image.height = std::max<int>(0, area.Bottom - area.Top);
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x) shot.image.pixels.push_back(window.At(x, y) | 0xFF000000u);
  m_shots.push_back(std::move(shot));
}

// ---- GalleryPage ---------------------------------------------------------------------------------

GalleryPage& GalleryPage::Get(const std::string& name) {
  auto& slot = Pages()[name];
  if (!slot) slot.reset(new GalleryPage(name));
  return *slot;
}

GalleryPage* GalleryPage::Find(const std::string& name) {
  auto it = Pages().find(name);
  return it == Pages().end() ? nullptr : it->second.get();
}

std::vector<std::string> GalleryPage::Names() {
  std::vector<std::string> names;
  for (const auto& [name, page] : Pages()) names.push_back(name);
  return names;
}

void GalleryPage::AddSection(const std::string& title, GallerySectionBuilder builder, int order) {
  m_sections.push_back({title, std::move(builder), order});
}

std::vector<GalleryPage::Section> GalleryPage::Sections() const {
  std::vector<Section> sections = m_sections;
  std::stable_sort(sections.begin(), sections.end(), [](const Section& a, const Section& b) {
    return a.order != b.order ? a.order < b.order : a.title < b.title;
  });
  return sections;
}

namespace {
std::map<std::string, std::function<void(TCustomForm*)>>& DropDowns() {
  static std::map<std::string, std::function<void(TCustomForm*)>> dropDowns;
  return dropDowns;
}
}  // namespace

GalleryDropDownRegistration::GalleryDropDownRegistration(const char* page, std::function<void(TCustomForm*)> open) {
  DropDowns()[page] = std::move(open);
}

bool OpenGalleryDropDown(const std::string& page, TCustomForm* form) {
  auto it = DropDowns().find(page);
  if (it == DropDowns().end()) return false;
  it->second(form);
  return true;
}

GalleryModuleRegistration::GalleryModuleRegistration(std::function<void()> startUp, std::function<void()> shutDown) {
  Modules().push_back({std::move(startUp), std::move(shutDown)});
}

void StartGalleryModules() {
  for (const Module& m : Modules())
    if (m.startUp) m.startUp();
}

void StopGalleryModules() {
  for (auto it = Modules().rbegin(); it != Modules().rend(); ++it)
    if (it->shutDown) it->shutDown();
}

// ---- the sheet -----------------------------------------------------------------------------------

platform::testing::Image ComposeSheet(const std::string& heading, const std::vector<GallerySheetSection>& sections,
                                      int width) {
  constexpr int kPad = 12, kGap = 14, kLabelGap = 3;
  constexpr TColor kBackground = TColor(0xF6F4F3);  // the skin's window grey
  constexpr TColor kText = TColor(0x28231F);
  constexpr TColor kSubtle = TColor(0x857066);
  TBitmap measure(1, 1);
  TCanvas* m = measure.Canvas();
  m->Font()->SetSize(9);
  const int labelHeight = m->TextHeight("Ag");
  m->Font()->SetSize(12);
  m->Font()->SetStyle(TFontStyles{fsBold});
  const int titleHeight = m->TextHeight("Ag");

  // First the places, then the drawing.
  struct Place {
    int x, y;
    const GallerySection::Shot* shot;
  };
  struct Title {
    int y;
    std::string text;
  };
  std::vector<Place> places;
  std::vector<Title> titles;
  int y = kPad + titleHeight + kGap;  // under the page heading
  for (const GallerySheetSection& section : sections) {
    titles.push_back({y, section.title});
    y += titleHeight + 6;
    int x = kPad, rowHeight = 0;
    m->Font()->SetSize(9);
    m->Font()->SetStyle(TFontStyles{});
    for (const GallerySection::Shot& shot : section.shots) {
      const int cellWidth = std::max(shot.image.width, m->TextWidth(shot.label));
      if (x > kPad && x + cellWidth > width - kPad) {
        x = kPad;
        y += rowHeight + kGap;
        rowHeight = 0;
      }
      places.push_back({x, y, &shot});
      x += cellWidth + kGap;
      rowHeight = std::max(rowHeight, shot.image.height + kLabelGap + labelHeight);
    }
    m->Font()->SetSize(12);
    m->Font()->SetStyle(TFontStyles{fsBold});
    y += rowHeight + kGap * 2;
  }
  const int height = std::max(y, kPad * 2 + titleHeight);

  TBitmap sheet(width, height);
  TCanvas* c = sheet.Canvas();
  c->Brush()->SetColor(kBackground);
  c->FillRect(TRect(0, 0, width, height));
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(kText);
  c->Font()->SetSize(12);
  c->Font()->SetStyle(TFontStyles{fsBold});
  c->TextOut(kPad, kPad, heading);
  for (const Title& title : titles) c->TextOut(kPad, title.y, title.text);
  c->Font()->SetSize(9);
  c->Font()->SetStyle(TFontStyles{});
  c->Font()->SetColor(kSubtle);
  for (const Place& place : places) {
    const testing::Image& image = place.shot->image;
    if (image.width > 0 && image.height > 0) {
      const BITMAPINFO info = platform::TopDownBitmapInfo32(image.width, image.height);
      SetDIBitsToDevice(c->Handle(), place.x, place.y, static_cast<DWORD>(image.width), static_cast<DWORD>(image.height),
                        0, 0, 0, static_cast<UINT>(image.height), image.pixels.data(), &info, DIB_RGB_COLORS);
    }
    c->TextOut(place.x, place.y + image.height + kLabelGap, place.shot->label);
  }
  testing::Image result = testing::CaptureBitmap(sheet.Handle());
  for (uint32_t& pixel : result.pixels) pixel |= 0xFF000000u;
  return result;
}

namespace {
std::map<std::string, std::string>& GalleryOptions() {
  static std::map<std::string, std::string> options;
  return options;
}
}  // namespace

void SetGalleryOption(const std::string& name, const std::string& value) { GalleryOptions()[name] = value; }

std::string GalleryOption(const std::string& name) {
  auto found = GalleryOptions().find(name);
  return found == GalleryOptions().end() ? std::string() : found->second;
}
