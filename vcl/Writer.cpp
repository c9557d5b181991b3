#include "vcl/Writer.h"

#include <cstring>
#include <limits>

#include "rtl/Strings.h"

void TComponent::WriteState(TWriter* writer) { writer->WriteData(this); }

TFiler::TFiler(TStream* stream, int) : FStream(stream) {}

TWriter::TWriter(TStream* stream, int bufSize) : TFiler(stream, bufSize) {}
TWriter::~TWriter() { FlushBuffer(); }

void TWriter::WriteBytes(const void* data, int32_t count) {
  if (count > 0) FStream->WriteBuffer(data, count);
}

void TWriter::WriteValue(TValueType value) { WriteNumber<uint8_t>(value); }

void TWriter::WriteInteger(Int64 value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    WriteValue(vaInt8);
    WriteNumber<int8_t>(static_cast<int8_t>(value));
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    WriteValue(vaInt16);
    WriteNumber<int16_t>(static_cast<int16_t>(value));
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteNumber<int32_t>(static_cast<int32_t>(value));
  } else {
    WriteValue(vaInt64);
    WriteNumber<int64_t>(value);
  }
}

void TWriter::WriteFloat(double value) {
  static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended expected");
  long double extended = value;
  WriteValue(vaExtended);
  WriteBytes(&extended, 10);
}

void TWriter::WriteSingle(float value) {
  WriteValue(vaSingle);
  WriteNumber(value);
}

void TWriter::WriteDouble(double value) {
  WriteValue(vaDouble);
  WriteNumber(value);
}

void TWriter::WriteCurrency(double value) {
  WriteValue(vaCurrency);
  WriteNumber<int64_t>(static_cast<int64_t>(value * 10000.0 + (value < 0 ? -0.5 : 0.5)));
}

void TWriter::WriteDate(TDateTime value) {
  WriteValue(vaDate);
  WriteNumber(value);
}

void TWriter::WriteString(const AnsiString& value) {
  bool ascii = std::all_of(value.begin(), value.end(), [](char c) { return (c & 0x80) == 0; });
  if (!ascii) return WriteUTF8String(value);
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(value);
    return;
  }
  WriteValue(vaLString);
  WriteNumber<int32_t>(static_cast<int32_t>(value.size()));
  WriteBytes(value.data(), static_cast<int32_t>(value.size()));
}

void TWriter::WriteUTF8String(const AnsiString& value) {
  WriteValue(vaUTF8String);
  WriteNumber<int32_t>(static_cast<int32_t>(value.size()));
  WriteBytes(value.data(), static_cast<int32_t>(value.size()));
}

void TWriter::WriteWideString(const WideString& value) {
  WriteValue(vaWString);
  WriteNumber<int32_t>(static_cast<int32_t>(value.size()));
  WriteBytes(value.data(), static_cast<int32_t>(value.size() * 2));
}

void TWriter::WriteIdent(const AnsiString& ident) {
  if (SameText(ident, "False")) return WriteValue(vaFalse);
  if (SameText(ident, "True")) return WriteValue(vaTrue);
  if (SameText(ident, "Null")) return WriteValue(vaNull);
  if (SameText(ident, "nil")) return WriteValue(vaNil);
  WriteValue(vaIdent);
  WriteStr(ident);
}

void TWriter::WriteChar(char value) {
  if (static_cast<unsigned char>(value) < 32 || (value & 0x80)) {
    WriteInteger(static_cast<unsigned char>(value));
    return;
  }
  WriteValue(vaString);
  WriteStr(AnsiString(1, value));
}

void TWriter::WriteWideChar(char16_t value) { WriteInteger(value); }

void TWriter::WriteVariant(const Variant& value) {
  const auto& data = value.Data();
  if (value.IsEmpty()) return WriteValue(vaNil);
  if (value.IsNull()) return WriteValue(vaNull);
  if (auto* b = std::get_if<bool>(&data)) return WriteBoolean(*b);
  if (auto* i = std::get_if<Int64>(&data)) return WriteInteger(*i);
  if (auto* d = std::get_if<double>(&data)) return WriteFloat(*d);
  if (auto* s = std::get_if<AnsiString>(&data)) return WriteString(*s);
  if (auto* w = std::get_if<WideString>(&data)) return WriteWideString(*w);
}

void TWriter::WriteBinary(const void* data, int32_t size) {
  WriteValue(vaBinary);
  WriteNumber<int32_t>(size);
  WriteBytes(data, size);
}

void TWriter::WriteStr(const AnsiString& value) {
  if (value.size() > 255) throw EWriteError::CreateFmt("Name too long to write: %s", {value});
  WriteNumber<uint8_t>(static_cast<uint8_t>(value.size()));
  WriteBytes(value.data(), static_cast<int32_t>(value.size()));
}

void TWriter::WriteSignature() { WriteBytes("TPF0", 4); }

void TWriter::WritePropName(const AnsiString& name) { WriteStr(FPropPath + name); }

// ---- Components -------------------------------------------------------------------------

void TWriter::WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  FRoot = root;
  FLookupRoot = root;
  FAncestor = ancestor;
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
  component->SetComponentStateFlag(csWriting, true);
  try {
    component->WriteState(this);
  } catch (...) {
    component->SetComponentStateFlag(csWriting, false);
    throw;
  }
  component->SetComponentStateFlag(csWriting, false);
}

void TWriter::WriteData(TComponent* instance) {
  WriteStr(instance->ClassName());
  WriteStr(instance->Name());
  WriteProperties(instance);
  WriteListEnd();
  instance->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* instance) {
  for (const TPropInfo* prop : GetPropList(instance->ClassType()))
    if (IsStoredProp(instance, prop)) WriteProperty(instance, prop);
  CallDefineProperties(instance, this);
}

AnsiString TWriter::ReferenceName(TComponent* component) {
  if (component == FLookupRoot) return "Owner";
  AnsiString path;
  for (TComponent* c = component; c; c = c->Owner()) {
    if (c == FLookupRoot) return path;
    if (c->Name().empty()) break;
    path = path.empty() ? c->Name() : c->Name() + "." + path;
    if (!c->Owner()) return path;  // a global root: "Form2.Button1"
  }
  return {};
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo* prop) {
  const TTypeInfo* type = prop->PropType();
  switch (type->Kind) {
    case tkInteger: case tkChar: case tkWChar: case tkEnumeration: case tkSet: case tkInt64: {
      Int64 value = GetOrdProp(instance, prop);
      if (prop->Default != NoDefault && value == prop->Default) return;
      WritePropName(prop->Name);
      AnsiString ident;
      switch (type->Kind) {
        case tkInteger:
          if (TIntToIdent convert = FindIntToIdent(type); convert && convert(value, ident))
            WriteIdent(ident);
          else
            WriteInteger(value);
          break;
        case tkChar: WriteChar(static_cast<char>(value)); break;
        case tkWChar: WriteWideChar(static_cast<char16_t>(value)); break;
        case tkEnumeration:
          if (type->Name == "Boolean")
            WriteBoolean(value != 0);
          else
            WriteIdent(GetEnumName(type, value));
          break;
        case tkSet: {
          WriteValue(vaSet);
          for (uint32_t i = 0; i < 32; ++i)
            if ((static_cast<uint32_t>(value) >> i) & 1u)
              WriteStr(type->CompType ? GetEnumName(type->CompType, i) : AnsiString());
          WriteStr({});
          break;
        }
        default: WriteInteger(value); break;
      }
      return;
    }
    case tkFloat: {
      double value = GetFloatProp(instance, prop);
      if (value == 0) return;
      WritePropName(prop->Name);
      if (type->FloatType == ftSingle)
        WriteSingle(static_cast<float>(value));
      else if (type->FloatType == ftCurr)
        WriteCurrency(value);
      else if (type->Name == "TDateTime")
        WriteDate(value);
      else
        WriteFloat(value);
      return;
    }
    case tkString: case tkLString: {
      AnsiString value = GetStrProp(instance, prop);
      if (value.empty()) return;
      WritePropName(prop->Name);
      WriteString(value);
      return;
    }
    case tkWString: {
      WideString value = GetWideStrProp(instance, prop);
      if (value.empty()) return;
      WritePropName(prop->Name);
      WriteWideString(value);
      return;
    }
    case tkVariant: {
      Variant value = GetVariantProp(instance, prop);
      if (value.IsEmpty()) return;
      WritePropName(prop->Name);
      WriteVariant(value);
      return;
    }
    case tkMethod: {
      TMethod method = GetMethodProp(instance, prop);
      if (!method.Code || method.Data != FLookupRoot) return;
      AnsiString name = FLookupRoot->MethodName(method.Code);
      if (name.empty()) return;
      WritePropName(prop->Name);
      WriteIdent(name);
      return;
    }
    case tkClass: case tkInterface: {
      TObject* value = GetObjectProp(instance, prop);
      if (!value) return;
      auto* component = dynamic_cast<TComponent*>(value);
      bool subComponent = component && component->ComponentStyle().Contains(csSubComponent) &&
                          component->Owner() == instance;
      if (component && !subComponent) {
        AnsiString name = ReferenceName(component);
        if (name.empty()) return;
        WritePropName(prop->Name);
        WriteIdent(name);
        return;
      }
      if (auto* collection = dynamic_cast<TCollection*>(value)) {
        WritePropName(prop->Name);
        WriteCollection(collection);
        return;
      }
      if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
        AnsiString saved = FPropPath;
        FPropPath += prop->Name + ".";
        try {
          WriteProperties(persistent);
        } catch (...) {
          FPropPath = saved;
          throw;
        }
        FPropPath = saved;
      }
      return;
    }
    default: return;
  }
}

void TWriter::WriteCollection(TCollection* collection) {
  WriteValue(vaCollection);
  AnsiString saved = FPropPath;
  FPropPath.clear();
  try {
    for (int i = 0; i < collection->Count(); ++i) {
      WriteListBegin();
      WriteProperties(collection->Items(i));
      WriteListEnd();
    }
  } catch (...) {
    FPropPath = saved;
    throw;
  }
  FPropPath = saved;
  WriteListEnd();
}

void TWriter::DefineProperty(const AnsiString& name, const TReaderProc&,
                             const TWriterProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& name, const TStreamProc&,
                                   const TStreamProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  TMemoryStream memory;
  writeData(&memory);
  WritePropName(name);
  WriteBinary(memory.Memory(), static_cast<int32_t>(memory.Size()));
}
