#pragma once

// TFSSkinEngine: the one object through which every window and control gets its skin. It
// loads skin files on demand, finds items by name (with a one-entry cache), resolves skin
// references "Name(Id)" to parts, shares images between all items, and reloads everything
// when the skin folder changes, telling its listeners twice (False, then True) while the
// old objects still exist.
//
// The global SkinEngine is made and freed by the skin module's start and stop functions
// (SkinModule.h). GUI thread only; the engine has no locks.

#include <functional>
#include <memory>
#include <set>
#include <string_view>

#include "program/core/FSEventList.h"
#include "program/skin/SkinReader.h"
#include "vcl/Component.h"
#include "vcl/Messages.h"
#include "vcl/StringList.h"

class TControl;

constexpr UINT CM_SKINCHANGED = CM_BASE + 1000;

class TFSSkinEngine : public TComponent {
  BRANTWELL_CLASS(TFSSkinEngine, TComponent)

 public:
  using TSkinChangeListeners = TFSEventList<void(TObject*, bool)>;
  using TReloadCallback = std::function<void(TFSSkinEngine*, intptr_t, intptr_t)>;
  using TLookupMissHook = std::function<void(const AnsiString& name, int id)>;

  explicit TFSSkinEngine(TComponent* owner = nullptr);
  ~TFSSkinEngine() override;

  // A loaded item or nil; loads nothing. '' looks up "Default".
  TSkinItem* FindSkinItem(std::string_view name);
  // nil for ''; else a loaded item, or the item from the skin file of that name.
  TSkinItem* GetSkinItem(std::string_view name);
  TSkinItemPart* GetSkinPart(std::string_view name, int id);
  // True when the file was read (or is loaded already); a file that brought no new item
  // is not kept. Errors are caught and logged: the file is discarded and the result false.
  bool LoadSkinFile(const AnsiString& name);
  void LoadFilesInUse();
  bool ReloadSkins(intptr_t a, intptr_t b, const TReloadCallback& callback, bool reload);
  void Reload() { ReloadSkins(0, 0, nullptr, true); }
  void SetSkinPath(const AnsiString& path);

  template <class C> bool AddChangeListener(C* object, void (C::*method)(TObject*, bool)) {
    Listeners.Add(object, method);
    return true;
  }
  template <class C> bool RemoveChangeListener(C* object, void (C::*method)(TObject*, bool)) {
    return Listeners.Remove(object, method) >= 0;
  }
  void NotifyListeners(TObject* sender, bool flag);
  TGraphic* AddSharedImage(const AnsiString& name, std::unique_ptr<TGraphic> graphic);
  void ItemListNotify(TSkinItem* item, int action);

  static bool ParseSkinName(std::string_view text, AnsiString& name, int& id);
  static AnsiString FormatSkinName(const AnsiString& name, int id);
  // CM_SKINCHANGED to the control and then, depth first, to every child control.
  static void BroadcastSkinChanged(TControl* control);

  // Told of every GetSkinItem/GetSkinPart that found nothing (name, and id or -1 for an
  // item lookup). Off unless set, or unless BRANTWELL_DEBUG_OUTPUT is set at creation (each
  // missed name then logged once).
  void SetLookupMissHook(TLookupMissHook hook) { m_lookupMiss = std::move(hook); }

  TSkinFileList Files{this};
  TSkinShareImageList SharedImages;
  TSkinItemList Items{this, false, true};
  AnsiString LastName;
  TSkinItem* LastItem = nullptr;
  int32_t LanguageId = 0;
  std::unique_ptr<TFSSkinReader> Reader;
  TNotifyEvent OnReload;
  TNotifyEvent OnChange;
  TStringList FileNames;
  TSkinChangeListeners Listeners;
  bool Destroying = false;

 private:
  void ReportMiss(std::string_view name, int id);
  TLookupMissHook m_lookupMiss;
  std::set<AnsiString> m_loggedMisses;
};

// The engine of the running program (nil before the skin module starts and after it stops).
extern TFSSkinEngine* SkinEngine;

// Where the skin engine's diagnostic lines go: the hook when set (tests), else standard
// error (a discarded skin file always; other lines when BRANTWELL_DEBUG_OUTPUT is set).
void SetSkinDiagnosticHook(std::function<void(const AnsiString& line)> hook);
void SkinDiagnostic(const AnsiString& line, bool always);
