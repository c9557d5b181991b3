#include <gtest/gtest.h>

#include "XMLTestHelpers.h"

namespace {

const char* const kLanguage =
    "<LanguageResource><Forms>"
    "<TMainForm name=\"Main\" id=\"1\"/><TMainForm name=\"second\" id=\"2\"/><TOption id=\"3\"/>"
    "</Forms><item id=\"4\"><x><item id=\"5\"/></x></item><item id=\"6\"/></LanguageResource>";

TEST(XPathLite, SingleNodes) {
  IXMLDocumentPtr document = Parse(kLanguage);
  struct Case { const char16_t* path; const char16_t* id; };
  const Case cases[] = {
      {u"/LanguageResource/Forms/TMainForm", u"1"},
      {u"/LanguageResource/Forms/TMainForm[@name=\"SECOND\"]", u"2"},
      {u"/LanguageResource/Forms/TMainForm[@name!=\"main\"]", u"2"},
      {u"/LanguageResource/Forms/TMainForm[@name=\"sec*\"]", u"2"},
      {u"/LanguageResource/Forms/*[!name]", u"3"},
      {u"/LanguageResource/Forms/*[1]", u"2"},
      {u"/LanguageResource/Forms/TOption/cdata", u"3"},
      {u"/LanguageResource/Forms/TMainForm[@name=\"x/y\"]", nullptr},
      {u"/LanguageResource/Forms/Missing", nullptr},
      {u"", nullptr},
  };
  for (const Case& c : cases) {
    IXMLNodePtr node = document->SelectSingleNode(c.path);
    if (c.id == nullptr) {
      EXPECT_EQ(node, nullptr) << U8(c.path);
    } else {
      ASSERT_TRUE(node) << U8(c.path);
      EXPECT_EQ(node->GetAttribute(u"id"), c.id) << U8(c.path);
    }
  }
  IXMLNodePtr attr = document->SelectSingleNode(u"/LanguageResource/Forms/TMainForm@name");
  ASSERT_TRUE(attr);
  EXPECT_EQ(attr->GetNodeValue(), u"Main");
}

TEST(XPathLite, NodeLists) {
  IXMLDocumentPtr document = Parse(kLanguage);
  IXMLNodePtr forms = document->SelectSingleNode(u"/LanguageResource/Forms");
  auto ids = [](const IXMLNodeListPtr& list) {
    WideString result;
    for (int i = 0; i < list->GetCount(); ++i) result += list->GetItem(i)->GetAttribute(u"id");
    return result;
  };
  EXPECT_EQ(ids(forms->SelectNodes(u"/item")), u"46");
  EXPECT_EQ(ids(forms->SelectNodes(u"TMainForm")), u"12");
  EXPECT_EQ(ids(document->GetDocumentElement()->SelectNodes(u"//item")), u"5");
  EXPECT_EQ(ids(document->GetDocumentElement()->SelectNodes(u"item/x/item")), u"5");
  EXPECT_EQ(forms->SelectNodes(u"")->GetCount(), 0);
  IXMLDocumentPtr prefixes = Parse("<r><v a=\"abcd\"/><v a=\"ABC\"/><v a=\"xabc\"/></r>");
  EXPECT_EQ(prefixes->SelectNodes(u"/v[@a=\"abc*\"]")->GetCount(), 2);
  EXPECT_EQ(Parse("<r>t<a/></r>")->GetDocumentElement()->SelectNodes(u"*")->GetCount(), 2);
}

// A search in depth takes a node's matching children before anything deeper, in single and
// list queries alike, and does not look inside a match.
TEST(XPathLite, SearchInDepthTakesChildrenBeforeDeeperMatches) {
  IXMLDocumentPtr shallow = Parse("<r><n><x><item id=\"A\"/></x><item id=\"B\"/></n></r>");
  IXMLNodePtr found = shallow->SelectSingleNode(u"//item");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->GetAttribute(u"id"), u"B");

  IXMLDocumentPtr document = Parse(
      "<r><n>"
      "<x><y><item id=\"1\"/></y><item id=\"2\"><item id=\"nested\"/></item></x>"
      "<item id=\"3\"/>"
      "<z><w><item id=\"4\"/></w></z>"
      "</n></r>");
  auto ids = [](const IXMLNodeListPtr& list) {
    WideString result;
    for (int i = 0; i < list->GetCount(); ++i) result += list->GetItem(i)->GetAttribute(u"id");
    return result;
  };
  // Below n: its child 3 first, then x's branch (x's own child 2 before y's 1), then z's.
  EXPECT_EQ(ids(document->GetDocumentElement()->SelectNodes(u"//item")), u"3214");
  // From r's child n, single: 3 stands at the first level of the search.
  EXPECT_EQ(document->SelectSingleNode(u"//item")->GetAttribute(u"id"), u"3");
  // Below x: its child 2 before y's child 1; below z the match two levels down.
  struct Case { const char16_t* path; const char16_t* id; };
  const Case cases[] = {{u"/r/n/x//item", u"2"}, {u"/r/n/x/y//item", u"1"}, {u"/r/n/z//item", u"4"},
                        {u"/r/n/z//nothing", nullptr}};
  for (const Case& c : cases) {
    IXMLNodePtr node = document->SelectSingleNode(c.path);
    if (c.id == nullptr) {
      EXPECT_EQ(node, nullptr) << U8(c.path);
    } else {
      ASSERT_TRUE(node) << U8(c.path);
      EXPECT_EQ(node->GetAttribute(u"id"), c.id) << U8(c.path);
    }
  }
}

}  // namespace
