// The clip tasks: defaults, reading a source's information through the decoder manager
// (subtitles, still pictures, unreadable files and answers without a program entry), the
// trimmed length, subtitle selection, fonts and the watermark picture, and identifiers.

#include "program/engine/MediaTask.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "EngineTestSupport.h"
#include "platform/kernel/Unicode.h"
#include "program/engine/DecoderLibrary.h"
#include "program/engine/EngineBinding.h"

namespace {

using engines::media::testing::Fixture;
using platform::Utf8ToUtf16;

class MediaTaskTest : public ::testing::Test {
 protected:
  TMediaTaskMgr manager;
  TMediaTaskList& list = *manager.TaskList();
};

TEST_F(MediaTaskTest, ANewTaskHasTheDefaultSettingsAndTakesItsNameFromTheFile) {
  TMediaTask* task = list.Add(u"/home/ana/Vídeos/Urlaub 2024.mp4", 0);
  EXPECT_EQ(task->Owner, &list);
  EXPECT_EQ(task->ID, 1);
  EXPECT_EQ(task->Name, "Urlaub 2024.mp4");
  EXPECT_EQ(task->FileName, u"/home/ana/Vídeos/Urlaub 2024.mp4");
  EXPECT_EQ(task->Volume, 100);
  EXPECT_EQ(task->ResizeStyle, 1);
  EXPECT_EQ(task->Length, 0.0);
  EXPECT_FALSE(task->HasVideo || task->HasAudio || task->HasSubtitles || task->OverlayEnabled);
  EXPECT_EQ(task->GetFlags(), 0);
  EXPECT_EQ(task->OverlayImage, nullptr);
  for (TFont* font : {task->OverlayFont.get(), task->SubtitleFont.get()}) {
    EXPECT_EQ(font->Size(), 36);
    EXPECT_EQ(font->Color(), clWhite);
  }
  const TMediaDecodeParamBlocks zero{};
  EXPECT_EQ(std::memcmp(&task->DecodeParams, &zero, sizeof zero), 0);
  // The two blocks lie one after the other.
  EXPECT_EQ(task->GetAudioDecodeParams(), task->GetVideoDecodeParams() + kMediaDecodeParamsSize);

  TMediaTask* named = list.NewTask(7, "Opening", u"/videos/a.mp4", 3);
  EXPECT_EQ(named->Name, "Opening");
  EXPECT_EQ(named->Mode, 3);
  EXPECT_EQ(list.FindByID(7), named);
  EXPECT_EQ(list.FindByID(1), task);
  EXPECT_EQ(list.FindByID(2), nullptr);
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(MediaTaskTest, IdentifiersCountUpAndWrapToZeroAfterTheLargest) {
  EXPECT_EQ(manager.NextID(), 1);
  EXPECT_EQ(manager.NextID(), 2);
  manager.SetLastID(0x7FFFFFFE);
  EXPECT_EQ(manager.NextID(), 0x7FFFFFFF);
  EXPECT_EQ(manager.NextID(), 0);
  EXPECT_EQ(manager.NextID(), 1);
  // The first task in list order answers for a repeated identifier.
  TMediaTask* first = list.NewTask(2, "", u"a.mp4", 0);
  list.NewTask(2, "", u"b.mp4", 0);
  EXPECT_EQ(list.FindByID(2), first);
}

TEST_F(MediaTaskTest, TrimmedDurationAndFlags) {
  TMediaTask* task = list.Add(u"a.mp4", 0);
  task->Length = 60.0;
  const struct {
    double start, end, played;
  } cases[] = {{0.0, 0.0, 60.0}, {10.0, 0.0, 50.0}, {10.0, 10.0, 50.0}, {10.0, 20.0, 10.0}};
  for (const auto& c : cases) {
    task->TrimStart = c.start;
    task->TrimEnd = c.end;
    EXPECT_DOUBLE_EQ(task->GetTrimmedDuration(), c.played) << c.start << " to " << c.end;
  }
  for (int32_t flags : {0, 1, 2, 3}) {
    task->SetFlags(flags | 4);  // other bits are not kept
    EXPECT_EQ(task->FlipHorizontal, (flags & 1) != 0);
    EXPECT_EQ(task->FlipVertical, (flags & 2) != 0);
    EXPECT_EQ(task->GetFlags(), flags);
  }
}

TEST_F(MediaTaskTest, SubtitleSelectionWritesTheStreamIntoTheVideoDecodeParameters) {
  TMediaTask* task = list.Add(u"a.mkv", 0);
  task->SubtitleList->AddObject(u"English", reinterpret_cast<TObject*>(intptr_t{3}));
  task->SubtitleList->AddObject(u"Deutsch", reinterpret_cast<TObject*>(intptr_t{5}));
  const auto selected = [&] {
    int32_t id;
    std::memcpy(&id, task->GetVideoDecodeParams() + 12, sizeof id);
    return id;
  };
  task->SelectSubtitle(1);
  EXPECT_EQ(selected(), 5);
  EXPECT_EQ(task->GetSubtitleIndex(), 1);
  EXPECT_EQ(task->GetSubtitleID(0), 3);
  for (int32_t outside : {-1, 2}) {
    task->SelectSubtitle(1);
    task->SelectSubtitle(outside);
    EXPECT_EQ(selected(), 0) << outside;
    EXPECT_EQ(task->GetSubtitleIndex(), -1) << outside;
    // An index outside the list answers no stream rather than reading past it.
    EXPECT_EQ(task->GetSubtitleID(outside), 0) << outside;
  }
  // Only the identifier's four bytes are written.
  for (size_t i = 0; i < 2 * kMediaDecodeParamsSize; ++i)
    if (i < 12 || i >= 16) {
      EXPECT_EQ(task->GetVideoDecodeParams()[i], 0) << i;
    }
}

TEST_F(MediaTaskTest, FontsAreCopiedAndTheWatermarkPictureIsTheTasksOwnCopy) {
  TMediaTask* task = list.Add(u"a.mp4", 0);
  TFont font;
  font.SetName("DejaVu Serif");
  font.SetSize(20);
  font.SetColor(0x0000FF);
  font.SetStyle(TFontStyles{fsBold});
  task->SetOverlayFont(&font);
  task->SetSubtitleFont(nullptr);
  font.SetSize(8);
  EXPECT_EQ(task->OverlayFont->Name(), "DejaVu Serif");
  EXPECT_EQ(task->OverlayFont->Size(), 20);
  EXPECT_EQ(task->OverlayFont->Color(), 0x0000FF);
  EXPECT_TRUE(task->OverlayFont->Style().Contains(fsBold));
  EXPECT_EQ(task->SubtitleFont->Size(), 36);

  ImageProcLibrary.Load();
  auto picture = MediaDibImage::TDibImage::FromFile32(Utf8ToUtf16(Fixture("photo.png")));
  ASSERT_EQ(picture->GetWidth(), 64);
  task->SetOverlayImage(picture.get());
  ASSERT_NE(task->OverlayImage, nullptr);
  EXPECT_NE(task->OverlayImage->Handle(), picture->Handle());
  picture.reset();
  EXPECT_EQ(task->OverlayImage->GetWidth(), 64);
  task->SetOverlayImage(nullptr);
  EXPECT_EQ(task->OverlayImage, nullptr);
}

TEST_F(MediaTaskTest, LoadInfoReadsTheSourcesStreams) {
  enginetest::BindMediaEngines();
  const struct {
    const char* fixture;
    bool video, audio, still;
    int32_t width;
  } cases[] = {{"h264_aac.mp4", true, true, false, 320},
               {"audio_only.m4a", false, true, false, 0},
               {"photo.png", true, false, true, 64}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    TMediaTask* task = list.Add(Utf8ToUtf16(Fixture(c.fixture)), 0);
    ASSERT_TRUE(task->LoadInfo());
    EXPECT_EQ(task->HasVideo, c.video);
    EXPECT_EQ(task->HasAudio, c.audio);
    int32_t width = -1, height = -1;
    task->GetFrameSize(width, height);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(task->IsCapsFlag1Set(), c.still);
    EXPECT_FALSE(task->HasSubtitles);
    if (!c.still) {
      EXPECT_NEAR(task->Length, 2.0, 0.1);
    }
    if (!c.video) {
      EXPECT_EQ(task->VideoInfo.frame_rate, 0.0);
    }
  }
}

TEST_F(MediaTaskTest, LoadInfoListsSubtitlesAndAnUnreadableFileEmptiesThemButKeepsTheRest) {
  enginetest::BindMediaEngines();
  enginetest::ScratchFolder folder("task-subtitles");
  const std::string srt = (folder / "cues.srt").string();
  std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:01,000\nHola\n";
  const std::string clip = (folder / "subtitled.mkv").string();
  ASSERT_EQ(engines::media::testing::RunProgram(
                {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                 "testsrc2=size=160x120:rate=25:duration=1", "-i", srt, "-c:v", "libx264", "-preset", "ultrafast",
                 "-c:s", "srt", "-metadata:s:s:0", "title=Español", clip}),
            0);
  TMediaTask* task = list.Add(Utf8ToUtf16(clip), 0);
  ASSERT_TRUE(task->LoadInfo());
  ASSERT_TRUE(task->HasSubtitles);
  ASSERT_EQ(task->SubtitleList->Count(), 1);
  EXPECT_NE(task->SubtitleList->Strings(0).find(u"Español"), WideString::npos);
  EXPECT_NE(task->GetSubtitleID(0), 0);
  task->SelectSubtitle(0);
  EXPECT_EQ(task->GetSubtitleIndex(), 0);

  std::filesystem::remove(clip);
  EXPECT_FALSE(task->LoadInfo());
  EXPECT_EQ(task->SubtitleList->Count(), 0);
  EXPECT_FALSE(task->HasSubtitles);
  EXPECT_TRUE(task->HasVideo);
  EXPECT_EQ(task->VideoInfo.Width, 160);
  EXPECT_NEAR(task->Length, 1.0, 0.1);
}

// A decoder manager may describe a file without any program entry: that is no information
// about streams, and the task must not report it as read.
TEST_F(MediaTaskTest, LoadInfoAnswersFalseForAnAnswerWithoutAProgramEntry) {
  TDecoderLibrary standIn("no-program decoder");
  ASSERT_TRUE(standIn.LoadAndStart(BRANTWELL_NO_PROGRAM_DECODER));
  TMediaTask* task = list.Add(u"/videos/anything.mp4", 0);
  task->SubtitleList->AddObject(u"stale", reinterpret_cast<TObject*>(intptr_t{9}));
  EXPECT_FALSE(task->LoadInfo(standIn));
  EXPECT_DOUBLE_EQ(task->Length, 12.5);  // the file's own duration is all there was
  EXPECT_FALSE(task->HasVideo || task->HasAudio || task->HasSubtitles);
  EXPECT_EQ(task->SubtitleList->Count(), 0);
  EXPECT_EQ(task->VideoInfo.Width, 0);
  standIn.Unload();
}

}  // namespace
