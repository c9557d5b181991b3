#include "program/engine/MediaDecode.h"

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "program/engine/DecoderLibrary.h"
#include "program/engine/EngineBinding.h"

namespace {

using enginetest::Fixture;

TEST(MediaDecodeTest, FlashFilesAreKnownByTheirExtension) {
  struct Case {
    const char16_t* name;
    bool swf;
  } cases[] = {
      {u"movie.swf", true},        {u"MOVIE.SWF", true},       {u"/clips/intro.Swf ", true},
      {u"intro.swf\t", true},      {u"intro. swf", false},      {u"intro.swf.mp4", false},
      {u"intro.mp4", false},       {u"swf", false},            {u"/a.swf/movie", false},
      {u"intro.swff", false},      {u"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSwfFile(c.name), c.swf) << platform::Utf16ToUtf8(c.name);
}

TEST(MediaDecodeTest, DecodersOpenFilesAndShareTheirRecords) {
  const std::string path = Fixture("h264_aac.mp4");
  ASSERT_FALSE(path.empty());
  IntfPtr<IVideoDecoder> video = TVideoDecoder::Create(platform::Utf8ToUtf16(path));
  IntfPtr<IAudioDecoder> audio = TAudioDecoder::Create(platform::Utf8ToUtf16(path));
  ASSERT_NE(video->GetHandle(), 0u);
  ASSERT_NE(audio->GetHandle(), 0u);
  EXPECT_EQ(video->GetVideoInfo()->Width, 320);
  EXPECT_EQ(video->GetVideoInfo()->Height, 240);
  EXPECT_EQ(audio->GetAudioInfo()->sample_rate, 44100);
  EXPECT_NEAR(audio->GetAudioInfo()->length, 2.0, 0.1);

  // The engine object lives as long as the last reference.
  const TEngineHandle handle = video->GetHandle();
  IntfPtr<IVideoDecoder> second = video;
  video.reset();
  EXPECT_NE(DecoderLibrary.QVDGetVideoInfo(handle), nullptr);
  second.reset();
  EXPECT_EQ(DecoderLibrary.QVDGetVideoInfo(handle), nullptr);
}

TEST(MediaDecodeTest, AFileThatCannotBeOpenedGivesHandleZeroAndAnEmptyRecord) {
  IntfPtr<IVideoDecoder> video = TVideoDecoder::Create(u"/no/such/clip.mp4");
  IntfPtr<IAudioDecoder> audio = TAudioDecoder::Create(u"/no/such/clip.mp4");
  EXPECT_EQ(video->GetHandle(), 0u);
  EXPECT_EQ(audio->GetHandle(), 0u);
  ASSERT_NE(video->GetVideoInfo(), nullptr);
  EXPECT_EQ(video->GetVideoInfo()->Width, 0);
  ASSERT_NE(audio->GetAudioInfo(), nullptr);
  EXPECT_EQ(audio->GetAudioInfo()->sample_rate, 0);

  // A Flash file goes to the Flash decoder, which is bound on that first use.
  IntfPtr<IVideoDecoder> flash = TVideoDecoder::Create(u"/no/such/intro.SWF");
  EXPECT_EQ(flash->GetHandle(), 0u);
  EXPECT_TRUE(SwfDecoderLibrary.Started());
}

// A decoder library that lacks the create entry: the decoder exists with handle 0, its
// record is its own zero record, and releasing it calls nothing.
TEST(MediaDecodeTest, WithoutTheCreateEntryTheDecoderIsNeutral) {
  TDecoderLibrary partial("QM_TestPartial.dll");
  {
    IntfPtr<IVideoDecoder> video(new TVideoDecoder(partial, "QM_TestPartial.dll", u"a.mp4", nullptr, 0));
    EXPECT_TRUE(partial.Started());
    EXPECT_EQ(video->GetHandle(), 0u);
    EXPECT_EQ(video->GetVideoInfo()->Width, 0);
  }
  partial.Unload();
}

}  // namespace
