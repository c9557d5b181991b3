#pragma once

// The control gallery's pages. A page is a list of sections; each section's builder places
// controls on the gallery form, drives them into their states with synthetic input, and takes
// a labelled capture of each look. The gallery composes every capture of a page into one
// sheet. Section files register themselves at start-up, so each control family adds its own
// file without touching the others:
//
//   static const GallerySectionRegistration kPushButtons("buttons", "Push buttons", [](GallerySection& s) {
//     auto* button = s.Add(new TFSButton(s.Owner()), 8, 8, 90, 25);
//     s.Capture("normal", button);
//     s.Hover(button);
//     s.Capture("hot", button);
//   });
//
// Sections of a page run in the order of their `order` values, then of their titles.
// GUI thread only.

#include <functional>
#include <string>
#include <vector>

#include "platform/testing/Pictures.h"
#include "vcl/Form.h"

// One section while it runs: the surface its controls go on, the input helpers and the
// captures taken so far.
class GallerySection {
 public:
  GallerySection(TCustomForm* form, TWinControl* host, std::string title);

  const std::string& Title() const { return m_title; }
  // The owner for the section's controls (freed when the section ends).
  TComponent* Owner() const { return m_host; }
  // The surface the controls go on: a blank area of the gallery form.
  TWinControl* Host() const { return m_host; }
  TCustomForm* Form() const { return m_form; }

  // Places `control` on the host at the given bounds and returns it.
  template <class C> C* Add(C* control, int left, int top, int width, int height) {
    control->SetParent(m_host);
    control->SetBounds(left, top, width, height);
    return control;
  }

  // ---- driving the controls (each waits until the effect has been painted)
  // Moves the pointer over the middle of `control` (or a point of its client area).
  void Hover(TControl* control);
  void HoverAt(TControl* control, int x, int y);
  // Presses the left button over `control` (the pointer moves there first) and holds it.
  void Press(TControl* control);
  void Release(TControl* control);
  // A whole click on `control`.
  void ClickOn(TControl* control);
  // Moves the pointer off the gallery, releases any button still held, and waits out the
  // hover fade-outs.
  void Leave();
  void Focus(TWinControl* control);
  void Key(int virtualKey);
  // Runs the message loop for `milliseconds` so fades and animations finish.
  void Settle(int milliseconds = 300);

  // Takes a picture of `control` as it looks now, `margin` pixels of its surroundings
  // included, under `label`.
  void Capture(const std::string& label, TControl* control, int margin = 4);
  // The same for an area of the host's client coordinates.
  void CaptureArea(const std::string& label, TRect area);

  struct Shot {
    std::string label;
    platform::testing::Image image;
  };
  // A picture made by the section itself (windows of their own composed, for instance).
  void AddShot(const std::string& label, platform::testing::Image image) { m_shots.push_back({label, std::move(image)}); }
  const std::vector<Shot>& Shots() const { return m_shots; }

 private:
  TCustomForm* m_form;
  TWinControl* m_host;
  std::string m_title;
  std::vector<Shot> m_shots;
  bool m_buttonDown = false;
};

using GallerySectionBuilder = std::function<void(GallerySection&)>;

// The pages and their sections.
class GalleryPage {
 public:
  // The page of that name, made on first use.
  static GalleryPage& Get(const std::string& name);
  // Nullptr when no section registered the page.
  static GalleryPage* Find(const std::string& name);
  static std::vector<std::string> Names();

  void AddSection(const std::string& title, GallerySectionBuilder builder, int order = 100);

  struct Section {
    std::string title;
    GallerySectionBuilder builder;
    int order = 100;
  };
  // In running order.
  std::vector<Section> Sections() const;
  const std::string& Name() const { return m_name; }

 private:
  explicit GalleryPage(std::string name) : m_name(std::move(name)) {}
  std::string m_name;
  std::vector<Section> m_sections;
};

// Registers a section when the program starts (a static object in a section file).
struct GallerySectionRegistration {
  GallerySectionRegistration(const char* page, const char* title, GallerySectionBuilder builder, int order = 100) {
    GalleryPage::Get(page).AddSection(title, std::move(builder), order);
  }
};

// Start-up and shut-down calls of the libraries that section files need (a control library's
// start-up call, for instance), run once around the whole gallery in registration order
// (shut-downs in reverse).
struct GalleryModuleRegistration {
  GalleryModuleRegistration(std::function<void()> startUp, std::function<void()> shutDown);
};
void StartGalleryModules();
void StopGalleryModules();

// What a page does with --open-dropdown once its sheet shows: opens its drop-down over the
// gallery form and keeps it open while the window runs (registered by the page's file).
struct GalleryDropDownRegistration {
  GalleryDropDownRegistration(const char* page, std::function<void(TCustomForm* form)> open);
};
// False when the page has none.
bool OpenGalleryDropDown(const std::string& page, TCustomForm* form);

// Values the command line gives the sections ("--photos DIR" is "photos"); empty when not given.
void SetGalleryOption(const std::string& name, const std::string& value);
std::string GalleryOption(const std::string& name);

// A finished section, as the sheet shows it.
struct GallerySheetSection {
  std::string title;
  std::vector<GallerySection::Shot> shots;
};

// Lays the sections out on one sheet, `width` pixels wide: each section's title, then its
// captures in rows, each with its label under it.
platform::testing::Image ComposeSheet(const std::string& heading, const std::vector<GallerySheetSection>& sections,
                                      int width = 1000);
