// The skinned combo boxes, page controls, tree view and menu-bar tool bar in their looks, on
// the "editors" page.

#include "program/controls/ControlsModule.h"
#include "program/controls/FSComboBox.h"
#include "program/controls/FSPageControl.h"
#include "program/controls/FSTreeView.h"
#include "platform/testing/Synthetic.h"
#include "tools/control-gallery/Gallery.h"
#include "vcl/Menu.h"

namespace {

const GalleryModuleRegistration kControls([] { StartControlsModule(); }, [] { StopControlsModule(); });

TFSComboBox* AddCombo(GallerySection& s, TComboBoxStyle style, int left, int top, int height = 22) {
  auto* combo = s.Add(new TFSComboBox(s.Owner()), left, top, 150, height);
  combo->SetStyle(style);
  for (const char* item : {"DVD-5 (4.7 GB)", "DVD-9 (8.5 GB)", "Mini DVD (1.4 GB)", "ISO image", "DVD folder"})
    combo->Items()->Add(item);
  combo->SetItemIndex(0);
  return combo;
}

// The area of a combo box and of the list it dropped under it.
TRect DroppedArea(TFSComboBox* combo) {
  return TRect(combo->Left() - 4, combo->Top() - 4, combo->Left() + combo->Width() + 4, combo->Top() + 130);
}

const GallerySectionRegistration kComboBoxes("editors", "Combo boxes", [](GallerySection& s) {
  TFSComboBox* editable = AddCombo(s, csDropDown, 8, 8);
  s.Capture("drop-down", editable);
  s.HoverAt(editable, editable->ButtonRect().Left + 6, editable->Height() / 2);
  s.Capture("drop-down, hot", editable);
  s.Leave();
  TFSComboBox* list = AddCombo(s, csDropDownList, 180, 8);
  s.Capture("drop-down list", list);
  s.Focus(list);
  s.Capture("list, focused", list);
  TFSComboBox* disabled = AddCombo(s, csDropDownList, 350, 8);
  disabled->SetEnabled(false);
  s.Capture("disabled", disabled);

  list->SetDroppedDown(true);
  s.Settle();
  s.CaptureArea("list, dropped", DroppedArea(list));
  list->SetDroppedDown(false);
  s.Settle();

  TFSComboBox* simple = AddCombo(s, csSimple, 8, 150, 100);
  s.Capture("simple", simple);

  TFSComboBox* drawn = AddCombo(s, csOwnerDrawFixed, 180, 150);
  drawn->SetItemHeight(18);
  static const TColor swatches[] = {clRed, clGreen, clBlue, clOlive, clPurple};
  drawn->OnDrawItem = [drawn](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
    TCanvas* canvas = drawn->Canvas();
    if (!state.Contains(odComboBoxEdit) && !state.Contains(odSelected)) canvas->Brush()->SetColor(clWindow);
    canvas->FillRect(rect);
    if (index < 0) return;
    canvas->Brush()->SetColor(swatches[index % 5]);
    canvas->FillRect(TRect(rect.Left + 3, rect.Top + 3, rect.Left + 17, rect.Bottom - 3));
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(rect.Left + 22, rect.Top + 1, drawn->Items()->Get(index));
  };
  drawn->Invalidate();
  s.Capture("owner-drawn", drawn);
  drawn->SetDroppedDown(true);
  s.Settle();
  s.CaptureArea("owner-drawn, dropped", DroppedArea(drawn));
  drawn->SetDroppedDown(false);
  s.Settle();
}, 300);

TFSPageControl* AddPages(GallerySection& s, TTabPosition position, int left, int top, int width, int height,
                         const std::vector<const char*>& captions, bool multiLine = false) {
  auto* pages = new TFSPageControl(s.Owner());
  pages->SetTabPosition(position);
  pages->SetMultiLine(multiLine);
  s.Add(pages, left, top, width, height);
  for (const char* caption : captions) {
    auto* sheet = new TFSTabSheet(s.Owner());
    sheet->SetCaption(caption);
    sheet->SetPageControl(pages);
  }
  pages->SetActivePageIndex(1);
  return pages;
}

const GallerySectionRegistration kPageControls("editors", "Page controls", [](GallerySection& s) {
  const std::vector<const char*> pages = {"Crop", "Effect", "Trim"};
  TFSPageControl* top = AddPages(s, tpTop, 8, 8, 250, 110, pages);
  s.Capture("tabs on top", top);
  const TRect third = top->TabRect(2);
  s.HoverAt(top, (third.Left + third.Right) / 2, (third.Top + third.Bottom) / 2);
  s.Capture("a tab hot", top);
  s.Leave();
  s.Capture("bottom", AddPages(s, tpBottom, 280, 8, 250, 110, pages));
  s.Capture("left", AddPages(s, tpLeft, 8, 140, 250, 150, pages));
  s.Capture("right", AddPages(s, tpRight, 280, 140, 250, 150, pages));
  s.Capture("multi-line", AddPages(s, tpTop, 8, 310, 260, 130,
                                   {"Crop", "Effect", "Trim", "Watermark", "Subtitle", "Audio", "Chapters"}, true));
  s.Capture("overflowing", AddPages(s, tpTop, 280, 310, 200, 90,
                                    {"Crop", "Effect", "Trim", "Watermark", "Subtitle", "Audio", "Chapters"}));
}, 310);

const GallerySectionRegistration kTreeView("editors", "Tree view", [](GallerySection& s) {
  auto* tree = s.Add(new TFSTreeView(s.Owner()), 8, 8, 220, 160);
  tree->SetCheckboxes(true);
  TTreeNode* titles = tree->Items()->Add(nullptr, "Titles");
  for (const char* title : {"Holiday 2025", "Birthday", "Wedding"}) tree->Items()->AddChild(titles, title);
  TTreeNode* menus = tree->Items()->Add(nullptr, "Menus");
  tree->Items()->AddChild(menus, "Main menu");
  titles->Expand(false);
  titles->Item(0)->SetStateIndex(2);
  titles->Item(2)->SetStateIndex(2);
  s.Capture("check boxes", tree);

  auto* drawn = s.Add(new TFSTreeView(s.Owner()), 250, 8, 220, 160);
  drawn->SetShowButtons(false);
  drawn->SetShowLines(false);
  drawn->SetShowRoot(false);
  drawn->SetRowSelect(true);
  drawn->SetReadOnly(true);
  drawn->SetItemHeight(24);
  for (const char* title : {"Title 1 - Holiday", "Title 2 - Birthday", "Title 3 - Wedding", "Title 4 - Slides"})
    drawn->Items()->Add(nullptr, title);
  drawn->OnCustomDrawItem = [](TCustomTreeView* sender, TTreeNode* node, TCustomDrawState state, bool& defaultDraw) {
    defaultDraw = true;
    const bool odd = node->Index() % 2 != 0;
    sender->Canvas()->Brush()->SetColor(state.Contains(cdsSelected) ? TColor(0x00804000) : odd ? TColor(0x00F4ECE4) : clWindow);
    sender->Canvas()->Font()->SetColor(state.Contains(cdsSelected) ? clWhite : TColor(0x00603000));
  };
  drawn->SetSelected(drawn->Items()->Item(1));
  s.Capture("custom-drawn rows", drawn);
}, 320);

// The capture of the menu bar with a menu open is taken from a timer that fires inside the
// menu's own loop (it waits for the menu to be open); it closes the menu afterwards.
GallerySection* g_menuSection = nullptr;
TFSToolBar* g_menuBar = nullptr;
TRect g_menuArea;
UINT_PTR g_menuTimer = 0;

void CaptureOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_menuSection || !g_menuBar || !g_menuBar->MenuButton()) return;
  KillTimer(nullptr, g_menuTimer);
  g_menuTimer = 0;
  g_menuSection->CaptureArea("a menu open", g_menuArea);
  platform::testing::KeyPress(VK_ESCAPE);
}

const GallerySectionRegistration kMenuBar("editors", "Menu-bar tool bar", [](GallerySection& s) {
  auto* menu = new TMainMenu(s.Owner());
  const std::vector<std::vector<const char*>> items = {
      {"&File", "&New project", "&Open project...", "&Save project", "E&xit"},
      {"&Edit", "&Import files...", "&Remove"},
      {"&Tools", "&Options...", "&Language"},
      {"&Help", "&About"}};
  for (const auto& group : items) {
    auto* top = new TMenuItem(s.Owner());
    top->SetCaption(group[0]);
    menu->Items()->Add(top);
    for (size_t i = 1; i < group.size(); ++i) {
      auto* item = new TMenuItem(s.Owner());
      item->SetCaption(group[i]);
      top->Add(item);
    }
  }
  auto* bar = new TFSToolBar(s.Owner());
  bar->SetTransparent(true);
  bar->SetList(true);
  bar->SetShowCaptions(true);
  bar->SetFlat(true);
  s.Add(bar, 8, 8, 360, 24);
  bar->SetMenu(menu);
  s.Settle();
  s.CaptureArea("menu bar", TRect(4, 4, 372, 36));

  g_menuSection = &s;
  g_menuBar = bar;
  g_menuArea = TRect(4, 4, 372, 150);
  g_menuTimer = SetTimer(nullptr, 0, 200, &CaptureOpenMenu);
  TToolButton* file = bar->Buttons(0);
  const TPoint centre = file->ClientToScreen(TPoint(file->Width() / 2, file->Height() / 2));
  platform::testing::Click(POINT{centre.X, centre.Y});
  s.Settle(800);
  if (g_menuTimer) KillTimer(nullptr, g_menuTimer);
  g_menuTimer = 0;
  g_menuSection = nullptr;
  g_menuBar = nullptr;
}, 330);

}  // namespace
