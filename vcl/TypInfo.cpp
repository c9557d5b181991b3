#include "vcl/TypInfo.h"

#include <map>
#include <memory>
#include <mutex>
#include <typeindex>

#include "rtl/Strings.h"

namespace vcl::detail {
namespace {

// Type information made at run time (class, method, interface and named integer types).
// It lives for the whole run; entries are never removed, so pointers stay valid.
struct TypeStore {
  std::mutex lock;
  std::vector<std::unique_ptr<TTypeInfo>> infos;
  std::map<std::type_index, const TTypeInfo*> bySignature;
  std::map<std::string, const TTypeInfo*> byName;

  const TTypeInfo* Add(TTypeInfo info) {
    infos.push_back(std::make_unique<TTypeInfo>(std::move(info)));
    return infos.back().get();
  }
};

TypeStore& Store() {
  static TypeStore store;
  return store;
}

struct Converters {
  std::mutex lock;
  std::map<const TTypeInfo*, std::pair<TIdentToInt, TIntToIdent>> map;
};

Converters& ConverterTable() {
  static Converters table;
  return table;
}

}  // namespace

TTypeInfo MakeEnumTypeInfo(const char* name, const char* names) {
  TTypeInfo info;
  info.Kind = tkEnumeration;
  info.Name = name;
  std::string_view rest(names);
  while (!rest.empty()) {
    size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    size_t equals = item.find('=');
    if (equals != std::string_view::npos) item = item.substr(0, equals);
    info.EnumNames.push_back(Trim(item));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return info;
}

TTypeInfo MakeSetTypeInfo(const TTypeInfo* element) {
  TTypeInfo info;
  info.Kind = tkSet;
  info.Name = "set of " + element->Name;
  info.CompType = element;
  return info;
}

const TTypeInfo* MakeClassTypeInfo(TClass cls) {
  TTypeInfo info;
  info.Kind = tkClass;
  info.Name = cls->Name;
  info.ClassType = cls;
  std::lock_guard guard(Store().lock);
  return Store().Add(std::move(info));
}

void FinishClassInfo(TClassInfo& info) {
  // The class name is known only now for classes whose type information was made first.
  const_cast<TTypeInfo*>(info.TypeInfo)->Name = info.Name;
}

const TTypeInfo* OrdinalTypeInfo(TTypeKind kind, const char* name) {
  auto& store = Store();
  std::lock_guard guard(store.lock);
  auto key = std::string(name) + "#" + std::to_string(kind);
  if (auto it = store.byName.find(key); it != store.byName.end()) return it->second;
  TTypeInfo info;
  info.Kind = kind;
  info.Name = name;
  return store.byName[key] = store.Add(std::move(info));
}

const TTypeInfo* FloatTypeInfo(TFloatType type, const char* name) {
  auto& store = Store();
  std::lock_guard guard(store.lock);
  auto key = std::string(name) + "#float";
  if (auto it = store.byName.find(key); it != store.byName.end()) return it->second;
  TTypeInfo info;
  info.Kind = tkFloat;
  info.Name = name;
  info.FloatType = type;
  return store.byName[key] = store.Add(std::move(info));
}

const TTypeInfo* MethodTypeInfo(const std::type_info& signature) {
  auto& store = Store();
  std::lock_guard guard(store.lock);
  if (auto it = store.bySignature.find(signature); it != store.bySignature.end()) return it->second;
  TTypeInfo info;
  info.Kind = tkMethod;
  info.Name = "TEvent";
  info.MethodSignature = &signature;
  return store.bySignature[signature] = store.Add(std::move(info));
}

const TTypeInfo* InterfaceTypeInfo(const std::type_info& type) {
  auto& store = Store();
  std::lock_guard guard(store.lock);
  if (auto it = store.bySignature.find(type); it != store.bySignature.end()) return it->second;
  TTypeInfo info;
  info.Kind = tkInterface;
  info.Name = type.name();
  return store.bySignature[type] = store.Add(std::move(info));
}

}  // namespace vcl::detail

const TTypeInfo* TTypeInfoOf<bool>::Get() {
  static const TTypeInfo info = vcl::detail::MakeEnumTypeInfo("Boolean", "False, True");
  return &info;
}

const TTypeInfo* IntegerTypeInfo(const char* name) {
  return vcl::detail::OrdinalTypeInfo(tkInteger, name);
}

// ---- Lookup -----------------------------------------------------------------------------

const TPropInfo* GetPropInfo(TClass cls, std::string_view name) {
  for (; cls; cls = cls->Parent)
    for (const auto& prop : cls->Properties)
      if (SameText(prop->Name, name)) return prop.get();
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name) {
  return instance ? GetPropInfo(instance->ClassType(), name) : nullptr;
}

std::vector<const TPropInfo*> GetPropList(TClass cls) {
  std::vector<TClass> chain;
  for (; cls; cls = cls->Parent) chain.push_back(cls);
  std::vector<const TPropInfo*> list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const auto& prop : (*it)->Properties) {
      bool replaced = false;
      for (auto& existing : list)
        if (SameText(existing->Name, prop->Name)) {
          existing = prop.get();
          replaced = true;
        }
      if (!replaced) list.push_back(prop.get());
    }
  }
  return list;
}

bool IsPublishedProp(const TObject* instance, std::string_view name) {
  return GetPropInfo(instance, name) != nullptr;
}

const TPropInfo* FindPropInfo(const TObject* instance, std::string_view name) {
  const TPropInfo* prop = GetPropInfo(instance, name);
  if (!prop) throw EPropertyError::CreateFmt("Property %s does not exist", {name});
  return prop;
}

// ---- Access -----------------------------------------------------------------------------

namespace {

[[noreturn]] void WrongKind(const TPropInfo* prop) {
  throw EPropertyConvertError::CreateFmt("Invalid property type: %s", {prop->PropType()->Name});
}

[[noreturn]] void ReadOnly(const TPropInfo* prop) {
  throw EPropertyError::CreateFmt("Property %s is read-only", {prop->Name});
}

template <class F> void RequireSetter(const TPropInfo* prop, const F& setter) {
  if (setter) return;
  if (!prop->Writable) ReadOnly(prop);
  WrongKind(prop);
}

}  // namespace

Int64 GetOrdProp(TObject* instance, const TPropInfo* prop) {
  if (!prop->GetOrd) WrongKind(prop);
  return prop->GetOrd(instance);
}

void SetOrdProp(TObject* instance, const TPropInfo* prop, Int64 value) {
  RequireSetter(prop, prop->SetOrd);
  prop->SetOrd(instance, value);
}

AnsiString GetEnumProp(TObject* instance, const TPropInfo* prop) {
  return GetEnumName(prop->PropType(), GetOrdProp(instance, prop));
}

void SetEnumProp(TObject* instance, const TPropInfo* prop, std::string_view value) {
  Int64 ordinal = GetEnumValue(prop->PropType(), value);
  if (ordinal < 0)
    throw EPropertyConvertError::CreateFmt("Invalid property element: %s", {value});
  SetOrdProp(instance, prop, ordinal);
}

AnsiString GetSetProp(TObject* instance, const TPropInfo* prop, bool brackets) {
  return SetToString(prop->PropType(), static_cast<uint32_t>(GetOrdProp(instance, prop)), brackets);
}

void SetSetProp(TObject* instance, const TPropInfo* prop, std::string_view value) {
  SetOrdProp(instance, prop, StringToSet(prop->PropType(), value));
}

AnsiString GetStrProp(TObject* instance, const TPropInfo* prop) {
  if (prop->GetStr) return prop->GetStr(instance);
  if (prop->GetWStr) return WideToUTF8(prop->GetWStr(instance));
  WrongKind(prop);
}

void SetStrProp(TObject* instance, const TPropInfo* prop, const AnsiString& value) {
  if (prop->SetStr) return prop->SetStr(instance, value);
  if (prop->SetWStr) return prop->SetWStr(instance, UTF8ToWide(value));
  if (!prop->Writable) ReadOnly(prop);
  WrongKind(prop);
}

WideString GetWideStrProp(TObject* instance, const TPropInfo* prop) {
  if (prop->GetWStr) return prop->GetWStr(instance);
  if (prop->GetStr) return UTF8ToWide(prop->GetStr(instance));
  WrongKind(prop);
}

void SetWideStrProp(TObject* instance, const TPropInfo* prop, const WideString& value) {
  if (prop->SetWStr) return prop->SetWStr(instance, value);
  if (prop->SetStr) return prop->SetStr(instance, WideToUTF8(value));
  if (!prop->Writable) ReadOnly(prop);
  WrongKind(prop);
}

double GetFloatProp(TObject* instance, const TPropInfo* prop) {
  if (!prop->GetFloat) WrongKind(prop);
  return prop->GetFloat(instance);
}

void SetFloatProp(TObject* instance, const TPropInfo* prop, double value) {
  RequireSetter(prop, prop->SetFloat);
  prop->SetFloat(instance, value);
}

Int64 GetInt64Prop(TObject* instance, const TPropInfo* prop) { return GetOrdProp(instance, prop); }
void SetInt64Prop(TObject* instance, const TPropInfo* prop, Int64 value) {
  SetOrdProp(instance, prop, value);
}

TObject* GetObjectProp(TObject* instance, const TPropInfo* prop) {
  if (!prop->GetObj) WrongKind(prop);
  return prop->GetObj(instance);
}

void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value) {
  RequireSetter(prop, prop->SetObj);
  prop->SetObj(instance, value);
}

TMethod GetMethodProp(TObject* instance, const TPropInfo* prop) {
  if (!prop->GetMethod) WrongKind(prop);
  return prop->GetMethod(instance);
}

void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value) {
  RequireSetter(prop, prop->SetMethod);
  prop->SetMethod(instance, value);
}

Variant GetVariantProp(TObject* instance, const TPropInfo* prop) {
  if (!prop->GetVar) WrongKind(prop);
  return prop->GetVar(instance);
}

void SetVariantProp(TObject* instance, const TPropInfo* prop, const Variant& value) {
  RequireSetter(prop, prop->SetVar);
  prop->SetVar(instance, value);
}

bool IsStoredProp(TObject* instance, const TPropInfo* prop) {
  if (prop->StoredMethod) return prop->StoredMethod(instance);
  return prop->StoredConstant;
}

Int64 GetOrdProp(TObject* i, std::string_view n) { return GetOrdProp(i, FindPropInfo(i, n)); }
void SetOrdProp(TObject* i, std::string_view n, Int64 v) { SetOrdProp(i, FindPropInfo(i, n), v); }
AnsiString GetEnumProp(TObject* i, std::string_view n) { return GetEnumProp(i, FindPropInfo(i, n)); }
void SetEnumProp(TObject* i, std::string_view n, std::string_view v) {
  SetEnumProp(i, FindPropInfo(i, n), v);
}
AnsiString GetSetProp(TObject* i, std::string_view n, bool b) {
  return GetSetProp(i, FindPropInfo(i, n), b);
}
void SetSetProp(TObject* i, std::string_view n, std::string_view v) {
  SetSetProp(i, FindPropInfo(i, n), v);
}
AnsiString GetStrProp(TObject* i, std::string_view n) { return GetStrProp(i, FindPropInfo(i, n)); }
void SetStrProp(TObject* i, std::string_view n, const AnsiString& v) {
  SetStrProp(i, FindPropInfo(i, n), v);
}
WideString GetWideStrProp(TObject* i, std::string_view n) {
  return GetWideStrProp(i, FindPropInfo(i, n));
}
double GetFloatProp(TObject* i, std::string_view n) { return GetFloatProp(i, FindPropInfo(i, n)); }
Int64 GetInt64Prop(TObject* i, std::string_view n) { return GetInt64Prop(i, FindPropInfo(i, n)); }
TObject* GetObjectProp(TObject* i, std::string_view n) {
  return GetObjectProp(i, FindPropInfo(i, n));
}
void SetObjectProp(TObject* i, std::string_view n, TObject* v) {
  SetObjectProp(i, FindPropInfo(i, n), v);
}
TMethod GetMethodProp(TObject* i, std::string_view n) {
  return GetMethodProp(i, FindPropInfo(i, n));
}
void SetMethodProp(TObject* i, std::string_view n, const TMethod& v) {
  SetMethodProp(i, FindPropInfo(i, n), v);
}

// ---- Enumerations and sets --------------------------------------------------------------

AnsiString GetEnumName(const TTypeInfo* type, Int64 value) {
  if (type->Kind != tkEnumeration || value < 0 ||
      value >= static_cast<Int64>(type->EnumNames.size()))
    return {};
  return type->EnumNames[static_cast<size_t>(value)];
}

Int64 GetEnumValue(const TTypeInfo* type, std::string_view name) {
  if (type->Kind != tkEnumeration) return -1;
  for (size_t i = 0; i < type->EnumNames.size(); ++i)
    if (SameText(type->EnumNames[i], name)) return static_cast<Int64>(i);
  return -1;
}

AnsiString SetToString(const TTypeInfo* setType, uint32_t bits, bool brackets) {
  const TTypeInfo* element = setType->CompType;
  AnsiString text;
  for (uint32_t i = 0; i < 32; ++i) {
    if (!((bits >> i) & 1u)) continue;
    if (!text.empty()) text += ',';
    AnsiString name = element ? GetEnumName(element, i) : AnsiString();
    text += name.empty() ? std::to_string(i) : name;
  }
  return brackets ? "[" + text + "]" : text;
}

uint32_t StringToSet(const TTypeInfo* setType, std::string_view text) {
  uint32_t bits = 0;
  AnsiString name;
  auto flush = [&] {
    if (name.empty()) return;
    Int64 ordinal = setType->CompType ? GetEnumValue(setType->CompType, name) : -1;
    if (ordinal < 0)
      throw EPropertyConvertError::CreateFmt("Invalid property element: %s", {name});
    if (ordinal < 32) bits |= 1u << ordinal;
    name.clear();
  };
  for (char c : text) {
    if (c == ',') {
      flush();
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '[' && c != ']') {
      name += c;
    }
  }
  flush();
  return bits;
}

// ---- Identifier converters --------------------------------------------------------------

void RegisterIntegerConsts(const TTypeInfo* type, TIdentToInt identToInt, TIntToIdent intToIdent) {
  auto& table = vcl::detail::ConverterTable();
  std::lock_guard guard(table.lock);
  table.map[type] = {std::move(identToInt), std::move(intToIdent)};
}

TIdentToInt FindIdentToInt(const TTypeInfo* type) {
  auto& table = vcl::detail::ConverterTable();
  std::lock_guard guard(table.lock);
  auto it = table.map.find(type);
  return it == table.map.end() ? TIdentToInt() : it->second.first;
}

TIntToIdent FindIntToIdent(const TTypeInfo* type) {
  auto& table = vcl::detail::ConverterTable();
  std::lock_guard guard(table.lock);
  auto it = table.map.find(type);
  return it == table.map.end() ? TIntToIdent() : it->second.second;
}
