#include "program/net/HtmlView.h"

#include <algorithm>

#include "platform/gdi/DC.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Text.h"
#include "platform/shell/ShellApi.h"
#include "platform/user/ScrollBars.h"
#include "rtl/Strings.h"

namespace {

constexpr int kMargin = 6;
constexpr int kIndent = 18;
constexpr COLORREF kTextColor = RGB(0x1F, 0x23, 0x28);
constexpr COLORREF kLinkColor = RGB(0x25, 0x63, 0xEB);  // the default skin's accent

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithNoCase(const WideString& text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != prefix[i]) return false;
  return true;
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }

void AppendCodePoint(WideString& out, uint32_t code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code >= 0x10000) {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<char16_t>(code);
  }
}

// The value of attribute name in a tag's text ("a href='x'"), undecoded; empty when none.
WideString AttributeValue(const WideString& tag, std::u16string_view name) {
  size_t at = 0;
  // Skip the tag name.
  while (at < tag.size() && !IsSpace(tag[at])) ++at;
  while (at < tag.size()) {
    while (at < tag.size() && (IsSpace(tag[at]) || tag[at] == u'/')) ++at;
    const size_t nameStart = at;
    while (at < tag.size() && !IsSpace(tag[at]) && tag[at] != u'=' && tag[at] != u'/') ++at;
    WideString attribute = tag.substr(nameStart, at - nameStart);
    for (char16_t& c : attribute) c = Lower(c);
    while (at < tag.size() && IsSpace(tag[at])) ++at;
    WideString value;
    if (at < tag.size() && tag[at] == u'=') {
      ++at;
      while (at < tag.size() && IsSpace(tag[at])) ++at;
      if (at < tag.size() && (tag[at] == u'"' || tag[at] == u'\'')) {
        const char16_t quote = tag[at++];
        const size_t end = tag.find(quote, at);
        value = tag.substr(at, end == WideString::npos ? WideString::npos : end - at);
        at = end == WideString::npos ? tag.size() : end + 1;
      } else {
        const size_t start = at;
        while (at < tag.size() && !IsSpace(tag[at])) ++at;
        value = tag.substr(start, at - start);
      }
    }
    if (attribute == name) return value;
    if (nameStart == at) ++at;
  }
  return {};
}

}  // namespace

WideString DecodeCharacterReferences(const WideString& text) {
  WideString out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out += text[i];
      continue;
    }
    const size_t end = text.find(u';', i + 1);
    if (end == WideString::npos || end - i > 12) {
      out += text[i];
      continue;
    }
    const WideString name = text.substr(i + 1, end - i - 1);
    bool known = true;
    if (name.size() > 1 && name[0] == u'#') {
      uint32_t code = 0;
      const bool hex = name[1] == u'x' || name[1] == u'X';
      const size_t start = hex ? 2 : 1;
      known = name.size() > start;
      for (size_t k = start; k < name.size() && known; ++k) {
        const char16_t c = name[k];
        int digit = -1;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (hex && Lower(c) >= u'a' && Lower(c) <= u'f') digit = Lower(c) - u'a' + 10;
        if (digit < 0) known = false;
        else code = std::min<uint32_t>(code * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
      }
      if (known) AppendCodePoint(out, code);
    } else if (name == u"amp") {
      out += u'&';
    } else if (name == u"lt") {
      out += u'<';
    } else if (name == u"gt") {
      out += u'>';
    } else if (name == u"quot") {
      out += u'"';
    } else if (name == u"apos") {
      out += u'\'';
    } else if (name == u"nbsp") {
      out += u'\u00A0';
    } else if (name == u"copy") {
      out += u'\u00A9';
    } else {
      known = false;
    }
    if (!known) {
      out += text[i];
      continue;
    }
    i = end;
  }
  return out;
}

std::vector<THtmlBlock> ParseHtml(const WideString& html) {
  std::vector<THtmlBlock> blocks;
  THtmlBlock current;
  int bold = 0;
  int listDepth = 0;
  WideString href;
  bool inHead = false;
  auto endBlock = [&](bool keepEmpty) {
    if (!current.Runs.empty() || keepEmpty) blocks.push_back(std::move(current));
    current = THtmlBlock{};
    current.Indent = listDepth;
  };
  auto addText = [&](const WideString& raw) {
    if (inHead) return;
    WideString text = DecodeCharacterReferences(raw);
    // White space runs collapse to one blank, as a browser shows them.
    WideString collapsed;
    for (char16_t c : text) {
      if (IsSpace(c)) {
        if (collapsed.empty() ? current.Runs.empty() || current.Runs.back().Text.empty() ||
                                    current.Runs.back().Text.back() == u' '
                              : collapsed.back() == u' ')
          continue;
        collapsed += u' ';
      } else {
        collapsed += c;
      }
    }
    if (collapsed.empty()) return;
    THtmlRun run{collapsed, bold > 0, href};
    if (!current.Runs.empty() && current.Runs.back().Bold == run.Bold && current.Runs.back().Href == run.Href)
      current.Runs.back().Text += run.Text;
    else
      current.Runs.push_back(std::move(run));
  };
  size_t at = html.empty() || html[0] != u'\uFEFF' ? 0 : 1;
  while (at < html.size()) {
    const size_t open = html.find(u'<', at);
    addText(html.substr(at, open == WideString::npos ? WideString::npos : open - at));
    if (open == WideString::npos) break;
    // A comment runs to its own end.
    if (html.compare(open, 4, u"<!--") == 0) {
      const size_t end = html.find(u"-->", open + 4);
      at = end == WideString::npos ? html.size() : end + 3;
      continue;
    }
    const size_t close = html.find(u'>', open + 1);
    if (close == WideString::npos) {
      addText(html.substr(open));
      break;
    }
    WideString tag = html.substr(open + 1, close - open - 1);
    at = close + 1;
    const bool closing = !tag.empty() && tag[0] == u'/';
    if (closing) tag.erase(0, 1);
    size_t nameEnd = 0;
    while (nameEnd < tag.size() && !IsSpace(tag[nameEnd]) && tag[nameEnd] != u'/') ++nameEnd;
    WideString name = tag.substr(0, nameEnd);
    for (char16_t& c : name) c = Lower(c);
    if (name == u"head" || name == u"title" || name == u"style" || name == u"script") {
      inHead = !closing;
    } else if (name == u"p") {
      endBlock(false);
    } else if (name == u"br") {
      // A break ends the line; two in a row leave an empty one.
      endBlock(current.Runs.empty() && !blocks.empty());
    } else if (name == u"b" || name == u"strong") {
      bold = closing ? std::max(bold - 1, 0) : bold + 1;
    } else if (name == u"ul" || name == u"ol") {
      endBlock(false);
      listDepth = closing ? std::max(listDepth - 1, 0) : std::min(listDepth + 1, 8);
      current.Indent = listDepth;
    } else if (name == u"li") {
      endBlock(false);
      if (!closing) current.Bullet = true;
    } else if (name == u"a") {
      href = closing ? WideString() : DecodeCharacterReferences(AttributeValue(tag, u"href"));
    }
  }
  endBlock(false);
  return blocks;
}

THtmlView::THtmlView(TComponent* owner) : TCustomControl(owner) {
  SetBounds(Left(), Top(), 200, 120);
  SetColor(clWhite);
}

THtmlView::~THtmlView() { DropFonts(); }

void THtmlView::DropFonts() {
  if (FNormalFont) DeleteObject(FNormalFont);
  if (FBoldFont) DeleteObject(FBoldFont);
  FNormalFont = FBoldFont = nullptr;
}

void THtmlView::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_VSCROLL;
}

void THtmlView::SetHtml(const WideString& html) {
  FBlocks = ParseHtml(html);
  FLayoutWidth = -1;
  FScroll = 0;
  Layout();
  UpdateScrollBar();
  Invalidate();
}

void THtmlView::SetBounds(int left, int top, int width, int height) {
  inherited::SetBounds(left, top, width, height);
  FLayoutWidth = -1;
  if (HandleAllocated()) UpdateScrollBar();
}

void THtmlView::Layout() {
  const int width = HandleAllocated() ? ClientRect().Width() : Width() - GetSystemMetrics(SM_CXVSCROLL);
  if (width == FLayoutWidth) return;
  FLayoutWidth = width;
  FFragments.clear();
  if (!FNormalFont) {
    FNormalFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
    FBoldFont = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FNormalFont);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  FLineHeight = std::max<int>(metrics.tmHeight + 2, 8);
  auto measure = [&](const WideString& text, bool bold) {
    SelectObject(dc, bold ? FBoldFont : FNormalFont);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  int y = kMargin;
  const int right = std::max(width - kMargin, kMargin + 20);
  for (const THtmlBlock& block : FBlocks) {
    const int left = kMargin + block.Indent * kIndent;
    if (block.Bullet) FFragments.push_back({left - 11, y, 8, u"\u2022", false, {}});
    int x = left;
    bool lineHasText = false;
    for (const THtmlRun& run : block.Runs) {
      // Words with the blank before them; a word wider than the line is broken by characters.
      size_t at = 0;
      while (at < run.Text.size()) {
        size_t end = run.Text.find(u' ', at + 1);
        if (end == WideString::npos) end = run.Text.size();
        WideString word = run.Text.substr(at, end - at);
        at = end;
        int wordWidth = measure(word, run.Bold);
        if (x + wordWidth > right && lineHasText) {
          y += FLineHeight;
          x = left;
          if (!word.empty() && word[0] == u' ') word.erase(0, 1);
          wordWidth = measure(word, run.Bold);
        }
        while (x + wordWidth > right && word.size() > 1) {
          size_t fit = word.size() - 1;
          while (fit > 1 && x + measure(word.substr(0, fit), run.Bold) > right) --fit;
          FFragments.push_back({x, y, measure(word.substr(0, fit), run.Bold), word.substr(0, fit), run.Bold, run.Href});
          word.erase(0, fit);
          y += FLineHeight;
          x = left;
          wordWidth = measure(word, run.Bold);
        }
        if (!word.empty()) {
          FFragments.push_back({x, y, wordWidth, word, run.Bold, run.Href});
          x += wordWidth;
          lineHasText = true;
        }
      }
    }
    y += FLineHeight;
  }
  FContentHeight = y + kMargin;
  SelectObject(dc, old);
  DeleteDC(dc);
}

int THtmlView::ContentHeight() {
  Layout();
  return FContentHeight;
}

void THtmlView::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  Layout();
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  info.nMin = 0;
  info.nMax = std::max(FContentHeight - 1, 0);
  info.nPage = static_cast<UINT>(std::max(ClientRect().Height(), 0));
  FScroll = std::clamp(FScroll, 0, std::max(FContentHeight - ClientRect().Height(), 0));
  info.nPos = FScroll;
  SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void THtmlView::ScrollTo(int position) {
  Layout();
  const int limit = std::max(FContentHeight - (HandleAllocated() ? ClientRect().Height() : Height()), 0);
  position = std::clamp(position, 0, limit);
  if (position == FScroll) return;
  FScroll = position;
  UpdateScrollBar();
  Invalidate();
}

void THtmlView::Paint() {
  Layout();
  HDC dc = Canvas()->Handle();
  const TRect client = ClientRect();
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  RECT r{client.Left, client.Top, client.Right, client.Bottom};
  FillRect(dc, &r, white);
  DeleteObject(white);
  // The 1-pixel border of the what's-new area, in the skin's border colour.
  HBRUSH border = CreateSolidBrush(RGB(0xD0, 0xD5, 0xDD));
  FrameRect(dc, &r, border);
  DeleteObject(border);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, FNormalFont);
  for (const TFragment& f : FFragments) {
    const int y = f.Y - FScroll;
    if (y + FLineHeight < 0 || y > client.Bottom) continue;
    SelectObject(dc, f.Bold ? FBoldFont : FNormalFont);
    SetTextColor(dc, f.Href.empty() ? kTextColor : kLinkColor);
    TextOutW(dc, f.X, y, f.Text.c_str(), static_cast<int>(f.Text.size()));
    if (!f.Href.empty()) {
      // Links are underlined in their own colour.
      HBRUSH line = CreateSolidBrush(kLinkColor);
      const int start = (!f.Text.empty() && f.Text[0] == u' ') ? f.X + 3 : f.X;
      RECT underline{start, y + FLineHeight - 3, f.X + f.Width, y + FLineHeight - 2};
      FillRect(dc, &underline, line);
      DeleteObject(line);
    }
  }
  SelectObject(dc, old);
}

WideString THtmlView::LinkAt(int x, int y) {
  Layout();
  for (const TFragment& f : FFragments)
    if (!f.Href.empty() && x >= f.X && x < f.X + f.Width && y + FScroll >= f.Y && y + FScroll < f.Y + FLineHeight)
      return f.Href;
  return {};
}

bool THtmlView::OpenLink(const WideString& href) {
  if (!StartsWithNoCase(href, u"http://") && !StartsWithNoCase(href, u"https://")) return false;
  const AnsiString address = WideToUTF8(href);
  // Nothing that could end the address or start an option goes to the handler.
  if (std::any_of(address.begin(), address.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; }))
    return false;
  return reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW)) > 32;
}

void THtmlView::WMLButtonUp(TWMMouse& m) {
  inherited::WMLButtonUp(m);
  const WideString href = LinkAt(m.XPos, m.YPos);
  if (!href.empty()) OpenLink(href);
}

void THtmlView::WMMouseWheel(TWMMouseWheel& m) {
  ScrollTo(FScroll - m.WheelDelta / 120 * 3 * FLineHeight);
  m.SetResult(1);
}

void THtmlView::WndProc(TMessage& message) {
  if (message.Msg == WM_VSCROLL) {
    const int page = std::max(ClientRect().Height() - FLineHeight, FLineHeight);
    switch (LOWORD(message.WParam)) {
      case SB_LINEUP: ScrollTo(FScroll - FLineHeight); break;
      case SB_LINEDOWN: ScrollTo(FScroll + FLineHeight); break;
      case SB_PAGEUP: ScrollTo(FScroll - page); break;
      case SB_PAGEDOWN: ScrollTo(FScroll + page); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_VERT, &info);
        ScrollTo(info.nTrackPos);
        break;
      }
      case SB_TOP: ScrollTo(0); break;
      case SB_BOTTOM: ScrollTo(FContentHeight); break;
      default: break;
    }
    message.Result = 0;
    return;
  }
  if (message.Msg == WM_SIZE) {
    inherited::WndProc(message);
    FLayoutWidth = -1;
    UpdateScrollBar();
    return;
  }
  inherited::WndProc(message);
}
