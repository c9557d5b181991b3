#include "program/app/dialogs/ColorDialogForm.h"

#include <algorithm>
#include <cstdlib>

#include "program/app/dialogs/ColorDialogParts.h"
#include "program/controls/FSButton.h"
#include "vcl/Application.h"
#include "vcl/StdCtrls.h"

namespace {

constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;

constexpr COLORREF Rgb(unsigned rgb) { return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16); }

// The 48 basic colours, row by row (written as 0xRRGGBB).
const unsigned kBasicColors[48] = {
    0xFF8080, 0xFFFF80, 0x80FF80, 0x00FF80, 0x80FFFF, 0x0080FF, 0xFF80C0, 0xFF80FF,
    0xFF0000, 0xFFFF00, 0x80FF00, 0x00FF40, 0x00FFFF, 0x0080C0, 0x8080C0, 0xFF00FF,
    0x804040, 0xFF8040, 0x00FF00, 0x008080, 0x004080, 0x8080FF, 0x800040, 0xFF0080,
    0x800000, 0xFF8000, 0x008000, 0x008040, 0x0000FF, 0x0000A0, 0x800080, 0x8000FF,
    0x400000, 0x804000, 0x004000, 0x004040, 0x000080, 0x000040, 0x400040, 0x400080,
    0x000000, 0x808000, 0x808040, 0x808080, 0x408080, 0xC0C0C0, 0x400040, 0xFFFFFF,
};

int HueToRgb(int n1, int n2, int hue) {
  if (hue < 0) hue += kHlsMax;
  if (hue > kHlsMax) hue -= kHlsMax;
  if (hue < kHlsMax / 6) return n1 + (((n2 - n1) * hue + kHlsMax / 12) / (kHlsMax / 6));
  if (hue < kHlsMax / 2) return n2;
  if (hue < kHlsMax * 2 / 3) return n1 + (((n2 - n1) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6));
  return n1;
}

const char* const kEditNames[6] = {"Hu&e:", "&Sat:", "&Lum:", "&Red:", "&Green:", "Bl&ue:"};

}  // namespace

TDialogHls RgbToDialogHls(COLORREF color) {
  const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  const int high = std::max({r, g, b}), low = std::min({r, g, b});
  TDialogHls hls;
  hls.Lum = ((high + low) * kHlsMax + kRgbMax) / (2 * kRgbMax);
  if (high == low) {
    hls.Sat = 0;
    hls.Hue = 160;  // grey has no hue: the dialog shows blue's
    return hls;
  }
  const int span = high - low, sum = high + low;
  hls.Sat = hls.Lum <= kHlsMax / 2 ? (span * kHlsMax + sum / 2) / sum
                                   : (span * kHlsMax + (2 * kRgbMax - sum) / 2) / (2 * kRgbMax - sum);
  const int rd = ((high - r) * (kHlsMax / 6) + span / 2) / span;
  const int gd = ((high - g) * (kHlsMax / 6) + span / 2) / span;
  const int bd = ((high - b) * (kHlsMax / 6) + span / 2) / span;
  int hue;
  if (r == high) hue = bd - gd;
  else if (g == high) hue = kHlsMax / 3 + rd - bd;
  else hue = 2 * kHlsMax / 3 + gd - rd;
  if (hue < 0) hue += kHlsMax;
  if (hue >= kHlsMax) hue -= kHlsMax;
  hls.Hue = hue;
  return hls;
}

COLORREF DialogHlsToRgb(const TDialogHls& hls) {
  const int hue = hls.Hue, sat = std::clamp(hls.Sat, 0, kHlsMax), lum = std::clamp(hls.Lum, 0, kHlsMax);
  if (sat == 0) {
    const int v = lum * kRgbMax / kHlsMax;
    return RGB(v, v, v);
  }
  const int m2 = lum <= kHlsMax / 2 ? (lum * (kHlsMax + sat) + kHlsMax / 2) / kHlsMax
                                    : lum + sat - (lum * sat + kHlsMax / 2) / kHlsMax;
  const int m1 = 2 * lum - m2;
  auto channel = [&](int h) { return std::clamp((HueToRgb(m1, m2, h) * kRgbMax + kHlsMax / 2) / kHlsMax, 0, 255); };
  return RGB(channel(hue + kHlsMax / 3), channel(hue), channel(hue - kHlsMax / 3));
}

TColorDialogForm::TColorDialogForm(TComponent* owner, int dummy) : TSkinForm(owner, dummy) {
  SetBorderStyle(bsDialog);
  SetBorderIcons(TBorderIcons{biSystemMenu});
  SetCaption("Color");
  SetKeyPreview(false);
  SetAutoScroll(false);
  SetClientWidth(BasicWidth);
  SetClientHeight(ClientHeightPx);

  auto label = [&](const char* text, int x, int y, TWinControl* focus) {
    (void)focus;
    auto* l = new TDialogCaption(this);
    l->SetParent(this);
    l->SetCaption(text);
    l->SetBounds(x, y, 140, 16);
    return l;
  };
  auto button = [&](const char* text, int x, int y, int w) {
    auto* b = new TFSButton(this);
    b->SetParent(this);
    b->SetCaption(text);
    b->SetBounds(x, y, w, 24);
    return b;
  };

  FBasic = new TColorSwatchGrid(this, 8, 6);
  FBasic->SetParent(this);
  FBasic->SetBounds(10, 24, FBasic->Width(), FBasic->Height());
  std::vector<COLORREF> basic;
  for (unsigned rgb : kBasicColors) basic.push_back(Rgb(rgb));
  FBasic->SetColors(basic);
  label("&Basic colors:", 10, 6, FBasic);
  FBasic->OnPick = [this](int index) {
    FCustomGrid->SetSelected(-1);
    SetCurrentColor(FBasic->ColorAt(index));
  };

  FCustomGrid = new TColorSwatchGrid(this, 8, 2);
  FCustomGrid->SetParent(this);
  FCustomGrid->SetBounds(10, 172, FCustomGrid->Width(), FCustomGrid->Height());
  label("&Custom colors:", 10, 154, FCustomGrid);
  FCustomGrid->OnPick = [this](int index) {
    FBasic->SetSelected(-1);
    FCustomSlot = index;
    SetCurrentColor(FCustom[index]);
  };

  FDefine = button("&Define Custom Colors >>", 10, 222, 200);
  FDefine->OnClick = [this](TObject*) { OpenFull(); };
  FOk = button("OK", 10, 254, 64);
  FOk->SetDefault(true);
  FOk->SetModalResult(mrOk);
  FCancel = button("Cancel", 80, 254, 64);
  FCancel->SetCancel(true);
  FCancel->SetModalResult(mrCancel);

  FField = new THueSatField(this);
  FField->SetParent(this);
  FField->SetBounds(232, 10, 184, 168);
  FField->OnPick = [this](int hue, int sat) {
    FHls.Hue = hue;
    FHls.Sat = sat;
    SetCurrentColor(DialogHlsToRgb(FHls), true);
  };
  FLum = new TLumBar(this);
  FLum->SetParent(this);
  // One row more than the field: an even span of rows puts 120 on the middle row.
  FLum->SetBounds(424, 10, TLumBar::BarWidth + 8, 169);
  FLum->OnPick = [this](int lum) {
    FHls.Lum = lum;
    SetCurrentColor(DialogHlsToRgb(FHls), true);
  };
  FPreview = new TColorPreview(this);
  FPreview->SetParent(this);
  FPreview->SetBounds(232, 186, 66, 60);
  for (int i = 0; i < 6; ++i) {
    const int column = i / 3, row = i % 3;
    auto* edit = new TEdit(this);
    edit->SetParent(this);
    edit->SetBounds(column == 0 ? 340 : 414, 186 + row * 22, 30, 20);
    edit->SetMaxLength(3);
    edit->OnChange = [this](TObject* sender) { EditChanged(sender); };
    FEdits[i] = edit;
    label(kEditNames[i], column == 0 ? 304 : 374, 189 + row * 22, edit);
  }
  FAdd = button("&Add to Custom Colors", 232, 254, 212);
  FAdd->OnClick = [this](TObject*) { AddToCustomColors(); };
  std::fill(FCustom, FCustom + 16, RGB(255, 255, 255));
  ShowValues();
  ShowFullPart(false);
}

// The full part's controls take part (Tab, the focus) only while that part shows.
void TColorDialogForm::ShowFullPart(bool show) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* control = Controls(i);
    if (control->Left() >= BasicWidth) control->SetVisible(show);
  }
}

TColorDialogForm::~TColorDialogForm() = default;

// The desktop knows the dialog by its class.
void TColorDialogForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WinClassName = "#32770";
}

void TColorDialogForm::Prepare(const platform::comdlg::ColorDialogRequest& request) {
  // The frame's size is known once the window exists: the client size is set again then.
  HandleNeeded();
  SetClientWidth(BasicWidth);
  SetClientHeight(ClientHeightPx);
  std::copy(request.customColors, request.customColors + 16, FCustom);
  std::vector<COLORREF> custom(FCustom, FCustom + 16);
  FCustomGrid->SetColors(custom);
  FCustomSlot = 0;
  FDefine->SetEnabled(!request.preventFullOpen);
  SetCurrentColor(request.color & 0xFFFFFF);
  // The grid that holds the colour has the focus, so the arrows move in it at once.
  FBasic->SetSelected(FBasic->IndexOf(FColor));
  FCustomGrid->SetSelected(FBasic->Selected() < 0 ? FCustomGrid->IndexOf(FColor) : -1);
  if (FCustomGrid->Selected() >= 0) FCustomSlot = FCustomGrid->Selected();
  SetActiveControl(FCustomGrid->Selected() >= 0 ? static_cast<TWinControl*>(FCustomGrid) : FBasic);
  if (request.fullOpen && !request.preventFullOpen) OpenFull();
}

void TColorDialogForm::OpenFull() {
  if (FFullOpen) return;
  FFullOpen = true;
  SetClientWidth(FullWidth);
  ShowFullPart(true);
  FDefine->SetEnabled(false);
  if (HandleAllocated() && FField->CanFocus()) FField->SetFocus();
}

void TColorDialogForm::AddToCustomColors() {
  FCustom[FCustomSlot] = FColor;
  FCustomGrid->SetColorAt(FCustomSlot, FColor);
  FCustomSlot = (FCustomSlot + 1) % 16;
}

void TColorDialogForm::SetCurrentColor(COLORREF color, bool keepHls) {
  FColor = color & 0xFFFFFF;
  // A colour picked in the field or bar keeps the hue and saturation it was picked with,
  // which a grey would lose.
  if (!keepHls) FHls = RgbToDialogHls(FColor);
  ShowValues();
}

void TColorDialogForm::ShowValues() {
  FUpdating = true;
  const int values[6] = {FHls.Hue, FHls.Sat, FHls.Lum, GetRValue(FColor), GetGValue(FColor), GetBValue(FColor)};
  for (int i = 0; i < 6; ++i) {
    const AnsiString text = std::to_string(values[i]);
    if (FEdits[i]->Text() != text) FEdits[i]->SetText(text);
  }
  FUpdating = false;
  FField->SetHueSat(FHls.Hue, FHls.Sat);
  FLum->SetHls(FHls.Hue, FHls.Sat, FHls.Lum);
  FPreview->SetPreviewColor(FColor);
}

// A typed number (clamped to its range) changes the colour; the other edits follow.
void TColorDialogForm::EditChanged(TObject* sender) {
  if (FUpdating) return;
  const int index = static_cast<int>(std::find(FEdits, FEdits + 6, sender) - FEdits);
  if (index >= 6) return;
  const AnsiString text = FEdits[index]->Text();
  if (text.empty()) return;
  const int value = std::clamp(std::atoi(text.c_str()), 0, index < 3 ? (index == 0 ? 239 : 240) : 255);
  if (index < 3) {
    (index == 0 ? FHls.Hue : index == 1 ? FHls.Sat : FHls.Lum) = value;
    FColor = DialogHlsToRgb(FHls);
  } else {
    int r = GetRValue(FColor), g = GetGValue(FColor), b = GetBValue(FColor);
    (index == 3 ? r : index == 4 ? g : b) = value;
    FColor = RGB(r, g, b);
    FHls = RgbToDialogHls(FColor);
  }
  FUpdating = true;
  const int values[6] = {FHls.Hue, FHls.Sat, FHls.Lum, GetRValue(FColor), GetGValue(FColor), GetBValue(FColor)};
  for (int i = 0; i < 6; ++i)
    if (i != index && FEdits[i]->Text() != AnsiString(std::to_string(values[i]))) FEdits[i]->SetText(std::to_string(values[i]));
  FUpdating = false;
  FField->SetHueSat(FHls.Hue, FHls.Sat);
  FLum->SetHls(FHls.Hue, FHls.Sat, FHls.Lum);
  FPreview->SetPreviewColor(FColor);
}

bool TColorDialogForm::Run(platform::comdlg::ColorDialogRequest& request) {
  std::unique_ptr<TColorDialogForm> form(TCustomForm::CreateNew<TColorDialogForm>(Application));
  form->Prepare(request);
  // Centred on the owner (else on the screen).
  RECT owner{};
  if (request.owner && GetWindowRect(request.owner, &owner)) {
    form->SetLeft((owner.left + owner.right - form->Width()) / 2);
    form->SetTop((owner.top + owner.bottom - form->Height()) / 2);
    form->MakeFullyVisible();
  } else {
    form->SetPosition(poScreenCenter);
  }
  if (form->ShowModal() != mrOk) return false;
  request.color = form->CurrentColor();
  std::copy(form->CustomColors(), form->CustomColors() + 16, request.customColors);
  return true;
}

void InstallColorDialogPresenter() {
  platform::comdlg::SetColorDialogPresenter(
      [](platform::comdlg::ColorDialogRequest& request) { return TColorDialogForm::Run(request); });
}
