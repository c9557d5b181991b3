#include <gtest/gtest.h>

#include "XMLTestHelpers.h"
#include "vcl/Classes.h"

namespace {

TEST(XMLParser, ErrorsWithCodes) {
  struct Case { const char* xml; int code; };
  const Case cases[] = {
      {"<a b c='1'>", 4},         {"<a b=1/>", 7},           {"<a><1/></a>", 9},
      {"<a,/>", 10},              {"<a b='<'/>", 11},        {"<a/ >", 24},
      {"<a/x>", 15},              {"<a>&amp</a>", 18},       {"<a>&#z;</a>", 19},
      {"<a>&#12a;</a>", 34},      {"<a>&#xZ;</a>", 35},      {"<a>&#xD800;</a>", 36},
      {"<a>&#1114112;</a>", 36},  {"<a>&#99999999999999999999;</a>", 36},
      {"<a>& b</a>", 24},         {"<a></a >", 67},          {"</a>", 67},
      {"<a>&AMP;</a>", 91},       {"<a><!-x--></a>", 0},     {"<?xml?>", 10},
  };
  for (const Case& c : cases) {
    bool ok = true;
    IXMLDocumentPtr document = Parse(c.xml, &ok);
    EXPECT_FALSE(ok) << c.xml;
    EXPECT_EQ(document->GetParseError()->GetErrorCode(), c.code) << c.xml;
  }
}

TEST(XMLParser, ReferencesAndText) {
  struct Case { const char* xml; const char16_t* value; };
  const Case cases[] = {
      {"<a>&eacute;&Eacute;&#233;&#xE9;</a>", u"\u00e9\u00c9\u00e9\u00e9"},
      {"<a>&#x1F600;&#128512;</a>", u"\U0001F600\U0001F600"},
      {"<a>   lead</a>", u"lead"},
      {"<a>&#32;x</a>", u" x"},
      {"<a>a-b<!--a-b--></a>", u"a-b"},
      {"<a><![CDATA[a]]b]]></a>", u"a]]b"},
      {"<a>x\r\ny</a>", u"x\ny"},
  };
  for (const Case& c : cases) {
    bool ok = false;
    IXMLDocumentPtr document = Parse(c.xml, &ok);
    EXPECT_TRUE(ok) << c.xml;
    EXPECT_EQ(document->GetDocumentElement()->GetNodeValue(), c.value) << c.xml;
  }
  IXMLDocumentPtr comment = Parse("<a><!--a-b--></a>");
  EXPECT_EQ(comment->GetDocumentElement()->GetFirstChild()->GetNodeValue(), u"a-b");
}

TEST(XMLParser, LenientShapes) {
  bool ok = false;
  EXPECT_TRUE((Parse("", &ok), ok));
  IXMLDocumentPtr blank = Parse(" \r\n\t", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(blank->GetChildNodes()->GetCount(), 0);

  IXMLDocumentPtr unclosed = Parse("<a><b>", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(unclosed->SelectSingleNode(u"/a/b")->GetNodeName(), u"b");

  IXMLDocumentPtr spaced = Parse("< a></a>", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(spaced->GetDocumentElement()->GetNodeName(), u"a");

  IXMLDocumentPtr between = Parse("<r><a/>  \n <b/></r>", &ok);
  EXPECT_EQ(between->GetDocumentElement()->GetChildNodes()->GetCount(), 2);

  IXMLDocumentPtr trailing = Parse("<r/>tail", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(trailing->GetChildNodes()->GetCount(), 2);
  EXPECT_EQ(trailing->GetLastChild()->GetNodeValue(), u"");

  IXMLDocumentPtr trimmed = NewXMLDocument();
  trimmed->SetPreserveWhiteSpace(false);
  EXPECT_TRUE(trimmed->LoadXML(u"<a>x  <b/>&#32;<c/></a>"));
  EXPECT_EQ(trimmed->GetDocumentElement()->GetChildNodes()->GetCount(), 3);
  EXPECT_EQ(trimmed->GetDocumentElement()->GetFirstChild()->GetNodeValue(), u"x");

  IXMLDocumentPtr duplicate = Parse("<a x='1' x='2' y=\"it's\"/>", &ok);
  EXPECT_EQ(duplicate->GetDocumentElement()->GetAttributes()->GetCount(), 3);
  EXPECT_EQ(duplicate->GetDocumentElement()->GetAttribute(u"y"), u"it's");

  IXMLDocumentPtr doctype = Parse("<!DOCTYPE r [<!ENTITY e \">\">]><r/>", &ok);
  EXPECT_TRUE(ok);
  ASSERT_TRUE(doctype->GetDocType());
  EXPECT_EQ(doctype->GetDocType()->GetNodeValue(), u"r [<!ENTITY e \">\">]");

  IXMLDocumentPtr pi = Parse("<?target data?><?t ?>", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(pi->GetFirstChild()->GetNodeValue(), u"data");
}

TEST(XMLParser, DeepNestingIsAParseError) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  IXMLDocumentPtr document = LoadXMLString(deep);
  EXPECT_EQ(document->GetParseError()->GetErrorCode(), 100);
  std::string fine;
  for (int i = 0; i < 999; ++i) fine += "<a>";
  EXPECT_EQ(LoadXMLString(fine)->GetParseError()->GetErrorCode(), 0);
}

TEST(XMLParser, DeclaredEncodingSwitchesTheRestOfTheInput) {
  struct Case { std::string bytes; const char16_t* text; };
  const Case cases[] = {
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9\x80</a>", u"\u00e9\u20ac"},
      {"<?xml version='1.0' encoding='ISO-8859-2'?><a>\xB1</a>", u"\u0105"},
      {"<?xml version=\"1.0\" encoding=\"koi8-r\"?><a>\xC3\xA9</a>", u"\u00e9"},
      {"<?xml version=\"1.0\" encoding=\"shift-jis\"?><a>\x82\xA0</a>", u"\u3042"},
      {"<?xml version=\"1.0\" encoding=\"euc-jp\"?><a>\xA4\xA2</a>", u"\u3042"},
      {"\xEF\xBB\xBF<a>\xC3\xA9</a>", u"\u00e9"},
      {std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18), u"\u00e9"},
      {std::string("\xFE\xFF\0<\0a\0>\0\xE9\0<\0/\0a\0>", 18), u"\u00e9"},
  };
  for (const Case& c : cases) {
    IXMLDocumentPtr document = LoadXMLString(c.bytes);
    EXPECT_EQ(document->GetParseError()->GetErrorCode(), 0);
    EXPECT_EQ(document->GetDocumentElement()->GetText(), c.text) << c.bytes;
  }
  // A declaration far into the input switches exactly where it ends.
  const std::string lead = "<!--" + std::string(9000, 'x') + "-->";
  IXMLDocumentPtr late = LoadXMLString(lead + "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9</a>");
  EXPECT_EQ(late->GetDocumentElement()->GetText(), u"\u00e9");
  // A UTF-16 string that declares utf-8 stays UTF-16.
  IXMLDocumentPtr wide = Parse("<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\u00e9</a>");
  EXPECT_EQ(wide->GetDocumentElement()->GetText(), u"\u00e9");
}

TEST(XMLParser, ParseErrorRecord) {
  IXMLDocumentPtr first = LoadXMLString("<r>\n  <item,/>\n</r>");
  IntfPtr<IXMLParseError> error = first->GetParseError();
  EXPECT_EQ(error->GetErrorCode(), 10);
  EXPECT_EQ(error->GetLine(), 2);
  EXPECT_EQ(error->GetLinePos(), 8);
  EXPECT_EQ(error->GetSrcText(), u"  <item,");
  EXPECT_EQ(first->GetDocumentElement()->GetChildNodes()->GetCount(), 1);

  IXMLDocumentPtr document = NewXMLDocument();
  EXPECT_FALSE(document->LoadXML(u"<a>&bogus;</a>"));
  EXPECT_EQ(document->GetParseError()->GetReason(), "Reference to undefined entity %s.");
  EXPECT_TRUE(document->LoadXML(u"<a/>"));
  EXPECT_EQ(document->GetParseError()->GetErrorCode(), 91);
}

}  // namespace

#include "program/core/FSxmldomTextStream.h"

namespace {

TEST(XMLTextStream, OneLevelOfPushBack) {
  TStringStream bytes("ab\ncd");
  TXMLTextStream stream(bytes, 65001, TXMLTextStream::ReadMode);
  char16_t c = 0;
  ASSERT_TRUE(stream.ReadChar(c));
  stream.UnreadChar();
  ASSERT_TRUE(stream.ReadChar(c));
  EXPECT_EQ(c, u'a');
  EXPECT_EQ(stream.Position(), 1);
  WideString rest;
  EXPECT_TRUE(stream.ReadString(rest, 3));
  EXPECT_EQ(rest, u"b\nc");
  EXPECT_EQ(stream.Line(), 1);
  EXPECT_EQ(stream.Column(), 1);
  stream.UnreadChar();
  ASSERT_TRUE(stream.ReadChar(c));
  stream.UnreadChar();  // the same character a second time
  try {
    stream.ReadChar(c);
    FAIL();
  } catch (const EXMLException& error) {
    EXPECT_EQ(error.ErrorCode, 23);
    EXPECT_EQ(error.Message(), "Internal error: Only one undo level is supported");
  }
}

}  // namespace
