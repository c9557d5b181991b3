// The header control: sections, their display order, divider tracking, clicks, drag and drop
// of sections, hot tracking and the classic painting.

#include "platform/comctl/Header.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/Text.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/DrawControls.h"

namespace platform {
namespace header_detail {

namespace {

constexpr int kDividerReach = 5;  // pixels either side of a divider that grab it
constexpr int kTextInset = 6;

// Puts a DC's objects, colours and mode back when painting is done.
struct DcState {
  explicit DcState(HDC dc) : dc(dc), saved(SaveDC(dc)) {}
  ~DcState() { RestoreDC(dc, saved); }
  DcState(const DcState&) = delete;
  DcState& operator=(const DcState&) = delete;
  HDC dc;
  int saved;
};

using comctl_detail::CopyOut;

static_assert(sizeof(HDITEMA) == sizeof(HDITEMW));
static_assert(sizeof(NMHEADERA) == sizeof(NMHEADERW));

// The cursor over a divider: a double bar with arrows to either side, drawn once.
HCURSOR SplitCursor() {
  static HCURSOR cursor = [] {
    constexpr int kSize = 32;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kSize;
    bi.bmiHeader.biHeight = -kSize;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour || !bits) return LoadCursorW(nullptr, IDC_SIZEWE);
    auto* px = static_cast<DWORD*>(bits);
    std::fill_n(px, kSize * kSize, 0u);
    auto put = [&](int x, int y, DWORD argb) {
      if (x >= 0 && y >= 0 && x < kSize && y < kSize) px[y * kSize + x] = argb;
    };
    constexpr DWORD kBlack = 0xFF000000u;
    constexpr DWORD kWhite = 0xFFFFFFFFu;
    const int cx = 15, cy = 15;
    // White outline first, then the black shape over it.
    for (int pass = 0; pass < 2; ++pass) {
      const DWORD c = pass == 0 ? kWhite : kBlack;
      const int grow = pass == 0 ? 1 : 0;
      for (int y = cy - 8 - grow; y <= cy + 8 + grow; ++y)
        for (int x = cx - 2 - grow; x <= cx + 1 + grow; ++x)
          if (pass == 0 || x == cx - 2 || x == cx + 1) put(x, y, c);
      for (int x = cx - 9 - grow; x <= cx + 8 + grow; ++x)
        for (int y = cy - 1 - grow; y <= cy + grow; ++y)
          if (pass == 0 || x < cx - 2 || x > cx + 1) put(x, y, c);
      for (int d = 1; d <= 4; ++d)
        for (int y = cy - d - grow; y <= cy + d - 1 + grow; ++y) {
          put(cx - 9 + d - grow, y, c);
          put(cx + 8 - d + grow, y, c);
        }
    }
    HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = FALSE;
    info.xHotspot = cx;
    info.yHotspot = cy;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HCURSOR made = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return made ? made : LoadCursorW(nullptr, IDC_SIZEWE);
  }();
  return cursor;
}

}  // namespace

class Header {
 public:
  explicit Header(HWND hwnd) : m_hwnd(hwnd) {
    m_unicode = comctl_detail::ParentTakesUnicode(hwnd);
  }

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  struct Section {
    int width = 0;
    std::u16string text;
    bool textCallback = false;
    int fmt = HDF_LEFT | HDF_STRING;
    LPARAM lParam = 0;
    int image = I_IMAGENONE;
    HBITMAP bitmap = nullptr;
    UINT state = 0;
  };

  int Count() const { return static_cast<int>(m_items.size()); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  HFONT Font() const { return m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
  int Height();
  RECT ItemRect(int index) const;
  int PositionOf(int index) const;
  UINT HitTest(POINT pt, int* item) const;

  int Insert(int index, const HDITEMW& in, const std::u16string* text);
  bool Delete(int index);
  bool Get(int index, HDITEMW& out, bool ansi);
  bool Set(int index, const HDITEMW& in, const std::u16string* text, bool notify);
  void ApplyOrder(int index, int position);

  LRESULT Notify(UINT codeW, UINT codeA, NMHDR* header);
  LRESULT NotifyHeader(UINT codeW, UINT codeA, int item, int button, HDITEMW* values);
  LRESULT NotifyCode(UINT code);

  void OnButtonDown(POINT pt, bool dblclk);
  void OnMouseMove(POINT pt);
  void OnButtonUp(POINT pt);
  void EndTrack(bool cancel);
  void SetHot(int item);
  void Paint(HDC dc);
  void PaintSection(HDC dc, int index, const RECT& r);
  void Invalidate() { InvalidateRect(m_hwnd, nullptr, TRUE); }

  HWND m_hwnd;
  std::vector<Section> m_items;
  std::vector<int> m_order;  // display position -> item index
  HIMAGELIST m_images = nullptr;
  HFONT m_font = nullptr;
  bool m_unicode = true;
  int m_height = -1;
  int m_hot = -1;
  enum class Mode { None, Pressed, Tracking, Dragging } m_mode = Mode::None;
  int m_active = -1;        // the pressed, tracked or dragged item
  POINT m_downAt{};
  int m_trackStartX = 0;    // the divider's x when tracking began
  int m_trackWidth = 0;     // the width while tracking
  int m_trackOriginal = 0;  // the width before tracking
  int m_dropPosition = -1;  // display position a dragged section would take
  bool m_inside = false;    // the pointer is over the pressed section
  bool m_releasing = false;
};

// ---- geometry --------------------------------------------------------------------------------

int Header::Height() {
  if (m_height > 0) return m_height;
  int height = comctl_detail::FontCellHeight(m_hwnd, Font()) + 7;
  int cx = 0, cy = 0;
  if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) height = std::max(height, cy + 6);
  m_height = height;
  return height;
}

int Header::PositionOf(int index) const {
  for (size_t i = 0; i < m_order.size(); ++i)
    if (m_order[i] == index) return static_cast<int>(i);
  return -1;
}

RECT Header::ItemRect(int index) const {
  RECT client;
  GetClientRect(m_hwnd, &client);
  int x = 0;
  for (int item : m_order) {
    const int w = std::max(0, m_items[static_cast<size_t>(item)].width);
    if (item == index) return RECT{x, 0, x + w, client.bottom};
    x += w;
  }
  return RECT{};
}

UINT Header::HitTest(POINT pt, int* item) const {
  *item = -1;
  RECT client;
  GetClientRect(m_hwnd, &client);
  UINT flags = 0;
  if (pt.y < 0) flags |= HHT_ABOVE;
  if (pt.y >= client.bottom) flags |= HHT_BELOW;
  if (pt.x < 0) flags |= HHT_TOLEFT;
  if (pt.x >= client.right) flags |= HHT_TORIGHT;
  if (flags) return flags;
  // Dividers first: the nearest right edge within reach, the later one winning ties so that
  // a section squeezed to nothing can still be widened.
  int x = 0;
  int best = -1, bestDistance = kDividerReach + 1;
  bool bestZero = false;
  for (int item0 : m_order) {
    const int w = std::max(0, m_items[static_cast<size_t>(item0)].width);
    x += w;
    const int distance = std::abs(pt.x - x);
    if (distance <= kDividerReach && distance <= bestDistance) {
      best = item0;
      bestDistance = distance;
      bestZero = w == 0;
    }
  }
  if (best >= 0 && !(Style() & HDS_NOSIZING)) {
    *item = best;
    return bestZero ? HHT_ONDIVOPEN : HHT_ONDIVIDER;
  }
  x = 0;
  for (int item0 : m_order) {
    const int w = std::max(0, m_items[static_cast<size_t>(item0)].width);
    if (pt.x >= x && pt.x < x + w) {
      *item = item0;
      return HHT_ONHEADER;
    }
    x += w;
  }
  return HHT_NOWHERE;
}

// ---- model -----------------------------------------------------------------------------------

int Header::Insert(int index, const HDITEMW& in, const std::u16string* text) {
  index = std::clamp(index, 0, Count());
  Section s;
  if (in.mask & HDI_WIDTH) s.width = in.cxy;
  if (in.mask & HDI_TEXT) {
    if (text) s.text = *text;
    else s.textCallback = true;
  }
  if (in.mask & HDI_FORMAT) s.fmt = in.fmt;
  if (in.mask & HDI_LPARAM) s.lParam = in.lParam;
  if (in.mask & HDI_IMAGE) s.image = in.iImage;
  if (in.mask & HDI_BITMAP) s.bitmap = in.hbm;
  if (in.mask & HDI_STATE) s.state = in.state;
  m_items.insert(m_items.begin() + index, s);
  for (int& item : m_order)
    if (item >= index) ++item;
  int position = index;
  if (in.mask & HDI_ORDER) position = in.iOrder;
  position = std::clamp(position, 0, static_cast<int>(m_order.size()));
  m_order.insert(m_order.begin() + position, index);
  if (m_hot >= index) ++m_hot;
  if (m_active >= index) ++m_active;
  Invalidate();
  return index;
}

bool Header::Delete(int index) {
  if (!Valid(index)) return false;
  if (m_active == index) EndTrack(true);
  m_items.erase(m_items.begin() + index);
  m_order.erase(std::find(m_order.begin(), m_order.end(), index));
  for (int& item : m_order)
    if (item > index) --item;
  if (m_hot == index) m_hot = -1;
  else if (m_hot > index) --m_hot;
  if (m_active > index) --m_active;
  Invalidate();
  return true;
}

bool Header::Get(int index, HDITEMW& out, bool ansi) {
  if (!Valid(index)) return false;
  const Section& s = m_items[static_cast<size_t>(index)];
  if (out.mask & HDI_WIDTH) out.cxy = s.width;
  if (out.mask & HDI_FORMAT) out.fmt = s.fmt;
  if (out.mask & HDI_LPARAM) out.lParam = s.lParam;
  if (out.mask & HDI_IMAGE) out.iImage = s.image;
  if (out.mask & HDI_BITMAP) out.hbm = s.bitmap;
  if (out.mask & HDI_ORDER) out.iOrder = PositionOf(index);
  if (out.mask & HDI_STATE) out.state = s.state;
  if (out.mask & HDI_TEXT) {
    std::u16string text = s.text;
    if (s.textCallback) {
      NMHDDISPINFOW nm{};
      std::vector<char16_t> buffer(1024, 0);
      nm.iItem = index;
      nm.mask = HDI_TEXT;
      nm.pszText = buffer.data();
      nm.cchTextMax = static_cast<int>(buffer.size());
      nm.lParam = s.lParam;
      Notify(HDN_GETDISPINFOW, HDN_GETDISPINFOA, &nm.hdr);
      if (!nm.pszText) text.clear();
      else if (m_unicode) text.assign(nm.pszText);
      else text = Utf8ToUtf16(reinterpret_cast<const char*>(nm.pszText));
    }
    if (ansi) CopyOut(Utf16ToUtf8(text), reinterpret_cast<HDITEMA&>(out).pszText, out.cchTextMax);
    else CopyOut(text, out.pszText, out.cchTextMax);
  }
  return true;
}

bool Header::Set(int index, const HDITEMW& in, const std::u16string* text, bool notify) {
  if (!Valid(index)) return false;
  HDITEMW values = in;
  if (notify && NotifyHeader(HDN_ITEMCHANGINGW, HDN_ITEMCHANGINGA, index, 0, &values)) return false;
  if (!Valid(index)) return false;
  Section& s = m_items[static_cast<size_t>(index)];
  if (in.mask & HDI_WIDTH) s.width = in.cxy;
  if (in.mask & HDI_TEXT) {
    s.textCallback = text == nullptr;
    s.text = text ? *text : std::u16string();
  }
  if (in.mask & HDI_FORMAT) s.fmt = in.fmt;
  if (in.mask & HDI_LPARAM) s.lParam = in.lParam;
  if (in.mask & HDI_IMAGE) s.image = in.iImage;
  if (in.mask & HDI_BITMAP) s.bitmap = in.hbm;
  if (in.mask & HDI_STATE) s.state = in.state;
  if (in.mask & HDI_ORDER) ApplyOrder(index, in.iOrder);
  Invalidate();
  if (notify) NotifyHeader(HDN_ITEMCHANGEDW, HDN_ITEMCHANGEDA, index, 0, &values);
  return true;
}

void Header::ApplyOrder(int index, int position) {
  auto it = std::find(m_order.begin(), m_order.end(), index);
  if (it == m_order.end()) return;
  m_order.erase(it);
  position = std::clamp(position, 0, static_cast<int>(m_order.size()));
  m_order.insert(m_order.begin() + position, index);
  Invalidate();
}

// ---- notifications ---------------------------------------------------------------------------

LRESULT Header::Notify(UINT codeW, UINT codeA, NMHDR* header) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return 0;
  header->hwndFrom = m_hwnd;
  header->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  header->code = m_unicode ? codeW : codeA;
  return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT Header::NotifyHeader(UINT codeW, UINT codeA, int item, int button, HDITEMW* values) {
  NMHEADERW nm{};
  nm.iItem = item;
  nm.iButton = button;
  // The A record carries UTF-8 text: hand over a copy whose text pointer reads as such.
  HDITEMW copy{};
  std::string ansi;
  if (values) {
    copy = *values;
    if (!m_unicode && (copy.mask & HDI_TEXT) && copy.pszText && copy.pszText != LPSTR_TEXTCALLBACKW) {
      ansi = Utf16ToUtf8(copy.pszText);
      copy.pszText = reinterpret_cast<LPWSTR>(ansi.data());
    }
    nm.pitem = &copy;
  }
  const LRESULT answer = Notify(codeW, codeA, &nm.hdr);
  if (values) {
    // What the parent may change in place (the width while tracking, the new order).
    values->cxy = copy.cxy;
    values->iOrder = copy.iOrder;
  }
  return answer;
}

LRESULT Header::NotifyCode(UINT code) {
  NMHDR header{};
  return Notify(code, code, &header);
}

// ---- input -----------------------------------------------------------------------------------

void Header::OnButtonDown(POINT pt, bool dblclk) {
  int item = -1;
  const UINT where = HitTest(pt, &item);
  if (dblclk) {
    if ((where & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) && item >= 0) {
      NotifyHeader(HDN_DIVIDERDBLCLICKW, HDN_DIVIDERDBLCLICKA, item, 0, nullptr);
      return;
    }
    if ((where & HHT_ONHEADER) && item >= 0) NotifyHeader(HDN_ITEMDBLCLICKW, HDN_ITEMDBLCLICKA, item, 0, nullptr);
    // A double click is also a press (the second click of a button).
  }
  if ((where & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) && item >= 0) {
    HDITEMW values{};
    values.mask = HDI_WIDTH;
    values.cxy = m_items[static_cast<size_t>(item)].width;
    if (NotifyHeader(HDN_BEGINTRACKW, HDN_BEGINTRACKA, item, 0, &values)) return;
    if (!Valid(item)) return;
    m_mode = Mode::Tracking;
    m_active = item;
    m_downAt = pt;
    m_trackOriginal = m_trackWidth = m_items[static_cast<size_t>(item)].width;
    m_trackStartX = ItemRect(item).right;
    SetCapture(m_hwnd);
    return;
  }
  if ((where & HHT_ONHEADER) && item >= 0) {
    m_active = item;
    m_downAt = pt;
    m_inside = true;
    m_mode = Mode::Pressed;
    SetCapture(m_hwnd);
    if (Style() & HDS_BUTTONS) InvalidateRect(m_hwnd, nullptr, TRUE);
  }
}

void Header::OnMouseMove(POINT pt) {
  switch (m_mode) {
    case Mode::None: {
      if (Style() & HDS_HOTTRACK) {
        int item = -1;
        const UINT where = HitTest(pt, &item);
        SetHot((where & HHT_ONHEADER) ? item : -1);
      }
      return;
    }
    case Mode::Tracking: {
      const int width = std::max(0, m_trackOriginal + pt.x - m_downAt.x);
      if (width == m_trackWidth) return;
      HDITEMW values{};
      values.mask = HDI_WIDTH;
      values.cxy = width;
      if (NotifyHeader(HDN_TRACKW, HDN_TRACKA, m_active, 0, &values)) {
        EndTrack(false);
        return;
      }
      m_trackWidth = std::max(0, values.cxy);
      if (Style() & HDS_FULLDRAG) {
        HDITEMW set{};
        set.mask = HDI_WIDTH;
        set.cxy = m_trackWidth;
        Set(m_active, set, nullptr, true);
      } else {
        Invalidate();
      }
      return;
    }
    case Mode::Pressed: {
      const bool inside = ItemRect(m_active).left <= pt.x && pt.x < ItemRect(m_active).right && pt.y >= 0 &&
                          pt.y < Height();
      const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
      if ((Style() & HDS_DRAGDROP) && (std::abs(pt.x - m_downAt.x) > cx || std::abs(pt.y - m_downAt.y) > cy)) {
        if (!NotifyHeader(HDN_BEGINDRAG, HDN_BEGINDRAG, m_active, 0, nullptr) && Valid(m_active)) {
          m_mode = Mode::Dragging;
          m_dropPosition = PositionOf(m_active);
          Invalidate();
          OnMouseMove(pt);
          return;
        }
      }
      if (inside != m_inside) {
        m_inside = inside;
        if (Style() & HDS_BUTTONS) Invalidate();
      }
      return;
    }
    case Mode::Dragging: {
      // The position whose section's middle the pointer passed.
      int position = 0, x = 0;
      for (size_t i = 0; i < m_order.size(); ++i) {
        const int w = std::max(0, m_items[static_cast<size_t>(m_order[i])].width);
        if (pt.x >= x + w / 2) position = static_cast<int>(i) + 1;
        x += w;
      }
      const int from = PositionOf(m_active);
      if (position > from) --position;  // the section leaves its own place first
      position = std::clamp(position, 0, std::max(0, Count() - 1));
      if (position != m_dropPosition) {
        m_dropPosition = position;
        Invalidate();
      }
      return;
    }
  }
}

void Header::OnButtonUp(POINT pt) {
  const Mode mode = m_mode;
  const int item = m_active;
  if (mode == Mode::None) return;
  if (mode == Mode::Tracking) {
    EndTrack(false);
    return;
  }
  m_mode = Mode::None;
  m_active = -1;
  if (mode == Mode::Dragging) {
    HDITEMW values{};
    values.mask = HDI_ORDER;
    values.iOrder = m_dropPosition;
    const int position = m_dropPosition;
    m_dropPosition = -1;
    if (!NotifyHeader(HDN_ENDDRAG, HDN_ENDDRAG, item, 0, &values) && Valid(item)) ApplyOrder(item, position);
    Invalidate();
  } else {
    Invalidate();
    const RECT r = ItemRect(item);
    if (Valid(item) && pt.x >= r.left && pt.x < r.right && pt.y >= 0 && pt.y < r.bottom && (Style() & HDS_BUTTONS))
      NotifyHeader(HDN_ITEMCLICKW, HDN_ITEMCLICKA, item, 0, nullptr);
  }
  // The new order is in place before anyone learns the capture is gone.
  if (GetCapture() == m_hwnd) ReleaseCapture();
}

void Header::EndTrack(bool cancel) {
  if (m_mode != Mode::Tracking) {
    m_mode = Mode::None;
    m_active = -1;
    return;
  }
  const int item = m_active;
  m_mode = Mode::None;
  m_active = -1;
  if (!cancel && Valid(item)) {
    HDITEMW values{};
    values.mask = HDI_WIDTH;
    values.cxy = m_trackWidth;
    const LRESULT refused = NotifyHeader(HDN_ENDTRACKW, HDN_ENDTRACKA, item, 0, &values);
    if (!refused && Valid(item) && m_items[static_cast<size_t>(item)].width != values.cxy) {
      HDITEMW set{};
      set.mask = HDI_WIDTH;
      set.cxy = std::max(0, values.cxy);
      Set(item, set, nullptr, true);
    } else if (refused && Valid(item) && (Style() & HDS_FULLDRAG)) {
      HDITEMW set{};
      set.mask = HDI_WIDTH;
      set.cxy = m_trackOriginal;
      Set(item, set, nullptr, true);
    }
  }
  Invalidate();
  if (GetCapture() == m_hwnd) ReleaseCapture();
}

void Header::SetHot(int item) {
  if (item == m_hot) return;
  m_hot = item;
  Invalidate();
  if (item >= 0) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hwnd, 0};
    TrackMouseEvent(&track);
  }
}

// ---- painting --------------------------------------------------------------------------------

void Header::PaintSection(HDC dc, int index, const RECT& r) {
  const Section& s = m_items[static_cast<size_t>(index)];
  const bool pressed = m_mode == Mode::Pressed && m_active == index && m_inside && (Style() & HDS_BUTTONS);
  const bool hot = m_hot == index && (Style() & HDS_HOTTRACK);
  RECT box = r;
  HBRUSH face = CreateSolidBrush(hot ? RGB(0xE8, 0xE8, 0xE8) : GetSysColor(COLOR_BTNFACE));
  FillRect(dc, &box, face);
  DeleteObject(face);
  if (pressed) {
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    FrameRect(dc, &box, shadow);
  } else {
    DrawEdge(dc, &box, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  RECT content{r.left + kTextInset, r.top + 1, r.right - kTextInset, r.bottom - 1};
  if (pressed) OffsetRect(&content, 1, 1);
  // Image on the left (or right with HDF_BITMAP_ON_RIGHT), then the caption.
  int cx = 0, cy = 0;
  if ((s.fmt & HDF_IMAGE) && m_images && s.image >= 0 && ImageList_GetIconSize(m_images, &cx, &cy) &&
      content.right - content.left > cx) {
    const int y = content.top + (content.bottom - content.top - cy) / 2;
    if (s.fmt & HDF_BITMAP_ON_RIGHT) {
      ImageList_Draw(m_images, s.image, dc, content.right - cx, y, ILD_TRANSPARENT);
      content.right -= cx + 3;
    } else {
      ImageList_Draw(m_images, s.image, dc, content.left, y, ILD_TRANSPARENT);
      content.left += cx + 3;
    }
  }
  const bool sortMark = (s.fmt & (HDF_SORTUP | HDF_SORTDOWN)) != 0;
  if (sortMark) content.right -= 12;
  std::u16string text = s.text;
  if (s.textCallback) {
    HDITEMW get{};
    std::vector<char16_t> buffer(1024, 0);
    get.mask = HDI_TEXT;
    get.pszText = buffer.data();
    get.cchTextMax = static_cast<int>(buffer.size());
    if (Get(index, get, false)) text.assign(buffer.data());
  }
  UINT align = DT_LEFT;
  if ((s.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
  else if ((s.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(m_hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  if (!text.empty() && content.right > content.left)
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &content,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (sortMark && r.right - r.left > 20) {
    // A small triangle at the right, pointing up for ascending.
    const int ax = r.right - kTextInset - 8;
    const int ay = (r.top + r.bottom) / 2;
    const bool up = (s.fmt & HDF_SORTUP) != 0;
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int i = 0; i < 4; ++i) {
      const int y = up ? ay - 2 + i : ay + 1 - i;
      MoveToEx(dc, ax + 3 - i, y, nullptr);
      LineTo(dc, ax + 4 + i, y);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
}

void Header::Paint(HDC dc) {
  DcState state(dc);
  SelectObject(dc, Font());
  RECT client;
  GetClientRect(m_hwnd, &client);
  int x = 0;
  for (int item : m_order) {
    const int w = std::max(0, m_items[static_cast<size_t>(item)].width);
    RECT r{x, 0, x + w, client.bottom};
    if (w > 0) PaintSection(dc, item, r);
    x += w;
  }
  if (x < client.right) {
    RECT rest{x, 0, client.right, client.bottom};
    FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  if (m_mode == Mode::Dragging && m_dropPosition >= 0) {
    // Where the dragged section would land: a bar at the left edge of that position.
    std::vector<int> order = m_order;
    order.erase(std::find(order.begin(), order.end(), m_active));
    int bx = 0;
    for (int i = 0; i < m_dropPosition && i < static_cast<int>(order.size()); ++i)
      bx += std::max(0, m_items[static_cast<size_t>(order[static_cast<size_t>(i)])].width);
    RECT bar{std::max(0, bx - 1), 0, bx + 2, client.bottom};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  if (m_mode == Mode::Tracking && !(Style() & HDS_FULLDRAG) && m_active >= 0) {
    const int lineX = ItemRect(m_active).left + m_trackWidth;
    RECT bar{lineX - 1, 0, lineX + 1, client.bottom};
    InvertRect(dc, &bar);
  }
}

// ---- messages --------------------------------------------------------------------------------

LRESULT Header::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case HDM_GETITEMCOUNT: return Count();
    case HDM_INSERTITEMW:
    case HDM_INSERTITEMA: {
      if (!lParam) return -1;
      const auto& in = *reinterpret_cast<const HDITEMW*>(lParam);
      std::u16string text;
      const std::u16string* textPtr = nullptr;
      if (in.mask & HDI_TEXT) {
        if (msg == HDM_INSERTITEMA) {
          auto p = reinterpret_cast<const HDITEMA&>(in).pszText;
          if (p != LPSTR_TEXTCALLBACKA) text = Utf8ToUtf16(p ? p : ""), textPtr = &text;
        } else if (in.pszText != LPSTR_TEXTCALLBACKW) {
          text.assign(in.pszText ? in.pszText : u""), textPtr = &text;
        }
      }
      return Insert(static_cast<int>(wParam), in, textPtr);
    }
    case HDM_DELETEITEM: return Delete(static_cast<int>(wParam));
    case HDM_GETITEMW:
    case HDM_GETITEMA:
      if (!lParam) return FALSE;
      return Get(static_cast<int>(wParam), *reinterpret_cast<HDITEMW*>(lParam), msg == HDM_GETITEMA);
    case HDM_SETITEMW:
    case HDM_SETITEMA: {
      if (!lParam) return FALSE;
      const auto& in = *reinterpret_cast<const HDITEMW*>(lParam);
      std::u16string text;
      const std::u16string* textPtr = nullptr;
      if (in.mask & HDI_TEXT) {
        if (msg == HDM_SETITEMA) {
          auto p = reinterpret_cast<const HDITEMA&>(in).pszText;
          if (p != LPSTR_TEXTCALLBACKA) text = Utf8ToUtf16(p ? p : ""), textPtr = &text;
        } else if (in.pszText != LPSTR_TEXTCALLBACKW) {
          text.assign(in.pszText ? in.pszText : u""), textPtr = &text;
        }
      }
      return Set(static_cast<int>(wParam), in, textPtr, true);
    }
    case HDM_LAYOUT: {
      auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
      if (!layout || !layout->prc || !layout->pwpos) return FALSE;
      const int height = (Style() & HDS_HIDDEN) ? 0 : Height();
      RECT& r = *layout->prc;
      WINDOWPOS& pos = *layout->pwpos;
      pos = WINDOWPOS{};
      pos.hwnd = m_hwnd;
      pos.x = r.left;
      pos.y = r.top;
      pos.cx = r.right - r.left;
      pos.cy = height;
      pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
      r.top += height;
      return TRUE;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
      if (!info) return -1;
      int item = -1;
      info->flags = HitTest(info->pt, &item);
      info->iItem = item;
      return item;
    }
    case HDM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !Valid(static_cast<int>(wParam))) return FALSE;
      *rect = ItemRect(static_cast<int>(wParam));
      return TRUE;
    }
    case HDM_SETIMAGELIST: {
      if (wParam != HDSIL_NORMAL) return 0;
      HIMAGELIST old = m_images;
      m_images = reinterpret_cast<HIMAGELIST>(lParam);
      m_height = -1;
      Invalidate();
      return reinterpret_cast<LRESULT>(old);
    }
    case HDM_GETIMAGELIST: return wParam == HDSIL_NORMAL ? reinterpret_cast<LRESULT>(m_images) : 0;
    case HDM_ORDERTOINDEX: {
      const auto position = static_cast<int>(wParam);
      if (position < 0 || position >= static_cast<int>(m_order.size())) return static_cast<LRESULT>(wParam);
      return m_order[static_cast<size_t>(position)];
    }
    case HDM_GETORDERARRAY: {
      auto* out = reinterpret_cast<int*>(lParam);
      if (!out || static_cast<int>(wParam) != Count()) return FALSE;
      std::copy(m_order.begin(), m_order.end(), out);
      return TRUE;
    }
    case HDM_SETORDERARRAY: {
      const auto* in = reinterpret_cast<const int*>(lParam);
      if (!in || static_cast<int>(wParam) != Count()) return FALSE;
      std::vector<int> order(in, in + Count());
      std::vector<int> sorted = order;
      std::sort(sorted.begin(), sorted.end());
      for (int i = 0; i < Count(); ++i)
        if (sorted[static_cast<size_t>(i)] != i) return FALSE;  // not a permutation
      m_order = std::move(order);
      Invalidate();
      return TRUE;
    }
    case HDM_CREATEDRAGIMAGE: {
      const int index = static_cast<int>(wParam);
      if (!Valid(index)) return 0;
      const RECT r = ItemRect(index);
      const int w = std::max(1, static_cast<int>(r.right - r.left)), h = std::max(1, static_cast<int>(r.bottom - r.top));
      HDC screen = GetDC(nullptr);
      HDC mem = CreateCompatibleDC(screen);
      HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
      HGDIOBJ old = SelectObject(mem, bitmap);
      SetWindowOrgEx(mem, r.left, 0, nullptr);
      {
        DcState state(mem);
        SelectObject(mem, Font());
        PaintSection(mem, index, r);
      }
      SelectObject(mem, old);
      DeleteDC(mem);
      ReleaseDC(nullptr, screen);
      HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR32, 1, 1);
      ImageList_Add(list, bitmap, nullptr);
      DeleteObject(bitmap);
      return reinterpret_cast<LRESULT>(list);
    }
    case CCM_SETUNICODEFORMAT: {
      const bool old = m_unicode;
      m_unicode = wParam != 0;
      return old;
    }
    case CCM_GETUNICODEFORMAT: return m_unicode;
    case WM_NOTIFYFORMAT:
      if (lParam == NF_REQUERY) comctl_detail::RequeryNotifyFormat(m_hwnd, m_unicode);
      return m_unicode ? NFR_UNICODE : NFR_ANSI;
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      m_height = -1;
      if (lParam) Invalidate();
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT: return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == m_hwnd && LOWORD(lParam) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(m_hwnd, &pt);
        int item = -1;
        const UINT where = HitTest(pt, &item);
        if (m_mode == Mode::Tracking || (where & (HHT_ONDIVIDER | HHT_ONDIVOPEN))) {
          SetCursor(SplitCursor());
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE: OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_LBUTTONUP: OnButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_RBUTTONUP: {
      NMHDR header{};
      Notify(NM_RCLICK, NM_RCLICK, &header);
      return 0;
    }
    case WM_MOUSELEAVE: SetHot(-1); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && m_mode != Mode::None) {
        if (m_mode == Mode::Tracking) {
          if (Style() & HDS_FULLDRAG) {
            HDITEMW set{};
            set.mask = HDI_WIDTH;
            set.cxy = m_trackOriginal;
            Set(m_active, set, nullptr, true);
          }
          EndTrack(true);
        } else {
          m_mode = Mode::None;
          m_active = -1;
          m_dropPosition = -1;
          Invalidate();
          if (GetCapture() == m_hwnd) ReleaseCapture();
        }
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
        if (m_mode == Mode::Tracking) EndTrack(true);
        m_mode = Mode::None;
        m_active = -1;
        m_dropPosition = -1;
        Invalidate();
        NotifyCode(NM_RELEASEDCAPTURE);
      }
      return 0;
    case WM_SIZE: Invalidate(); return 0;
    case WM_STYLECHANGED:
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE: m_height = -1; Invalidate(); return 0;
    default: break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

namespace {

void RegisterHeaderClass() {
  comctl_detail::RegisterControlClass(
      {.name = WC_HEADERW, .procedure = comctl_detail::ControlWindowProc<Header>, .style = CS_DBLCLKS | CS_GLOBALCLASS});
}

const comctl_detail::ClassRegistration g_registration(RegisterHeaderClass);

}  // namespace

}  // namespace header_detail
}  // namespace platform
