#include "program/engine/Menu.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/TimelineEngine.h"
#include "program/engine/tests/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
using uMenu::TMenu;

WideString Wide(const fs::path& path) { return platform::Utf8ToUtf16(path.string()); }

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A template view that records what the menu does to it.
class FakeView : public uMenu::TMenuTemplateView {
 public:
  void Clear() override {
    events.push_back("clear");
    files.clear();
  }
  void BeginUpdate() override { events.push_back("begin"); }
  void EndUpdate() override { events.push_back("end"); }
  void AddFile(const WideString& caption, const WideString& fileName) override {
    EXPECT_TRUE(caption.empty());
    files.push_back(platform::Utf16ToUtf8(fileName));
  }
  int ItemIndex() const override { return selected; }
  WideString ItemFileName(int index) const override { return platform::Utf8ToUtf16(files.at(index)); }
  void SetThumbWidth(int width) override { thumbWidth = width; }
  void SetThumbHeight(int height) override { thumbHeight = height; }

  std::vector<std::string> events;
  std::vector<std::string> files;
  int selected = -1;
  int thumbWidth = 0, thumbHeight = 0;
};

// The watched engine calls, in order; each passes on to the engine.
std::vector<std::string> g_calls;

uMenu::TMenuCalls RecordingCalls() {
  uMenu::TMenuCalls calls = uMenu::TMenuCalls::Linked();
  calls.MDSetTemplatePath = [](TEngineHandle, const char16_t* folder) {
    g_calls.push_back("template " + platform::Utf16ToUtf8(folder));
    return int32_t{1};
  };
  calls.MDSetFrameImage = [](TEngineHandle, int32_t title, const char16_t* path) {
    g_calls.push_back("frame " + std::to_string(title) + " " + platform::Utf16ToUtf8(path));
    return int32_t{1};
  };
  calls.MDSetButtonImage = [](TEngineHandle, int32_t button, const char16_t* path) {
    g_calls.push_back("button " + std::to_string(button) + " " + platform::Utf16ToUtf8(path));
    return int32_t{1};
  };
  calls.TLSetTitleThumbnail = [](uintptr_t list, int32_t index, const void* info, const void* bits) {
    const auto* header = static_cast<const TLBitmapInfoHeader*>(info);
    g_calls.push_back("thumbnail " + std::to_string(index) + " " +
                      (header ? std::to_string(header->width) + "x" + std::to_string(std::abs(header->height)) : "none"));
    return TLSetTitleThumbnail(list, index, info, bits);
  };
  calls.MTDVideoCreate = [](TEngineHandle doc, int32_t width, int32_t height, double fps, int32_t flag) {
    const TEngineHandle decoder = MTDVideoCreate(doc, width, height, fps, flag);
    g_calls.push_back("video created " + std::to_string(width) + "x" + std::to_string(height));
    return decoder;
  };
  calls.MTDAudioCreate = [](TEngineHandle doc, int32_t rate, int32_t channels) {
    g_calls.push_back("audio created");
    return MTDAudioCreate(doc, rate, channels);
  };
  calls.MTDVideoDestroy = [](TEngineHandle decoder) {
    g_calls.push_back("video destroyed");
    MTDVideoDestroy(decoder);
  };
  calls.MTDAudioDestroy = [](TEngineHandle decoder) {
    g_calls.push_back("audio destroyed");
    MTDAudioDestroy(decoder);
  };
  return calls;
}

HWND MakeWindow(int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"MenuTestWindow";
    return RegisterClassW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExW(0, u"MenuTestWindow", u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                         nullptr, nullptr, nullptr, nullptr);
}

int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST(MenuFiles, HasExtensionComparesFromTheFirstDotExactly) {
  const struct {
    const char16_t* name;
    const char16_t* ext;
    bool expected;
  } cases[] = {
      {u"sea1.ini", u".ini", true},   {u"sea1.INI", u".ini", false}, {u"sea1.old.ini", u".ini", false},
      {u".ini", u".ini", true},       {u"readme", u"", true},        {u"readme", u".ini", false},
      {u"sea1.ini", u"ini", false},   {u"sea1.ini.bak", u".ini", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(uMenu::HasExtension(c.name, c.ext), c.expected) << platform::Utf16ToUtf8(c.name);
}

TEST(MenuFiles, FindFilesRecursiveListsByNameSkipsEmptyFilesAndClosesEverySearch) {
  enginetest::ScratchFolder scratch("menu-find");
  const fs::path root = scratch.path();
  // "a-empty.ini" comes first in its folder: an empty description must not hide the rest.
  WriteFile(root / "a-empty.ini", "");
  WriteFile(root / "b.ini", "[main]\n");
  WriteFile(root / "C.INI", "[main]\n");
  WriteFile(root / "d.old.ini", "[main]\n");
  WriteFile(root / "Zeta/z.ini", "[main]\n");
  WriteFile(root / "alpha/x.ini", "[main]\n");
  WriteFile(root / "alpha/deeper/y.ini", "[main]\n");
  WriteFile(root / "Beta/notes.txt", "text");
  fs::create_directories(root / "empty-folder");

  const int before = OpenDescriptors();
  std::vector<WideString> found;
  uMenu::FindFilesRecursive(found, Wide(root), u".ini");
  uMenu::FindFilesRecursive(found, Wide(root / "missing"), u".ini");
  EXPECT_EQ(OpenDescriptors(), before);

  std::vector<std::string> names;
  for (const WideString& file : found) names.push_back(fs::path(platform::Utf16ToUtf8(file)).lexically_relative(root).string());
  EXPECT_EQ(names, (std::vector<std::string>{"alpha/deeper/y.ini", "alpha/x.ini", "b.ini", "Zeta/z.ini"}));
}

// Start-up's engines bound, a notification window and a preview window, a menu over them with
// the recording calls, and a template folder of its own.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("BRANTWELL_AUDIO", "null", 1);
    BindStartupEngines();
    g_calls.clear();
    notify = MakeWindow(10, 10);
    preview = MakeWindow(360, 240);
    menu = std::make_unique<TMenu>(notify, preview, &view, Wide(templates), RecordingCalls());
  }
  void TearDown() override {
    menu.reset();
    for (HWND window : {notify, preview}) DestroyWindow(window);
    platform::testing::RunUntilIdle();
    UnloadEngineLibraries();
  }

  enginetest::ScratchFolder scratch{"menu"};
  fs::path templates = scratch.path() / "templates";
  FakeView view;
  HWND notify = nullptr, preview = nullptr;
  std::unique_ptr<TMenu> menu;
};

TEST_F(MenuTest, CreatesItsEnginesAndAFirstPage) {
  EXPECT_NE(menu->MenuMgr, 0u);
  EXPECT_NE(menu->TitleList, 0u);
  EXPECT_NE(menu->MenuData, 0u);
  EXPECT_NE(menu->Player, 0u);
  EXPECT_EQ(menu->PictureKind, 0);
  EXPECT_NE(MGGetCurrentPage(menu->MenuMgr), 0u);
}

TEST_F(MenuTest, ListsThePicturesTheTemplatesNameInNameOrder) {
  WriteFile(templates / "Landscape/sea1/sea1.ini", "[main]\npreview=preview.jpg\nframe0_image=frame.png\n");
  WriteFile(templates / "Landscape/mountain/mountain.ini", "[main]\npreview=preview.jpg\n");
  WriteFile(templates / "Festive/confetti/confetti.ini", "[main]\npreview=preview.jpg\n[buttons]\nplaybtn=play.png\n");
  WriteFile(templates / "Festive/broken/broken.ini", "[main]\npreview=\n");  // an empty value
  WriteFile(templates / "Festive/bare/bare.ini", "[buttons]\nnextbtn=next.png\n");  // without the key
  WriteFile(templates / "Festive/aaa-empty.ini", "");

  menu->SetViewThumbSize(&view, 95, 90);
  EXPECT_EQ(view.thumbHeight, 95);
  EXPECT_EQ(view.thumbWidth, 90);
  menu->LoadMenuTemplates(&view, u"main", u"preview");
  EXPECT_EQ(view.events, (std::vector<std::string>{"clear", "begin", "end"}));
  const std::string root = templates.string();
  EXPECT_EQ(view.files, (std::vector<std::string>{root + "/Festive/confetti/preview.jpg",
                                                  root + "/Landscape/mountain/preview.jpg",
                                                  root + "/Landscape/sea1/preview.jpg"}));
  menu->LoadMenuTemplates(&view, u"buttons", u"playbtn");
  EXPECT_EQ(view.files, (std::vector<std::string>{root + "/Festive/confetti/play.png"}));
}

TEST_F(MenuTest, AppliesTheSelectedPictureByListAndKind) {
  view.files = {"/t/Landscape/sea1/preview.jpg"};
  const struct {
    int mode;
    uint8_t kind;
    const char* expected;  // the designer call, or "" for none
  } cases[] = {
      {0, 0, "template /t/Landscape/sea1/"},
      {0, 1, ""},
      {1, 1, "frame -1 /t/Landscape/sea1/preview.jpg"},
      {1, 0, ""},
      {2, 2, "button 0 /t/Landscape/sea1/preview.jpg"},
      {2, 3, "button 1 /t/Landscape/sea1/preview.jpg"},
      {2, 4, "button 2 /t/Landscape/sea1/preview.jpg"},
      {2, 1, ""},
      {3, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " kind " + std::to_string(c.kind));
    g_calls.clear();
    menu->SetPictureKind(c.kind);
    view.selected = 0;
    menu->ApplyMenuPicture(c.mode);
    EXPECT_EQ(g_calls, std::string(c.expected).empty() ? std::vector<std::string>{}
                                                        : std::vector<std::string>{c.expected});
    g_calls.clear();
    view.selected = -1;
    menu->ApplyMenuPicture(c.mode);
    EXPECT_TRUE(g_calls.empty()) << "nothing is selected";
  }
}

TEST_F(MenuTest, TitleThumbnailsPreferTheUsersPictureAndSkipPicturesThatDoNotLoad) {
  const std::string bmp = engines::media::testing::Fixture("photo.bmp");
  const std::string png = engines::media::testing::Fixture("photo.png");
  ASSERT_FALSE(bmp.empty());
  ASSERT_FALSE(png.empty());
  WriteFile(scratch / "broken.bmp", "BM not really a bitmap");
  WriteFile(scratch / "broken.png", "not a picture");
  // The user's own picture, at a path longer than 260 characters.
  fs::path deep = scratch.path();
  while (deep.string().size() < 300) deep /= "a-long-folder-name-for-the-users-pictures";
  fs::create_directories(deep);
  const fs::path chosen = deep / "chosen.bmp";
  fs::copy_file(bmp, chosen);

  for (int i = 0; i < 3; ++i) menu->InsertTitle(i);
  menu->SetTitleThumbnail(0, platform::Utf8ToUtf16(bmp));
  menu->SetTitleThumbnail(1, platform::Utf8ToUtf16(png));
  menu->SetTitleThumbnail(2, Wide(scratch / "broken.bmp"));
  menu->SetTitleThumbnail(2, Wide(scratch / "broken.png"));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"thumbnail 0 64x48", "thumbnail 1 64x48"}));

  // A picture the title list already holds for the title wins over the clip's.
  ASSERT_NE(TLSetTitleThumbnailPath(menu->TitleList, 2, Wide(chosen).c_str()), 0);
  g_calls.clear();
  menu->SetTitleThumbnail(2, Wide(scratch / "broken.png"));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"thumbnail 2 64x48"}));
}

TEST_F(MenuTest, PlayingATitleReleasesTheDecodersOfTheTitleBefore) {
  HWND timelineParent = MakeWindow(400, 120);
  const RECT rect{0, 0, 400, 120};
  const EngineHandle timeline = CreateTimeline(timelineParent, &rect, nullptr, 0);
  ASSERT_NE(timeline, 0u);
  const EngineHandle doc = GetTimelineDoc(timeline);
  const std::string clip = enginetest::OneSecondClip();
  ASSERT_FALSE(clip.empty());
  const EngineHandle track = TDGetTrack(doc, kTimelineVideoTrack, 0);
  const EngineHandle item = TCCreate(kTimelineVideoClip);
  TCSetFileName(item, platform::Utf8ToUtf16(clip).c_str());
  TCSetPhysicalBegin(item, 0.0);
  TCSetPhysicalLength(item, 1.0);
  TTInsertClipIndex(track, item, -1);
  TCRelease(item);

  menu->PlayTimelineDocument(0, 1.0);
  EXPECT_TRUE(g_calls.empty()) << "a 0 document does nothing";
  menu->PlayTimelineDocument(doc, 1.0);
  menu->PlayTimelineDocument(doc, 1.0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"video created 360x240", "audio created", "video destroyed",
                                               "audio destroyed", "video created 360x240", "audio created"}));
  EXPECT_NE(menu->VideoDecoder, 0u);
  EXPECT_NE(menu->AudioDecoder, 0u);

  g_calls.clear();
  menu->StopPreview();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"video destroyed", "audio destroyed"}));
  EXPECT_EQ(menu->VideoDecoder, 0u);
  EXPECT_NE(menu->Player, 0u) << "the player stays for the next title";
  menu->PlayTimelineDocument(doc, 1.0);
  menu->PlayPreview();
  menu->StopPreview();
  DestroyTimeline(timeline);
  DestroyWindow(timelineParent);
}

}  // namespace

namespace {

TEST_F(MenuTest, PagesFollowTheTitlesAndTextItemsComeBackWhole) {
  const fs::path sea = fs::path(BRANTWELL_BIN_DIR) / "templates" / "Landscape" / "sea1";
  ASSERT_TRUE(fs::exists(sea)) << sea;
  menu->SetTemplatePath(Wide(sea));
  for (int i = 0; i < 5; ++i) menu->InsertTitle(i);
  uMenu::TMenuButtonState state = menu->GetButtonState();
  EXPECT_EQ(state.Values[0], 0);
  EXPECT_NE(state.Values[2], 0) << "a fifth title needs a second page";
  menu->NextPage();
  state = menu->GetButtonState();
  EXPECT_NE(state.Values[0], 0);
  EXPECT_EQ(state.Values[2], 0);
  menu->RemoveTitle(4);
  menu->PrevPage();
  EXPECT_EQ(menu->GetButtonState().Values[2], 0) << "four titles fit one page";

  menu->AddTextItem();
  menu->SetTextContent(WideString(300, u'x'));
  menu->SetTextFontSize(0);  // ignored
  menu->SetTextColor(0x0000FF);
  const uMenu::TMenuTextItem item = menu->GetCurrentTextItem();
  EXPECT_EQ(WideString(item.Text), WideString(255, u'x')) << "cut inside the record, with its terminator";
  EXPECT_GT(item.FontSize, 0);
  EXPECT_EQ(item.Color, 0x0000FFu);

  ASSERT_GT(menu->GetSupportFontCount(), 0);
  const WideString font = menu->GetSupportFontName(0);
  EXPECT_FALSE(font.empty());
  EXPECT_LT(font.size(), 32u);
  EXPECT_TRUE(menu->GetPageAudio(7).empty()) << "no such page";
}

}  // namespace
