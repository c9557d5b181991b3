#include "vcl/Component.h"

#include <algorithm>
#include <mutex>

#include "rtl/Strings.h"
#include "vcl/Fixups.h"

void TComponent::DescribeClass(TClassBuilder<TComponent>& c) {
  // The name travels in the component's header, not as a property.
  c.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  c.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Each partner leaves our list before it hears of us, so a Notification override that
  // does not call the inherited one cannot make this loop forever.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  vcl::detail::PersistentDestroyed(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError::CreateFmt("List index out of bounds (%d)", {index});
  return FComponents[index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
  if (!FOwner) return;
  int current = ComponentIndex();
  if (current < 0) return;
  auto& list = FOwner->FComponents;
  value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : FComponents)
    if (SameText(component->FName, name)) return component;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component) return;
  ValidateInsert(component);
  ValidateRename(component, {}, component->FName);
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  Insert(component);
  component->SetReference(true);
  if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->FOwner != this) return;
  ValidateRename(component, component->FName, {});
  Notification(component, opRemove);
  component->SetReference(false);
  Remove(component);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    if (instance->FComponentState.Contains(csFreeNotification))
      RemoveComponent(instance);
    else
      Remove(instance);
    delete instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* component : FComponents) component->Destroying();
}

void TComponent::Insert(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
  std::erase(FComponents, component);
  component->FOwner = nullptr;
}

bool IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(),
                     [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

void TComponent::SetName(const AnsiString& newName) {
  if (FName == newName) return;
  if (!newName.empty() && !IsValidIdent(newName))
    throw EComponentError::CreateFmt("'%s' is not a valid component name", {newName});
  if (FOwner)
    FOwner->ValidateRename(this, FName, newName);
  else
    ValidateRename(nullptr, FName, newName);
  SetReference(false);
  ChangeName(newName);
  SetReference(true);
}

void TComponent::ChangeName(const AnsiString& newName) { FName = newName; }

void TComponent::ValidateRename(TComponent* component, const AnsiString& curName,
                                const AnsiString& newName) {
  if (component && !newName.empty() && !SameText(curName, newName) &&
      FindComponent(newName) && FindComponent(newName) != component)
    throw EComponentError::CreateFmt("A component named %s already exists", {newName});
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::SetReference(bool enable) {
  if (!FOwner || FName.empty()) return;
  if (const TFieldEntry* field = FOwner->ClassType()->FieldAddress(FName))
    field->Set(FOwner, enable ? this : nullptr, *field);
}

void TComponent::SetSubComponent(bool value) {
  if (value)
    FComponentStyle.Include(csSubComponent);
  else
    FComponentStyle.Exclude(csSubComponent);
}

void TComponent::SetComponentStateFlag(TComponentStateItem item, bool on) {
  if (on)
    FComponentState.Include(item);
  else
    FComponentState.Exclude(item);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
  SetComponentStateFlag(csDesigning, value);
  if (setChildren)
    for (TComponent* component : FComponents) component->SetDesigning(value);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Owned components hear of every insertion into and removal from their owner. The list
  // may shrink while they react.
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    if (i >= ComponentCount()) {
      i = ComponentCount();
      continue;
    }
    FComponents[i]->Notification(component, operation);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (!FOwner || component->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(component);
      component->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) { std::erase(FFreeNotifies, component); }

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}
TComponent* TComponent::GetChildOwner() { return nullptr; }
TComponent* TComponent::GetChildParent() { return this; }
bool TComponent::HasParent() { return false; }
TComponent* TComponent::GetParentComponent() { return nullptr; }
void TComponent::SetParentComponent(TComponent*) {}
void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

AnsiString TComponent::GetNamePath() { return FName; }

namespace {
struct GlobalFinders {
  std::mutex lock;
  std::vector<TFindGlobalComponent> procs;
};
GlobalFinders& Finders() {
  static GlobalFinders finders;
  return finders;
}
}  // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  std::lock_guard guard(Finders().lock);
  auto& procs = Finders().procs;
  if (std::find(procs.begin(), procs.end(), proc) == procs.end()) procs.push_back(proc);
}

void UnRegisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  std::lock_guard guard(Finders().lock);
  std::erase(Finders().procs, proc);
}

TComponent* FindGlobalComponent(const AnsiString& name) {
  std::vector<TFindGlobalComponent> procs;
  {
    std::lock_guard guard(Finders().lock);
    procs = Finders().procs;
  }
  // The latest registration is asked first.
  for (auto it = procs.rbegin(); it != procs.rend(); ++it)
    if (TComponent* found = (*it)(name)) return found;
  return nullptr;
}

TMultiReadExclusiveWriteSynchronizer& GlobalNameSpace() {
  static TMultiReadExclusiveWriteSynchronizer lock;
  return lock;
}
