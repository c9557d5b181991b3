#pragma once

// TCustomActionList / TActionList: a form's list of actions. Its OnExecute and OnUpdate see
// every action of the list before the action's own handlers; it also answers the shortcuts
// of its actions. GUI thread only.

#include <vector>

#include "vcl/Action.h"

using TActionEvent2 = TEvent<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
  BRANTWELL_CLASS(TCustomActionList, TComponent)

 public:
  explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
  ~TCustomActionList() override;
  static void DescribeClass(TClassBuilder<TCustomActionList>& c);

  int ActionCount() const { return static_cast<int>(FActions.size()); }
  TContainedAction* Actions(int index) const;
  int IndexOf(const TContainedAction* action) const;
  void AddAction(TContainedAction* action);
  void RemoveAction(TContainedAction* action);
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);
  // Updates every action of the list.
  void UpdateActions();
  // Runs the enabled, visible action with the key message's shortcut.
  bool IsShortCut(TWMKey& m);
  bool State() const { return FEnabled; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TActionEvent2 OnExecute;
  TActionEvent2 OnUpdate;

 protected:
  void SetChildOrder(TComponent* child, int order);
  void Notification(TComponent* component, TOperation operation) override;
  std::vector<TContainedAction*> FActions;
  bool FEnabled = true;
};

class TActionList : public TCustomActionList {
  BRANTWELL_CLASS(TActionList, TCustomActionList)

 public:
  explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};
