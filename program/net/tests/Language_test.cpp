// The language manager with a resource built here: texts by key, a window's properties by
// name or by class, sub-objects, collections and string lists, the query of scrolling
// containers, and the change messages every control gets.

#include <gtest/gtest.h>

#include "program/net/Language.h"
#include "program/skin/FSSkinEngine.h"
#include "vcl/Application.h"
#include "vcl/Collection.h"
#include "vcl/StringList.h"
#include "vcl/TypInfo.h"

namespace langtest {

class TProbeItem : public TCollectionItem {
  BRANTWELL_CLASS(TProbeItem, TCollectionItem)
 public:
  explicit TProbeItem(TCollection* collection) : TCollectionItem(collection) {}
  AnsiString FText;
  static void DescribeClass(TClassBuilder<TProbeItem>& c) { c.Property("Text", &TProbeItem::FText); }
};

// A control with one property of each kind the resource can set, recording the messages of
// a language change.
class TProbe : public TWinControl {
  BRANTWELL_CLASS(TProbe, TWinControl)
 public:
  explicit TProbe(TComponent* owner) : TWinControl(owner), FItems(std::make_unique<TCollection>(TProbeItem::StaticClass())) {
    FItems->Add();
    FItems->Add();
  }
  AnsiString FCaption;
  WideString FHint;
  int FCount = 0;
  Int64 FBig = 0;
  double FRatio = 1.5;
  TStringList* Lines() const { return FLines.get(); }
  void SetLines(TStringList* value) { FLines->Assign(value); }
  TCollection* Items() const { return FItems.get(); }
  void SetItems(TCollection*) {}
  std::vector<UINT> received;
  LRESULT languageAnswer = 0;
  static void DescribeClass(TClassBuilder<TProbe>& c) {
    c.Property("Caption", &TProbe::FCaption);
    c.Property("WideHint", &TProbe::FHint);
    c.Property("Count", &TProbe::FCount);
    c.Property("Big", &TProbe::FBig);
    c.Property("Ratio", &TProbe::FRatio);
    c.Property("Lines", &TProbe::Lines, &TProbe::SetLines);
    c.Property("Items", &TProbe::Items, &TProbe::SetItems);
  }

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_LANGUAGECHANGED) {
      received.push_back(message.Msg);
      message.Result = languageAnswer;
      return;
    }
    if (message.Msg == CM_SKINCHANGED) received.push_back(message.Msg);
    TWinControl::WndProc(message);
  }

 private:
  std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
  std::unique_ptr<TCollection> FItems;
};

// Stands for the class library's scrolling container, recognised by its class name.
class TScrollingWinControl : public TWinControl {
  BRANTWELL_CLASS(TScrollingWinControl, TWinControl)
 public:
  explicit TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}
  TObject* claim = nullptr;

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_LANGUAGEQUERY) {
      message.Result = reinterpret_cast<TObject*>(message.WParam) == claim ? 1 : 0;
      return;
    }
    TWinControl::WndProc(message);
  }
};

}  // namespace langtest

namespace {

using langtest::TProbe;

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetName("UpdateMainForm");
    form->SetCaption("Live Update");
    probe = new TProbe(form);
    probe->SetName("btnClose");
    probe->SetParent(form);
    other = new TProbe(form);
    other->SetName("lblInformation");
    other->SetParent(form);
  }
  void TearDown() override {
    GetLanguageMgr().SetCurrent(nullptr);
    delete form;
    DoneApplication();
  }
  void Load(const std::string& xml) {
    IXMLDocumentPtr document = LoadXMLString(xml);
    ASSERT_TRUE(document);
    auto resource = std::make_unique<TLanguageResource>(document);
    resource->Identifier = 77;
    GetLanguageMgr().SetCurrent(std::move(resource));
  }
  TForm* form = nullptr;
  TProbe* probe = nullptr;
  TProbe* other = nullptr;
};

TEST_F(LanguageTest, WithoutAResourceEveryTextIsItsDefaultAndApplyingDoesNothing) {
  EXPECT_EQ(LangGetText(u"INF_UpdateVersion", u"Version:"), u"Version:");
  EXPECT_FALSE(LangApplyToForm(form));
  EXPECT_TRUE(probe->received.empty());
}

TEST_F(LanguageTest, TextsComeFromTheStringsOfTheResource) {
  Load("<LanguageResource><Strings><INF_UpdateVersion>Versi\xC3\xB3n:</INF_UpdateVersion><Empty/></Strings>"
       "</LanguageResource>");
  EXPECT_EQ(LangGetText(u"INF_UpdateVersion", u"Version:"), u"Versi\u00F3n:");
  EXPECT_EQ(LangGetText(u"Empty", u"d"), u"");
  EXPECT_EQ(LangGetText(u"Missing", u"Default"), u"Default");
  Load("<LanguageResource/>");
  EXPECT_EQ(LangGetText(u"INF_UpdateVersion", u"Version:"), u"Version:");
}

TEST_F(LanguageTest, AWindowFoundByNameGetsItsPropertiesAndSubObjects) {
  Load(R"(<LanguageResource><Forms><UpdateMainForm Caption="Actualizar" Name="Other">
       <btnClose Caption="Cerrar" Name="x" Count="12" Big="9000000000" WideHint="h&#233;" Ratio="2.5" Unknown="1">
         <Lines>one
two</Lines>
         <Items><i Text="first"/><i Text="second"/><i Text="third"/></Items>
       </btnClose>
       <lblInformation Count="twelve" Caption="Info"/>
       <NoSuchControl Caption="z"/>
     </UpdateMainForm></Forms></LanguageResource>)");
  EXPECT_TRUE(LangApplyToForm(form));
  EXPECT_EQ(form->Caption(), "Actualizar");
  EXPECT_EQ(form->Name(), "UpdateMainForm");  // "Name" is never set
  EXPECT_EQ(probe->Name(), "btnClose");
  EXPECT_EQ(probe->FCaption, "Cerrar");
  EXPECT_EQ(probe->FCount, 12);
  EXPECT_EQ(probe->FBig, 9000000000LL);
  EXPECT_EQ(probe->FHint, u"h\u00E9");
  EXPECT_EQ(probe->FRatio, 1.5);  // floating properties are not the resource's
  EXPECT_EQ(probe->Lines()->Count(), 2);
  EXPECT_EQ(probe->Lines()->Strings(1), "two");
  // Items pair with the elements in order, as many as both have.
  EXPECT_EQ(static_cast<langtest::TProbeItem*>(probe->Items()->Items(0))->FText, "first");
  EXPECT_EQ(static_cast<langtest::TProbeItem*>(probe->Items()->Items(1))->FText, "second");
  EXPECT_EQ(probe->Items()->Count(), 2);
  // A text that is no number skips that property only.
  EXPECT_EQ(other->FCount, 0);
  EXPECT_EQ(other->FCaption, "Info");
}

TEST_F(LanguageTest, AWindowFoundByClassUsesNameAttributes) {
  Load(R"(<LanguageResource><Forms>
       <TForm name="SomeOtherForm" Caption="wrong"/>
       <TForm name="UpdateMainForm" Caption="by class"><TProbe name="btnClose" Caption="by name"/></TForm>
     </Forms></LanguageResource>)");
  EXPECT_TRUE(LangApplyToForm(form));
  EXPECT_EQ(form->Caption(), "by class");
  EXPECT_EQ(probe->FCaption, "by name");
}

TEST_F(LanguageTest, EveryControlHearsOfTheChangeAndAScrollingContainerMayKeepAnObject) {
  auto* box = new langtest::TScrollingWinControl(form);
  box->SetName("Box");
  box->SetParent(form);
  auto* inner = new TProbe(form);
  inner->SetName("inner");
  inner->SetParent(box);
  box->claim = other;
  other->languageAnswer = 1;
  Load(R"(<LanguageResource><Forms><UpdateMainForm>
       <btnClose Caption="a"/><lblInformation Caption="b"/><inner Caption="c"/>
     </UpdateMainForm></Forms></LanguageResource>)");
  EXPECT_TRUE(LangApplyToForm(form));
  EXPECT_EQ(probe->FCaption, "a");
  EXPECT_EQ(other->FCaption, "");  // claimed by the container
  EXPECT_EQ(inner->FCaption, "c");
  EXPECT_EQ(probe->received, (std::vector<UINT>{WM_LANGUAGECHANGED, CM_SKINCHANGED}));
  // A control that answers the change itself is not told to repaint from the skin.
  EXPECT_EQ(other->received, (std::vector<UINT>{WM_LANGUAGECHANGED}));
  EXPECT_EQ(inner->received, (std::vector<UINT>{WM_LANGUAGECHANGED, CM_SKINCHANGED}));
}

}  // namespace
