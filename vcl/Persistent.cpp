#include "vcl/Persistent.h"

#include <mutex>
#include <vector>

#include "rtl/Strings.h"
#include "vcl/Component.h"

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError::CreateFmt("Cannot assign a %s to a %s", {"nil", ClassName()});
}

void TPersistent::AssignTo(TPersistent* dest) {
  throw EConvertError::CreateFmt("Cannot assign a %s to a %s",
                                 {ClassName(), dest ? dest->ClassName() : AnsiString("nil")});
}

void TPersistent::DefineProperties(TFiler*) {}

TPersistent* TPersistent::GetOwner() { return nullptr; }

AnsiString TPersistent::GetNamePath() {
  TPersistent* owner = GetOwner();
  AnsiString path = owner ? owner->GetNamePath() : AnsiString();
  return path.empty() ? ClassName() : path;
}

namespace {

struct Registry {
  std::mutex lock;
  std::vector<TClass> classes;
};

Registry& Classes() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterClass(TClass cls) {
  auto& registry = Classes();
  std::lock_guard guard(registry.lock);
  for (TClass known : registry.classes) {
    if (known == cls) return;
    if (SameText(known->Name, cls->Name))
      throw EClassNotFound::CreateFmt("A class named %s already exists", {cls->Name});
  }
  registry.classes.push_back(cls);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass cls : classes) RegisterClass(cls);
}

void UnRegisterClass(TClass cls) {
  auto& registry = Classes();
  std::lock_guard guard(registry.lock);
  std::erase(registry.classes, cls);
}

TClass GetClass(std::string_view name) {
  auto& registry = Classes();
  std::lock_guard guard(registry.lock);
  for (TClass cls : registry.classes)
    if (SameText(cls->Name, name)) return cls;
  return nullptr;
}

TClass FindClass(std::string_view name) {
  TClass cls = GetClass(name);
  if (!cls) throw EClassNotFound::CreateFmt("Class %s not found", {name});
  return cls;
}

void ForEachRegisteredClass(TClass ancestor, const std::function<void(TClass)>& visit) {
  std::vector<TClass> snapshot;
  {
    auto& registry = Classes();
    std::lock_guard guard(registry.lock);
    snapshot = registry.classes;
  }
  for (TClass cls : snapshot)
    if (cls->InheritsFrom(ancestor)) visit(cls);
}

TComponent* CreateComponent(TClass cls, TComponent* owner) {
  if (!cls || !cls->InheritsFrom(TComponent::StaticClass()) || !cls->CreateOwned)
    throw EInvalidOperation::CreateFmt("Cannot create an instance of %s",
                                       {cls ? cls->Name : AnsiString("nil")});
  return static_cast<TComponent*>(cls->CreateOwned(owner));
}

TObject* CreateInstance(TClass cls) {
  if (!cls || !cls->CreateDefault)
    throw EInvalidOperation::CreateFmt("Cannot create an instance of %s",
                                       {cls ? cls->Name : AnsiString("nil")});
  return cls->CreateDefault();
}
