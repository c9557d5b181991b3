#include "program/engine/MediaEncode.h"

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/MediaDecode.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Head(const fs::path& file, size_t count) {
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes(count);
  in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(count));
  bytes.resize(size_t(in.gcount()));
  return bytes;
}

class MediaEncodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::BindMediaEngines();
    m_clip = enginetest::OneSecondClip();
    ASSERT_FALSE(m_clip.empty()) << "ffmpeg could not make the clip";
    m_video = TVideoDecoder::Create(platform::Utf8ToUtf16(m_clip));
    m_audio = TAudioDecoder::Create(platform::Utf8ToUtf16(m_clip));
    ASSERT_NE(m_video->GetHandle(), 0u);
    ASSERT_NE(m_audio->GetHandle(), 0u);
  }

  enginetest::ScratchFolder m_folder{"encode"};
  std::string m_clip;
  IntfPtr<IVideoDecoder> m_video;
  IntfPtr<IAudioDecoder> m_audio;
};

TEST_F(MediaEncodeTest, EncodesAClipToDvdMpeg2ReportingProgressAndTheEnd) {
  const fs::path output = m_folder / "Titel 1 – Ferien.mpg";
  enginetest::EncodeLog log;
  {
    TMediaEncoder encoder(m_video->GetHandle(), m_audio->GetHandle());
    ASSERT_NE(encoder.Handle(), 0u);
    ASSERT_EQ(enginetest::EncodeAndWait(encoder, output, log), 0);
  }
  EXPECT_GT(log.progressCalls, 0);
  EXPECT_EQ(log.endCalls, 1);
  EXPECT_FALSE(log.percentWentBack);
  EXPECT_FALSE(log.progressAfterEnd);

  // A program stream of 2048-byte packs that the decoder manager reads as a DVD title.
  const std::vector<uint8_t> head = Head(output, 4);
  ASSERT_EQ(head.size(), 4u);
  EXPECT_EQ(head, (std::vector<uint8_t>{0x00, 0x00, 0x01, 0xBA}));
  EXPECT_EQ(fs::file_size(output) % 2048, 0u);
  TMediaFileSummary info;
  ASSERT_TRUE(ReadMediaFileInfo(platform::Utf8ToUtf16(output.string()), info));
  EXPECT_EQ(info.Video.Width, 720);
  EXPECT_EQ(info.Video.Height, 480);
  EXPECT_NEAR(info.Video.frame_rate, 30000.0 / 1001, 0.01);
  EXPECT_NEAR(info.Duration, 1.0, 0.15);
  EXPECT_EQ(info.Audio.sample_rate, 48000);
  EXPECT_EQ(info.Audio.channels, 2);
}

// The decoders deliver frames from a position: a piece from the middle of the clip comes out
// as long as asked.
TEST_F(MediaEncodeTest, EncodesAPieceFromWhereTheDecodersSeek) {
  const fs::path output = m_folder / "piece.mpg";
  enginetest::EncodeLog log;
  {
    TMediaEncoder encoder(m_video->GetHandle(), m_audio->GetHandle());
    ASSERT_EQ(enginetest::EncodeAndWait(encoder, output, log, 0.5, 0.4), 0);
  }
  TMediaFileSummary info;
  ASSERT_TRUE(ReadMediaFileInfo(platform::Utf8ToUtf16(output.string()), info));
  EXPECT_NEAR(info.Duration, 0.4, 0.1);
}

// A refused output file or parameter block, or an output the converter cannot open, is a
// failure to start, with no callback; the converter's reason comes with it.
TEST_F(MediaEncodeTest, RefusedSettingsAreFailuresToStart) {
  enginetest::EncodeParamBlock good;
  enginetest::EncodeParamBlock bad;
  std::memset(bad.bytes, 0xFF, sizeof bad.bytes);  // no DVD frame is -1 pixels wide
  struct Case {
    const char* name;
    WideString output;
    const void* params;
    TEncodeStart expected;
  } cases[] = {
      {"no output file", u"", good.bytes, TEncodeStart::OutputFileRefused},
      {"bad parameters", platform::Utf8ToUtf16((m_folder / "bad.mpg").string()), bad.bytes,
       TEncodeStart::EncodeParamRefused},
      {"no such folder", platform::Utf8ToUtf16((m_folder / "missing" / "x.mpg").string()), good.bytes,
       TEncodeStart::StartRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    enginetest::EncodeLog log;
    TMediaEncoder encoder(m_video->GetHandle(), m_audio->GetHandle());
    const TEncodeStartResult result = encoder.Start(c.output, c.params, &enginetest::EncodeLog::Callback, &log);
    EXPECT_FALSE(result.Started());
    EXPECT_EQ(result.Status, c.expected);
    EXPECT_NE(result.Message.find("cannot encode"), std::string::npos) << result.Message;
    if (c.expected == TEncodeStart::StartRefused) {
      const std::string reason = platform::Utf16ToUtf8(encoder.LastError());
      EXPECT_NE(reason.find("missing/x.mpg"), std::string::npos) << reason;
      EXPECT_NE(result.Message.find(reason), std::string::npos) << result.Message;
    }
    std::lock_guard lock(log.mutex);
    EXPECT_EQ(log.progressCalls + log.endCalls, 0);
  }
  EXPECT_FALSE(fs::exists(m_folder / "bad.mpg"));
}

// Without the converter's entries every step answers its neutral value, and the title does
// not count as started.
TEST(MediaEncodeNeutralTest, AConverterWithoutItsEntriesNeverStarts) {
  TConverterLibrary partial("QM_TestPartial.dll");
  ASSERT_TRUE(partial.Load());
  {
    TMediaEncoder encoder(partial, 1, 2);
    EXPECT_EQ(encoder.Handle(), 0u);
    enginetest::EncodeParamBlock params;
    const TEncodeStartResult result = encoder.Start(u"/tmp/x.mpg", params.bytes, nullptr, nullptr);
    EXPECT_EQ(result.Status, TEncodeStart::NoConverter);
    EXPECT_FALSE(result.Started());
    encoder.Abort();  // nothing happens
  }
  EXPECT_EQ(partial.QEStart(1, 0.0, 0.0, 0, nullptr, nullptr), -1);
  EXPECT_EQ(partial.QEGetLastError(1, nullptr, 0), 0);
  EXPECT_EQ(partial.LastErrorText(1), u"");
  partial.Unload();
}

}  // namespace
