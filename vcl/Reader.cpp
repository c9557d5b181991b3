#include "vcl/Reader.h"

#include <cstring>

#include "rtl/Strings.h"

namespace {

bool OwnedByOrIs(TComponent* component, TComponent* ancestor) {
  for (; component; component = component->Owner())
    if (component == ancestor) return true;
  return false;
}

// Runs the restore step on every exit path.
template <class F> struct Restore {
  F f;
  ~Restore() { f(); }
};
template <class F> Restore(F) -> Restore<F>;

// A length read from the stream is checked against what the stream still holds before
// anything is allocated for it, so a damaged length fails as a read error instead of asking
// for gigabytes (or, for wide strings, overflowing the byte count).
void CheckRemaining(TStream& stream, int64_t bytes) {
  if (bytes > stream.GetSize() - stream.GetPosition()) throw EReadError("Stream read error");
}

}  // namespace

void TComponent::ReadState(TReader* reader) { reader->ReadData(this); }

TReader::TReader(TStream* stream, int bufSize) : TFiler(stream, bufSize) {}
TReader::~TReader() = default;

void TReader::SetRoot(TComponent* value) {
  TFiler::SetRoot(value);
  FLookupRoot = value;
}

// ---- Values -----------------------------------------------------------------------------

void TReader::ReadBytes(void* buffer, int32_t count) {
  if (count > 0 && FStream->Read(buffer, count) != count) throw EReadError("Stream read error");
}

TValueType TReader::ReadValue() {
  uint8_t value = ReadNumber<uint8_t>();
  if (value > vaDouble) throw EReadError("Invalid stream format");
  return static_cast<TValueType>(value);
}

TValueType TReader::NextValue() {
  TValueType value = ReadValue();
  FStream->Seek(-1, soFromCurrent);
  return value;
}

// What follows a list entry is either the end mark or the length byte of a property or
// component name, which may be any length, so the byte is not taken as a value type.
bool TReader::EndOfList() {
  uint8_t next = ReadNumber<uint8_t>();
  FStream->Seek(-1, soFromCurrent);
  return next == vaNull;
}
void TReader::CheckValue(TValueType value) {
  if (ReadValue() != value) {
    FStream->Seek(-1, soFromCurrent);
    SkipValue();
    PropertyError("Invalid property value");
  }
}
void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

Integer TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: return ReadNumber<int8_t>();
    case vaInt16: return ReadNumber<int16_t>();
    case vaInt32: return ReadNumber<int32_t>();
    default: break;
  }
  FStream->Seek(-1, soFromCurrent);
  SkipValue();
  PropertyError("Invalid property value");
}

Int64 TReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    return ReadNumber<int64_t>();
  }
  return ReadInteger();
}

double TReader::ReadFloat() {
  switch (ReadValue()) {
    case vaExtended: {
      long double value = 0;
      ReadBytes(&value, 10);
      return static_cast<double>(value);
    }
    case vaDouble: return ReadNumber<double>();
    case vaSingle: return ReadNumber<float>();
    case vaCurrency: return static_cast<double>(ReadNumber<int64_t>()) / 10000.0;
    case vaDate: return ReadNumber<double>();
    case vaInt8: case vaInt16: case vaInt32: case vaInt64:
      FStream->Seek(-1, soFromCurrent);
      return static_cast<double>(ReadInt64());
    default: break;
  }
  FStream->Seek(-1, soFromCurrent);
  SkipValue();
  PropertyError("Invalid property value");
}

double TReader::ReadSingle() { return ReadFloat(); }
double TReader::ReadCurrency() { return ReadFloat(); }
TDateTime TReader::ReadDate() { return ReadFloat(); }

AnsiString TReader::ReadStr() {
  uint8_t length = ReadNumber<uint8_t>();
  AnsiString text(length, '\0');
  ReadBytes(text.data(), length);
  return text;
}

AnsiString TReader::ReadString() {
  TValueType type = ReadValue();
  switch (type) {
    case vaString: return ReadStr();
    case vaLString:
    case vaUTF8String: {
      int32_t length = ReadNumber<int32_t>();
      if (length < 0) throw EReadError("Invalid stream format");
      CheckRemaining(*FStream, length);
      AnsiString text(static_cast<size_t>(length), '\0');
      ReadBytes(text.data(), length);
      return text;
    }
    case vaWString: {
      FStream->Seek(-1, soFromCurrent);
      return WideToUTF8(ReadWideString());
    }
    default: break;
  }
  FStream->Seek(-1, soFromCurrent);
  SkipValue();
  PropertyError("Invalid property value");
}

WideString TReader::ReadWideString() {
  if (NextValue() != vaWString) return UTF8ToWide(ReadString());
  ReadValue();
  int32_t length = ReadNumber<int32_t>();
  if (length < 0) throw EReadError("Invalid stream format");
  CheckRemaining(*FStream, int64_t{length} * 2);
  WideString text(static_cast<size_t>(length), u'\0');
  ReadBytes(text.data(), length * 2);
  return text;
}

AnsiString TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: break;
  }
  FStream->Seek(-1, soFromCurrent);
  SkipValue();
  PropertyError("Invalid property value");
}

bool TReader::ReadBoolean() {
  TValueType type = NextValue();
  if (type == vaTrue || type == vaFalse) return ReadValue() == vaTrue;
  return SameText(ReadIdent(), "True");
}

char TReader::ReadChar() {
  TValueType type = NextValue();
  if (type == vaInt8 || type == vaInt16 || type == vaInt32) return static_cast<char>(ReadInteger());
  AnsiString text = ReadString();
  return text.empty() ? '\0' : text[0];
}

char16_t TReader::ReadWideChar() {
  TValueType type = NextValue();
  if (type == vaInt8 || type == vaInt16 || type == vaInt32)
    return static_cast<char16_t>(ReadInteger());
  WideString text = ReadWideString();
  return text.empty() ? u'\0' : text[0];
}

Variant TReader::ReadVariant() {
  switch (NextValue()) {
    case vaNil: ReadValue(); return Variant();
    case vaNull: ReadValue(); return Variant(TNullValue{});
    case vaFalse: case vaTrue: return Variant(ReadBoolean());
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: return Variant(ReadInt64());
    case vaExtended: case vaDouble: case vaSingle: case vaCurrency: case vaDate:
      return Variant(ReadFloat());
    case vaWString: return Variant(ReadWideString());
    default: return Variant(ReadString());
  }
}

void TReader::ReadSignature() {
  char signature[4];
  ReadBytes(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) throw EReadError("Invalid stream format");
}

void TReader::SkipValue() {
  switch (ReadValue()) {
    case vaNull: case vaFalse: case vaTrue: case vaNil: return;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadValue();
      return;
    case vaInt8: ReadNumber<int8_t>(); return;
    case vaInt16: ReadNumber<int16_t>(); return;
    case vaInt32: ReadNumber<int32_t>(); return;
    case vaInt64: case vaCurrency: case vaDate: case vaDouble: ReadNumber<int64_t>(); return;
    case vaSingle: ReadNumber<float>(); return;
    case vaExtended: {
      char buffer[10];
      ReadBytes(buffer, 10);
      return;
    }
    case vaString: case vaIdent: ReadStr(); return;
    case vaLString: case vaUTF8String: case vaBinary: {
      int32_t length = ReadNumber<int32_t>();
      if (length < 0) throw EReadError("Invalid stream format");
      FStream->Seek(length, soFromCurrent);
      return;
    }
    case vaWString: {
      int32_t length = ReadNumber<int32_t>();
      if (length < 0) throw EReadError("Invalid stream format");
      FStream->Seek(int64_t{length} * 2, soFromCurrent);
      return;
    }
    case vaSet:
      while (!ReadStr().empty()) {
      }
      return;
    case vaCollection:
      while (!EndOfList()) {
        TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
}

// ---- Errors -----------------------------------------------------------------------------

void TReader::PropertyError(const char* format, std::string_view name) {
  if (std::strstr(format, "%s"))
    throw EReadError::CreateFmt(format, {name});
  throw EReadError(format);
}

bool TReader::HandleError(const AnsiString& message) {
  bool handled = false;
  if (OnError) OnError(this, message, handled);
  return handled;
}

// ---- Components -------------------------------------------------------------------------

TClass TReader::FindComponentClass(const AnsiString& className) {
  TClass cls = nullptr;
  // Classes of the root's published fields need no registration.
  for (TComponent* root : {FRoot, FLookupRoot}) {
    if (!root || cls) continue;
    for (TClass c = root->ClassType(); c && !cls; c = c->Parent)
      for (const auto& field : c->Fields)
        if (SameText(field->ClassGetter()->Name, className)) {
          cls = field->ClassGetter();
          break;
        }
  }
  if (!cls) cls = GetClass(className);
  if (OnFindComponentClass) OnFindComponentClass(this, className, cls);
  if (!cls || !cls->InheritsFrom(TComponent::StaticClass()))
    throw EClassNotFound::CreateFmt("Class %s not found", {className});
  return cls;
}

TComponent* TReader::ReadComponent(TComponent* component) {
  AnsiString className = ReadStr();
  AnsiString name = ReadStr();
  TComponent* result = component;
  bool created = false;
  TComponent* savedParent = FParent;
  TComponent* savedLookupRoot = FLookupRoot;
  Restore restore{[&] {
    FParent = savedParent;
    FLookupRoot = savedLookupRoot;
  }};
  try {
    if (!result) {
      TClass cls = FindComponentClass(className);
      if (OnCreateComponent) OnCreateComponent(this, cls, result);
      if (!result) result = CreateComponent(cls, FOwner);
      created = true;
    }
    result->SetComponentStateFlag(csLoading, true);
    result->SetParentComponent(FParent);
    if (OnSetName) OnSetName(this, result, name);
    result->SetName(name);
    result->SetComponentStateFlag(csReading, true);
    result->ReadState(this);
    result->SetComponentStateFlag(csReading, false);
    FLoaded.push_back(result);
  } catch (const Exception& e) {
    if (created && result) {
      std::erase_if(FLoaded, [&](TComponent* c) { return OwnedByOrIs(c, result); });
      delete result;
    }
    if (!created && result) result->SetComponentStateFlag(csReading, false);
    // Errors while finding or creating the component may be handled: the component and its
    // data are then skipped (which needs the data still unread, so only before ReadState).
    throw;
  }
  return result;
}

void TReader::ReadData(TComponent* instance) {
  bool outermost = !FFixups;
  if (outermost) FFixups = std::make_unique<TFixupList>();
  Restore dropFixups{[&] {
    if (outermost) FFixups.reset();
  }};
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
  {
    TComponent* savedParent = FParent;
    TComponent* savedOwner = FOwner;
    Restore restore{[&] {
      FParent = savedParent;
      FOwner = savedOwner;
    }};
    FParent = instance->GetChildParent();
    FOwner = instance->GetChildOwner();
    if (!FOwner) FOwner = FRoot;
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  }
  if (outermost) {
    TFixupHooks hooks;
    if (OnReferenceName) hooks.ReferenceName = [this](AnsiString& name) { OnReferenceName(this, name); };
    if (OnAncestorNotFound)
      hooks.AncestorNotFound = [this](const AnsiString& name) {
        TComponent* found = nullptr;
        OnAncestorNotFound(this, name, found);
        return found;
      };
    ResolveFixups(*FFixups, hooks);
  }
}

void TReader::ReadProperty(TPersistent* instance) {
  AnsiString path = ReadStr();
  try {
    TPersistent* target = instance;
    size_t start = 0;
    for (;;) {
      size_t dot = path.find('.', start);
      AnsiString part = path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
      const TPropInfo* prop = GetPropInfo(target, part);
      if (dot == AnsiString::npos) {
        if (prop) {
          ReadPropValue(target, prop);
        } else {
          FPropName = part;
          CallDefineProperties(target, this);
          if (!FPropName.empty()) {
            FPropName.clear();
            SkipValue();
            PropertyError("Property %s does not exist", part);
          }
        }
        return;
      }
      // Every error leaves the value read, so that a handled error skips just this value.
      if (!prop) {
        SkipValue();
        PropertyError("Property %s does not exist", part);
      }
      auto* next = prop->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(target, prop))
                                           : nullptr;
      if (!next) {
        SkipValue();
        PropertyError("Invalid property path");
      }
      target = next;
      start = dot + 1;
    }
  } catch (const EReadError& e) {
    FPropName.clear();
    if (!HandleError(e.Message())) throw;
    // Handled: the value (if still unread) is skipped below.
  } catch (const EPropertyConvertError&) {
    FPropName.clear();
    if (!HandleError("Invalid property value")) throw EReadError("Invalid property value");
  }
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo* prop) {
  const TTypeInfo* type = prop->PropType();
  bool writable = prop->Writable;
  auto requireWritable = [&] {
    if (!writable) {
      SkipValue();
      PropertyError("Property is read-only");
    }
  };
  switch (type->Kind) {
    case tkInteger: {
      requireWritable();
      Int64 value;
      if (NextValue() == vaIdent) {
        AnsiString ident = ReadIdent();
        TIdentToInt convert = FindIdentToInt(type);
        if (!convert || !convert(ident, value)) PropertyError("Invalid property value");
      } else {
        value = ReadInteger();
      }
      SetOrdProp(instance, prop, value);
      break;
    }
    case tkChar:
      requireWritable();
      SetOrdProp(instance, prop, static_cast<unsigned char>(ReadChar()));
      break;
    case tkWChar:
      requireWritable();
      SetOrdProp(instance, prop, ReadWideChar());
      break;
    case tkEnumeration: {
      requireWritable();
      // An unknown name leaves the property as it is: never an out-of-range ordinal.
      Int64 ordinal = GetEnumValue(type, ReadIdent());
      if (ordinal < 0) PropertyError("Invalid property value");
      SetOrdProp(instance, prop, ordinal);
      break;
    }
    case tkSet: {
      requireWritable();
      CheckValue(vaSet);
      uint32_t bits = 0;
      bool bad = false;
      for (AnsiString name = ReadStr(); !name.empty(); name = ReadStr()) {
        Int64 ordinal = type->CompType ? GetEnumValue(type->CompType, name) : -1;
        if (ordinal < 0)
          bad = true;
        else if (ordinal < 32)
          bits |= 1u << ordinal;
      }
      if (bad) PropertyError("Invalid property value");
      SetOrdProp(instance, prop, bits);
      break;
    }
    case tkFloat:
      requireWritable();
      SetFloatProp(instance, prop, ReadFloat());
      break;
    case tkString:
    case tkLString:
      requireWritable();
      SetStrProp(instance, prop, ReadString());
      break;
    case tkWString:
      requireWritable();
      SetWideStrProp(instance, prop, ReadWideString());
      break;
    case tkInt64:
      requireWritable();
      SetInt64Prop(instance, prop, ReadInt64());
      break;
    case tkVariant:
      requireWritable();
      SetVariantProp(instance, prop, ReadVariant());
      break;
    case tkClass:
    case tkInterface:
      switch (NextValue()) {
        case vaNil:
          ReadValue();
          requireWritable();
          SetObjectProp(instance, prop, nullptr);
          break;
        case vaCollection: {
          ReadValue();
          auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, prop));
          if (!collection) {
            FStream->Seek(-1, soFromCurrent);
            SkipValue();
            PropertyError("Invalid property value");
          }
          ReadCollection(collection);
          break;
        }
        default: {
          AnsiString name = ReadIdent();
          requireWritable();
          FFixups->Add(TPropFixup{instance, FRoot, prop, {}, name});
          break;
        }
      }
      break;
    case tkMethod: {
      if (NextValue() == vaNil) {
        ReadValue();
        requireWritable();
        SetMethodProp(instance, prop, TMethod{});
        break;
      }
      AnsiString name = ReadIdent();
      requireWritable();
      const TMethodEntry* method = FindMethod(name);
      if (!method) PropertyError("Invalid property value");
      SetMethodProp(instance, prop, TMethod{method, FRoot});
      break;
    }
    default:
      SkipValue();
      break;
  }
}

const TMethodEntry* TReader::FindMethod(const AnsiString& name) {
  const TMethodEntry* address = (FRoot && !name.empty()) ? FRoot->MethodAddress(name) : nullptr;
  bool error = address == nullptr;
  if (OnFindMethod) OnFindMethod(this, name, address, error);
  return error ? nullptr : address;
}

void TReader::ReadCollection(TCollection* collection) {
  collection->BeginUpdate();
  Restore endUpdate{[&] { collection->EndUpdate(); }};
  if (!EndOfList()) collection->Clear();
  while (!EndOfList()) {
    TValueType next = NextValue();
    if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
    TCollectionItem* item = collection->Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::DefineProperty(const AnsiString& name, const TReaderProc& readData,
                             const TWriterProc&, bool) {
  if (readData && !FPropName.empty() && SameText(name, FPropName)) {
    FPropName.clear();
    readData(this);
  }
}

void TReader::DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                   const TStreamProc&, bool) {
  if (!readData || FPropName.empty() || !SameText(name, FPropName)) return;
  FPropName.clear();
  if (ReadValue() != vaBinary) {
    FStream->Seek(-1, soFromCurrent);
    SkipValue();
    PropertyError("Invalid property value");
  }
  int32_t size = ReadNumber<int32_t>();
  if (size < 0) throw EReadError("Invalid stream format");
  CheckRemaining(*FStream, size);
  TMemoryStream memory;
  memory.SetSize(size);
  ReadBytes(memory.Memory(), size);
  memory.SetPosition(0);
  readData(&memory);
}

// ---- Roots ------------------------------------------------------------------------------

TComponent* TReader::ReadRootComponent(TComponent* root) {
  ReadSignature();
  auto& nameSpace = GlobalNameSpace();
  nameSpace.BeginWrite();
  Restore release{[&] { nameSpace.EndWrite(); }};
  bool created = false;
  try {
    AnsiString className = ReadStr();
    AnsiString name = ReadStr();
    if (!root) {
      TClass cls = FindClass(className);
      root = CreateComponent(cls, nullptr);
      created = true;
    }
    root->SetComponentStateFlag(csLoading, true);
    root->SetComponentStateFlag(csReading, true);
    if (!root->ComponentState().Contains(csDesigning)) {
      AnsiString unique = name;
      for (int i = 1; !unique.empty(); ++i) {
        TComponent* other = FindGlobalComponent(unique);
        if (!other || other == root) break;
        unique = Format("%s_%d", {name, i});
      }
      root->SetName(unique);
    }
    SetRoot(root);
    FOwner = root;
    FLoaded.clear();
    FLoaded.push_back(root);
    root->ReadState(this);
    root->SetComponentStateFlag(csReading, false);
    std::vector<TComponent*> loaded = std::move(FLoaded);
    FLoaded.clear();
    for (TComponent* component : loaded) component->Loaded();
    try {
      GlobalFixupReferences();
    } catch (const Exception& e) {
      if (!HandleError(e.Message())) throw;
    }
  } catch (...) {
    FLoaded.clear();
    if (root) {
      RemoveFixupReferences(root);
      root->SetComponentStateFlag(csReading, false);
    }
    if (created) delete root;
    throw;
  }
  return root;
}
