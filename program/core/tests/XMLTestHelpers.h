#pragma once

#include <string>

#include "program/core/FSxmldom.h"
#include "platform/kernel/Unicode.h"

inline std::string U8(const WideString& text) { return platform::Utf16ToUtf8(text); }
inline WideString U16(const std::string& text) { return platform::Utf8ToUtf16(text); }

inline IXMLDocumentPtr Parse(const std::string& xml, bool* ok = nullptr) {
  IXMLDocumentPtr document = NewXMLDocument();
  const bool result = document->LoadXML(U16(xml));
  if (ok) *ok = result;
  return document;
}
