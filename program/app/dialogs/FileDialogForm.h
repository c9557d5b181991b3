#pragma once

// TFileDialogForm: the program's one file dialog, for opening files, saving a file and
// choosing a folder (the platform's open, save and folder-browser requests). A skinned form
// of window class "#32770", modal over its owner and centred on it: places on the left
// (home, the user's folders, the file system, mounted volumes), the folder's path with Up
// and New Folder above, the folder's contents in a report list (icons of their types,
// folders first, sortable by each column, hidden files hidden), the name field and the
// filter below, OK and Cancel bottom-right. It starts in the request's folder, else in the
// documents folder; the platform decides what OK with the name field's text means.
//
// As a folder browser it answers the browser's messages (BFFM_SETSELECTION ...) and tells
// the platform of its selection; the chosen folder is the folder shown, or the folder
// selected in the list.
//
// Design in resources/forms/TFileDialogForm.xfm. GUI thread only; the form owns its
// controls.

#include <vector>

#include "platform/comdlg/FileDialogs.h"
#include "platform/shell/BrowseFolder.h"
#include "program/skin/SkinForm.h"

class TFSButton;
class TFSEdit;
class TFSComboBox;
class TFSPanel;
class TFSCustomListView;
class TFSListItem;
class TFSListColumn;
class TLabel;
class TPlacesBar;

class TFileDialogForm : public TSkinForm {
  BRANTWELL_CLASS(TFileDialogForm, TSkinForm)

 public:
  enum class TMode { Open, Save, Folder };

  explicit TFileDialogForm(TComponent* owner);
  ~TFileDialogForm() override;
  static void DescribeClass(TClassBuilder<TFileDialogForm>& c);

  // The presenters: show the dialog modally for the request; true when the platform closed
  // it with an answer.
  static bool RunFile(platform::comdlg::FileDialogRequest& request);
  static bool RunFolder(platform::shell::FolderBrowserRequest& request);

  void PrepareFile(platform::comdlg::FileDialogRequest& request);
  void PrepareFolder(platform::shell::FolderBrowserRequest& request);

  // Shows `folder` (an existing one; false otherwise).
  bool Navigate(const WideString& folder);
  void GoUp();
  // Makes a new folder in the folder shown, selects it and opens its name for editing (Enter
  // renames it, Esc keeps the name); false (the user was told) when it cannot be made.
  bool NewFolder();
  // OK as the button does.
  void Accept();
  // Sorts by column `column` (0 name, 1 size, 2 type, 3 modified); again: the other way.
  void SortBy(int column);

  const WideString& Folder() const { return FFolder; }
  // The folder the browser would answer: the selected folder item, else the folder shown.
  WideString SelectedFolder();
  // The names listed, in order.
  std::vector<WideString> ListedNames() const;
  TMode Mode() const { return FMode; }
  TFSCustomListView* FileList() const { return FList; }
  TPlacesBar* PlacesBar() const { return FPlaces; }

  TFSButton* btnUp = nullptr;
  TFSEdit* edtPath = nullptr;
  TFSButton* btnNewFolder = nullptr;
  TFSPanel* pnlPlaces = nullptr;
  TFSPanel* pnlFiles = nullptr;
  TLabel* lblName = nullptr;
  TFSEdit* edtName = nullptr;
  TLabel* lblType = nullptr;
  TFSComboBox* cbType = nullptr;
  TFSButton* btnOK = nullptr;
  TFSButton* btnCancel = nullptr;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& message) override;
  void DoShow() override;
  void Loaded() override;

 private:
  struct TEntry {
    WideString Name;
    bool IsFolder = false;
    int64_t Size = 0;
    int64_t Modified = 0;  // seconds since the epoch
    WideString Type;
    int Icon = 0;
  };
  void BuildControls();
  void ApplyTexts();
  void Refill();
  void ListSelectionChanged();
  void ListDoubleClick();
  void PathEntered();
  void RenameNewFolder(TFSListItem* item, AnsiString& text);
  void CenterOnOwner(HWND owner);
  bool Shows(const TEntry& entry) const;
  std::vector<TFSListItem*> SelectedItems() const;

  TMode FMode = TMode::Open;
  platform::comdlg::FileDialogRequest* FFileRequest = nullptr;
  platform::shell::FolderBrowserRequest* FFolderRequest = nullptr;
  WideString FFolder;
  WideString FRoot = u"/";
  WideString FPattern;  // a typed pattern that replaces the filter's until the filter changes
  std::vector<TEntry> FEntries;
  int FSortColumn = 0;
  bool FSortDescending = false;
  bool FShowHidden = false;
  bool FFilling = false;
  bool FInitialized = false;
  WideString FLastSelection;
  WideString FRenaming;          // the folder just made, while it is being named
  WideString FSelectAfterRefill;
  TPlacesBar* FPlaces = nullptr;
  TFSCustomListView* FList = nullptr;
};

// Makes the program's dialogs the platform's: the message box (in MessageBoxW's place), the
// open and save dialogs, the folder browser and the colour dialog. UninstallDialogPresenters
// puts the window manager's box back and removes the others.
void InstallDialogPresenters();
void UninstallDialogPresenters();
