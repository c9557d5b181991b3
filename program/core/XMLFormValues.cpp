#include "program/core/XMLFormValues.h"

#include <cctype>

#include "program/core/XMLReader.h"
#include "rtl/SysUtils.h"

namespace core::detail {
namespace {

enum class ValueWord {
  Null, Integer, Int64, String, Ident, Boolean, Float, Currency, Date, Set, Binary, List,
  Collection, Nil
};

ValueWord WordOf(const WideString& word) {
  static const struct {
    const char16_t* text;
    ValueWord word;
  } words[] = {
      {u"Integer", ValueWord::Integer}, {u"String", ValueWord::String},
      {u"Ident", ValueWord::Ident},     {u"Boolean", ValueWord::Boolean},
      {u"Float", ValueWord::Float},     {u"Single", ValueWord::Float},
      {u"Double", ValueWord::Float},    {u"Currency", ValueWord::Currency},
      {u"Int64", ValueWord::Int64},     {u"Date", ValueWord::Date},
      {u"Set", ValueWord::Set},         {u"Binary", ValueWord::Binary},
      {u"List", ValueWord::List},       {u"Collection", ValueWord::Collection},
      {u"nil", ValueWord::Nil},
  };
  for (const auto& entry : words)
    if (WideSameText(word, entry.text)) return entry.word;
  return ValueWord::Null;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

void WriteSetNames(TWriterAccess& writer, const AnsiString& text) {
  writer.WriteValue(vaSet);
  AnsiString name;
  auto flush = [&] {
    if (!name.empty()) writer.WriteStr(name);
    name.clear();
  };
  for (char c : text) {
    if (c == ',')
      flush();
    else if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '[' && c != ']')
      name += c;
  }
  flush();
  writer.WriteStr({});
}

// One value of a scalar word (lists take their items through here too).
void WriteScalar(TWriterAccess& writer, ValueWord word, const WideString& text) {
  switch (word) {
    case ValueWord::Integer: writer.WriteInteger(StrToInt(WideToUTF8(Trim(text)))); return;
    case ValueWord::Int64: writer.WriteInteger(StrToInt64(WideToUTF8(Trim(text)))); return;
    case ValueWord::Ident: writer.WriteIdent(WideToUTF8(Trim(text))); return;
    case ValueWord::Boolean: {
      WideString value = Trim(text);
      if (WideSameText(value, u"True")) return writer.WriteBoolean(true);
      if (WideSameText(value, u"False")) return writer.WriteBoolean(false);
      throw EReadError("Invalid property value");
    }
    case ValueWord::Float: writer.WriteFloat(XMLTextToFloat(text)); return;
    case ValueWord::Currency: writer.WriteCurrency(XMLTextToFloat(text)); return;
    case ValueWord::Date: writer.WriteDate(XMLTextToDate(text)); return;
    case ValueWord::Set: WriteSetNames(writer, WideToUTF8(text)); return;
    case ValueWord::Binary: {
      RawByteString bytes = HexTextToBytes(text);
      writer.WriteBinary(bytes.data(), static_cast<int32_t>(bytes.size()));
      return;
    }
    case ValueWord::Nil: writer.WriteValue(vaNil); return;
    // An empty collection: items of a defined collection have no form in these files.
    case ValueWord::Collection:
      writer.WriteValue(vaCollection);
      writer.WriteListEnd();
      return;
    case ValueWord::String:
    case ValueWord::List:
    case ValueWord::Null: writer.WriteWideString(text); return;
  }
}

}  // namespace

bool WriteXMLValue(TWriterAccess& writer, const IXMLNodePtr& element) {
  ValueWord word = WordOf(element->GetAttribute(u"ValueType"));
  if (word == ValueWord::Null) return false;
  if (word != ValueWord::List) {
    WriteScalar(writer, word, element->GetText());
    return true;
  }
  ValueWord itemWord = WordOf(element->GetAttribute(u"DataType"));
  if (itemWord == ValueWord::Null || itemWord == ValueWord::List) itemWord = ValueWord::String;
  std::vector<WideString> items;
  if (element->IsTextElement()) {
    items = SplitXMLTextLines(element->GetText());
  } else {
    IXMLNodeListPtr children = element->GetChildNodes();
    for (int i = 0; children && i < children->GetCount(); ++i) {
      IXMLNodePtr child = children->GetItem(i);
      if (child->GetNodeType() == ELEMENT_NODE) items.push_back(child->GetText());
    }
  }
  writer.WriteListBegin();
  for (const WideString& item : items) WriteScalar(writer, itemWord, item);
  writer.WriteListEnd();
  return true;
}

RawByteString HexTextToBytes(const WideString& text) {
  RawByteString bytes;
  size_t i = 0;
  for (;;) {
    while (i < text.size() && (text[i] < 33 || text[i] > 255)) ++i;
    if (i + 1 >= text.size()) break;
    int high = HexDigit(text[i]);
    int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) break;
    bytes += static_cast<char>(high << 4 | low);
    i += 2;
  }
  return bytes;
}

double XMLTextToFloat(const WideString& text) { return StrToFloat(WideToUTF8(Trim(text))); }

TDateTime XMLTextToDate(const WideString& text) {
  // The order of day, month and year follows the short date format; the parts are separated
  // by the date separator. Without a year the current one is meant; a two-digit year lies
  // in 1950..2049.
  AnsiString order;
  for (char c : FormatSettings.ShortDateFormat) {
    char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((lower == 'd' || lower == 'm' || lower == 'y') && order.find(lower) == AnsiString::npos)
      order += lower;
  }
  if (order.size() != 3) order = "mdy";
  WideString value = Trim(text);
  std::vector<int> parts;
  size_t start = 0;
  bool valid = !value.empty();
  while (valid) {
    size_t end = value.find(FormatSettings.DateSeparator, start);
    WideString part = Trim(value.substr(start, end == WideString::npos ? WideString::npos : end - start));
    Integer number = 0;
    valid = !part.empty() && part.size() <= 5 && TryStrToInt(WideToUTF8(part), number) && number >= 0;
    parts.push_back(number);
    if (end == WideString::npos) break;
    start = end + 1;
  }
  if (valid && (parts.size() == 2 || parts.size() == 3)) {
    Word year = 0, month = 0, day = 0;
    if (parts.size() == 2) {
      Word ignoredMonth, ignoredDay;
      DecodeDate(Date(), year, ignoredMonth, ignoredDay);
      order.erase(order.find('y'), 1);
    }
    for (size_t i = 0; i < parts.size(); ++i) {
      Word number = static_cast<Word>(parts[i]);
      if (order[i] == 'd') day = number;
      if (order[i] == 'm') month = number;
      if (order[i] == 'y') year = number < 100 ? static_cast<Word>(number + (number < 50 ? 2000 : 1900)) : number;
    }
    TDateTime result;
    if (TryEncodeDate(year, month, day, result)) return result;
  }
  throw EConvertError::CreateFmt("'%s' is not a valid date", {WideToUTF8(text)});
}

std::vector<WideString> SplitXMLTextLines(const WideString& text) {
  std::vector<WideString> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == WideString::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return lines;
}

}  // namespace core::detail
