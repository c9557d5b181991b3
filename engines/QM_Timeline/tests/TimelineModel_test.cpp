// The timeline's document through the C API: the time layout, every clip attribute, counting
// and stale handles, selection, deletion and the selected transitions.

#include <cstring>

#include "TimelineFixture.h"

namespace timeline_test {
namespace {

struct LayoutCase {
  const char* name;
  std::vector<double> clips;        // physical lengths
  std::vector<double> transitions;  // tail transition of each clip (0: none)
  std::vector<double> begins;
  std::vector<std::pair<double, double>> overlaps;  // each transition's begin and length
  double length;
};

TEST_F(TimelineTest, LaysClipsAndTransitionsOutInTime) {
  const LayoutCase cases[] = {
      {"three 4-s clips, 2-s transitions", {4, 4, 4}, {2, 2, 0}, {0, 2, 4}, {{2, 2}, {4, 2}}, 8},
      {"short clips cut the overlap to half the shorter", {4, 1, 4}, {2, 2, 0}, {0, 3.5, 4}, {{3.5, 0.5}, {4, 0.5}}, 8},
      {"the last transition fades into black", {4, 3}, {2, 2}, {0, 2.5}, {{2.5, 1.5}, {4, 1.5}}, 5.5},
      {"no transitions", {1.5, 2.5}, {0, 0}, {0, 1.5}, {}, 4},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDSelectAllClips(doc);
    TDDeleteSelectedClips(doc);
    EXPECT_EQ(TDGetLength(doc), 0.0);
    for (size_t i = 0; i < c.clips.size(); ++i) {
      const EngineHandle clip = AddClip(c.clips[i], c.transitions[i]);
      TCSetBeginTime(clip, 99.0);  // a stored begin time is replaced by the layout
    }
    TTAdjustClipPos(track);
    ASSERT_EQ(TTGetClipCount(track), int(c.clips.size()));
    for (size_t i = 0; i < c.begins.size(); ++i) EXPECT_DOUBLE_EQ(TCGetBeginTime(TTGetClip(track, int(i))), c.begins[i]);
    ASSERT_EQ(TTGetTransClipCount(track), int(c.overlaps.size()));
    for (size_t i = 0; i < c.overlaps.size(); ++i) {
      const EngineHandle transition = TTGetTransClip(track, int(i));
      EXPECT_EQ(TCGetType(transition), kTimelineTransition);
      EXPECT_DOUBLE_EQ(TCGetBeginTime(transition), c.overlaps[i].first);
      EXPECT_DOUBLE_EQ(TCGetLength(transition), c.overlaps[i].second);
    }
    EXPECT_EQ(TTGetTransClip(track, int(c.overlaps.size())), 0u);
    EXPECT_DOUBLE_EQ(TTGetLength(track), c.length);
    EXPECT_DOUBLE_EQ(TDGetLength(doc), c.length);
  }
}

TEST_F(TimelineTest, LengthChangesMoveTheFollowingClipsOnAdjust) {
  const EngineHandle first = AddClip(4, 2);
  const EngineHandle second = AddClip(4, 2);
  const EngineHandle third = AddClip(4);
  // Trimmed: a later physical begin shortens the default length.
  TCSetPhysicalBegin(first, 1.0);
  EXPECT_DOUBLE_EQ(TCGetLength(first), 3.0);
  TCSetLength(second, 10.0);
  EXPECT_DOUBLE_EQ(TCGetLength(second), 10.0);
  EXPECT_DOUBLE_EQ(TCGetBeginTime(third), 4.0);  // not yet laid out again
  TTAdjustClipPos(track);
  EXPECT_DOUBLE_EQ(TCGetBeginTime(second), 1.5);  // 3-s clip: the overlap is cut to 1.5
  EXPECT_DOUBLE_EQ(TCGetBeginTime(third), 9.5);
  EXPECT_DOUBLE_EQ(TDGetLength(doc), 13.5);
  // A transition keeps the length asked for and gets it back when its clips allow.
  TCSetLength(first, 6.0);
  TTAdjustClipPos(track);
  EXPECT_DOUBLE_EQ(TCGetLength(TCGetClipTailTrans(first)), 2.0);
}

TEST_F(TimelineTest, EveryAttributeReadsBackWhatWasSet) {
  const EngineHandle clip = TCCreate(kTimelineVideoClip);
  ASSERT_NE(clip, 0u);
  // A new clip: volume 100, everything else zero or nil.
  EXPECT_EQ(TCGetVolume(clip), 100);
  EXPECT_EQ(TCGetFileName(clip), nullptr);
  EXPECT_EQ(TCGetThumbnailPath(clip), nullptr);
  EXPECT_EQ(TCGetCropRect(clip), nullptr);
  EXPECT_EQ(TCGetWaterMarkData(clip), nullptr);
  EXPECT_EQ(TCGetClipSubPicRec(clip), nullptr);
  EXPECT_EQ(TCGetClipTailTrans(clip), 0u);

  struct IntCase {
    void (*set)(EngineHandle, int32_t);
    int32_t (*get)(EngineHandle);
    int32_t value;
  };
  const IntCase ints[] = {
      {TCSetClipID, TCGetClipID, 17},          {TCSetVolume, TCGetVolume, 150},
      {TCSetBrightness, TCGetBrightness, -40}, {TCSetContrast, TCGetContrast, 25},
      {TCSetSaturation, TCGetSaturation, -7},  {TCSetFilterFlag, TCGetFilterFlag, 0x12},
      {TCSetFlipFlag, TCGetFlipFlag, 3},       {TCSetResizeStyle, TCGetResizeStyle, 5},
  };
  for (const IntCase& c : ints) {
    c.set(clip, c.value);
    EXPECT_EQ(c.get(clip), c.value);
  }
  struct DoubleCase {
    void (*set)(EngineHandle, double);
    double (*get)(EngineHandle);
    double value;
  };
  const DoubleCase doubles[] = {
      {TCSetBeginTime, TCGetBeginTime, 12.25},   {TCSetPhysicalBegin, TCGetPhysicalBegin, 1.5},
      {TCSetAudioFadeIn, TCGetAudioFadeIn, 0.75}, {TCSetAudioFadeOut, TCGetAudioFadeOut, 2.5},
      {TCSetLength, TCGetLength, 7.125},
  };
  for (const DoubleCase& c : doubles) {
    c.set(clip, c.value);
    EXPECT_DOUBLE_EQ(c.get(clip), c.value);
  }
  // The deinterlace mode reads back as its low byte; mute as a BOOL.
  TCSetDeintelace(clip, 2);
  EXPECT_EQ(TCGetDeintelace(clip), 2);
  TCSetDeintelace(clip, 0x1FF);
  EXPECT_EQ(TCGetDeintelace(clip), -1);
  TCSetAudioMute(clip, -1);
  EXPECT_EQ(TCIsAudioMute(clip), 1);
  TCSetAudioMute(clip, 0);
  EXPECT_EQ(TCIsAudioMute(clip), 0);

  // Texts are copied at once; the label is the file name without its folder.
  std::u16string path = u"/home/me/Vidéos/holiday 1.mp4";
  TCSetFileName(clip, path.c_str());
  path[1] = u'X';
  EXPECT_EQ(std::u16string(TCGetFileName(clip)), u"/home/me/Vidéos/holiday 1.mp4");
  EXPECT_EQ(std::u16string(TCGetLabel(clip)), u"holiday 1.mp4");
  TCSetThumbnailPath(clip, u"/thumbs/1.jpg");
  EXPECT_EQ(std::u16string(TCGetThumbnailPath(clip)), u"/thumbs/1.jpg");
  TCSetFileName(clip, nullptr);
  EXPECT_EQ(TCGetFileName(clip), nullptr);
  EXPECT_EQ(std::u16string(TCGetLabel(clip)), u"");
  TCRelease(clip);
}

TEST_F(TimelineTest, RecordsAreCopiesAndMayBeSetFromTheirOwnPointer) {
  const EngineHandle clip = TCCreate(kTimelineVideoClip);

  TTimelineCropRect crop{10, 20, 700, 560};
  TCSetCropRect(clip, &crop);
  crop.left = 99;
  ASSERT_NE(TCGetCropRect(clip), nullptr);
  EXPECT_NE(TCGetCropRect(clip), &crop);
  EXPECT_EQ(TCGetCropRect(clip)->left, 10);
  EXPECT_EQ(TCGetCropRect(clip)->bottom, 560);

  auto mark = std::make_unique<TWaterMarkData>();
  std::memset(mark.get(), 0, sizeof(TWaterMarkData));
  mark->enabled = 1;
  mark->kind = 1;
  mark->width = 320;
  std::memcpy(mark->text, u"© Brantwell", 12 * sizeof(char16_t));
  mark->reserved[51] = 0x5A;  // the last byte of the record travels too
  TCSetWaterMarkData(clip, mark.get());
  mark.reset();
  TWaterMarkData* own = TCGetWaterMarkData(clip);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->width, 320);
  EXPECT_EQ(std::u16string(own->text), u"© Brantwell");
  EXPECT_EQ(own->reserved[51], 0x5A);
  // The program edits the record in place and hands the same pointer back.
  own->height = 48;
  TCSetWaterMarkData(clip, own);
  ASSERT_NE(TCGetWaterMarkData(clip), nullptr);
  EXPECT_EQ(TCGetWaterMarkData(clip)->height, 48);
  EXPECT_EQ(TCGetWaterMarkData(clip)->width, 320);

  TClipSubPicRec record{};
  record.shown = -1;
  record.streamId = 3;
  record.transparency = 40;
  TCSetClipSubPicRec(clip, &record);
  TClipSubPicRec* sub = TCGetClipSubPicRec(clip);
  ASSERT_NE(sub, nullptr);
  sub->x = 12;
  TCSetClipSubPicRec(clip, sub);
  EXPECT_EQ(TCGetClipSubPicRec(clip)->streamId, 3);
  EXPECT_EQ(TCGetClipSubPicRec(clip)->x, 12);
  EXPECT_EQ(TCGetClipSubPicRec(clip)->transparency, 40);

  TCSetCropRect(clip, TCGetCropRect(clip));
  EXPECT_EQ(TCGetCropRect(clip)->top, 20);
  // Nil clears.
  TCSetCropRect(clip, nullptr);
  TCSetWaterMarkData(clip, nullptr);
  TCSetClipSubPicRec(clip, nullptr);
  EXPECT_EQ(TCGetCropRect(clip), nullptr);
  EXPECT_EQ(TCGetWaterMarkData(clip), nullptr);
  EXPECT_EQ(TCGetClipSubPicRec(clip), nullptr);
  TCRelease(clip);
}

TEST_F(TimelineTest, ClipsAreCountedAndStaleHandlesAnswerNeutralValues) {
  // Released before insertion: gone.
  const EngineHandle loose = TCCreate(kTimelineVideoClip);
  TCRelease(loose);
  EXPECT_EQ(TCGetType(loose), 0);
  EXPECT_EQ(TCGetLabel(loose), nullptr);
  EXPECT_EQ(TTInsertClipIndex(track, loose, -1), -1);
  EXPECT_EQ(TCCreate(kTimelineTransition), 0u);
  EXPECT_EQ(TCCreate(0), 0u);

  // Inserted and released: the track keeps it; a second release cannot take the track's.
  const EngineHandle kept = AddClip(3, 2);
  TCRelease(kept);
  EXPECT_EQ(TCGetType(kept), kTimelineVideoClip);
  EXPECT_EQ(TTGetClip(track, 0), kept);
  EXPECT_EQ(TTInsertClipIndex(track, kept, -1), -1);  // already in the track

  // A transition replaced or deleted with its clip goes stale.
  const EngineHandle oldTail = TCGetClipTailTrans(kept);
  const EngineHandle newTail = TTSetClipTailTransID(track, kept, u"Wipe", 1.0);
  EXPECT_NE(newTail, oldTail);
  EXPECT_EQ(TCGetType(oldTail), 0);
  EXPECT_EQ(TRGetTransID(oldTail), nullptr);
  EXPECT_EQ(std::u16string(TRGetTransID(newTail)), u"Wipe");
  EXPECT_EQ(std::u16string(TCGetLabel(newTail)), u"Wipe");
  TRSetTransID(newTail, u"Dissolve");
  EXPECT_EQ(std::u16string(TRGetTransID(newTail)), u"Dissolve");
  EXPECT_EQ(TRGetTransID(kept), nullptr);  // a clip has no transition id

  // A clip the program still holds survives its deletion from the track.
  const EngineHandle held = TCCreate(kTimelineVideoClip);
  TCSetPhysicalLength(held, 2);
  EXPECT_EQ(TTInsertClipIndex(track, held, 0), 0);
  EXPECT_EQ(TTGetClip(track, 1), kept);
  TDSelectAllClips(doc);
  TDDeleteSelectedClips(doc);
  EXPECT_EQ(TTGetClipCount(track), 0);
  EXPECT_EQ(TCGetType(kept), 0);
  EXPECT_EQ(TCGetType(newTail), 0);
  EXPECT_EQ(TCGetType(held), kTimelineVideoClip);
  TCRelease(held);
  EXPECT_EQ(TCGetType(held), 0);

  // Neutral answers for stale or wrong-kind handles.
  EXPECT_EQ(TTGetClipCount(doc), 0);
  EXPECT_EQ(TDGetLength(track), 0.0);
  EXPECT_EQ(TDGetTrack(doc, 2, 0), 0u);
  EXPECT_EQ(TDGetTrack(doc, kTimelineVideoTrack, 1), 0u);
  EXPECT_EQ(TDGetTypeTrackCount(doc, kTimelineVideoTrack), 1);
  EXPECT_EQ(TDGetTypeTrackCount(doc, 2), 0);
  EXPECT_EQ(TCGetLength(0), 0.0);
  EXPECT_EQ(TCGetVolume(track), 0);

  // The menu-thumbnail flag.
  EXPECT_EQ(TTGetIsMenuThumbnail(track), 0);
  TTSetIsMenuThumbnail(track, -1);
  EXPECT_EQ(TTGetIsMenuThumbnail(track), -1);

  // A destroyed timeline takes its document, track and clips with it.
  const EngineHandle last = AddClip(2);
  DestroyTimeline(timeline);
  EXPECT_EQ(GetTimelineDoc(timeline), 0u);
  EXPECT_EQ(TDGetLength(doc), 0.0);
  EXPECT_EQ(TTGetClipCount(track), 0);
  EXPECT_EQ(TCGetType(last), 0);
}

TEST_F(TimelineTest, DeletingTheSelectionRaisesEventFour) {
  const EngineHandle a = AddClip(4, 2), b = AddClip(4, 2), c = AddClip(4, 2);
  TDSelectClear(doc);
  TDDeleteSelectedClips(doc);  // nothing selected: nothing happens
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(TTGetClipCount(track), 3);

  TDSelectAllClips(doc);
  TDSelectClear(doc);
  TDDeleteSelectedClips(doc);
  EXPECT_EQ(TTGetClipCount(track), 3);

  TDSelectAllClips(doc);
  TDDeleteSelectedClips(doc);
  ASSERT_EQ(Calls('e').size(), 1u);
  EXPECT_EQ(Calls('e')[0].code, kTimelineEventDeleted);
  EXPECT_EQ(Calls('e')[0].p3, 6);  // three clips and their transitions
  EXPECT_EQ(TDGetLength(doc), 0.0);
  for (EngineHandle clip : {a, b, c}) EXPECT_EQ(TCGetType(clip), 0);
}

}  // namespace
}  // namespace timeline_test
