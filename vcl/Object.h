#pragma once

// TObject and class references. Every class of the class library derives from TObject and
// declares itself with BRANTWELL_CLASS(Self, Parent), which gives it a class reference
// (TClass: name, parent, virtual constructors, published properties and methods):
//
//   class TMyForm : public TComponent {
//     BRANTWELL_CLASS(TMyForm, TComponent)
//    public:
//     explicit TMyForm(TComponent* owner) : TComponent(owner) {}
//     static void DescribeClass(TClassBuilder<TMyForm>& c) {
//       c.Property("Caption", &TMyForm::GetCaption, &TMyForm::SetCaption);
//       c.Property("Count", &TMyForm::FCount).Default(3);
//       c.Method("OkClick", &TMyForm::OkClick);
//     }
//   };
//
// DescribeClass is optional; published properties and methods of the parent classes are
// inherited. The class reference is built on first use (thread-safe) and lives for the
// whole run. The builder is in vcl/TypInfo.h.

#include <any>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "rtl/SysTypes.h"

class TObject;
class TClassInfo;
class TComponent;
class TCollection;
struct TPropInfo;
struct TTypeInfo;
template <class T> class TClassBuilder;

using TClass = const TClassInfo*;

// A published method of a class: found by name (event handlers bound from form files) and
// by its code (the writer looks up the name of an assigned handler).
struct TMethodEntry {
  AnsiString Name;
  TClass Owner = nullptr;
  std::any Member;  // the member function pointer, to recognise a handler bound in code
  std::any Maker;   // std::function<TEvent<Sig>(TObject*)>, to build the event for an object
};

// A published field: a component of the class's owned components that the class reaches by
// name (a form's controls). The streaming system sets it when a component of that name is
// inserted or renamed, and finds component classes through the field types.
struct TFieldEntry {
  AnsiString Name;
  TClass (*ClassGetter)() = nullptr;
  void (*Set)(TObject* instance, TObject* value, const TFieldEntry& entry) = nullptr;
  std::any Member;  // the data member pointer
};

// A handler as data: the published method and the object it is called on.
struct TMethod {
  const TMethodEntry* Code = nullptr;
  TObject* Data = nullptr;
  bool operator==(const TMethod&) const = default;
};

class TClassInfo {
 public:
  AnsiString Name;
  TClass Parent = nullptr;
  // Virtual constructors; null where the class cannot be made that way (abstract classes).
  TObject* (*CreateDefault)() = nullptr;
  TObject* (*CreateOwned)(TComponent* owner) = nullptr;
  TObject* (*CreateItem)(TCollection* collection) = nullptr;
  std::vector<std::unique_ptr<TPropInfo>> Properties;  // declared by this class only
  std::vector<std::unique_ptr<TMethodEntry>> Methods;  // declared by this class only
  std::vector<std::unique_ptr<TFieldEntry>> Fields;    // declared by this class only
  const TTypeInfo* TypeInfo = nullptr;                 // tkClass type information

  const AnsiString& ClassName() const { return Name; }
  bool InheritsFrom(TClass ancestor) const;
  // Published method by name (letter case ignored), searching the parents too.
  const TMethodEntry* MethodAddress(std::string_view name) const;
  // Name of a published method of this class or a parent, empty when it is none of theirs.
  AnsiString MethodName(const TMethodEntry* code) const;
  // Published field by name (letter case ignored), searching the parents too.
  const TFieldEntry* FieldAddress(std::string_view name) const;

  TClassInfo();
  ~TClassInfo();
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;
};

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  const AnsiString& ClassName() const { return ClassType()->Name; }
  TClass ClassParent() const { return ClassType()->Parent; }
  bool InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }
  template <class T> bool Is() const { return InheritsFrom(T::StaticClass()); }
  const TMethodEntry* MethodAddress(std::string_view name) const {
    return ClassType()->MethodAddress(name);
  }
  AnsiString MethodName(const TMethodEntry* code) const { return ClassType()->MethodName(code); }
};

namespace vcl::detail {
template <class T, class Owner> TObject* CreateWith(Owner* owner) { return new T(owner); }
template <class T> TObject* CreateDefaultInstance() { return new T(); }
const TTypeInfo* MakeClassTypeInfo(TClass cls);
void FinishClassInfo(TClassInfo& info);

template <class T> struct HasDescribe {
  static constexpr bool value = requires(TClassBuilder<T>& b) { T::DescribeClass(b); };
};

template <class Self, class Parent>
void FillClassInfo(TClassInfo& info, const char* name) {
  info.Name = name;
  info.Parent = Parent::StaticClass();
  if constexpr (!std::is_abstract_v<Self>) {
    if constexpr (std::is_constructible_v<Self, TComponent*>)
      info.CreateOwned = &CreateWith<Self, TComponent>;
    if constexpr (std::is_constructible_v<Self, TCollection*> &&
                  !std::is_constructible_v<Self, TComponent*>)
      info.CreateItem = &CreateWith<Self, TCollection>;
    if constexpr (std::is_default_constructible_v<Self>)
      info.CreateDefault = &CreateDefaultInstance<Self>;
  }
  info.TypeInfo = MakeClassTypeInfo(&info);
  if constexpr (HasDescribe<Self>::value) {
    TClassBuilder<Self> builder(info);
    Self::DescribeClass(builder);
  }
  FinishClassInfo(info);
}
}  // namespace vcl::detail

// Declares a class of the class library. Use at the top of the class body; the class's
// DescribeClass (if any) needs vcl/TypInfo.h where the class reference is first used.
#define BRANTWELL_CLASS(Self, ParentClass)                              \
 public:                                                               \
  using inherited [[maybe_unused]] = ParentClass;                      \
  static TClass StaticClass() {                                        \
    static TClassInfo info;                                            \
    static const bool filled =                                         \
        (::vcl::detail::FillClassInfo<Self, ParentClass>(info, #Self), true); \
    (void)filled;                                                      \
    return &info;                                                      \
  }                                                                    \
  TClass ClassType() const override { return StaticClass(); }         \
                                                                       \
 private:
