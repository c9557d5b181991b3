#include "engines/QM_VideoLibrary/VideoLibraryApi.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::u16string FilePath(uintptr_t library, int32_t index) {
  char16_t buffer[256];
  VLGetFilePath(library, index, buffer, 256);
  return buffer;
}

std::u16string ThumbnailName(uintptr_t library, int32_t index) {
  char16_t buffer[256];
  VLGetThumbnailName(library, index, buffer, 256);
  return buffer;
}

// A record whose bytes all carry `seed`, so one item's record is told from another's.
template <size_t Size>
std::array<uint8_t, Size> Record(uint8_t seed) {
  std::array<uint8_t, Size> record;
  for (size_t i = 0; i < Size; ++i) record[i] = static_cast<uint8_t>(seed + i);
  return record;
}

class VideoLibraryApi : public ::testing::Test {
 protected:
  void SetUp() override { library = VLCreateVideoLibrary(); }
  void TearDown() override { VLDestroyVideoLibrary(library); }
  uintptr_t library = 0;
};

TEST_F(VideoLibraryApi, InsertAnswersTheNewIndexAndRemoveMovesTheRestUp) {
  ASSERT_NE(library, 0u);
  EXPECT_EQ(VLGetVideoCount(library), 0);
  EXPECT_EQ(VLInsertVideoItem(library, u"/b.mp4", -1), 0);
  EXPECT_EQ(VLInsertVideoItem(library, u"/d.mp4", -1), 1);
  EXPECT_EQ(VLInsertVideoItem(library, u"/a.mp4", 0), 0);
  EXPECT_EQ(VLInsertVideoItem(library, u"/c.mp4", 2), 2);
  EXPECT_EQ(VLInsertVideoItem(library, u"/e.mp4", 99), 4);  // past the end appends
  EXPECT_EQ(VLInsertVideoItem(library, nullptr, -7), 5);    // a null path is an empty one
  ASSERT_EQ(VLGetVideoCount(library), 6);
  const std::vector<std::u16string> order = {u"/a.mp4", u"/b.mp4", u"/c.mp4", u"/d.mp4", u"/e.mp4", u""};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(FilePath(library, i), order[i]) << i;

  EXPECT_EQ(VLRemoveVideoItem(library, 1), 1);
  EXPECT_EQ(VLRemoveVideoItem(library, 5), 0);
  EXPECT_EQ(VLRemoveVideoItem(library, -1), 0);
  EXPECT_EQ(VLGetVideoCount(library), 5);
  EXPECT_EQ(FilePath(library, 1), u"/c.mp4");
}

TEST_F(VideoLibraryApi, EachItemKeepsItsOwnValuesWhileOthersComeAndGo) {
  using Video = std::array<uint8_t, VL_VIDEO_INFO_BYTES>;
  using Audio = std::array<uint8_t, VL_AUDIO_INFO_BYTES>;
  using Time = std::array<uint8_t, VL_CHANGE_TIME_BYTES>;
  for (uint8_t n = 0; n < 3; ++n) {
    const std::u16string name = u"/clip" + std::u16string(1, u'0' + n);
    const int32_t index = VLInsertVideoItem(library, name.c_str(), -1);
    ASSERT_EQ(index, n);
    EXPECT_EQ(VLSetThumbnailName(library, index, (name + u".png").c_str()), 1);
    EXPECT_EQ(VLSetVideoInfo(library, index, Record<VL_VIDEO_INFO_BYTES>(10 * n).data()), 1);
    EXPECT_EQ(VLSetAudioInfo(library, index, Record<VL_AUDIO_INFO_BYTES>(10 * n + 1).data()), 1);
    EXPECT_EQ(VLSetVideoChangeTime(library, index, Record<VL_CHANGE_TIME_BYTES>(10 * n + 2).data()), 1);
  }
  // A new first item moves the others down with their values; it starts empty.
  ASSERT_EQ(VLInsertVideoItem(library, u"/first", 0), 0);
  ASSERT_EQ(VLRemoveVideoItem(library, 2), 1);  // the old second, "/clip1"
  const std::vector<std::pair<int32_t, uint8_t>> kept = {{1, 0}, {2, 2}};
  for (auto [index, n] : kept) {
    const std::u16string name = u"/clip" + std::u16string(1, u'0' + n);
    EXPECT_EQ(FilePath(library, index), name);
    EXPECT_EQ(ThumbnailName(library, index), name + u".png");
    Video video;
    Audio audio;
    Time time;
    EXPECT_EQ(VLGetVideoInfo(library, index, video.data()), 1);
    EXPECT_EQ(VLGetAudioInfo(library, index, audio.data()), 1);
    EXPECT_EQ(VLGetVideoChangeTime(library, index, time.data()), 1);
    EXPECT_EQ(video, Record<VL_VIDEO_INFO_BYTES>(10 * n)) << index;
    EXPECT_EQ(audio, Record<VL_AUDIO_INFO_BYTES>(10 * n + 1)) << index;
    EXPECT_EQ(time, Record<VL_CHANGE_TIME_BYTES>(10 * n + 2)) << index;
  }
  Video video;
  video.fill(0xEE);
  EXPECT_EQ(VLGetVideoInfo(library, 0, video.data()), 1);
  EXPECT_EQ(video, Video{});
  EXPECT_EQ(ThumbnailName(library, 0), u"");

  // A null record changes nothing.
  EXPECT_EQ(VLSetVideoInfo(library, 1, nullptr), 0);
  EXPECT_EQ(VLGetVideoInfo(library, 1, video.data()), 1);
  EXPECT_EQ(video, Record<VL_VIDEO_INFO_BYTES>(0));
  EXPECT_EQ(VLGetVideoInfo(library, 1, nullptr), 0);
}

TEST_F(VideoLibraryApi, UnknownItemsAndStaleHandlesGiveZerosAndChangeNothing) {
  ASSERT_EQ(VLInsertVideoItem(library, u"/kept.mp4", -1), 0);
  const uintptr_t gone = VLCreateVideoLibrary();
  ASSERT_EQ(VLInsertVideoItem(gone, u"/gone.mp4", -1), 0);
  VLDestroyVideoLibrary(gone);
  VLDestroyVideoLibrary(gone);  // twice is harmless

  for (auto [handle, index] : std::vector<std::pair<uintptr_t, int32_t>>{{library, 1}, {library, -1}, {gone, 0}, {0, 0}}) {
    SCOPED_TRACE(::testing::Message() << "handle " << handle << " index " << index);
    std::array<uint8_t, VL_VIDEO_INFO_BYTES> video;
    std::array<uint8_t, VL_AUDIO_INFO_BYTES> audio;
    std::array<uint8_t, VL_CHANGE_TIME_BYTES> time;
    video.fill(0xEE);
    audio.fill(0xEE);
    time.fill(0xEE);
    EXPECT_EQ(VLGetVideoInfo(handle, index, video.data()), 0);
    EXPECT_EQ(VLGetAudioInfo(handle, index, audio.data()), 0);
    EXPECT_EQ(VLGetVideoChangeTime(handle, index, time.data()), 0);
    EXPECT_EQ(video, decltype(video){});
    EXPECT_EQ(audio, decltype(audio){});
    EXPECT_EQ(time, decltype(time){});
    char16_t text[8] = u"garbage";
    EXPECT_EQ(VLGetFilePath(handle, index, text, 8), 0);
    EXPECT_EQ(text[0], 0);
    std::fill(std::begin(text), std::end(text), u'x');
    EXPECT_EQ(VLGetThumbnailName(handle, index, text, 8), 0);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(VLSetThumbnailName(handle, index, u"/t.png"), 0);
    EXPECT_EQ(VLSetVideoInfo(handle, index, video.data()), 0);
    EXPECT_EQ(VLSetAudioInfo(handle, index, audio.data()), 0);
    EXPECT_EQ(VLSetVideoChangeTime(handle, index, time.data()), 0);
    EXPECT_EQ(VLRemoveVideoItem(handle, index), 0);
  }
  EXPECT_EQ(VLGetVideoCount(gone), 0);
  EXPECT_EQ(VLInsertVideoItem(gone, u"/again.mp4", -1), -1);
  EXPECT_EQ(VLGetVideoCount(library), 1);
  EXPECT_EQ(FilePath(library, 0), u"/kept.mp4");
}

TEST_F(VideoLibraryApi, ALongPathIsCutToTheBufferAndItsWholeLengthAnswered) {
  // 700 units, with a character outside the basic plane (a surrogate pair) and accents.
  std::u16string path = u"/m\u00e9dias/\U0001F3AC/";
  while (path.size() < 696) path += u"abcdefghi/";
  path.resize(696);
  path += u".mp4";
  ASSERT_EQ(path.size(), 700u);
  ASSERT_EQ(VLInsertVideoItem(library, path.c_str(), -1), 0);
  ASSERT_EQ(VLSetThumbnailName(library, 0, path.c_str()), 1);

  for (auto get : {&VLGetFilePath, &VLGetThumbnailName}) {
    std::vector<char16_t> shortBuffer(512, u'x');
    EXPECT_EQ(get(library, 0, shortBuffer.data(), 512), 700);
    EXPECT_EQ(std::u16string(shortBuffer.data()), path.substr(0, 511));  // terminated inside the buffer
    EXPECT_EQ(get(library, 0, nullptr, 0), 700);
    char16_t untouched = u'x';
    EXPECT_EQ(get(library, 0, &untouched, 0), 700);
    EXPECT_EQ(untouched, u'x');
    std::vector<char16_t> whole(701, u'x');
    EXPECT_EQ(get(library, 0, whole.data(), 701), 700);
    EXPECT_EQ(std::u16string(whole.data()), path);
  }
}

}  // namespace
