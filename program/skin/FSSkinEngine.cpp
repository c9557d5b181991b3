#include "program/skin/FSSkinEngine.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/Control.h"
#include "vcl/WinControl.h"

TFSSkinEngine* SkinEngine = nullptr;

namespace {

std::mutex g_diagnosticLock;
std::function<void(const AnsiString&)> g_diagnosticHook;

}  // namespace

void SetSkinDiagnosticHook(std::function<void(const AnsiString& line)> hook) {
  std::lock_guard lock(g_diagnosticLock);
  g_diagnosticHook = std::move(hook);
}

void SkinDiagnostic(const AnsiString& line, bool always) {
  std::function<void(const AnsiString&)> hook;
  {
    std::lock_guard lock(g_diagnosticLock);
    hook = g_diagnosticHook;
  }
  if (hook) hook(line);
  else if (always || std::getenv("BRANTWELL_DEBUG_OUTPUT")) std::fprintf(stderr, "%s\n", line.c_str());
}

TFSSkinEngine::TFSSkinEngine(TComponent* owner)
    : TComponent(owner), Reader(std::make_unique<TFSFileSkinReader>(this)) {
  Items.OnNotify = [this](TSkinItem* item, int action) { ItemListNotify(item, action); };
  FileNames.SetCaseSensitive(false);
  FileNames.Add("Controls");
  if (std::getenv("BRANTWELL_DEBUG_OUTPUT")) {
    m_lookupMiss = [this](const AnsiString& name, int id) {
      if (!m_loggedMisses.insert(UpperCase(name) + "(" + std::to_string(id) + ")").second) return;
      SkinDiagnostic(id < 0 ? Format("Skin item not found: %s", {name})
                            : Format("Skin part not found: %s(%d)", {name, id}),
                     false);
    };
  }
}

TFSSkinEngine::~TFSSkinEngine() {
  Destroying = true;
  Files.Clear();
  Items.OnNotify = nullptr;
  SharedImages.Clear();
}

void TFSSkinEngine::ReportMiss(std::string_view name, int id) {
  if (m_lookupMiss) m_lookupMiss(AnsiString(name), id);
}

TSkinItem* TFSSkinEngine::FindSkinItem(std::string_view name) {
  if (LastItem && name == LastName) return LastItem;
  const int index = Items.IndexOf(name.empty() ? std::string_view("Default") : name);
  if (index < 0) return nullptr;
  LastItem = Items.Items(index);
  LastName = AnsiString(name);
  return LastItem;
}

TSkinItem* TFSSkinEngine::GetSkinItem(std::string_view name) {
  if (name.empty()) return nullptr;
  TSkinItem* item = FindSkinItem(name);
  if (!item && LoadSkinFile(AnsiString(name))) item = FindSkinItem(name);
  if (!item) ReportMiss(name, -1);
  return item;
}

TSkinItemPart* TFSSkinEngine::GetSkinPart(std::string_view name, int id) {
  if (name.empty()) return nullptr;
  TSkinItem* item = GetSkinItem(name);
  if (!item) return nullptr;
  TSkinItemPart* part = item->FindPart(id);
  if (!part) ReportMiss(name, id);
  return part;
}

bool TFSSkinEngine::LoadSkinFile(const AnsiString& name) {
  // A file already loaded is not read twice.
  if (Files.FindByName(name)) return true;
  auto file = std::make_unique<TSkinFile>(this);
  try {
    if (!file->LoadFromFile(name)) return false;
  } catch (const Exception& error) {
    SkinDiagnostic(Format("Skin file \"%s\" discarded: %s", {name, error.Message()}), true);
    return false;
  } catch (const std::exception& error) {
    SkinDiagnostic(Format("Skin file \"%s\" discarded: %s", {name, AnsiString(error.what())}), true);
    return false;
  }
  // A file whose items were all loaded before brings nothing; keeping it would only grow
  // the list at every form that names it.
  if (file->Items.Count() > 0) Files.Add(std::move(file));
  return true;
}

void TFSSkinEngine::LoadFilesInUse() {
  for (int i = 0; i < FileNames.Count(); ++i) LoadSkinFile(FileNames.Strings(i));
}

bool TFSSkinEngine::ReloadSkins(intptr_t a, intptr_t b, const TReloadCallback& callback, bool reload) {
  TSkinFileList oldFiles(this);
  TSkinShareImageList oldImages;
  // The old objects outlive both notifications: the guard frees them last, also when a
  // step raises.
  struct OldObjects {
    TSkinFileList& files;
    TSkinShareImageList& images;
    ~OldObjects() {
      images.Clear();
      files.Clear();
    }
  } guard{oldFiles, oldImages};
  Files.MoveTo(oldFiles);
  SharedImages.MoveTo(oldImages);
  Items.Clear();
  LastName.clear();
  LastItem = nullptr;
  if (reload) LoadFilesInUse();
  if (callback) callback(this, a, b);
  if (OnReload) OnReload(this);
  if (OnChange) OnChange(this);
  NotifyListeners(this, false);
  NotifyListeners(this, true);
  return true;
}

void TFSSkinEngine::SetSkinPath(const AnsiString& path) {
  if (auto* reader = dynamic_cast<TFSFileSkinReader*>(Reader.get())) reader->SetSkinPath(path);
}

void TFSSkinEngine::NotifyListeners(TObject* sender, bool flag) {
  for (int i = 0; i < Listeners.Count(); ++i) Listeners.Items(i)(sender, flag);
}

TGraphic* TFSSkinEngine::AddSharedImage(const AnsiString& name, std::unique_ptr<TGraphic> graphic) {
  return SharedImages.Add(name, std::move(graphic), this);
}

void TFSSkinEngine::ItemListNotify(TSkinItem* item, int action) {
  if ((action == TSkinItemList::Removed || action == TSkinItemList::Cleared) && item == LastItem) LastItem = nullptr;
}

bool TFSSkinEngine::ParseSkinName(std::string_view text, AnsiString& name, int& id) {
  const size_t open = text.find('(');
  name = AnsiString(text.substr(0, open));
  id = 0;
  if (name.empty()) return false;
  if (open != std::string_view::npos) {
    std::string_view rest = text.substr(open + 1);
    const size_t end = rest.find_first_of("),");
    id = StrToIntDef(rest.substr(0, end), 0);
  }
  return true;
}

AnsiString TFSSkinEngine::FormatSkinName(const AnsiString& name, int id) {
  if (name.empty()) return {};
  if (id != 0) return Format("%s(%d)", {name, id});
  return name;
}

void TFSSkinEngine::BroadcastSkinChanged(TControl* control) {
  if (!control) return;
  control->Perform(CM_SKINCHANGED, 0, 0);
  if (auto* windowed = dynamic_cast<TWinControl*>(control))
    for (int i = 0; i < windowed->ControlCount(); ++i) BroadcastSkinChanged(windowed->Controls(i));
}
