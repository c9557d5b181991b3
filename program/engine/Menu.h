#pragma once

// TMenu: the program's model of the DVD menu, over the menu engines the program imports at
// link time: the menu manager (QM_MenuMgr: pages, the designer window), the menu designer
// (QM_MenuDesigner: the content of the current page), the menu data (QM_DVDMenuData: what
// authoring reads), the title list (QM_DVDTitleList: one entry per disc title with its
// thumbnail) and the menu previewer (QM_MenuPreviewer). It also owns a preview player of
// QMPlayer, fed by track decoders of TracksDecoder, that plays titles in the menu preview
// area, and it fills a thumbnail view with the menu templates found below the program folder.
//
// GUI thread only. The object owns every engine handle it creates except the menu data,
// which the program never destroys; the template view and the windows belong to the caller.
// Operations do nothing while the handle they use is 0.

#include <cstdint>
#include <vector>

#include "platform/user/UserTypes.h"
#include "program/engine/EngineLibrary.h"
#include "rtl/SysTypes.h"

class TWinControl;

namespace uMenu {

// The selected text item of a page, as the menu designer fills it (1,048 bytes).
struct TMenuTextItem {
  char16_t Text[256];      // up to 255 units, ended by 0
  char16_t FontName[256];  // likewise
  int32_t FontSize;
  uint32_t Color;          // 0x00BBGGRR
  uint8_t Reserved[16];    // style bits and spare room; not used by the program
};
static_assert(sizeof(TMenuTextItem) == 1048);

// [0]: a previous page exists; [1]: not used; [2]: a next page exists.
struct TMenuButtonState {
  int32_t Values[3];
};

// What TMenu needs of the view that lists templates and pictures (the main window's photo
// view). The view owns its items; TMenu only fills and reads them.
class TMenuTemplateView {
 public:
  virtual ~TMenuTemplateView() = default;
  virtual void Clear() = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void AddFile(const WideString& caption, const WideString& fileName) = 0;
  // The first selected item, -1 when none.
  virtual int ItemIndex() const = 0;
  // The file an item shows.
  virtual WideString ItemFileName(int index) const = 0;
  virtual void SetThumbWidth(int width) = 0;
  virtual void SetThumbHeight(int height) = 0;
};

// The engine entries whose calls tests watch; every field defaults to the linked import.
struct TMenuCalls {
  int32_t (*MDSetTemplatePath)(TEngineHandle page, const char16_t* folder);
  int32_t (*MDSetFrameImage)(TEngineHandle page, int32_t title, const char16_t* path);
  int32_t (*MDSetButtonImage)(TEngineHandle page, int32_t button, const char16_t* path);
  int32_t (*TLSetTitleThumbnail)(uintptr_t list, int32_t index, const void* bitmapInfo, const void* bits);
  TEngineHandle (*MTDVideoCreate)(TEngineHandle doc, int32_t width, int32_t height, double fps, int32_t flag);
  TEngineHandle (*MTDAudioCreate)(TEngineHandle doc, int32_t rate, int32_t channels);
  void (*MTDVideoDestroy)(TEngineHandle decoder);
  void (*MTDAudioDestroy)(TEngineHandle decoder);

  static TMenuCalls Linked();
};

// True when the text of fileName from its first "." to its end is exactly ext (a name
// without "." has the empty extension).
bool HasExtension(const WideString& fileName, const WideString& ext);

// Appends to list every file below folder, depth first, whose name has the extension ext
// (HasExtension) and which is not empty, as folder + "/" + name. The entries of each folder
// are taken in name order; a sub-folder is searched where it comes in that order.
void FindFilesRecursive(std::vector<WideString>& list, const WideString& folder, const WideString& ext);

class TMenu {
 public:
  // Creates the menu manager, the title list and the menu data, attaches the list and then the
  // data to the manager, and creates the preview player in previewWnd. Templates are listed
  // from templateFolder (empty: the program folder's "templates").
  TMenu(HWND notifyWnd, HWND previewWnd, TMenuTemplateView* templateView, WideString templateFolder = {},
        TMenuCalls calls = TMenuCalls::Linked());
  ~TMenu();
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;

  void CreateDesignWindow(TWinControl* parent, HWND notifyWnd);
  void CreatePreviewer(TWinControl* control, HWND notifyWnd);
  void AttachPreviewer();

  // Pages: every designer call goes to the current page, asked for anew each time.
  void NextPage();
  void PrevPage();
  TMenuButtonState GetButtonState() const;
  int32_t GetCurFrameTotalIndex() const;
  void SetFocusItem(int32_t item);
  void SetTemplatePath(const WideString& folder);
  void SetBackgroundPicture(const WideString& file);
  void SetBackgroundAudio(const WideString& file);
  WideString GetBackgroundAudio() const;
  WideString GetPageAudio(int32_t index) const;
  void SetPictureKind(uint8_t kind) { PictureKind = kind; }
  // Mode: the list the user is in (0 templates, 1 frames, 2 buttons).
  void ApplyMenuPicture(int32_t mode);

  // Text items of the current page.
  void AddTextItem();
  TMenuTextItem GetCurrentTextItem() const;
  void SetTextContent(const WideString& text);
  void SetTextFont(const WideString& name);
  void SetTextFontSize(int32_t size);
  void SetTextColor(uint32_t color);
  // Style 0 bold, 1 italic, 2 underline, 3 strike-out.
  void SetTextStyle(int32_t style, bool on);
  int32_t GetSupportFontCount() const;
  WideString GetSupportFontName(int32_t index) const;

  // Titles.
  void InsertTitle(int32_t index);
  void RemoveTitle(int32_t index);
  void SetTitleThumbnail(int32_t index, const WideString& path);

  // The preview player.
  void PlayTimelineDocument(TEngineHandle document, double length);
  void PlayPreview();
  void PausePreview();
  void ResumePreview();
  void StopPreview();

  // Templates: fills view with the pictures that section/key of every template INI names.
  void LoadMenuTemplates(TMenuTemplateView* view, const WideString& section, const WideString& key);
  void SetViewThumbSize(TMenuTemplateView* view, int height, int width);

  // Read directly by the main window.
  TMenuTemplateView* TemplateView = nullptr;
  TEngineHandle MenuMgr = 0;
  TEngineHandle MenuData = 0;
  TEngineHandle TitleList = 0;
  TEngineHandle Previewer = 0;
  // 0 menu template, 1 title frame, 2 previous, 3 play, 4 next button, 5 text item.
  uint8_t PictureKind = 0;
  TEngineHandle Player = 0;
  TEngineHandle VideoDecoder = 0;
  TEngineHandle AudioDecoder = 0;
  HWND NotifyWnd = nullptr;
  HWND PreviewWnd = nullptr;
  TEngineHandle PlayerView = 0;

 private:
  void CreatePreviewPlayer();
  TEngineHandle CurrentPage() const;
  void UpdateDesigner() const;
  // Lets the player go of the track decoders and destroys them.
  void ReleaseTrackDecoders();

  WideString m_templateFolder;
  TMenuCalls m_calls;
};

}  // namespace uMenu
