#include "program/core/XMLReader.h"

#include <algorithm>

#include "program/core/XMLFormValues.h"
#include "rtl/SysUtils.h"
#include "vcl/StringList.h"

namespace {

// Runs the restore step on every exit path.
template <class F> struct Restore {
  F f;
  ~Restore() { f(); }
};
template <class F> Restore(F) -> Restore<F>;

bool OwnedByOrIs(TComponent* component, TComponent* ancestor) {
  for (; component; component = component->Owner())
    if (component == ancestor) return true;
  return false;
}

AnsiString A(const WideString& text) { return WideToUTF8(text); }

[[noreturn]] void PropertyMissing(const AnsiString& name) {
  throw EReadError::CreateFmt("Property %s does not exist", {name});
}

// The loading lists of this thread: the open one is the last.
thread_local std::vector<std::unique_ptr<std::vector<TComponent*>>> t_loadingLists;

}  // namespace

// ---- Loading lists ----------------------------------------------------------------------

void BeginGlobalLoading() { t_loadingLists.push_back(std::make_unique<std::vector<TComponent*>>()); }

void NotifyGlobalLoading() {
  std::vector<TComponent*>* list = GlobalLoadingList();
  if (!list) return;
  // By index: a Loaded handler may read further components into the list.
  for (size_t i = 0; i < list->size(); ++i) (*list)[i]->Loaded();
}

void EndGlobalLoading() {
  if (!t_loadingLists.empty()) t_loadingLists.pop_back();
  if (t_loadingLists.empty()) t_loadingLists.shrink_to_fit();
}

std::vector<TComponent*>* GlobalLoadingList() {
  return t_loadingLists.empty() ? nullptr : t_loadingLists.back().get();
}

// ---- TJumpReader ------------------------------------------------------------------------

TJumpReader::TJumpReader(TStream* stream, TXMLReader* xmlReader)
    : TReader(stream, 0), FXMLReader(xmlReader) {}

void TJumpReader::ReadData(TComponent* instance) { FXMLReader->ReadData(instance); }

// ---- TXMLReader -------------------------------------------------------------------------

TXMLReader::TXMLReader() : TFiler(nullptr, 0), FProxy(&FProxyStream, this) {}
TXMLReader::~TXMLReader() = default;

bool TXMLReader::LoadFromFile(const WideString& fileName) {
  FFormElement = nullptr;
  FCurrentNode = nullptr;
  FDocument = LoadXMLFile(fileName);
  if (!FDocument) return false;
  IXMLElementPtr root = FDocument->GetDocumentElement();
  if (!root || !WideSameText(root->GetNodeName(), u"xform")) {
    FDocument = nullptr;
    return false;
  }
  IXMLNodeListPtr children = root->GetChildNodes();
  for (int i = 0; children && i < children->GetCount(); ++i) {
    IXMLNodePtr child = children->GetItem(i);
    if (child->GetNodeType() == ELEMENT_NODE) {
      FFormElement = Supports<IXMLElement>(child);
      break;
    }
  }
  return true;
}

void TXMLReader::SetRoot(TComponent* value) {
  TFiler::SetRoot(value);
  FLookupRoot = value;
  UpdateProxy();
}

void TXMLReader::UpdateProxy() {
  FProxy.SetRoot(FRoot);
  FProxy.SetLookupRoot(FLookupRoot);
  FProxy.SetAncestor(FAncestor);
  FProxy.SetOwner(FOwner);
  FProxy.SetParent(FParent);
}

TComponent* TXMLReader::ReadRootComponent(TComponent* root) {
  UpdateProxy();
  if (!FFormElement || !root) return nullptr;
  auto& nameSpace = GlobalNameSpace();
  nameSpace.BeginWrite();
  Restore release{[&] { nameSpace.EndWrite(); }};
  FCurrentNode = FFormElement;
  std::unique_ptr<std::vector<TComponent*>> ownList;
  try {
    if (!root->ComponentState().Contains(csDesigning)) {
      root->SetComponentStateFlag(csLoading, true);
      root->SetComponentStateFlag(csReading, true);
      // A window keeps its name when the form element has none.
      AnsiString name = A(FFormElement->GetAttribute(u"Name"));
      if (!name.empty()) {
        AnsiString unique = name;
        for (int i = 1;; ++i) {
          TComponent* other = FindGlobalComponent(unique);
          if (!other || other == root) break;
          unique = Format("%s_%d", {name, i});
        }
        root->SetName(unique);
      }
    }
    SetRoot(root);
    FLoadedList = GlobalLoadingList();
    if (!FLoadedList) {
      ownList = std::make_unique<std::vector<TComponent*>>();
      FLoadedList = ownList.get();
    }
    if (std::find(FLoadedList->begin(), FLoadedList->end(), root) == FLoadedList->end())
      FLoadedList->push_back(root);
    FOwner = root;
    root->SetComponentStateFlag(csLoading, true);
    root->SetComponentStateFlag(csReading, true);
    RunReadState(root);
    root->SetComponentStateFlag(csReading, false);
    if (ownList)
      for (size_t i = 0; i < ownList->size(); ++i) (*ownList)[i]->Loaded();
    GlobalFixupReferences();
  } catch (...) {
    FLoadedList = nullptr;
    FCurrentNode = nullptr;
    root->SetComponentStateFlag(csReading, false);
    RemoveFixupReferences(root);
    throw;
  }
  FLoadedList = nullptr;
  FCurrentNode = nullptr;
  return root;
}

void TXMLReader::RunReadState(TComponent* component) {
  TMemoryStream stream;
  TJumpReader reader(&stream, this);
  reader.SetRoot(FRoot);
  reader.SetLookupRoot(FLookupRoot);
  reader.SetAncestor(FAncestor);
  reader.SetOwner(FOwner);
  reader.SetParent(FParent);
  component->ReadState(&reader);
}

void TXMLReader::ReadData(TComponent* instance) {
  bool outermost = !FFixupList;
  if (outermost) FFixupList = std::make_unique<TFixupList>();
  try {
    IXMLNodePtr node = FCurrentNode;
    IXMLNodePtr savedNode = FCurrentNode;
    TComponent* savedParent = FParent;
    TComponent* savedOwner = FOwner;
    Restore restore{[&] {
      FCurrentNode = savedNode;
      FParent = savedParent;
      FOwner = savedOwner;
      UpdateProxy();
    }};
    FParent = instance->GetChildParent();
    FOwner = instance->GetChildOwner();
    if (!FOwner) FOwner = FRoot;
    UpdateProxy();
    if (node) {
      ReadProperties(instance, node);
      ReadChildren(instance, node);
    }
  } catch (...) {
    // A failed read stores nothing: its references go with it.
    if (outermost) FFixupList.reset();
    throw;
  }
  if (outermost) {
    std::unique_ptr<TFixupList> fixups = std::move(FFixupList);
    TFixupHooks hooks;
    if (FProxy.OnReferenceName)
      hooks.ReferenceName = [this](AnsiString& name) { FProxy.OnReferenceName(&FProxy, name); };
    if (FProxy.OnAncestorNotFound)
      hooks.AncestorNotFound = [this](const AnsiString& name) {
        TComponent* found = nullptr;
        FProxy.OnAncestorNotFound(&FProxy, name, found);
        return found;
      };
    ResolveFixups(*fixups, hooks);
  }
}

// ---- Properties -------------------------------------------------------------------------

void TXMLReader::ReadProperties(TPersistent* instance, const IXMLNodePtr& element) {
  IXMLNamedNodeMapPtr attributes = element->GetAttributes();
  for (int i = 0; attributes && i < attributes->GetCount(); ++i) {
    IXMLNodePtr attribute = attributes->GetItem(i);
    if (!WideSameText(attribute->GetNodeName(), u"ClassName")) ReadProperty(instance, attribute);
  }
  IXMLNodeListPtr children = element->GetChildNodes();
  for (int i = 0; children && i < children->GetCount(); ++i) {
    IXMLNodePtr child = children->GetItem(i);
    if (child->GetNodeType() != ELEMENT_NODE) continue;
    if (!child->GetAttribute(u"ClassName").empty())
      ReadSubObject(instance, child);
    else if (child->IsTextElement() && !child->GetAttribute(u"ValueType").empty())
      ReadProperty(instance, child);
  }
  AskDefinedProperties(instance);
}

void TXMLReader::AskDefinedProperties(TPersistent* instance) {
  TPersistent* saved = FPropertyObject;
  FPropertyObject = instance;
  Restore restore{[&] { FPropertyObject = saved; }};
  CallDefineProperties(instance, this);
}

void TXMLReader::ReadSubObject(TPersistent* instance, const IXMLNodePtr& element) {
  IXMLNodePtr saved = FCurrentNode;
  Restore restore{[&] { FCurrentNode = saved; }};
  FCurrentNode = element;
  AnsiString name = A(element->GetNodeName());
  const TPropInfo* prop = GetPropInfo(instance, name);
  if (!prop) PropertyMissing(name);
  auto* object = prop->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(instance, prop))
                                         : nullptr;
  if (!object) throw EReadError("Invalid property path");
  if (auto* collection = dynamic_cast<TCollection*>(object))
    ReadCollectionItems(collection, element);
  else
    ReadProperties(object, element);
}

void TXMLReader::ReadCollectionItems(TCollection* collection, const IXMLNodePtr& element) {
  IXMLNodePtr saved = FCurrentNode;
  collection->BeginUpdate();
  Restore restore{[&] {
    FCurrentNode = saved;
    collection->EndUpdate();
  }};
  collection->Clear();
  IXMLNodeListPtr children = element->GetChildNodes();
  for (int i = 0; children && i < children->GetCount(); ++i) {
    IXMLNodePtr child = children->GetItem(i);
    if (child->GetNodeType() != ELEMENT_NODE) continue;
    TCollectionItem* item = collection->Add();
    // An item's defined properties are children of its own element.
    FCurrentNode = child;
    ReadProperties(item, child);
  }
}

void TXMLReader::ReadProperty(TPersistent* instance, const IXMLNodePtr& valueNode) {
  AnsiString path = A(valueNode->GetNodeName());
  if (SameText(path, "Name") && dynamic_cast<TComponent*>(instance)) return;
  TPersistent* target = instance;
  size_t start = 0;
  for (size_t dot = path.find('.'); dot != AnsiString::npos; dot = path.find('.', start)) {
    AnsiString part = path.substr(start, dot - start);
    const TPropInfo* prop = GetPropInfo(target, part);
    if (!prop) PropertyMissing(part);
    auto* next = prop->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(target, prop))
                                         : nullptr;
    if (!next) throw EReadError("Invalid property path");
    target = next;
    start = dot + 1;
  }
  AnsiString last = path.substr(start);
  if (const TPropInfo* prop = GetPropInfo(target, last))
    SetPropValue(target, prop, valueNode);
  else
    // Not published: a defined property of that name may be among the child elements.
    AskDefinedProperties(target);
}

void TXMLReader::SetPropValue(TPersistent* instance, const TPropInfo* prop,
                              const IXMLNodePtr& valueNode) {
  const TTypeInfo* type = prop->PropType();
  const WideString text = valueNode->GetNodeValue();
  auto requireWritable = [&] {
    if (!prop->Writable) throw EReadError("Property is read-only");
  };
  switch (type->Kind) {
    case tkInteger: {
      requireWritable();
      Int64 value = 0;
      TIdentToInt convert = FindIdentToInt(type);
      if (!convert || !convert(A(Trim(text)), value)) value = StrToInt(A(Trim(text)));
      SetOrdProp(instance, prop, value);
      break;
    }
    case tkChar: {
      requireWritable();
      AnsiString value = A(text);
      SetOrdProp(instance, prop, value.empty() ? 0 : static_cast<unsigned char>(value[0]));
      break;
    }
    case tkWChar:
      requireWritable();
      SetOrdProp(instance, prop, text.empty() ? 0 : text[0]);
      break;
    case tkEnumeration: {
      requireWritable();
      // An unknown identifier leaves the property as it is: never an out-of-range ordinal.
      Int64 ordinal = GetEnumValue(type, A(Trim(text)));
      if (ordinal >= 0) SetOrdProp(instance, prop, ordinal);
      break;
    }
    case tkFloat:
      requireWritable();
      SetFloatProp(instance, prop, core::detail::XMLTextToFloat(text));
      break;
    case tkString:
    case tkLString:
      requireWritable();
      SetStrProp(instance, prop, A(text));
      break;
    case tkWString:
      requireWritable();
      SetWideStrProp(instance, prop, text);
      break;
    case tkSet: {
      requireWritable();
      uint32_t bits = 0;
      try {
        bits = StringToSet(type, A(text));
      } catch (const EPropertyConvertError&) {
        throw EReadError("Invalid property value");
      }
      SetOrdProp(instance, prop, bits);
      break;
    }
    case tkClass:
    case tkInterface: {
      if (valueNode->GetNodeType() == ELEMENT_NODE &&
          WideSameText(valueNode->GetAttribute(u"ValueType"), u"Collection")) {
        auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, prop));
        if (!collection) throw EReadError("Invalid property value");
        ReadCollectionItems(collection, valueNode);
        break;
      }
      if (!prop->Writable) {
        // A sub-component is part of its owner: its property is not set from a name.
        auto* held = dynamic_cast<TComponent*>(GetObjectProp(instance, prop));
        if (held && held->ComponentStyle().Contains(csSubComponent)) break;
        requireWritable();
      }
      // Stored once the whole form is read; an empty or unknown name stores nil.
      FFixupList->Add(TPropFixup{instance, FRoot, prop, {}, A(Trim(text))});
      break;
    }
    case tkMethod: {
      requireWritable();
      AnsiString name = A(Trim(text));
      const TMethodEntry* method = name.empty() ? nullptr : FProxy.FindMethod(name);
      if (!method) throw EReadError("Invalid property value");
      try {
        SetMethodProp(instance, prop, TMethod{method, FRoot});
      } catch (const EPropertyConvertError&) {
        throw EReadError("Invalid property value");
      }
      break;
    }
    case tkVariant:
      requireWritable();
      SetVariantProp(instance, prop, Variant(text));
      break;
    case tkInt64:
      requireWritable();
      SetInt64Prop(instance, prop, StrToInt64(A(Trim(text))));
      break;
    default:
      break;
  }
}

// ---- Defined properties -----------------------------------------------------------------

IXMLNodePtr TXMLReader::FindDefinedNode(const AnsiString& name) const {
  if (!FCurrentNode) return nullptr;
  IXMLNodeListPtr children = FCurrentNode->GetChildNodes();
  for (int i = 0; children && i < children->GetCount(); ++i) {
    IXMLNodePtr child = children->GetItem(i);
    if (child->GetNodeType() == ELEMENT_NODE && SameText(A(child->GetNodeName()), name)) return child;
  }
  return nullptr;
}

void TXMLReader::DefineProperty(const AnsiString& name, const TReaderProc& readData,
                                const TWriterProc&, bool) {
  if (!readData) return;
  IXMLNodePtr node = FindDefinedNode(name);
  if (!node) return;
  // A string list takes the element's text as its lines, with or without a value type.
  if (auto* strings = dynamic_cast<TStrings*>(FPropertyObject)) {
    strings->SetText(A(node->GetText()));
    return;
  }
  if (auto* strings = dynamic_cast<TWideStrings*>(FPropertyObject)) {
    strings->SetText(node->GetText());
    return;
  }
  TStringStream stream;
  {
    TWriterAccess writer(&stream, 4096);
    if (!core::detail::WriteXMLValue(writer, node)) return;
  }
  stream.SetPosition(0);
  TReader reader(&stream, 4096);
  readData(&reader);
}

void TXMLReader::DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                      const TStreamProc&, bool) {
  if (!readData) return;
  IXMLNodePtr node = FindDefinedNode(name);
  if (!node) return;
  RawByteString bytes = core::detail::HexTextToBytes(node->GetText());
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
  readData(&stream);
}

// ---- Components -------------------------------------------------------------------------

void TXMLReader::ReadChildren(TComponent* component, const IXMLNodePtr& element) {
  TComponent* savedRoot = FRoot;
  Restore restore{[&] {
    FRoot = savedRoot;
    UpdateProxy();
  }};
  if (component->ComponentState().Contains(csInline)) {
    FRoot = component;
    UpdateProxy();
  }
  IXMLNodeListPtr children = element->GetChildNodes();
  for (int i = 0; children && i < children->GetCount(); ++i) {
    IXMLNodePtr child = children->GetItem(i);
    if (child->GetNodeType() == ELEMENT_NODE && !child->GetAttribute(u"Name").empty() &&
        child->GetAttribute(u"ClassName").empty())
      ReadChildComponent(child);
  }
}

void TXMLReader::ReadChildComponent(const IXMLNodePtr& element) {
  AnsiString className = A(element->GetNodeName());
  AnsiString name = A(element->GetAttribute(u"Name"));
  TComponent* savedParent = FParent;
  TComponent* savedLookupRoot = FLookupRoot;
  IXMLNodePtr savedNode = FCurrentNode;
  Restore restore{[&] {
    FParent = savedParent;
    FLookupRoot = savedLookupRoot;
    FCurrentNode = savedNode;
    UpdateProxy();
  }};
  TComponent* component = nullptr;
  try {
    UpdateProxy();
    TClass cls = FProxy.FindComponentClass(className);
    if (FProxy.OnCreateComponent) FProxy.OnCreateComponent(&FProxy, cls, component);
    if (!component) component = CreateComponent(cls, FOwner);
    component->SetComponentStateFlag(csLoading, true);
    std::vector<TComponent*> subComponents;
    for (int i = 0; i < component->ComponentCount(); ++i) {
      TComponent* owned = component->Components(i);
      if (owned->ComponentStyle().Contains(csSubComponent)) {
        owned->SetComponentStateFlag(csLoading, true);
        subComponents.push_back(owned);
      }
    }
    component->SetParentComponent(FParent);
    if (FProxy.OnSetName) FProxy.OnSetName(&FProxy, component, name);
    component->SetName(name);
    component->SetComponentStateFlag(csReading, true);
    for (TComponent* sub : subComponents) sub->SetComponentStateFlag(csReading, true);
    FCurrentNode = element;
    RunReadState(component);
    component->SetComponentStateFlag(csReading, false);
    for (TComponent* sub : subComponents) sub->SetComponentStateFlag(csReading, false);
    FLoadedList->insert(FLoadedList->end(), subComponents.begin(), subComponents.end());
    FLoadedList->push_back(component);
  } catch (...) {
    if (component) {
      std::erase_if(*FLoadedList, [&](TComponent* c) { return OwnedByOrIs(c, component); });
      delete component;
    }
    throw;
  }
}
