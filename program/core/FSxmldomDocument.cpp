#include "program/core/FSxmldomDocument.h"

#include "program/core/FSxmldomTextStream.h"
#include "program/core/WideFileUtils.h"
#include "platform/kernel/Unicode.h"
#include "vcl/Classes.h"

namespace {

struct ErrorRow {
  int code;
  const char* message;
};
// The rows the library raises; the other codes of the table belong to checks it does not make.
constexpr ErrorRow kErrorRows[] = {
    {0, "%s"},
    {4, "Missing equals sign between attribute and attribute value."},
    {7, "A string literal was expected, but no opening quote character was found."},
    {9, "A name started with an invalid character."},
    {10, "A name contained an invalid character."},
    {11, "The character \"<\" cannot be used in an attribute value."},
    {15, "The character \">\" was expected."},
    {18, "A semi colon character was expected."},
    {19, "An invalid character was found inside an entity reference."},
    {23, "Internal error: %s"},
    {24, "Whitespace is not allowed at this location."},
    {34, "Invalid character for decimal digit."},
    {35, "Invalid character for hexadecimal digit."},
    {36, "Invalid Unicode character value for this platform."},
    {50, "The literal string \"]]>\" is not allowed in element content."},
    {67, "End tag %s does not match the start tag %s."},
    {89, "This operation can not be performed with a Node of type %s."},
    {91, "Reference to undefined entity %s."},
    {100, "Elements are nested more than %s levels deep."},
};

}  // namespace

AnsiString XMLErrorMessage(int errorCode) {
  for (const ErrorRow& row : kErrorRows)
    if (row.code == errorCode) return row.message;
  return "XML error " + std::to_string(errorCode) + ".";
}

void RaiseXMLError(int errorCode, int domCode, const std::vector<WideString>& args) {
  const AnsiString pattern = XMLErrorMessage(errorCode);
  AnsiString message;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
      if (next < args.size()) message += platform::Utf16ToUtf8(args[next++]);
      ++i;
    } else {
      message.push_back(pattern[i]);
    }
  }
  throw EXMLException(message, domCode, errorCode);
}

// --- TXMLDocument -----------------------------------------------------------------------------

TXMLDocument::TXMLDocument() : TXMLNode(nullptr, DOCUMENT_NODE, u"#document"), FParseError(new TXMLParseError) {
  FOwnerDocument = this;
}

TXMLDocument::~TXMLDocument() {
  // Nodes still held elsewhere survive without owner document.
  for (TXMLNode* node = m_firstOwned; node != nullptr;) {
    TXMLNode* next = node->m_nextOwned;
    node->DetachFromDocument();
    node = next;
  }
  m_firstOwned = nullptr;
  FOwnerDocument = nullptr;
}

void TXMLDocument::RegisterOwned(TXMLNode* node) {
  node->m_nextOwned = m_firstOwned;
  node->m_prevOwned = nullptr;
  if (m_firstOwned) m_firstOwned->m_prevOwned = node;
  m_firstOwned = node;
}

void TXMLDocument::UnregisterOwned(TXMLNode* node) {
  if (node->m_prevOwned) node->m_prevOwned->m_nextOwned = node->m_nextOwned;
  else if (m_firstOwned == node) m_firstOwned = node->m_nextOwned;
  if (node->m_nextOwned) node->m_nextOwned->m_prevOwned = node->m_prevOwned;
  node->m_prevOwned = node->m_nextOwned = nullptr;
}

TXMLNode* TXMLDocument::FirstElementChild() {
  for (int i = 0; i < ChildCount(); ++i)
    if (ChildAt(i)->GetNodeType() == ELEMENT_NODE) return ChildAt(i);
  return nullptr;
}

IXMLElementPtr TXMLDocument::GetDocumentElement() {
  if (TXMLNode* element = FirstElementChild()) return IXMLElementPtr(dynamic_cast<TXMLElement*>(element));
  auto* element = new TXMLElement(this, {});
  AppendChildNode(element);
  return IXMLElementPtr(element);
}

void TXMLDocument::SetDocumentElement(const IXMLElementPtr& element) {
  TXMLNode* node = XMLNodeOf(IXMLNodePtr(element.get()));
  if (node == nullptr) return;
  if (TXMLNode* old = FirstElementChild()) {
    if (old == node) return;
    IntfPtr<TXMLNode> hold(old);
    Children().InsertNode(Children().IndexOfNode(old), node);
    Children().DeleteAt(Children().IndexOfNode(old));
  } else {
    Children().InsertNode(ChildCount(), node);
  }
}

IXMLNodePtr TXMLDocument::GetDocBinding(const WideString& tagName, TXMLNodeClass nodeClass) {
  RegisterChildNode(tagName, nodeClass);
  if (TXMLNode* element = FirstElementChild()) return element;
  AppendChildNode(new TXMLElement(this, tagName));
  RegisterChildNode(tagName, nodeClass);  // marks the list for wrapping the new element
  return FirstElementChild();
}

WideString TXMLDocument::GetText() { return GetDocumentElement()->GetText(); }

IXMLNodeListPtr TXMLDocument::GetElementsByTagName(const WideString& name) {
  return GetDocumentElement()->GetElementsByTagName(name);
}

IXMLAttrPtr TXMLDocument::CreateAttribute(const WideString& name) { return new TXMLAttr(this, name); }
IntfPtr<IXMLCDATASection> TXMLDocument::CreateCDATASection(const WideString& data) {
  return new TXMLCDATASection(this, data);
}
IntfPtr<IXMLComment> TXMLDocument::CreateComment(const WideString& data) { return new TXMLComment(this, data); }
IntfPtr<IXMLDocumentType> TXMLDocument::CreateDocumentType(const WideString& data) {
  FDocType = new TXMLDocumentType(this, data);
  return FDocType;
}
IntfPtr<IXMLDocumentFragment> TXMLDocument::CreateDocumentFragment() { return new TXMLDocumentFragment(this); }
IXMLElementPtr TXMLDocument::CreateElement(const WideString& tagName) { return new TXMLElement(this, tagName); }
IXMLNodePtr TXMLDocument::CreateEntityReference(const WideString&) {
  throw ENotSupportedException("Entity references are not supported");
}
IntfPtr<IXMLProcessingInstruction> TXMLDocument::CreateProcessingInstruction(const WideString& target,
                                                                             const WideString& data) {
  return new TXMLProcessingInstruction(this, target, data);
}
IntfPtr<IXMLText> TXMLDocument::CreateTextNode(const WideString& data) { return new TXMLText(this, data); }

// --- declaration ------------------------------------------------------------------------------

TXMLProcessingInstruction* TXMLDocument::Declaration() {
  if (ChildCount() == 0 || ChildAt(0)->GetNodeType() != PROCESSING_INSTRUCTION_NODE || ChildAt(0)->Name() != u"xml")
    return nullptr;
  return dynamic_cast<TXMLProcessingInstruction*>(ChildAt(0));
}

WideString TXMLDocument::DeclarationValue(const WideString& name) {
  TXMLProcessingInstruction* declaration = Declaration();
  if (declaration == nullptr) return {};
  const WideString& data = declaration->Value();
  const size_t at = data.find(name);
  if (at == WideString::npos) return {};
  const size_t open = data.find_first_of(u"\"'", at + name.size());
  if (open == WideString::npos) return {};
  const size_t close = data.find_first_of(u"\"'", open + 1);
  if (close == WideString::npos) return data.substr(open + 1);
  return data.substr(open + 1, close - open - 1);
}

void TXMLDocument::SetDeclarationValue(int which, const WideString& value) {
  TXMLProcessingInstruction* declaration = Declaration();
  WideString values[3] = {GetVersion(), GetEncoding(), GetStandalone()};
  if (values[0].empty()) values[0] = u"1.0";
  values[which] = value;
  static const char16_t* const names[3] = {u"version", u"encoding", u"standalone"};
  WideString data;
  for (int i = 0; i < 3; ++i) {
    if (values[i].empty()) continue;
    if (!data.empty()) data.push_back(u' ');
    data += WideString(names[i]) + u"=\"" + values[i] + u"\"";
  }
  IntfPtr<TXMLNode> node(new TXMLProcessingInstruction(this, u"xml", data));
  if (declaration != nullptr) {
    Children().DeleteAt(0);
  }
  Children().InsertNode(0, node.get());
}

// --- loading ----------------------------------------------------------------------------------

void TXMLDocument::RecordParseError(const EXMLException& error, const TXMLTextStream& stream) {
  TXMLParseError& record = *FParseError;
  record.FErrorCode = error.ErrorCode;
  record.FFilePos = static_cast<int>(stream.Position());
  record.FLine = stream.Line() + 1;
  record.FLinePos = stream.Column();
  record.FReason = XMLErrorMessage(error.ErrorCode);
  record.FSrcText = stream.CurrentLine();
  if (record.FSrcText.empty()) record.FSrcText = stream.LastToken();
  if (record.FSrcText.empty() && stream.HasLastChar()) record.FSrcText = WideString(1, stream.LastChar());
  record.FURL = FURL;
}

bool TXMLDocument::LoadFromStream(TStream& stream, int codePage) {
  bool result = true;
  Children().Clear();
  try {
    TXMLTextStream text(stream, codePage, TXMLTextStream::ReadMode);
    try {
      ReadXMLContent(*this, this, text);
    } catch (const EXMLException& error) {
      RecordParseError(error, text);
      result = false;
    }
  } catch (...) {
    FURL.clear();
    throw;
  }
  FURL.clear();
  return result;
}

bool TXMLDocument::Load(const WideString& fileName) {
  FURL = platform::Utf16ToUtf8(fileName);
  TMemoryStream memory;
  try {
    memory.LoadFromFile(FURL);
  } catch (...) {
    FURL.clear();
    throw;
  }
  return LoadFromStream(memory, 65001);
}

bool TXMLDocument::LoadXML(const WideString& xml) {
  TMemoryStream memory;
  memory.WriteBuffer("\xFF\xFE", 2);
  if (!xml.empty()) memory.WriteBuffer(xml.data(), static_cast<int32_t>(xml.size() * sizeof(char16_t)));
  memory.SetPosition(0);
  return LoadFromStream(memory, 1200);
}

void TXMLDocument::SaveToFile(const WideString& fileName, TXMLOutputFormat format, int codePage) {
  TFileStream file(platform::Utf16ToUtf8(fileName), fmCreate);
  SaveToStream(file, format, codePage);
}

// --- free operations --------------------------------------------------------------------------

IXMLDocumentPtr NewXMLDocument() { return new TXMLDocument; }

IXMLDocumentPtr LoadXMLFile(const WideString& fileName) {
  // Through the kernel, which finds the file as Load will open it: in another case, or
  // named with "\" delimiters.
  if (!WideFileExists(fileName)) return nullptr;
  IXMLDocumentPtr document = NewXMLDocument();
  document->Load(fileName);
  return document;
}

IXMLDocumentPtr LoadXMLString(const RawByteString& text) {
  IXMLDocumentPtr document = NewXMLDocument();
  TStringStream stream(text);
  document->LoadFromStream(stream, 65001);
  return document;
}
