#include "program/engine/VideoLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/Unicode.h"
#include "program/engine/tests/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
using enginetest::ScratchFolder;

// Makes an (empty) file; the library never reads its sources.
WideString MakeFile(const fs::path& path) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "";
  return path.u16string();
}

TVideoInfo Video(int32_t width) {
  TVideoInfo info{};
  info.Width = width;
  info.Height = width * 3 / 4;
  info.frame_rate = 29.97;
  info.total_frames = 300;
  info.xratio = 4;
  info.yratio = 3;
  info.dwCapsFlag = kMediaCapsNotSeekable;
  return info;
}

TAudioInfo Audio(int32_t rate) {
  TAudioInfo info{};
  info.sample_rate = rate;
  info.channels = 2;
  info.length = 10.5;
  return info;
}

bool Same(const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The main window's order for one source; answers the index InsertItem gave.
int32_t AddSource(TVideoLibrary& library, const WideString& path, const WideString& thumbnail, int32_t seed) {
  library.SetFileName(path);
  const int32_t index = library.InsertItem();
  library.SetCurrentIndex(index);
  library.SetThumbnailName(thumbnail);
  library.SetVideoInfo(Video(seed));
  library.SetAudioInfo(Audio(seed * 100));
  library.SetVideoChangeTime(FILETIME{static_cast<DWORD>(seed), static_cast<DWORD>(seed + 1)});
  return index;
}

void ExpectSource(const TVideoLibrary& library, int32_t index, const WideString& path, const WideString& thumbnail,
                  int32_t seed) {
  SCOPED_TRACE(::testing::Message() << "item " << index);
  EXPECT_EQ(library.GetFilePath(index), path);
  EXPECT_EQ(library.GetThumbnailName(index), thumbnail);
  TVideoInfo video;
  TAudioInfo audio;
  FILETIME time;
  EXPECT_NE(library.GetVideoInfo(index, video), 0);
  library.GetAudioInfo(index, audio);
  library.GetVideoChangeTime(index, time);
  EXPECT_TRUE(Same(video, Video(seed)));
  EXPECT_TRUE(Same(audio, Audio(seed * 100)));
  EXPECT_EQ(time.dwLowDateTime, static_cast<DWORD>(seed));
  EXPECT_EQ(time.dwHighDateTime, static_cast<DWORD>(seed + 1));
}

TEST(VideoLibrary, SourcesAddedAsTheMainWindowDoesComeBackByIndex) {
  ScratchFolder folder("library-sources");
  const WideString first = MakeFile(folder / "first.mp4"), firstThumb = MakeFile(folder / "first.bmp");
  const WideString second = MakeFile(folder / "second.mkv"), secondThumb = MakeFile(folder / "second.bmp");
  const WideString third = MakeFile(folder / "third.jpg"), thirdThumb = MakeFile(folder / "third.bmp");
  TVideoLibrary library;
  EXPECT_EQ(library.GetCount(), 0);
  EXPECT_EQ(AddSource(library, first, firstThumb, 320), 0);
  EXPECT_EQ(AddSource(library, second, secondThumb, 640), 1);
  EXPECT_EQ(AddSource(library, third, thirdThumb, 720), 2);
  ASSERT_EQ(library.GetCount(), 3);
  ExpectSource(library, 0, first, firstThumb, 320);
  ExpectSource(library, 2, third, thirdThumb, 720);

  EXPECT_TRUE(library.RemoveItem(0));
  EXPECT_FALSE(library.RemoveItem(2));
  EXPECT_FALSE(library.RemoveItem(-1));
  ASSERT_EQ(library.GetCount(), 2);
  ExpectSource(library, 0, second, secondThumb, 640);
  ExpectSource(library, 1, third, thirdThumb, 720);

  // An unknown item reads as empty text and zero records, whatever the caller's variables held.
  TVideoInfo video = Video(1);
  TAudioInfo audio = Audio(1);
  FILETIME time{7, 7};
  EXPECT_EQ(library.GetVideoInfo(5, video), 0);
  library.GetAudioInfo(5, audio);
  library.GetVideoChangeTime(-1, time);
  EXPECT_TRUE(Same(video, TVideoInfo{}));
  EXPECT_TRUE(Same(audio, TAudioInfo{}));
  EXPECT_EQ(time.dwLowDateTime | time.dwHighDateTime, 0u);
  EXPECT_EQ(library.GetFilePath(5), u"");
  EXPECT_EQ(library.GetThumbnailName(-1), u"");
}

TEST(VideoLibrary, ANegativeCurrentIndexKeepsTheFormerOne) {
  ScratchFolder folder("library-current");
  TVideoLibrary library;
  AddSource(library, MakeFile(folder / "a.mp4"), MakeFile(folder / "a.bmp"), 100);
  AddSource(library, MakeFile(folder / "b.mp4"), MakeFile(folder / "b.bmp"), 200);
  library.SetCurrentIndex(0);
  library.SetCurrentIndex(-1);
  EXPECT_EQ(library.GetCurrentIndex(), 0);
  EXPECT_NE(library.SetVideoInfo(Video(999)), 0);
  TVideoInfo video;
  library.GetVideoInfo(0, video);
  EXPECT_EQ(video.Width, 999);
  library.GetVideoInfo(1, video);
  EXPECT_EQ(video.Width, 200);
  // A current index past the list is passed on; the engine refuses it.
  library.SetCurrentIndex(7);
  EXPECT_EQ(library.SetVideoInfo(Video(5)), 0);
  EXPECT_EQ(library.SetAudioInfo(Audio(5)), 0);
}

// A name that is not an existing file used to leave the previous name kept, and the next
// insertion added that source a second time (and the setters then overwrote its values).
TEST(VideoLibrary, ARefusedNameInsertsNothingAndDisturbsNoOtherItem) {
  ScratchFolder folder("library-refused");
  const WideString kept = MakeFile(folder / "kept.mp4"), keptThumb = MakeFile(folder / "kept.bmp");
  fs::create_directories(folder / "a folder.mp4");
  TVideoLibrary library;
  ASSERT_EQ(AddSource(library, kept, keptThumb, 320), 0);
  const WideString refused[] = {(folder / "missing.mp4").u16string(),
                                (folder / "a folder.mp4").u16string(), u""};
  for (const WideString& name : refused) {
    SCOPED_TRACE(platform::Utf16ToUtf8(name));
    EXPECT_EQ(AddSource(library, name, MakeFile(folder / "other.bmp"), 640), -1);
    EXPECT_EQ(library.GetCount(), 1);
    ExpectSource(library, 0, kept, keptThumb, 320);
    library.SetCurrentIndex(0);
  }
  // A missing thumbnail changes nothing either.
  library.SetThumbnailName((folder / "gone.bmp").u16string());
  library.SetThumbnailName(u"");
  EXPECT_EQ(library.GetThumbnailName(0), keptThumb);
  // A refused name after a good one: the good one is not inserted again.
  library.SetFileName(kept);
  library.SetFileName((folder / "missing.mp4").u16string());
  EXPECT_EQ(library.InsertItem(), -1);
  EXPECT_EQ(library.GetCount(), 1);
}

TEST(VideoLibrary, NonAsciiNamesAreCheckedAndKeptWhole) {
  ScratchFolder folder("library-unicode");
  const WideString name = MakeFile(folder / "Vid\u00e9os \u0432\u0438\u0434\u0435\u043e \U0001F3AC.mp4");
  // A lossy conversion to a single-byte code page would turn the Cyrillic name into this one.
  MakeFile(folder / "?????.mp4");
  TVideoLibrary library;
  library.SetFileName((folder / "\u0444\u0438\u043b\u044c\u043c.mp4").u16string());
  EXPECT_EQ(library.InsertItem(), -1);
  library.SetFileName(name);
  ASSERT_EQ(library.InsertItem(), 0);
  EXPECT_EQ(library.GetFilePath(0), name);
}

// A path longer than the first buffer is fetched again at its whole length, never cut.
TEST(VideoLibrary, A700CharacterPathComesBackWhole) {
  ScratchFolder folder("library-long");
  fs::path path = folder.path();
  const std::string segment(100, 'd');
  while (path.string().size() < 700 - 110) path /= segment;
  const size_t nameLength = 700 - path.string().size() - 1 - 4;
  path /= std::string(nameLength, 'n') + ".mp4";
  const WideString longPath = MakeFile(path);
  ASSERT_EQ(longPath.size(), 700u);
  const WideString shortPath = MakeFile(folder / "short.mp4");

  TVideoLibrary library;
  AddSource(library, longPath, longPath, 320);
  AddSource(library, shortPath, shortPath, 640);
  ExpectSource(library, 0, longPath, longPath, 320);
  ExpectSource(library, 1, shortPath, shortPath, 640);
}

}  // namespace
