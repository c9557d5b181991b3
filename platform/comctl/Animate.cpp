// The animation control: a strip of PNG frames played on the window's timer.

#include "platform/comctl/Animate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DcGuards.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/PictureReader.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/Resources.h"
#include "platform/user/SystemParams.h"

namespace platform {
namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr int kDefaultFrameTimeMs = 100;

// The value of a PNG text chunk (tEXt) with the keyword, or empty.
std::string PngText(const std::vector<uint8_t>& file, const std::string& keyword) {
  size_t at = 8;
  while (at + 12 <= file.size()) {
    const uint32_t length = uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 | uint32_t(file[at + 2]) << 8 | file[at + 3];
    if (length > file.size() - at - 12) break;
    if (std::memcmp(&file[at + 4], "tEXt", 4) == 0) {
      const char* data = reinterpret_cast<const char*>(&file[at + 8]);
      const std::string text(data, length);
      const size_t zero = text.find('\0');
      if (zero != std::string::npos && text.compare(0, zero, keyword) == 0) return text.substr(zero + 1);
    }
    if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) break;  // text of interest comes first
    at += 12 + length;
  }
  return {};
}

class Animate {
 public:
  explicit Animate(HWND hwnd) : m_hwnd(hwnd) {}
  ~Animate() { Close(); }

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  int CurrentFrame() const { return m_strip ? m_frame : -1; }
  bool ClipInfo(int* frames, int* width, int* height) const {
    if (!m_strip) return false;
    *frames = m_frames;
    *width = m_frameWidth;
    *height = m_frameHeight;
    return true;
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  bool Open(LPCWSTR name);
  void Close();
  bool Play(int repeat, int first, int last);
  void Stop();
  void Tick();
  void Notify(WORD code);
  void Paint(HDC dc);
  RECT FrameRect() const;

  HWND m_hwnd;
  HBITMAP m_strip = nullptr;  // premultiplied 32-bit frames side by side
  int m_frameWidth = 0;
  int m_frameHeight = 0;
  int m_frames = 0;
  int m_frameTimeMs = kDefaultFrameTimeMs;
  int m_frame = 0;
  bool m_playing = false;
  int m_first = 0;
  int m_last = 0;
  int m_repeatsLeft = 0;  // -1 for ever
};

bool Animate::Open(LPCWSTR name) {
  Stop();
  Close();
  if (!name) {
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return false;
  }
  std::vector<uint8_t> bytes;
  if (HRSRC resource = FindResourceW(nullptr, name, RT_RCDATA)) {
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    if (data) bytes.assign(data, data + SizeofResource(nullptr, resource));
  } else if (!IS_INTRESOURCE(name)) {
    std::ifstream in(FileSystemPath(Utf16ToUtf8(name)), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  picture::Png png;
  if (bytes.empty() || !picture::ReadPng(bytes, &png, picture::PngLayout::Argb)) return false;
  const int frames = std::max(1, std::atoi(PngText(bytes, "Frames").c_str()));
  if (png.width % frames != 0 || png.width <= 0 || png.height <= 0) return false;
  const int frameTime = std::atoi(PngText(bytes, "FrameTime").c_str());

  BITMAPINFO info = TopDownBitmapInfo32(png.width, png.height);
  void* bits = nullptr;
  m_strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!m_strip || !bits) {
    Close();
    return false;
  }
  auto* out = static_cast<uint32_t*>(bits);
  const auto* in = reinterpret_cast<const uint32_t*>(png.pixels.data());
  for (size_t i = 0, n = size_t(png.width) * png.height; i < n; ++i) {
    const uint32_t p = in[i], a = p >> 24;
    auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    out[i] = a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 | mul(p & 0xFF);
  }
  m_frames = frames;
  m_frameWidth = png.width / frames;
  m_frameHeight = png.height;
  m_frameTimeMs = frameTime > 0 ? frameTime : kDefaultFrameTimeMs;
  m_frame = 0;
  if (!(Style() & ACS_CENTER))
    SetWindowPos(m_hwnd, nullptr, 0, 0, m_frameWidth, m_frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(m_hwnd, nullptr, TRUE);
  if (Style() & ACS_AUTOPLAY) Play(-1, 0, 0xFFFF);
  return true;
}

void Animate::Close() {
  if (m_strip) DeleteObject(m_strip);
  m_strip = nullptr;
  m_frames = m_frameWidth = m_frameHeight = 0;
  m_frame = 0;
}

bool Animate::Play(int repeat, int first, int last) {
  if (!m_strip) return false;
  Stop();
  if (last == 0xFFFF || last >= m_frames) last = m_frames - 1;
  first = std::clamp(first, 0, m_frames - 1);
  if (first > last) return false;
  m_frame = first;
  InvalidateRect(m_hwnd, nullptr, TRUE);
  if (first == last || repeat == 0) return true;  // a seek
  m_first = first;
  m_last = last;
  m_repeatsLeft = repeat;
  m_playing = true;
  SetTimer(m_hwnd, kFrameTimer, static_cast<UINT>(m_frameTimeMs), nullptr);
  Notify(ACN_START);
  return true;
}

void Animate::Stop() {
  if (!m_playing) return;
  m_playing = false;
  KillTimer(m_hwnd, kFrameTimer);
  Notify(ACN_STOP);
}

void Animate::Tick() {
  if (!m_playing) return;
  if (m_frame < m_last) {
    ++m_frame;
  } else if (m_repeatsLeft < 0 || --m_repeatsLeft > 0) {
    m_frame = m_first;
  } else {
    Stop();  // the last frame stays on show
    return;
  }
  InvalidateRect(m_hwnd, nullptr, FALSE);
}

void Animate::Notify(WORD code) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return;
  const int id = static_cast<int>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(m_hwnd));
}

RECT Animate::FrameRect() const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  if (!(Style() & ACS_CENTER)) return RECT{0, 0, m_frameWidth, m_frameHeight};
  const int x = (client.right - m_frameWidth) / 2, y = (client.bottom - m_frameHeight) / 2;
  return RECT{x, y, x + m_frameWidth, y + m_frameHeight};
}

void Animate::Paint(HDC dc) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  HBRUSH background = nullptr;
  if (Style() & ACS_TRANSPARENT) {
    if (HWND parent = GetParent(m_hwnd))
      background = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(m_hwnd)));
    if (!background) background = GetSysColorBrush(COLOR_BTNFACE);
  } else {
    background = GetSysColorBrush(COLOR_WINDOW);
  }
  FillRect(dc, &client, background);
  if (!m_strip) return;
  const RECT target = FrameRect();
  const BitmapDc source(m_strip, dc);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, target.left, target.top, m_frameWidth, m_frameHeight, source.get(), m_frame * m_frameWidth, 0,
             m_frameWidth, m_frameHeight, blend);
}

LRESULT Animate::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case ACM_OPENW: return Open(reinterpret_cast<LPCWSTR>(lParam));
    case ACM_OPENA: {
      const auto* name = reinterpret_cast<LPCSTR>(lParam);
      if (!name || IS_INTRESOURCE(name)) return Open(reinterpret_cast<LPCWSTR>(lParam));
      const std::u16string wide = Utf8ToUtf16(name);
      return Open(wide.c_str());
    }
    case ACM_PLAY:
      return Play(static_cast<int>(static_cast<INT_PTR>(wParam)), LOWORD(lParam), HIWORD(lParam));
    case ACM_STOP: Stop(); return TRUE;
    case ACM_ISPLAYING: return m_playing;
    case WM_TIMER:
      if (wParam == kFrameTimer) Tick();
      return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (wParam) Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE: InvalidateRect(m_hwnd, nullptr, TRUE); return 0;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_DESTROY: Stop(); return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    default: return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

// Every animation control by its window (GUI thread only).
std::map<HWND, Animate*>& Controls() {
  static std::map<HWND, Animate*> controls;
  return controls;
}

LRESULT AnimateWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCDESTROY) Controls().erase(hwnd);
  const LRESULT result = comctl_detail::ControlWindowProc<Animate>(hwnd, msg, wParam, lParam);
  if (msg == WM_NCCREATE) Controls()[hwnd] = comctl_detail::ControlOfWindow<Animate>(hwnd);
  return result;
}

void RegisterAnimateClass() {
  comctl_detail::RegisterControlClass({.name = ANIMATE_CLASSW,
                                       .procedure = AnimateWindowProc,
                                       .style = CS_PARENTDC | CS_HREDRAW | CS_VREDRAW});
}

const comctl_detail::ClassRegistration g_registration(RegisterAnimateClass);

}  // namespace

namespace {
// Classes made over this one (the class library's) carry other names, so the control is found
// by its window.
Animate* ControlOf(HWND animate) {
  auto found = Controls().find(animate);
  return found == Controls().end() ? nullptr : found->second;
}
}  // namespace

int detail::AnimateCurrentFrame(HWND animate) {
  Animate* control = ControlOf(animate);
  return control ? control->CurrentFrame() : -1;
}

bool detail::AnimateClipInfo(HWND animate, int* frames, int* width, int* height) {
  Animate* control = ControlOf(animate);
  return control && control->ClipInfo(frames, width, height);
}

}  // namespace platform
