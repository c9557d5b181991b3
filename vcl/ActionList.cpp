#include "vcl/ActionList.h"

#include <algorithm>

#include "rtl/SysUtils.h"

void TCustomActionList::DescribeClass(TClassBuilder<TCustomActionList>& c) {
  c.Property("OnExecute", &TCustomActionList::OnExecute);
  c.Property("OnUpdate", &TCustomActionList::OnUpdate);
}

TCustomActionList::~TCustomActionList() {
  Destroying();
  for (TContainedAction* action : std::vector<TContainedAction*>(FActions)) RemoveAction(action);
}

TContainedAction* TCustomActionList::Actions(int index) const {
  if (index < 0 || index >= ActionCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FActions[static_cast<size_t>(index)];
}

int TCustomActionList::IndexOf(const TContainedAction* action) const {
  auto it = std::find(FActions.begin(), FActions.end(), action);
  return it == FActions.end() ? -1 : static_cast<int>(it - FActions.begin());
}

void TCustomActionList::AddAction(TContainedAction* action) {
  if (!action || IndexOf(action) >= 0) return;
  if (action->FActionList) action->FActionList->RemoveAction(action);
  FActions.push_back(action);
  action->FActionList = this;
  action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* action) {
  if (!action || IndexOf(action) < 0) return;
  std::erase(FActions, action);
  action->FActionList = nullptr;
  action->RemoveFreeNotification(this);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove)
    if (auto* action = dynamic_cast<TContainedAction*>(component)) std::erase(FActions, action);
}

bool TCustomActionList::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  if (OnExecute) OnExecute(action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(action, handled);
  return handled;
}

void TCustomActionList::UpdateActions() {
  for (TContainedAction* action : std::vector<TContainedAction*>(FActions)) action->Update();
}

bool TCustomActionList::IsShortCut(TWMKey& m) {
  TShortCut shortCut = ShortCutFromMessage(m);
  if ((shortCut & 0xFF) == 0) return false;
  for (TContainedAction* action : std::vector<TContainedAction*>(FActions)) {
    auto* custom = dynamic_cast<TCustomAction*>(action);
    if (!custom || custom->GetShortCut() != shortCut) continue;
    custom->Update();
    if (custom->Enabled() && custom->Visible()) {
      custom->Execute();
      return true;
    }
    return false;
  }
  return false;
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TContainedAction* action : FActions)
    if (action->Owner() == root) proc(action);
}

void TCustomActionList::SetChildOrder(TComponent* child, int order) {
  auto* action = dynamic_cast<TContainedAction*>(child);
  int index = IndexOf(action);
  if (index < 0) return;
  FActions.erase(FActions.begin() + index);
  order = std::clamp(order, 0, ActionCount());
  FActions.insert(FActions.begin() + order, action);
}
