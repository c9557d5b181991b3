#include "program/skin/SkinXml.h"

#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"

namespace skin {

AnsiString NodeName(const IXMLNodePtr& node) { return node ? WideToUTF8(node->GetNodeName()) : AnsiString(); }

bool IsElement(const IXMLNodePtr& node) { return node && node->GetNodeType() == ELEMENT_NODE; }

bool NameIs(const IXMLNodePtr& node, std::string_view name) { return SameText(NodeName(node), name); }

AnsiString Attr(const IXMLNodePtr& node, std::string_view name, bool* present) {
  if (present) *present = false;
  if (!IsElement(node)) return {};
  IXMLNamedNodeMapPtr attributes = node->GetAttributes();
  if (!attributes) return {};
  const int count = attributes->GetCount();
  for (int i = 0; i < count; ++i) {
    IXMLNodePtr attribute = attributes->GetItem(i);
    if (attribute && NameIs(attribute, name)) {
      if (present) *present = true;
      return WideToUTF8(attribute->GetNodeValue());
    }
  }
  return {};
}

bool HasAttr(const IXMLNodePtr& node, std::string_view name) {
  bool present = false;
  Attr(node, name, &present);
  return present;
}

int AttrInt(const IXMLNodePtr& node, std::string_view name, int fallback) {
  return StrToIntDef(Trim(Attr(node, name)), fallback);
}

bool TextToBool(const AnsiString& raw, bool fallback) {
  const AnsiString text = Trim(raw);
  if (SameText(text, "True")) return true;
  if (SameText(text, "False")) return false;
  Integer value = 0;
  if (TryStrToInt(text, value)) return value != 0;
  return fallback;
}

bool AttrBool(const IXMLNodePtr& node, std::string_view name, bool fallback) {
  return TextToBool(Attr(node, name), fallback);
}

TColor TextToColor(const AnsiString& raw, const IXMLNodePtr& element, TColor fallback) {
  const AnsiString text = Trim(raw);
  if (text.empty()) return fallback;
  try {
    return StringToColor(text);
  } catch (const EConvertError&) {
    throw ESkinFormatError(Format("element <%s>: '%s' is not a colour", {NodeName(element), text}));
  }
}

TColor AttrColor(const IXMLNodePtr& node, std::string_view name, TColor fallback) {
  const AnsiString text = Trim(Attr(node, name));
  if (text.empty()) return fallback;
  try {
    return StringToColor(text);
  } catch (const EConvertError&) {
    throw ESkinFormatError(
        Format("element <%s> attribute \"%s\": '%s' is not a colour", {NodeName(node), AnsiString(name), text}));
  }
}

IXMLNodePtr Child(const IXMLNodePtr& node, std::string_view name) {
  if (!node) return {};
  for (IXMLNodePtr child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (IsElement(child) && NameIs(child, name)) return child;
  return {};
}

void ForEachElement(const IXMLNodePtr& node, const std::function<void(const IXMLNodePtr&)>& visit) {
  if (!node) return;
  for (IXMLNodePtr child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (IsElement(child)) visit(child);
}

AnsiString Text(const IXMLNodePtr& node) { return node ? WideToUTF8(node->GetText()) : AnsiString(); }

}  // namespace skin
