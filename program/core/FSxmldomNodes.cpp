#include "program/core/FSxmldomNodes.h"

#include <algorithm>

#include "program/core/FSxmldomDocument.h"
#include "program/core/FSxmldomTextStream.h"
#include "program/core/XMLLookupTables.h"
#include "platform/kernel/Unicode.h"

namespace {

const char* const kNodeTypeNames[] = {"",        "ELEMENT",  "ATTRIBUTE",     "TEXT",
                                      "CDATA_SECTION", "ENTITY_REFERENCE", "ENTITY_NODE",
                                      "PROCESSING_INSTRUCTION", "COMMENT", "DOCUMENT",
                                      "DOCUMENT_TYPE", "DOCUMENT_FRAGMENT", "NOTATION"};

WideString NodeTypeName(Byte type) {
  return type <= 12 ? platform::Utf8ToUtf16(kNodeTypeNames[type]) : WideString(u"UNKNOWN");
}

char16_t LowerUnit(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
    return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x4BF)) && (c & 1) == 0)
    return static_cast<char16_t>(c + 1);
  if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && (c & 1) == 1) return static_cast<char16_t>(c + 1);
  return c;
}

WideString TrimXMLWhiteSpace(const WideString& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsXMLWhiteSpace(text[begin])) ++begin;
  while (end > begin && IsXMLWhiteSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

WideString NormaliseLineBreaks(const WideString& text) {
  if (text.find(u'\r') == WideString::npos) return text;
  WideString out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out.push_back(u'\n');
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

bool SameXMLName(const WideString& a, const WideString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && LowerUnit(a[i]) != LowerUnit(b[i])) return false;
  return true;
}

WideString XMLLowerCase(WideString text) {
  for (char16_t& c : text) c = LowerUnit(c);
  return text;
}

TXMLNode* XMLNodeOf(IXMLNode* node) {
  if (node == nullptr) return nullptr;
  auto* object = dynamic_cast<TXMLNode*>(node);
  if (object == nullptr) throw EXMLException("Invalid node: not a node of this library");
  return object;
}

// --- TXMLNode ---------------------------------------------------------------------------------

TXMLNode::TXMLNode(TXMLDocument* owner, Byte nodeType, WideString name, WideString value)
    : FOwnerDocument(owner), FNodeType(nodeType), FNodeName(std::move(name)), FNodeValue(std::move(value)) {
  if (owner != nullptr) owner->RegisterOwned(this);
}

TXMLNode::~TXMLNode() {
  if (FChildNodes) {
    for (int i = 0; i < FChildNodes->Count(); ++i)
      if (FChildNodes->At(i)->FParent == this) FChildNodes->At(i)->FParent = nullptr;
    FChildNodes->ReleaseOwner();
  }
  if (FAttributes) FAttributes->ReleaseOwner();
  if (FOwnerDocument != nullptr && static_cast<void*>(FOwnerDocument) != static_cast<void*>(this))
    FOwnerDocument->UnregisterOwned(this);
}

int32_t TXMLNode::_Release() noexcept {
  const int32_t count = --m_refCount;
  if (count == 0) delete this;
  return count;
}

TXMLNodeList& TXMLNode::Children() {
  if (!FChildNodes) {
    FChildNodes = new TXMLNodeList(this, true);
    if (FSourceNode) m_childListDirty = true;
  }
  if (m_childListDirty) RebuildChildList();
  return *FChildNodes;
}

TXMLNamedNodeMap& TXMLNode::Attributes() {
  if (FSourceNode) return FSourceNode->Attributes();
  if (!FAttributes) FAttributes = new TXMLNamedNodeMap(this, false);
  return *FAttributes;
}

int TXMLNode::ChildCount() {
  if (FSourceNode || m_childListDirty) return Children().Count();
  return FChildNodes ? FChildNodes->Count() : 0;
}
int TXMLNode::AttributeCount() {
  if (FSourceNode) return FSourceNode->AttributeCount();
  return FAttributes ? FAttributes->Count() : 0;
}
TXMLNode* TXMLNode::ChildAt(int index) { return Children().At(index); }

// --- binding ----------------------------------------------------------------------------------

void TXMLNode::RegisterChildNode(const WideString& tagName, TXMLNodeClass nodeClass) {
  auto entry = std::find_if(FNodeClasses.begin(), FNodeClasses.end(), [&](const auto& e) { return e.first == tagName; });
  if (entry == FNodeClasses.end()) {
    if (nodeClass != nullptr) FNodeClasses.emplace_back(tagName, nodeClass);
  } else if (nodeClass != nullptr) {
    entry->second = nodeClass;
  } else {
    FNodeClasses.erase(entry);
  }
  m_childListDirty = true;
}

void TXMLNode::RegisterChildNodes(const std::vector<WideString>& tagNames, const std::vector<TXMLNodeClass>& nodeClasses) {
  if (tagNames.size() != nodeClasses.size()) throw EXMLException("Mismatched paramaters to RegisterChildNodes");
  for (size_t i = 0; i < tagNames.size(); ++i) RegisterChildNode(tagNames[i], nodeClasses[i]);
}

IntfPtr<TXMLNode> TXMLNode::Wrap(TXMLNode* node) {
  TXMLNode* source = node->FSourceNode ? node->FSourceNode.get() : node;
  const WideString& name = source->Name();
  auto entry = std::find_if(FNodeClasses.begin(), FNodeClasses.end(), [&](const auto& e) { return e.first == name; });
  if (entry == FNodeClasses.end()) return node;
  IntfPtr<TXMLNode> wrapper = entry->second(FOwnerDocument);
  if (!wrapper) return node;
  wrapper->FSourceNode = source;
  wrapper->FNodeType = source->FNodeType;
  return wrapper;
}

void TXMLNode::RebuildChildList() {
  m_childListDirty = false;
  TXMLNodeList& list = *FChildNodes;
  if (FSourceNode) {
    // A wrapper's children are its source's children, wrapped by the wrapper's registrations.
    // Unwrapped ones stay in the source's list too, and keep the source as parent.
    list.m_items.clear();
    TXMLNode& source = *FSourceNode;
    for (int i = 0; i < source.ChildCount(); ++i) {
      IntfPtr<TXMLNode> child = Wrap(source.ChildAt(i));
      if (child.get() != source.ChildAt(i)) child->FParent = this;
      list.m_items.push_back(std::move(child));
    }
    return;
  }
  for (auto& item : list.m_items) {
    IntfPtr<TXMLNode> child = Wrap(item.get());
    if (child == item) continue;
    if (item->FParent == this) item->FParent = nullptr;
    child->FParent = this;
    item = std::move(child);
  }
}

void TXMLNode::AppendChildNode(TXMLNode* child) {
  Children().AppendUnchecked(child);
  child->FParent = this;
}

IXMLNamedNodeMapPtr TXMLNode::GetAttributes() { return IXMLNamedNodeMapPtr(&Attributes()); }
IXMLNodeListPtr TXMLNode::GetChildNodes() { return IXMLNodeListPtr(&Children()); }
IXMLNodePtr TXMLNode::GetFirstChild() { return ChildCount() ? ChildAt(0) : nullptr; }
IXMLNodePtr TXMLNode::GetLastChild() { return ChildCount() ? ChildAt(ChildCount() - 1) : nullptr; }
IXMLNodePtr TXMLNode::GetParentNode() { return FParent; }

IXMLNodePtr TXMLNode::GetNextSibling() {
  if (FParent == nullptr) return nullptr;
  const int index = FParent->Children().IndexOfNode(this);
  return index >= 0 && index + 1 < FParent->ChildCount() ? FParent->ChildAt(index + 1) : nullptr;
}

IXMLNodePtr TXMLNode::GetPreviousSibling() {
  if (FParent == nullptr) return nullptr;
  const int index = FParent->Children().IndexOfNode(this);
  return index > 0 ? FParent->ChildAt(index - 1) : nullptr;
}

IXMLDocumentPtr TXMLNode::GetOwnerDocument() { return IXMLDocumentPtr(FOwnerDocument); }

// The parent link is not counted, so it may only name a node whose child list holds this one;
// anything else would leave a link that outlives its target.
void TXMLNode::SetParentNode(const IXMLNodePtr& node) {
  TXMLNode* parent = XMLNodeOf(node);
  if (parent != nullptr && parent->Children().IndexOfNode(this) < 0)
    RaiseXMLError(0, NOT_FOUND_ERR, {u"The node is not a child of the given parent"});
  FParent = parent;
}

WideString TXMLNode::GetNodeValue() {
  if (FSourceNode) return FSourceNode->GetNodeValue();
  if (FNodeType != ELEMENT_NODE) return FNodeValue;
  WideString value;
  for (int i = 0; i < ChildCount(); ++i) {
    TXMLNode* child = ChildAt(i);
    if (child->FNodeType != ELEMENT_NODE && child->FNodeType != COMMENT_NODE) value += child->GetNodeValue();
  }
  return value;
}

void TXMLNode::SetNodeValue(const WideString& value) {
  if (FSourceNode) return FSourceNode->SetNodeValue(value);
  if (FNodeType != ELEMENT_NODE) {
    FNodeValue = value;
    return;
  }
  if (ChildCount() == 0) {
    AppendChildNode(new TXMLText(FOwnerDocument, value));
  } else if (IsTextElement()) {
    ChildAt(0)->SetNodeValue(value);
  } else {
    RaiseXMLError(89, NO_MODIFICATION_ALLOWED_ERR, {u"ELEMENT"});
  }
}

bool TXMLNode::IsTextElement() {
  if (FNodeType != ELEMENT_NODE || ChildCount() != 1) return false;
  const Byte type = ChildAt(0)->FNodeType;
  return type == TEXT_NODE || type == CDATA_SECTION_NODE;
}

IXMLNodePtr TXMLNode::AppendChild(const IXMLNodePtr& newChild) {
  TXMLNode* child = XMLNodeOf(newChild);
  if (child == nullptr) return nullptr;
  if (FNodeType == ELEMENT_NODE && child->FNodeType == ATTRIBUTE_NODE)
    RaiseXMLError(89, HIERARCHY_REQUEST_ERR, {NodeTypeName(child->FNodeType)});
  Children().InsertNode(Children().Count(), child);
  return newChild;
}

IXMLNodePtr TXMLNode::InsertBefore(const IXMLNodePtr& newChild, const IXMLNodePtr& refChild) {
  if (!refChild) return AppendChild(newChild);
  TXMLNode* child = XMLNodeOf(newChild);
  const int index = Children().IndexOfNode(XMLNodeOf(refChild));
  if (index < 0) RaiseXMLError(0, NOT_FOUND_ERR, {u"Invalid RefChild"});
  if (child != nullptr) Children().InsertNode(index, child);
  return newChild;
}

IXMLNodePtr TXMLNode::ReplaceChild(const IXMLNodePtr& newChild, const IXMLNodePtr& oldChild) {
  TXMLNode* old = XMLNodeOf(oldChild);
  TXMLNode* child = XMLNodeOf(newChild);
  if (Children().IndexOfNode(old) < 0 || child == nullptr) return nullptr;
  if (child == old) return oldChild;
  Children().InsertNode(Children().IndexOfNode(old), child);
  Children().DeleteAt(Children().IndexOfNode(old));
  return oldChild;
}

IXMLNodePtr TXMLNode::RemoveChild(const IXMLNodePtr& oldChild) {
  const int index = Children().IndexOfNode(XMLNodeOf(oldChild));
  if (index < 0) return nullptr;
  Children().DeleteAt(index);
  return oldChild;
}

IXMLNodePtr TXMLNode::CloneNode(bool deep) { return CloneNodeTo(GetOwnerDocument(), deep); }

IXMLNodePtr TXMLNode::CloneNodeTo(const IXMLDocumentPtr& document, bool deep) {
  auto* owner = document ? dynamic_cast<TXMLDocument*>(document.get()) : nullptr;
  IntfPtr<TXMLNode> copy;
  switch (FNodeType) {
    case ELEMENT_NODE: copy = new TXMLElement(owner, FNodeName); break;
    case ATTRIBUTE_NODE: copy = new TXMLAttr(owner, FNodeName); break;
    case TEXT_NODE: copy = new TXMLText(owner, FNodeValue); break;
    case CDATA_SECTION_NODE: copy = new TXMLCDATASection(owner, FNodeValue); break;
    case COMMENT_NODE: copy = new TXMLComment(owner, FNodeValue); break;
    case PROCESSING_INSTRUCTION_NODE: copy = new TXMLProcessingInstruction(owner, FNodeName, FNodeValue); break;
    case DOCUMENT_FRAGMENT_NODE: copy = new TXMLDocumentFragment(owner); break;
    case DOCUMENT_TYPE_NODE: copy = new TXMLDocumentType(owner, FNodeValue); break;
    case DOCUMENT_NODE: copy = new TXMLDocument(); break;
    case NOTATION_NODE: throw EXMLException("Invalid operation: cannot clone Notation node");
    default: throw EXMLException("Invalid operation: cannot clone a node of type " +
                                 platform::Utf16ToUtf8(NodeTypeName(FNodeType)));
  }
  // An element's content comes from its children alone, so a deep copy holds each child once.
  if (FNodeType != ELEMENT_NODE) copy->FNodeValue = FNodeValue;
  for (int i = 0; i < AttributeCount(); ++i)
    copy->Attributes().AppendUnchecked(XMLNodeOf(Attributes().At(i)->CloneNodeTo(document, deep)));
  if (deep) {
    for (int i = 0; i < ChildCount(); ++i) copy->AppendChildNode(XMLNodeOf(ChildAt(i)->CloneNodeTo(document, deep)));
  }
  return IXMLNodePtr(copy.get());
}

IXMLAttrPtr TXMLNode::GetAttributeNode(const WideString& name) {
  return AttributeCount() ? IXMLAttrPtr(dynamic_cast<TXMLAttr*>(Attributes().FindByName(name))) : nullptr;
}

WideString TXMLNode::GetAttribute(const WideString& name) {
  TXMLNode* attr = AttributeCount() ? Attributes().FindByName(name) : nullptr;
  return attr ? attr->GetNodeValue() : WideString();
}

void TXMLNode::SetAttribute(const WideString& name, const WideString& value) {
  IntfPtr<TXMLNode> attr = AttributeCount() ? Attributes().FindByName(name) : nullptr;
  if (!attr) attr = new TXMLAttr(FOwnerDocument, name);
  attr->SetNodeValue(value);
  Attributes().SetNamedItem(IXMLNodePtr(attr.get()));
}

void TXMLNode::RemoveAttribute(const WideString& name) {
  if (AttributeCount()) Attributes().RemoveByName(name);
}

void TXMLNode::SetAttributeNode(const IXMLAttrPtr&) {}

void TXMLNode::RemoveAttributeNode(const IXMLAttrPtr& attr) {
  if (AttributeCount() && attr) Attributes().Remove(IXMLNodePtr(attr.get()));
}

IXMLNodeListPtr TXMLNode::GetElementsByTagName(const WideString& name) {
  IntfPtr<TXMLNodeList> result = NewResultList();
  // Document order without recursion: a stack of (node, next child index).
  std::vector<std::pair<TXMLNode*, int>> stack{{this, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next >= node->ChildCount()) {
      stack.pop_back();
      continue;
    }
    TXMLNode* child = node->ChildAt(next++);
    if (child->FNodeType != ELEMENT_NODE) continue;
    if (SameXMLName(child->FNodeName, name)) result->AppendUnchecked(child);
    stack.emplace_back(child, 0);
  }
  return IXMLNodeListPtr(result.get());
}

WideString TXMLNode::GetText() {
  TXMLDocument* document = FOwnerDocument;
  if (document != nullptr && document->PreservesWhiteSpace()) return GetNodeValue();
  return TrimXMLWhiteSpace(GetNodeValue());
}

void TXMLNode::SetText(const WideString& text) {
  for (int i = ChildCount() - 1; i >= 0; --i) Children().DeleteAt(i);
  if (!text.empty()) AppendChildNode(new TXMLText(FOwnerDocument, text));
}

WideString TXMLNode::GetChildValue(const WideString& name) {
  TXMLNode* child = ChildCount() ? Children().FindByName(name) : nullptr;
  return child ? child->GetNodeValue() : WideString();
}

void TXMLNode::SetChildValue(const WideString& name, const WideString& value) {
  if (TXMLNode* child = ChildCount() ? Children().FindByName(name) : nullptr) {
    child->SetNodeValue(value);
    return;
  }
  IXMLElementPtr element = AddChild(name);
  XMLNodeOf(element.get())->AppendChildNode(new TXMLText(FOwnerDocument, value));
}

IXMLElementPtr TXMLNode::AddChild(const WideString& tagName) {
  IXMLElementPtr element = new TXMLElement(FOwnerDocument, tagName);
  AppendChild(IXMLNodePtr(element.get()));
  return element;
}

IXMLNodePtr TXMLNode::ForceChild(const WideString& name) {
  if (TXMLNode* child = ChildCount() ? Children().FindByName(name) : nullptr) return child;
  return IXMLNodePtr(AddChild(name).get());
}

IXMLAttrPtr TXMLNode::ForceAttribute(const WideString& name, const WideString& value) {
  IXMLAttrPtr attr = GetAttributeNode(name);
  if (!attr) {
    attr = new TXMLAttr(FOwnerDocument, name);
    Attributes().AppendUnchecked(XMLNodeOf(attr.get()));
  }
  if (!value.empty()) attr->SetNodeValue(value);
  return attr;
}

void TXMLNode::ReadFromStream(TXMLNode*, TXMLTextStream&) {}

// --- character data ---------------------------------------------------------------------------

void TXMLCharacterData::SetNodeValue(const WideString& value) { FNodeValue = NormaliseLineBreaks(value); }

WideString TXMLCharacterData::SubstringData(int, int) { throw ENotSupportedException("SubstringData is not supported"); }
void TXMLCharacterData::AppendData(const WideString&) { throw ENotSupportedException("AppendData is not supported"); }
void TXMLCharacterData::InsertData(int, const WideString&) { throw ENotSupportedException("InsertData is not supported"); }
void TXMLCharacterData::DeleteData(int, int) { throw ENotSupportedException("DeleteData is not supported"); }
void TXMLCharacterData::ReplaceData(int, int, const WideString&) {
  throw ENotSupportedException("ReplaceData is not supported");
}
IntfPtr<IXMLText> TXMLText::SplitText(int) { throw ENotSupportedException("SplitText is not supported"); }

TXMLCDATASection::TXMLCDATASection(TXMLDocument* owner, const WideString& data)
    : TXMLText(owner, {}, CDATA_SECTION_NODE, u"#cdata-section") {
  TXMLCDATASection::SetNodeValue(data);
}

void TXMLCDATASection::SetNodeValue(const WideString& value) {
  if (value.find(u"]]>") != WideString::npos) RaiseXMLError(50, INVALID_CHARACTER_ERR);
  FNodeValue = value;
}

// --- lists ------------------------------------------------------------------------------------

IntfPtr<TXMLNodeList> NewResultList() { return new TXMLNodeList(nullptr, false); }

TXMLCustomList::~TXMLCustomList() {
  if (m_childList && m_owner != nullptr)
    for (auto& item : m_items)
      if (item->FParent == m_owner) item->FParent = nullptr;
}

int32_t TXMLCustomList::_Release() noexcept {
  const int32_t count = --m_refCount;
  if (count == 0) delete this;
  return count;
}

IXMLNodePtr TXMLCustomList::GetItem(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  return At(index);
}

IXMLNodePtr TXMLCustomList::GetNode(const WideString& name) {
  TXMLNode* node = FindByName(name);
  if (node == nullptr) throw EXMLException("Node \"" + platform::Utf16ToUtf8(name) + "\" not found");
  return node;
}

int TXMLCustomList::IndexOfNode(const TXMLNode* node) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i].get() == node) return static_cast<int>(i);
  return -1;
}

TXMLNode* TXMLCustomList::FindByName(const WideString& name) const {
  for (const auto& item : m_items)
    if (SameXMLName(item->Name(), name)) return item.get();
  return nullptr;
}

void TXMLCustomList::AppendUnchecked(TXMLNode* node) { m_items.emplace_back(node); }

void TXMLCustomList::InsertNode(int index, TXMLNode* node) {
  if (index < 0 || index > Count())
    throw EXMLException("List index out of bounds (" + std::to_string(index) + ")");
  IntfPtr<TXMLNode> hold(node);
  if (m_childList && m_owner != nullptr) {
    for (TXMLNode* ancestor = m_owner; ancestor != nullptr; ancestor = ancestor->FParent)
      if (ancestor == node)
        RaiseXMLError(0, HIERARCHY_REQUEST_ERR, {u"A node cannot be inserted under itself or its descendant"});
    // A node stands in one child list only: take it out of its old one first.
    if (TXMLNode* oldParent = node->FParent) {
      const int oldIndex = oldParent->Children().IndexOfNode(node);
      if (oldIndex >= 0) {
        oldParent->Children().DeleteAt(oldIndex);
        if (oldParent == m_owner && oldIndex < index) --index;
      }
    }
    node->FParent = m_owner;
  }
  m_items.insert(m_items.begin() + index, std::move(hold));
}

void TXMLCustomList::DeleteAt(int index) {
  IntfPtr<TXMLNode> node = std::move(m_items[static_cast<size_t>(index)]);
  m_items.erase(m_items.begin() + index);
  if (m_childList && node->FParent == m_owner) node->FParent = nullptr;
}

int TXMLCustomList::Add(const IXMLNodePtr& node) {
  InsertNode(Count(), XMLNodeOf(node));
  return IndexOfNode(XMLNodeOf(node));
}

int TXMLCustomList::IndexOf(const IXMLNodePtr& node) { return IndexOfNode(XMLNodeOf(node)); }

void TXMLCustomList::Insert(int index, const IXMLNodePtr& node) { InsertNode(index, XMLNodeOf(node)); }

int TXMLCustomList::Remove(const IXMLNodePtr& node) {
  const int index = IndexOfNode(XMLNodeOf(node));
  if (index >= 0) DeleteAt(index);
  return index;
}

void TXMLCustomList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EXMLException("List index out of bounds (" + std::to_string(index) + ")");
  DeleteAt(index);
}

void TXMLCustomList::Clear() {
  while (!m_items.empty()) DeleteAt(Count() - 1);
}

IXMLNodePtr TXMLCustomList::FindNode(const WideString& name) { return FindByName(name); }

int TXMLCustomList::IndexOfName(const WideString& name) { return IndexOfNode(FindByName(name)); }

int TXMLCustomList::RemoveByName(const WideString& name) {
  const int index = IndexOfNode(FindByName(name));
  if (index >= 0) DeleteAt(index);
  return index;
}

namespace {

class TXMLNodeListEnumerator final : public IXMLNodeListEnumerator {
 public:
  explicit TXMLNodeListEnumerator(IntfPtr<IXMLCustomList> list) : m_list(std::move(list)) {}
  int32_t _AddRef() noexcept override { return ++m_refCount; }
  int32_t _Release() noexcept override {
    const int32_t count = --m_refCount;
    if (count == 0) delete this;
    return count;
  }
  IXMLNodePtr GetCurrent() override { return m_list->GetItem(m_position); }
  bool MoveNext() override {
    if (m_position + 1 >= m_list->GetCount()) return false;
    ++m_position;
    return true;
  }

 private:
  IntfPtr<IXMLCustomList> m_list;
  int m_position = -1;
  std::atomic<int32_t> m_refCount{0};
};

}  // namespace

IntfPtr<IXMLNodeListEnumerator> TXMLCustomList::GetEnumerator() {
  return new TXMLNodeListEnumerator(IntfPtr<IXMLCustomList>(this));
}

IXMLNodePtr TXMLNodeList::AddNode(const IXMLNodePtr& node) {
  Add(node);
  return node;
}

IXMLNodePtr TXMLNodeList::NextNode() {
  if (m_position < 0 || m_position >= Count()) return nullptr;
  return At(m_position++);
}

IXMLNodePtr TXMLNamedNodeMap::SetNamedItem(const IXMLNodePtr& node) {
  TXMLNode* item = XMLNodeOf(node);
  if (item == nullptr) return nullptr;
  const int index = IndexOfNode(FindByName(item->Name()));
  if (index >= 0 && At(index) == item) return node;
  if (index >= 0) {
    m_items[static_cast<size_t>(index)] = item;
  } else {
    AppendUnchecked(item);
  }
  return node;
}

IXMLNodePtr TXMLNamedNodeMap::RemoveNamedItem(const WideString& name) {
  const int index = IndexOfNode(FindByName(name));
  if (index < 0) return nullptr;
  IXMLNodePtr node = At(index);
  DeleteAt(index);
  return node;
}
