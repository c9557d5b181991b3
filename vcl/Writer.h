#pragma once

// TWriter: writes components into the binary value stream (see Filer.h). Properties whose
// value is their default (or that are not stored) are left out; references to components
// are written as names relative to the root ("Button1", "Panel1.Button1"), or as
// "Form2.Button1" for a component of another root; event handlers as the name of the
// root's published method. Child components are those the component's GetChildren lists.

#include "vcl/Collection.h"
#include "vcl/Filer.h"

class TWriter : public TFiler {
  BRANTWELL_CLASS(TWriter, TFiler)

 public:
  TWriter(TStream* stream, int bufSize);
  ~TWriter() override;

  void WriteRootComponent(TComponent* root);
  void WriteComponent(TComponent* component);
  void WriteDescendent(TComponent* root, TComponent* ancestor);
  virtual void WriteData(TComponent* instance);
  void WriteProperties(TPersistent* instance);
  void WriteCollection(TCollection* collection);

  void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // Values.
  void WriteValue(TValueType value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // In the smallest of 8, 16, 32 or 64 bits that holds the value.
  void WriteInteger(Int64 value);
  void WriteInt64(Int64 value) { WriteInteger(value); }
  void WriteFloat(double value);  // vaExtended
  void WriteSingle(float value);
  void WriteDouble(double value);
  void WriteCurrency(double value);
  void WriteDate(TDateTime value);
  void WriteString(const AnsiString& value);
  void WriteWideString(const WideString& value);
  void WriteUTF8String(const AnsiString& value);
  void WriteIdent(const AnsiString& ident);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteChar(char value);
  void WriteWideChar(char16_t value);
  void WriteVariant(const Variant& value);
  void WriteBinary(const void* data, int32_t size);
  // A short string: at most 255 bytes (EWriteError beyond).
  void WriteStr(const AnsiString& value);
  void WriteSignature();

 protected:
  void WriteBytes(const void* data, int32_t count);
  template <class T> void WriteNumber(T value) { WriteBytes(&value, sizeof value); }
  void WritePropName(const AnsiString& name);
  void WriteProperty(TPersistent* instance, const TPropInfo* prop);
  AnsiString ReferenceName(TComponent* component);

  AnsiString FPropPath;  // prefix of the properties of a sub-object ("Font.")
};
