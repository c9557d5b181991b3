#pragma once

// Fix-ups: references between components that are read by name and stored once the whole
// root (or, for references into another root, that root) has been read.
//
// A reader keeps the references of its read in a TFixupList; at the end of the read
// ResolveFixups stores every reference found under the instance root, and moves the ones
// naming another root ("Form2.Button1") to the global list, which GlobalFixupReferences
// resolves when a root of that name exists and is not being read.
//
// Nothing here writes through a destroyed object: an object's destruction drops every
// pending fix-up whose instance or instance root it is, from the global list and from every
// read in progress. The global list and the registry of reads are guarded by one lock;
// resolving runs on the GUI thread.

#include <functional>
#include <vector>

#include "vcl/Component.h"

struct TPropFixup {
  TPersistent* Instance = nullptr;     // the object whose property waits
  TComponent* InstanceRoot = nullptr;  // the root being read when the reference was read
  const TPropInfo* Prop = nullptr;     // a class or interface property
  AnsiString RootName;                 // empty for a reference inside InstanceRoot
  AnsiString Name;                     // the reference text
};

// The pending references of one read. Registered while it lives, so that destroyed objects
// leave it.
class TFixupList {
 public:
  TFixupList();
  ~TFixupList();
  TFixupList(const TFixupList&) = delete;
  TFixupList& operator=(const TFixupList&) = delete;

  void Add(TPropFixup fixup);
  std::vector<TPropFixup> Take();  // empties the list
  bool Empty() const;

 private:
  std::vector<TPropFixup> m_items;
  friend void vcl_DropFixups(const std::function<bool(const TPropFixup&)>& match);
};

// Hooks a reader may pass in: rename a reference before it is looked up, and supply a
// component when the name finds none.
struct TFixupHooks {
  std::function<void(AnsiString& name)> ReferenceName;
  std::function<TComponent*(const AnsiString& name)> AncestorNotFound;
};

// Resolves the references of a finished read (see above).
void ResolveFixups(TFixupList& list, const TFixupHooks& hooks = {});

// The component that a path of names separated by "." or "->" reaches from root; the name
// "Owner" stands for the component reached so far when none of its components has it.
TComponent* FindNestedComponent(TComponent* root, std::string_view path);

// Resolves the global references whose roots now exist (see above).
void GlobalFixupReferences();
// Drops the global references read under root (also those whose instance root is owned
// by it); with a root name, only those that name that root.
void RemoveFixupReferences(TComponent* root, const AnsiString& rootName = {});
// Drops the global references whose instance is the object.
void RemoveFixupsFor(TPersistent* instance);
// Number of pending global references (for diagnostics and tests).
int GlobalFixupCount();
// Stores a reference in the global list directly (the form reader's cross-root references).
void AddGlobalFixup(TPropFixup fixup);

namespace vcl::detail {
// Called by TComponent and TCollectionItem as they are destroyed.
void PersistentDestroyed(TPersistent* object);
}
