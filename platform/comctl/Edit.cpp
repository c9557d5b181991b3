// The edit control's window procedure: text, selection and undo state, line layout, painting,
// input and the EM_ messages. One EditControl per window, held in the window's extra bytes and
// freed on WM_NCDESTROY.

#include "platform/comctl/Edit.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/GlobalMemory.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

namespace platform {
namespace {

std::mutex g_captionsLock;
EditMenuCaptions& Captions() {
  static EditMenuCaptions captions;
  return captions;
}

bool IsBreakChar(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000; }
bool IsWordChar(char16_t c) {
  if (IsSpace(c) || IsBreakChar(c)) return false;
  if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
  return true;
}

char16_t ToUpper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  return c;
}
char16_t ToLower(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  return c;
}

// One line of the view: a run of the text and the break that ends it (0, 1 or 2 units; 0
// for a wrapped line and for the last line).
struct Line {
  size_t start = 0;
  size_t length = 0;
  size_t breakLength = 0;
};

enum class Source { Typing, User, Program };

class EditControl {
 public:
  explicit EditControl(HWND hwnd) : m_hwnd(hwnd) { m_asciiWidths.fill(-1); }
  ~EditControl() {
    if (m_measureDc) DeleteDC(m_measureDc);
  }

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  bool Multiline() const { return (Style() & ES_MULTILINE) != 0; }
  bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }
  bool Wraps() const { return Multiline() && !(Style() & (ES_AUTOHSCROLL | WS_HSCROLL)); }
  bool ShowsSelection() const { return m_focused || (Style() & ES_NOHIDESEL); }
  size_t SelMin() const { return std::min(m_anchor, m_caret); }
  size_t SelMax() const { return std::max(m_anchor, m_caret); }

  // ---- measuring and layout ----
  HDC MeasureDc();
  void UpdateMetrics();
  std::u16string DisplayText(size_t start, size_t length) const;
  // Extents after each unit of the displayed run (`out` gets length entries).
  void Extents(size_t start, size_t length, std::vector<int>& out);
  int RunWidth(size_t start, size_t length);
  // The width of the character at `index` alone (cached per font), and the sum over a run:
  // an estimate that kerning moves by a pixel or so, never by more than Slack.
  int CharWidth(size_t index);
  int EstimateWidth(size_t start, size_t length);
  static int Slack(size_t length) { return 2 + static_cast<int>(length / 16); }
  int LineWidth(const Line& line);
  RECT FormatRect() const;
  int VisibleLines() const;
  void Relayout();
  size_t LineOf(size_t index) const;
  int AlignOffset(const Line& line);
  POINT PosFromChar(size_t index);
  size_t CharFromPos(int x, int y, size_t* lineOut = nullptr);
  int XInLine(const Line& line, size_t index);
  size_t IndexAtX(const Line& line, int x);

  // ---- editing ----
  std::u16string Filter(std::u16string text, Source source, bool* refused);
  bool Replace(std::u16string text, Source source, bool undoable);
  void SetText(const std::u16string& text);
  void SetSelection(size_t anchor, size_t caret, bool scroll = true);
  void Undo();
  void Copy();
  void Cut();
  void Paste();
  void Clear();
  void Notify(WORD code);
  void Changed();

  // ---- view ----
  void ScrollToCaret();
  void SetTopLine(long line);
  void SetXOffset(int x);
  void UpdateScrollBars();
  void UpdateCaret();
  void Paint(HDC dc);
  void PaintLine(HDC dc, const Line& line, int y, const RECT& format);

  // ---- input ----
  void OnKeyDown(int key);
  void OnChar(char16_t c);
  void OnMouseDown(int x, int y, bool shift);
  void OnMouseMove(int x, int y);
  void OnDoubleClick(int x, int y);
  void OnContextMenu(int x, int y);
  void OnScroll(int bar, int request);
  size_t WordStart(size_t index) const;
  size_t WordEnd(size_t index) const;
  size_t PrevPos(size_t index) const;
  size_t NextPos(size_t index) const;
  void MoveCaret(size_t index, bool extend);

  HWND m_hwnd;
  std::u16string m_text;
  size_t m_anchor = 0;  // the fixed end of the selection
  size_t m_caret = 0;   // the moving end, where the caret is
  HFONT m_font = nullptr;
  HDC m_measureDc = nullptr;
  int m_lineHeight = 16;
  int m_averageWidth = 7;
  std::array<int, 256> m_asciiWidths{};  // -1: not measured yet
  std::unordered_map<uint32_t, int> m_otherWidths;
  size_t m_limit = kEditDefaultLimit;
  bool m_modified = false;
  char16_t m_passwordChar = 0;
  int m_leftMargin = 1;
  int m_rightMargin = 1;
  bool m_focused = false;
  bool m_tracking = false;  // the left button is held since a press in the edit
  int m_goalX = -1;         // the x that Up and Down keep

  struct UndoRecord {
    bool valid = false;
    size_t position = 0;
    std::u16string removed;   // the text the change took away
    std::u16string inserted;  // the text the change put in
    bool typing = false;      // more typed characters may join it
  } m_undo;

  std::vector<Line> m_lines{Line{}};
  std::vector<int> m_widthCache;  // per line; -1 unmeasured
  long m_topLine = 0;
  int m_xOffset = 0;
};

HDC EditControl::MeasureDc() {
  if (!m_measureDc) {
    m_measureDc = CreateCompatibleDC(nullptr);
    UpdateMetrics();
  }
  return m_measureDc;
}

void EditControl::UpdateMetrics() {
  if (!m_measureDc) return;
  HFONT font = m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SelectObject(m_measureDc, font);
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(m_measureDc, &metrics)) {
    m_lineHeight = std::max<int>(1, metrics.tmHeight);
    m_averageWidth = std::max<int>(1, metrics.tmAveCharWidth);
  }
  m_asciiWidths.fill(-1);
  m_otherWidths.clear();
}

std::u16string EditControl::DisplayText(size_t start, size_t length) const {
  if (m_passwordChar) return std::u16string(length, m_passwordChar);
  return m_text.substr(start, length);
}

void EditControl::Extents(size_t start, size_t length, std::vector<int>& out) {
  out.assign(length, 0);
  if (length == 0) return;
  const std::u16string shown = DisplayText(start, length);
  SIZE size{};
  INT fit = 0;
  GetTextExtentExPointW(MeasureDc(), shown.c_str(), static_cast<int>(length), 0x7FFFFFFF, &fit, out.data(), &size);
  // A low surrogate has no width of its own: keep extents rising.
  for (size_t i = 1; i < length; ++i) out[i] = std::max(out[i], out[i - 1]);
}

int EditControl::RunWidth(size_t start, size_t length) {
  if (length == 0) return 0;
  const std::u16string shown = DisplayText(start, length);
  SIZE size{};
  GetTextExtentPoint32W(MeasureDc(), shown.c_str(), static_cast<int>(shown.size()), &size);
  return size.cx;
}

int EditControl::LineWidth(const Line& line) { return RunWidth(line.start, line.length); }

int EditControl::CharWidth(size_t index) {
  const char16_t c = m_passwordChar ? m_passwordChar : m_text[index];
  if (IsLowSurrogate(c)) return 0;  // measured with its high half
  if (c < m_asciiWidths.size() && m_asciiWidths[c] >= 0) return m_asciiWidths[c];
  std::u16string unit(1, c);
  if (IsHighSurrogate(c) && index + 1 < m_text.size() && !m_passwordChar) unit += m_text[index + 1];
  const uint32_t key = unit.size() == 2 ? (static_cast<uint32_t>(unit[0]) << 16 | unit[1]) : c;
  if (c >= m_asciiWidths.size()) {
    auto it = m_otherWidths.find(key);
    if (it != m_otherWidths.end()) return it->second;
  }
  SIZE size{};
  GetTextExtentPoint32W(MeasureDc(), unit.c_str(), static_cast<int>(unit.size()), &size);
  const int width = static_cast<int>(size.cx);
  if (c < m_asciiWidths.size()) m_asciiWidths[c] = width;
  else m_otherWidths[key] = width;
  return width;
}

int EditControl::EstimateWidth(size_t start, size_t length) {
  int sum = 0;
  for (size_t i = start; i < start + length; ++i) sum += CharWidth(i);
  return sum;
}

RECT EditControl::FormatRect() const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  RECT format{client.left + m_leftMargin, client.top + 1, client.right - m_rightMargin, client.bottom};
  if (!Multiline()) format.bottom = std::min<LONG>(client.bottom, format.top + m_lineHeight);
  if (format.right < format.left) format.right = format.left;
  if (format.bottom < format.top) format.bottom = format.top;
  return format;
}

int EditControl::VisibleLines() const {
  const RECT format = FormatRect();
  return std::max(1, static_cast<int>((format.bottom - format.top) / m_lineHeight));
}

void EditControl::Relayout() {
  MeasureDc();
  m_lines.clear();
  m_widthCache.clear();
  if (!Multiline()) {
    m_lines.push_back(Line{0, m_text.size(), 0});
  } else {
    const bool wraps = Wraps();
    const RECT format = FormatRect();
    const int width = std::max<int>(1, format.right - format.left);
    size_t start = 0;
    while (true) {
      size_t end = start;
      while (end < m_text.size() && !IsBreakChar(m_text[end])) ++end;
      size_t breakLength = 0;
      if (end < m_text.size()) breakLength = (m_text[end] == u'\r' && end + 1 < m_text.size() && m_text[end + 1] == u'\n') ? 2 : 1;
      // The paragraph [start, end), wrapped into lines no wider than the format rectangle.
      // Widths are estimated from cached character widths with a little room for kerning;
      // only a run whose estimate is too close to call is measured whole.
      size_t lineStart = start;
      const auto tooWide = [&](size_t from, size_t count) {
        const int estimate = EstimateWidth(from, count);
        const int slack = Slack(count);
        if (estimate + slack <= width) return false;
        if (estimate - slack > width) return true;
        return RunWidth(from, count) > width;
      };
      while (wraps && lineStart < end && tooWide(lineStart, end - lineStart)) {
        size_t fit = lineStart;
        int sum = 0;
        while (fit < end) {
          const int next = sum + CharWidth(fit);
          if (next + Slack(fit + 1 - lineStart) > width) break;
          sum = next;
          ++fit;
        }
        if (fit == lineStart) fit = lineStart + 1;  // one unit wider than the box still goes
        if (fit < end && IsLowSurrogate(m_text[fit])) ++fit;
        size_t cut = fit;
        // Break after the last blank of the fitting part; blanks that follow stay on the line.
        size_t blank = fit;
        while (blank > lineStart && !IsSpace(m_text[blank - 1])) --blank;
        if (blank > lineStart) cut = blank;
        while (cut < end && IsSpace(m_text[cut])) ++cut;
        if (cut >= end) break;
        m_lines.push_back(Line{lineStart, cut - lineStart, 0});
        lineStart = cut;
      }
      m_lines.push_back(Line{lineStart, end - lineStart, breakLength});
      if (breakLength == 0) break;
      start = end + breakLength;
    }
  }
  m_widthCache.assign(m_lines.size(), -1);
  m_anchor = std::min(m_anchor, m_text.size());
  m_caret = std::min(m_caret, m_text.size());
  SetTopLine(m_topLine);
  UpdateScrollBars();
}

size_t EditControl::LineOf(size_t index) const {
  // The last line whose start is at or before `index`.
  auto it = std::upper_bound(m_lines.begin(), m_lines.end(), index,
                             [](size_t value, const Line& line) { return value < line.start; });
  if (it == m_lines.begin()) return 0;
  return static_cast<size_t>(it - m_lines.begin()) - 1;
}

int EditControl::AlignOffset(const Line& line) {
  const DWORD align = Style() & (ES_CENTER | ES_RIGHT);
  if (align == ES_LEFT) return 0;
  const RECT format = FormatRect();
  const int free = static_cast<int>(format.right - format.left) - LineWidth(line);
  if (free <= 0) return 0;
  return align == ES_RIGHT ? free : free / 2;
}

int EditControl::XInLine(const Line& line, size_t index) {
  if (index <= line.start) return 0;
  const size_t count = std::min(index, line.start + line.length) - line.start;
  const std::u16string shown = DisplayText(line.start, count);
  SIZE size{};
  GetTextExtentPoint32W(MeasureDc(), shown.c_str(), static_cast<int>(shown.size()), &size);
  return size.cx;
}

size_t EditControl::IndexAtX(const Line& line, int x) {
  if (x <= 0 || line.length == 0) return line.start;
  std::vector<int> extents;
  Extents(line.start, line.length, extents);
  int previous = 0;
  for (size_t i = 0; i < line.length; ++i) {
    if (x < (previous + extents[i] + 1) / 2) {
      size_t index = line.start + i;
      if (index > line.start && IsLowSurrogate(m_text[index])) --index;
      return index;
    }
    previous = extents[i];
  }
  return line.start + line.length;
}

POINT EditControl::PosFromChar(size_t index) {
  const RECT format = FormatRect();
  const size_t lineIndex = LineOf(index);
  const Line& line = m_lines[lineIndex];
  const int x = static_cast<int>(format.left) - m_xOffset + AlignOffset(line) + XInLine(line, index);
  const int y = static_cast<int>(format.top) + static_cast<int>(static_cast<long>(lineIndex) - m_topLine) * m_lineHeight;
  return POINT{x, y};
}

size_t EditControl::CharFromPos(int x, int y, size_t* lineOut) {
  const RECT format = FormatRect();
  long lineIndex = m_topLine + (y >= format.top ? (y - format.top) / m_lineHeight : -1 - (format.top - y - 1) / m_lineHeight);
  lineIndex = std::clamp<long>(lineIndex, 0, static_cast<long>(m_lines.size()) - 1);
  if (lineOut) *lineOut = static_cast<size_t>(lineIndex);
  const Line& line = m_lines[static_cast<size_t>(lineIndex)];
  return IndexAtX(line, x - static_cast<int>(format.left) + m_xOffset - AlignOffset(line));
}

// ---- editing ----------------------------------------------------------------------------------

std::u16string EditControl::Filter(std::u16string text, Source source, bool* refused) {
  *refused = false;
  const DWORD style = Style();
  if (!Multiline()) {
    // A single line keeps what comes before the first break.
    const size_t cut = text.find_first_of(u"\r\n");
    if (cut != std::u16string::npos) text.resize(cut);
  }
  if (style & ES_UPPERCASE) for (char16_t& c : text) c = ToUpper(c);
  else if (style & ES_LOWERCASE) for (char16_t& c : text) c = ToLower(c);
  if ((style & ES_NUMBER) && source != Source::Program) {
    for (char16_t c : text) {
      if (c < u'0' || c > u'9') {
        *refused = true;
        return {};
      }
    }
  }
  return text;
}

bool EditControl::Replace(std::u16string text, Source source, bool undoable) {
  if (source != Source::Program && ReadOnly()) {
    MessageBeep(0);
    return false;
  }
  bool refused = false;
  text = Filter(std::move(text), source, &refused);
  if (refused) {
    MessageBeep(0);
    return false;
  }
  const size_t from = SelMin();
  const size_t to = SelMax();
  const size_t kept = m_text.size() - (to - from);
  // Input beyond the limit (typed, pasted or replaced by the program) is cut, and the parent
  // told; only WM_SETTEXT may exceed it.
  const size_t room = kept >= m_limit ? 0 : m_limit - kept;
  if (text.size() > room) {
    size_t cut = room;
    if (cut > 0 && IsLowSurrogate(text[cut])) --cut;
    text.resize(cut);
    Notify(EN_MAXTEXT);
    if (text.empty() && from == to) return false;
  }
  if (text.empty() && from == to) return false;

  std::u16string removed = m_text.substr(from, to - from);
  if (source != Source::Program) {
    // A field that cannot scroll takes no more than it shows: one line without
    // ES_AUTOHSCROLL no wider than the box, several lines without ES_AUTOVSCROLL (and no
    // vertical bar) no more lines than fit.
    const DWORD style = Style();
    const bool fixedWidth = !Multiline() && !(style & ES_AUTOHSCROLL);
    const bool fixedHeight = Multiline() && !(style & (ES_AUTOVSCROLL | WS_VSCROLL));
    if (fixedWidth || fixedHeight) {
      const std::u16string before = m_text;
      m_text.replace(from, to - from, text);
      Relayout();
      const RECT format = FormatRect();
      const bool over = fixedWidth ? LineWidth(m_lines[0]) > format.right - format.left
                                   : static_cast<long>(m_lines.size()) > VisibleLines();
      m_text = before;
      Relayout();
      if (over) {
        Notify(EN_MAXTEXT);
        return false;
      }
    }
  }
  const bool joins = source == Source::Typing && undoable && m_undo.valid && m_undo.typing && removed.empty() &&
                     m_undo.position + m_undo.inserted.size() == from;
  if (joins) {
    m_undo.inserted += text;
  } else if (undoable) {
    m_undo = UndoRecord{true, from, removed, text, source == Source::Typing};
  } else {
    m_undo = UndoRecord{};
  }
  m_text.replace(from, to - from, text);
  m_anchor = m_caret = from + text.size();
  m_modified = true;
  m_goalX = -1;
  Changed();
  return true;
}

void EditControl::SetText(const std::u16string& value) {
  bool refused = false;
  std::u16string text = Filter(value, Source::Program, &refused);
  m_text = std::move(text);
  m_anchor = m_caret = 0;
  m_undo = UndoRecord{};
  m_modified = false;
  m_topLine = 0;
  m_xOffset = 0;
  m_goalX = -1;
  Changed();
}

void EditControl::Changed() {
  Relayout();
  ScrollToCaret();
  UpdateCaret();
  InvalidateRect(m_hwnd, nullptr, FALSE);
  Notify(EN_UPDATE);
  Notify(EN_CHANGE);
}

void EditControl::Notify(WORD code) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return;
  const int id = static_cast<int>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(m_hwnd));
}

void EditControl::SetSelection(size_t anchor, size_t caret, bool scroll) {
  anchor = std::min(anchor, m_text.size());
  caret = std::min(caret, m_text.size());
  if (anchor == m_anchor && caret == m_caret) {
    if (scroll) ScrollToCaret();
    return;
  }
  m_anchor = anchor;
  m_caret = caret;
  if (scroll) ScrollToCaret();
  UpdateCaret();
  InvalidateRect(m_hwnd, nullptr, FALSE);
}

void EditControl::Undo() {
  if (!m_undo.valid) return;
  UndoRecord record = m_undo;
  const size_t end = std::min(m_text.size(), record.position + record.inserted.size());
  m_text.replace(record.position, end - record.position, record.removed);
  // Undoing again redoes: the record turns round.
  m_undo = UndoRecord{true, record.position, record.inserted, record.removed, false};
  m_anchor = record.position;
  m_caret = record.position + record.removed.size();
  m_modified = true;
  Changed();
}

void EditControl::Copy() {
  if (m_passwordChar || SelMin() == SelMax()) return;
  const std::u16string selected = m_text.substr(SelMin(), SelMax() - SelMin());
  if (!OpenClipboard(m_hwnd)) return;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (selected.size() + 1) * sizeof(char16_t));
  if (block) {
    if (void* bytes = GlobalLock(block)) {
      std::memcpy(bytes, selected.c_str(), (selected.size() + 1) * sizeof(char16_t));
      GlobalUnlock(block);
      if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    } else {
      GlobalFree(block);
    }
  }
  CloseClipboard();
}

void EditControl::Cut() {
  if (m_passwordChar || SelMin() == SelMax()) return;
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  Copy();
  Replace(u"", Source::User, true);
}

void EditControl::Paste() {
  if (!OpenClipboard(m_hwnd)) return;
  std::u16string text;
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const char16_t*>(GlobalLock(block))) {
      const size_t capacity = GlobalSize(block) / sizeof(char16_t);
      size_t length = 0;
      while (length < capacity && units[length]) ++length;
      text.assign(units, length);
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  if (!text.empty()) Replace(std::move(text), Source::User, true);
}

void EditControl::Clear() {
  if (SelMin() == SelMax()) return;
  Replace(u"", Source::User, true);
}

// ---- view --------------------------------------------------------------------------------

void EditControl::SetTopLine(long line) {
  const long last = std::max<long>(0, static_cast<long>(m_lines.size()) - VisibleLines());
  line = Multiline() ? std::clamp<long>(line, 0, last) : 0;
  if (line == m_topLine) return;
  m_topLine = line;
  UpdateScrollBars();
  UpdateCaret();
  InvalidateRect(m_hwnd, nullptr, FALSE);
}

void EditControl::SetXOffset(int x) {
  if (Wraps()) x = 0;
  x = std::max(0, x);
  if (x == m_xOffset) return;
  m_xOffset = x;
  UpdateScrollBars();
  UpdateCaret();
  InvalidateRect(m_hwnd, nullptr, FALSE);
}

void EditControl::ScrollToCaret() {
  const size_t lineIndex = LineOf(m_caret);
  if (Multiline()) {
    const long visible = VisibleLines();
    const long line = static_cast<long>(lineIndex);
    if (line < m_topLine) SetTopLine(line);
    else if (line >= m_topLine + visible) SetTopLine(line - visible + 1);
  }
  if (Wraps()) return;
  const RECT format = FormatRect();
  const int width = static_cast<int>(format.right - format.left);
  const Line& line = m_lines[lineIndex];
  const int x = AlignOffset(line) + XInLine(line, m_caret);
  int offset = m_xOffset;
  if (x < offset) offset = std::max(0, x - width / 4);
  else if (x >= offset + width) offset = x - width + std::max(1, width / 4);
  // Do not leave blank room at the right when the text got shorter.
  if (!Multiline()) offset = std::min(offset, std::max(0, LineWidth(line) + 1 - width));
  SetXOffset(std::max(0, offset));
}

void EditControl::UpdateScrollBars() {
  const DWORD style = Style();
  if (!Multiline()) return;
  if (style & WS_VSCROLL) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                    static_cast<int>(m_lines.size()) - 1, static_cast<UINT>(VisibleLines()), static_cast<int>(m_topLine), 0};
    SetScrollInfo(m_hwnd, SB_VERT, &info, TRUE);
  }
  if (style & WS_HSCROLL) {
    int widest = 0;
    for (size_t i = 0; i < m_lines.size(); ++i) {
      if (m_widthCache[i] < 0) m_widthCache[i] = LineWidth(m_lines[i]);
      widest = std::max(widest, m_widthCache[i]);
    }
    const RECT format = FormatRect();
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, widest,
                    static_cast<UINT>(std::max<LONG>(1, format.right - format.left)), m_xOffset, 0};
    SetScrollInfo(m_hwnd, SB_HORZ, &info, TRUE);
  }
}

void EditControl::UpdateCaret() {
  if (!m_focused) return;
  const POINT p = PosFromChar(m_caret);
  SetCaretPos(std::max<LONG>(0, p.x - (p.x > 0 ? 1 : 0)), p.y);
}

void EditControl::Paint(HDC dc) {
  platform::SavedDcState saved(dc);
  const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
  const bool statics = ReadOnly() || !enabled;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(statics ? COLOR_BTNFACE : COLOR_WINDOW));
  SetBkMode(dc, OPAQUE);
  const UINT ask = statics ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  HWND parent = GetParent(m_hwnd);
  HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, ask, reinterpret_cast<WPARAM>(dc),
                                                                 reinterpret_cast<LPARAM>(m_hwnd)))
                        : nullptr;
  if (!brush) brush = reinterpret_cast<HBRUSH>(DefWindowProcW(m_hwnd, ask, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hwnd)));
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  RECT client{};
  GetClientRect(m_hwnd, &client);
  if (brush && brush != static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))) FillRect(dc, &client, brush);

  const RECT format = FormatRect();
  SelectObject(dc, m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  IntersectClipRect(dc, client.left, format.top, client.right, client.bottom);
  const long last = std::min<long>(static_cast<long>(m_lines.size()), m_topLine + VisibleLines() + 1);
  for (long i = m_topLine; i < last; ++i) {
    const int y = static_cast<int>(format.top) + static_cast<int>(i - m_topLine) * m_lineHeight;
    if (y >= client.bottom) break;
    PaintLine(dc, m_lines[static_cast<size_t>(i)], y, format);
  }
}

void EditControl::PaintLine(HDC dc, const Line& line, int y, const RECT& format) {
  const int x = static_cast<int>(format.left) - m_xOffset + AlignOffset(line);
  size_t selFrom = std::clamp(SelMin(), line.start, line.start + line.length);
  size_t selTo = std::clamp(SelMax(), line.start, line.start + line.length);
  if (!ShowsSelection()) selFrom = selTo = line.start;
  // A selection that runs over the line's break shows one blank's width past the text.
  const bool breakSelected = ShowsSelection() && line.breakLength > 0 && SelMin() <= line.start + line.length &&
                             SelMax() > line.start + line.length;
  const std::u16string shown = DisplayText(line.start, line.length);
  const auto run = [&](size_t from, size_t to) { return std::u16string_view(shown).substr(from - line.start, to - from); };
  const auto draw = [&](size_t from, size_t to, int left) {
    if (to <= from) return left;
    std::u16string_view part = run(from, to);
    SIZE size{};
    GetTextExtentPoint32W(dc, part.data(), static_cast<int>(part.size()), &size);
    TextOutW(dc, left, y, part.data(), static_cast<int>(part.size()));
    return left + static_cast<int>(size.cx);
  };
  int left = draw(line.start, selFrom, x);
  if (selTo > selFrom || breakSelected) {
    const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    const COLORREF back = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const int mode = SetBkMode(dc, OPAQUE);
    std::u16string_view part = run(selFrom, selTo);
    SIZE size{};
    GetTextExtentPoint32W(dc, part.data(), static_cast<int>(part.size()), &size);
    int width = static_cast<int>(size.cx) + (breakSelected ? std::max(1, m_averageWidth / 2) : 0);
    RECT cell{left, y, left + width, y + m_lineHeight};
    ExtTextOutW(dc, left, y, ETO_OPAQUE, &cell, part.data(), static_cast<UINT>(part.size()), nullptr);
    left += static_cast<int>(size.cx);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    SetBkMode(dc, mode);
  }
  draw(selTo, line.start + line.length, left);
}

// ---- input ----------------------------------------------------------------------------------

size_t EditControl::PrevPos(size_t index) const {
  if (index == 0) return 0;
  --index;
  if (index > 0 && IsLowSurrogate(m_text[index]) && IsHighSurrogate(m_text[index - 1])) --index;
  if (index > 0 && m_text[index] == u'\n' && m_text[index - 1] == u'\r') --index;
  return index;
}

size_t EditControl::NextPos(size_t index) const {
  if (index >= m_text.size()) return m_text.size();
  if (m_text[index] == u'\r' && index + 1 < m_text.size() && m_text[index + 1] == u'\n') return index + 2;
  ++index;
  if (index < m_text.size() && IsLowSurrogate(m_text[index])) ++index;
  return index;
}

size_t EditControl::WordStart(size_t index) const {
  // Back over blanks, then over the word (or the run of other marks) before them.
  while (index > 0 && (IsSpace(m_text[index - 1]) || IsBreakChar(m_text[index - 1]))) --index;
  if (index == 0) return 0;
  const bool word = IsWordChar(m_text[index - 1]);
  while (index > 0 && !IsSpace(m_text[index - 1]) && !IsBreakChar(m_text[index - 1]) &&
         IsWordChar(m_text[index - 1]) == word)
    --index;
  return index;
}

size_t EditControl::WordEnd(size_t index) const {
  // Over the word (or run of other marks) and the blanks after it: the next word's start.
  const size_t size = m_text.size();
  if (index < size && IsBreakChar(m_text[index])) return NextPos(index);
  if (index < size && !IsSpace(m_text[index])) {
    const bool word = IsWordChar(m_text[index]);
    while (index < size && !IsSpace(m_text[index]) && !IsBreakChar(m_text[index]) && IsWordChar(m_text[index]) == word)
      ++index;
  }
  while (index < size && IsSpace(m_text[index])) ++index;
  return index;
}

void EditControl::MoveCaret(size_t index, bool extend) {
  SetSelection(extend ? m_anchor : index, index);
}

void EditControl::OnKeyDown(int key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool multi = Multiline();
  const size_t caretLine = LineOf(m_caret);
  const auto vertical = [&](long delta) {
    if (!multi) {
      MoveCaret(delta < 0 ? PrevPos(m_caret) : NextPos(m_caret), shift);
      return;
    }
    const Line& line = m_lines[caretLine];
    if (m_goalX < 0) m_goalX = XInLine(line, m_caret) + AlignOffset(line);
    const long target = std::clamp<long>(static_cast<long>(caretLine) + delta, 0, static_cast<long>(m_lines.size()) - 1);
    const Line& to = m_lines[static_cast<size_t>(target)];
    const int goal = m_goalX;
    MoveCaret(IndexAtX(to, goal - AlignOffset(to)), shift);
    m_goalX = goal;
  };
  switch (key) {
    case VK_LEFT:
      m_goalX = -1;
      if (!shift && !control && SelMin() != SelMax()) MoveCaret(SelMin(), false);
      else MoveCaret(control ? WordStart(m_caret) : PrevPos(m_caret), shift);
      break;
    case VK_RIGHT:
      m_goalX = -1;
      if (!shift && !control && SelMin() != SelMax()) MoveCaret(SelMax(), false);
      else MoveCaret(control ? WordEnd(m_caret) : NextPos(m_caret), shift);
      break;
    case VK_UP: vertical(-1); break;
    case VK_DOWN: vertical(1); break;
    case VK_PRIOR: vertical(-VisibleLines()); break;
    case VK_NEXT: vertical(VisibleLines()); break;
    case VK_HOME:
      m_goalX = -1;
      MoveCaret(control ? 0 : m_lines[caretLine].start, shift);
      break;
    case VK_END:
      m_goalX = -1;
      MoveCaret(control ? m_text.size() : m_lines[caretLine].start + m_lines[caretLine].length, shift);
      break;
    case VK_DELETE:
      if (shift) {
        Cut();
      } else if (ReadOnly()) {
        MessageBeep(0);
      } else {
        if (SelMin() == SelMax()) {
          const size_t end = control ? WordEnd(m_caret) : NextPos(m_caret);
          if (end == m_caret) break;
          m_anchor = m_caret;
          m_caret = end;
        }
        Replace(u"", Source::User, true);
      }
      break;
    case VK_INSERT:
      if (control) Copy();
      else if (shift) Paste();
      break;
    default: break;
  }
}

void EditControl::OnChar(char16_t c) {
  switch (c) {
    case 0x01:  // Ctrl+A
      SetSelection(0, m_text.size());
      return;
    case 0x03: Copy(); return;   // Ctrl+C
    case 0x16: Paste(); return;  // Ctrl+V
    case 0x18: Cut(); return;    // Ctrl+X
    case 0x1A: Undo(); return;   // Ctrl+Z
    case u'\b':
      if (ReadOnly()) {
        MessageBeep(0);
        return;
      }
      if (SelMin() == SelMax()) {
        const size_t from = PrevPos(m_caret);
        if (from == m_caret) return;
        m_anchor = from;
      }
      Replace(u"", Source::User, true);
      return;
    case u'\r':
    case u'\n':
      if (Multiline()) Replace(u"\r\n", Source::User, true);
      return;
    case u'\t':
      if (Multiline()) Replace(u"\t", Source::Typing, true);
      return;
    default: break;
  }
  if (c < 0x20 || c == 0x7F) return;
  Replace(std::u16string(1, c), Source::Typing, true);
}

void EditControl::OnMouseDown(int x, int y, bool shift) {
  if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
  const size_t index = CharFromPos(x, y);
  m_goalX = -1;
  SetSelection(shift ? m_anchor : index, index);
  m_tracking = true;
  SetCapture(m_hwnd);
}

void EditControl::OnMouseMove(int x, int y) {
  if (!m_tracking) return;
  SetSelection(m_anchor, CharFromPos(x, y));
}

void EditControl::OnDoubleClick(int x, int y) {
  const size_t index = CharFromPos(x, y);
  size_t from = index;
  size_t to = index;
  const auto same = [&](char16_t a, char16_t b) {
    return !IsBreakChar(a) && !IsBreakChar(b) && IsSpace(a) == IsSpace(b) && IsWordChar(a) == IsWordChar(b);
  };
  const char16_t at = index < m_text.size() ? m_text[index] : (index > 0 ? m_text[index - 1] : u' ');
  if (!IsBreakChar(at)) {
    while (from > 0 && same(m_text[from - 1], at)) --from;
    while (to < m_text.size() && same(m_text[to], at)) ++to;
  }
  SetSelection(from, to);
  m_tracking = true;
  SetCapture(m_hwnd);
}

void EditControl::OnContextMenu(int x, int y) {
  if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
  if (x == -1 && y == -1) {
    POINT p = PosFromChar(m_caret);
    p.y += m_lineHeight;
    ClientToScreen(m_hwnd, &p);
    x = p.x;
    y = p.y;
  }
  const EditMenuCaptions captions = GetEditMenuCaptions();
  const bool selection = SelMin() != SelMax();
  const bool editable = !ReadOnly();
  const UINT clipboard = (editable && IsClipboardFormatAvailable(CF_UNICODETEXT)) ? MF_ENABLED : MF_GRAYED;
  const auto flags = [](bool on) { return on ? MF_ENABLED : MF_GRAYED; };
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, flags(editable && m_undo.valid), WM_UNDO, captions.undo.c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, flags(editable && selection && !m_passwordChar), WM_CUT, captions.cut.c_str());
  AppendMenuW(menu, flags(selection && !m_passwordChar), WM_COPY, captions.copy.c_str());
  AppendMenuW(menu, clipboard, WM_PASTE, captions.paste.c_str());
  AppendMenuW(menu, flags(editable && selection), WM_CLEAR, captions.clear.c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, flags(!m_text.empty() && !(SelMin() == 0 && SelMax() == m_text.size())), EM_SETSEL,
              captions.selectAll.c_str());
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, m_hwnd, nullptr));
  DestroyMenu(menu);
  if (!IsWindow(m_hwnd)) return;
  if (command == EM_SETSEL) SendMessageW(m_hwnd, EM_SETSEL, 0, -1);
  else if (command != 0) SendMessageW(m_hwnd, command, 0, 0);
}

void EditControl::OnScroll(int bar, int request) {
  if (bar == SB_VERT) {
    const long page = VisibleLines();
    long line = m_topLine;
    switch (request) {
      case SB_LINEUP: --line; break;
      case SB_LINEDOWN: ++line; break;
      case SB_PAGEUP: line -= page; break;
      case SB_PAGEDOWN: line += page; break;
      case SB_TOP: line = 0; break;
      case SB_BOTTOM: line = static_cast<long>(m_lines.size()); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (GetScrollInfo(m_hwnd, SB_VERT, &info)) line = info.nTrackPos;
        break;
      }
      default: return;
    }
    if (line != m_topLine) {
      SetTopLine(line);
      Notify(EN_VSCROLL);
    }
  } else {
    const RECT format = FormatRect();
    const int page = std::max<int>(1, format.right - format.left);
    int x = m_xOffset;
    switch (request) {
      case SB_LINELEFT: x -= m_averageWidth; break;
      case SB_LINERIGHT: x += m_averageWidth; break;
      case SB_PAGELEFT: x -= page; break;
      case SB_PAGERIGHT: x += page; break;
      case SB_LEFT: x = 0; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (GetScrollInfo(m_hwnd, SB_HORZ, &info)) x = info.nTrackPos;
        break;
      }
      default: return;
    }
    if (x != m_xOffset) {
      SetXOffset(x);
      Notify(EN_HSCROLL);
    }
  }
}

// ---- the message switch ------------------------------------------------------------------------

LRESULT EditControl::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create && (create->style & ES_PASSWORD)) m_passwordChar = 0x25CF;
      if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName)) {
        bool refused = false;
        m_text = Filter(create->lpszName, Source::Program, &refused);
      }
      Relayout();
      return 0;
    }
    case WM_SETTEXT:
      SetText(lParam ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : std::u16string());
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0 || !lParam) return 0;
      auto* buffer = reinterpret_cast<char16_t*>(lParam);
      size_t count = std::min(m_text.size(), static_cast<size_t>(wParam) - 1);
      if (count > 0 && count < m_text.size() && IsLowSurrogate(m_text[count])) --count;
      std::memcpy(buffer, m_text.data(), count * sizeof(char16_t));
      buffer[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(m_text.size());
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      UpdateMetrics();
      Relayout();
      ScrollToCaret();
      if (m_focused) {
        DestroyCaret();
        CreateCaret(m_hwnd, nullptr, 1, m_lineHeight);
        UpdateCaret();
        ShowCaret(m_hwnd);
      }
      if (LOWORD(lParam)) InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_SIZE:
      Relayout();
      ScrollToCaret();
      UpdateCaret();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return 0;
    case WM_STYLECHANGED:
      Relayout();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND: return TRUE;  // WM_PAINT fills the background through WM_CTLCOLOR*
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (wParam) Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETFOCUS:
      m_focused = true;
      CreateCaret(m_hwnd, nullptr, 1, m_lineHeight);
      UpdateCaret();
      ShowCaret(m_hwnd);
      InvalidateRect(m_hwnd, nullptr, FALSE);
      Notify(EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      m_focused = false;
      m_tracking = false;
      DestroyCaret();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      Notify(EN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (Multiline()) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      OnKeyDown(static_cast<int>(wParam));
      return 0;
    case WM_CHAR:
      OnChar(static_cast<char16_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (m_tracking) {
        m_tracking = false;
        if (GetCapture() == m_hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      m_tracking = false;
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
        return TRUE;
      }
      break;
    case WM_CONTEXTMENU:
      OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEWHEEL: {
      if (!Multiline()) return 0;
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      const long delta = GET_WHEEL_DELTA_WPARAM(wParam);
      SetTopLine(m_topLine - delta * static_cast<long>(lines) / WHEEL_DELTA);
      return 0;
    }
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_CUT: Cut(); return 0;
    case WM_COPY: Copy(); return 0;
    case WM_PASTE: Paste(); return 0;
    case WM_CLEAR:
      if (ReadOnly()) MessageBeep(0);
      else Clear();
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      if (!m_undo.valid) return FALSE;
      Undo();
      return TRUE;

    case EM_GETSEL: {
      const DWORD from = static_cast<DWORD>(SelMin());
      const DWORD to = static_cast<DWORD>(SelMax());
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = from;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = to;
      return (from > 0xFFFF || to > 0xFFFF) ? -1 : static_cast<LRESULT>(MAKELONG(from, to));
    }
    case EM_SETSEL: {
      const auto start = static_cast<long long>(static_cast<int>(wParam));
      const auto end = static_cast<long long>(static_cast<int>(lParam));
      if (start < 0) {
        SetSelection(m_caret, m_caret);
        return 0;
      }
      const size_t size = m_text.size();
      const size_t from = static_cast<size_t>(std::min<long long>(start, static_cast<long long>(size)));
      const size_t to = end < 0 ? size : static_cast<size_t>(std::min<long long>(end, static_cast<long long>(size)));
      m_goalX = -1;
      SetSelection(from, to, false);
      return 0;
    }
    case EM_GETRECT:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = FormatRect();
      return 0;
    case EM_SCROLL: {
      if (!Multiline()) return 0;
      const long before = m_topLine;
      OnScroll(SB_VERT, static_cast<int>(wParam));
      return MAKELONG(static_cast<WORD>(m_topLine - before), TRUE);
    }
    case EM_LINESCROLL:
      if (!Multiline()) return FALSE;
      SetTopLine(m_topLine + static_cast<long>(static_cast<int>(lParam)));
      if (!Wraps()) SetXOffset(m_xOffset + static_cast<int>(wParam) * m_averageWidth);
      return TRUE;
    case EM_SCROLLCARET:
      ScrollToCaret();
      return TRUE;
    case EM_GETMODIFY: return m_modified ? TRUE : FALSE;
    case EM_SETMODIFY: m_modified = wParam != 0; return 0;
    case EM_GETLINECOUNT: return static_cast<LRESULT>(m_lines.size());
    case EM_LINEINDEX: {
      const long line = static_cast<int>(wParam);
      if (line < 0) return static_cast<LRESULT>(m_lines[LineOf(m_caret)].start);
      if (static_cast<size_t>(line) >= m_lines.size()) return -1;
      return static_cast<LRESULT>(m_lines[static_cast<size_t>(line)].start);
    }
    case EM_LINELENGTH: {
      const long index = static_cast<int>(wParam);
      if (index < 0) {
        // The unselected characters on the lines the selection touches.
        const Line& first = m_lines[LineOf(SelMin())];
        const Line& last = m_lines[LineOf(SelMax())];
        return static_cast<LRESULT>((SelMin() - first.start) + (last.start + last.length - std::min(SelMax(), last.start + last.length)));
      }
      if (static_cast<size_t>(index) > m_text.size()) return 0;
      return static_cast<LRESULT>(m_lines[LineOf(static_cast<size_t>(index))].length);
    }
    case EM_LINEFROMCHAR: {
      const long index = static_cast<int>(wParam);
      if (index < 0) return static_cast<LRESULT>(LineOf(SelMin()));
      return static_cast<LRESULT>(LineOf(std::min(static_cast<size_t>(index), m_text.size())));
    }
    case EM_GETLINE: {
      if (!lParam) return 0;
      const size_t line = static_cast<size_t>(wParam);
      if (line >= m_lines.size()) return 0;
      auto* buffer = reinterpret_cast<char16_t*>(lParam);
      WORD capacity = 0;
      std::memcpy(&capacity, buffer, sizeof capacity);
      const size_t count = std::min<size_t>(capacity, m_lines[line].length);
      std::memcpy(buffer, m_text.data() + m_lines[line].start, count * sizeof(char16_t));
      return static_cast<LRESULT>(count);
    }
    case EM_REPLACESEL: {
      const std::u16string text = lParam ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : std::u16string();
      const bool undoable = wParam != 0;
      if (!Replace(text, Source::Program, undoable) && !undoable) m_undo = UndoRecord{};
      return 0;
    }
    case EM_SETLIMITTEXT:
      m_limit = wParam == 0 ? kEditLargestLimit : static_cast<size_t>(wParam);
      return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(m_limit);
    case EM_CANUNDO: return m_undo.valid ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER: m_undo = UndoRecord{}; return 0;
    case EM_GETFIRSTVISIBLELINE: return Multiline() ? m_topLine : 0;
    case EM_SETREADONLY: {
      const DWORD style = Style();
      SetWindowLongPtrW(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return TRUE;
    }
    case EM_SETPASSWORDCHAR:
      if (Multiline()) return 0;
      m_passwordChar = static_cast<char16_t>(wParam);
      Relayout();
      ScrollToCaret();
      UpdateCaret();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return 0;
    case EM_GETPASSWORDCHAR: return m_passwordChar;
    case EM_SETMARGINS: {
      if (wParam == EC_USEFONTINFO) {
        m_leftMargin = m_rightMargin = 1;
      } else {
        if (wParam & EC_LEFTMARGIN) m_leftMargin = static_cast<int>(LOWORD(lParam));
        if (wParam & EC_RIGHTMARGIN) m_rightMargin = static_cast<int>(HIWORD(lParam));
      }
      Relayout();
      ScrollToCaret();
      UpdateCaret();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return 0;
    }
    case EM_GETMARGINS: return MAKELONG(m_leftMargin, m_rightMargin);
    case EM_POSFROMCHAR: {
      const size_t index = static_cast<size_t>(wParam);
      if (index > m_text.size()) return -1;
      const POINT p = PosFromChar(index);
      return MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    }
    case EM_CHARFROMPOS: {
      size_t line = 0;
      const size_t index = CharFromPos(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), &line);
      return MAKELONG(static_cast<WORD>(index), static_cast<WORD>(line));
    }
    default: break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

LRESULT EditWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A focused edit that goes takes its caret with it.
  if (msg == WM_NCDESTROY && comctl_detail::ControlOfWindow<EditControl>(hwnd) && GetFocus() == hwnd) DestroyCaret();
  return comctl_detail::ControlWindowProc<EditControl>(hwnd, msg, wParam, lParam);
}

void RegisterEditClass() {
  comctl_detail::RegisterControlClass(
      {.name = WC_EDITW, .procedure = EditWindowProc, .style = CS_DBLCLKS | CS_PARENTDC, .cursor = IDC_IBEAM});
}

const comctl_detail::ClassRegistration g_registration(RegisterEditClass);

}  // namespace

void SetEditMenuCaptions(const EditMenuCaptions& captions) {
  std::lock_guard<std::mutex> guard(g_captionsLock);
  Captions() = captions;
}

EditMenuCaptions GetEditMenuCaptions() {
  std::lock_guard<std::mutex> guard(g_captionsLock);
  return Captions();
}

}  // namespace platform
