#pragma once

// The node classes behind the XML interfaces (library-internal; callers use FSxmldom.h).
// A node's child list and attribute map are created on first use. A document records every
// node it created in an intrusive list, so that its destruction can clear their owner-document
// links whether or not they still stand in its tree.

#include <atomic>
#include <vector>

#include "program/core/FSxmldom.h"

class TXMLDocument;
class TXMLNodeList;
class TXMLNamedNodeMap;
class TXMLTextStream;

// Case-insensitive comparison of names and lower-casing of text, as the library compares names.
bool SameXMLName(const WideString& a, const WideString& b);
WideString XMLLowerCase(WideString text);

class TXMLNode : public virtual IXMLNode {
 public:
  TXMLNode(TXMLDocument* owner, Byte nodeType, WideString name, WideString value = {});
  ~TXMLNode() override;
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  int32_t _AddRef() noexcept override { return ++m_refCount; }
  int32_t _Release() noexcept override;

  IXMLNamedNodeMapPtr GetAttributes() override;
  IXMLNodeListPtr GetChildNodes() override;
  IXMLNodePtr GetFirstChild() override;
  IXMLNodePtr GetLastChild() override;
  IXMLNodePtr GetNextSibling() override;
  WideString GetNodeName() override { return Name(); }
  Byte GetNodeType() override { return FNodeType; }
  WideString GetNodeValue() override;
  IXMLDocumentPtr GetOwnerDocument() override;
  IXMLNodePtr GetParentNode() override;
  IXMLNodePtr GetPreviousSibling() override;
  void SetNodeValue(const WideString& value) override;
  void SetParentNode(const IXMLNodePtr& node) override;
  IXMLNodePtr InsertBefore(const IXMLNodePtr& newChild, const IXMLNodePtr& refChild) override;
  IXMLNodePtr ReplaceChild(const IXMLNodePtr& newChild, const IXMLNodePtr& oldChild) override;
  IXMLNodePtr RemoveChild(const IXMLNodePtr& oldChild) override;
  IXMLNodePtr AppendChild(const IXMLNodePtr& newChild) override;
  bool HasChildNodes() override { return ChildCount() > 0; }
  bool IsTextElement() override;
  IXMLNodePtr CloneNode(bool deep) override;
  IXMLNodePtr CloneNodeTo(const IXMLDocumentPtr& document, bool deep) override;
  WideString GetAttribute(const WideString& name) override;
  void SetAttribute(const WideString& name, const WideString& value) override;
  void RemoveAttribute(const WideString& name) override;
  IXMLAttrPtr GetAttributeNode(const WideString& name) override;
  void SetAttributeNode(const IXMLAttrPtr& attr) override;
  void RemoveAttributeNode(const IXMLAttrPtr& attr) override;
  IXMLNodeListPtr GetElementsByTagName(const WideString& name) override;
  WideString GetText() override;
  void SetText(const WideString& text) override;
  WideString GetXML() override;
  void WriteXML(IXMLTextStream& stream) override;
  bool IsEmpty() override { return ChildCount() == 0 && AttributeCount() == 0; }
  IXMLNodePtr GetSourceNode() override { return FSourceNode.get(); }
  IXMLNodePtr SelectSingleNode(const WideString& path) override;
  IXMLNodeListPtr SelectNodes(const WideString& path) override;
  WideString GetChildValue(const WideString& name) override;
  void SetChildValue(const WideString& name, const WideString& value) override;
  IXMLElementPtr AddChild(const WideString& tagName) override;
  IXMLNodePtr ForceChild(const WideString& name) override;
  IXMLAttrPtr ForceAttribute(const WideString& name, const WideString& value) override;

  // Reading and writing, by node kind.
  virtual void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream);
  virtual void WriteToStream(TXMLTextStream& stream);

  // Library-internal access.
  TXMLNodeList& Children();
  TXMLNamedNodeMap& Attributes();
  int ChildCount();
  int AttributeCount();
  TXMLNode* ChildAt(int index);
  TXMLNode* Parent() const { return FParent; }
  TXMLDocument* OwnerDocument() const { return FOwnerDocument; }
  const WideString& Name() const { return FSourceNode ? FSourceNode->Name() : FNodeName; }
  const WideString& Value() const { return FSourceNode ? FSourceNode->Value() : FNodeValue; }
  void SetName(WideString name) { FNodeName = std::move(name); }
  void StoreValue(WideString value) { FNodeValue = std::move(value); }
  void AppendChildNode(TXMLNode* child);  // no checks: for the parser
  // Binding: children whose name is registered are replaced in the child list by wrappers of
  // the registered class over them (registration compares names exactly; a null class removes
  // the entry). A wrapper answers name, type, value and attributes through its source node and
  // builds its own child list from the source's children, wrapped by its own registrations.
  void RegisterChildNode(const WideString& tagName, TXMLNodeClass nodeClass);
  void RegisterChildNodes(const std::vector<WideString>& tagNames, const std::vector<TXMLNodeClass>& nodeClasses);
  void DetachFromDocument() { FOwnerDocument = nullptr; m_prevOwned = m_nextOwned = nullptr; }

 protected:
  friend class TXMLDocument;
  friend class TXMLCustomList;
  friend class TXMLNodeList;

  TXMLDocument* FOwnerDocument;  // not counted
  Byte FNodeType;
  TXMLNode* FParent = nullptr;  // not counted
  WideString FNodeName;
  WideString FNodeValue;
  IntfPtr<TXMLNodeList> FChildNodes;        // created on first use
  IntfPtr<TXMLNamedNodeMap> FAttributes;    // created on first use
  IntfPtr<TXMLNode> FSourceNode;            // set for a wrapper only
  std::vector<std::pair<WideString, TXMLNodeClass>> FNodeClasses;
  bool m_childListDirty = false;

 private:
  void RebuildChildList();
  IntfPtr<TXMLNode> Wrap(TXMLNode* node);

 private:
  std::atomic<int32_t> m_refCount{0};
  TXMLNode* m_prevOwned = nullptr;  // the owner document's list of its nodes
  TXMLNode* m_nextOwned = nullptr;
};

// The node behind an interface pointer of this library; raises for a foreign implementation.
TXMLNode* XMLNodeOf(IXMLNode* node);
inline TXMLNode* XMLNodeOf(const IXMLNodePtr& node) { return XMLNodeOf(node.get()); }

class TXMLElement : public TXMLNode, public virtual IXMLElement {
 public:
  TXMLElement(TXMLDocument* owner, WideString tagName) : TXMLNode(owner, ELEMENT_NODE, std::move(tagName)) {}
  void SetTagName(const WideString& name) override { FNodeName = name; }
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLAttr : public TXMLNode, public virtual IXMLAttr {
 public:
  TXMLAttr(TXMLDocument* owner, WideString name) : TXMLNode(owner, ATTRIBUTE_NODE, std::move(name)) {}
  WideString GetName() override { return FNodeName; }
  bool GetSpecified() override { return true; }
  WideString GetValue() override { return GetNodeValue(); }
  void SetValue(const WideString& value) override { SetNodeValue(value); }
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLProcessingInstruction : public TXMLNode, public virtual IXMLProcessingInstruction {
 public:
  TXMLProcessingInstruction(TXMLDocument* owner, WideString target, WideString data)
      : TXMLNode(owner, PROCESSING_INSTRUCTION_NODE, std::move(target), std::move(data)) {}
  WideString GetData() override { return FNodeValue; }
  WideString GetTarget() override { return FNodeName; }
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLCharacterData : public TXMLNode, public virtual IXMLCharacterData {
 public:
  TXMLCharacterData(TXMLDocument* owner, Byte nodeType, WideString name, WideString data)
      : TXMLNode(owner, nodeType, std::move(name)) {
    TXMLCharacterData::SetNodeValue(data);
  }
  void SetNodeValue(const WideString& value) override;
  WideString GetData() override { return FNodeValue; }
  int GetLength() override { return static_cast<int>(FNodeValue.size()); }
  void SetData(const WideString& data) override { FNodeValue = data; }
  WideString SubstringData(int, int) override;
  void AppendData(const WideString&) override;
  void InsertData(int, const WideString&) override;
  void DeleteData(int, int) override;
  void ReplaceData(int, int, const WideString&) override;
  void ReadFromStream(TXMLNode*, TXMLTextStream&) override {}
};

class TXMLText : public TXMLCharacterData, public virtual IXMLText {
 public:
  TXMLText(TXMLDocument* owner, WideString data, Byte nodeType = TEXT_NODE, WideString name = u"#text")
      : TXMLCharacterData(owner, nodeType, std::move(name), std::move(data)) {}
  IntfPtr<IXMLText> SplitText(int) override;
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLComment : public TXMLCharacterData, public virtual IXMLComment {
 public:
  TXMLComment(TXMLDocument* owner, WideString data)
      : TXMLCharacterData(owner, COMMENT_NODE, u"#comment", std::move(data)) {}
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLCDATASection : public TXMLText, public virtual IXMLCDATASection {
 public:
  TXMLCDATASection(TXMLDocument* owner, const WideString& data);
  void SetNodeValue(const WideString& value) override;
  void SetData(const WideString& data) override { SetNodeValue(data); }
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLDocumentType : public TXMLText, public virtual IXMLDocumentType {
 public:
  TXMLDocumentType(TXMLDocument* owner, WideString data)
      : TXMLText(owner, std::move(data), DOCUMENT_TYPE_NODE, u"#doctype") {}
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;
};

class TXMLDocumentFragment : public TXMLNode, public virtual IXMLDocumentFragment {
 public:
  explicit TXMLDocumentFragment(TXMLDocument* owner)
      : TXMLNode(owner, DOCUMENT_FRAGMENT_NODE, u"#document-fragment") {}
};

// --- lists ------------------------------------------------------------------------------------

class TXMLCustomList : public virtual IXMLCustomList {
  friend class TXMLNode;

 public:
  TXMLCustomList(TXMLNode* owner, bool childList) : m_owner(owner), m_childList(childList) {}
  ~TXMLCustomList() override;
  int32_t _AddRef() noexcept override { return ++m_refCount; }
  int32_t _Release() noexcept override;

  int GetCount() override { return static_cast<int>(m_items.size()); }
  IXMLNodePtr GetItem(int index) override;
  IXMLNodePtr GetNode(const WideString& name) override;
  int Add(const IXMLNodePtr& node) override;
  int IndexOf(const IXMLNodePtr& node) override;
  void Insert(int index, const IXMLNodePtr& node) override;
  int Remove(const IXMLNodePtr& node) override;
  void Delete(int index) override;
  void Clear() override;
  IXMLNodePtr FindNode(const WideString& name) override;
  int IndexOfName(const WideString& name) override;
  int RemoveByName(const WideString& name) override;
  IntfPtr<IXMLNodeListEnumerator> GetEnumerator() override;

  // Library-internal.
  int Count() const { return static_cast<int>(m_items.size()); }
  TXMLNode* At(int index) const { return m_items[static_cast<size_t>(index)].get(); }
  int IndexOfNode(const TXMLNode* node) const;
  TXMLNode* FindByName(const WideString& name) const;
  void InsertNode(int index, TXMLNode* node);
  void DeleteAt(int index);
  void AppendUnchecked(TXMLNode* node);
  void ReleaseOwner() { m_owner = nullptr; }

 protected:
  TXMLNode* m_owner;  // not counted; cleared when the owner goes
  bool m_childList;   // a child list keeps its nodes' parent links
  std::vector<IntfPtr<TXMLNode>> m_items;

 private:
  std::atomic<int32_t> m_refCount{0};
};

class TXMLNodeList : public TXMLCustomList, public virtual IXMLNodeList {
 public:
  using TXMLCustomList::TXMLCustomList;
  IXMLNodePtr AddNode(const IXMLNodePtr& node) override;
  void Reset() override { m_position = 0; }
  IXMLNodePtr NextNode() override;

 private:
  int m_position = 0;
};

class TXMLNamedNodeMap : public TXMLCustomList, public virtual IXMLNamedNodeMap {
 public:
  using TXMLCustomList::TXMLCustomList;
  IXMLNodePtr GetNamedItem(const WideString& name) override { return FindNode(name); }
  IXMLNodePtr SetNamedItem(const IXMLNodePtr& node) override;
  IXMLNodePtr RemoveNamedItem(const WideString& name) override;
};

// A free-standing result list (queries, GetElementsByTagName): no owner, no parent links.
IntfPtr<TXMLNodeList> NewResultList();
