#include "vcl/Fixups.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "rtl/Strings.h"

namespace {

struct FixupState {
  std::recursive_mutex lock;
  std::vector<TPropFixup> global;
  std::vector<TFixupList*> reads;
};

FixupState& State() {
  static FixupState state;
  return state;
}

bool OwnedBy(TPersistent* instance, TComponent* root) {
  auto* component = dynamic_cast<TComponent*>(instance);
  for (; component; component = component->Owner())
    if (component == root) return true;
  return false;
}

void StoreReference(const TPropFixup& fixup, TComponent* target) {
  if (fixup.Prop->Kind() == tkInterface || fixup.Prop->Kind() == tkClass)
    SetObjectProp(fixup.Instance, fixup.Prop, target);
}

// Splits "Form2.Button1" into the root name and the rest; false without a ".".
bool SplitGlobal(const AnsiString& text, AnsiString& rootName, AnsiString& name) {
  size_t dot = text.find('.');
  if (dot == AnsiString::npos) return false;
  rootName = text.substr(0, dot);
  name = text.substr(dot + 1);
  return true;
}

}  // namespace

void vcl_DropFixups(const std::function<bool(const TPropFixup&)>& match) {
  auto& state = State();
  std::lock_guard guard(state.lock);
  std::erase_if(state.global, match);
  for (TFixupList* list : state.reads) std::erase_if(list->m_items, match);
}

TFixupList::TFixupList() {
  std::lock_guard guard(State().lock);
  State().reads.push_back(this);
}

TFixupList::~TFixupList() {
  std::lock_guard guard(State().lock);
  std::erase(State().reads, this);
}

void TFixupList::Add(TPropFixup fixup) {
  std::lock_guard guard(State().lock);
  m_items.push_back(std::move(fixup));
}

std::vector<TPropFixup> TFixupList::Take() {
  std::lock_guard guard(State().lock);
  return std::exchange(m_items, {});
}

bool TFixupList::Empty() const {
  std::lock_guard guard(State().lock);
  return m_items.empty();
}

TComponent* FindNestedComponent(TComponent* root, std::string_view path) {
  TComponent* current = root;
  while (current && !path.empty()) {
    size_t end = path.size();
    size_t skip = 0;
    for (size_t i = 0; i < path.size(); ++i) {
      if (path[i] == '.') {
        end = i;
        skip = 1;
        break;
      }
      if (path[i] == '-' && i + 1 < path.size() && path[i + 1] == '>') {
        end = i;
        skip = 2;
        break;
      }
    }
    std::string_view name = path.substr(0, end);
    TComponent* next = current->FindComponent(name);
    if (!next && SameText(name, "Owner")) next = current;
    current = next;
    path.remove_prefix(std::min(path.size(), end + skip));
  }
  return current;
}

void ResolveFixups(TFixupList& list, const TFixupHooks& hooks) {
  // Resolved one at a time, so that a reference that raises leaves the rest pending in the
  // list, where the reader's failure path drops them.
  for (;;) {
    TPropFixup fixup;
    {
      std::lock_guard guard(State().lock);
      auto items = list.Take();
      if (items.empty()) return;
      fixup = items.front();
      for (size_t i = 1; i < items.size(); ++i) list.Add(std::move(items[i]));
    }
    AnsiString name = fixup.Name;
    if (hooks.ReferenceName) hooks.ReferenceName(name);
    // An empty name is no reference at all (it would otherwise name the root itself).
    TComponent* target = name.empty() ? nullptr : FindNestedComponent(fixup.InstanceRoot, name);
    if (!target && hooks.AncestorNotFound) target = hooks.AncestorNotFound(name);
    {
      // The last reference read for a property is the one that counts.
      std::lock_guard guard(State().lock);
      std::erase_if(State().global, [&](const TPropFixup& g) {
        return g.Instance == fixup.Instance && g.Prop == fixup.Prop;
      });
    }
    AnsiString rootName, rest;
    if (!target && SplitGlobal(name, rootName, rest)) {
      fixup.RootName = rootName;
      fixup.Name = rest;
      AddGlobalFixup(std::move(fixup));
    } else {
      StoreReference(fixup, target);
    }
  }
}

void AddGlobalFixup(TPropFixup fixup) {
  std::lock_guard guard(State().lock);
  if (fixup.InstanceRoot) fixup.InstanceRoot->SetComponentStateFlag(csFixups, true);
  State().global.push_back(std::move(fixup));
}

void GlobalFixupReferences() {
  auto& nameSpace = GlobalNameSpace();
  nameSpace.BeginWrite();
  try {
    auto& state = State();
    std::lock_guard guard(state.lock);
    std::vector<TComponent*> finished, unfinished;
    size_t i = 0;
    while (i < state.global.size()) {
      TPropFixup fixup = state.global[i];
      TComponent* root = FindGlobalComponent(fixup.RootName);
      if (root && !root->ComponentState().Contains(csReading)) {
        state.global.erase(state.global.begin() + static_cast<long>(i));
        finished.push_back(fixup.InstanceRoot);
        StoreReference(fixup, FindNestedComponent(root, fixup.Name));
      } else if (root) {
        unfinished.push_back(fixup.InstanceRoot);
        ++i;
      } else if (GetObjectProp(fixup.Instance, fixup.Prop)) {
        // The property got a value meanwhile: that value wins.
        state.global.erase(state.global.begin() + static_cast<long>(i));
        finished.push_back(fixup.InstanceRoot);
      } else {
        unfinished.push_back(fixup.InstanceRoot);
        ++i;
      }
    }
    for (TComponent* root : finished)
      if (root && std::find(unfinished.begin(), unfinished.end(), root) == unfinished.end())
        root->SetComponentStateFlag(csFixups, false);
  } catch (...) {
    nameSpace.EndWrite();
    throw;
  }
  nameSpace.EndWrite();
}

void RemoveFixupReferences(TComponent* root, const AnsiString& rootName) {
  std::lock_guard guard(State().lock);
  std::erase_if(State().global, [&](const TPropFixup& f) {
    bool belongs = !root || f.InstanceRoot == root || OwnedBy(f.Instance, root);
    return belongs && (rootName.empty() || SameText(f.RootName, rootName));
  });
}

void RemoveFixupsFor(TPersistent* instance) {
  std::lock_guard guard(State().lock);
  std::erase_if(State().global, [&](const TPropFixup& f) { return f.Instance == instance; });
}

int GlobalFixupCount() {
  std::lock_guard guard(State().lock);
  return static_cast<int>(State().global.size());
}

namespace vcl::detail {
void PersistentDestroyed(TPersistent* object) {
  vcl_DropFixups([object](const TPropFixup& f) {
    return f.Instance == object || f.InstanceRoot == object;
  });
}
}  // namespace vcl::detail
