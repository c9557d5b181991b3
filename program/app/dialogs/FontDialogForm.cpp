#include "program/app/dialogs/FontDialogForm.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

#include "platform/kernel/SysInfo.h"
#include "program/app/dialogs/DialogPresenters.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSComboBox.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSListColumns.h"
#include "program/controls/FSListItems.h"
#include "program/controls/FSListView.h"
#include "program/controls/FSPanel.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Label.h"

using platform::comdlg::FontDialogRequest;

namespace {

// The styles in list order: regular, italic, bold, bold italic (bit 0 italic, bit 1 bold).
const char16_t* const kStyleKeys[4] = {u"FontDlg_Regular", u"FontDlg_Italic", u"FontDlg_Bold", u"FontDlg_BoldItalic"};

// The names of the 16 text colours, in the platform's order.
const char16_t* const kColorKeys[16] = {
    u"FontDlg_Color_Black",  u"FontDlg_Color_Maroon",  u"FontDlg_Color_Green", u"FontDlg_Color_Olive",
    u"FontDlg_Color_Navy",   u"FontDlg_Color_Purple",  u"FontDlg_Color_Teal",  u"FontDlg_Color_Gray",
    u"FontDlg_Color_Silver", u"FontDlg_Color_Red",     u"FontDlg_Color_Lime",  u"FontDlg_Color_Yellow",
    u"FontDlg_Color_Blue",   u"FontDlg_Color_Fuchsia", u"FontDlg_Color_Aqua",  u"FontDlg_Color_White",
};

constexpr int kDefaultTenths = 100;
constexpr int kLargestTenths = 16380;  // 1638 points

AnsiString Utf8(const WideString& text) { return WideToUTF8(text); }

AnsiString Lower(const AnsiString& text) {
  AnsiString lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

AnsiString Trim(const AnsiString& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == AnsiString::npos) return AnsiString();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

AnsiString SizeText(int tenths) {
  return tenths % 10 ? std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) : std::to_string(tenths / 10);
}

void Fill(TFSCustomListView* list, const std::vector<AnsiString>& names) {
  list->Items()->Clear();
  for (const AnsiString& name : names) list->Items()->Add()->SetCaption(name);
}

}  // namespace

TFontDialogForm::TFontDialogForm(TComponent* owner) : TSkinForm(owner) { SetAutoModalOwner(false); }

TFontDialogForm::~TFontDialogForm() = default;

void TFontDialogForm::DescribeClass(TClassBuilder<TFontDialogForm>& c) {
  c.Field("lblFamily", &TFontDialogForm::lblFamily);
  c.Field("edtFamily", &TFontDialogForm::edtFamily);
  c.Field("pnlFamilies", &TFontDialogForm::pnlFamilies);
  c.Field("lblStyle", &TFontDialogForm::lblStyle);
  c.Field("edtStyle", &TFontDialogForm::edtStyle);
  c.Field("pnlStyles", &TFontDialogForm::pnlStyles);
  c.Field("lblSize", &TFontDialogForm::lblSize);
  c.Field("edtSize", &TFontDialogForm::edtSize);
  c.Field("pnlSizes", &TFontDialogForm::pnlSizes);
  c.Field("grpEffects", &TFontDialogForm::grpEffects);
  c.Field("chkStrikeOut", &TFontDialogForm::chkStrikeOut);
  c.Field("chkUnderline", &TFontDialogForm::chkUnderline);
  c.Field("lblColor", &TFontDialogForm::lblColor);
  c.Field("cbColor", &TFontDialogForm::cbColor);
  c.Field("grpSample", &TFontDialogForm::grpSample);
  c.Field("lblSample", &TFontDialogForm::lblSample);
  c.Field("btnOK", &TFontDialogForm::btnOK);
  c.Field("btnCancel", &TFontDialogForm::btnCancel);
}

// The desktop knows the dialog by its class.
void TFontDialogForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WinClassName = "#32770";
}

void TFontDialogForm::Loaded() {
  inherited::Loaded();
  if (!FFamilies) BuildControls();
}

const std::vector<int>& TFontDialogForm::StandardSizes() {
  static const std::vector<int> sizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
  return sizes;
}

int TFontDialogForm::ParseSize(const AnsiString& text) {
  const AnsiString trimmed = Trim(text);
  if (trimmed.empty() || trimmed.size() > 12) return 0;
  long whole = 0;
  int tenths = 0;
  size_t i = 0;
  for (; i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i])); ++i)
    whole = whole * 10 + (trimmed[i] - '0');
  if (i == 0) return 0;
  if (i < trimmed.size()) {
    if (trimmed[i] != '.' && trimmed[i] != ',') return 0;
    ++i;
    // Tenths count; further digits round.
    int digits = 0;
    double fraction = 0, scale = 0.1;
    for (; i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i])); ++i, ++digits, scale /= 10)
      fraction += (trimmed[i] - '0') * scale;
    if (i < trimmed.size()) return 0;
    tenths = static_cast<int>(std::lround(fraction * 10));
  }
  if (whole > 100000) return 0;
  return static_cast<int>(whole) * 10 + tenths;
}

// The three lists live in the design's panels.
void TFontDialogForm::BuildControls() {
  if (!pnlFamilies || !pnlStyles || !pnlSizes || !edtFamily || !edtStyle || !edtSize) return;
  auto makeList = [this](TFSPanel* panel) {
    auto* list = new TFSCustomListView(this);
    list->SetParent(panel);
    list->SetAlign(alClient);
    list->SetViewStyle(vsReport);
    list->SetShowColumnHeaders(false);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    list->SetHideSelection(false);
    list->SetTabStop(false);
    TFSListColumn* column = list->Columns()->Add();
    column->SetWidth(panel->Width() - 22);
    list->OnSelectItem = [this, list](TObject*, TFSListItem*, bool selected) {
      if (selected) ListPicked(list);
    };
    return list;
  };
  FFamilies = makeList(pnlFamilies);
  FStyles = makeList(pnlStyles);
  FSizes = makeList(pnlSizes);

  edtFamily->OnChange = [this](TObject*) { FamilyTyped(); };
  edtStyle->OnChange = [this](TObject*) { StyleTyped(); };
  edtSize->OnChange = [this](TObject*) { SizeTyped(); };
  // Up and Down in a field move in the list beneath it.
  const std::pair<TFSEdit*, TFSCustomListView*> pairs[] = {
      {edtFamily, FFamilies}, {edtStyle, FStyles}, {edtSize, FSizes}};
  for (const auto& [edit, list] : pairs) {
    edit->OnKeyDown = [this, list = list](TObject*, WORD& key, TShiftState) {
      if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT) return;
      const int count = list->Items()->Count();
      if (count == 0) return;
      TFSListItem* selected = list->Selected();
      const int step = key == VK_UP ? -1 : key == VK_DOWN ? 1 : key == VK_PRIOR ? -8 : 8;
      const int index = selected ? std::clamp(selected->Index() + step, 0, count - 1) : 0;
      SelectRow(list, index);
      ListPicked(list);
      key = 0;
    };
  }
  if (chkStrikeOut) chkStrikeOut->OnClick = [this](TObject*) { UpdateSample(); };
  if (chkUnderline) chkUnderline->OnClick = [this](TObject*) { UpdateSample(); };
  if (cbColor) cbColor->OnChange = [this](TObject*) { UpdateSample(); };
  if (lblFamily) lblFamily->SetFocusControl(edtFamily);
  if (lblStyle) lblStyle->SetFocusControl(edtStyle);
  if (lblSize) lblSize->SetFocusControl(edtSize);
  if (lblColor) lblColor->SetFocusControl(cbColor);
  if (btnOK) {
    btnOK->SetDefault(true);
    btnOK->SetSkinName(TMessageBoxForm::DefaultButtonSkin);
    btnOK->OnClick = [this](TObject*) {
      if (FRequest && TakeChoice(*FRequest)) SetModalResult(mrOk);
    };
  }
  if (btnCancel) {
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
  }
  ApplyTexts();
}

void TFontDialogForm::ApplyTexts() {
  SetCaption(Utf8(LanguageText(u"FontDlg_Caption")));
  if (lblFamily) lblFamily->SetCaption(Utf8(LanguageText(u"FontDlg_Font")));
  if (lblStyle) lblStyle->SetCaption(Utf8(LanguageText(u"FontDlg_Style")));
  if (lblSize) lblSize->SetCaption(Utf8(LanguageText(u"FontDlg_Size")));
  if (grpEffects) grpEffects->SetCaption(Utf8(LanguageText(u"FontDlg_Effects")));
  if (chkStrikeOut) chkStrikeOut->SetCaption(Utf8(LanguageText(u"FontDlg_StrikeOut")));
  if (chkUnderline) chkUnderline->SetCaption(Utf8(LanguageText(u"FontDlg_Underline")));
  if (lblColor) lblColor->SetCaption(Utf8(LanguageText(u"FontDlg_Color")));
  if (grpSample) grpSample->SetCaption(Utf8(LanguageText(u"FontDlg_Sample")));
  if (lblSample) lblSample->SetCaption(Utf8(LanguageText(u"FontDlg_SampleText")));
  if (btnOK) btnOK->SetCaption(Utf8(LanguageText(u"MB_BTN_OK")));
  if (btnCancel) btnCancel->SetCaption(Utf8(LanguageText(u"MB_BTN_Cancel")));
  FStyleNames.clear();
  for (const char16_t* key : kStyleKeys) FStyleNames.push_back(Utf8(LanguageText(key)));
}

void TFontDialogForm::Prepare(const FontDialogRequest& request) {
  HandleNeeded();
  FUpdating = true;
  FFamilyNames.clear();
  for (const std::u16string& family : request.families) FFamilyNames.push_back(WideToUTF8(family));
  Fill(FFamilies, FFamilyNames);
  Fill(FStyles, FStyleNames);
  FLimit = request.limitSize;
  FMin = request.minSize;
  FMax = request.maxSize;
  FSizeList.clear();
  std::vector<AnsiString> sizeNames;
  for (int size : StandardSizes())
    if (!FLimit || (size >= FMin && size <= FMax)) {
      FSizeList.push_back(size * 10);
      sizeNames.push_back(std::to_string(size));
    }
  Fill(FSizes, sizeNames);

  // The starting family: the caller's, else the dialog's own, else a sans family, else the first.
  AnsiString face = WideToUTF8(request.face);
  if (face.empty()) {
    int index = Find(FFamilyNames, Font()->Name(), false);
    if (index < 0) index = Find(FFamilyNames, "DejaVu Sans", false);
    if (index < 0) index = Find(FFamilyNames, "Sans", false);
    face = FFamilyNames.empty() ? AnsiString() : FFamilyNames[index < 0 ? 0 : index];
  }
  int tenths = request.pointSize > 0 ? request.pointSize : kDefaultTenths;
  if (FLimit) tenths = std::clamp(tenths, FMin * 10, FMax * 10);
  edtFamily->SetText(face);
  edtStyle->SetText(FStyleNames[(request.italic ? 1 : 0) | (request.bold ? 2 : 0)]);
  edtSize->SetText(SizeText(tenths));
  FUpdating = false;
  FamilyTyped();
  StyleTyped();
  SizeTyped();

  if (grpEffects) grpEffects->SetVisible(request.effects);
  if (chkStrikeOut) chkStrikeOut->SetChecked(request.strikeOut);
  if (chkUnderline) chkUnderline->SetChecked(request.underline);
  FColors.assign(platform::comdlg::kFontDialogColors, platform::comdlg::kFontDialogColors + 16);
  if (cbColor) {
    cbColor->Items()->Clear();
    for (const char16_t* key : kColorKeys) cbColor->Items()->Add(Utf8(LanguageText(key)));
    const COLORREF color = request.color & 0xFFFFFF;
    auto at = std::find(FColors.begin(), FColors.end(), color);
    if (at == FColors.end()) {
      // A colour of the caller's outside the 16 stays choosable.
      FColors.push_back(color);
      cbColor->Items()->Add(Utf8(LanguageText(u"FontDlg_Color_Custom")));
      at = FColors.end() - 1;
    }
    cbColor->SetItemIndex(static_cast<int>(at - FColors.begin()));
  }
  UpdateSample();
  SetActiveControl(edtFamily);
}

void TFontDialogForm::DoShow() {
  inherited::DoShow();
  if (edtFamily && edtFamily->CanFocus()) {
    edtFamily->SetFocus();
    edtFamily->SelectAll();
  }
}

int TFontDialogForm::Find(const std::vector<AnsiString>& names, const AnsiString& text, bool prefix) {
  const AnsiString wanted = Lower(Trim(text));
  if (wanted.empty()) return -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (Lower(names[i]) == wanted) return static_cast<int>(i);
  if (!prefix) return -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (Lower(names[i]).compare(0, wanted.size(), wanted) == 0) return static_cast<int>(i);
  return -1;
}

void TFontDialogForm::SelectRow(TFSCustomListView* list, int index) {
  list->ClearSelection();
  if (index < 0 || index >= list->Items()->Count()) return;
  TFSListItem* item = list->Items()->Item(index);
  item->SetSelected(true);
  item->SetFocused(true);
  item->MakeVisible(false);
}

void TFontDialogForm::FamilyTyped() {
  if (FUpdating) return;
  FUpdating = true;
  SelectRow(FFamilies, Find(FFamilyNames, edtFamily->Text(), true));
  FUpdating = false;
  UpdateSample();
}

void TFontDialogForm::StyleTyped() {
  if (FUpdating) return;
  FUpdating = true;
  SelectRow(FStyles, Find(FStyleNames, edtStyle->Text(), true));
  FUpdating = false;
  UpdateSample();
}

void TFontDialogForm::SizeTyped() {
  if (FUpdating) return;
  FUpdating = true;
  const int tenths = ParseSize(edtSize->Text());
  const auto at = std::find(FSizeList.begin(), FSizeList.end(), tenths);
  SelectRow(FSizes, at == FSizeList.end() ? -1 : static_cast<int>(at - FSizeList.begin()));
  FUpdating = false;
  UpdateSample();
}

// A row picked in a list is written into its field.
void TFontDialogForm::ListPicked(TFSCustomListView* list) {
  if (FUpdating) return;
  TFSListItem* item = list->Selected();
  if (!item) return;
  TFSEdit* edit = list == FFamilies ? edtFamily : list == FStyles ? edtStyle : edtSize;
  FUpdating = true;
  edit->SetText(item->Caption());
  FUpdating = false;
  if (edit->Focused()) edit->SelectAll();
  UpdateSample();
}

void TFontDialogForm::UpdateSample() {
  if (!lblSample || FUpdating) return;
  TFont* font = lblSample->Font();
  const int family = Find(FFamilyNames, edtFamily->Text(), true);
  if (family >= 0) font->SetName(FFamilyNames[family]);
  const int style = Find(FStyleNames, edtStyle->Text(), true);
  TFontStyles styles;
  if (style >= 0 && (style & 1)) styles.Include(fsItalic);
  if (style >= 0 && (style & 2)) styles.Include(fsBold);
  if (grpEffects && grpEffects->Visible()) {
    if (chkStrikeOut && chkStrikeOut->Checked()) styles.Include(fsStrikeOut);
    if (chkUnderline && chkUnderline->Checked()) styles.Include(fsUnderline);
  }
  font->SetStyle(styles);
  const int tenths = ParseSize(edtSize->Text());
  if (tenths > 0) font->SetHeight(-MulDiv(std::min(tenths, 720), font->PixelsPerInch(), 720));
  const int colorIndex = cbColor ? cbColor->ItemIndex() : -1;
  const bool effects = grpEffects && grpEffects->Visible();
  font->SetColor(effects && colorIndex >= 0 && colorIndex < static_cast<int>(FColors.size())
                     ? static_cast<TColor>(FColors[colorIndex])
                     : clWindowText);
  lblSample->Invalidate();
}

void TFontDialogForm::Tell(const AnsiString& text, TWinControl* field) {
  const WideString message = UTF8ToWide(text), caption = UTF8ToWide(Caption());
  MessageBoxW(Handle(), message.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  if (field && field->CanFocus()) field->SetFocus();
  if (auto* edit = dynamic_cast<TFSEdit*>(field)) edit->SelectAll();
}

bool TFontDialogForm::TakeChoice(FontDialogRequest& request) {
  const int family = Find(FFamilyNames, edtFamily->Text(), false);
  if (family < 0) {
    Tell(Utf8(LanguageText(u"FontDlg_NoSuchFont")), edtFamily);
    return false;
  }
  const int style = Find(FStyleNames, edtStyle->Text(), false);
  if (style < 0) {
    Tell(Utf8(LanguageText(u"FontDlg_NoSuchStyle")), edtStyle);
    return false;
  }
  const int tenths = ParseSize(edtSize->Text());
  if (tenths <= 0) {
    Tell(Utf8(LanguageText(u"FontDlg_SizeNumber")), edtSize);
    return false;
  }
  const int low = FLimit ? FMin : 1, high = FLimit ? FMax : kLargestTenths / 10;
  if (tenths < low * 10 || tenths > high * 10) {
    Tell(Format(Utf8(LanguageText(u"FontDlg_SizeRange")), {low, high}), edtSize);
    return false;
  }
  request.face = UTF8ToWide(FFamilyNames[family]);
  request.italic = (style & 1) != 0;
  request.bold = (style & 2) != 0;
  request.pointSize = tenths;
  if (request.effects) {
    request.strikeOut = chkStrikeOut && chkStrikeOut->Checked();
    request.underline = chkUnderline && chkUnderline->Checked();
    const int colorIndex = cbColor ? cbColor->ItemIndex() : -1;
    if (colorIndex >= 0 && colorIndex < static_cast<int>(FColors.size())) request.color = FColors[colorIndex];
  }
  return true;
}

bool TFontDialogForm::Run(FontDialogRequest& request) {
  RegisterDialogClasses();
  std::unique_ptr<TFontDialogForm> form(TCustomForm::Create<TFontDialogForm>(Application));
  HWND owner = request.owner && IsWindow(request.owner) ? GetAncestor(request.owner, GA_ROOT) : nullptr;
  if (owner) form->SetOwnerWindow(owner);
  form->Prepare(request);
  if (owner) SetWindowLongPtrW(form->Handle(), GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  // Centred on the owner when it shows, else on the work area.
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const RECT work = area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
  const int width = form->Width(), height = form->Height();
  form->SetLeft(
      std::clamp<int>((area.left + area.right - width) / 2, work.left, std::max<int>(work.left, work.right - width)));
  form->SetTop(
      std::clamp<int>((area.top + area.bottom - height) / 2, work.top, std::max<int>(work.top, work.bottom - height)));
  FontDialogRequest answer = request;
  form->FRequest = &answer;
  if (form->ShowModal() != mrOk) return false;
  request = answer;
  return true;
}

void InstallFontDialogPresenter() {
  platform::comdlg::SetFontDialogPresenter([](FontDialogRequest& request) { return TFontDialogForm::Run(request); });
}
