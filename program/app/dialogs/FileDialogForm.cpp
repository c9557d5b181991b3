#include "program/app/dialogs/FileDialogForm.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>

#include "platform/kernel/FileApi.h"
#include "platform/kernel/PathResolve.h"
#include "platform/shell/FileInfo.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/user/FunctionTable.h"
#include "program/app/dialogs/ColorDialogForm.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/app/dialogs/PlacesBar.h"
#include "program/controls/ControlsModule.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSComboBox.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSListColumns.h"
#include "program/controls/FSListItems.h"
#include "program/controls/FSListView.h"
#include "program/controls/FSPanel.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Label.h"
#include "vcl/Persistent.h"

using platform::comdlg::FileDialogRequest;
using platform::shell::FolderBrowserCommand;
using platform::shell::FolderBrowserRequest;

namespace {

std::string Utf8(const WideString& text) { return WideToUTF8(text); }

WideString JoinPath(const WideString& folder, const WideString& name) {
  return folder == u"/" ? folder + name : folder + u"/" + name;
}

WideString ParentOf(const WideString& path) {
  const size_t slash = path.find_last_of(u'/');
  if (slash == WideString::npos || path == u"/") return path;
  return slash == 0 ? WideString(u"/") : path.substr(0, slash);
}

bool IsFolder(const WideString& path) {
  struct stat st{};
  return !path.empty() && ::stat(Utf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

WideString SizeText(int64_t bytes) {
  if (bytes < 1024) return UTF8ToWide(std::to_string(bytes) + " B");
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, units[unit]);
  return UTF8ToWide(text);
}

WideString TimeText(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return UTF8ToWide(text);
}

// The documents folder, where a dialog without any other start begins.
WideString DocumentsFolder() {
  char16_t path[MAX_PATH] = {};
  if (SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE) && IsFolder(path)) return path;
  const char* home = getenv("HOME");
  return home && IsFolder(UTF8ToWide(home)) ? UTF8ToWide(home) : WideString(u"/");
}

void RegisterDialogClasses() {
  static const bool registered = [] {
    StartControlsModule();
    RegisterClasses({TLabel::StaticClass()});
    return true;
  }();
  (void)registered;
}

}  // namespace

TFileDialogForm::TFileDialogForm(TComponent* owner) : TSkinForm(owner) { SetAutoModalOwner(false); }

void TFileDialogForm::Loaded() {
  inherited::Loaded();
  if (!FList) BuildControls();
}

TFileDialogForm::~TFileDialogForm() = default;

void TFileDialogForm::DescribeClass(TClassBuilder<TFileDialogForm>& c) {
  c.Field("btnUp", &TFileDialogForm::btnUp);
  c.Field("edtPath", &TFileDialogForm::edtPath);
  c.Field("btnNewFolder", &TFileDialogForm::btnNewFolder);
  c.Field("pnlPlaces", &TFileDialogForm::pnlPlaces);
  c.Field("pnlFiles", &TFileDialogForm::pnlFiles);
  c.Field("lblName", &TFileDialogForm::lblName);
  c.Field("edtName", &TFileDialogForm::edtName);
  c.Field("lblType", &TFileDialogForm::lblType);
  c.Field("cbType", &TFileDialogForm::cbType);
  c.Field("btnOK", &TFileDialogForm::btnOK);
  c.Field("btnCancel", &TFileDialogForm::btnCancel);
}

void TFileDialogForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WinClassName = "#32770";
}

// The places and the list live in the design's two panels.
void TFileDialogForm::BuildControls() {
  if (!pnlPlaces || !pnlFiles) return;
  FPlaces = new TPlacesBar(this);
  FPlaces->SetParent(pnlPlaces);
  FPlaces->SetAlign(alClient);
  FPlaces->OnPick = [this](const WideString& path) { Navigate(path); };

  FList = new TFSCustomListView(this);
  FList->SetParent(pnlFiles);
  FList->SetAlign(alClient);
  FList->SetViewStyle(vsReport);
  FList->SetRowSelect(true);
  // Only a folder just made is named in place.
  FList->OnEditing = [this](TObject*, TFSListItem* item, bool& allow) {
    allow = item && UTF8ToWide(item->Caption()) == FRenaming;
  };
  FList->OnEdited = [this](TObject*, TFSListItem* item, AnsiString& text) { RenameNewFolder(item, text); };
  FList->SetHideSelection(false);
  FList->SetShowSortMark(true);
  FList->SetSystemImages(true);
  const struct {
    int width;
    TAlignment alignment;
  } columns[] = {{190, taLeftJustify}, {60, taRightJustify}, {90, taLeftJustify}, {110, taLeftJustify}};
  for (const auto& c : columns) {
    TFSListColumn* column = FList->Columns()->Add();
    column->SetWidth(c.width);
    column->SetAlignment(c.alignment);
  }
  FList->OnSelectItem = [this](TObject*, TFSListItem*, bool) { ListSelectionChanged(); };
  FList->OnDblClick = [this](TObject*) { ListDoubleClick(); };
  FList->OnColumnClick = [this](TObject*, TFSListColumn* column) { SortBy(column->Index()); };
  FList->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
    if (key == VK_RETURN) {
      ListDoubleClick();
      key = 0;
    } else if (key == VK_BACK) {
      GoUp();
      key = 0;
    }
  };
  if (btnUp) btnUp->OnClick = [this](TObject*) { GoUp(); };
  if (btnNewFolder) btnNewFolder->OnClick = [this](TObject*) { NewFolder(); };
  if (btnOK) btnOK->OnClick = [this](TObject*) { Accept(); };
  if (btnCancel) {
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
  }
  if (btnOK) {
    btnOK->SetDefault(true);
    btnOK->SetSkinName(TMessageBoxForm::DefaultButtonSkin);
  }
  if (edtPath)
    edtPath->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
      if (key == VK_RETURN) {
        PathEntered();
        key = 0;
      }
    };
  if (cbType)
    cbType->OnChange = [this](TObject*) {
      FPattern.clear();
      Refill();
    };
  ApplyTexts();
}

void TFileDialogForm::ApplyTexts() {
  if (btnUp) btnUp->SetCaption(WideToUTF8(LanguageText(u"FD_Up")));
  if (btnNewFolder) btnNewFolder->SetCaption(WideToUTF8(LanguageText(u"FD_NewFolder")));
  if (btnCancel) btnCancel->SetCaption(WideToUTF8(LanguageText(u"MB_BTN_Cancel")));
  if (lblType) lblType->SetCaption(WideToUTF8(LanguageText(u"FD_FileType")));
  if (FList) {
    const char16_t* keys[] = {u"FD_ColName", u"FD_ColSize", u"FD_ColType", u"FD_ColModified"};
    for (int i = 0; i < 4; ++i) FList->Columns()->Items(i)->SetCaption(WideToUTF8(LanguageText(keys[i])));
  }
}

void TFileDialogForm::PrepareFile(FileDialogRequest& request) {
  FFileRequest = &request;
  FMode = request.kind == FileDialogRequest::Kind::Save ? TMode::Save : TMode::Open;
  FShowHidden = request.showHidden;
  HandleNeeded();
  SetCaption(WideToUTF8(!request.title.empty() ? request.title
                        : FMode == TMode::Save ? LanguageText(u"FD_SaveAs") : LanguageText(u"FD_Open")));
  lblName->SetCaption(WideToUTF8(LanguageText(u"FD_FileName")));
  btnOK->SetCaption(WideToUTF8(LanguageText(FMode == TMode::Save ? u"FD_SaveButton" : u"FD_OpenButton")));
  FList->SetMultiSelect(request.multiSelect);
  cbType->Items()->Clear();
  for (const platform::comdlg::FileFilter& filter : request.filters) cbType->Items()->Add(WideToUTF8(filter.text));
  if (!request.filters.empty()) cbType->SetItemIndex(request.filterIndex);
  edtName->SetText(WideToUTF8(request.fileName));
  FPlaces->SetPlaces(DialogPlaces());
  if (!Navigate(request.folder)) Navigate(DocumentsFolder());
}

void TFileDialogForm::PrepareFolder(FolderBrowserRequest& request) {
  FFolderRequest = &request;
  FMode = TMode::Folder;
  HandleNeeded();
  FRoot = IsFolder(request.root) ? request.root : WideString(u"/");
  SetCaption(WideToUTF8(!request.title.empty() ? request.title : LanguageText(u"FD_BrowseFolder")));
  lblName->SetCaption(WideToUTF8(LanguageText(u"FD_Folder")));
  btnOK->SetCaption(WideToUTF8(LanguageText(u"MB_BTN_OK")));
  lblName->SetVisible(request.editBox);
  edtName->SetVisible(request.editBox);
  // No filter row: the buttons move up into its place.
  if (cbType->Visible()) {
    const int row = cbType->Top() - edtName->Top();
    lblType->SetVisible(false);
    cbType->SetVisible(false);
    btnOK->SetTop(btnOK->Top() - row);
    btnCancel->SetTop(btnCancel->Top() - row);
    SetClientHeight(ClientHeight() - row);
  }
  btnNewFolder->SetVisible(request.newFolderButton);
  FList->SetMultiSelect(false);
  std::vector<TDialogPlace> places;
  for (TDialogPlace& place : DialogPlaces())
    if (FRoot == u"/" || place.Path == FRoot || place.Path.rfind(FRoot + u"/", 0) == 0) places.push_back(place);
  FPlaces->SetPlaces(std::move(places));
  if (FRoot == u"/") Navigate(DocumentsFolder());
  if (FFolder.empty()) Navigate(FRoot);
}

void TFileDialogForm::CenterOnOwner(HWND owner) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const RECT work = area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
  SetLeft(std::clamp<int>((area.left + area.right - Width()) / 2, work.left, std::max<int>(work.left, work.right - Width())));
  SetTop(std::clamp<int>((area.top + area.bottom - Height()) / 2, work.top, std::max<int>(work.top, work.bottom - Height())));
}

void TFileDialogForm::DoShow() {
  inherited::DoShow();
  if (FMode != TMode::Folder || FInitialized || !FFolderRequest) return;
  FInitialized = true;
  // The caller's callback may move the dialog and choose the selection now.
  if (FFolderRequest->initialized) FFolderRequest->initialized(Handle());
  FLastSelection.clear();
  ListSelectionChanged();
}

bool TFileDialogForm::Shows(const TEntry& entry) const {
  if (!FShowHidden && !entry.Name.empty() && entry.Name[0] == u'.') return false;
  if (entry.IsFolder) return true;
  if (FMode == TMode::Folder) return FFolderRequest && FFolderRequest->includeFiles;
  std::vector<WideString> patterns;
  if (!FPattern.empty()) patterns.push_back(FPattern);
  else if (FFileRequest && !FFileRequest->filters.empty()) {
    const int index = std::clamp(cbType->ItemIndex(), 0, static_cast<int>(FFileRequest->filters.size()) - 1);
    patterns = FFileRequest->filters[index].patterns;
  }
  if (patterns.empty()) return true;
  for (const WideString& pattern : patterns)
    if (platform::comdlg::MatchesFilterPattern(entry.Name, pattern)) return true;
  return false;
}

bool TFileDialogForm::Navigate(const WideString& folder) {
  if (!IsFolder(folder)) return false;
  WideString path = UTF8ToWide(platform::FileSystemPath(Utf8(folder)));
  while (path.size() > 1 && path.back() == u'/') path.pop_back();
  // The browser stays below its root.
  if (FMode == TMode::Folder && FRoot != u"/" && path != FRoot && path.rfind(FRoot + u"/", 0) != 0) return false;
  FFolder = path;
  FPattern.clear();
  FEntries.clear();
  if (DIR* dir = ::opendir(Utf8(path).c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
      TEntry e;
      e.Name = UTF8ToWide(entry->d_name);
      const std::string full = Utf8(JoinPath(path, e.Name));
      struct stat st{};
      if (::stat(full.c_str(), &st) != 0) continue;  // a dangling link
      e.IsFolder = S_ISDIR(st.st_mode);
      e.Size = e.IsFolder ? 0 : static_cast<int64_t>(st.st_size);
      e.Modified = static_cast<int64_t>(st.st_mtime);
      SHFILEINFOW info{};
      SHGetFileInfoW(UTF8ToWide(full).c_str(), 0, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME);
      e.Icon = info.iIcon;
      e.Type = e.IsFolder ? LanguageText(u"FD_FolderType") : WideString(info.szTypeName);
      FEntries.push_back(std::move(e));
    }
    ::closedir(dir);
  }
  if (edtPath) edtPath->SetText(Utf8(FFolder));
  if (btnUp) btnUp->SetEnabled(FFolder != (FMode == TMode::Folder ? FRoot : WideString(u"/")));
  FPlaces->MarkPath(FFolder);
  Refill();
  if (FMode == TMode::Folder) ListSelectionChanged();
  return true;
}

void TFileDialogForm::SortBy(int column) {
  if (column == FSortColumn) FSortDescending = !FSortDescending;
  else {
    FSortColumn = column;
    FSortDescending = false;
  }
  Refill();
}

void TFileDialogForm::Refill() {
  // Folders first; within each, the sort column (the name breaks ties).
  std::vector<const TEntry*> shown;
  for (const TEntry& e : FEntries)
    if (Shows(e)) shown.push_back(&e);
  auto lowerName = [](const WideString& s) { return WideLowerCase(s); };
  std::stable_sort(shown.begin(), shown.end(), [&](const TEntry* a, const TEntry* b) {
    if (a->IsFolder != b->IsFolder) return a->IsFolder;
    int order = 0;
    switch (FSortColumn) {
      case 1: order = a->Size < b->Size ? -1 : a->Size > b->Size ? 1 : 0; break;
      case 2: order = lowerName(a->Type).compare(lowerName(b->Type)); break;
      case 3: order = a->Modified < b->Modified ? -1 : a->Modified > b->Modified ? 1 : 0; break;
      default: break;
    }
    if (order == 0) order = lowerName(a->Name).compare(lowerName(b->Name));
    return FSortDescending ? order > 0 : order < 0;
  });
  FFilling = true;
  FList->Items()->Clear();
  for (const TEntry* e : shown) {
    TFSListItem* item = FList->Items()->Add();
    item->SetCaption(Utf8(e->Name));
    item->SetImageIndex(e->Icon);
    item->SetData(e->IsFolder ? 1 : 0);
    item->SubItems()->Add(e->IsFolder ? std::string() : Utf8(SizeText(e->Size)));
    item->SubItems()->Add(Utf8(e->Type));
    item->SubItems()->Add(Utf8(TimeText(e->Modified)));
  }
  FList->Columns()->ClearSortMarks(nullptr);
  if (FSortColumn < FList->Columns()->Count())
    FList->Columns()->Items(FSortColumn)->SetSortMark(FSortDescending ? smsDesc : smsAsc);
  FFilling = false;
}

std::vector<WideString> TFileDialogForm::ListedNames() const {
  std::vector<WideString> names;
  for (int i = 0; i < FList->Items()->Count(); ++i) names.push_back(UTF8ToWide(FList->Items()->Item(i)->Caption()));
  return names;
}

std::vector<TFSListItem*> TFileDialogForm::SelectedItems() const {
  std::vector<TFSListItem*> items;
  for (int i = 0; i < FList->Items()->Count(); ++i)
    if (FList->Items()->Item(i)->Selected()) items.push_back(FList->Items()->Item(i));
  return items;
}

WideString TFileDialogForm::SelectedFolder() {
  for (TFSListItem* item : SelectedItems())
    if (item->Data() == 1 || (FFolderRequest && FFolderRequest->includeFiles))
      return JoinPath(FFolder, UTF8ToWide(item->Caption()));
  return FFolder;
}

void TFileDialogForm::ListSelectionChanged() {
  if (FFilling) return;
  if (FMode == TMode::Folder) {
    const WideString selected = SelectedFolder();
    if (selected != FLastSelection && FInitialized && FFolderRequest && FFolderRequest->selectionChanged) {
      FLastSelection = selected;
      FFolderRequest->selectionChanged(Handle(), selected);
    }
    return;
  }
  // The files chosen go into the name field; folders do not.
  std::vector<WideString> names;
  for (TFSListItem* item : SelectedItems())
    if (item->Data() == 0) names.push_back(UTF8ToWide(item->Caption()));
  if (!names.empty()) edtName->SetText(Utf8(platform::comdlg::JoinFileNames(names)));
}

void TFileDialogForm::ListDoubleClick() {
  const std::vector<TFSListItem*> items = SelectedItems();
  if (items.size() != 1) return;
  if (items[0]->Data() == 1) {
    Navigate(JoinPath(FFolder, UTF8ToWide(items[0]->Caption())));
    return;
  }
  if (FMode != TMode::Folder) Accept();
}

void TFileDialogForm::GoUp() {
  if (FMode == TMode::Folder && FFolder == FRoot) return;
  Navigate(ParentOf(FFolder));
}

void TFileDialogForm::PathEntered() {
  const WideString typed = UTF8ToWide(edtPath->Text());
  if (Navigate(typed)) return;
  const WideString text = UTF8ToWide(Format(WideToUTF8(LanguageText(u"FD_NoSuchFolder")), {typed}));
  MessageBoxW(Handle(), text.c_str(), UTF8ToWide(Caption()).c_str(), MB_OK | MB_ICONWARNING);
  edtPath->SetText(Utf8(FFolder));
}

bool TFileDialogForm::NewFolder() {
  const WideString base = LanguageText(u"FD_NewFolderName");
  WideString name = base;
  for (int n = 2; IsFolder(JoinPath(FFolder, name)) || ::access(Utf8(JoinPath(FFolder, name)).c_str(), F_OK) == 0; ++n)
    name = base + u" (" + UTF8ToWide(std::to_string(n)) + u")";
  const WideString path = JoinPath(FFolder, name);
  if (::mkdir(Utf8(path).c_str(), 0777) != 0) {
    const WideString text = UTF8ToWide(Format(WideToUTF8(LanguageText(u"FD_CannotCreateFolder")), {name, std::strerror(errno)}));
    MessageBoxW(Handle(), text.c_str(), UTF8ToWide(Caption()).c_str(), MB_OK | MB_ICONERROR);
    return false;
  }
  Navigate(FFolder);
  for (int i = 0; i < FList->Items()->Count(); ++i) {
    TFSListItem* item = FList->Items()->Item(i);
    if (UTF8ToWide(item->Caption()) == name) {
      FList->ClearSelection();
      item->SetSelected(true);
      item->SetFocused(true);
      item->MakeVisible(false);
    }
  }
  ListSelectionChanged();
  // The user names it at once.
  FRenaming = name;
  for (int i = 0; i < FList->Items()->Count(); ++i)
    if (UTF8ToWide(FList->Items()->Item(i)->Caption()) == name) {
      if (FList->CanFocus()) FList->SetFocus();
      FList->Perform(platform::LVM_EDITLABELA, static_cast<WPARAM>(i), 0);
    }
  return true;
}

void TFileDialogForm::RenameNewFolder(TFSListItem* item, AnsiString& text) {
  const WideString from = FRenaming;
  FRenaming.clear();
  const WideString to = UTF8ToWide(text);
  if (!item || to.empty() || to == from) {
    text = WideToUTF8(from);
    return;
  }
  const WideString source = JoinPath(FFolder, from), target = JoinPath(FFolder, to);
  const bool bad = to.find(u'/') != WideString::npos || to == u"." || to == u"..";
  int error = 0;
  if (!bad) {
    if (::access(Utf8(target).c_str(), F_OK) == 0) error = EEXIST;
    else if (::rename(Utf8(source).c_str(), Utf8(target).c_str()) != 0) error = errno;
  }
  if (bad || error) {
    const WideString reason = bad ? LanguageText(u"FD_BadFolderName") : UTF8ToWide(std::strerror(error));
    const WideString message = UTF8ToWide(Format(WideToUTF8(LanguageText(u"FD_CannotRenameFolder")), {to, reason}));
    MessageBoxW(Handle(), message.c_str(), UTF8ToWide(Caption()).c_str(), MB_OK | MB_ICONERROR);
    text = WideToUTF8(from);
    return;
  }
  // The list is made again from the folder, with the renamed folder selected.
  PostMessageW(Handle(), WM_APP + 1, 0, 0);
  FSelectAfterRefill = to;
}

void TFileDialogForm::Accept() {
  if (FMode == TMode::Folder) {
    const WideString typed = edtName->Visible() ? UTF8ToWide(edtName->Text()) : WideString();
    switch (FFolderRequest->accept(Handle(), SelectedFolder(), typed)) {
      case FolderBrowserRequest::Answer::Close: SetModalResult(mrOk); break;
      case FolderBrowserRequest::Answer::Cancel: SetModalResult(mrCancel); break;
      case FolderBrowserRequest::Answer::KeepOpen: break;
    }
    return;
  }
  WideString text = UTF8ToWide(edtName->Text());
  if (text.find_first_not_of(u' ') == WideString::npos) {
    // Nothing typed: a selected folder opens.
    const std::vector<TFSListItem*> items = SelectedItems();
    if (items.size() == 1 && items[0]->Data() == 1) Navigate(JoinPath(FFolder, UTF8ToWide(items[0]->Caption())));
    return;
  }
  const int filter = cbType->Visible() ? std::max(cbType->ItemIndex(), 0) : 0;
  const FileDialogRequest::Verdict verdict = FFileRequest->accept(Handle(), FFolder, text, filter);
  switch (verdict.kind) {
    case FileDialogRequest::Verdict::Kind::Close: SetModalResult(mrOk); break;
    case FileDialogRequest::Verdict::Kind::ShowFolder:
      Navigate(verdict.text);
      edtName->SetText("");
      break;
    case FileDialogRequest::Verdict::Kind::ApplyPattern:
      FPattern = verdict.text;
      Refill();
      break;
    case FileDialogRequest::Verdict::Kind::KeepOpen: break;
  }
}

void TFileDialogForm::Dispatch(TMessage& message) {
  if (message.Msg == CM_DIALOGKEY && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE)) {
    // A name being edited in the list takes its own Enter and Esc; Enter in the path field
    // goes to that folder. Neither answers the dialog.
    if (FList && FList->IsEditing()) {
      message.Result = 0;
      return;
    }
    if (message.WParam == VK_RETURN && edtPath && edtPath->Focused()) {
      PathEntered();
      message.Result = 1;
      return;
    }
  }
  if (message.Msg == WM_APP + 1) {
    const WideString select = FSelectAfterRefill;
    FSelectAfterRefill.clear();
    Navigate(FFolder);
    for (int i = 0; i < FList->Items()->Count(); ++i)
      if (UTF8ToWide(FList->Items()->Item(i)->Caption()) == select) FList->Items()->Item(i)->SetSelected(true);
    ListSelectionChanged();
    return;
  }
  if (FMode == TMode::Folder && FFolderRequest && FFolderRequest->translate && message.Msg >= WM_USER &&
      message.Msg < WM_USER + 0x100) {
    if (const auto command = FFolderRequest->translate(message.Msg, message.WParam, message.LParam)) {
      switch (command->kind) {
        case FolderBrowserCommand::Kind::SetSelection:
        case FolderBrowserCommand::Kind::SetExpanded:
          if (!Navigate(command->text)) {
            // A file: show its folder with the file selected.
            if (Navigate(ParentOf(command->text)))
              for (int i = 0; i < FList->Items()->Count(); ++i)
                if (JoinPath(FFolder, UTF8ToWide(FList->Items()->Item(i)->Caption())) == command->text)
                  FList->Items()->Item(i)->SetSelected(true);
          }
          break;
        case FolderBrowserCommand::Kind::SetOkText: btnOK->SetCaption(WideToUTF8(command->text)); break;
        case FolderBrowserCommand::Kind::EnableOk: btnOK->SetEnabled(command->enable); break;
        case FolderBrowserCommand::Kind::SetStatusText: break;
      }
      message.Result = 0;
      return;
    }
  }
  inherited::Dispatch(message);
}

// ---- the presenters ------------------------------------------------------------------------

bool TFileDialogForm::RunFile(FileDialogRequest& request) {
  RegisterDialogClasses();
  std::unique_ptr<TFileDialogForm> form(TCustomForm::Create<TFileDialogForm>(Application));
  HWND owner = request.owner && IsWindow(request.owner) ? GetAncestor(request.owner, GA_ROOT) : nullptr;
  if (owner) form->SetOwnerWindow(owner);
  form->PrepareFile(request);
  if (owner) SetWindowLongPtrW(form->Handle(), GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  form->CenterOnOwner(owner);
  return form->ShowModal() == mrOk;
}

bool TFileDialogForm::RunFolder(FolderBrowserRequest& request) {
  RegisterDialogClasses();
  std::unique_ptr<TFileDialogForm> form(TCustomForm::Create<TFileDialogForm>(Application));
  HWND owner = request.owner && IsWindow(request.owner) ? GetAncestor(request.owner, GA_ROOT) : nullptr;
  if (owner) form->SetOwnerWindow(owner);
  form->PrepareFolder(request);
  if (owner) SetWindowLongPtrW(form->Handle(), GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  form->CenterOnOwner(owner);
  return form->ShowModal() == mrOk;
}

namespace {
// The skinned box; when it cannot be made (its form file or skin missing), the message still
// reaches the user in the window manager's own box.
int SkinnedMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  try {
    RegisterDialogClasses();
    return TMessageBoxForm::Run(owner, text ? WideString(text) : WideString(),
                                caption ? WideString(caption) : WideString(u"Error"), type);
  } catch (...) {
    return platform::OriginalUserFunctions().MessageBoxW(owner, text, caption, type);
  }
}
}  // namespace

void InstallDialogPresenters() {
  RegisterDialogClasses();
  platform::UserFunctions().MessageBoxW = SkinnedMessageBoxW;
  platform::comdlg::SetFileDialogPresenter([](FileDialogRequest& r) { return TFileDialogForm::RunFile(r); });
  platform::shell::SetFolderBrowserPresenter([](FolderBrowserRequest& r) { return TFileDialogForm::RunFolder(r); });
  InstallColorDialogPresenter();
}

void UninstallDialogPresenters() {
  platform::UserFunctions().MessageBoxW = platform::OriginalUserFunctions().MessageBoxW;
  platform::comdlg::SetFileDialogPresenter(nullptr);
  platform::shell::SetFolderBrowserPresenter(nullptr);
  platform::comdlg::SetColorDialogPresenter(nullptr);
}
