#pragma once

// TReader: reads components from the binary value stream (see Filer.h).
//
// ReadRootComponent(root) fills an existing root (or creates one of the stream's class when
// root is nil): it holds GlobalNameSpace for writing, gives the root a name unique among the
// global components ("Name_1" ...), reads its properties and child components (the root's
// ReadState runs around ReadData), then calls Loaded on every component read, in reading
// order, and resolves references: inside the root at the end of the outermost ReadData,
// across roots through GlobalFixupReferences. A failed read frees the components it
// created, drops every pending reference belonging to the root, and raises again.
//
// ReadData is virtual: a reader of another format derives from TReader and overrides it, so
// that each component's own ReadState runs around that reader's data.
//
// Errors raise EReadError ("Property %s does not exist", "Invalid property path",
// "Invalid property value", "Property is read-only", "Invalid stream format") or
// EClassNotFound ("Class %s not found"). The OnError hook may handle errors of properties
// and component creation, which then skip that value or component.

#include <memory>
#include <vector>

#include "vcl/Collection.h"
#include "vcl/Filer.h"
#include "vcl/Fixups.h"

class TReader : public TFiler {
  BRANTWELL_CLASS(TReader, TFiler)

 public:
  TReader(TStream* stream, int bufSize);
  ~TReader() override;

  // Hooks.
  std::function<void(TReader*, const AnsiString& methodName, const TMethodEntry*& address,
                     bool& error)> OnFindMethod;
  std::function<void(TReader*, TComponent*, AnsiString& name)> OnSetName;
  std::function<void(TReader*, AnsiString& name)> OnReferenceName;
  std::function<void(TReader*, const AnsiString& message, bool& handled)> OnError;
  std::function<void(TReader*, const AnsiString& className, TClass& cls)> OnFindComponentClass;
  std::function<void(TReader*, TClass cls, TComponent*& component)> OnCreateComponent;
  std::function<void(TReader*, const AnsiString& name, TComponent*& component)> OnAncestorNotFound;

  TComponent* ReadRootComponent(TComponent* root);
  TComponent* ReadComponent(TComponent* component);
  virtual void ReadData(TComponent* instance);
  void ReadProperty(TPersistent* instance);
  void ReadCollection(TCollection* collection);

  void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;
  void SetRoot(TComponent* value) override;

  // Values.
  TValueType ReadValue();
  TValueType NextValue();
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  void CheckValue(TValueType value);
  Integer ReadInteger();
  Int64 ReadInt64();
  double ReadFloat();
  double ReadSingle();
  double ReadCurrency();
  TDateTime ReadDate();
  AnsiString ReadString();
  WideString ReadWideString();
  AnsiString ReadIdent();
  bool ReadBoolean();
  char ReadChar();
  char16_t ReadWideChar();
  Variant ReadVariant();
  AnsiString ReadStr();
  void ReadSignature();
  void SkipValue();

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* value) { FOwner = value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* value) { FParent = value; }
  // The components read so far, in reading order (they get Loaded at the end).
  const std::vector<TComponent*>& LoadedList() const { return FLoaded; }

 protected:
  [[noreturn]] void PropertyError(const char* format, std::string_view name = {});
  bool HandleError(const AnsiString& message);
  void ReadPropValue(TPersistent* instance, const TPropInfo* prop);
  TClass FindComponentClass(const AnsiString& className);
  const TMethodEntry* FindMethod(const AnsiString& name);
  void ReadBytes(void* buffer, int32_t count);
  template <class T> T ReadNumber() {
    T value{};
    ReadBytes(&value, sizeof value);
    return value;
  }

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::unique_ptr<TFixupList> FFixups;
  std::vector<TComponent*> FLoaded;
  AnsiString FPropName;  // a defined property waiting for its class to claim it
  bool FCanHandleExceptions = false;
};
