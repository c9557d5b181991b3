#include <gtest/gtest.h>

#include <functional>

#include "XMLTestHelpers.h"

namespace {

int DomCodeOf(const std::function<void()>& action, int* errorCode = nullptr) {
  try {
    action();
  } catch (const EXMLException& error) {
    if (errorCode) *errorCode = error.ErrorCode;
    return error.DOMCode;
  }
  return -1;
}

TEST(XMLNode, AttributesAreFoundWithoutRegardToCase) {
  IXMLDocumentPtr document = NewXMLDocument();
  IXMLElementPtr element = document->CreateElement(u"e");
  element->SetAttribute(u"Name", u"x");
  element->SetAttribute(u"NAME", u"y");  // the same attribute
  EXPECT_EQ(element->GetAttribute(u"name"), u"y");
  EXPECT_EQ(element->GetAttributes()->GetCount(), 1);
  EXPECT_EQ(element->GetAttributeNode(u"name")->GetName(), u"Name");
  element->ForceAttribute(u"other", u"");
  EXPECT_EQ(element->GetAttributes()->GetCount(), 2);
  EXPECT_EQ(element->GetAttribute(u"missing"), u"");
}

TEST(XMLNode, ValuesOfElements) {
  IXMLDocumentPtr document = Parse("<e>a<!--c-->b</e>");
  IXMLNodePtr element = document->GetDocumentElement();
  EXPECT_EQ(element->GetNodeValue(), u"ab");
  int errorCode = 0;
  EXPECT_EQ(DomCodeOf([&] { element->SetNodeValue(u"z"); }, &errorCode), NO_MODIFICATION_ALLOWED_ERR);
  EXPECT_EQ(errorCode, 89);

  element->SetChildValue(u"child", u"1");
  EXPECT_EQ(element->GetChildValue(u"CHILD"), u"1");
  element->SetChildValue(u"child", u"2");
  EXPECT_EQ(element->GetChildValue(u"child"), u"2");
  EXPECT_EQ(element->SelectNodes(u"child")->GetCount(), 1);

  element->SetText(u"");
  EXPECT_FALSE(element->HasChildNodes());
  element->SetNodeValue(u"v");
  EXPECT_TRUE(element->IsTextElement());
  EXPECT_EQ(element->GetText(), u"v");
}

TEST(XMLNode, TextTrimmingFollowsTheDocument) {
  IXMLDocumentPtr document = NewXMLDocument();
  IntfPtr<IXMLText> text = document->CreateTextNode(u"  x  ");
  EXPECT_EQ(text->GetText(), u"  x  ");
  document->SetPreserveWhiteSpace(false);
  EXPECT_EQ(text->GetText(), u"x");
  EXPECT_EQ(document->CreateTextNode(u"a\r\nb\rc")->GetNodeValue(), u"a\nb\nc");
}

TEST(XMLNode, TreeOperationsKeepParentLinks) {
  IXMLDocumentPtr document = NewXMLDocument();
  IXMLElementPtr root = document->CreateElement(u"root");
  IXMLElementPtr a = document->CreateElement(u"a");
  IXMLElementPtr b = document->CreateElement(u"b");
  root->AppendChild(a);
  root->InsertBefore(b, a);
  EXPECT_EQ(root->GetFirstChild(), IXMLNodePtr(b));
  EXPECT_EQ(b->GetNextSibling(), IXMLNodePtr(a));
  EXPECT_EQ(a->GetNextSibling(), nullptr);
  EXPECT_EQ(a->GetParentNode(), IXMLNodePtr(root));

  // Moving a node takes it out of its old list.
  IXMLElementPtr other = document->CreateElement(u"other");
  other->AppendChild(a);
  EXPECT_EQ(root->GetChildNodes()->GetCount(), 1);
  EXPECT_EQ(a->GetParentNode(), IXMLNodePtr(other));

  // Under itself or a descendant: refused.
  root->AppendChild(other);
  EXPECT_EQ(DomCodeOf([&] { a->AppendChild(root); }), HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(DomCodeOf([&] { root->AppendChild(root); }), HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(DomCodeOf([&] { root->AppendChild(document->CreateAttribute(u"x")); }), HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(DomCodeOf([&] { root->InsertBefore(document->CreateElement(u"n"), a); }), NOT_FOUND_ERR);

  EXPECT_EQ(root->RemoveChild(a), nullptr);
  EXPECT_EQ(root->ReplaceChild(document->CreateElement(u"n"), a), nullptr);
  IXMLElementPtr replacement = document->CreateElement(u"r");
  EXPECT_EQ(root->ReplaceChild(replacement, b), IXMLNodePtr(b));
  EXPECT_EQ(b->GetParentNode(), nullptr);
  EXPECT_EQ(root->GetFirstChild(), IXMLNodePtr(replacement));

  IXMLNodeListPtr children = root->GetChildNodes();
  EXPECT_EQ(children->GetItem(-1), nullptr);
  EXPECT_EQ(children->GetItem(children->GetCount()), nullptr);
  EXPECT_THROW(children->Delete(5), EXMLException);
  EXPECT_THROW(children->GetNode(u"none"), EXMLException);
}

TEST(XMLNode, NodesOutliveTheirDocument) {
  IXMLNodePtr kept;
  IXMLNodePtr detached;
  {
    IXMLDocumentPtr document = Parse("<r><a x='1'><b/></a></r>");
    kept = document->SelectSingleNode(u"/r/a");
    detached = document->CreateElement(u"loose");
  }
  EXPECT_EQ(kept->GetOwnerDocument(), nullptr);
  EXPECT_EQ(kept->GetParentNode(), nullptr);
  EXPECT_EQ(kept->GetAttribute(u"x"), u"1");
  EXPECT_EQ(kept->GetXML(), u"<a x=\"1\"><b/></a>");
  EXPECT_EQ(detached->GetOwnerDocument(), nullptr);
  kept->AppendChild(detached);

  // A list held after its node is gone keeps its nodes, without parent.
  IXMLNodeListPtr list;
  {
    IXMLDocumentPtr document = Parse("<r><a/></r>");
    list = document->GetDocumentElement()->GetChildNodes();
  }
  ASSERT_EQ(list->GetCount(), 1);
  EXPECT_EQ(list->GetItem(0)->GetParentNode(), nullptr);
}

TEST(XMLNode, DeepCopiesReproduceEachChildOnce) {
  IXMLDocumentPtr document = Parse("<r a='1'>text<b>x</b><!--c--></r>");
  IXMLNodePtr root = document->GetDocumentElement();
  IXMLNodePtr deep = root->CloneNode(true);
  EXPECT_EQ(deep->GetXML(), root->GetXML());
  EXPECT_EQ(deep->GetParentNode(), nullptr);
  IXMLNodePtr shallow = root->CloneNode(false);
  EXPECT_EQ(shallow->GetXML(), u"<r a=\"1\"/>");
  IXMLNodePtr free = root->CloneNodeTo(nullptr, true);
  EXPECT_EQ(free->GetOwnerDocument(), nullptr);
  EXPECT_EQ(free->GetXML(), root->GetXML());
}

TEST(XMLNode, ElementsByTagNameInDocumentOrder) {
  IXMLDocumentPtr document = Parse("<item><item id='1'><item id='2'/></item><x><item id='3'/></x></item>");
  IXMLNodeListPtr items = document->GetElementsByTagName(u"ITEM");
  ASSERT_EQ(items->GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(items->GetItem(i)->GetAttribute(u"id"), U16(std::to_string(i + 1)));
  IntfPtr<IXMLNodeListEnumerator> e = items->GetEnumerator();
  int count = 0;
  while (e->MoveNext()) count += e->GetCurrent() ? 1 : 0;
  EXPECT_EQ(count, 3);
}

}  // namespace

#include "program/core/FSxmldomNodes.h"

namespace {

class TSkinNode : public TXMLElement {
 public:
  using TXMLElement::TXMLElement;
};
class TItemNode : public TXMLElement {
 public:
  using TXMLElement::TXMLElement;
  WideString Caption() { return GetAttribute(u"caption"); }
};
IntfPtr<TXMLNode> MakeSkin(TXMLDocument* owner) { return new TSkinNode(owner, {}); }
IntfPtr<TXMLNode> MakeItem(TXMLDocument* owner) { return new TItemNode(owner, {}); }

TEST(XMLBinding, RegisteredChildrenComeBackAsTheirClass) {
  IXMLNodePtr item;
  {
    IXMLDocumentPtr document = Parse("<Skin><Item caption='a'><Part/></Item><Other/></Skin>");
    IXMLNodePtr skin = document->GetDocBinding(u"Skin", MakeSkin);
    ASSERT_NE(dynamic_cast<TSkinNode*>(skin.get()), nullptr);
    EXPECT_EQ(skin->GetNodeName(), u"Skin");
    EXPECT_TRUE(skin->GetSourceNode());
    EXPECT_EQ(skin->GetParentNode(), IXMLNodePtr(document));

    XMLNodeOf(skin)->RegisterChildNode(u"Item", MakeItem);
    IXMLNodeListPtr children = skin->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 2);
    auto* typed = dynamic_cast<TItemNode*>(children->GetItem(0).get());
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->Caption(), u"a");
    EXPECT_EQ(typed->GetChildNodes()->GetCount(), 1);
    EXPECT_EQ(dynamic_cast<TItemNode*>(children->GetItem(1).get()), nullptr);
    EXPECT_EQ(skin->GetXML(), u"<Skin><Item caption=\"a\"><Part/></Item><Other/></Skin>");
    item = children->GetItem(0);

    XMLNodeOf(skin)->RegisterChildNode(u"Item", nullptr);
    EXPECT_THROW(XMLNodeOf(skin)->RegisterChildNodes({u"a", u"b"}, {MakeItem}), EXMLException);
  }
  EXPECT_EQ(item->GetAttribute(u"caption"), u"a");
  EXPECT_EQ(item->GetParentNode(), nullptr);

  IXMLDocumentPtr empty = NewXMLDocument();
  IXMLNodePtr created = empty->GetDocBinding(u"Skin", MakeSkin);
  EXPECT_NE(dynamic_cast<TSkinNode*>(created.get()), nullptr);
  EXPECT_EQ(empty->GetXML(), u"<Skin/>");
}

}  // namespace
