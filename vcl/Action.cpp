#include "vcl/Action.h"

#include <algorithm>

#include "vcl/ActionList.h"
#include "vcl/Application.h"

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key & 0xFF00) return scNone;
  TShortCut result = key;
  if (shift.Contains(ssShift)) result |= scShift;
  if (shift.Contains(ssCtrl)) result |= scCtrl;
  if (shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = {};
  if (shortCut & scShift) shift.Include(ssShift);
  if (shortCut & scCtrl) shift.Include(ssCtrl);
  if (shortCut & scAlt) shift.Include(ssAlt);
}

TShortCut ShortCutFromMessage(const TWMKey& m) { return ShortCut(m.CharCode, KeyDataToShiftState(m.KeyData)); }

// ---- TBasicAction --------------------------------------------------------------------------------

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
  Destroying();
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients)) link->FAction = nullptr;
  FClients.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (std::find(FClients.begin(), FClients.end(), link) == FClients.end()) FClients.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) { std::erase(FClients, link); }

void TBasicAction::Change() {
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients)) link->Change();
}

// ---- TContainedAction ----------------------------------------------------------------------------

void TContainedAction::DescribeClass(TClassBuilder<TContainedAction>& c) {
  c.Property("Category", &TContainedAction::Category, &TContainedAction::SetCategory);
}

void TBasicAction::DescribeClass(TClassBuilder<TBasicAction>& c) {
  c.Property("OnExecute", &TBasicAction::OnExecute);
  c.Property("OnUpdate", &TBasicAction::OnUpdate);
}

TContainedAction::~TContainedAction() {
  Destroying();
  if (FActionList) FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* value) {
  if (value == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (value) value->AddAction(this);
}

int TContainedAction::Index() const { return FActionList ? FActionList->IndexOf(this) : -1; }

TComponent* TContainedAction::GetParentComponent() { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(value)) SetActionList(list);
}

bool TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (Application->ExecuteAction(this)) return true;
  return inherited::Execute();
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (Application->UpdateAction(this)) return true;
  return inherited::Update();
}

// ---- TCustomAction -------------------------------------------------------------------------------

void TCustomAction::DescribeClass(TClassBuilder<TCustomAction>& c) {
  c.Property("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
  c.Property("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked).Default(0);
  c.Property("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled).Default(1);
  c.Property("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
  c.Property("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  c.Property("ShortCut", &TCustomAction::GetShortCut, &TCustomAction::SetShortCut).Default(0);
  c.Property("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible).Default(1);
  c.Property("GroupIndex", &TCustomAction::GroupIndex, &TCustomAction::SetGroupIndex).Default(0);
  c.Property("AutoCheck", &TCustomAction::AutoCheck, &TCustomAction::SetAutoCheck).Default(0);
}

void TCustomAction::SetCaption(const AnsiString& value) {
  if (value == FCaption) return;
  FCaption = value;
  Change();
}

// Checking an action of a group unchecks the others of its list with the same group.
void TCustomAction::SetChecked(bool value) {
  if (value == FChecked || FChecking) return;
  FChecking = true;
  FChecked = value;
  if (value && FGroupIndex > 0 && FActionList) {
    for (int i = 0; i < FActionList->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(FActionList->Actions(i));
      if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
    }
  }
  FChecking = false;
  Change();
}

void TCustomAction::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Change();
}

void TCustomAction::SetHint(const AnsiString& value) {
  if (value == FHint) return;
  FHint = value;
  Change();
}

void TCustomAction::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (value == FShortCut) return;
  FShortCut = value;
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Change();
}

void TCustomAction::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  Change();
}

// A disabled action does nothing; AutoCheck turns Checked over first.
bool TCustomAction::Execute() {
  Update();
  if (!FEnabled) return false;
  if (FAutoCheck && !(FChecked && FGroupIndex > 0)) SetChecked(!FChecked);
  return inherited::Execute();
}

// ---- links -----------------------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = value;
  if (FAction) FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* component) {
  if (!FAction) return false;
  FAction->SetActionComponent(component);
  struct Reset {
    TBasicAction* action;
    ~Reset() { action->SetActionComponent(nullptr); }
  } reset{FAction};
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}
