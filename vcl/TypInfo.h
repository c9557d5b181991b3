#pragma once

// Run-time type information of published properties, and the builder that classes use in
// their DescribeClass to publish properties and methods (one line each):
//
//   c.Property("Width", &TBox::GetWidth, &TBox::SetWidth).Default(64);
//   c.Property("Caption", &TBox::FCaption);                  // field read and written directly
//   c.Property("Items", &TBox::GetItems, &TBox::SetItems);   // TPersistent* -> class kind
//   c.Property("Colour", &TBox::FColour).Type(ColourType()); // integer with identifiers
//   c.Property("Kind", &TBox::FKind).Stored(&TBox::IsKindStored);
//   c.Method("OkClick", &TBox::OkClick);
//
// The kind of a property follows its C++ type: integers (tkInteger), char (tkChar),
// char16_t (tkWChar), bool and enumerations declared with BRANTWELL_ENUM (tkEnumeration),
// float/double (tkFloat), TSet<E> (tkSet), AnsiString (tkLString), WideString (tkWString),
// pointers to TObject classes (tkClass), pointers to other polymorphic classes
// (tkInterface), TEvent<...> (tkMethod), Variant (tkVariant), Int64 (tkInt64).
//
// Type information is immutable once built; the functions here may be called from any
// thread, but reading or writing a property runs the object's own getter and setter, so it
// follows that object's threading rules.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "rtl/Exceptions.h"
#include "vcl/Event.h"
#include "vcl/Object.h"
#include "vcl/Variant.h"

BRANTWELL_DECLARE_EXCEPTION(EPropertyError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EPropertyConvertError, Exception);

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
  tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// Converters between identifiers and integer values of a type (colour and cursor names).
using TIdentToInt = std::function<bool(std::string_view ident, Int64& value)>;
using TIntToIdent = std::function<bool(Int64 value, AnsiString& ident)>;

struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  AnsiString Name;
  std::vector<AnsiString> EnumNames;             // tkEnumeration: names by ordinal
  const TTypeInfo* CompType = nullptr;           // tkSet: the element type
  TFloatType FloatType = ftDouble;               // tkFloat
  TClass ClassType = nullptr;                    // tkClass
  const std::type_info* MethodSignature = nullptr;  // tkMethod

  Int64 MinValue() const { return 0; }
  Int64 MaxValue() const { return static_cast<Int64>(EnumNames.size()) - 1; }
};

// The default value meaning "no default": such a property is always written.
constexpr Int64 NoDefault = INT32_MIN;

struct TPropInfo {
  AnsiString Name;
  const TTypeInfo* (*TypeGetter)() = nullptr;
  const TTypeInfo* TypeOverride = nullptr;
  Int64 Default = NoDefault;
  bool StoredConstant = true;
  std::function<bool(TObject*)> StoredMethod;  // set: stored when it returns true
  bool Readable = true;
  bool Writable = false;

  // Accessors; only those of the property's kind are set.
  std::function<Int64(TObject*)> GetOrd;  // integer, char, enumeration, set, int64
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<AnsiString(TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<WideString(TObject*)> GetWStr;
  std::function<void(TObject*, const WideString&)> SetWStr;
  std::function<TObject*(TObject*)> GetObj;  // class and interface
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<Variant(TObject*)> GetVar;
  std::function<void(TObject*, const Variant&)> SetVar;

  const TTypeInfo* PropType() const { return TypeOverride ? TypeOverride : TypeGetter(); }
  TTypeKind Kind() const { return PropType()->Kind; }
};

// ---- Type information of C++ types -----------------------------------------------------

template <class E> class TSet {
 public:
  TSet() = default;
  TSet(std::initializer_list<E> elements) {
    for (E e : elements) Include(e);
  }
  static TSet FromBits(uint32_t bits) {
    TSet set;
    set.m_bits = bits;
    return set;
  }
  bool Contains(E e) const { return ordinal(e) < 32 && (m_bits >> ordinal(e)) & 1u; }
  TSet& Include(E e) {
    if (ordinal(e) < 32) m_bits |= 1u << ordinal(e);
    return *this;
  }
  TSet& Exclude(E e) {
    if (ordinal(e) < 32) m_bits &= ~(1u << ordinal(e));
    return *this;
  }
  bool Empty() const { return m_bits == 0; }
  uint32_t Bits() const { return m_bits; }
  TSet operator+(TSet other) const { return FromBits(m_bits | other.m_bits); }
  TSet operator-(TSet other) const { return FromBits(m_bits & ~other.m_bits); }
  TSet operator*(TSet other) const { return FromBits(m_bits & other.m_bits); }
  bool operator==(const TSet&) const = default;

 private:
  static unsigned ordinal(E e) { return static_cast<unsigned>(e); }
  uint32_t m_bits = 0;
};

namespace vcl::detail {
TTypeInfo MakeEnumTypeInfo(const char* name, const char* names);
TTypeInfo MakeSetTypeInfo(const TTypeInfo* element);
const TTypeInfo* OrdinalTypeInfo(TTypeKind kind, const char* name);
const TTypeInfo* FloatTypeInfo(TFloatType type, const char* name);
const TTypeInfo* MethodTypeInfo(const std::type_info& signature);
const TTypeInfo* InterfaceTypeInfo(const std::type_info& type);
}  // namespace vcl::detail

// Declares an enumeration with its type information (ordinals from 0, in order).
#define BRANTWELL_ENUM(Name, ...)                                                   \
  enum Name { __VA_ARGS__ };                                                        \
  inline const TTypeInfo* BrantwellTypeInfo(const Name*) {                          \
    static const TTypeInfo info = ::vcl::detail::MakeEnumTypeInfo(#Name, #__VA_ARGS__); \
    return &info;                                                                   \
  }

template <class T> struct TTypeInfoOf {
  static const TTypeInfo* Get() { return BrantwellTypeInfo(static_cast<const T*>(nullptr)); }
};
template <> struct TTypeInfoOf<bool> { static const TTypeInfo* Get(); };
template <> struct TTypeInfoOf<int32_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkInteger, "Integer"); }
};
template <> struct TTypeInfoOf<uint32_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkInteger, "Cardinal"); }
};
template <> struct TTypeInfoOf<int16_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkInteger, "SmallInt"); }
};
template <> struct TTypeInfoOf<uint16_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkInteger, "Word"); }
};
template <> struct TTypeInfoOf<uint8_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkInteger, "Byte"); }
};
template <> struct TTypeInfoOf<int64_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkInt64, "Int64"); }
};
template <> struct TTypeInfoOf<char> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkChar, "Char"); }
};
template <> struct TTypeInfoOf<char16_t> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkWChar, "WideChar"); }
};
template <> struct TTypeInfoOf<double> {
  static const TTypeInfo* Get() { return vcl::detail::FloatTypeInfo(ftDouble, "Double"); }
};
template <> struct TTypeInfoOf<float> {
  static const TTypeInfo* Get() { return vcl::detail::FloatTypeInfo(ftSingle, "Single"); }
};
template <> struct TTypeInfoOf<AnsiString> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkLString, "AnsiString"); }
};
template <> struct TTypeInfoOf<WideString> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkWString, "WideString"); }
};
template <> struct TTypeInfoOf<Variant> {
  static const TTypeInfo* Get() { return vcl::detail::OrdinalTypeInfo(tkVariant, "Variant"); }
};
template <class E> struct TTypeInfoOf<TSet<E>> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = vcl::detail::MakeSetTypeInfo(TTypeInfoOf<E>::Get());
    return &info;
  }
};
template <class Sig> struct TTypeInfoOf<TEvent<Sig>> {
  static const TTypeInfo* Get() { return vcl::detail::MethodTypeInfo(typeid(Sig)); }
};
template <class C> struct TTypeInfoOf<C*> {
  static const TTypeInfo* Get() {
    if constexpr (std::is_base_of_v<TObject, C>)
      return C::StaticClass()->TypeInfo;
    else
      return vcl::detail::InterfaceTypeInfo(typeid(C));
  }
};

// ---- The builder ------------------------------------------------------------------------

template <class T> class TClassBuilder {
 public:
  class TPropertyRef {
   public:
    explicit TPropertyRef(TPropInfo& prop) : m_prop(prop) {}
    TPropertyRef& Default(Int64 value) {
      m_prop.Default = value;
      return *this;
    }
    TPropertyRef& Stored(bool stored) {
      m_prop.StoredConstant = stored;
      return *this;
    }
    TPropertyRef& Stored(bool (T::*method)() const) {
      m_prop.StoredMethod = [method](TObject* o) { return (static_cast<T*>(o)->*method)(); };
      return *this;
    }
    // Gives an integer property a named type of its own (with identifier converters).
    TPropertyRef& Type(const TTypeInfo* type) {
      m_prop.TypeOverride = type;
      return *this;
    }

   private:
    TPropInfo& m_prop;
  };

  explicit TClassBuilder(TClassInfo& info) : m_info(info) {}

  // Getter: a const member function or a field. Setter: a member function taking the value
  // (by value or const reference), a field, or nullptr for a read-only property.
  template <class G, class S> TPropertyRef Property(const char* name, G getter, S setter) {
    using V = std::decay_t<std::invoke_result_t<G, T*>>;
    auto prop = std::make_unique<TPropInfo>();
    prop->Name = name;
    prop->TypeGetter = &TTypeInfoOf<V>::Get;
    std::function<V(TObject*)> get = [getter](TObject* o) -> V {
      return std::invoke(getter, static_cast<T*>(o));
    };
    std::function<void(TObject*, V)> set;
    if constexpr (!std::is_null_pointer_v<S>) {
      set = [setter](TObject* o, V value) {
        if constexpr (std::is_member_function_pointer_v<S>)
          std::invoke(setter, static_cast<T*>(o), std::move(value));
        else
          std::invoke(setter, static_cast<T*>(o)) = std::move(value);
      };
    }
    Bind<V>(*prop, std::move(get), std::move(set));
    TPropInfo& ref = *prop;
    m_info.Properties.push_back(std::move(prop));
    return TPropertyRef(ref);
  }
  template <class V>
    requires(!std::is_function_v<V>)
  TPropertyRef Property(const char* name, V T::*field) {
    return Property(name, field, field);
  }
  template <class V, class B> TPropertyRef Property(const char* name, V (B::*getter)() const) {
    return Property(name, getter, nullptr);
  }

  // Publishes a component field (a pointer to a TComponent class) by name.
  template <class C> void Field(const char* name, C* T::*field) {
    static_assert(std::is_base_of_v<TObject, C>, "published fields hold objects");
    auto entry = std::make_unique<TFieldEntry>();
    entry->Name = name;
    entry->ClassGetter = [] { return C::StaticClass(); };
    entry->Member = field;
    entry->Set = [](TObject* o, TObject* value, const TFieldEntry& e) {
      auto member = std::any_cast<C* T::*>(e.Member);
      static_cast<T*>(o)->*member = dynamic_cast<C*>(value);
    };
    m_info.Fields.push_back(std::move(entry));
  }

  // Publishes a method; the form reader binds event properties to it by name.
  template <class R, class... A> void Method(const char* name, R (T::*method)(A...)) {
    auto entry = std::make_unique<TMethodEntry>();
    entry->Name = name;
    entry->Owner = &m_info;
    entry->Member = method;
    TMethodEntry* raw = entry.get();
    std::function<TEvent<R(A...)>(TObject*)> maker = [method, raw](TObject* o) {
      T* self = static_cast<T*>(o);
      return TEvent<R(A...)>::FromMethod(
          [self, method](A... args) -> R { return (self->*method)(args...); }, TMethod{raw, o});
    };
    entry->Maker = std::move(maker);
    m_info.Methods.push_back(std::move(entry));
  }

 private:
  template <class V>
  static void Bind(TPropInfo& p, std::function<V(TObject*)> get, std::function<void(TObject*, V)> set) {
    p.Writable = static_cast<bool>(set);
    if constexpr (std::is_same_v<V, bool> || std::is_integral_v<V> || std::is_enum_v<V>) {
      p.GetOrd = [get](TObject* o) { return static_cast<Int64>(get(o)); };
      if (set) p.SetOrd = [set](TObject* o, Int64 v) { set(o, static_cast<V>(v)); };
    } else if constexpr (std::is_floating_point_v<V>) {
      p.GetFloat = [get](TObject* o) { return static_cast<double>(get(o)); };
      if (set) p.SetFloat = [set](TObject* o, double v) { set(o, static_cast<V>(v)); };
    } else if constexpr (std::is_same_v<V, AnsiString>) {
      p.GetStr = get;
      if (set) p.SetStr = [set](TObject* o, const AnsiString& v) { set(o, v); };
    } else if constexpr (std::is_same_v<V, WideString>) {
      p.GetWStr = get;
      if (set) p.SetWStr = [set](TObject* o, const WideString& v) { set(o, v); };
    } else if constexpr (std::is_same_v<V, Variant>) {
      p.GetVar = get;
      if (set) p.SetVar = [set](TObject* o, const Variant& v) { set(o, v); };
    } else if constexpr (std::is_pointer_v<V>) {
      using C = std::remove_pointer_t<V>;
      p.GetObj = [get](TObject* o) -> TObject* {
        if constexpr (std::is_base_of_v<TObject, C>)
          return get(o);
        else
          return dynamic_cast<TObject*>(get(o));
      };
      if (set) {
        if constexpr (std::is_base_of_v<TObject, C>) {
          p.SetObj = [set](TObject* o, TObject* value) {
            C* typed = dynamic_cast<C*>(value);
            if (value && !typed) throw EInvalidCast("Invalid class typecast");
            set(o, typed);
          };
        } else {
          // An interface property takes the object's interface of its type, nil when the
          // object has none.
          p.SetObj = [set](TObject* o, TObject* value) { set(o, dynamic_cast<C*>(value)); };
        }
      }
    } else if constexpr (requires { typename V::Signature; }) {
      p.GetMethod = [get](TObject* o) { return get(o).Method(); };
      if (set) {
        p.SetMethod = [set](TObject* o, const TMethod& m) {
          if (!m.Code) {
            set(o, V());
            return;
          }
          using Maker = std::function<V(TObject*)>;
          const Maker* maker = std::any_cast<Maker>(&m.Code->Maker);
          if (!maker)
            throw EPropertyConvertError("Method " + m.Code->Name + " does not fit the event");
          set(o, (*maker)(m.Data));
        };
      }
    } else if constexpr (requires(V v) { v.Bits(); V::FromBits(0u); }) {
      p.GetOrd = [get](TObject* o) { return static_cast<Int64>(get(o).Bits()); };
      if (set) p.SetOrd = [set](TObject* o, Int64 v) { set(o, V::FromBits(static_cast<uint32_t>(v))); };
    } else {
      static_assert(sizeof(V) == 0, "this type cannot be a published property");
    }
  }

  TClassInfo& m_info;
};

// ---- Access by name or property information ---------------------------------------------

// The published property of that name (letter case ignored), nil when there is none.
const TPropInfo* GetPropInfo(TClass cls, std::string_view name);
const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name);
// Every published property, the parent classes' first, in declaration order. A class that
// publishes a name again replaces the parent's property in its place.
std::vector<const TPropInfo*> GetPropList(TClass cls);
bool IsPublishedProp(const TObject* instance, std::string_view name);

Int64 GetOrdProp(TObject* instance, const TPropInfo* prop);
void SetOrdProp(TObject* instance, const TPropInfo* prop, Int64 value);
AnsiString GetEnumProp(TObject* instance, const TPropInfo* prop);
// Raises EPropertyConvertError for a name the enumeration does not have (the property keeps
// its value).
void SetEnumProp(TObject* instance, const TPropInfo* prop, std::string_view value);
AnsiString GetSetProp(TObject* instance, const TPropInfo* prop, bool brackets = false);
void SetSetProp(TObject* instance, const TPropInfo* prop, std::string_view value);
AnsiString GetStrProp(TObject* instance, const TPropInfo* prop);
void SetStrProp(TObject* instance, const TPropInfo* prop, const AnsiString& value);
WideString GetWideStrProp(TObject* instance, const TPropInfo* prop);
void SetWideStrProp(TObject* instance, const TPropInfo* prop, const WideString& value);
double GetFloatProp(TObject* instance, const TPropInfo* prop);
void SetFloatProp(TObject* instance, const TPropInfo* prop, double value);
Int64 GetInt64Prop(TObject* instance, const TPropInfo* prop);
void SetInt64Prop(TObject* instance, const TPropInfo* prop, Int64 value);
TObject* GetObjectProp(TObject* instance, const TPropInfo* prop);
void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value);
TMethod GetMethodProp(TObject* instance, const TPropInfo* prop);
void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value);
Variant GetVariantProp(TObject* instance, const TPropInfo* prop);
void SetVariantProp(TObject* instance, const TPropInfo* prop, const Variant& value);
bool IsStoredProp(TObject* instance, const TPropInfo* prop);

// The same by name; an unknown name raises EPropertyError "Property %s does not exist".
const TPropInfo* FindPropInfo(const TObject* instance, std::string_view name);
Int64 GetOrdProp(TObject* instance, std::string_view name);
void SetOrdProp(TObject* instance, std::string_view name, Int64 value);
AnsiString GetEnumProp(TObject* instance, std::string_view name);
void SetEnumProp(TObject* instance, std::string_view name, std::string_view value);
AnsiString GetSetProp(TObject* instance, std::string_view name, bool brackets = false);
void SetSetProp(TObject* instance, std::string_view name, std::string_view value);
AnsiString GetStrProp(TObject* instance, std::string_view name);
void SetStrProp(TObject* instance, std::string_view name, const AnsiString& value);
WideString GetWideStrProp(TObject* instance, std::string_view name);
double GetFloatProp(TObject* instance, std::string_view name);
Int64 GetInt64Prop(TObject* instance, std::string_view name);
TObject* GetObjectProp(TObject* instance, std::string_view name);
void SetObjectProp(TObject* instance, std::string_view name, TObject* value);
TMethod GetMethodProp(TObject* instance, std::string_view name);
void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value);

// Enumerations and sets.
AnsiString GetEnumName(const TTypeInfo* type, Int64 value);  // "" when out of range
Int64 GetEnumValue(const TTypeInfo* type, std::string_view name);  // -1 when unknown
AnsiString SetToString(const TTypeInfo* setType, uint32_t bits, bool brackets = false);
// Element names separated by commas; blanks, tabs, line breaks and the brackets around the
// list are ignored. An unknown name raises EPropertyConvertError "Invalid property element: %s".
uint32_t StringToSet(const TTypeInfo* setType, std::string_view text);

// Identifier converters of integer types (colours, cursors).
void RegisterIntegerConsts(const TTypeInfo* type, TIdentToInt identToInt, TIntToIdent intToIdent);
TIdentToInt FindIdentToInt(const TTypeInfo* type);
TIntToIdent FindIntToIdent(const TTypeInfo* type);
// An integer type of its own name, for properties that have identifier converters.
const TTypeInfo* IntegerTypeInfo(const char* name);
