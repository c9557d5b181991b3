#include "program/engine/MediaProcess.h"

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "program/engine/EngineBinding.h"

namespace {

using enginetest::BmpPixel;
using enginetest::Fixture;

TEST(MediaProcessTest, PixelRectanglesBecomeFractionsOfTheFrame) {
  struct Case {
    int left, top, width, height, frameWidth, frameHeight;
    TUnitRect expected;
  } cases[] = {
      {0, 0, 720, 480, 720, 480, {0.0f, 0.0f, 1.0f, 1.0f}},
      {180, 120, 360, 240, 720, 480, {0.25f, 0.25f, 0.75f, 0.75f}},
      {10, 10, 20, 20, 0, 480, {0.0f, 0.0f, 0.0f, 0.0f}},
      {10, 10, 20, 20, 720, 0, {0.0f, 0.0f, 0.0f, 0.0f}},
  };
  for (const Case& c : cases) {
    const TUnitRect r = PixelRectToUnitRect(c.left, c.top, c.width, c.height, c.frameWidth, c.frameHeight);
    EXPECT_FLOAT_EQ(r.Left, c.expected.Left);
    EXPECT_FLOAT_EQ(r.Top, c.expected.Top);
    EXPECT_FLOAT_EQ(r.Right, c.expected.Right);
    EXPECT_FLOAT_EQ(r.Bottom, c.expected.Bottom);
  }
}

// A processor over a photo (left half red, right half blue) changes the pictures the converter
// reads from it; its snapshot shows the processed picture.
TEST(MediaProcessTest, SettingsChangeThePixelsTheProcessorDelivers) {
  enginetest::BindMediaEngines();
  const std::string photo = Fixture("photo.png");
  ASSERT_FALSE(photo.empty());
  enginetest::ScratchFolder folder("processor");
  struct Case {
    const char* name;
    void (*apply)(TVideoMediaProcessor&);
    enginetest::Bgr left, right;
  } cases[] = {
      {"unchanged", [](TVideoMediaProcessor&) {}, {0, 0, 255}, {255, 0, 0}},
      {"flipped", [](TVideoMediaProcessor& p) { p.SetFlipFlag(1); }, {255, 0, 0}, {0, 0, 255}},
      {"negative", [](TVideoMediaProcessor& p) { p.SetExFilterFlag(4); }, {255, 255, 0}, {0, 255, 255}},
      {"darker", [](TVideoMediaProcessor& p) { p.SetBrightness(-100); }, {0, 0, 127}, {127, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntfPtr<IVideoDecoder> decoder = TVideoDecoder::Create(platform::Utf8ToUtf16(photo));
    ASSERT_NE(decoder->GetHandle(), 0u);
    const TEngineHandle handle = DataProcessLibrary.CreateVideoProcessor(decoder->GetHandle());
    ASSERT_NE(handle, 0u);
    IntfPtr<TVideoMediaProcessor> processor(new TVideoMediaProcessor(handle, true));
    EXPECT_EQ(processor->GetVideoInfo()->Width, 64);  // the decoder manager answers for processors
    c.apply(*processor);
    {
      TMediaEncoder encoder(processor->GetHandle(), 0);
      enginetest::EncodeLog log;
      ASSERT_EQ(enginetest::EncodeAndWait(encoder, folder / (std::string(c.name) + ".mpg"), log, 0.0, 0.2), 0);
    }
    const auto snapshot = folder / (std::string(c.name) + ".bmp");
    ASSERT_TRUE(DataProcessLibrary.SaveSnapshot(handle, platform::Utf8ToUtf16(snapshot.string()).c_str(), 0, false));
    const enginetest::Bgr left = BmpPixel(snapshot, 8, 24), right = BmpPixel(snapshot, 56, 24);
    EXPECT_NEAR(left.b, c.left.b, 40);
    EXPECT_NEAR(left.g, c.left.g, 40);
    EXPECT_NEAR(left.r, c.left.r, 40);
    EXPECT_NEAR(right.b, c.right.b, 40);
    EXPECT_NEAR(right.g, c.right.g, 40);
    EXPECT_NEAR(right.r, c.right.r, 40);
  }
}

TEST(MediaProcessTest, OnlyAnOwningWrapperDestroysTheProcessor) {
  enginetest::BindMediaEngines();
  const std::string photo = Fixture("photo.png");
  ASSERT_FALSE(photo.empty());
  IntfPtr<IVideoDecoder> decoder = TVideoDecoder::Create(platform::Utf8ToUtf16(photo));
  const TEngineHandle handle = DataProcessLibrary.CreateVideoProcessor(decoder->GetHandle());
  ASSERT_NE(handle, 0u);
  IntfPtr<IVideoDecoder>(new TVideoMediaProcessor(handle, false)).reset();
  EXPECT_NE(DecoderLibrary.QVDGetVideoInfo(handle), nullptr);  // still alive
  IntfPtr<IVideoDecoder>(new TVideoMediaProcessor(handle, true)).reset();
  EXPECT_EQ(DecoderLibrary.QVDGetVideoInfo(handle), nullptr);

  // A wrapper over handle 0 passes it on and answers with its own zero record.
  IntfPtr<TVideoMediaProcessor> none(new TVideoMediaProcessor(0, true));
  none->SetBrightness(10);
  EXPECT_EQ(none->GetVideoInfo()->Width, 0);
  EXPECT_FALSE(DataProcessLibrary.SaveSnapshot(0, u"/tmp/none.bmp", 0, false));
}

}  // namespace
