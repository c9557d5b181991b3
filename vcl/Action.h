#pragma once

// Actions: commands shared by controls and menu items. An action carries the state its
// clients show (caption, checked, enabled, hint, image, shortcut, visible) and the handler
// they run; clients follow it through action links. Execute asks the action's list, then
// the application, then runs OnExecute; Update (done on idle for the visible forms) asks the
// same way and then runs OnUpdate, where the program sets Enabled and Checked.
//
// GUI thread only.

#include <vector>

#include "vcl/Control.h"

class TCustomActionList;
class TBasicActionLink;

// A key with its shift keys: the virtual key in the low byte, scShift, scCtrl, scAlt above.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;
TShortCut ShortCut(WORD key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift);
// The shortcut of a key message with the keyboard's shift state.
TShortCut ShortCutFromMessage(const TWMKey& m);

class TBasicAction : public TComponent {
  BRANTWELL_CLASS(TBasicAction, TComponent)

 public:
  explicit TBasicAction(TComponent* owner);
  ~TBasicAction() override;
  static void DescribeClass(TClassBuilder<TBasicAction>& c);

  // True when someone handled it.
  virtual bool Execute();
  virtual bool Update();
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* value) { FActionComponent = value; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);

 protected:
  // Tells every client that the action changed.
  void Change();
  std::vector<TBasicActionLink*> FClients;
  TComponent* FActionComponent = nullptr;
};

class TContainedAction : public TBasicAction {
  BRANTWELL_CLASS(TContainedAction, TBasicAction)

 public:
  explicit TContainedAction(TComponent* owner) : TBasicAction(owner) {}
  ~TContainedAction() override;
  static void DescribeClass(TClassBuilder<TContainedAction>& c);

  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* value);
  const AnsiString& Category() const { return FCategory; }
  void SetCategory(const AnsiString& value) { FCategory = value; }
  int Index() const;
  bool Execute() override;
  bool Update() override;
  TComponent* GetParentComponent() override;
  bool HasParent() override { return FActionList != nullptr; }
  void SetParentComponent(TComponent* value) override;

 protected:
  TCustomActionList* FActionList = nullptr;
  AnsiString FCategory;
  friend class TCustomActionList;
};

class TCustomAction : public TContainedAction {
  BRANTWELL_CLASS(TCustomAction, TContainedAction)

 public:
  explicit TCustomAction(TComponent* owner) : TContainedAction(owner) {}
  static void DescribeClass(TClassBuilder<TCustomAction>& c);

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool value) { FAutoCheck = value; }
  bool Execute() override;

 protected:
  AnsiString FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  AnsiString FHint;
  int FImageIndex = -1;
  TShortCut FShortCut = 0;
  bool FVisible = true;
  int FGroupIndex = 0;
  bool FAutoCheck = false;
  bool FChecking = false;
};

class TAction : public TCustomAction {
  BRANTWELL_CLASS(TAction, TCustomAction)

 public:
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// Connects a client to an action: the client hears of changes through OnChange and runs the
// action through Execute.
class TBasicActionLink : public TObject {
  BRANTWELL_CLASS(TBasicActionLink, TObject)

 public:
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* value);
  virtual bool Execute(TComponent* component);
  virtual bool Update();
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  virtual void Change();
  TBasicAction* FAction = nullptr;
};

class TControlActionLink : public TBasicActionLink {
  BRANTWELL_CLASS(TControlActionLink, TBasicActionLink)

 public:
  explicit TControlActionLink(TControl* client) : FClient(client) {}
  TControl* Client() const { return FClient; }

 protected:
  TControl* FClient;
};
