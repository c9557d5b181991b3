#include "vcl/MaskEdit.h"

#include <algorithm>

#include "platform/comctl/Edit.h"
#include "platform/user/Clipboard.h"
#include "rtl/Strings.h"
#include "vcl/Messages.h"

using namespace platform;

namespace {

constexpr char16_t kEscape = 0x1B;
constexpr char16_t kCtrlC = 0x03;
constexpr char16_t kCtrlV = 0x16;
constexpr char16_t kCtrlX = 0x18;

WideString ClipboardText(HWND owner) {
  WideString text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

// ---- TMaskEditBehaviour -------------------------------------------------------------------------

TMaskEditBehaviour::TMaskEditBehaviour(TCustomEdit& edit, THost& host) : m_edit(edit), m_host(host) {}

bool TMaskEditBehaviour::Designing() const { return m_edit.ComponentState().Contains(csDesigning); }

WideString TMaskEditBehaviour::WideEditText() const { return UTF8ToWide(m_edit.GetText()); }

void TMaskEditBehaviour::SetWideEditText(const WideString& text) {
  if (WideEditText() == text) return;
  m_edit.TControl::SetText(WideToUTF8(text));
  CheckCursor();
}

AnsiString TMaskEditBehaviour::EditText() const { return m_edit.GetText(); }

void TMaskEditBehaviour::SetEditText(const AnsiString& value) { SetWideEditText(UTF8ToWide(value)); }

void TMaskEditBehaviour::GetSel(int& start, int& stop) const {
  DWORD from = 0, to = 0;
  if (m_edit.HandleAllocated())
    m_edit.Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  start = static_cast<int>(from);
  stop = static_cast<int>(to);
}

void TMaskEditBehaviour::SetSel(int anchor, int caret) {
  m_edit.Perform(EM_SETSEL, static_cast<WPARAM>(anchor), static_cast<LPARAM>(caret));
}

void TMaskEditBehaviour::ReplaceSel(const WideString& text) {
  m_edit.Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideToUTF8(text).c_str()));
}

WideString TMaskEditBehaviour::EditableCharacters(const TEditMaskFormat& format, const WideString& editText) {
  if (!format.IsMasked()) return editText;
  WideString characters;
  for (int i = 0; i < format.Length() && static_cast<size_t>(i) < editText.size(); ++i) {
    if (format.IsLiteral(i)) continue;
    const char16_t c = editText[static_cast<size_t>(i)];
    characters += c == format.Blank() ? u' ' : c;
  }
  return characters;
}

WideString TMaskEditBehaviour::LayEditable(const WideString& characters) const {
  // The characters carry no literals; a mask that saves them wants them in the value.
  if (!m_format.SaveLiterals()) return m_format.Format(characters);
  WideString value;
  size_t next = 0;
  for (int i = 0; i < m_format.Length(); ++i) {
    if (m_format.IsLiteral(i)) {
      value += m_format.At(i).literal;
    } else if (next < characters.size()) {
      value += characters[next++];
    } else {
      value += u' ';
    }
  }
  return m_format.Format(value);
}

void TMaskEditBehaviour::SetEditMask(const TEditMask& value) {
  if (value == m_editMask) return;
  const bool loading = m_edit.ComponentState().Contains(csLoading);
  if (Designing() && !value.empty() && !loading) SetWideEditText(WideString());
  int start = 0, stop = 0;
  GetSel(start, stop);
  const WideString characters = EditableCharacters(m_format, WideEditText());
  m_editMask = value;
  m_format = TEditMaskFormat(value);
  m_edit.TCustomEdit::SetMaxLength(0);
  if (IsMasked()) {
    SetWideEditText(LayEditable(characters));
    m_edit.TCustomEdit::SetMaxLength(m_format.Length());
  }
  if (m_edit.HandleAllocated() && GetFocus() == m_edit.Handle() && !Designing()) SetCursor(start);
}

AnsiString TMaskEditBehaviour::Text() const {
  if (!IsMasked()) return m_edit.GetText();
  return WideToUTF8(m_format.Value(WideEditText()));
}

void TMaskEditBehaviour::SetText(const AnsiString& value, bool dataDriven) {
  if (!IsMasked()) {
    m_edit.TControl::SetText(value);
    return;
  }
  const WideString text = m_format.Format(UTF8ToWide(value));
  int bad = 0;
  if (!dataDriven && Designing() && !m_edit.ComponentState().Contains(csLoading) && !Validate(WideToUTF8(text), bad))
    throw EDBEditError("Invalid input value");
  SetWideEditText(text);
}

int TMaskEditBehaviour::MaxLength() const { return m_edit.TCustomEdit::MaxLength(); }

void TMaskEditBehaviour::SetMaxLength(int value) {
  m_edit.TCustomEdit::SetMaxLength(IsMasked() ? m_format.Length() : value);
}

bool TMaskEditBehaviour::Validate(const AnsiString& editText, int& position) const {
  position = m_format.FirstInvalid(UTF8ToWide(editText));
  if (position < 0) {
    position = 0;
    return true;
  }
  return false;
}

void TMaskEditBehaviour::ValidateEdit() {
  if (!IsMasked() || !m_edit.Modified()) return;
  int bad = 0;
  if (Validate(EditText(), bad)) return;
  if (!Designing()) {
    m_reEnter = true;
    if (m_edit.CanFocus()) m_edit.SetFocus();
  }
  if (m_edit.HandleAllocated()) SetCursor(bad);
  m_host.ValidateError();
}

void TMaskEditBehaviour::Reset() {
  if (!m_edit.Modified()) return;
  SetWideEditText(m_oldValue);
  m_edit.SetModified(false);
}

// ---- caret --------------------------------------------------------------------------------------

// The caret stands left of one selected character (anchor right of it), so that what is
// typed replaces that character; past the last position it is a plain caret.
void TMaskEditBehaviour::SetCursor(int position) {
  if (!m_edit.HandleAllocated()) return;
  int start = std::max(0, position);
  if (IsMasked()) {
    int stop = start + 1;
    if (start >= m_format.Length()) {
      start = m_format.Length();
      stop = start;
    }
    m_settingCursor = true;
    SetSel(stop, start);
    m_settingCursor = false;
    m_caretPos = start;
    return;
  }
  start = std::min<int>(start, static_cast<int>(WideEditText().size()));
  SetSel(start, start);
}

void TMaskEditBehaviour::CheckCursor() {
  if (!m_edit.HandleAllocated() || !IsMasked()) return;
  int start = 0, stop = 0;
  GetSel(start, stop);
  if (start == stop) SetCursor(start);
}

void TMaskEditBehaviour::CursorInc(int position, int step) {
  int next = m_format.NextEditable(position + step);
  if (m_format.IsLiteral(next)) next = position;
  SetCursor(next);
}

void TMaskEditBehaviour::CursorDec(int position) {
  int previous = m_format.PreviousEditable(position - 1);
  if (previous < 0) previous = m_format.NextEditable(0);
  SetCursor(previous);
}

void TMaskEditBehaviour::ArrowKeys(WORD key, TShiftState shift) {
  if (shift.Contains(ssCtrl)) return;
  int start = 0, stop = 0;
  GetSel(start, stop);
  if (shift.Contains(ssShift)) {
    // The window extends the selection; the caret position follows it.
    if (key == VK_RIGHT) {
      ++m_caretPos;
      if (stop == start + 1) {
        SetSel(start, stop);
        ++m_caretPos;
      }
      m_caretPos = std::min(m_caretPos, m_format.Length());
    } else {
      --m_caretPos;
      if (stop == start + 2 && m_caretPos > start) {
        SetSel(start + 1, start + 1);
        --m_caretPos;
      }
      m_caretPos = std::max(m_caretPos, 0);
    }
    return;
  }
  if (stop - start > 1) {
    if (stop == m_caretPos) --m_caretPos;
    SetCursor(m_caretPos);
  } else if (key == VK_LEFT) {
    CursorDec(start);
  } else if (stop == start) {
    SetCursor(start);
  } else {
    CursorInc(start, 1);
  }
}

void TMaskEditBehaviour::HomeEndKeys(WORD key, TShiftState shift) {
  int start = 0, stop = 0;
  GetSel(start, stop);
  if (key == VK_HOME) {
    if (shift.Contains(ssShift)) {
      if (start != m_caretPos && stop != start + 1) stop = start + 1;
      SetSel(stop, 0);
      CheckCursor();
    } else {
      SetCursor(0);
    }
    m_caretPos = 0;
    return;
  }
  if (shift.Contains(ssShift)) {
    if (stop != m_caretPos && stop != start + 1) start = stop - 1;
    SetSel(start, m_format.Length());
    CheckCursor();
  } else {
    SetCursor(m_format.Length());
  }
  m_caretPos = m_format.Length();
}

void TMaskEditBehaviour::DeleteSelection(WideString& text, int offset, int length) const {
  for (int i = offset; i < offset + length && i < static_cast<int>(text.size()); ++i)
    text[static_cast<size_t>(i)] = m_format.IsLiteral(i) ? m_format.At(i).literal : m_format.Blank();
}

void TMaskEditBehaviour::DeleteKeys(WORD key) {
  if (m_edit.ReadOnly()) return;
  int start = 0, stop = 0;
  GetSel(start, stop);
  if (stop - start <= 1 && key == VK_BACK) {
    const int before = start;
    CursorDec(start);
    GetSel(start, stop);
    if (start == before) return;  // nothing editable before the caret
  }
  if (stop - start < 1) return;
  WideString text = WideEditText();
  DeleteSelection(text, start, stop - start);
  ReplaceSel(text.substr(static_cast<size_t>(start), static_cast<size_t>(stop - start)));
  if (stop - start != 1) {
    SetCursor(m_format.NextEditable(start));
  } else {
    GetSel(start, stop);
    SetCursor(start - 1);
  }
}

void TMaskEditBehaviour::CharKeys(char16_t c) {
  if (c == kEscape) {
    Reset();
    return;
  }
  if (!m_host.EditCanModify() || m_edit.ReadOnly()) return;
  if (c == u'\b') return;
  int start = 0, stop = 0;
  GetSel(start, stop);
  if (stop - start > 1) {
    DeleteKeys(VK_DELETE);
    start = m_format.NextEditable(start);
    SetCursor(start);
  }
  if (start >= m_format.Length()) {
    MessageBeep(0);
    return;
  }
  if (m_format.IsLiteral(start)) {
    // Typing the literal itself steps over it.
    if (c == m_format.At(start).literal) CursorInc(start, 1);
    else MessageBeep(0);
    return;
  }
  const char16_t accepted = m_format.Accept(start, c);
  if (!accepted) {
    MessageBeep(0);
    return;
  }
  ReplaceSel(WideString(1, accepted));
  GetSel(start, stop);
  CursorInc(start, 0);
}

int TMaskEditBehaviour::InputString(WideString& text, const WideString& value, int offset) const {
  int position = offset;
  for (size_t next = 0; next < value.size() && position < m_format.Length(); ++position) {
    const char16_t c = value[next];
    if (m_format.IsLiteral(position)) {
      // A pasted literal in its place is taken; otherwise the mask supplies it.
      if (c == m_format.At(position).literal) ++next;
      continue;
    }
    const char16_t accepted = m_format.Accept(position, c);
    text[static_cast<size_t>(position)] = accepted && accepted != u' ' ? accepted : m_format.Blank();
    ++next;
  }
  return position;
}

// ---- handlers -----------------------------------------------------------------------------------

void TMaskEditBehaviour::KeyDown(WORD& key, TShiftState shift) {
  if (!IsMasked() || key == 0 || shift.Contains(ssAlt)) return;
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
      ArrowKeys(key, shift);
      if (!shift.Contains(ssShift) && !shift.Contains(ssCtrl)) key = 0;
      return;
    case VK_UP:
    case VK_DOWN: key = 0; return;
    case VK_HOME:
    case VK_END:
      HomeEndKeys(key, shift);
      key = 0;
      return;
    case VK_DELETE:
      if (shift.Contains(ssShift)) {
        Cut();
      } else if (m_host.EditCanModify()) {
        DeleteKeys(key);
      }
      key = 0;
      return;
    case VK_BACK:
      if (m_host.EditCanModify()) DeleteKeys(key);
      key = 0;
      return;
    case VK_INSERT:
      if (shift.Contains(ssShift)) {
        Paste();
        key = 0;
      }
      return;
    default: CheckCursor(); return;
  }
}

void TMaskEditBehaviour::KeyUp(WORD& key, TShiftState shift) {
  if (IsMasked() && key != 0 && (key == VK_LEFT || key == VK_RIGHT) && shift.Contains(ssCtrl)) CheckCursor();
}

void TMaskEditBehaviour::KeyPress(char16_t& key) {
  if (!IsMasked() || key == 0) return;
  switch (key) {
    case kCtrlC: return;  // the window copies
    case kCtrlV: Paste(); break;
    case kCtrlX: Cut(); break;
    default: CharKeys(key); break;
  }
  key = 0;
}

void TMaskEditBehaviour::MouseUp(int x) {
  if (!IsMasked()) return;
  int start = 0, stop = 0;
  GetSel(start, stop);
  m_caretPos = start;
  if (start != stop && x > m_buttonDownX) m_caretPos = stop;
  CheckCursor();
}

bool TMaskEditBehaviour::BeginEnter() {
  if (!IsMasked() || Designing()) return true;
  const bool callInherited = !m_reEnter;
  if (callInherited) m_oldValue = WideEditText();
  return callInherited;
}

void TMaskEditBehaviour::EndEnter() {
  if (!IsMasked() || Designing()) return;
  m_reEnter = false;
  CheckCursor();
}

void TMaskEditBehaviour::Exit() {
  if (!IsMasked() || Designing()) return;
  ValidateEdit();
  CheckCursor();
}

bool TMaskEditBehaviour::Cut() {
  if (!IsMasked()) return false;
  m_edit.CopyToClipboard();
  if (m_host.EditCanModify()) DeleteKeys(VK_DELETE);
  return true;
}

bool TMaskEditBehaviour::Paste() {
  if (!IsMasked() || m_edit.ReadOnly()) return false;
  if (!m_host.EditCanModify()) return true;
  const WideString value = ClipboardText(m_edit.HandleAllocated() ? m_edit.Handle() : nullptr);
  int start = 0, stop = 0;
  GetSel(start, stop);
  WideString text = WideEditText();
  DeleteSelection(text, start, stop - start);
  const int caret = InputString(text, value, start);
  // A paste is the user's edit: Escape still gives back the text from before it.
  m_pasting = true;
  SetWideEditText(text);
  m_pasting = false;
  m_edit.SetModified(true);
  SetCursor(m_format.NextEditable(caret));
  return true;
}

void TMaskEditBehaviour::TextChanged() {
  if (!m_pasting) m_oldValue = WideEditText();
  if (!m_edit.HandleAllocated() || !IsMasked()) return;
  int start = 0, stop = 0;
  GetSel(start, stop);
  const int next = m_format.NextEditable(start);
  if (next != start) SetCursor(next);
}

bool TMaskEditBehaviour::WantsKey(WORD key) { return key == VK_ESCAPE && IsMasked() && m_edit.Modified(); }

// ---- TCustomMaskEdit ----------------------------------------------------------------------------

void TCustomMaskEdit::DescribeClass(TClassBuilder<TCustomMaskEdit>& c) {
  c.Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
  c.Property("MaxLength", &TCustomMaskEdit::MaxLength, &TCustomMaskEdit::SetMaxLength).Default(0);
  c.Property("Text", &TCustomMaskEdit::Text, &TCustomMaskEdit::SetText);
}

void TCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}
