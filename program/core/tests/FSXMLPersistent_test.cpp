#include "program/core/FSXMLPersistent.h"

#include <gtest/gtest.h>

#include <memory>

#include "TestFolder.h"
#include "XMLFormTestClasses.h"
#include "program/core/XMLReader.h"
#include "vcl/Fixups.h"

using namespace formtest;

namespace {

class XMLFormFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterFindGlobalComponentProc(&TTestRoot::FindRoot);
    RegisterClasses({TTestService::StaticClass(), TValueProbe::StaticClass()});
    Journal().clear();
  }
  void TearDown() override {
    UnRegisterFindGlobalComponentProc(&TTestRoot::FindRoot);
    EXPECT_EQ(GlobalLoadingList(), nullptr);
  }

  // Writes <name>.xfm with the given content inside <xform>.
  void WriteForm(const std::string& className, const std::string& body) {
    folder.Write(className + ".xfm", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xform>\n" + body +
                                         "\n</xform>\n");
  }
  bool Init(TComponent* form, AnsiString& fileName) {
    return InitInheritedXMLComponent(form, TTestRoot::StaticClass(), folder.Root(), fileName);
  }

  TestFolder folder;
};

const char* const kAllKinds = R"(
  <TTestFormB Name="MainWin" Count="12" Colour="clTeal" Letter="Qx" WideLetter="Жz"
      Align="alClient" Visible="True" Ratio="2.5" Caption="Hello" WideCaption="Grüße"
      Anchors=" [akLeft,
 akTop ]" Partner="Owner->Button2" Service="Service1" OnShow="FormShow" Extra="free text"
      Big="9000000000" Font.Size="14">
    <Font ClassName="TTestFont" Name="Serif"/>
    <Items ClassName="TOwnedCollection">
      <Item Title="one" Width="10"><Note ValueType="String">first note</Note></Item>
      <Item Title="two" Width="20"/>
    </Items>
    <TTestWidget Name="Button1" Caption="OK" Target="Button2" OnClick="ButtonClick">
      <Lines ClassName="TStringList"><Strings>alpha
beta</Strings></Lines>
    </TTestWidget>
    <TTestWidget Name="Panel1">
      <TTestWidget Name="Button3" Target="Panel1"/>
    </TTestWidget>
    <TTestWidget Name="Button2" Target="">
      <Caption ValueType="String">Later</Caption>
      <Ignored Whatever="1"/>
    </TTestWidget>
    <TTestService Name="Service1"/>
  </TTestFormB>)";

TEST_F(XMLFormFiles, ReadsEveryKindOfValueReferenceAndHandler) {
  WriteForm("TTestFormB", kAllKinds);
  TTestFormB form(nullptr);
  AnsiString fileName;
  ASSERT_TRUE(Init(&form, fileName));
  EXPECT_EQ(fileName, folder.Path("TTestFormB.xfm"));

  EXPECT_EQ(form.Name(), "MainWin");
  EXPECT_EQ(form.FCount, 12);
  EXPECT_EQ(form.FColour, 0x808000);
  EXPECT_EQ(form.FLetter, 'Q');
  EXPECT_EQ(form.FWideLetter, u'Ж');
  EXPECT_EQ(form.FAlign, alClient);
  EXPECT_TRUE(form.FVisible);
  EXPECT_DOUBLE_EQ(form.FRatio, 2.5);
  EXPECT_EQ(form.FCaption, "Hello");
  EXPECT_EQ(form.FWideCaption, u"Grüße");
  EXPECT_EQ(form.FAnchors, (TFormTestAnchors{akLeft, akTop}));
  EXPECT_EQ(form.FExtra, Variant(WideString(u"free text")));
  EXPECT_EQ(form.FBig, 9000000000LL);
  EXPECT_EQ(form.FFont.FName, "Serif");
  EXPECT_EQ(form.FFont.FSize, 14);

  ASSERT_EQ(form.FItems->Count(), 2);
  auto* first = static_cast<TTestItem*>(form.FItems->Items(0));
  auto* second = static_cast<TTestItem*>(form.FItems->Items(1));
  EXPECT_EQ(first->FTitle, "one");
  EXPECT_EQ(first->FWidth, 10);
  EXPECT_EQ(first->FNote, "first note");
  EXPECT_EQ(second->FTitle, "two");
  EXPECT_EQ(second->FNote, "");

  // Components: a field class needs no registration; all are owned by the form; parents
  // follow the nesting.
  ASSERT_NE(form.Button1, nullptr);
  auto* button2 = dynamic_cast<TTestWidget*>(form.FindComponent("Button2"));
  auto* button3 = dynamic_cast<TTestWidget*>(form.FindComponent("Button3"));
  auto* panel = dynamic_cast<TTestWidget*>(form.FindComponent("Panel1"));
  auto* service = dynamic_cast<TTestService*>(form.FindComponent("Service1"));
  ASSERT_TRUE(button2 && button3 && panel && service);
  EXPECT_EQ(form.ComponentCount(), 5);
  EXPECT_EQ(button3->FParentSeen, panel);
  EXPECT_EQ(form.Button1->FParentSeen, &form);
  EXPECT_EQ(form.Button1->FCaption, "OK");
  EXPECT_EQ(button2->FCaption, "Later");
  EXPECT_EQ(form.Button1->FLines->Count(), 2);
  EXPECT_EQ(form.Button1->FLines->Strings(1), "beta");

  // References, also to a component read later, and the empty one.
  EXPECT_EQ(form.Button1->FTarget, button2);
  EXPECT_EQ(button3->FTarget, panel);
  EXPECT_EQ(button2->FTarget, nullptr);
  EXPECT_EQ(form.FPartner, button2);
  ASSERT_NE(form.FService, nullptr);
  EXPECT_EQ(form.FService->Answer(), 42);

  // Handlers are the form's published methods.
  ASSERT_TRUE(form.FOnShow);
  form.FOnShow(&form);
  EXPECT_EQ(form.FShown, 1);
  ASSERT_TRUE(form.Button1->FOnClick);
  EXPECT_EQ(form.Button1->FOnClick.Method().Code->Name, "ButtonClick");
  form.Button1->FOnClick(form.Button1);
  EXPECT_EQ(form.FClickedBy, form.Button1);

  for (int i = 0; i < form.ComponentCount(); ++i)
    EXPECT_FALSE(form.Components(i)->ComponentState().Contains(csLoading));
  EXPECT_FALSE(form.ComponentState().Contains(csLoading));
  EXPECT_FALSE(form.ComponentState().Contains(csReading));
}

TEST_F(XMLFormFiles, HooksRunInOrderAndTwoLevelsLoadOnce) {
  WriteForm("TTestFormA", R"(<TTestFormA Name="Win">
      <TTestWidget Name="Button1" Caption="A"/>
    </TTestFormA>)");
  WriteForm("TTestFormB", R"(<TTestFormB Name="Win" Caption="B">
      <TTestWidget Name="Panel1" Caption="P"><TTestWidget Name="Inner" Caption="I"/></TTestWidget>
    </TTestFormB>)");
  TTestFormB form(nullptr);
  AnsiString fileName;
  ASSERT_TRUE(Init(&form, fileName));
  std::vector<std::string> expected = {
      "ReadState Win",
      "ReadState Button1 parent=Win",
      "DefineProperties Button1 caption=A",  // after the published properties
      "ReadState done Button1",
      "ReadState done Win",
      "ReadState Win",
      "ReadState Panel1 parent=Win",
      "DefineProperties Panel1 caption=P",
      "ReadState Inner parent=Panel1",
      "DefineProperties Inner caption=I",
      "ReadState done Inner",
      "ReadState done Panel1",
      "ReadState done Win",
      // One Loaded each, after the last level, in reading order.
      "Loaded Win",
      "Loaded Button1",
      "Loaded Inner",
      "Loaded Panel1",
  };
  EXPECT_EQ(Journal(), expected);
  EXPECT_EQ(form.FCaption, "B");
}

TEST_F(XMLFormFiles, ClassLevelsAndDocumentElements) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // class name, whole file
    bool read;
    const char* caption;
  };
  const std::string formB = "<xform><TTestFormB Caption=\"b\"/></xform>";
  const std::string formA = "<xform><TTestFormA Caption=\"a\"/></xform>";
  const std::vector<Case> cases = {
      {"only the own level", {{"TTestFormB", formB}}, true, "b"},
      {"only the ancestor level", {{"TTestFormA", formA}}, true, "a"},
      {"both, own level last", {{"TTestFormA", formA}, {"TTestFormB", formB}}, true, "b"},
      {"no file", {}, false, ""},
      {"upper-case document element", {{"TTestFormB", "<XFORM><TTestFormB Caption=\"u\"/></XFORM>"}}, true, "u"},
      {"other document element", {{"TTestFormB", "<form><TTestFormB Caption=\"x\"/></form>"}}, false, ""},
      {"xform without element", {{"TTestFormB", "<xform>text</xform>"}}, false, ""},
      {"not XML", {{"TTestFormB", "this is not xml"}}, false, ""},
      {"first element only", {{"TTestFormB", "<xform><!-- c --><TTestFormB Caption=\"1\"/><TTestFormB Caption=\"2\"/></xform>"}}, true, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFolder caseFolder;
    for (const auto& [cls, text] : c.files) caseFolder.Write(cls + ".xfm", text);
    TTestFormB form(nullptr);
    AnsiString fileName = "untouched";
    bool read = InitInheritedXMLComponent(&form, TTestRoot::StaticClass(), caseFolder.Root() + "/", fileName);
    EXPECT_EQ(read, c.read);
    EXPECT_EQ(fileName, c.read ? caseFolder.Path("TTestFormB.xfm") : "untouched");
    EXPECT_EQ(form.FCaption, c.caption);
  }
}

TEST_F(XMLFormFiles, FormElementNameDoesNotRenameTwiceAndStaysUnique) {
  TTestFormB other(nullptr);
  other.SetName("Shared");
  WriteForm("TTestFormB", R"(<TTestFormB Name="Shared"/>)");
  TTestFormB form(nullptr);
  AnsiString fileName;
  ASSERT_TRUE(Init(&form, fileName));
  EXPECT_EQ(form.Name(), "Shared_1");
  ASSERT_TRUE(Init(&form, fileName));  // read again: its own name is no clash
  EXPECT_EQ(form.Name(), "Shared_1");
}

TEST_F(XMLFormFiles, UnknownEnumerationIdentifierLeavesThePropertyAlone) {
  WriteForm("TTestFormB", R"(<TTestFormB Align="alSideways" Visible="Maybe" Count="3"/>)");
  TTestFormB form(nullptr);
  form.FAlign = alTop;
  form.FVisible = true;
  AnsiString fileName;
  ASSERT_TRUE(Init(&form, fileName));
  EXPECT_EQ(form.FAlign, alTop);
  EXPECT_TRUE(form.FVisible);
  EXPECT_EQ(form.FCount, 3);
}

TEST_F(XMLFormFiles, BadFilesRaiseAndLeaveNothingBehind) {
  struct Case {
    const char* name;
    std::string attributes;
    std::string children;
    std::string message;  // empty: a conversion error
  };
  const std::vector<Case> cases = {
      {"unknown class", "", R"(<TNoSuchWidget Name="X"/>)", "Class TNoSuchWidget not found"},
      {"class that is no component", "", R"(<TTestFont Name="X"/>)", "Class TTestFont not found"},
      {"unknown path part", R"(Nope.Size="1")", "", "Property Nope does not exist"},
      {"path through a plain value", R"(Count.Size="1")", "", "Invalid property path"},
      {"unknown sub-object", "", R"(<Nope ClassName="TTestFont"/>)", "Property Nope does not exist"},
      {"sub-object of a plain value", "", R"(<Caption ClassName="TTestFont"/>)", "Invalid property path"},
      {"unknown set element", R"(Anchors="[akLeft, akMiddle]")", "", "Invalid property value"},
      {"unknown handler", R"(OnShow="NoSuchMethod")", "", "Invalid property value"},
      {"empty handler", R"(OnShow="")", "", "Invalid property value"},
      {"handler of another shape", R"(OnShow="WrongShape")", "", "Invalid property value"},
      {"read-only property", "", R"(<TTestWidget Name="W" Fixed="x"/>)", "Property is read-only"},
      {"not an integer", R"(Count="twelve")", "", ""},
      {"not a number", R"(Ratio="2.5.5")", "", ""},
      {"duplicate name", "", R"(<TTestWidget Name="W"/><TTestWidget Name="w"/>)",
       "A component named w already exists"},
  };
  // The ancestor level reads fine and leaves a cross-form reference pending; the failing
  // level carries references of its own, read before the error. None may survive.
  WriteForm("TTestFormA", R"(<TTestFormA Partner="Elsewhere.Thing"/>)");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteForm("TTestFormB", "<TTestFormB Caption=\"x\" " + c.attributes + R"(>
        <TTestWidget Name="Before"><TTestWidget Name="Nested" Target="Elsewhere.Other"/></TTestWidget>)" +
                                c.children + "</TTestFormB>");
    int pending = GlobalFixupCount();
    TTestFormB form(nullptr);
    AnsiString fileName;
    try {
      Init(&form, fileName);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_TRUE(c.message.empty()) << e.Message();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(GlobalFixupCount(), pending);
    EXPECT_FALSE(form.ComponentState().Contains(csReading));
    EXPECT_EQ(form.FPartner, nullptr);
    // The component that failed is freed; the ones read before it belong to the window.
    if (c.message == "Property is read-only") {
      EXPECT_EQ(form.FindComponent("W"), nullptr);
    }
  }
}

TEST_F(XMLFormFiles, CrossFormReferencesWaitForTheirForm) {
  WriteForm("TTestFormA", R"(<TTestFormA Name="Viewer" Partner="Library.Shelf">
      <TTestWidget Name="Button1" Target="Library.Shelf"/></TTestFormA>)");
  auto viewer = std::make_unique<TTestFormA>(nullptr);
  AnsiString fileName;
  int pending = GlobalFixupCount();
  ASSERT_TRUE(Init(viewer.get(), fileName));
  EXPECT_EQ(GlobalFixupCount(), pending + 2);
  EXPECT_TRUE(viewer->ComponentState().Contains(csFixups));

  // The partner gets a value meanwhile: that reference is dropped when the form appears.
  TTestWidget stand(nullptr);
  viewer->FPartner = &stand;

  WriteForm("TTestFormB", R"(<TTestFormB Name="Library"><TTestWidget Name="Shelf"/></TTestFormB>)");
  TTestFormB library(nullptr);
  ASSERT_TRUE(Init(&library, fileName));
  EXPECT_EQ(viewer->Button1->FTarget, library.FindComponent("Shelf"));
  EXPECT_EQ(viewer->FPartner, &stand);
  EXPECT_EQ(GlobalFixupCount(), pending);
  EXPECT_FALSE(viewer->ComponentState().Contains(csFixups));

  // A form destroyed with references still pending leaves none behind.
  WriteForm("TTestFormA", R"(<TTestFormA Name="Viewer2"><TTestWidget Name="Button1" Target="Missing.Thing"/></TTestFormA>)");
  auto second = std::make_unique<TTestFormA>(nullptr);
  ASSERT_TRUE(Init(second.get(), fileName));
  EXPECT_EQ(GlobalFixupCount(), pending + 1);
  second.reset();
  EXPECT_EQ(GlobalFixupCount(), pending);
}

TEST_F(XMLFormFiles, WindowWithoutFormFileIsAnError) {
  // The program folder of the tests holds no form file of the test classes.
  TTestFormB form(nullptr);
  try {
    LoadXMLFormDesign(&form, TTestRoot::StaticClass());
    ADD_FAILURE() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TTestFormB not found");
  }
}

}  // namespace
