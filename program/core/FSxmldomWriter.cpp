// Writing a node tree as XML text, and the text stream's writing side (line breaks and
// indentation by output format).

#include "program/core/FSxmldomDocument.h"
#include "program/core/FSxmldomTextStream.h"

namespace {

WideString LineFeedsToCrLf(const WideString& text) {
  if (text.find(u'\n') == WideString::npos) return text;
  WideString out;
  out.reserve(text.size() + 16);
  for (char16_t c : text) {
    if (c == u'\n') out.push_back(u'\r');
    out.push_back(c);
  }
  return out;
}

void WriteChildren(TXMLNode& node, TXMLTextStream& stream) {
  if (node.ChildCount() == 0) return;
  stream.IncIndent();
  for (int i = 0; i < node.ChildCount(); ++i) node.ChildAt(i)->WriteToStream(stream);
  stream.DecIndent();
}

}  // namespace

WideString EscapeXMLText(const WideString& text, bool escapeApos) {
  WideString out;
  out.reserve(text.size() + text.size() / 10);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      case u'\'':
        if (escapeApos) out += u"&apos;";
        else out.push_back(c);
        break;
      case u'\r':
      case u'\n':
        out += u"&#10;";
        if (i + 1 < text.size() && (text[i + 1] == u'\r' || text[i + 1] == u'\n')) ++i;
        break;
      default: out.push_back(c); break;
    }
  }
  return out;
}

// --- the text stream, writing side -------------------------------------------------------------

TXMLTextStream::TXMLTextStream(TStream& stream, int codePage, Mode mode)
    : m_text(std::make_unique<TVokTextStream>(&stream, mode == ReadMode ? tsaRead : tsaWrite,
                                              codePage == 65001 && mode == WriteMode ? tsfWriteUtf8Mark : 0,
                                              static_cast<Word>(codePage))),
      m_mode(mode) {}

TXMLTextStream::~TXMLTextStream() = default;

void TXMLTextStream::IncIndent() {
  if (m_indent == kTopLevel) m_indent = 0;
  ++m_indent;
}

void TXMLTextStream::DecIndent() {
  --m_indent;
  if (m_indent == 0) m_indent = kTopLevel;
}

void TXMLTextStream::WriteIndent(bool force) {
  if (m_format == ofNone) return;
  if (force || m_indent > 0) m_output += u"\r\n";
  if (m_format == ofIndent && m_indent >= 1 && m_indent < kTopLevel) m_output.append(2 * static_cast<size_t>(m_indent), u' ');
  if (m_output.size() > 32768) Flush();
}

void TXMLTextStream::WriteString(const WideString& text) {
  m_output += text;
  if (m_output.size() > 32768) Flush();
}

void TXMLTextStream::Flush() {
  if (m_mode != WriteMode) return;
  if (!m_output.empty()) {
    const auto bytes = static_cast<int32_t>(m_output.size() * sizeof(char16_t));
    m_text->Write(m_output.data(), bytes);
    m_output.clear();
  }
  m_text->Flush();
}

// --- node writers -----------------------------------------------------------------------------

void TXMLNode::WriteToStream(TXMLTextStream& stream) { WriteChildren(*this, stream); }

void TXMLNode::WriteXML(IXMLTextStream& stream) {
  auto* own = dynamic_cast<TXMLTextStream*>(&stream);
  if (own == nullptr) throw EXMLException("WriteXML needs a text stream of this library");
  WriteToStream(*own);
}

WideString TXMLNode::GetXML() {
  TMemoryStream memory;
  {
    TXMLTextStream stream(memory, 1200, TXMLTextStream::WriteMode);
    WriteToStream(stream);
    stream.Flush();
  }
  const auto* units = static_cast<const char16_t*>(memory.Memory());
  const size_t count = static_cast<size_t>(memory.Size()) / 2;
  return count > 1 ? WideString(units + 1, count - 1) : WideString();
}

void TXMLDocument::WriteToStream(TXMLTextStream& stream) {
  if (ChildCount() == 0) return;
  stream.IncIndent();
  for (int i = 0; i < ChildCount(); ++i) {
    ChildAt(i)->WriteToStream(stream);
    if (i + 1 < ChildCount()) stream.WriteIndent(true);
  }
  stream.DecIndent();
}

void TXMLElement::WriteToStream(TXMLTextStream& stream) {
  stream.WriteIndent(false);
  stream.WriteString(u"<" + Name());
  for (int i = 0; i < AttributeCount(); ++i) Attributes().At(i)->WriteToStream(stream);
  const bool textElement = IsTextElement();
  if (ChildCount() > 0 && !(textElement && ChildAt(0)->GetText().empty())) {
    stream.WriteString(u">");
    WriteChildren(*this, stream);
    if (!textElement) stream.WriteIndent(false);
    stream.WriteString(u"</" + Name() + u">");
  } else {
    stream.WriteString(stream.GetOutputFormat() == ofIndent ? u" />" : u"/>");
  }
}

void TXMLAttr::WriteToStream(TXMLTextStream& stream) {
  stream.WriteString(u" " + Name() + u"=\"" + EscapeXMLText(Value(), false) + u"\"");
}

void TXMLText::WriteToStream(TXMLTextStream& stream) {
  WriteChildren(*this, stream);
  stream.WriteString(EscapeXMLText(LineFeedsToCrLf(Value()), true));
}

void TXMLCDATASection::WriteToStream(TXMLTextStream& stream) {
  stream.WriteIndent(true);
  stream.WriteString(u"<![CDATA[" + Value() + u"]]>");
}

void TXMLComment::WriteToStream(TXMLTextStream& stream) {
  stream.WriteIndent(true);
  stream.WriteString(u"<!--" + LineFeedsToCrLf(Value()) + u"-->");
}

void TXMLProcessingInstruction::WriteToStream(TXMLTextStream& stream) {
  stream.WriteIndent(false);
  stream.WriteString(u"<?" + Name() + u" " + Value() + u"?>");
}

void TXMLDocumentType::WriteToStream(TXMLTextStream& stream) {
  stream.WriteIndent(false);
  stream.WriteString(u"<!DOCTYPE " + Value() + u">");
}

void TXMLDocument::SaveToStream(TStream& stream, TXMLOutputFormat format, int codePage) {
  const int declared = XMLCodePageOfAlias(GetEncoding());
  TXMLTextStream text(stream, declared != 0 ? declared : codePage, TXMLTextStream::WriteMode);
  text.SetOutputFormat(format);
  WriteToStream(text);
  text.Flush();
}
