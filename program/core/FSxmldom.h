#pragma once

// The program's XML document library: a parsed document is a tree of reference-counted nodes
// reached through the interfaces below (W3C DOM Level 1 node types and exception codes, plus
// quick accessors for configuration-style XML and a small path language).
//
// Ownership: an IntfPtr holds a counted reference. A node's child list and attribute map hold
// their nodes; the parent and owner-document links are not counted, so a whole tree lives as
// long as something holds its document or an ancestor, and a node held after its tree is gone
// keeps working without parent (and, once its document is destroyed, without owner document).
// A document and its nodes are used by one thread at a time; counts change atomically, so a
// document built on a worker thread may be handed to another.

#include <vector>

#include "program/core/Interfaces.h"
#include "rtl/Exceptions.h"
#include "rtl/SysTypes.h"

class TStream;

// Node types.
constexpr Byte ELEMENT_NODE = 1;
constexpr Byte ATTRIBUTE_NODE = 2;
constexpr Byte TEXT_NODE = 3;
constexpr Byte CDATA_SECTION_NODE = 4;
constexpr Byte ENTITY_REFERENCE_NODE = 5;
constexpr Byte ENTITY_NODE = 6;
constexpr Byte PROCESSING_INSTRUCTION_NODE = 7;
constexpr Byte COMMENT_NODE = 8;
constexpr Byte DOCUMENT_NODE = 9;
constexpr Byte DOCUMENT_TYPE_NODE = 10;
constexpr Byte DOCUMENT_FRAGMENT_NODE = 11;
constexpr Byte NOTATION_NODE = 12;

// DOM exception codes.
constexpr int HIERARCHY_REQUEST_ERR = 3;
constexpr int INVALID_CHARACTER_ERR = 5;
constexpr int NO_MODIFICATION_ALLOWED_ERR = 7;
constexpr int NOT_FOUND_ERR = 8;

// Layout of written XML.
enum TXMLOutputFormat : Byte { ofNone = 0, ofFlat = 1, ofIndent = 2 };

// The library's exception: DOM code and an error code indexing the message table.
class EXMLException : public Exception {
 public:
  EXMLException(AnsiString message, int domCode = 0, int errorCode = 0)
      : Exception(std::move(message)), DOMCode(domCode), ErrorCode(errorCode) {}
  int DOMCode;
  int ErrorCode;
};

// The message of an error code (0 to 130), placeholders not filled in.
AnsiString XMLErrorMessage(int errorCode);
// Raises EXMLException with the code's message, each "%s" filled from args in order.
[[noreturn]] void RaiseXMLError(int errorCode, int domCode, const std::vector<WideString>& args = {});

struct IXMLNode;
struct IXMLElement;
struct IXMLAttr;
struct IXMLNodeList;
struct IXMLNamedNodeMap;
struct IXMLDocument;
struct IXMLTextStream;
using IXMLNodePtr = IntfPtr<IXMLNode>;
using IXMLElementPtr = IntfPtr<IXMLElement>;
using IXMLAttrPtr = IntfPtr<IXMLAttr>;
using IXMLNodeListPtr = IntfPtr<IXMLNodeList>;
using IXMLNamedNodeMapPtr = IntfPtr<IXMLNamedNodeMap>;
using IXMLDocumentPtr = IntfPtr<IXMLDocument>;

class TXMLNode;
class TXMLDocument;
// A node class for binding: makes an empty node of the class, owned by the given document.
// Bound children are wrappers of that class over the parsed node (see RegisterChildNode).
using TXMLNodeClass = IntfPtr<TXMLNode> (*)(TXMLDocument* owner);

struct IXMLNodeListEnumerator : virtual IInterface {
  virtual IXMLNodePtr GetCurrent() = 0;
  virtual bool MoveNext() = 0;
};

struct IXMLCustomList : virtual IInterface {
  virtual int GetCount() = 0;
  virtual IXMLNodePtr GetItem(int index) = 0;  // nil outside the range
  virtual IXMLNodePtr GetNode(const WideString& name) = 0;  // raises when absent
  virtual int Add(const IXMLNodePtr& node) = 0;
  virtual int IndexOf(const IXMLNodePtr& node) = 0;
  virtual void Insert(int index, const IXMLNodePtr& node) = 0;
  virtual int Remove(const IXMLNodePtr& node) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual IXMLNodePtr FindNode(const WideString& name) = 0;
  virtual int IndexOfName(const WideString& name) = 0;
  virtual int RemoveByName(const WideString& name) = 0;
  virtual IntfPtr<IXMLNodeListEnumerator> GetEnumerator() = 0;
};

struct IXMLNodeList : virtual IXMLCustomList {
  virtual IXMLNodePtr AddNode(const IXMLNodePtr& node) = 0;
  virtual void Reset() = 0;
  virtual IXMLNodePtr NextNode() = 0;
};

struct IXMLNamedNodeMap : virtual IXMLCustomList {
  virtual IXMLNodePtr GetNamedItem(const WideString& name) = 0;
  virtual IXMLNodePtr SetNamedItem(const IXMLNodePtr& node) = 0;
  virtual IXMLNodePtr RemoveNamedItem(const WideString& name) = 0;
};

struct IXMLNode : virtual IInterface {
  virtual IXMLNamedNodeMapPtr GetAttributes() = 0;
  virtual IXMLNodeListPtr GetChildNodes() = 0;
  virtual IXMLNodePtr GetFirstChild() = 0;
  virtual IXMLNodePtr GetLastChild() = 0;
  virtual IXMLNodePtr GetNextSibling() = 0;
  virtual WideString GetNodeName() = 0;
  virtual Byte GetNodeType() = 0;
  virtual WideString GetNodeValue() = 0;
  virtual IXMLDocumentPtr GetOwnerDocument() = 0;
  virtual IXMLNodePtr GetParentNode() = 0;
  virtual IXMLNodePtr GetPreviousSibling() = 0;
  virtual void SetNodeValue(const WideString& value) = 0;
  virtual void SetParentNode(const IXMLNodePtr& node) = 0;
  virtual IXMLNodePtr InsertBefore(const IXMLNodePtr& newChild, const IXMLNodePtr& refChild) = 0;
  virtual IXMLNodePtr ReplaceChild(const IXMLNodePtr& newChild, const IXMLNodePtr& oldChild) = 0;
  virtual IXMLNodePtr RemoveChild(const IXMLNodePtr& oldChild) = 0;
  virtual IXMLNodePtr AppendChild(const IXMLNodePtr& newChild) = 0;
  virtual bool HasChildNodes() = 0;
  virtual bool IsTextElement() = 0;
  virtual IXMLNodePtr CloneNode(bool deep) = 0;
  virtual IXMLNodePtr CloneNodeTo(const IXMLDocumentPtr& document, bool deep) = 0;
  virtual WideString GetAttribute(const WideString& name) = 0;
  virtual void SetAttribute(const WideString& name, const WideString& value) = 0;
  virtual void RemoveAttribute(const WideString& name) = 0;
  virtual IXMLAttrPtr GetAttributeNode(const WideString& name) = 0;
  virtual void SetAttributeNode(const IXMLAttrPtr& attr) = 0;
  virtual void RemoveAttributeNode(const IXMLAttrPtr& attr) = 0;
  virtual IXMLNodeListPtr GetElementsByTagName(const WideString& name) = 0;
  virtual WideString GetText() = 0;
  virtual void SetText(const WideString& text) = 0;
  virtual WideString GetXML() = 0;
  virtual void WriteXML(IXMLTextStream& stream) = 0;
  virtual bool IsEmpty() = 0;
  virtual IXMLNodePtr GetSourceNode() = 0;
  virtual IXMLNodePtr SelectSingleNode(const WideString& path) = 0;
  virtual IXMLNodeListPtr SelectNodes(const WideString& path) = 0;
  virtual WideString GetChildValue(const WideString& name) = 0;
  virtual void SetChildValue(const WideString& name, const WideString& value) = 0;
  virtual IXMLElementPtr AddChild(const WideString& tagName) = 0;
  virtual IXMLNodePtr ForceChild(const WideString& name) = 0;
  virtual IXMLAttrPtr ForceAttribute(const WideString& name, const WideString& value) = 0;
};

struct IXMLElement : virtual IXMLNode {
  virtual void SetTagName(const WideString& name) = 0;
};

struct IXMLAttr : virtual IXMLNode {
  virtual WideString GetName() = 0;
  virtual bool GetSpecified() = 0;
  virtual WideString GetValue() = 0;
  virtual void SetValue(const WideString& value) = 0;
};

struct IXMLProcessingInstruction : virtual IXMLNode {
  virtual WideString GetData() = 0;
  virtual WideString GetTarget() = 0;
};

// The editing operations of character data other than SetData are not supported: they raise
// ENotSupportedException (nothing in the program edits parsed text piecewise).
struct IXMLCharacterData : virtual IXMLNode {
  virtual WideString GetData() = 0;
  virtual int GetLength() = 0;
  virtual void SetData(const WideString& data) = 0;
  virtual WideString SubstringData(int offset, int count) = 0;
  virtual void AppendData(const WideString& data) = 0;
  virtual void InsertData(int offset, const WideString& data) = 0;
  virtual void DeleteData(int offset, int count) = 0;
  virtual void ReplaceData(int offset, int count, const WideString& data) = 0;
};

struct IXMLText : virtual IXMLCharacterData {
  virtual IntfPtr<IXMLText> SplitText(int offset) = 0;
};
struct IXMLComment : virtual IXMLCharacterData {};
struct IXMLCDATASection : virtual IXMLText {};
struct IXMLDocumentType : virtual IXMLText {};
struct IXMLDocumentFragment : virtual IXMLNode {};

struct IXMLParseError : virtual IInterface {
  virtual int GetErrorCode() = 0;
  virtual int GetFilePos() = 0;
  virtual int GetLine() = 0;
  virtual int GetLinePos() = 0;
  virtual AnsiString GetReason() = 0;
  virtual WideString GetSrcText() = 0;
  virtual AnsiString GetURL() = 0;
};

struct IXMLDocument : virtual IXMLNode {
  virtual IntfPtr<IXMLDocumentType> GetDocType() = 0;
  virtual IXMLElementPtr GetDocumentElement() = 0;  // never nil: adds an element when there is none
  virtual void SetDocumentElement(const IXMLElementPtr& element) = 0;
  virtual bool GetPreserveWhiteSpace() = 0;
  virtual void SetPreserveWhiteSpace(bool preserve) = 0;
  virtual IXMLAttrPtr CreateAttribute(const WideString& name) = 0;
  virtual IntfPtr<IXMLCDATASection> CreateCDATASection(const WideString& data) = 0;
  virtual IntfPtr<IXMLComment> CreateComment(const WideString& data) = 0;
  virtual IntfPtr<IXMLDocumentType> CreateDocumentType(const WideString& data) = 0;
  virtual IntfPtr<IXMLDocumentFragment> CreateDocumentFragment() = 0;
  virtual IXMLElementPtr CreateElement(const WideString& tagName) = 0;
  virtual IXMLNodePtr CreateEntityReference(const WideString& name) = 0;  // not supported
  virtual IntfPtr<IXMLProcessingInstruction> CreateProcessingInstruction(const WideString& target,
                                                                         const WideString& data) = 0;
  virtual IntfPtr<IXMLText> CreateTextNode(const WideString& data) = 0;
  virtual bool Load(const WideString& fileName) = 0;
  virtual bool LoadFromStream(TStream& stream, int codePage) = 0;
  virtual void SaveToFile(const WideString& fileName, TXMLOutputFormat format, int codePage) = 0;
  virtual void SaveToStream(TStream& stream, TXMLOutputFormat format, int codePage) = 0;
  virtual bool LoadXML(const WideString& xml) = 0;
  // Registers nodeClass for tagName on the document and returns the document element, as a
  // node of that class when its name is tagName; adds an element named tagName when there is
  // no element.
  virtual IXMLNodePtr GetDocBinding(const WideString& tagName, TXMLNodeClass nodeClass) = 0;
  virtual IntfPtr<IXMLParseError> GetParseError() = 0;
  virtual WideString GetVersion() = 0;
  virtual WideString GetEncoding() = 0;
  virtual WideString GetStandalone() = 0;
  virtual void SetVersion(const WideString& value) = 0;
  virtual void SetEncoding(const WideString& value) = 0;
  virtual void SetStandalone(const WideString& value) = 0;
};

// The text stream the parser reads from and the writer writes to.
struct IXMLTextStream {
  virtual ~IXMLTextStream() = default;
  virtual int GetCodePage() = 0;
  virtual void SetCodePage(int codePage) = 0;
  virtual TXMLOutputFormat GetOutputFormat() = 0;
  virtual void SetOutputFormat(TXMLOutputFormat format) = 0;
  virtual void IncIndent() = 0;
  virtual void DecIndent() = 0;
  virtual void WriteIndent(bool force) = 0;
  virtual void UnreadChar() = 0;
  virtual bool ReadChar(char16_t& c) = 0;
  virtual bool ReadString(WideString& text, int count) = 0;
  virtual void AppendToBuffer(char16_t c) = 0;
  virtual void GetBuffer(WideString& text) = 0;
  virtual int GetBufferLength() = 0;
  virtual void ClearBuffer() = 0;
  virtual void WriteString(const WideString& text) = 0;
};

// A new empty document.
IXMLDocumentPtr NewXMLDocument();
// Nil when no file exists under the name; otherwise a document on which Load has run,
// whether or not parsing succeeded (see GetParseError).
IXMLDocumentPtr LoadXMLFile(const WideString& fileName);
// A document parsed from the UTF-8 bytes of text, whether or not parsing succeeded.
IXMLDocumentPtr LoadXMLString(const RawByteString& text);
// Escapes text for an attribute value or element content.
WideString EscapeXMLText(const WideString& text, bool escapeApos);
