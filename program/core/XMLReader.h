#pragma once

// The XML form reader: reads one ".xfm" form file into an existing window (or any component
// that acts as a root). It sets published properties from attributes and value elements,
// creates the child components, lets each class read its own defined properties, binds event
// handlers to the root's published methods and resolves references once the whole file is
// read. It is a filer of the class library's streaming framework, so every component's own
// hooks run as for a binary form stream: ReadState around its data, DefineProperties after
// its published properties, Loaded once the whole window (all its form files) is read.
//
// How a component's ReadState reaches this reader: the reader hands the component a
// TJumpReader, a class-library reader whose ReadData calls back into the XML reader.
// Defined properties get their values as a small binary value stream written through
// TWriterAccess and read back by a class-library reader.
//
// References are the class library's fix-ups (vcl/Fixups.h): references inside the root are
// resolved at the end of the read; "Form2.Button1" waits in the global list until a root of
// that name exists. A failed read drops every pending reference that belongs to the root,
// and destroying a component drops the references that name it.
//
// GUI thread only. A read holds GlobalNameSpace() for writing. The reader owns the loaded
// document; the components it creates belong to their owners.

#include <memory>
#include <vector>

#include "program/core/FSxmldom.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

class TXMLReader;

// The class-library reader handed to a component's ReadState: its ReadData reads the
// component's data from the XML reader's current element. Also the reader that the XML
// reader's hooks receive (set hooks through TXMLReader::Proxy()).
class TJumpReader : public TReader {
  BRANTWELL_CLASS(TJumpReader, TReader)

 public:
  TJumpReader(TStream* stream, TXMLReader* xmlReader);

  void ReadData(TComponent* instance) override;
  TXMLReader* XMLReader() const { return FXMLReader; }

  using TReader::FindComponentClass;
  using TReader::FindMethod;

 private:
  TXMLReader* FXMLReader;
};

// The class-library writer with its low-level value writing open to the form reader.
class TWriterAccess : public TWriter {
  BRANTWELL_CLASS(TWriterAccess, TWriter)

 public:
  using TWriter::TWriter;
  using TWriter::WriteBytes;
  using TWriter::WriteStr;
};

class TXMLReader : public TFiler {
  BRANTWELL_CLASS(TXMLReader, TFiler)

 public:
  TXMLReader();
  ~TXMLReader() override;

  // Loads a form file: false when the file does not exist or its document element is not
  // "xform" (letter case ignored). The form element is the first element child of "xform".
  bool LoadFromFile(const WideString& fileName);
  IXMLElementPtr FormElement() const { return FFormElement; }

  // Reads the form element into root (the window). Returns nil when no form element was
  // loaded. Raises EReadError / EClassNotFound / EConvertError for a bad file; the components
  // created by a failed read are freed, and its pending references dropped.
  TComponent* ReadRootComponent(TComponent* root);
  // Reads a component's properties and child components from the current element.
  void ReadData(TComponent* instance);

  void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;
  void SetRoot(TComponent* value) override;

  // The reader whose hooks the form reader honours (OnFindMethod, OnSetName,
  // OnReferenceName, OnFindComponentClass, OnCreateComponent, OnAncestorNotFound); it is kept
  // in step with the owner, parent, root and lookup root.
  TJumpReader* Proxy() { return &FProxy; }

  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }

 private:
  void ReadProperties(TPersistent* instance, const IXMLNodePtr& element);
  void ReadSubObject(TPersistent* instance, const IXMLNodePtr& element);
  void ReadCollectionItems(TCollection* collection, const IXMLNodePtr& element);
  void ReadProperty(TPersistent* instance, const IXMLNodePtr& valueNode);
  void SetPropValue(TPersistent* instance, const TPropInfo* prop, const IXMLNodePtr& valueNode);
  void ReadChildren(TComponent* component, const IXMLNodePtr& element);
  void ReadChildComponent(const IXMLNodePtr& element);
  void RunReadState(TComponent* component);
  void AskDefinedProperties(TPersistent* instance);
  IXMLNodePtr FindDefinedNode(const AnsiString& name) const;
  void UpdateProxy();

  IXMLDocumentPtr FDocument;
  IXMLElementPtr FFormElement;
  IXMLNodePtr FCurrentNode;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::unique_ptr<TFixupList> FFixupList;
  std::vector<TComponent*>* FLoadedList = nullptr;
  TPersistent* FPropertyObject = nullptr;
  TMemoryStream FProxyStream;
  TJumpReader FProxy;
};

// Per-thread loading lists: while one is open, every root read on the thread adds its
// components to it instead of notifying them itself, so that a window read from several
// form files gets one Loaded call per component, after the last file.
void BeginGlobalLoading();
// Calls Loaded on every component of the open list, in reading order.
void NotifyGlobalLoading();
// Closes the open list and reopens the one that was open before it.
void EndGlobalLoading();
// The open list of the calling thread, nil when none.
std::vector<TComponent*>* GlobalLoadingList();
