#include "vcl/Object.h"

#include "rtl/Strings.h"
#include "vcl/TypInfo.h"

TClassInfo::TClassInfo() = default;
TClassInfo::~TClassInfo() = default;

bool TClassInfo::InheritsFrom(TClass ancestor) const {
  for (TClass cls = this; cls; cls = cls->Parent)
    if (cls == ancestor) return true;
  return false;
}

const TMethodEntry* TClassInfo::MethodAddress(std::string_view name) const {
  for (TClass cls = this; cls; cls = cls->Parent)
    for (const auto& entry : cls->Methods)
      if (SameText(entry->Name, name)) return entry.get();
  return nullptr;
}

AnsiString TClassInfo::MethodName(const TMethodEntry* code) const {
  if (!code) return {};
  for (TClass cls = this; cls; cls = cls->Parent)
    for (const auto& entry : cls->Methods)
      if (entry.get() == code) return entry->Name;
  return {};
}

const TFieldEntry* TClassInfo::FieldAddress(std::string_view name) const {
  for (TClass cls = this; cls; cls = cls->Parent)
    for (const auto& entry : cls->Fields)
      if (SameText(entry->Name, name)) return entry.get();
  return nullptr;
}

TClass TObject::StaticClass() {
  static TClassInfo info;
  static const bool filled = [] {
    info.Name = "TObject";
    info.CreateDefault = [] { return new TObject(); };
    info.TypeInfo = vcl::detail::MakeClassTypeInfo(&info);
    return true;
  }();
  (void)filled;
  return &info;
}
