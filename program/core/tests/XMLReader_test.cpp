#include "program/core/XMLReader.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "XMLFormTestClasses.h"
#include "program/core/XMLFormValues.h"

using namespace formtest;

namespace {

// Reads one form file with the given root body into a fresh root.
struct ReadOnce {
  explicit ReadOnce(const std::string& body) {
    RegisterClasses({TValueProbe::StaticClass()});
    folder.Write("f.xfm", "<xform>" + body + "</xform>");
    TXMLReader reader;
    if (reader.LoadFromFile(folder.WPath("f.xfm"))) reader.ReadRootComponent(&root);
  }
  TestFolder folder;
  TTestRoot root{nullptr};
};

TEST(XMLReader, DefinedPropertyValueTypes) {
  struct Case {
    const char* element;
    const char* seen;
  };
  const std::vector<Case> cases = {
      {R"(<Value ValueType="Integer"> 7 </Value>)", "int 7"},
      {R"(<Value ValueType="integer">-70000</Value>)", "int -70000"},
      {R"(<Value ValueType="Int64">9000000000</Value>)", "int64 9000000000"},
      {R"(<Value ValueType="String">Grüße</Value>)", "text Grüße"},
      {R"(<Value ValueType="Ident">clRed</Value>)", "ident clRed"},
      {R"(<Value ValueType="Boolean">true</Value>)", "bool True"},
      {R"(<Value ValueType="Double">2.25</Value>)", "float 2.25"},
      {R"(<Value ValueType="Currency">12.5</Value>)", "currency 12.5"},
      {R"(<Value ValueType="Date">12/31/2004</Value>)", "date 2004-12-31"},
      {R"(<Value ValueType="Set">[akLeft, akTop]</Value>)", "set akLeft akTop"},
      {R"(<Value ValueType="Binary">4142 43</Value>)", "binary ABC"},
      {R"(<Value ValueType="nil">x</Value>)", "nil"},
      {R"(<Value ValueType="Collection">x</Value>)", "collection"},
      {"<Value ValueType=\"List\">a\r\nb\nc\n</Value>", "list [text a] [text b] [text c]"},
      {R"(<Value ValueType="List" DataType="Integer"><I>1</I><I>300</I></Value>)", "list [int 1] [int 300]"},
      {R"(<Value ValueType="List" DataType="Unknown"><I>x</I></Value>)", "list [text x]"},
      {R"(<Value ValueType="Null">7</Value>)", "(none)"},
      {R"(<Value ValueType="Whatever">7</Value>)", "(none)"},
      {R"(<Value>7</Value>)", "(none)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    ReadOnce read(std::string(R"(<TTestRoot><TValueProbe Name="P">)") + c.element + "</TValueProbe></TTestRoot>");
    auto* probe = dynamic_cast<TValueProbe*>(read.root.FindComponent("P"));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->FSeen, c.seen);
  }
}

TEST(XMLReader, DefinedPropertyBadValuesRaise) {
  for (const char* element : {R"(<Value ValueType="Integer">seven</Value>)",
                              R"(<Value ValueType="Date">31.12.2004</Value>)",
                              R"(<Value ValueType="Boolean">Perhaps</Value>)"}) {
    SCOPED_TRACE(element);
    EXPECT_THROW(ReadOnce(std::string(R"(<TTestRoot><TValueProbe Name="P">)") + element +
                          "</TValueProbe></TTestRoot>"),
                 Exception);
  }
}

TEST(XMLReader, DefinedPropertyFoundAfterOtherElements) {
  // The defined property comes after an object-valued element and a child component.
  ReadOnce read(R"(<TTestRoot><TValueProbe Name="P">
      <Ignored ClassName="" />
      <TValueProbe Name="Q"/>
      <Blob>00ff 41 4</Blob>
      <Value ValueType="String">late</Value>
    </TValueProbe></TTestRoot>)");
  auto* probe = dynamic_cast<TValueProbe*>(read.root.FindComponent("P"));
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->FSeen, "text late");
  EXPECT_EQ(probe->FBlob, std::string("\x00\xff\x41", 3));
  EXPECT_NE(read.root.FindComponent("Q"), nullptr);
}

TEST(XMLReader, HexadecimalText) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {u"", ""},
      {u"00FFa0", std::string("\x00\xff\xa0", 3)},
      {u"41\r\n 42\t43", "ABC"},
      {u"41\u4e0042", "AB"},       // above 255: skipped between pairs
      {u"4142zz43", "AB"},         // another character stops
      {u"41g2", "A"},              // a pair cut by one stops too
      {u"414", "A"},               // a lone digit at the end
      {u"41 4 2", "A"},            // blanks only between pairs
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUTF8(c.text));
    EXPECT_EQ(core::detail::HexTextToBytes(c.text), c.bytes);
  }
}

TEST(XMLReader, LoadingListsNest) {
  TTestRoot a(nullptr), b(nullptr);
  a.SetName("A");
  b.SetName("B");
  Journal().clear();
  BeginGlobalLoading();
  GlobalLoadingList()->push_back(&a);
  BeginGlobalLoading();
  GlobalLoadingList()->push_back(&b);
  NotifyGlobalLoading();
  EndGlobalLoading();
  ASSERT_NE(GlobalLoadingList(), nullptr);
  EXPECT_EQ(GlobalLoadingList()->size(), 1u);
  NotifyGlobalLoading();
  EndGlobalLoading();
  EXPECT_EQ(GlobalLoadingList(), nullptr);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"Loaded B", "Loaded A"}));
}

}  // namespace
