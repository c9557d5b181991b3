#include <gtest/gtest.h>

#include "XMLTestHelpers.h"
#include "vcl/Classes.h"

namespace {

std::string Save(const IXMLDocumentPtr& document, TXMLOutputFormat format, int codePage = 65001) {
  TStringStream stream;
  document->SaveToStream(stream, format, codePage);
  return stream.DataString();
}

TEST(XMLWriter, OutputFormats) {
  IXMLDocumentPtr document = Parse("<?xml version=\"1.0\"?><root><t>x</t><e n=\"1\"/></root>");
  EXPECT_EQ(Save(document, ofIndent),
            "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<root>\r\n  <t>x</t>\r\n  <e n=\"1\" />\r\n</root>");
  EXPECT_EQ(Save(document, ofFlat), "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<root>\r\n<t>x</t>\r\n<e n=\"1\"/>\r\n</root>");
  EXPECT_EQ(Save(document, ofNone), "\xEF\xBB\xBF<?xml version=\"1.0\"?><root><t>x</t><e n=\"1\"/></root>");
}

TEST(XMLWriter, TopLevelCommentsStandOnTheirOwnLines) {
  EXPECT_EQ(Save(Parse("<!--c--><a/>"), ofFlat, 1252), "\r\n<!--c-->\r\n<a/>");
  EXPECT_EQ(Save(Parse("<a/><!--c-->"), ofFlat, 1252), "<a/>\r\n\r\n<!--c-->");
  EXPECT_EQ(Save(Parse("<!DOCTYPE a><?pi x?><a><![CDATA[<&]]></a>"), ofNone, 1252),
            "<!DOCTYPE a><?pi x?><a><![CDATA[<&]]></a>");
}

TEST(XMLWriter, Escaping) {
  EXPECT_EQ(EscapeXMLText(u"\"'<&>", false), u"&quot;'&lt;&amp;&gt;");
  EXPECT_EQ(EscapeXMLText(u"'", true), u"&apos;");
  EXPECT_EQ(EscapeXMLText(u"a\r\nb\n\nc\rd\te\u00e9", false), u"a&#10;b&#10;c&#10;d\te\u00e9");

  IXMLDocumentPtr document = NewXMLDocument();
  IXMLElementPtr root = document->CreateElement(u"r");
  document->AppendChild(root);
  root->SetAttribute(u"v", u"\"'<&");
  root->AppendChild(document->CreateTextNode(u"l1\nl2"));
  root->AppendChild(document->CreateComment(u"c\n<&"));
  EXPECT_EQ(root->GetXML(), u"<r v=\"&quot;'&lt;&amp;\">l1&#10;l2<!--c\r\n<&--></r>");
  EXPECT_EQ(document->CreateElement(u"empty")->GetXML(), u"<empty/>");
  EXPECT_THROW(document->CreateCDATASection(u"a]]>b"), EXMLException);
}

// What is written reads back as the same tree, in every code page the library names.
TEST(XMLWriter, RoundTripsThroughEachEncoding) {
  const WideString text = u"A\u00e9\u00fc";
  for (int codePage : {65001, 1200, 12000, 1252, 28591}) {
    IXMLDocumentPtr document = NewXMLDocument();
    IXMLElementPtr root = document->CreateElement(u"root");
    document->AppendChild(root);
    root->SetChildValue(u"text", text);
    root->SetAttribute(u"attr", u"x\"y");
    TMemoryStream stream;
    document->SaveToStream(stream, ofIndent, codePage);
    stream.SetPosition(0);
    IXMLDocumentPtr again = NewXMLDocument();
    ASSERT_TRUE(again->LoadFromStream(stream, codePage)) << codePage;
    EXPECT_EQ(again->GetDocumentElement()->GetChildValue(u"text"), text) << codePage;
    EXPECT_EQ(again->GetDocumentElement()->GetAttribute(u"attr"), u"x\"y") << codePage;
  }
}

TEST(XMLWriter, DeclaredEncodingDecidesTheSavedCodePage) {
  IXMLDocumentPtr document = Parse("<?xml version=\"1.0\" encoding=\"utf-16\"?><a/>");
  EXPECT_EQ(Save(document, ofNone, 65001).substr(0, 4), std::string("\xFF\xFE<\0", 4));
  IXMLDocumentPtr plain = Parse("<a>\u00e9</a>");
  EXPECT_EQ(Save(plain, ofNone, 1252), "<a>\xE9</a>");
}

}  // namespace
