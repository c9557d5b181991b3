#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "vcl/WinControl.h"

using namespace skin_test;

namespace {

using SkinEngineTest = SkinFixture;

TEST_F(SkinEngineTest, LookupsUseTheOneEntryCache) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part/></Item><Item name="Default"><Part/></Item></Skin>)");
  UseFolder();
  TSkinItem* button = SkinEngine->FindSkinItem("button");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Name, "Button");
  EXPECT_EQ(SkinEngine->LastName, "button");
  EXPECT_EQ(SkinEngine->FindSkinItem("button"), button);
  EXPECT_EQ(SkinEngine->FindSkinItem("Button"), button);
  EXPECT_EQ(SkinEngine->LastName, "Button") << "another spelling searches again and replaces the cache";
  EXPECT_EQ(SkinEngine->FindSkinItem("Nothing"), nullptr);
  EXPECT_EQ(SkinEngine->LastName, "Button") << "a miss leaves the cache";
  EXPECT_EQ(SkinEngine->FindSkinItem("")->Name, "Default");
  EXPECT_EQ(SkinEngine->GetSkinItem(""), nullptr);
  EXPECT_EQ(SkinEngine->GetSkinPart("", 0), nullptr);
}

TEST_F(SkinEngineTest, AnItemNotLoadedComesFromTheFileOfItsName) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  WriteSkin("Toolbar2.xml", R"(<Skin><Item name="Toolbar2"><Part/><Part id="3"/></Item><Item name="Button"><Part/><Part/></Item></Skin>)");
  UseFolder();
  TSkinItem* button = SkinEngine->FindSkinItem("Button");
  ASSERT_EQ(SkinEngine->FindSkinItem("Toolbar2"), nullptr) << "FindSkinItem loads nothing";
  TSkinItemPart* part = SkinEngine->GetSkinPart("Toolbar2", 3);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->Id, 3);
  EXPECT_EQ(SkinEngine->FindSkinItem("Button"), button) << "the first loaded item of a name wins";
  EXPECT_EQ(button->GetPartCount(), 1);
  EXPECT_EQ(SkinEngine->Files.Count(), 2);
}

TEST_F(SkinEngineTest, FilesAreLoadedOnceAndKeptOnlyWhenTheyBringItems) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  WriteSkin("Again.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  WriteSkin("Empty.xml", R"(<Skin><Nothing/></Skin>)");
  UseFolder();
  ASSERT_EQ(SkinEngine->Files.Count(), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(SkinEngine->LoadSkinFile("Controls"));
    EXPECT_TRUE(SkinEngine->LoadSkinFile("controls")) << "the name without case";
    EXPECT_TRUE(SkinEngine->LoadSkinFile("Again")) << "read, but it brought nothing new";
  }
  EXPECT_EQ(SkinEngine->Files.Count(), 1) << "the list does not grow with every form";
  EXPECT_FALSE(SkinEngine->LoadSkinFile("Empty"));
  EXPECT_FALSE(SkinEngine->LoadSkinFile("Missing"));
  EXPECT_EQ(SkinEngine->Files.Count(), 1);
}

struct Listener : TObject {
  void Changed(TObject* sender, bool flag) {
    calls.push_back(flag);
    // Both calls see the new skin while the old objects still exist.
    TSkinItem* now = SkinEngine->FindSkinItem("Button");
    newSkin.push_back(now && now->GetPartCount() == 2);
    oldAlive.push_back(old && old->Name == "Button" && old->GetPartCount() == 1);
    (void)sender;
  }
  std::vector<bool> calls, newSkin, oldAlive;
  TSkinItem* old = nullptr;
};

TEST_F(SkinEngineTest, AReloadNotifiesTwiceWithTheOldSkinStillAlive) {
  WriteSkin("A/Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  WriteSkin("B/Controls.xml", R"(<Skin><Item name="Button"><Part/><Part/></Item></Skin>)");
  SkinEngine->SetSkinPath((folder / "A").string());
  Listener listener;
  listener.old = SkinEngine->FindSkinItem("Button");
  ASSERT_NE(listener.old, nullptr);
  EXPECT_TRUE(SkinEngine->AddChangeListener(&listener, &Listener::Changed));
  EXPECT_TRUE(SkinEngine->AddChangeListener(&listener, &Listener::Changed));
  std::vector<std::string> order;
  SkinEngine->OnReload = [&](TObject*) { order.push_back("reload"); };
  SkinEngine->OnChange = [&](TObject*) { order.push_back("change"); };

  SkinEngine->SetSkinPath((folder / "B").string());
  EXPECT_EQ(listener.calls, (std::vector<bool>{false, true})) << "a listener added twice is called once";
  EXPECT_EQ(listener.newSkin, (std::vector<bool>{true, true}));
  EXPECT_EQ(listener.oldAlive, (std::vector<bool>{true, true}));
  EXPECT_EQ(order, (std::vector<std::string>{"reload", "change"}));
  TSkinItem* fresh = SkinEngine->FindSkinItem("Button");
  EXPECT_EQ(fresh->GetPartCount(), 2);
  listener.old = nullptr;  // freed with the old skin

  // The same path does not reload; a reload never hands out an item of the old files, even
  // the one cached last.
  listener.calls.clear();
  SkinEngine->SetSkinPath((folder / "B").string());
  EXPECT_TRUE(listener.calls.empty());
  SkinEngine->SetSkinPath((folder / "A").string());
  TSkinItem* back = SkinEngine->FindSkinItem("Button");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetPartCount(), 1);
  EXPECT_TRUE(SkinEngine->RemoveChangeListener(&listener, &Listener::Changed));
  EXPECT_FALSE(SkinEngine->RemoveChangeListener(&listener, &Listener::Changed));
  SkinEngine->SetSkinPath((folder / "C").string());
  EXPECT_EQ(SkinEngine->FindSkinItem("Button"), nullptr) << "a folder without skins leaves nothing loaded";
  EXPECT_EQ(SkinEngine->SharedImages.Count(), 0);
}

TEST_F(SkinEngineTest, ReloadCallbackRunsBeforeTheListenersAndFilesInUseReload) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  WriteSkin("Pictures.xml", R"(<Skin><Item name="Info"><Part/></Item></Skin>)");
  UseFolder();
  SkinEngine->FileNames.Add("Pictures");
  intptr_t seen = 0;
  SkinEngine->ReloadSkins(4, 5, [&](TFSSkinEngine* engine, intptr_t a, intptr_t b) {
    seen = a * 10 + b;
    EXPECT_NE(engine->FindSkinItem("Info"), nullptr);
  }, true);
  EXPECT_EQ(seen, 45);
  EXPECT_EQ(SkinEngine->Files.Count(), 2);
  SkinEngine->ReloadSkins(0, 0, nullptr, false);
  EXPECT_EQ(SkinEngine->Files.Count(), 0);
  EXPECT_EQ(SkinEngine->LastItem, nullptr);
}

TEST(SkinNames, ParseAndFormat) {
  struct Case {
    const char* text;
    const char* name;
    int id;
    bool ok;
  };
  const Case cases[] = {{"Edit(3)", "Edit", 3, true}, {"Edit", "Edit", 0, true},   {"(3)", "", 0, false},
                        {"Edit(x)", "Edit", 0, true}, {"Edit(3,4)", "Edit", 3, true}, {"Edit(-2)", "Edit", -2, true},
                        {"Edit(7", "Edit", 7, true},  {"", "", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    AnsiString name = "junk";
    int id = 99;
    EXPECT_EQ(TFSSkinEngine::ParseSkinName(c.text, name, id), c.ok);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(id, c.id);
  }
  EXPECT_EQ(TFSSkinEngine::FormatSkinName("Edit", 0), "Edit");
  EXPECT_EQ(TFSSkinEngine::FormatSkinName("Edit", 3), "Edit(3)");
  EXPECT_EQ(TFSSkinEngine::FormatSkinName("Edit", -1), "Edit(-1)");
  EXPECT_EQ(TFSSkinEngine::FormatSkinName("", 3), "");
}

TEST_F(SkinEngineTest, TheMissHookHearsOfEveryFailedLookup) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  UseFolder();
  std::vector<std::string> misses;
  SkinEngine->SetLookupMissHook([&](const AnsiString& name, int id) { misses.push_back(name + "/" + std::to_string(id)); });
  SkinEngine->GetSkinPart("Button", 0);
  SkinEngine->GetSkinPart("Button", 4);
  SkinEngine->GetSkinItem("Ghost");
  SkinEngine->GetSkinPart("Ghost", 2);
  EXPECT_EQ(misses, (std::vector<std::string>{"Button/4", "Ghost/-1", "Ghost/-1"}));
}

TEST_F(SkinEngineTest, WithDebugOutputEachMissedNameIsLoggedOnce) {
  StopSkinModule();
  setenv("BRANTWELL_DEBUG_OUTPUT", "1", 1);
  StartSkinModule();
  unsetenv("BRANTWELL_DEBUG_OUTPUT");
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part/></Item></Skin>)");
  UseFolder();
  diagnostics.clear();
  SkinEngine->GetSkinItem("Ghost");
  SkinEngine->GetSkinItem("ghost");
  SkinEngine->GetSkinPart("Button", 9);
  SkinEngine->GetSkinPart("Button", 9);
  ASSERT_EQ(diagnostics.size(), 2u);
  EXPECT_EQ(diagnostics[0], "Skin item not found: Ghost");
  EXPECT_EQ(diagnostics[1], "Skin part not found: Button(9)");
}

struct Recorder : TWinControl {
  explicit Recorder(std::vector<std::string>* log, std::string name) : TWinControl(nullptr), m_log(log), m_name(std::move(name)) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == CM_SKINCHANGED) m_log->push_back(m_name);
    TWinControl::WndProc(message);
  }
  std::vector<std::string>* m_log;
  std::string m_name;
};

TEST(SkinBroadcast, ParentsBeforeChildrenDepthFirst) {
  std::vector<std::string> log;
  Recorder root(&log, "root"), a(&log, "a"), a1(&log, "a1"), b(&log, "b");
  a.SetParent(&root);
  a1.SetParent(&a);
  b.SetParent(&root);
  TFSSkinEngine::BroadcastSkinChanged(&root);
  EXPECT_EQ(log, (std::vector<std::string>{"root", "a", "a1", "b"}));
  b.SetParent(nullptr);
  a1.SetParent(nullptr);
  a.SetParent(nullptr);
}

}  // namespace
