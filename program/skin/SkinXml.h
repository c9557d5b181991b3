#pragma once

// Reading skin XML: element and attribute names compare without ASCII case, and values are
// read with the skin files' rules (integers decimal or "$" hexadecimal, Booleans as
// True/False or numbers, colours by name or number). A malformed colour raises
// ESkinFormatError naming the element, the attribute and the value, which discards the
// whole skin file. Any thread that owns the document.

#include <functional>
#include <string_view>

#include "program/core/FSxmldom.h"
#include "rtl/Exceptions.h"
#include "vcl/Colors.h"

// A value in a skin file that cannot be read; the message names element, attribute and value.
class ESkinFormatError : public EConvertError {
 public:
  using EConvertError::EConvertError;
};

namespace skin {

// Element or attribute name of a node as UTF-8.
AnsiString NodeName(const IXMLNodePtr& node);
bool IsElement(const IXMLNodePtr& node);
bool NameIs(const IXMLNodePtr& node, std::string_view name);

// The attribute's text ('' when missing); present tells whether the element has it.
AnsiString Attr(const IXMLNodePtr& node, std::string_view name, bool* present = nullptr);
bool HasAttr(const IXMLNodePtr& node, std::string_view name);
// Empty, missing or malformed values give the fallback.
int AttrInt(const IXMLNodePtr& node, std::string_view name, int fallback);
bool AttrBool(const IXMLNodePtr& node, std::string_view name, bool fallback);
// Empty or missing: the fallback; not a colour: ESkinFormatError.
TColor AttrColor(const IXMLNodePtr& node, std::string_view name, TColor fallback);
// The same rules for a text already read (element text); element names the error.
TColor TextToColor(const AnsiString& text, const IXMLNodePtr& element, TColor fallback);
bool TextToBool(const AnsiString& text, bool fallback);

// The first element child of that name, or nil.
IXMLNodePtr Child(const IXMLNodePtr& node, std::string_view name);
// Calls visit for every element child, in document order.
void ForEachElement(const IXMLNodePtr& node, const std::function<void(const IXMLNodePtr&)>& visit);
// The element's text as UTF-8.
AnsiString Text(const IXMLNodePtr& node);

}  // namespace skin
