#include "vcl/StdCtrls.h"

#include <algorithm>

#include "platform/comctl/Edit.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"
#include "vcl/Messages.h"

using namespace platform;

namespace {

// FIXME: Ctl3D belongs to TWinControl (it is coming there); until it does every control is
// drawn three-dimensional.
constexpr bool kCtl3D = true;

// The window's text joined from lines, with the edit's line breaks.
AnsiString JoinLines(const std::vector<AnsiString>& lines) {
  AnsiString text;
  size_t size = 0;
  for (const AnsiString& line : lines) size += line.size() + 2;
  text.reserve(size);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

// Splits at CR LF, CR or LF; a break at the very end starts no further line.
std::vector<AnsiString> SplitLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    start = end;
  }
  return lines;
}

}  // namespace

// ---- TCustomEdit ---------------------------------------------------------------------------

void TCustomEdit::DescribeClass(TClassBuilder<TCustomEdit>& c) {
  c.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(1);
  c.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
  c.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  c.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(1);
  c.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  c.Property("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert).Default(0);
  c.Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
  c.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(0);
  c.Property("OnChange", &TCustomEdit::OnChange);
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FTabStop = true;
  SetBounds(Left(), Top(), 121, 21);
}

bool TCustomEdit::UsesCtl3D() const { return kCtl3D; }

void TCustomEdit::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, WC_EDITA);
  params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FBorderStyle == bsSingle) {
    if (UsesCtl3D()) params.ExStyle |= WS_EX_CLIENTEDGE;
    else params.Style |= WS_BORDER;
  }
  if (!FHideSelection) params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) params.Style |= ES_OEMCONVERT;
  if (FReadOnly) params.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) params.Style |= ES_UPPERCASE;
  else if (FCharCase == ecLowerCase) params.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateWnd() {
  FCreating = true;
  try {
    inherited::CreateWnd();
  } catch (...) {
    FCreating = false;
    throw;
  }
  FCreating = false;
  Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  Perform(EM_SETMODIFY, FModified ? TRUE : FALSE, 0);
  if (FPasswordChar != 0) Perform(EM_SETPASSWORDCHAR, FPasswordChar, 0);
}

void TCustomEdit::DestroyWnd() {
  FModified = Modified();
  inherited::DestroyWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone) value = bsSingle;
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (FCharCase == value) return;
  FCharCase = value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool value) {
  if (FHideSelection == value) return;
  FHideSelection = value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int value) {
  value = std::max(0, value);
  if (FMaxLength == value) return;
  FMaxLength = value;
  if (HandleAllocated()) Perform(EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

bool TCustomEdit::Modified() {
  if (HandleAllocated()) FModified = Perform(EM_GETMODIFY) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool value) {
  FModified = value;
  if (HandleAllocated()) Perform(EM_SETMODIFY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetOEMConvert(bool value) {
  if (FOEMConvert == value) return;
  FOEMConvert = value;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char16_t value) {
  if (FPasswordChar == value) return;
  FPasswordChar = value;
  if (HandleAllocated()) {
    Perform(EM_SETPASSWORDCHAR, value, 0);
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  if (HandleAllocated()) Perform(EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

int TCustomEdit::SelStart() {
  if (!HandleAllocated()) return 0;
  DWORD from = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), 0);
  return static_cast<int>(from);
}

void TCustomEdit::SetSelStart(int value) {
  Perform(EM_SETSEL, static_cast<WPARAM>(std::max(0, value)), std::max(0, value));
  Perform(EM_SCROLLCARET);
}

int TCustomEdit::SelLength() {
  if (!HandleAllocated()) return 0;
  DWORD from = 0, to = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  return static_cast<int>(to - from);
}

void TCustomEdit::SetSelLength(int value) {
  const int start = SelStart();
  Perform(EM_SETSEL, static_cast<WPARAM>(start), std::max(start, start + value));
  Perform(EM_SCROLLCARET);
}

AnsiString TCustomEdit::SelText() {
  if (!HandleAllocated()) return AnsiString();
  DWORD from = 0, to = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  const WideString text = UTF8ToWide(GetText());
  return WideToUTF8(text.substr(std::min<size_t>(from, text.size()), to - from));
}

void TCustomEdit::SetSelText(const AnsiString& value) {
  HandleNeeded();
  Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.c_str()));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) Perform(EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }

bool TCustomEdit::CanUndo() { return HandleAllocated() && Perform(EM_CANUNDO) != 0; }

void TCustomEdit::Undo() { Perform(WM_UNDO); }

void TCustomEdit::ClearUndo() {
  if (HandleAllocated()) Perform(EM_EMPTYUNDOBUFFER);
}

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }

void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }

void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }

void TCustomEdit::Clear() { SetText(AnsiString()); }

void TCustomEdit::Change() {
  ++FChangeStamp;
  if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); return; }
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: CNCtlColor(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TCustomEdit::CNCommand(TWMCommand& m) {
  if (m.NotifyCode == EN_CHANGE && !FCreating) Change();
}

void TCustomEdit::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FColor));
  FBrush->SetColor(FColor);
  m.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TCustomEdit::CMEnter(TMessage& m) {
  // Entered by the keyboard: the whole text is selected, ready to be typed over.
  if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0 && !(GetWindowLongPtrA(Handle(), GWL_STYLE) & ES_MULTILINE))
    SelectAll();
  inherited::CMEnter(m);
}

void TCustomEdit::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  // With a window, the window's EN_CHANGE reports the change.
  if (!HandleAllocated()) Change();
}

// ---- TMemoStrings --------------------------------------------------------------------------

std::vector<AnsiString>& TMemoStrings::Lines() const {
  if (m_updating && m_valid) return m_lines;
  if (!m_valid || m_stamp != FMemo->FChangeStamp) {
    m_lines = SplitLines(FMemo->GetText());
    m_stamp = FMemo->FChangeStamp;
    m_valid = true;
  }
  return m_lines;
}

void TMemoStrings::Store() {
  if (m_updating) {
    m_dirty = true;
    return;
  }
  const std::vector<AnsiString> lines = m_lines;
  FMemo->SetText(JoinLines(lines));
  m_lines = lines;
  m_stamp = FMemo->FChangeStamp;
  m_valid = true;
}

int TMemoStrings::Count() const { return static_cast<int>(Lines().size()); }

AnsiString TMemoStrings::Get(int index) const {
  const std::vector<AnsiString>& lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size()))
    throw EStringListError(Format("List index out of bounds (%d)", {index}));
  return lines[static_cast<size_t>(index)];
}

void TMemoStrings::Put(int index, const AnsiString& value) {
  std::vector<AnsiString>& lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size()))
    throw EStringListError(Format("List index out of bounds (%d)", {index}));
  lines[static_cast<size_t>(index)] = value;
  Store();
}

void TMemoStrings::Insert(int index, const AnsiString& value) {
  std::vector<AnsiString>& lines = Lines();
  if (index < 0 || index > static_cast<int>(lines.size()))
    throw EStringListError(Format("List index out of bounds (%d)", {index}));
  lines.insert(lines.begin() + index, value);
  Store();
}

void TMemoStrings::Delete(int index) {
  std::vector<AnsiString>& lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size()))
    throw EStringListError(Format("List index out of bounds (%d)", {index}));
  lines.erase(lines.begin() + index);
  Store();
}

void TMemoStrings::Clear() {
  Lines().clear();
  Store();
}

void TMemoStrings::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TStrings*>(source)) {
    BeginUpdate();
    try {
      std::vector<AnsiString>& lines = Lines();
      lines.clear();
      lines.reserve(static_cast<size_t>(other->Count()));
      for (int i = 0; i < other->Count(); ++i) lines.push_back(other->Get(i));
      m_dirty = true;
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  inherited::Assign(source);
}

void TMemoStrings::SetUpdateState(bool updating) {
  if (updating) {
    Lines();
    m_updating = true;
    m_dirty = false;
    return;
  }
  m_updating = false;
  if (m_dirty) {
    m_dirty = false;
    Store();
  }
}

// ---- TCustomMemo ---------------------------------------------------------------------------

void TCustomMemo::DescribeClass(TClassBuilder<TCustomMemo>& c) {
  c.Property("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
  c.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
  c.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(1);
  c.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(0);
  c.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(1);
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), FLines(std::make_unique<TMemoStrings>(this)) {
  SetBounds(Left(), Top(), 185, 89);
  SetAutoSelect(false);
  FControlStyle.Exclude(csFixedHeight);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style &= ~(ES_AUTOHSCROLL | ES_WANTRETURN);
  params.Style |= ES_MULTILINE;
  if (FWantReturns) params.Style |= ES_WANTRETURN;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) params.Style |= WS_HSCROLL;
  if (!FWordWrap) params.Style |= ES_AUTOHSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (FScrollBars == value) return;
  FScrollBars = value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
  if (FWordWrap == value) return;
  FWordWrap = value;
  RecreateWnd();
}

TPoint TCustomMemo::CaretPos() {
  if (!HandleAllocated()) return TPoint(0, 0);
  DWORD from = 0, to = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  const int line = static_cast<int>(Perform(EM_LINEFROMCHAR, to, 0));
  const int start = static_cast<int>(Perform(EM_LINEINDEX, static_cast<WPARAM>(line), 0));
  return TPoint(static_cast<int>(to) - start, line);
}

void TCustomMemo::KeyPress(char16_t& key) {
  inherited::KeyPress(key);
  if (key == u'\r' && !FWantReturns) key = 0;
}

void TCustomMemo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TCustomMemo::WMGetDlgCode(TMessage& m) {
  DefaultHandler(m);
  if (FWantTabs) m.Result |= DLGC_WANTTAB;
  else m.Result &= ~DLGC_WANTTAB;
  if (!FWantReturns) m.Result &= ~DLGC_WANTALLKEYS;
}
