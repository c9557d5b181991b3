#pragma once

// TFiler: the common part of the component reader and writer. Components stream as a
// binary value stream: each value is a TValueType byte and its data (little-endian):
//
//   vaInt8/16/32/64 integers; vaExtended (80-bit), vaDouble, vaSingle floats; vaCurrency
//   (Int64 in ten-thousandths); vaDate (double); vaString (1-byte length), vaLString
//   (4-byte length) and vaUTF8String (4-byte length) UTF-8 text; vaWString (4-byte length
//   in units, UTF-16); vaIdent (1-byte length identifier); vaFalse/vaTrue/vaNil/vaNull
//   (no data); vaBinary (4-byte length, bytes); vaSet (identifiers, ended by an empty
//   one); vaList (values up to vaNull); vaCollection (items, each a list of properties,
//   up to vaNull).
//
// A component is its class name, its name, its properties (name, value) up to vaNull and
// its child components up to vaNull; a root starts with the signature "TPF0".
// DefineProperties lets a class stream values that are not published properties through
// DefineProperty (typed values) and DefineBinaryProperty (raw bytes).

#include <functional>

#include "vcl/Classes.h"
#include "vcl/Component.h"

enum TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
  vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
  vaInt64, vaUTF8String, vaDouble
};

using TReaderProc = std::function<void(TReader* reader)>;
using TWriterProc = std::function<void(TWriter* writer)>;
using TStreamProc = std::function<void(TStream* stream)>;

class TFiler : public TObject {
  BRANTWELL_CLASS(TFiler, TObject)

 public:
  // The stream is not owned. The buffer size is accepted for compatibility; streams are
  // read and written directly.
  TFiler(TStream* stream, int bufSize);

  virtual void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  virtual void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;
  virtual void FlushBuffer() {}

  TComponent* Root() const { return FRoot; }
  virtual void SetRoot(TComponent* value) { FRoot = value; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  void SetLookupRoot(TComponent* value) { FLookupRoot = value; }
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* value) { FAncestor = value; }
  TStream* Stream() const { return FStream; }

 protected:
  // Lets a filer call a persistent's protected DefineProperties.
  static void CallDefineProperties(TPersistent* instance, TFiler* filer) {
    instance->DefineProperties(filer);
  }

  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};
