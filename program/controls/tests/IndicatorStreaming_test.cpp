#include <gtest/gtest.h>

#include "IndicatorTestSupport.h"
#include "program/controls/FSGaugeBar.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSProgressBar.h"
#include "program/controls/FSSkinImage.h"
#include "program/controls/FSVideoTrackBar.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

using namespace indicator_test;

namespace {

// The control's published values written as a form stream and read into a fresh one.
template <class T> std::unique_ptr<T> RoundTrip(T* source) {
  TStringStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(source);
  }
  auto copy = std::make_unique<T>(nullptr);
  TStringStream input(stream.DataString());
  TReader reader(&input, 4096);
  reader.ReadRootComponent(copy.get());
  return copy;
}

using IndicatorStreaming = IndicatorFixture;

TEST_F(IndicatorStreaming, FormFilesNameEveryClassAndKeepItsValues) {
  for (const char* name : {"TFSProgressBar", "TFSGaugeBar", "TFSSkinImage", "TFSImage", "TFSVideoTrackBar"})
    EXPECT_NE(GetClass(name), nullptr) << name;

  TFSVideoTrackBar track(nullptr);
  track.SetName("Trim");
  track.SetMax(200000000);
  track.SetCutEndPos(200000000);
  track.SetCutStartPos(5000);
  track.SetShowCuts(true);
  track.SetTickStep(20);
  track.SetSkinName("PlayTrackBar");
  auto readTrack = RoundTrip(&track);
  EXPECT_EQ(readTrack->Max(), 200000000);
  EXPECT_EQ(readTrack->CutEndPos(), 200000000);
  EXPECT_EQ(readTrack->CutStartPos(), 5000) << "the end is read before the start";
  EXPECT_TRUE(readTrack->ShowCuts());
  EXPECT_EQ(readTrack->TickStep(), 20);
  EXPECT_EQ(readTrack->SkinName(), "PlayTrackBar");

  // No skin: the bar keeps the value the form holds, the default included.
  TFSProgressBar transparent(nullptr);
  transparent.SetName("Transparent");
  EXPECT_TRUE(RoundTrip(&transparent)->Transparent());
  TFSProgressBar opaque(nullptr);
  opaque.SetName("Opaque");
  opaque.SetTransparent(false);
  opaque.SetPosition(37);
  auto readOpaque = RoundTrip(&opaque);
  EXPECT_FALSE(readOpaque->Transparent());
  EXPECT_EQ(readOpaque->Position(), 37);

  TFSGaugeBar gauge(nullptr);
  gauge.SetName("Gauge");
  gauge.SetGaugeMode(GMD9);
  gauge.D9Hint = "dual layer";
  auto readGauge = RoundTrip(&gauge);
  EXPECT_EQ(readGauge->GaugeMode(), GMD9);
  EXPECT_EQ(readGauge->D9Hint, "dual layer");

  TFSImage viewer(nullptr);
  viewer.SetName("Viewer");
  viewer.SetRotation(90);
  viewer.SetZoom(250);
  auto readViewer = RoundTrip(&viewer);
  EXPECT_FLOAT_EQ(readViewer->Rotation(), 90);
  EXPECT_FLOAT_EQ(readViewer->Zoom(), 250);
}

}  // namespace
