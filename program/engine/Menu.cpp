#include "program/engine/Menu.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/QM_DVDMenuData/DVDMenuDataApi.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "engines/QM_MenuDesigner/MenuDesignerApi.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/QM_MenuPreviewer/MenuPreviewerApi.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "platform/kernel/FileApi.h"
#include "platform/kernel/FindFile.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/WinUser.h"
#include "program/core/IniUtils.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/DibImage.h"
#include "vcl/WinControl.h"

namespace uMenu {

static_assert(sizeof(TMenuTextItem) == sizeof(MDTextItem));
static_assert(offsetof(TMenuTextItem, FontName) == offsetof(MDTextItem, fontName));
static_assert(offsetof(TMenuTextItem, FontSize) == offsetof(MDTextItem, fontSize));
static_assert(offsetof(TMenuTextItem, Color) == offsetof(MDTextItem, color));

namespace {

// The preview player's track decoders.
constexpr int32_t kPreviewWidth = 360;
constexpr int32_t kPreviewHeight = 240;
constexpr double kPreviewFrameRate = 30000.0 / 1001;
constexpr int32_t kPreviewSampleRate = 48000;
constexpr int32_t kPreviewChannels = 2;

// Text read back from the engines: a zeroed buffer, the text up to its first 0.
constexpr int32_t kAudioPathUnits = 512;

// Attributes a listed file may carry: read-only, hidden, system, volume, folder and archive;
// or exactly archive plus compressed.
constexpr DWORD kPlainFileAttributes = 0x3F;
constexpr DWORD kCompressedArchive = 0x820;

WideString UpToFirstZero(const char16_t* buffer) { return WideString(buffer); }

// Names in the order a person reads them: letters compared without case first, so "sea10"
// still follows "Sea1"; names equal that way keep a fixed order.
bool NameBefore(const WideString& a, const WideString& b) {
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i)
    if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]);
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

// Closes a folder search on every way out.
class FolderSearch {
 public:
  explicit FolderSearch(const WideString& pattern) : m_handle(WideFindFirstFile(pattern.c_str(), m_data)) {}
  ~FolderSearch() {
    if (m_handle != INVALID_HANDLE_VALUE) FindClose(m_handle);
  }
  FolderSearch(const FolderSearch&) = delete;
  FolderSearch& operator=(const FolderSearch&) = delete;
  bool Found() const { return m_handle != INVALID_HANDLE_VALUE; }
  const WIN32_FIND_DATAW& Entry() const { return m_data; }
  bool Next() { return WideFindNextFile(m_handle, m_data); }

 private:
  WIN32_FIND_DATAW m_data{};
  HANDLE m_handle;
};

struct FolderEntry {
  WideString name;
  DWORD attributes;
  uint64_t size;
};

}  // namespace

TMenuCalls TMenuCalls::Linked() {
  return {::MDSetTemplatePath, ::MDSetFrameImage, ::MDSetButtonImage, ::TLSetTitleThumbnail,
          ::MTDVideoCreate,    ::MTDAudioCreate,  ::MTDVideoDestroy,  ::MTDAudioDestroy};
}

bool HasExtension(const WideString& fileName, const WideString& ext) {
  const size_t dot = fileName.find(u'.');
  const std::u16string_view extension =
      dot == WideString::npos ? std::u16string_view() : std::u16string_view(fileName).substr(dot);
  return extension == std::u16string_view(ext);
}

void FindFilesRecursive(std::vector<WideString>& list, const WideString& folder, const WideString& ext) {
  std::vector<FolderEntry> entries;
  {
    FolderSearch search(folder + u"/*.*");
    if (!search.Found()) return;
    do {
      const WIN32_FIND_DATAW& data = search.Entry();
      entries.push_back({WideString(data.cFileName), data.dwFileAttributes,
                         (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow});
    } while (search.Next());
  }
  // The file system lists a folder in no particular order; templates are shown by name.
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return NameBefore(a.name, b.name); });
  for (const FolderEntry& entry : entries) {
    if (entry.name == u"." || entry.name == u"..") continue;
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      FindFilesRecursive(list, folder + u"/" + entry.name, ext);
      continue;
    }
    // "Normal" is how the system marks a file that has no other attribute.
    const DWORD attributes = entry.attributes == FILE_ATTRIBUTE_NORMAL ? 0 : entry.attributes;
    const bool plain = (attributes & ~kPlainFileAttributes) == 0 || attributes == kCompressedArchive;
    // An empty file describes nothing; the folder's other files still count.
    if (plain && HasExtension(entry.name, ext) && entry.size > 0) list.push_back(folder + u"/" + entry.name);
  }
}

TMenu::TMenu(HWND notifyWnd, HWND previewWnd, TMenuTemplateView* templateView, WideString templateFolder,
             TMenuCalls calls)
    : TemplateView(templateView),
      NotifyWnd(notifyWnd),
      PreviewWnd(previewWnd),
      m_templateFolder(std::move(templateFolder)),
      m_calls(calls) {
  if (m_templateFolder.empty())
    m_templateFolder = platform::Utf8ToUtf16(platform::ProgramFolder()) + u"/templates";
  MenuMgr = MGCreateMenuMgr();
  TitleList = TLCreate();
  MenuData = MTCreateMenuData();
  MGSetTitleList(MenuMgr, TitleList);
  MGSetMenuData(MenuMgr, MenuData);
  CreatePreviewPlayer();
}

TMenu::~TMenu() {
  if (Previewer != 0) MPDestroy(Previewer);
  Previewer = 0;
  if (TitleList != 0) TLRlease(TitleList);
  TitleList = 0;
  if (MenuMgr != 0) MGDestroyMenuMgr(MenuMgr);
  MenuMgr = 0;
  if (Player != 0) {
    VPStop(Player);
    VPDestroy(Player);
  }
  Player = 0;
  PlayerView = 0;
  if (VideoDecoder != 0) m_calls.MTDVideoDestroy(VideoDecoder);
  VideoDecoder = 0;
  if (AudioDecoder != 0) m_calls.MTDAudioDestroy(AudioDecoder);
  AudioDecoder = 0;
}

void TMenu::CreatePreviewPlayer() {
  RECT rect{};
  GetClientRect(PreviewWnd, &rect);
  Player = VPCreate();
  PlayerView = VPCreateView(Player, PreviewWnd, &rect, nullptr);
  VPSetCallBack(Player, NotifyWnd);
}

void TMenu::CreateDesignWindow(TWinControl* parent, HWND notifyWnd) {
  if (MenuMgr == 0 || !parent) return;
  MGRegisterMsgHwnd(MenuMgr, notifyWnd);
  MGCreateMDWindow(MenuMgr, parent->Handle(), 0, 0, parent->Width(), parent->Height());
  MGUpdateMDWindow(MenuMgr);
}

void TMenu::CreatePreviewer(TWinControl* control, HWND notifyWnd) {
  if (!control) return;
  Previewer = MPCreate(control->Handle(), 0, 0, control->Width(), control->Height());
  MPRegisterMsgHwnd(Previewer, notifyWnd);
}

void TMenu::AttachPreviewer() {
  if (MenuData != 0) MPSetMenuData(Previewer, MenuData);
}

TEngineHandle TMenu::CurrentPage() const { return MenuMgr != 0 ? MGGetCurrentPage(MenuMgr) : 0; }

void TMenu::UpdateDesigner() const {
  if (MenuMgr != 0) MGUpdateMDWindow(MenuMgr);
}

void TMenu::NextPage() {
  if (MenuMgr != 0) MGNextMenuPage(MenuMgr);
}

void TMenu::PrevPage() {
  if (MenuMgr != 0) MGPrevMenuPage(MenuMgr);
}

TMenuButtonState TMenu::GetButtonState() const {
  TMenuButtonState state{};
  if (MenuMgr != 0) MGGetButtonState(MenuMgr, state.Values);
  return state;
}

int32_t TMenu::GetCurFrameTotalIndex() const { return MenuMgr != 0 ? MGGetCurFrameTotalIndex(MenuMgr) : -1; }

void TMenu::SetFocusItem(int32_t item) {
  if (MenuMgr != 0) MGSetMDFocus(MenuMgr, item, 0);
}

void TMenu::SetTemplatePath(const WideString& folder) {
  if (const TEngineHandle page = CurrentPage()) m_calls.MDSetTemplatePath(page, folder.c_str());
}

void TMenu::SetBackgroundPicture(const WideString& file) {
  if (file.empty()) return;
  if (const TEngineHandle page = CurrentPage()) MDSetBackgndPicture(page, file.c_str());
  UpdateDesigner();
}

void TMenu::SetBackgroundAudio(const WideString& file) {
  if (const TEngineHandle page = CurrentPage()) MDSetBackgndAudio(page, file.c_str());
}

WideString TMenu::GetBackgroundAudio() const {
  char16_t buffer[kAudioPathUnits] = {};
  if (const TEngineHandle page = CurrentPage()) MDGetBackgndAudio(page, buffer, kAudioPathUnits);
  return UpToFirstZero(buffer);
}

WideString TMenu::GetPageAudio(int32_t index) const {
  char16_t buffer[kAudioPathUnits] = {};
  if (MenuData != 0)
    if (const TEngineHandle page = MTGetMenuPage(MenuData, index)) MTGetMenuPageAudio(page, buffer, kAudioPathUnits);
  return UpToFirstZero(buffer);
}

void TMenu::ApplyMenuPicture(int32_t mode) {
  if (!TemplateView) return;
  const int index = TemplateView->ItemIndex();
  if (index < 0) return;
  const WideString fileName = TemplateView->ItemFileName(index);
  const TEngineHandle page = CurrentPage();
  switch (mode) {
    case 0: {
      if (PictureKind != 0) return;
      const int last = WideLastDelimiter(u"\\/:", fileName);
      if (page) m_calls.MDSetTemplatePath(page, fileName.substr(0, static_cast<size_t>(last)).c_str());
      break;
    }
    case 1:
      if (PictureKind != 1) return;
      if (page) m_calls.MDSetFrameImage(page, -1, fileName.c_str());
      break;
    case 2:
      if (page && PictureKind >= 2 && PictureKind <= 4)
        m_calls.MDSetButtonImage(page, PictureKind - 2, fileName.c_str());
      break;
    default:
      return;
  }
  UpdateDesigner();
}

void TMenu::AddTextItem() {
  if (const TEngineHandle page = CurrentPage()) MDAddTextItem(page);
  UpdateDesigner();
}

TMenuTextItem TMenu::GetCurrentTextItem() const {
  MDTextItem item{};
  if (const TEngineHandle page = CurrentPage()) MDGetCurrentTextItem(page, &item);
  TMenuTextItem copy{};
  std::memcpy(&copy, &item, sizeof copy);
  return copy;
}

void TMenu::SetTextContent(const WideString& text) {
  if (const TEngineHandle page = CurrentPage()) MDSetTextContent(page, text.c_str());
  UpdateDesigner();
}

void TMenu::SetTextFont(const WideString& name) {
  if (name.empty()) return;
  if (const TEngineHandle page = CurrentPage()) MDSetTextFont(page, name.c_str());
  UpdateDesigner();
}

void TMenu::SetTextFontSize(int32_t size) {
  if (size <= 0) return;
  if (const TEngineHandle page = CurrentPage()) MDSetTextFontSize(page, size);
  UpdateDesigner();
}

void TMenu::SetTextColor(uint32_t color) {
  if (const TEngineHandle page = CurrentPage()) MDSetTextColor(page, color);
  UpdateDesigner();
}

void TMenu::SetTextStyle(int32_t style, bool on) {
  if (style < kMenuTextBold || style > kMenuTextStrikeOut) return;
  if (const TEngineHandle page = CurrentPage()) MDSetTextStyle(page, style, on ? -1 : 0);
  UpdateDesigner();
}

int32_t TMenu::GetSupportFontCount() const { return MDGetSupportFontCount(); }

WideString TMenu::GetSupportFontName(int32_t index) const {
  char16_t buffer[kMenuFontNameUnits] = {};
  MDGetSupportFontName(index, buffer);
  buffer[kMenuFontNameUnits - 1] = 0;
  return UpToFirstZero(buffer);
}

void TMenu::InsertTitle(int32_t index) {
  if (TitleList != 0) TLInsertTitle(TitleList, index);
}

void TMenu::RemoveTitle(int32_t index) {
  if (TitleList == 0) return;
  TLSetTitleThumbnailPath(TitleList, index, u" ");
  TLRemoveTitle(TitleList, index);
  UpdateDesigner();
}

void TMenu::SetTitleThumbnail(int32_t index, const WideString& path) {
  WideString file = path;
  // A picture the user chose for the title earlier wins over the clip's thumbnail. The buffer
  // holds the longest path the system has, so a held path is never cut short.
  if (TitleList != 0) {
    std::vector<char16_t> held(PATH_MAX + 1, 0);
    TLGetTitleThumbnailPath(TitleList, index, held.data(), static_cast<int32_t>(held.size()));
    const WideString heldPath(held.data());
    if (!heldPath.empty() && WideFileExists(heldPath)) file = heldPath;
  }
  const WideString ext = WideExtractFileExt(file);
  WideString upper = ext;
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  if (upper == u".BMP") {
    DibImage::TDibImage image;
    // A picture that does not load hands nothing over: the title keeps what it shows.
    if (image.LoadBmpFile(file) && TitleList != 0)
      m_calls.TLSetTitleThumbnail(TitleList, index, image.GetBitmapInfoPtr(), image.GetBitsPtr());
    return;
  }
  const TEngineHandle image = DICreate();
  if (DILoadImage(image, file.c_str()) != 0 && TitleList != 0)
    m_calls.TLSetTitleThumbnail(TitleList, index, DIGetBitmapInfo(image), DIGetBits(image));
  DIDestroy(image);
}

void TMenu::ReleaseTrackDecoders() {
  // The player lets go of the decoders before they are destroyed.
  if (Player != 0 && (VideoDecoder != 0 || AudioDecoder != 0)) ordinal_3(Player, 0, 0);
  if (VideoDecoder != 0) m_calls.MTDVideoDestroy(VideoDecoder);
  VideoDecoder = 0;
  if (AudioDecoder != 0) m_calls.MTDAudioDestroy(AudioDecoder);
  AudioDecoder = 0;
}

void TMenu::PlayTimelineDocument(TEngineHandle document, double length) {
  if (document == 0) return;
  // The decoders of a title played before would otherwise be overwritten and never released.
  if (Player != 0) VPStop(Player);
  ReleaseTrackDecoders();
  VideoDecoder = m_calls.MTDVideoCreate(document, kPreviewWidth, kPreviewHeight, kPreviewFrameRate, kMTDPreview);
  AudioDecoder = m_calls.MTDAudioCreate(document, kPreviewSampleRate, kPreviewChannels);
  ordinal_3(Player, VideoDecoder, AudioDecoder);
  VPSetPlayTime(Player, 0.0, length);
}

void TMenu::PlayPreview() {
  if (Player != 0) VPPlay(Player);
}

void TMenu::PausePreview() {
  if (Player != 0) VPPause(Player);
}

void TMenu::ResumePreview() {
  if (Player != 0) VPResume(Player);
}

void TMenu::StopPreview() {
  if (Player != 0) VPStop(Player);
  ReleaseTrackDecoders();
}

void TMenu::LoadMenuTemplates(TMenuTemplateView* view, const WideString& section, const WideString& key) {
  if (!view) return;
  view->Clear();
  std::vector<WideString> files;
  FindFilesRecursive(files, m_templateFolder, u".ini");
  // The view's update ends whatever happens while it is filled.
  struct Update {
    TMenuTemplateView* view;
    explicit Update(TMenuTemplateView* v) : view(v) { view->BeginUpdate(); }
    ~Update() { view->EndUpdate(); }
  } update(view);
  for (const WideString& file : files) {
    const WideString value = IniReadString(file, section, key, u"");
    // A description without the picture names nothing to show.
    if (value.empty()) continue;
    view->AddFile(u"", WideExtractFilePath(file) + value);
  }
}

void TMenu::SetViewThumbSize(TMenuTemplateView* view, int height, int width) {
  if (!view) return;
  view->SetThumbHeight(height);
  view->SetThumbWidth(width);
}

}  // namespace uMenu
