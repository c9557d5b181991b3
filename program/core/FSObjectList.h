#pragma once

// TFSObjectList: a pointer list that may own its objects and reports every change. With
// OwnsObjects an object deleted from the list (Delete, Remove, Clear, destroying the list) is
// freed after OnNotify has seen it; an extracted one never is. GUI thread (no lock).

#include "vcl/Event.h"
#include "vcl/List.h"

using TFSListNotifyEvent = TEvent<void(void* item, TListNotification action)>;

class TFSObjectList : public TList {
  BRANTWELL_CLASS(TFSObjectList, TList)

 public:
  explicit TFSObjectList(bool ownsObjects = false) : OwnsObjects(ownsObjects) {}
  ~TFSObjectList() override { Clear(); }

  int Add(TObject* object) { return TList::Add(object); }

  bool OwnsObjects;
  TFSListNotifyEvent OnNotify;

 protected:
  void Notify(void* item, TListNotification action) override {
    if (OnNotify) OnNotify(item, action);
    if (OwnsObjects && action == lnDeleted) delete static_cast<TObject*>(item);
    TList::Notify(item, action);
  }
};
