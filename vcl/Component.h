#pragma once

// TComponent: the owner/owned model, names, state and the streaming hooks.
//
// Ownership: a component created with an owner is inserted into the owner's list and is
// freed by the owner's destructor (deleting an owned component yourself is fine too: it
// leaves its owner's list first). This is the only place in the program where the
// owner-frees rule lives.
//
// Names: a non-empty name must be an identifier ("'%s' is not a valid component name") and
// unique among the owner's components, letter case ignored ("A component named %s already
// exists"). An owner's published field of that name follows the component.
//
// Free notifications: FreeNotification(other) makes the two components tell each other
// when one of them is destroyed (Notification(x, opRemove)); components of the same owner
// hear of each other through their owner anyway.
//
// GUI thread only, like everything that touches components.

#include <functional>
#include <vector>

#include "vcl/MultiReadExclusiveWriteSynchronizer.h"
#include "vcl/Persistent.h"
#include "vcl/TypInfo.h"

class TReader;
class TWriter;

BRANTWELL_DECLARE_EXCEPTION(EComponentError, Exception);

enum TOperation { opInsert, opRemove };

BRANTWELL_ENUM(TComponentStateItem, csLoading, csReading, csWriting, csDestroying, csDesigning,
               csAncestor, csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateItem>;

BRANTWELL_ENUM(TComponentStyleItem, csInheritable, csCheckPropAvail, csSubComponent, csTransient)
using TComponentStyle = TSet<TComponentStyleItem>;

using TGetChildProc = std::function<void(TComponent* child)>;

class TComponent : public TPersistent {
  BRANTWELL_CLASS(TComponent, TPersistent)

 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  static void DescribeClass(TClassBuilder<TComponent>& c);

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  void SetComponentIndex(int value);
  // The owned component of that name (letter case ignored), nil when none or name empty.
  TComponent* FindComponent(std::string_view name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();
  // Marks the component as being destroyed (and its owned components); the destructor does
  // it too, but a subclass may call it first so that its own teardown sees the flag.
  void Destroying();

  const AnsiString& Name() const { return FName; }
  virtual void SetName(const AnsiString& newName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t value) { FTag = value; }
  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }
  void SetSubComponent(bool value);

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Streaming hooks.
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  virtual TComponent* GetChildOwner();
  virtual TComponent* GetChildParent();
  virtual bool HasParent();
  virtual TComponent* GetParentComponent();
  virtual void SetParentComponent(TComponent* value);
  virtual void ReadState(TReader* reader);
  virtual void WriteState(TWriter* writer);
  virtual void Loaded();

  AnsiString GetNamePath() override;
  void SetDesigning(bool value, bool setChildren = true);

  // State changes made by the streaming system.
  void SetComponentStateFlag(TComponentStateItem item, bool on);

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void ValidateRename(TComponent* component, const AnsiString& curName,
                              const AnsiString& newName);
  virtual void ValidateInsert(TComponent* component);
  virtual void ChangeName(const AnsiString& newName);
  TPersistent* GetOwner() override { return FOwner; }
  // Points the owner's published field of this component's name at it (or clears it).
  void SetReference(bool enable);

  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void RemoveNotification(TComponent* component);

  TComponent* FOwner = nullptr;
  AnsiString FName;
  intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;

  friend class TReader;
};

// True for a name made of letters, digits and underscores that does not start with a digit.
bool IsValidIdent(std::string_view name);

// Global components (forms, data modules) are found by name through registered finders.
using TFindGlobalComponent = TComponent* (*)(const AnsiString& name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnRegisterFindGlobalComponentProc(TFindGlobalComponent proc);
TComponent* FindGlobalComponent(const AnsiString& name);

// The lock taken for writing while a root component is read, so that names and references
// between roots are settled by one reader at a time.
TMultiReadExclusiveWriteSynchronizer& GlobalNameSpace();
