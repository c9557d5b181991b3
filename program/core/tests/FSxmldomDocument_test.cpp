#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "XMLTestHelpers.h"

namespace {

WideString TempFile(const char* name) { return U16(std::string(::testing::TempDir()) + "brantwell_xml_" + name); }

void WriteFile(const WideString& path, const std::string& bytes) {
  std::ofstream(U8(path), std::ios::binary) << bytes;
}

TEST(XMLDocument, LoadXMLFile) {
  EXPECT_EQ(LoadXMLFile(TempFile("none.xml")), nullptr);
  EXPECT_EQ(LoadXMLFile(U16(::testing::TempDir())), nullptr);

  const WideString path = TempFile("bad.xml");
  WriteFile(path, "<root>\r\n<a,/></root>");
  IXMLDocumentPtr document = LoadXMLFile(path);
  ASSERT_TRUE(document);
  EXPECT_EQ(document->GetParseError()->GetErrorCode(), 10);
  EXPECT_EQ(document->GetParseError()->GetLine(), 2);
  EXPECT_EQ(document->GetParseError()->GetURL(), U8(path));
  EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), u"root");

  WriteFile(path, "plain text");
  document = LoadXMLFile(path);
  EXPECT_EQ(document->GetParseError()->GetErrorCode(), 0);
  EXPECT_EQ(document->GetChildNodes()->GetCount(), 1);

  document->SaveToFile(path, ofNone, 65001);
  std::remove(U8(path).c_str());
}

// Form files are named as the program spells their classes, which need not be the case on
// disk; older designs also write "\" between folders.
TEST(XMLDocument, LoadXMLFileFindsTheFileAsTheKernelDoes) {
  const std::string folder = std::string(::testing::TempDir()) + "brantwell_xml_forms";
  ::mkdir(folder.c_str(), 0700);
  const WideString path = U16(folder + "/TMainForm.xfm");
  WriteFile(path, "<TMainForm Caption=\"x\"/>");
  for (const char* name : {"/tmainform.XFM", "\\TMainForm.xfm", "/TMAINFORM.xfm"}) {
    SCOPED_TRACE(name);
    IXMLDocumentPtr document = LoadXMLFile(U16(folder + name));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), u"TMainForm");
  }
  EXPECT_EQ(LoadXMLFile(U16(folder + "/TMainForm2.xfm")), nullptr);
  std::remove(U8(path).c_str());
  ::rmdir(folder.c_str());
}

TEST(XMLDocument, EmptyDocumentGainsAnElementWhenAsked) {
  IXMLDocumentPtr document = LoadXMLString("");
  EXPECT_TRUE(document->IsEmpty());
  IXMLElementPtr element = document->GetDocumentElement();
  EXPECT_EQ(element->GetNodeName(), u"");
  EXPECT_EQ(document->GetChildNodes()->GetCount(), 1);
}

TEST(XMLDocument, Declaration) {
  IXMLDocumentPtr document = Parse("<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>");
  EXPECT_EQ(document->GetEncoding(), u"utf-8");
  EXPECT_EQ(document->GetVersion(), u"1.0");
  EXPECT_EQ(document->GetStandalone(), u"");
  document->SetEncoding(u"utf-16");
  EXPECT_EQ(document->GetChildNodes()->GetCount(), 2);
  EXPECT_EQ(document->GetFirstChild()->GetNodeValue(), u"version=\"1.0\" encoding=\"utf-16\"");

  IXMLDocumentPtr bare = Parse("<a/>");
  bare->SetVersion(u"1.0");
  EXPECT_EQ(bare->GetFirstChild()->GetNodeName(), u"xml");
  EXPECT_EQ(bare->GetFirstChild()->GetNodeValue(), u"version=\"1.0\"");
}

TEST(XMLDocument, DocumentElementAndElementsByTagName) {
  IXMLDocumentPtr document = Parse("<!--c--><a><a/></a>");
  EXPECT_EQ(document->GetElementsByTagName(u"a")->GetCount(), 1);
  IXMLElementPtr replacement = document->CreateElement(u"b");
  document->SetDocumentElement(replacement);
  EXPECT_EQ(document->GetDocumentElement(), replacement);
  EXPECT_EQ(document->GetChildNodes()->GetCount(), 2);
  EXPECT_EQ(replacement->GetOwnerDocument(), document);
}

}  // namespace
