// Parse and write speed of the XML library on a generated document of about 10 MB, and the
// parse of a small document.

#include <benchmark/benchmark.h>

#include <string>

#include "program/core/FSxmldom.h"
#include "vcl/Classes.h"

namespace {

const std::string& Document() {
  static const std::string text = [] {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Library>\n";
    for (int i = 0; xml.size() < 10u * 1024 * 1024; ++i) {
      const std::string n = std::to_string(i);
      xml += "  <Clip id=\"" + n + "\" name=\"clip " + n + " &amp; titles\" start=\"0.0\" duration=\"12.5\">\n"
             "    <File>/home/user/Videos/holiday-" + n + ".mp4</File>\n"
             "    <Effect kind=\"brightness\" value=\"10\"/>\n"
             "    <Note>Caf\xC3\xA9 scene, take " + n + "</Note>\n"
             "  </Clip>\n";
    }
    return xml + "</Library>\n";
  }();
  return text;
}

void BM_ParseUtf8(benchmark::State& state) {
  const std::string& xml = Document();
  for (auto _ : state) {
    IXMLDocumentPtr document = LoadXMLString(xml);
    benchmark::DoNotOptimize(document.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(xml.size()));
}
BENCHMARK(BM_ParseUtf8)->Unit(benchmark::kMillisecond);

// Many small documents, as the skin and form files are: the cost of setting up a parse and
// of reading to the end of a short input dominates here.
void BM_ParseSmall(benchmark::State& state) {
  const std::string xml = "<?xml version=\"1.0\"?><Form name=\"main\"><Button id=\"1\"/></Form>";
  for (auto _ : state) {
    IXMLDocumentPtr document = LoadXMLString(xml);
    benchmark::DoNotOptimize(document.get());
  }
}
BENCHMARK(BM_ParseSmall);

void BM_WriteUtf8(benchmark::State& state) {
  IXMLDocumentPtr document = LoadXMLString(Document());
  for (auto _ : state) {
    TMemoryStream stream;
    document->SaveToStream(stream, ofIndent, 65001);
    benchmark::DoNotOptimize(stream.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Document().size()));
}
BENCHMARK(BM_WriteUtf8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
