#include "vcl/TypInfo.h"

#include <gtest/gtest.h>

#include "vcl/Component.h"

BRANTWELL_ENUM(TShade, shLight, shMedium, shDark)
using TShades = TSet<TShade>;

namespace {

struct IGreeter {
  virtual ~IGreeter() = default;
  virtual AnsiString Greet() = 0;
};

class TGreeter : public TComponent, public IGreeter {
  BRANTWELL_CLASS(TGreeter, TComponent)
 public:
  using TComponent::TComponent;
  AnsiString Greet() override { return "hello"; }
};

const TTypeInfo* ColourType() { return IntegerTypeInfo("TTestColour"); }

// One property of every kind.
class TKinds : public TComponent {
  BRANTWELL_CLASS(TKinds, TComponent)
 public:
  using TComponent::TComponent;
  int32_t FCount = 3;
  int32_t FColour = 0;
  char FLetter = 'a';
  char16_t FWideLetter = u'b';
  TShade FShade = shLight;
  bool FFlag = false;
  double FRatio = 0;
  TShades FShades;
  AnsiString FText;
  WideString FWideText;
  TComponent* FBuddy = nullptr;
  TNotifyEvent FOnPing;
  Variant FData;
  Int64 FBig = 0;
  IGreeter* FGreeter = nullptr;
  int pings = 0;

  int32_t GetCount() const { return FCount; }
  void SetCount(int32_t value) { FCount = value * 1; }
  bool IsRatioStored() const { return FRatio != 1.5; }
  void Ping(TObject*) { ++pings; }

  static void DescribeClass(TClassBuilder<TKinds>& c) {
    c.Property("Count", &TKinds::GetCount, &TKinds::SetCount).Default(3);
    c.Property("Colour", &TKinds::FColour).Type(ColourType());
    c.Property("Letter", &TKinds::FLetter);
    c.Property("WideLetter", &TKinds::FWideLetter);
    c.Property("Shade", &TKinds::FShade).Default(shLight);
    c.Property("Flag", &TKinds::FFlag).Default(false);
    c.Property("Ratio", &TKinds::FRatio).Stored(&TKinds::IsRatioStored);
    c.Property("Shades", &TKinds::FShades);
    c.Property("Text", &TKinds::FText);
    c.Property("WideText", &TKinds::FWideText);
    c.Property("Buddy", &TKinds::FBuddy);
    c.Property("OnPing", &TKinds::FOnPing);
    c.Property("Data", &TKinds::FData);
    c.Property("Big", &TKinds::FBig);
    c.Property("Greeter", &TKinds::FGreeter);
    c.Property("Total", &TKinds::GetCount);  // read-only
    c.Method("Ping", &TKinds::Ping);
  }
};

TEST(TypInfo, EveryKindHasItsKind) {
  struct Case { const char* name; TTypeKind kind; };
  const Case cases[] = {
      {"Count", tkInteger}, {"Colour", tkInteger}, {"Letter", tkChar}, {"WideLetter", tkWChar},
      {"Shade", tkEnumeration}, {"Flag", tkEnumeration}, {"Ratio", tkFloat}, {"Shades", tkSet},
      {"Text", tkLString}, {"WideText", tkWString}, {"Buddy", tkClass}, {"OnPing", tkMethod},
      {"Data", tkVariant}, {"Big", tkInt64}, {"Greeter", tkInterface}, {"Tag", tkInt64},
      {"Name", tkLString}};
  for (const auto& c : cases) {
    const TPropInfo* prop = GetPropInfo(TKinds::StaticClass(), c.name);
    ASSERT_NE(prop, nullptr) << c.name;
    EXPECT_EQ(prop->Kind(), c.kind) << c.name;
  }
  EXPECT_EQ(GetPropInfo(TKinds::StaticClass(), "count"), GetPropInfo(TKinds::StaticClass(), "COUNT"));
  EXPECT_EQ(GetPropInfo(TKinds::StaticClass(), "Missing"), nullptr);
  EXPECT_EQ(GetPropInfo(TKinds::StaticClass(), "Colour")->PropType()->Name, "TTestColour");
}

TEST(TypInfo, PropListPutsInheritedPropertiesFirst) {
  auto list = GetPropList(TKinds::StaticClass());
  ASSERT_GE(list.size(), 3u);
  EXPECT_EQ(list[0]->Name, "Name");
  EXPECT_EQ(list[1]->Name, "Tag");
  EXPECT_EQ(list[2]->Name, "Count");
}

TEST(TypInfo, ReadsAndWritesEveryKind) {
  TKinds k(nullptr);
  TGreeter greeter(nullptr);
  SetOrdProp(&k, "Count", 7);
  EXPECT_EQ(k.FCount, 7);
  SetOrdProp(&k, "Letter", 'z');
  EXPECT_EQ(k.FLetter, 'z');
  SetEnumProp(&k, "Shade", "shDark");
  EXPECT_EQ(k.FShade, shDark);
  EXPECT_EQ(GetEnumProp(&k, "Shade"), "shDark");
  SetEnumProp(&k, "Flag", "true");
  EXPECT_TRUE(k.FFlag);
  SetSetProp(&k, "Shades", " [shLight,\tshDark ]");
  EXPECT_EQ(k.FShades, (TShades{shLight, shDark}));
  EXPECT_EQ(GetSetProp(&k, "Shades", true), "[shLight,shDark]");
  SetFloatProp(&k, GetPropInfo(&k, "Ratio"), 2.25);
  EXPECT_EQ(GetFloatProp(&k, "Ratio"), 2.25);
  SetStrProp(&k, "Text", "caf\xc3\xa9");
  EXPECT_EQ(GetWideStrProp(&k, "Text"), u"caf\u00e9");
  SetStrProp(&k, "WideText", "\xe2\x82\xac");
  EXPECT_EQ(k.FWideText, u"\u20ac");
  SetInt64Prop(&k, GetPropInfo(&k, "Big"), INT64_C(1) << 40);
  EXPECT_EQ(GetInt64Prop(&k, "Big"), INT64_C(1) << 40);
  SetObjectProp(&k, "Buddy", &greeter);
  EXPECT_EQ(GetObjectProp(&k, "Buddy"), &greeter);
  SetObjectProp(&k, "Greeter", &greeter);
  ASSERT_NE(k.FGreeter, nullptr);
  EXPECT_EQ(k.FGreeter->Greet(), "hello");
  EXPECT_EQ(GetObjectProp(&k, "Greeter"), &greeter);
  SetObjectProp(&k, "Greeter", &k);  // no such interface: nil
  EXPECT_EQ(k.FGreeter, nullptr);
  SetVariantProp(&k, GetPropInfo(&k, "Data"), Variant(AnsiString("v")));
  EXPECT_EQ(k.FData, Variant(AnsiString("v")));

  const TMethodEntry* ping = k.MethodAddress("ping");
  ASSERT_NE(ping, nullptr);
  SetMethodProp(&k, "OnPing", TMethod{ping, &k});
  ASSERT_TRUE(static_cast<bool>(k.FOnPing));
  k.FOnPing(&k);
  EXPECT_EQ(k.pings, 1);
  EXPECT_EQ(GetMethodProp(&k, "OnPing").Code, ping);
  EXPECT_EQ(k.MethodName(GetMethodProp(&k, "OnPing").Code), "Ping");
  // An event bound in code to a published method knows its name too.
  k.FOnPing = TNotifyEvent(&k, &TKinds::Ping);
  EXPECT_EQ(GetMethodProp(&k, "OnPing").Code, ping);
}

TEST(TypInfo, ErrorsLeaveTheValueAlone) {
  TKinds k(nullptr);
  TPersistent plain;
  k.FShade = shMedium;
  EXPECT_THROW(SetEnumProp(&k, "Shade", "shPurple"), EPropertyConvertError);
  EXPECT_EQ(k.FShade, shMedium);
  k.FShades = {shMedium};
  EXPECT_THROW(SetSetProp(&k, "Shades", "shLight,shPurple"), EPropertyConvertError);
  EXPECT_EQ(k.FShades, TShades{shMedium});
  EXPECT_THROW(SetOrdProp(&k, "Total", 1), EPropertyError);
  EXPECT_THROW(GetOrdProp(&k, "Nope"), EPropertyError);
  try {
    GetOrdProp(&k, "Nope");
  } catch (const EPropertyError& e) {
    EXPECT_STREQ(e.what(), "Property Nope does not exist");
  }
  EXPECT_THROW(SetObjectProp(&k, "Buddy", &plain), EInvalidCast);
}

TEST(TypInfo, StoredConditionsAndDefaults) {
  TKinds k(nullptr);
  const TPropInfo* ratio = GetPropInfo(&k, "Ratio");
  k.FRatio = 1.5;
  EXPECT_FALSE(IsStoredProp(&k, ratio));
  k.FRatio = 2;
  EXPECT_TRUE(IsStoredProp(&k, ratio));
  EXPECT_FALSE(IsStoredProp(&k, GetPropInfo(&k, "Name")));
  EXPECT_EQ(GetPropInfo(&k, "Count")->Default, 3);
  EXPECT_EQ(GetPropInfo(&k, "Text")->Default, NoDefault);
}

TEST(TypInfo, IdentifierConvertersByType) {
  RegisterIntegerConsts(
      ColourType(),
      [](std::string_view ident, Int64& value) {
        if (ident != "clRed") return false;
        value = 0xFF;
        return true;
      },
      [](Int64 value, AnsiString& ident) {
        if (value != 0xFF) return false;
        ident = "clRed";
        return true;
      });
  Int64 value = 0;
  ASSERT_TRUE(FindIdentToInt(GetPropInfo(TKinds::StaticClass(), "Colour")->PropType()));
  EXPECT_TRUE(FindIdentToInt(ColourType())("clRed", value));
  EXPECT_EQ(value, 0xFF);
  EXPECT_FALSE(FindIdentToInt(GetPropInfo(TKinds::StaticClass(), "Count")->PropType()));
}

}  // namespace
