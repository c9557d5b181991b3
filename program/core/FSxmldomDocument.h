#pragma once

// The document node: the root of a tree, the factory of its nodes, the XML declaration's
// attributes, the white-space rule for text and the record of the last parse error.

#include "program/core/FSxmldomNodes.h"

class TXMLParseError final : public IXMLParseError {
 public:
  int32_t _AddRef() noexcept override { return ++m_refCount; }
  int32_t _Release() noexcept override {
    const int32_t count = --m_refCount;
    if (count == 0) delete this;
    return count;
  }
  int GetErrorCode() override { return FErrorCode; }
  int GetFilePos() override { return FFilePos; }
  int GetLine() override { return FLine; }
  int GetLinePos() override { return FLinePos; }
  AnsiString GetReason() override { return FReason; }
  WideString GetSrcText() override { return FSrcText; }
  AnsiString GetURL() override { return FURL; }

  int FErrorCode = 0;
  int FFilePos = 0;
  int FLine = 0;
  int FLinePos = 0;
  AnsiString FReason;
  WideString FSrcText;
  AnsiString FURL;

 private:
  std::atomic<int32_t> m_refCount{0};
};

class TXMLDocument : public TXMLNode, public virtual IXMLDocument {
 public:
  TXMLDocument();
  ~TXMLDocument() override;

  IXMLDocumentPtr GetOwnerDocument() override { return nullptr; }
  WideString GetText() override;
  IXMLNodeListPtr GetElementsByTagName(const WideString& name) override;
  void ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) override;
  void WriteToStream(TXMLTextStream& stream) override;

  IntfPtr<IXMLDocumentType> GetDocType() override { return FDocType; }
  IXMLElementPtr GetDocumentElement() override;
  void SetDocumentElement(const IXMLElementPtr& element) override;
  bool GetPreserveWhiteSpace() override { return FPreserveWhiteSpace; }
  void SetPreserveWhiteSpace(bool preserve) override { FPreserveWhiteSpace = preserve; }
  IXMLAttrPtr CreateAttribute(const WideString& name) override;
  IntfPtr<IXMLCDATASection> CreateCDATASection(const WideString& data) override;
  IntfPtr<IXMLComment> CreateComment(const WideString& data) override;
  IntfPtr<IXMLDocumentType> CreateDocumentType(const WideString& data) override;
  IntfPtr<IXMLDocumentFragment> CreateDocumentFragment() override;
  IXMLElementPtr CreateElement(const WideString& tagName) override;
  IXMLNodePtr CreateEntityReference(const WideString& name) override;
  IntfPtr<IXMLProcessingInstruction> CreateProcessingInstruction(const WideString& target,
                                                                 const WideString& data) override;
  IntfPtr<IXMLText> CreateTextNode(const WideString& data) override;
  bool Load(const WideString& fileName) override;
  bool LoadFromStream(TStream& stream, int codePage) override;
  void SaveToFile(const WideString& fileName, TXMLOutputFormat format, int codePage) override;
  void SaveToStream(TStream& stream, TXMLOutputFormat format, int codePage) override;
  bool LoadXML(const WideString& xml) override;
  IXMLNodePtr GetDocBinding(const WideString& tagName, TXMLNodeClass nodeClass) override;
  IntfPtr<IXMLParseError> GetParseError() override { return FParseError; }
  WideString GetVersion() override { return DeclarationValue(u"version"); }
  WideString GetEncoding() override { return DeclarationValue(u"encoding"); }
  WideString GetStandalone() override { return DeclarationValue(u"standalone"); }
  void SetVersion(const WideString& value) override { SetDeclarationValue(0, value); }
  void SetEncoding(const WideString& value) override { SetDeclarationValue(1, value); }
  void SetStandalone(const WideString& value) override { SetDeclarationValue(2, value); }

  // Library-internal.
  void RegisterOwned(TXMLNode* node);
  void UnregisterOwned(TXMLNode* node);
  void SetDocTypeNode(TXMLDocumentType* node) { FDocType = node; }
  bool PreservesWhiteSpace() const { return FPreserveWhiteSpace; }
  TXMLNode* FirstElementChild();

 private:
  TXMLProcessingInstruction* Declaration();
  WideString DeclarationValue(const WideString& name);
  void SetDeclarationValue(int which, const WideString& value);
  void RecordParseError(const EXMLException& error, const TXMLTextStream& stream);

  IntfPtr<IXMLDocumentType> FDocType;
  IntfPtr<TXMLParseError> FParseError;
  bool FPreserveWhiteSpace = true;
  AnsiString FURL;
  TXMLNode* m_firstOwned = nullptr;
};

// Reads the content of parent up to its end tag or the end of the input.
void ReadXMLContent(TXMLDocument& document, TXMLNode* parent, TXMLTextStream& stream);
// The code page of an encoding name of the library's table, or 0 when it is not in it.
int XMLCodePageOfAlias(const WideString& alias);
