// Loads arbitrary bytes as an XML document through each input path (UTF-8 bytes, a declared or
// marked encoding, UTF-16 text), queries it, writes it back and parses the written text again.

#include <cstddef>
#include <cstdint>
#include <string>

#include "program/core/FSxmldomNodes.h"
#include "program/core/TextStreams.h"
#include "vcl/Classes.h"

namespace {

class TBoundNode : public TXMLElement {
 public:
  using TXMLElement::TXMLElement;
};
IntfPtr<TXMLNode> MakeBound(TXMLDocument* owner) { return new TBoundNode(owner, {}); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    IXMLDocumentPtr document = LoadXMLString(bytes);
    document->SelectSingleNode(u"/a/b[@n=\"x*\"]");
    document->SelectNodes(u"//item[0]/@id");
    document->GetElementsByTagName(u"a");
    const WideString text = document->GetXML();
    IXMLDocumentPtr again = NewXMLDocument();
    again->LoadXML(text);
    IXMLNodePtr bound = again->GetDocBinding(again->GetDocumentElement()->GetNodeName(), MakeBound);
    XMLNodeOf(bound)->RegisterChildNode(u"b", MakeBound);
    bound->GetXML();
    bound->SelectNodes(u"b/*");
    for (int codePage : {65001, 1252, 1200, 12000, 932, 50220}) {
      TMemoryStream saved;
      document->SaveToStream(saved, ofIndent, codePage);
      saved.SetPosition(0);
      IXMLDocumentPtr reread = NewXMLDocument();
      reread->LoadFromStream(saved, codePage);
    }
    if (size % 2 == 0) {
      const std::u16string units(reinterpret_cast<const char16_t*>(data), size / 2);
      IXMLDocumentPtr wide = NewXMLDocument();
      wide->LoadXML(units);
      wide->CloneNode(true);
    }
    // The text stream alone, in small reads, in a double-byte and a stateful code page.
    for (Word codePage : {Word(932), Word(50220), Word(65001), Word(12000)}) {
      TStringStream raw(bytes);
      TVokTextStream stream(&raw, tsaRead, 0, codePage);
      char16_t units[3];
      while (stream.Read(units, 6) > 0) {
      }
    }
  } catch (const Exception&) {
    // Errors outside parsing (an unsupported code page, say) are reported as exceptions.
  }
  return 0;
}
