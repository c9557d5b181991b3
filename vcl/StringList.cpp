#include "vcl/StringList.h"

#include <cstring>

#include "rtl/Strings.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

namespace vcl::detail {

int CompareStrings(const AnsiString& a, const AnsiString& b, bool caseSensitive) {
  return caseSensitive ? CompareStr(a, b) : AnsiCompareText(a, b);
}

int CompareStrings(const WideString& a, const WideString& b, bool caseSensitive) {
  return caseSensitive ? WideCompareStr(a, b) : WideCompareText(a, b);
}

namespace {
RawByteString ReadAll(TStream& stream) {
  int64_t size = stream.Size() - stream.Position();
  RawByteString bytes(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}
}  // namespace

void LoadText(TStream& stream, AnsiString& text) {
  text = ReadAll(stream);
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
}

void LoadText(TStream& stream, WideString& text) {
  RawByteString bytes = ReadAll(stream);
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text.assign((bytes.size() - 2) / 2, u'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
    return;
  }
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  text = UTF8ToWide(bytes);
}

void SaveText(TStream& stream, const AnsiString& text) {
  stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void SaveText(TStream& stream, const WideString& text) {
  stream.WriteBuffer("\xFF\xFE", 2);
  stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size() * 2));
}

void LoadTextFile(const AnsiString& fileName, AnsiString& text) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadText(file, text);
}

void LoadTextFile(const AnsiString& fileName, WideString& text) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadText(file, text);
}

void SaveTextFile(const AnsiString& fileName, const AnsiString& text) {
  TFileStream file(fileName, fmCreate);
  SaveText(file, text);
}

void SaveTextFile(const AnsiString& fileName, const WideString& text) {
  TFileStream file(fileName, fmCreate);
  SaveText(file, text);
}

}  // namespace vcl::detail

namespace {

// The lines stream as the defined property "Strings": a list of strings, read and written
// one line at a time by `readLine` and `writeLine` (narrow or wide).
template <typename Lines, typename ReadLine, typename WriteLine>
void DefineLinesProperty(TFiler* filer, Lines* lines, ReadLine readLine, WriteLine writeLine) {
  filer->DefineProperty(
      "Strings",
      [lines, readLine](TReader* reader) {
        reader->ReadListBegin();
        lines->BeginUpdate();
        try {
          lines->Clear();
          while (!reader->EndOfList()) lines->Add(readLine(reader));
          reader->ReadListEnd();
        } catch (...) {
          lines->EndUpdate();
          throw;
        }
        lines->EndUpdate();
      },
      [lines, writeLine](TWriter* writer) {
        writer->WriteListBegin();
        for (int i = 0; i < lines->Count(); ++i) writeLine(writer, lines->Get(i));
        writer->WriteListEnd();
      },
      lines->Count() > 0);
}

}  // namespace

void TStrings::DefineProperties(TFiler* filer) {
  DefineLinesProperty(
      filer, this, [](TReader* reader) { return reader->ReadString(); },
      [](TWriter* writer, const AnsiString& line) { writer->WriteString(line); });
}

void TWideStrings::DefineProperties(TFiler* filer) {
  DefineLinesProperty(
      filer, this, [](TReader* reader) { return reader->ReadWideString(); },
      [](TWriter* writer, const WideString& line) { writer->WriteWideString(line); });
}
