#include "program/app/dialogs/PlacesBar.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/shell/SpecialFolders.h"
#include "platform/shell/UserDirs.h"
#include "program/engine/LanguageEngine.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinItem.h"
#include "rtl/Strings.h"

namespace {

// The dialog's own colours, from the light theme's palette.
constexpr TColor kSurface = static_cast<TColor>(0xFFFFFF);
constexpr TColor kHover = static_cast<TColor>(0xF7F4F2);    // #F2F4F7
constexpr TColor kCurrent = static_cast<TColor>(0xFDEFE8);  // accent, light
constexpr TColor kText = static_cast<TColor>(0x28231F);     // #1F2328
constexpr TColor kBorder = static_cast<TColor>(0xDDD5D0);   // #D0D5DD

bool IsFolder(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string SpecialFolder(int csidl) {
  char16_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
  return WideToUTF8(path);
}

// Octal escapes of /proc/self/mounts ("\040" is a blank).
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      const std::string digits = text.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

static bool RowContains(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

std::vector<TDialogPlace> DialogPlaces() {
  std::vector<TDialogPlace> places;
  auto add = [&](const std::string& path, const char16_t* key, int glyph) {
    if (path.empty() || !IsFolder(path)) return;
    for (const TDialogPlace& p : places)
      if (p.Path == UTF8ToWide(path)) return;
    places.push_back({LanguageText(key), UTF8ToWide(path), glyph});
  };
  add(platform::HomeFolder(), u"FD_Place_Home", 20);
  add(SpecialFolder(CSIDL_DESKTOPDIRECTORY), u"FD_Place_Desktop", 21);
  add(SpecialFolder(CSIDL_PERSONAL), u"FD_Place_Documents", 22);
  add(platform::ReadUserDir("DOWNLOAD"), u"FD_Place_Downloads", 23);
  add(SpecialFolder(CSIDL_MYMUSIC), u"FD_Place_Music", 24);
  add(SpecialFolder(CSIDL_MYPICTURES), u"FD_Place_Pictures", 25);
  add(SpecialFolder(CSIDL_MYVIDEO), u"FD_Place_Videos", 26);
  add("/", u"FD_Place_FileSystem", 28);
  // Mounted volumes: removable media and the usual mount folders.
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, point;
    if (!(fields >> device >> point)) continue;
    point = Unescape(point);
    if (point.rfind("/media/", 0) != 0 && point.rfind("/run/media/", 0) != 0 && point.rfind("/mnt/", 0) != 0) continue;
    if (!IsFolder(point)) continue;
    const size_t slash = point.find_last_of('/');
    for (const TDialogPlace& p : places)
      if (p.Path == UTF8ToWide(point)) goto next;
    places.push_back({UTF8ToWide(point.substr(slash + 1)), UTF8ToWide(point), 27});
  next:;
  }
  return places;
}

TPlacesBar::TPlacesBar(TComponent* owner) : TCustomControl(owner) {
  SetTabStop(true);
  SetDoubleBuffered(true);
}

void TPlacesBar::SetPlaces(std::vector<TDialogPlace> places) {
  FPlaces = std::move(places);
  FCurrent = -1;
  FHot = -1;
  Invalidate();
}

void TPlacesBar::MarkPath(const WideString& path) {
  int found = -1;
  for (size_t i = 0; i < FPlaces.size(); ++i)
    if (FPlaces[i].Path == path) found = static_cast<int>(i);
  if (found == FCurrent) return;
  FCurrent = found;
  Invalidate();
}

TRect TPlacesBar::RowRect(int index) {
  return TRect{1, 1 + index * RowHeight, ClientWidth() - 1, 1 + (index + 1) * RowHeight};
}

void TPlacesBar::Paint() {
  TCanvas* canvas = Canvas();
  const TRect all{0, 0, ClientWidth(), ClientHeight()};
  canvas->Brush()->SetColor(kBorder);
  canvas->FillRect(all);
  canvas->Brush()->SetColor(kSurface);
  canvas->FillRect(TRect{1, 1, all.Right - 1, all.Bottom - 1});
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(kText);
  for (size_t i = 0; i < FPlaces.size(); ++i) {
    const TRect row = RowRect(static_cast<int>(i));
    if (static_cast<int>(i) == FCurrent || static_cast<int>(i) == FHot) {
      canvas->Brush()->SetColor(static_cast<int>(i) == FCurrent ? kCurrent : kHover);
      canvas->FillRect(TRect{row.Left + 3, row.Top + 1, row.Right - 3, row.Bottom - 1});
    }
    if (TSkinItemPart* part = SkinEngine ? SkinEngine->GetSkinPart("FileDialogForm", FPlaces[i].GlyphPart) : nullptr)
      if (TSkinItemState* state = part->GetState(0)) state->DrawAt(canvas, row.Left + 8, row.Top + (RowHeight - 16) / 2);
    canvas->Brush()->SetStyle(bsClear);
    const TRect text{row.Left + 32, row.Top, row.Right - 4, row.Bottom};
    RECT r{text.Left, text.Top, text.Right, text.Bottom};
    const WideString caption = FPlaces[i].Caption;
    DrawTextW(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    canvas->Brush()->SetStyle(bsSolid);
  }
}

void TPlacesBar::Pick(int index) {
  if (index < 0 || index >= static_cast<int>(FPlaces.size())) return;
  FCurrent = index;
  Invalidate();
  if (OnPick) OnPick(FPlaces[index].Path);
}

void TPlacesBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (CanFocus() && !Focused()) SetFocus();
  if (button != mbLeft) return;
  for (size_t i = 0; i < FPlaces.size(); ++i)
    if (RowContains(RowRect(static_cast<int>(i)), x, y)) Pick(static_cast<int>(i));
}

void TPlacesBar::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  int hot = -1;
  for (size_t i = 0; i < FPlaces.size(); ++i)
    if (RowContains(RowRect(static_cast<int>(i)), x, y)) hot = static_cast<int>(i);
  if (hot != FHot) {
    FHot = hot;
    Invalidate();
  }
}

void TPlacesBar::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key == VK_DOWN && FCurrent + 1 < static_cast<int>(FPlaces.size())) {
    Pick(FCurrent + 1);
    key = 0;
  } else if (key == VK_UP && FCurrent > 0) {
    Pick(FCurrent - 1);
    key = 0;
  }
}

void TPlacesBar::Dispatch(TMessage& message) {
  if (message.Msg == CM_MOUSELEAVE && FHot != -1) {
    FHot = -1;
    Invalidate();
  }
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS;
    return;
  }
  inherited::Dispatch(message);
}
