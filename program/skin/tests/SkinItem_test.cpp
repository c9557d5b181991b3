#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "program/skin/SkinSlice.h"

using namespace skin_test;

namespace {

using SkinItemModel = SkinFixture;

// Five image states, each 4 pixels wide; state 1 (hot) is empty when hotEmpty.
std::string FiveStates(bool hotEmpty) {
  std::string states = R"(<State Left="0" Top="0" Width="4" Height="4"/>)";
  states += hotEmpty ? R"(<State Left="4" Top="0" Width="0" Height="0"/>)" : R"(<State Left="4" Top="0" Width="4" Height="4"/>)";
  states += R"(<State Left="8" Top="0" Width="4" Height="4"/><State Left="12" Top="0" Width="4" Height="4"/>
               <State Left="16" Top="0" Width="4" Height="4"/>)";
  return states;
}

TEST_F(SkinItemModel, StateChoiceFollowsTheFlagsWithItsFallbacks) {
  TSkinItem* item = LoadItem("Choice", "Choice",
                             "<Part>" + FiveStates(false) + "</Part><Part>" + FiveStates(true) +
                                 R"(</Part><Part><State Width="4" Height="4"/><State Width="4" Height="4"/></Part><Part/>)");
  ASSERT_NE(item, nullptr);
  TSkinItemPart* full = item->GetPart(0);
  struct Case {
    bool enabled, hot, pressed, focused;
    int expected;
  };
  const Case cases[] = {{true, false, false, false, 0}, {true, true, false, false, 1}, {true, true, true, false, 2},
                        {true, false, true, true, 2},   {false, true, true, true, 3}, {true, false, false, true, 4},
                        {true, true, false, true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.enabled << c.hot << c.pressed << c.focused);
    EXPECT_EQ(full->GetStateEx(c.enabled, c.hot, c.pressed, c.focused), full->GetState(c.expected));
  }
  EXPECT_EQ(full->GetStateFor(true, true, false), full->GetState(1));

  TSkinItemPart* hotEmpty = item->GetPart(1);
  EXPECT_EQ(hotEmpty->GetStateEx(true, true, false, false), hotEmpty->GetState(1))
      << "an enabled control gets the empty state that exists";

  TSkinItemPart* two = item->GetPart(2);
  EXPECT_EQ(two->GetStateEx(true, false, true, false), two->GetState(0)) << "a missing state falls back to 0";
  TSkinItemState* grayed = two->GetStateEx(false, false, false, false);
  ASSERT_NE(grayed, nullptr);
  EXPECT_TRUE(grayed->Grayed);
  EXPECT_EQ(grayed->Rect, two->GetState(0)->Rect);
  EXPECT_EQ(two->GetStateEx(false, true, false, false), grayed) << "made once";
  EXPECT_FALSE(two->GetState(0)->Grayed);

  TSkinItemPart* none = item->GetPart(3);
  EXPECT_EQ(none->GetStateEx(true, false, false, false), nullptr);
  EXPECT_EQ(none->GetStateEx(false, false, false, false), nullptr);
  EXPECT_EQ(none->GetColor(), clNone);
  EXPECT_EQ(none->GetSize(), (TSize{0, 0}));
  EXPECT_EQ(two->GetSize(), (TSize{4, 4}));
}

TEST_F(SkinItemModel, PartLookupMapsLanguages) {
  TSkinItem* item = LoadItem("Map", "Map", R"(<Part id="5"/><Part id="7"/><Part id="8"/>
      <MapList><Map Id="5" LangId="9" Mapto="7"/><Map Id="6" Mapto="7"/><Map Id="8" LangId="0" Mapto="99"/></MapList>)");
  ASSERT_NE(item, nullptr);
  TSkinItemPart* five = item->FindPart(5);
  TSkinItemPart* seven = item->FindPart(7);
  EXPECT_EQ(five->Id, 5) << "language 0 never takes an entry of language 9";
  EXPECT_EQ(item->FindPart(6), seven);
  EXPECT_EQ(item->FindPart(8)->Id, 8) << "a mapped id without a part falls back to the asked id";
  SkinEngine->LanguageId = 9;
  EXPECT_EQ(item->FindPart(5), seven);
  EXPECT_EQ(item->FindPart(6), seven) << "entries of language 0 serve every language";
  SkinEngine->LanguageId = 0;

  TSkinMapList map;
  map.Items = {{5, 7, 9}, {5, 3, 0}};
  EXPECT_EQ(map.MapId(5, 0), 3);
  EXPECT_EQ(map.MapId(5, 9), 7);
  EXPECT_EQ(map.MapId(5, 4), 3);
  EXPECT_EQ(map.MapId(6, 4), 6);

  EXPECT_EQ(item->GetPartStateByIndex(5, 0), nullptr) << "ids at or above the part count are refused";
  EXPECT_EQ(item->GetPartState(42, true, false, false), nullptr);
}

TEST_F(SkinItemModel, InheritanceKeepsOwnPartsAndAlwaysTakesTheBaseImage) {
  WriteSkin("Inh.xml", R"(<Skin>
    <Item name="Base"><Graphic Name="base.png"/>
      <Part><State Width="1" Height="1"/></Part><Part><State Width="2" Height="2"/></Part><Part id="4"><State Width="3" Height="3"/></Part>
    </Item>
    <Item name="Derived" InheritFrom="Base"><Graphic Name="own.png"/>
      <Part><State Width="9" Height="9"/></Part><Part id="1"/>
    </Item></Skin>)");
  UseFolder();
  ASSERT_TRUE(SkinEngine->LoadSkinFile("Inh"));
  TSkinItem* derived = SkinEngine->FindSkinItem("Derived");
  derived->ApplyInheritance(SkinEngine->GetSkinItem(derived->InheritFrom));
  EXPECT_EQ(derived->Graphic.Name, "base.png");
  EXPECT_EQ(derived->FindPart(0)->GetState(0)->GetWidth(), 9) << "its own part";
  EXPECT_EQ(derived->FindPart(1)->GetState(0)->GetWidth(), 2) << "named with an empty element";
  ASSERT_NE(derived->FindPart(4), nullptr) << "not named at all";
  EXPECT_EQ(derived->FindPart(4)->GetState(0)->GetWidth(), 3);
  EXPECT_EQ(derived->FindPart(4)->GetState(0)->Part, derived->FindPart(4));
}

TEST_F(SkinItemModel, CopiesOwnTheirMapListAndSlices) {
  TSkinItem* item = LoadItem("Copy", "Copy", R"(<Part><State Width="2" Height="2"/></Part><Slice Id="s" rect="0,0,2,2"/>
      <MapList><Map Id="1" Mapto="0"/></MapList>)");
  ASSERT_NE(item, nullptr);
  {
    TSkinItem copy(SkinEngine, item->SkinFile, "Copy2");
    copy.Assign(item);
    ASSERT_NE(copy.MapList, nullptr);
    EXPECT_NE(copy.MapList.get(), item->MapList.get());
    EXPECT_EQ(copy.FindPart(1), copy.GetPart(0));
    ASSERT_EQ(copy.Slices->Count(), 1);
    EXPECT_EQ(copy.Slices->Items(0)->Owner, &copy);
    EXPECT_EQ(copy.GetPart(0)->GetState(0)->Part, copy.GetPart(0));
  }
  // The original's list is intact after the copy is gone (it was freed twice when shared).
  EXPECT_EQ(item->MapList->MapId(1, 0), 0);
  EXPECT_EQ(item->FindPart(1), item->GetPart(0));
}

TEST_F(SkinItemModel, RectanglesOutsideTheImageBecomeEmpty) {
  TSkinItem* item = LoadItem("Img", "Img", R"(<Graphic Name="img.bmp"/><Part>
      <State Left="0" Top="0" Width="4" Height="4"/><State Left="2" Top="0" Width="4" Height="4"/>
      <State Left="3" Top="3" Right="1" Bottom="1"/><State Left="-1" Top="0" Width="2" Height="2"/>
      <State Left="0" Top="0" Width="6" Height="4"/></Part>)");
  ASSERT_NE(item, nullptr);
  SkinEngine->AddSharedImage("img.bmp", MakeImage(6, 4, [](int, int) { return 0x00112233u; }));
  struct Case {
    int state;
    TRect expected;
  };
  const Case cases[] = {{0, TRect(0, 0, 4, 4)}, {1, TRect(2, 0, 6, 4)}, {2, TRect(0, 0, 0, 0)},
                        {3, TRect(0, 0, 0, 0)}, {4, TRect(0, 0, 6, 4)}};
  for (const Case& c : cases) {
    TSkinItemState* state = item->GetPart(0)->GetState(c.state);
    ASSERT_NE(state->GetBitmap(), nullptr);
    EXPECT_EQ(state->Rect, c.expected) << "state " << c.state;
  }
  // Opaque parts get their rectangles' alpha made opaque once.
  TBitmap* image = item->GetPart(0)->GetState(0)->GetBitmap();
  EXPECT_EQ(static_cast<uint32_t*>(image->ScanLine(0))[0] >> 24, 255u);
  EXPECT_TRUE(item->GetPart(0)->GetState(2)->IsEmpty());
  // A state past the image's bottom, on an image changed under it, is emptied too.
  TSkinItem* tall = LoadItem("Tall", "Tall", R"(<Graphic Name="img.bmp"/><Part><State Width="2" Height="9"/></Part>)");
  ASSERT_NE(tall->GetPart(0)->GetState(0)->GetBitmap(), nullptr);
  EXPECT_TRUE(tall->GetPart(0)->GetState(0)->IsEmpty());
}

TEST_F(SkinItemModel, ApplyToControlSetsWhatThePartSays) {
  TSkinItem* item = LoadItem("Ctl", "Ctl", R"(<Part Enabled="False" Visible="False" Width="50">
      <Font Color="clRed" Style="bold"/><State Width="1" Height="1"><Color>clYellow</Color></State></Part>
    <Part Enabled="True"><State Width="1" Height="1"/></Part>)");
  ASSERT_NE(item, nullptr);
  TControl control(nullptr);
  control.SetBounds(3, 4, 10, 11);
  item->GetPart(1)->ApplyToControl(&control);
  EXPECT_TRUE(control.Enabled());
  EXPECT_TRUE(control.Visible());
  item->GetPart(0)->ApplyToControl(&control);
  EXPECT_FALSE(control.Enabled());
  EXPECT_FALSE(control.Visible());
  EXPECT_EQ(control.Color(), clYellow);
  EXPECT_EQ(control.Font()->Color(), clRed);
  EXPECT_TRUE(control.Font()->Style().Contains(fsBold));
  EXPECT_EQ(control.BoundsRect(), TRect(3, 4, 53, 15));
}

}  // namespace
