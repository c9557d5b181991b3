// Reading XML text into a node tree: one small state machine per node kind, reading UTF-16
// units one at a time with one character of push-back. Lenient by design: names, references,
// quotes and tag nesting are checked; document type declarations are kept as text.

#include <cstring>

#include "program/core/FSxmldomDocument.h"
#include "program/core/FSxmldomTextStream.h"
#include "program/core/XMLLookupTables.h"
#include "platform/kernel/Unicode.h"

namespace {

// Deeper nesting is refused, so that hostile input cannot exhaust the stack.
constexpr int kMaxElementDepth = 1000;

struct CodePageAlias {
  const char16_t* alias;
  int codePage;
};
constexpr CodePageAlias kCodePages[] = {
    {u"shift-jis", 932},     {u"utf-16", 1200},       {u"windows-1250", 1250}, {u"windows-1251", 1251},
    {u"windows-1252", 1252}, {u"windows-1253", 1253}, {u"windows-1254", 1254}, {u"windows-1255", 1255},
    {u"windows-1256", 1256}, {u"windows-1257", 1257}, {u"windows-1258", 1258}, {u"iso-8859-1", 28591},
    {u"iso-8859-2", 28592},  {u"iso-8859-3", 28593},  {u"iso-8859-4", 28594},  {u"iso-8859-5", 28595},
    {u"iso-8859-6", 28596},  {u"iso-8859-7", 28597},  {u"iso-8859-8", 28598},  {u"iso-8859-9", 28599},
    {u"iso-2022-jp", 50220}, {u"euc-jp", 51932},      {u"utf-8", 65001},
};

// The predefined entities, then the Latin-1 character entities for 160 to 255 in code order.
constexpr const char* kLatin1Entities[96] = {
    "nbsp",   "iexcl",  "cent",   "pound", "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",   "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",  "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",  "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",  "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring", "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",   "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc", "uuml",   "yacute", "thorn",  "yuml"};

bool LookupEntity(const WideString& name, char16_t& c) {
  static const struct { const char16_t* name; char16_t c; } predefined[] = {
      {u"quot", 34}, {u"amp", 38}, {u"apos", 39}, {u"lt", 60}, {u"gt", 62}};
  for (const auto& entry : predefined)
    if (name == entry.name) return c = entry.c, true;
  if (name.size() > 6) return false;
  for (int i = 0; i < 96; ++i) {
    const char* entity = kLatin1Entities[i];
    if (std::strlen(entity) == name.size() && std::equal(name.begin(), name.end(), entity)) {
      c = static_cast<char16_t>(160 + i);
      return true;
    }
  }
  return false;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool IsCharValue(uint32_t value) {
  if (value >= 0x10000) return value <= 0x10FFFF;
  return IsXMLChar(value);
}

void AppendValue(WideString& out, uint32_t value) {
  if (value < 0x10000) {
    out.push_back(static_cast<char16_t>(value));
  } else {
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
  }
}

// A reference after "&": appends its character (a pair above U+FFFF) to the stream's buffer.
void ReadCharRef(TXMLTextStream& stream) {
  char16_t c;
  WideString name;
  if (!stream.ReadChar(c)) return stream.AppendToBuffer(u' ');
  if (IsXMLWhiteSpace(c)) RaiseXMLError(24, INVALID_CHARACTER_ERR);
  if (c == u'#') {
    if (!stream.ReadChar(c)) return stream.AppendToBuffer(u' ');
    if (IsXMLWhiteSpace(c)) RaiseXMLError(24, INVALID_CHARACTER_ERR);
    uint32_t value = 0;
    if (IsDigit(c)) {
      value = c - u'0';
      for (;;) {
        if (!stream.ReadChar(c)) return stream.AppendToBuffer(u' ');
        if (IsXMLWhiteSpace(c)) RaiseXMLError(24, INVALID_CHARACTER_ERR);
        if (c == u';') break;
        if (!IsDigit(c)) RaiseXMLError(34, INVALID_CHARACTER_ERR);
        value = value * 10 + (c - u'0');
        if (value >= 0x110000) RaiseXMLError(36, INVALID_CHARACTER_ERR);
      }
    } else if (c == u'x') {
      for (;;) {
        if (!stream.ReadChar(c)) return stream.AppendToBuffer(u' ');
        if (IsXMLWhiteSpace(c)) RaiseXMLError(24, INVALID_CHARACTER_ERR);
        if (c == u';') break;
        const int digit = HexValue(c);
        if (digit < 0) RaiseXMLError(35, INVALID_CHARACTER_ERR);
        value = value * 16 + static_cast<uint32_t>(digit);
        if (value >= 0x110000) RaiseXMLError(36, INVALID_CHARACTER_ERR);
      }
    } else {
      RaiseXMLError(19, INVALID_CHARACTER_ERR);
    }
    if (!IsCharValue(value)) RaiseXMLError(36, INVALID_CHARACTER_ERR);
    WideString text;
    AppendValue(text, value);
    for (char16_t unit : text) stream.AppendToBuffer(unit);
    return;
  }
  if (!IsXMLNameStart(c, true)) RaiseXMLError(9, INVALID_CHARACTER_ERR);
  name.push_back(c);
  for (;;) {
    if (!stream.ReadChar(c)) return stream.AppendToBuffer(u' ');
    if (c == u';') break;
    if (!IsXMLNameChar(c)) RaiseXMLError(18, INVALID_CHARACTER_ERR);
    if (name.size() < 64) name.push_back(c);
  }
  char16_t value;
  if (!LookupEntity(name, value)) RaiseXMLError(91, INVALID_CHARACTER_ERR, {name});
  stream.AppendToBuffer(value);
}

bool IsAsciiCompatible(int codePage) { return codePage != 1200 && codePage != 12000 && codePage != 0; }

// An XML declaration naming a known encoding switches the reading of what follows. A switch
// between a byte encoding and UTF-16/32 is not made: text that was readable up to the
// declaration is in the encoding it was read in, and switching would garble the rest.
void ApplyDeclaredEncoding(TXMLTextStream& stream, const WideString& data) {
  const WideString lower = XMLLowerCase(data);
  const size_t at = lower.find(u"encoding=");
  if (at == WideString::npos || at + 9 >= lower.size()) return;
  const char16_t quote = lower[at + 9];
  if (quote != u'"' && quote != u'\'') return;
  const size_t end = lower.find(quote, at + 10);
  if (end == WideString::npos) return;
  const int codePage = XMLCodePageOfAlias(lower.substr(at + 10, end - at - 10));
  if (codePage == 0 || codePage == stream.GetCodePage()) return;
  if (IsAsciiCompatible(codePage) && IsAsciiCompatible(stream.GetCodePage())) stream.SetCodePage(codePage);
}

}  // namespace

int XMLCodePageOfAlias(const WideString& alias) {
  for (const auto& entry : kCodePages) {
    const WideString name = entry.alias;
    if (name.size() != alias.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      char16_t c = alias[i];
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
      same = c == name[i];
    }
    if (same) return entry.codePage;
  }
  return 0;
}

// --- the text stream, reading side -------------------------------------------------------------

bool TXMLTextStream::ReadChar(char16_t& c) {
  if (m_undoneOnce) {
    m_undoneOnce = false;
    RaiseXMLError(23, INVALID_CHARACTER_ERR, {u"Only one undo level is supported"});
  }
  if (m_pushedBack) {
    m_pushedBack = false;
    m_returnedAgain = true;
    c = m_lastChar;
    return true;
  }
  m_returnedAgain = false;
  if (!m_text->ReadUnit(c)) {
    m_canPushBack = false;
    return false;
  }
  m_lastChar = c;
  m_canPushBack = true;
  if (c == u'\n') {
    ++m_line;
    m_column = 0;
    m_lineText.clear();
  } else {
    ++m_column;
    if (m_lineText.size() < 4096) m_lineText.push_back(c);
  }
  return true;
}

// One level of push-back: pushing back a character that was already returned a second time
// makes the next read fail.
void TXMLTextStream::UnreadChar() {
  if (!m_canPushBack || m_pushedBack) return;
  if (m_returnedAgain) m_undoneOnce = true;
  else m_pushedBack = true;
}

bool TXMLTextStream::ReadString(WideString& text, int count) {
  text.clear();
  char16_t c;
  for (int i = 0; i < count; ++i) {
    if (!ReadChar(c)) return false;
    text.push_back(c);
  }
  return true;
}

void TXMLTextStream::GetBuffer(WideString& text) {
  text = m_buffer;
  m_lastToken.swap(m_buffer);  // keeps the token without a second copy
  m_buffer.clear();
}

void TXMLTextStream::SetCodePage(int codePage) {
  // The pushed-back character, if any, was read in the old code page and stays as read.
  m_text->SetCodepage(static_cast<Word>(codePage));
}

// --- content ----------------------------------------------------------------------------------

void ReadXMLContent(TXMLDocument& document, TXMLNode* parent, TXMLTextStream& stream) {
  char16_t c;
  WideString text;
  for (;;) {
    // Content.
    if (!stream.ReadChar(c)) return;
    if (IsXMLWhiteSpace(c)) continue;
    if (c != u'<') {
      stream.UnreadChar();
      TXMLNode* node = new TXMLText(&document, {});
      parent->AppendChildNode(node);
      node->ReadFromStream(parent, stream);
      continue;
    }
    // Tag.
    do {
      if (!stream.ReadChar(c)) return;
    } while (IsXMLWhiteSpace(c));
    if (c == u'/') {
      WideString name;
      for (;;) {
        if (!stream.ReadChar(c)) return;
        if (c == u'>') break;
        name.push_back(c);
      }
      if (name == parent->Name()) return;
      RaiseXMLError(67, HIERARCHY_REQUEST_ERR, {name, parent->Name()});
    }
    if (c == u'?') {
      TXMLNode* node = new TXMLProcessingInstruction(&document, {}, {});
      parent->AppendChildNode(node);
      node->ReadFromStream(parent, stream);
      continue;
    }
    if (IsXMLLetter(c) || c == u'_') {
      stream.ClearBuffer();
      stream.AppendToBuffer(c);
      TXMLNode* node = new TXMLElement(&document, {});
      parent->AppendChildNode(node);
      node->ReadFromStream(parent, stream);
      continue;
    }
    if (c != u'!') RaiseXMLError(9, INVALID_CHARACTER_ERR);
    // Markup, after "<!".
    for (bool done = false; !done;) {
      if (!stream.ReadChar(c)) return;
      if (c == u'D') {
        if (!stream.ReadString(text, 6)) return;
        if (text != u"OCTYPE") continue;
        stream.ClearBuffer();
        auto* node = new TXMLDocumentType(&document, {});
        parent->AppendChildNode(node);
        node->ReadFromStream(parent, stream);
        document.SetDocTypeNode(node);
        done = true;
      } else if (c == u'[') {
        if (!stream.ReadString(text, 6)) return;
        if (text != u"CDATA[") continue;
        stream.ClearBuffer();
        TXMLNode* node = new TXMLCDATASection(&document, {});
        parent->AppendChildNode(node);
        node->ReadFromStream(parent, stream);
        done = true;
      } else if (c == u'-') {
        if (!stream.ReadChar(c)) return;
        if (c != u'-') {
          WideString token;
          stream.GetBuffer(token);
          RaiseXMLError(0, INVALID_CHARACTER_ERR, {u"Invalid node " + token});
        }
        TXMLNode* node = new TXMLComment(&document, {});
        parent->AppendChildNode(node);
        node->ReadFromStream(parent, stream);
        done = true;
      }
    }
  }
}

void TXMLDocument::ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) { ReadXMLContent(*this, parent, stream); }

// --- node readers -----------------------------------------------------------------------------

void TXMLElement::ReadFromStream(TXMLNode*, TXMLTextStream& stream) {
  char16_t c;
  auto readContent = [&] {
    if (++stream.depth > kMaxElementDepth)
      RaiseXMLError(100, INVALID_CHARACTER_ERR, {platform::Utf8ToUtf16(std::to_string(kMaxElementDepth))});
    ReadXMLContent(*FOwnerDocument, this, stream);
    --stream.depth;
  };
  // Name.
  for (;;) {
    if (!stream.ReadChar(c)) return stream.GetBuffer(FNodeName);
    if (IsXMLWhiteSpace(c) || c == u'/' || c == u'>') {
      stream.GetBuffer(FNodeName);
      break;
    }
    if (!IsXMLNameChar(c)) RaiseXMLError(10, INVALID_CHARACTER_ERR);
    stream.AppendToBuffer(c);
  }
  for (;;) {
    if (c == u'>') return readContent();
    if (c == u'/') {
      if (!stream.ReadChar(c)) return;
      if (c == u'>') return;
      if (IsXMLWhiteSpace(c)) RaiseXMLError(24, INVALID_CHARACTER_ERR);
      RaiseXMLError(15, INVALID_CHARACTER_ERR);
    }
    // Attributes.
    if (!IsXMLWhiteSpace(c)) {
      if (!(IsXMLLetter(c) || c == u'_')) RaiseXMLError(9, INVALID_CHARACTER_ERR);
      stream.ClearBuffer();
      stream.AppendToBuffer(c);
      TXMLNode* attr = new TXMLAttr(FOwnerDocument, {});
      Attributes().AppendUnchecked(attr);
      attr->ReadFromStream(this, stream);
    }
    if (!stream.ReadChar(c)) return;
  }
}

void TXMLAttr::ReadFromStream(TXMLNode*, TXMLTextStream& stream) {
  char16_t c;
  for (;;) {  // Name.
    if (!stream.ReadChar(c)) return stream.GetBuffer(FNodeName);
    if (IsXMLWhiteSpace(c) || c == u'=') {
      stream.GetBuffer(FNodeName);
      break;
    }
    if (!IsXMLNameChar(c)) RaiseXMLError(10, INVALID_CHARACTER_ERR);
    stream.AppendToBuffer(c);
  }
  while (c != u'=') {  // Equals.
    if (!stream.ReadChar(c)) return;
    if (!IsXMLWhiteSpace(c) && c != u'=') RaiseXMLError(4, INVALID_CHARACTER_ERR);
  }
  char16_t quote;
  for (;;) {  // Quote.
    if (!stream.ReadChar(quote)) return;
    if (IsXMLWhiteSpace(quote)) continue;
    if (quote != u'"' && quote != u'\'') RaiseXMLError(7, INVALID_CHARACTER_ERR);
    break;
  }
  for (;;) {  // Value.
    if (!stream.ReadChar(c)) return;
    if (c == quote) break;
    if (c == u'&') ReadCharRef(stream);
    else if (c == u'<') RaiseXMLError(11, INVALID_CHARACTER_ERR);
    else stream.AppendToBuffer(c);
  }
  stream.GetBuffer(FNodeValue);
}

void TXMLProcessingInstruction::ReadFromStream(TXMLNode*, TXMLTextStream& stream) {
  char16_t c;
  stream.ClearBuffer();
  if (!stream.ReadChar(c)) return;
  if (!IsXMLNameStart(c, true)) RaiseXMLError(9, INVALID_CHARACTER_ERR);
  stream.AppendToBuffer(c);
  for (;;) {  // Target.
    if (!stream.ReadChar(c)) return stream.GetBuffer(FNodeName);
    if (IsXMLWhiteSpace(c)) break;
    if (!IsXMLNameChar(c)) RaiseXMLError(10, INVALID_CHARACTER_ERR);
    stream.AppendToBuffer(c);
  }
  stream.GetBuffer(FNodeName);
  int state = 3;
  for (;;) {
    if (!stream.ReadChar(c)) return;
    if (state == 3) {
      if (IsXMLWhiteSpace(c)) continue;
      if (c == u'?') {
        state = 5;
        continue;
      }
      stream.AppendToBuffer(c);
      state = 4;
    } else if (state == 4) {
      if (c == u'?') state = 5;
      else if (IsXMLChar(c)) stream.AppendToBuffer(c);
      else RaiseXMLError(10, INVALID_CHARACTER_ERR);
    } else {
      if (c == u'>') break;
      stream.AppendToBuffer(u'?');
      stream.AppendToBuffer(c);
      state = 4;
    }
  }
  stream.GetBuffer(FNodeValue);
  if (SameXMLName(FNodeName, u"xml")) ApplyDeclaredEncoding(stream, FNodeValue);
}

void TXMLText::ReadFromStream(TXMLNode* parent, TXMLTextStream& stream) {
  char16_t c;
  stream.ClearBuffer();
  for (;;) {
    // Text cut off by the end of the input is dropped; the empty node stays.
    if (!stream.ReadChar(c)) return stream.ClearBuffer();
    if (c == u'<') {
      stream.UnreadChar();
      break;
    }
    if (c == u'&') ReadCharRef(stream);
    else stream.AppendToBuffer(c);
  }
  WideString text;
  stream.GetBuffer(text);
  if (!text.empty() && !(FOwnerDocument && FOwnerDocument->PreservesWhiteSpace())) {
    size_t end = text.size();
    size_t begin = 0;
    while (begin < end && IsXMLWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsXMLWhiteSpace(text[end - 1])) --end;
    text = text.substr(begin, end - begin);
  }
  if (!text.empty()) SetNodeValue(text);
  if (text.empty() && parent != nullptr) {
    // The node was appended last, so look there first.
    TXMLNodeList& siblings = parent->Children();
    const int last = siblings.Count() - 1;
    const int index = last >= 0 && siblings.At(last) == this ? last : siblings.IndexOfNode(this);
    if (index >= 0) siblings.DeleteAt(index);
  }
}

void TXMLCDATASection::ReadFromStream(TXMLNode*, TXMLTextStream& stream) {
  char16_t c;
  WideString text;
  int brackets = 0;
  while (stream.ReadChar(c)) {
    if (c == u']') {
      ++brackets;
      continue;
    }
    if (c == u'>' && brackets >= 2) {
      text.append(static_cast<size_t>(brackets - 2), u']');
      FNodeValue = std::move(text);
      return;
    }
    text.append(static_cast<size_t>(brackets), u']');
    brackets = 0;
    text.push_back(c);
  }
  text.append(static_cast<size_t>(brackets), u']');
  FNodeValue = std::move(text);
}

void TXMLComment::ReadFromStream(TXMLNode*, TXMLTextStream& stream) {
  char16_t c;
  WideString text;
  for (;;) {
    if (!stream.ReadChar(c)) break;
    if (c != u'-') {
      text.push_back(c);
      continue;
    }
    if (!stream.ReadChar(c)) break;
    if (c != u'-') {
      text.push_back(u'-');
      text.push_back(c);
      continue;
    }
    // After "--": everything up to the next ">" is dropped.
    while (stream.ReadChar(c) && c != u'>') {
    }
    break;
  }
  SetNodeValue(text);
}

void TXMLDocumentType::ReadFromStream(TXMLNode*, TXMLTextStream& stream) {
  char16_t c;
  WideString text;
  do {
    if (!stream.ReadChar(c)) return;
  } while (IsXMLWhiteSpace(c));
  int depth = 0;
  char16_t quote = 0;
  for (;;) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u'[') {
      ++depth;
    } else if (c == u']') {
      --depth;
    } else if (c == u'>' && depth < 1) {
      break;
    }
    text.push_back(c);
    if (!stream.ReadChar(c)) break;
  }
  SetNodeValue(text);
}
