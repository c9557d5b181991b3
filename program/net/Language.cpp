#include "program/net/Language.h"

#include <cstdlib>

#include "program/skin/FSSkinEngine.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/Collection.h"
#include "vcl/StringList.h"
#include "vcl/TypInfo.h"

namespace {

bool SameNameNoCase(const WideString& a, const char16_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char16_t>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

bool InheritsFromName(TClass cls, const char* name) {
  for (; cls; cls = cls->Parent)
    if (cls->Name == name) return true;
  return false;
}

// Sets one published property from attribute text; other kinds, unknown names and texts
// that do not convert are skipped.
void SetPropertyFromText(TObject* target, const AnsiString& name, const WideString& value) {
  const TPropInfo* prop = GetPropInfo(target, name);
  if (!prop || !prop->Writable) return;
  try {
    switch (prop->Kind()) {
      case tkInteger: {
        Integer number = 0;
        if (TryStrToInt(WideToUTF8(value), number)) SetOrdProp(target, prop, number);
        break;
      }
      case tkInt64: {
        const AnsiString text = WideToUTF8(value);
        char* end = nullptr;
        errno = 0;
        const long long number = std::strtoll(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == 0 && errno == 0) SetInt64Prop(target, prop, number);
        break;
      }
      case tkString:
      case tkLString: SetStrProp(target, prop, WideToUTF8(value)); break;
      case tkWString: SetWideStrProp(target, prop, value); break;
      default: break;
    }
  } catch (const Exception&) {
    // A value the property refuses leaves it as it was.
  }
}

// The element children of a node.
std::vector<IXMLNodePtr> ElementChildren(const IXMLNodePtr& node) {
  std::vector<IXMLNodePtr> result;
  auto children = node->GetChildNodes();
  for (int i = 0; i < children->GetCount(); ++i) {
    IXMLNodePtr child = children->GetItem(i);
    if (child->GetNodeType() == ELEMENT_NODE) result.push_back(child);
  }
  return result;
}

// "Font.Style" walks the published object properties of target.
TObject* ResolvePropertyPath(TObject* target, const AnsiString& path) {
  TObject* current = target;
  size_t at = 0;
  while (current) {
    const size_t dot = path.find('.', at);
    const AnsiString step = path.substr(at, dot == AnsiString::npos ? AnsiString::npos : dot - at);
    const TPropInfo* prop = GetPropInfo(current, step);
    if (!prop || prop->Kind() != tkClass) return nullptr;
    current = GetObjectProp(current, prop);
    if (dot == AnsiString::npos) return current;
    at = dot + 1;
  }
  return nullptr;
}

}  // namespace

TLanguageResource::TLanguageResource(IXMLDocumentPtr document) : FDocument(std::move(document)) {}

TLanguageMgr::TLanguageMgr() = default;
TLanguageMgr::~TLanguageMgr() = default;

void TLanguageMgr::SetCurrent(std::unique_ptr<TLanguageResource> resource) {
  FCurrent = resource.get();
  if (resource) FLanguages.push_back(std::move(resource));
}

WideString TLanguageMgr::GetText(const WideString& key, const WideString& defaultText) {
  if (!FCurrent || !FCurrent->FDocument) return defaultText;
  IXMLNodePtr strings = FCurrent->FDocument->GetDocumentElement()->GetChildNodes()->FindNode(u"Strings");
  if (!strings) return defaultText;
  IXMLNodePtr item = strings->GetChildNodes()->FindNode(key);
  if (!item) return defaultText;
  return item->GetText();
}

IXMLNodePtr TLanguageMgr::FindFormNode(TLanguageResource& resource, TCustomForm* form) {
  const WideString name = UTF8ToWide(form->Name());
  auto find = [&](const WideString& path) -> IXMLNodePtr {
    if (path == resource.FLastPath) return resource.FLastNode;
    resource.FLastPath = path;
    try {
      resource.FLastNode = resource.FDocument->SelectSingleNode(path);
    } catch (const Exception&) {
      resource.FLastNode = nullptr;
    }
    return resource.FLastNode;
  };
  if (IXMLNodePtr node = find(u"/LanguageResource/Forms/" + name)) return node;
  IXMLNodePtr node =
      find(u"/LanguageResource/Forms/" + UTF8ToWide(form->ClassName()) + u"[@name=\"" + name + u"\"]");
  if (node) resource.FByName = true;
  return node;
}

bool TLanguageMgr::ApplyToForm(TCustomForm* form) {
  if (!FCurrent || !FCurrent->FDocument || !form) return false;
  TLanguageResource& resource = *FCurrent;
  if (!resource.FontName.empty()) {
    form->Font()->SetCharset(resource.FontCharset);
    form->Font()->SetName(resource.FontName);
    if (resource.FontSize != 0) form->Font()->SetSize(resource.FontSize);
  }
  if (IXMLNodePtr formNode = FindFormNode(resource, form)) {
    ApplyElement(resource, form, form, formNode, false);
    for (const IXMLNodePtr& child : ElementChildren(formNode)) {
      WideString name = child->GetNodeName();
      if (resource.FByName) {
        const WideString attribute = child->GetAttribute(u"name");
        if (!attribute.empty()) name = attribute;
      }
      if (TComponent* component = form->FindComponent(WideToUTF8(name))) ApplyElement(resource, form, component, child, true);
    }
  }
  if (resource.FBroadcasting == 0) {
    ++resource.FBroadcasting;
    try {
      Broadcast(resource, form);
    } catch (...) {
      --resource.FBroadcasting;
      throw;
    }
    --resource.FBroadcasting;
  }
  return true;
}

bool TLanguageMgr::QueryScrollingControls(TLanguageResource& resource, TWinControl* control, TObject* target) {
  // Scrolling containers may keep their own language state (a scrolled-away page): they are
  // found by class name, so the query needs nothing of them here.
  if (InheritsFromName(control->ClassType(), "TScrollingWinControl") &&
      control->Perform(WM_LANGUAGEQUERY, reinterpret_cast<WPARAM>(target), reinterpret_cast<LPARAM>(&resource)) != 0)
    return true;
  for (int i = 0; i < control->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(control->Controls(i)))
      if (QueryScrollingControls(resource, child, target)) return true;
  return false;
}

void TLanguageMgr::ApplyElement(TLanguageResource& resource, TCustomForm* form, TObject* target,
                                const IXMLNodePtr& element, bool descend) {
  if (resource.FQuerying == 0) {
    ++resource.FQuerying;
    bool claimed = false;
    try {
      claimed = QueryScrollingControls(resource, form, target);
    } catch (...) {
      --resource.FQuerying;
      throw;
    }
    --resource.FQuerying;
    if (claimed) return;
  }
  auto attributes = element->GetAttributes();
  for (int i = 0; i < attributes->GetCount(); ++i) {
    IXMLNodePtr attribute = attributes->GetItem(i);
    const WideString name = attribute->GetNodeName();
    if (SameNameNoCase(name, u"name")) continue;
    SetPropertyFromText(target, WideToUTF8(name), attribute->GetNodeValue());
  }
  if (!descend) return;
  for (const IXMLNodePtr& child : ElementChildren(element)) {
    const AnsiString name = WideToUTF8(child->GetNodeName());
    TObject* sub = ResolvePropertyPath(target, name);
    if (!sub) sub = form->FindComponent(name);
    if (!sub)
      if (auto* component = dynamic_cast<TComponent*>(target)) sub = component->FindComponent(name);
    if (!sub) continue;
    if (auto* collection = dynamic_cast<TCollection*>(sub)) {
      const std::vector<IXMLNodePtr> items = ElementChildren(child);
      const int count = std::min(static_cast<int>(items.size()), collection->Count());
      for (int i = 0; i < count; ++i) ApplyElement(resource, form, collection->Items(i), items[i], true);
    } else if (auto* strings = dynamic_cast<TStrings*>(sub)) {
      strings->SetText(WideToUTF8(child->GetText()));
    } else if (auto* wideStrings = dynamic_cast<TWideStrings*>(sub)) {
      wideStrings->SetText(child->GetText());
    } else if (dynamic_cast<TPersistent*>(sub)) {
      ApplyElement(resource, form, sub, child, true);
    }
  }
}

void TLanguageMgr::Broadcast(TLanguageResource& resource, TControl* control) {
  const LRESULT answer =
      control->Perform(WM_LANGUAGECHANGED, static_cast<WPARAM>(resource.Identifier), reinterpret_cast<LPARAM>(&resource));
  if (answer == 0 && !dynamic_cast<TCustomForm*>(control)) control->Perform(CM_SKINCHANGED, 0, 0);
  if (auto* container = dynamic_cast<TWinControl*>(control))
    for (int i = 0; i < container->ControlCount(); ++i) Broadcast(resource, container->Controls(i));
}

TLanguageMgr& GetLanguageMgr() {
  static TLanguageMgr* manager = [] {
    TLanguageMgr* created = TSingleton::Create<TLanguageMgr>();
    std::atexit([] { GetLanguageMgr().Release(); });
    return created;
  }();
  return *manager;
}

WideString LangGetText(const WideString& key, const WideString& defaultText) {
  return GetLanguageMgr().GetText(key, defaultText);
}

bool LangApplyToForm(TCustomForm* form) { return GetLanguageMgr().ApplyToForm(form); }
