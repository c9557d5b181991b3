#pragma once

// The character stream under the XML parser and writer: reads UTF-16 units through a text
// stream with one character of push-back, counting lines and columns for parse errors, or
// writes text with the line breaks and indentation of the output format. Library-internal.

#include <climits>
#include <memory>

#include "program/core/FSxmldom.h"
#include "program/core/TextStreams.h"

class TXMLTextStream final : public IXMLTextStream {
 public:
  enum Mode : Byte { ReadMode = 0, WriteMode = 1 };
  TXMLTextStream(TStream& stream, int codePage, Mode mode);
  ~TXMLTextStream() override;

  int GetCodePage() override { return m_text->Codepage(); }
  void SetCodePage(int codePage) override;
  TXMLOutputFormat GetOutputFormat() override { return m_format; }
  void SetOutputFormat(TXMLOutputFormat format) override { m_format = format; }
  void IncIndent() override;
  void DecIndent() override;
  void WriteIndent(bool force) override;
  void UnreadChar() override;
  bool ReadChar(char16_t& c) override;
  bool ReadString(WideString& text, int count) override;
  void AppendToBuffer(char16_t c) override { m_buffer.push_back(c); }
  void GetBuffer(WideString& text) override;
  int GetBufferLength() override { return static_cast<int>(m_buffer.size()); }
  void ClearBuffer() override { m_buffer.clear(); }
  void WriteString(const WideString& text) override;

  // Writes out what is buffered; the writer calls it at the end.
  void Flush();

  // For the parse error record.
  int64_t Position() const { return m_text->UnitsRead() - (m_pushedBack ? 1 : 0); }
  int Line() const { return m_line; }
  int Column() const { return m_column; }
  const WideString& CurrentLine() const { return m_lineText; }
  const WideString& LastToken() const { return m_lastToken; }
  char16_t LastChar() const { return m_lastChar; }
  bool HasLastChar() const { return m_canPushBack || m_pushedBack; }

  // Element nesting of the parser, bounded so that hostile input cannot exhaust the stack.
  int depth = 0;

 private:
  static constexpr int kTopLevel = INT_MAX;

  std::unique_ptr<TVokTextStream> m_text;
  Mode m_mode;
  WideString m_buffer;
  char16_t m_lastChar = 0;
  bool m_pushedBack = false;
  bool m_canPushBack = false;
  bool m_undoneOnce = false;
  bool m_returnedAgain = false;
  int m_indent = -1;
  TXMLOutputFormat m_format = ofNone;
  int m_line = 0;
  int m_column = 0;
  WideString m_lineText;
  WideString m_lastToken;
  WideString m_output;
};
