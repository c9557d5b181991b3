#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "program/skin/SkinSlice.h"
#include "program/skin/SkinReader.h"

using namespace skin_test;

namespace {

using SkinReader = SkinFixture;

TEST_F(SkinReader, PartIdsRunOnFromTheLastPart) {
  TSkinItem* item = LoadItem("Ids", "Ids", R"(<Part id="10"/><Part/><PART ID="$20"/><part/>)");
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->GetPartCount(), 4);
  EXPECT_EQ(item->GetPart(0)->Id, 10);
  EXPECT_EQ(item->GetPart(1)->Id, 11);
  EXPECT_EQ(item->GetPart(2)->Id, 32) << "names without case, hexadecimal after $";
  EXPECT_EQ(item->GetPart(3)->Id, 33);

  WriteSkin("Start.xml", R"(<Skin><Item name="Start" PartIdStart="3"><Part/><Part/></Item></Skin>)");
  ASSERT_TRUE(SkinEngine->LoadSkinFile("Start"));
  TSkinItem* start = SkinEngine->FindSkinItem("Start");
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start->GetPart(0)->Id, 3);
  EXPECT_EQ(start->GetPart(1)->Id, 4);
}

TEST_F(SkinReader, StateRectanglesContinueFromThePreviousState) {
  TSkinItem* item = LoadItem("Rects", "Rects", R"(<Part>
      <State Width="20" Height="16"/>
      <State Width="20" Height="16" Top="0"/>
      <State Left="10" Top="0" Right="0" Width="5" Height="3"/>
      <State Width="4" Height="4"/>
      <State Left="1" Top="2" Right="9" Bottom="7"/>
    </Part>)");
  ASSERT_NE(item, nullptr);
  TSkinItemPart* part = item->FindPart(0);
  ASSERT_EQ(part->GetStateCount(), 5);
  EXPECT_EQ(part->GetState(0)->Rect, TRect(0, 0, 20, 16));
  EXPECT_EQ(part->GetState(1)->Rect, TRect(20, 0, 40, 16)) << "side by side when only Top is given";
  EXPECT_EQ(part->GetState(2)->Rect, TRect(10, 0, 15, 3)) << "Right 0 is Left + Width";
  EXPECT_EQ(part->GetState(3)->Rect, TRect(15, 3, 19, 7)) << "both missing: from the bottom-right corner";
  EXPECT_EQ(part->GetState(4)->Rect, TRect(1, 2, 9, 7));
  EXPECT_FALSE(part->Empty);
}

TEST_F(SkinReader, PartAttributesAndKeywords) {
  struct Case {
    const char* attributes;
    uint8_t fillMode;
    uint8_t transparentMode;
    TColor transparentColor;
  };
  const Case cases[] = {
      {R"(Stretch="True")", 2, 0, clFuchsia},
      {R"(FillMode="" Stretch="none")", 1, 0, clFuchsia},
      {R"(FillMode="Tile" Stretch="True")", 4, 0, clFuchsia},
      {R"(FillMode="hcentertile")", 5, 0, clFuchsia},
      {R"(FillMode="VCenterTile")", 6, 0, clFuchsia},
      {R"(FillMode="center")", 3, 0, clFuchsia},
      {R"(FillMode="sideways")", 0, 0, clFuchsia},
      {R"(TransparentColor="clLime")", 0, 1, clLime},
      {R"(TransparentColor="$00FF00" TransparentMode="Alpha")", 0, 2, clLime},
      {R"(TransparentMode="mask")", 0, 1, clFuchsia},
      {R"(TransparentMode="opaque")", 0, 0, clFuchsia},
  };
  std::string body;
  for (const Case& c : cases) body += std::string("<Part ") + c.attributes + "/>";
  TSkinItem* item = LoadItem("Attrs", "Attrs", body);
  ASSERT_NE(item, nullptr);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].attributes);
    TSkinItemPart* part = item->GetPart(static_cast<int>(i));
    EXPECT_EQ(part->FillMode, cases[i].fillMode);
    EXPECT_EQ(part->TransparentMode, cases[i].transparentMode);
    EXPECT_EQ(part->TransparentColor, cases[i].transparentColor);
  }
}

TEST_F(SkinReader, PartSettingsOverrideTheStatesAndEmptyPartsStayEmpty) {
  TSkinItem* item = LoadItem("Over", "Over", R"(
    <Part TransparentMode="Alpha" KeepingSize="Window" Visible="0" Enabled="false" Name="Body" LangID="7">
      <State TransparentMode="Mask" Width="4" Height="4"/>
    </Part>
    <Part id="5"/>
    <Part><State TransparentColor="clRed" Width="2" Height="2"/></Part>)");
  ASSERT_NE(item, nullptr);
  TSkinItemPart* body = item->GetPart(0);
  EXPECT_EQ(body->TransparentMode, 2) << "the Part element's own value wins";
  EXPECT_EQ(body->KeepingSize, kstWindow);
  EXPECT_FALSE(body->Visible);
  EXPECT_FALSE(body->Enabled);
  EXPECT_EQ(body->Name, "Body");
  EXPECT_EQ(body->LangID, 7);
  EXPECT_TRUE(item->GetPart(1)->Empty);
  EXPECT_EQ(item->GetPart(1)->KeepingSize, kstClient);
  EXPECT_EQ(item->GetPart(2)->TransparentMode, 1);
  EXPECT_EQ(item->GetPart(2)->TransparentColor, clRed);
}

TEST_F(SkinReader, StateChildren) {
  TSkinItem* item = LoadItem("Kids", "Kids", R"(<Part><Font Name="Arial" Style="Bold"/>
      <State Width="10" Height="10">
        <Color>clRed</Color><Margins Left="2" Right="3"/><Alignment>2</Alignment>
        <Frame left="True"/><Pen Color="clBlue" Style="dash" Width="2"/><Brush Color="$00FF00" Style="cross"/>
        <Shadow X="2" Color="clGray"/><Animation FrameCount="3" FrameDelay="100" Arrange="Vertical"/>
        <Spaces Left="1" Right="2"/>
      </State>
      <State type="RoundRect"><Margins Left="1"/><Margins Left="5" Top="6"/><Margins Left="9"/><Font Size="9"/></State>
      <State type="ellipse"/>
    </Part>)");
  ASSERT_NE(item, nullptr);
  TSkinItemPart* part = item->GetPart(0);
  TSkinItemState* first = part->GetState(0);
  EXPECT_EQ(first->Color, clRed);
  EXPECT_EQ(first->Margins.Left, 2);
  EXPECT_EQ(first->DestMargins.Right, 3) << "one Margins element gives both";
  EXPECT_EQ(first->Alignment, 2);
  EXPECT_TRUE(first->Frames.Left);
  EXPECT_FALSE(first->Frames.Top);
  EXPECT_FALSE(first->Frames.Right);
  EXPECT_FALSE(first->Frames.Bottom);
  EXPECT_EQ(first->Pen.Color, clBlue);
  EXPECT_EQ(first->Pen.Style, psDash);
  EXPECT_EQ(first->Pen.Width, 2);
  EXPECT_EQ(first->Brush.Color, clLime);
  EXPECT_EQ(first->Brush.Style, bsCross);
  EXPECT_EQ(first->Shadow.Style, TSkinShadow::Offset) << "a missing style is an offset shadow";
  EXPECT_TRUE(first->Shadow.Visible());
  EXPECT_EQ(first->Animation.FrameCount, 3);
  EXPECT_EQ(first->Animation.Arrange, 1);
  EXPECT_EQ(first->Spaces.Right, 2);
  EXPECT_EQ(first->Font.Name, "Arial") << "a state without Font takes the part's";
  EXPECT_EQ(first->StateType, SkinStateType::Image);

  TSkinItemState* second = part->GetState(1);
  EXPECT_EQ(second->StateType, SkinStateType::RoundRect);
  EXPECT_EQ(second->Rect, TRect(10, 10, 10, 10));
  EXPECT_EQ(second->Margins.Left, 1);
  EXPECT_EQ(second->DestMargins.Left, 5) << "the second Margins is the target's; a third is ignored";
  EXPECT_EQ(second->DestMargins.Top, 6);
  EXPECT_EQ(second->Font.Size, 9);
  EXPECT_EQ(second->Color, clNone);
  EXPECT_EQ(part->GetState(2)->Font.Size, 9) << "the font runs on from the previous state";
  EXPECT_EQ(part->GetState(2)->StateType, SkinStateType::Ellipse);
}

TEST_F(SkinReader, ItemsAndFileLevelElements) {
  WriteSkin("SkinForm.xml", R"(<Root><Graphic Name="form.bmp"/><Item><Part/></Item><Item name="Other" InheritFrom="Base">
      <Graphic Name="other.png" Type="png"/>
      <MapList><!-- map --><Map Id="5" LangId="9" Mapto="7"/>text</MapList>
      <Slice Id="a" rect="1,2,3,4"/><Slice Id="b" Left="0" Top="0" Width="5" Height="5" rect="9,9,9,9"/>
      <Slice Id="c" rect="1,2"/><Slice Id="d" rect="1,x,3,4"/><Slice Id="e" rect="1,-1,3,4"/>
    </Item></Root>)");
  UseFolder();
  ASSERT_TRUE(SkinEngine->LoadSkinFile("SkinForm"));
  TSkinItem* form = SkinEngine->FindSkinItem("SkinForm");
  ASSERT_NE(form, nullptr) << "an item without a name is named after its file";
  EXPECT_EQ(form->SkinFile->Graphic.Name, "form.bmp");
  TSkinItem* other = SkinEngine->FindSkinItem("other");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->InheritFrom, "Base");
  EXPECT_EQ(other->Graphic.Name, "other.png");
  EXPECT_EQ(other->Graphic.Type, "png");
  ASSERT_NE(other->MapList, nullptr);
  ASSERT_EQ(other->MapList->Items.size(), 3u) << "every child node is an entry";
  EXPECT_EQ(other->MapList->Items[0].Id, 0);
  EXPECT_EQ(other->MapList->Items[1].Mapto, 7);

  ASSERT_EQ(other->Slices->Count(), 5);
  EXPECT_EQ(other->Slices->Items(0)->Rect, TRect(1, 2, 4, 6));
  EXPECT_EQ(other->Slices->Items(1)->Rect, TRect(0, 0, 5, 5)) << "the text is read only for an empty rectangle";
  EXPECT_EQ(other->Slices->Items(2)->Rect, TRect(1, 2, 0, 0)) << "values before the first missing one stay";
  EXPECT_EQ(other->Slices->Items(3)->Rect, TRect(1, 0, 0, 0)) << "a malformed value stops as -1 does";
  EXPECT_EQ(other->Slices->Items(4)->Rect, TRect(1, 0, 0, 0));
  EXPECT_EQ(other->Slices->Items(0)->TransparentColor, clDefault);
}

TEST_F(SkinReader, FilesResolveInTheSkinFolderAndByBareName) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="InFolder"><Part/></Item></Skin>)");
  auto* reader = static_cast<TFSFileSkinReader*>(SkinEngine->Reader.get());
  reader->SkinPath = folder.string();
  EXPECT_TRUE(reader->LoadXML("Controls")) << "the skin folder and the extension xml";
  EXPECT_TRUE(reader->LoadXML("controls.XML")) << "case-insensitive lookup";
  EXPECT_FALSE(reader->LoadXML("Missing"));
  // A name the skin folder lacks is tried as given: relative to the working folder.
  const auto old = std::filesystem::current_path();
  const auto cwd = FreshFolder("cwd");
  WriteText(cwd / "Loose", "<Skin/>");
  std::filesystem::current_path(cwd);
  const bool found = static_cast<bool>(reader->LoadXML("Loose"));
  std::filesystem::current_path(old);
  EXPECT_TRUE(found);
  // A name with a folder is used unchanged, with "\" as a delimiter too.
  const std::string backslashed = (folder.string() + "\\Controls");
  EXPECT_TRUE(reader->LoadXML(backslashed));
}

TEST_F(SkinReader, ImagesResolveNextToTheirSkinFile) {
  auto image = MakeImage(4, 2, [](int x, int) { return x < 2 ? 0xFFFF0000u : 0xFF0000FFu; });
  std::filesystem::create_directories(folder / "sub");
  image->SaveToFile((folder / "sub" / "Pic.bmp").string());
  WriteSkin("sub/Pics.xml", R"(<Skin><Item name="Pics"><Graphic Name="pic.bmp"/><Part><State Width="2" Height="2"/></Part></Item></Skin>)");
  UseFolder();
  ASSERT_TRUE(SkinEngine->LoadSkinFile((folder / "sub" / "Pics").string()));
  TSkinItem* item = SkinEngine->FindSkinItem("Pics");
  ASSERT_NE(item, nullptr);
  TBitmap* bitmap = item->GetPart(0)->GetState(0)->GetBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width(), 4);
  EXPECT_EQ(SkinEngine->SharedImages.Count(), 1);
  EXPECT_EQ(item->GetPart(0)->GetState(0)->GetBitmap(), bitmap) << "loaded once, shared";
}

TEST_F(SkinReader, AFileWithABadValueIsDiscardedAndNamed) {
  struct Case {
    const char* xml;
    const char* named;
  };
  const Case cases[] = {
      {R"(<Skin><Item name="Bad"><Part TransparentColor="clPurpleish"/></Item></Skin>)", "clPurpleish"},
      {R"(<Skin><Item name="Bad"><Part><State><Color>notacolour</Color></State></Part></Item></Skin>)", "notacolour"},
      {R"(<Skin><Item name="Bad"><Part><State><Pen Color="#12"/></State></Part></Item></Skin>)", "#12"},
      {R"(<Skin><Item name="Bad"><Part/></Part></Item></Skin>)", "line"},
  };
  UseFolder();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    diagnostics.clear();
    WriteSkin("Bad.xml", c.xml);
    EXPECT_FALSE(SkinEngine->LoadSkinFile("Bad"));
    EXPECT_EQ(SkinEngine->FindSkinItem("Bad"), nullptr);
    EXPECT_EQ(SkinEngine->Files.Count(), 0);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_NE(diagnostics[0].find("\"Bad\""), AnsiString::npos) << diagnostics[0];
    EXPECT_NE(diagnostics[0].find(c.named), AnsiString::npos) << diagnostics[0];
  }
  WriteSkin("Charset.xml", R"(<Skin><Item name="Cs"><Part><Font Charset="nonsense"/></Part>
      <Part><Font Charset="russian_charset"/></Part><Part><Font Charset="238"/></Part></Item></Skin>)");
  ASSERT_TRUE(SkinEngine->LoadSkinFile("Charset")) << "an unknown charset is 0, not an error";
  TSkinItem* item = SkinEngine->FindSkinItem("Cs");
  EXPECT_EQ(item->GetPart(0)->Font.Charset, 0);
  EXPECT_EQ(item->GetPart(1)->Font.Charset, 204);
  EXPECT_EQ(item->GetPart(2)->Font.Charset, 238);
}

TEST_F(SkinReader, ExtremeNumbersAreHeldToTheirRange) {
  TSkinItem* item = LoadItem("Big", "Big", R"(<Part id="2147483647"/><Part/>
      <Part><State Left="2147483647" Top="-2147483648" Width="9" Height="-9"/></Part>
      <Slice rect="2147483647,0,5,5"/>)");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetPart(0)->Id, 2147483647);
  EXPECT_EQ(item->GetPart(1)->Id, 2147483647) << "the running id stops at the top";
  EXPECT_EQ(item->GetPart(2)->GetState(0)->Rect, TRect(2147483647, -2147483647 - 1, 2147483647, -2147483647 - 1));
  EXPECT_EQ(item->Slices->Items(0)->Rect, TRect(2147483647, 0, 2147483647, 5));
}

TEST_F(SkinReader, SkinsAreTheFoldersOfTheRootFolder) {
  WriteSkin("Blue/Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  WriteSkin("Green/Controls.xml", R"(<Skin><Item name="Button"><Part/><Part/></Item></Skin>)");
  WriteSkin("loose.xml", "<Skin/>");
  auto* reader = static_cast<TFSFileSkinReader*>(SkinEngine->Reader.get());
  reader->RootFolder = folder.string();
  std::vector<std::string> seen;
  auto collect = [&](const AnsiString& name, const AnsiString& skinFolder, intptr_t a, intptr_t b) {
    EXPECT_EQ(name, skinFolder);
    EXPECT_EQ(a + b, 3);
    seen.push_back(name);
    return true;
  };
  EXPECT_EQ(reader->EnumSkins(1, 2, collect), 2);
  EXPECT_EQ(seen, (std::vector<std::string>{"Blue", "Green"}));
  EXPECT_EQ(reader->EnumSkins(1, 2, [](const AnsiString&, const AnsiString&, intptr_t, intptr_t) { return false; }), 0);

  EXPECT_TRUE(reader->SetSkin("Green"));
  EXPECT_EQ(reader->SkinName, "Green");
  EXPECT_EQ(SkinEngine->FindSkinItem("Button")->GetPartCount(), 2) << "a new skin reloads";
  EXPECT_TRUE(reader->SetSkin((folder / "Blue").string())) << "a name with a folder is the folder";
  EXPECT_EQ(SkinEngine->FindSkinItem("Button")->GetPartCount(), 1);
  EXPECT_FALSE(reader->SetSkin("Purple"));
  EXPECT_EQ(reader->SkinPath, (folder / "Purple").string()) << "set all the same";
  EXPECT_EQ(SkinEngine->FindSkinItem("Button"), nullptr);
}

TEST(SkinReaderShareList, NamesWithoutCaseAndTheFirstEntryStays) {
  TSkinShareImageList list;
  TGraphic* first = list.Add("A.png", std::make_unique<TBitmap>(1, 1));
  EXPECT_EQ(list.Add("a.PNG", std::make_unique<TBitmap>(2, 2)), first);
  list.Add("b.png", std::make_unique<TBitmap>(1, 1));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Find("B.PNG")->Name, "b.png");
  list.Remove("A.PNG");
  EXPECT_EQ(list.Find("a.png"), nullptr);
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
