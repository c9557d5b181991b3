#pragma once

// The C API of the timeline engine (QM_Timeline.so): one storyboard timeline window per title
// and the document behind it (a document holds one video track; a track holds clips in order;
// each clip may have one tail transition). The program imports these entries at link time.
//
// Threads: every entry point, and every callback, runs on the program's GUI thread. Callbacks
// are called from inside the timeline's window procedure (or from TDDeleteSelectedClips) with
// nothing of the engine held; they may edit the document, show modal windows and even destroy
// the timeline, which is then finished after the callback returns.
//
// Handles are pointer-sized values of the engines' handle space (engines/common/EngineHandles.h).
// A stale, released or wrong-kind handle is ignored and answers a neutral value (0, 0.0, nil).
//
// Clips are counted: TCCreate gives the caller one reference, a track takes its own when the
// clip is inserted, TCRelease drops the caller's. Transitions belong to their clip and are not
// counted. Texts passed in are zero-terminated UTF-16 and copied at once; texts handed out
// belong to the clip until it changes them or goes. Times are seconds.
//
// Time layout: clips follow each other in track order. A tail transition overlaps the end of
// its clip and the start of the next by its length, cut to half the shorter of the two clips;
// the last clip's tail transition fades that clip's end into black and adds no time. A clip's
// length is, until TCSetLength sets it, its physical length minus its physical begin.
// Insertion, removal, reordering and TTAdjustClipPos lay the track out again and replace every
// begin time; a transition's begin and length are those of its overlap. A title's length is
// the end of its last clip (0 for an empty title).

#include <cstddef>
#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

using engines::EngineHandle;

// Element types (TCGetType).
constexpr int32_t kTimelineVideoClip = 1;
constexpr int32_t kTimelineTransition = 5;
// Track types (TDGetTrack, TDGetTypeTrackCount): one video track per document.
constexpr int32_t kTimelineVideoTrack = 1;

// Event codes (event callback, code argument). P3 and P4 are pointer-sized.
constexpr int32_t kTimelineEventLengthChanged = 2;    // P4 the element whose length the user changed
constexpr int32_t kTimelineEventChanged = 3;          // clips were reordered or dropped in
constexpr int32_t kTimelineEventDeleted = 4;          // P3 the number of clips deleted
constexpr int32_t kTimelineEventDropBegins = 7;       // P3 the number of files dropped
constexpr int32_t kTimelineEventSelectionCleared = 102;
constexpr int32_t kTimelineEventFirstClipChanged = 103;  // P4 the new first clip (0: none)
constexpr int32_t kTimelineEventContextMenu = 104;    // P3 x | y << 16 (client pixels), P4 the element or 0
constexpr int32_t kTimelineEventSelected = 510;       // P4 the element clicked or reached by an arrow key
constexpr int32_t kTimelineEventDoubleClicked = 511;  // P4 the element

// Query codes (query callback, code argument).
constexpr int32_t kTimelineQueryPicture = 0;           // P4 an element drawn without a picture: set one
constexpr int32_t kTimelineQueryTransitionId = 1;      // P4 a zeroed buffer of kTimelineTransitionIdUnits units
constexpr int32_t kTimelineQueryClipForFile = 2;       // P4 a dropped file's UTF-16 path; answer a clip or 0
constexpr int kTimelineTransitionIdUnits = 256;

// SendTimelineCommand: the strip's metrics, lParam pointing at kTimelineLayoutCount integers.
// Each value 0 or -1 takes the default given here.
//   [0] zoom in percent; 100 is 30 pixels per second (100)
//   [1] smallest width of a clip tile, pixels (36)
//   [2] side of a transition tile, pixels (32)
//   [3] height of the time ruler, pixels (24)
//   [4] space above and below the track, pixels (8)
//   [5] height of the label strip under a clip's picture, pixels (18)
//   [6] margin before time 0, pixels (8)
//   [7] smallest distance between two ruler ticks, pixels (22)
//   [8] margin after the end of the title, pixels (48)
//   [9] smallest height of the track, pixels (36)
//   [10] size of the empty-title hint's text, pixels (15)
//   [11] width of the selection outline, pixels (2)
//   [12] reserved
//   [13] size of a tile's shadow, pixels (3)
//   [14..16] reserved
constexpr int32_t kTimelineCommandLayout = 8005;
constexpr int kTimelineLayoutCount = 17;

// SetColors indices; colours are 0xAARRGGBB (the alpha byte is ignored).
constexpr int32_t kTimelineColorWindow = 0;         // behind everything (#F3F4F6)
constexpr int32_t kTimelineColorSurface = 1;        // clip tiles, transition tiles (#FFFFFF)
constexpr int32_t kTimelineColorBorder = 2;         // tile borders, ruler line (#D0D5DD)
constexpr int32_t kTimelineColorText = 3;           // labels (#1F2328)
constexpr int32_t kTimelineColorSecondaryText = 4;  // durations, ruler, hint (#667085)
constexpr int32_t kTimelineColorAccent = 5;         // selection, insertion marker (#2563EB)
constexpr int32_t kTimelineColorHover = 6;          // outline of the tile under the pointer (#93B4F5)
constexpr int32_t kTimelineColorRuler = 7;          // the ruler's band (#FFFFFF)
constexpr int32_t kTimelineColorShadow = 8;         // tile shadows (#101828, drawn translucent)
constexpr int32_t kTimelineColorGlyph = 9;          // placeholder glyphs (#98A2B3)
constexpr int32_t kTimelineColorTrack = 24;         // the track's background (#E4E7EC)
constexpr int32_t kTimelineColorCount = 32;

// SetLanguageText ids.
constexpr int32_t kTimelineTextEmptyHint = 100;  // shown in an empty title

// The crop rectangle a clip may carry (TCSetCropRect/TCGetCropRect): source pixels.
struct TTimelineCropRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
static_assert(sizeof(TTimelineCropRect) == 16);

// A clip's watermark (TCSetWaterMarkData/TCGetWaterMarkData), 4444 bytes.
#pragma pack(push, 1)
struct TWaterMarkData {
  uint8_t enabled;  // 0 or 1
  uint8_t pad0[3];
  int32_t left;  // pixels of the source frame
  int32_t top;
  int32_t width;
  int32_t height;
  uint8_t kind;  // 0 image file, 1 text
  uint8_t pad1[3];
  int32_t transparency;
  char16_t imageFile[1024];  // kind 0
  char16_t text[1024];       // kind 1
  char16_t fontName[128];    // kind 1
  int32_t textColor;         // RGB, kind 1
  int32_t fontSize;          // points, kind 1
  int32_t textStyle;         // bold 1, italic 2, underline 4, strike-out 8
  uint8_t reserved[52];
};
#pragma pack(pop)
static_assert(sizeof(TWaterMarkData) == 4444);
static_assert(offsetof(TWaterMarkData, left) == 0x04);
static_assert(offsetof(TWaterMarkData, kind) == 0x14);
static_assert(offsetof(TWaterMarkData, transparency) == 0x18);
static_assert(offsetof(TWaterMarkData, imageFile) == 0x1C);
static_assert(offsetof(TWaterMarkData, text) == 0x81C);
static_assert(offsetof(TWaterMarkData, fontName) == 0x101C);
static_assert(offsetof(TWaterMarkData, textColor) == 0x111C);
static_assert(offsetof(TWaterMarkData, fontSize) == 0x1120);
static_assert(offsetof(TWaterMarkData, textStyle) == 0x1124);
static_assert(offsetof(TWaterMarkData, reserved) == 0x1128);

// A clip's subtitle choice (TCSetClipSubPicRec/TCGetClipSubPicRec), 332 bytes.
#pragma pack(push, 1)
struct TClipSubPicRec {
  int32_t shown;      // BOOL
  int32_t streamId;   // the source's subtitle stream, when shown
  int32_t ownStyle;   // BOOL: the stream's own style rather than the user's
  char16_t fontName[128];
  int32_t fontSize;   // points
  int32_t textStyle;  // as in TWaterMarkData
  int32_t textColor;  // RGB
  uint8_t unused0[36];
  int32_t x;
  int32_t y;
  int32_t transparency;
  uint8_t unused1[4];
};
#pragma pack(pop)
static_assert(sizeof(TClipSubPicRec) == 332);
static_assert(offsetof(TClipSubPicRec, fontName) == 0x00C);
static_assert(offsetof(TClipSubPicRec, fontSize) == 0x10C);
static_assert(offsetof(TClipSubPicRec, textStyle) == 0x110);
static_assert(offsetof(TClipSubPicRec, textColor) == 0x114);
static_assert(offsetof(TClipSubPicRec, x) == 0x13C);
static_assert(offsetof(TClipSubPicRec, y) == 0x140);
static_assert(offsetof(TClipSubPicRec, transparency) == 0x144);

// Callbacks. The event callback answers 0; the query callback an integer or a handle.
using TimelineEventProc = intptr_t (*)(intptr_t data, int32_t code, intptr_t p3, intptr_t p4);
using TimelineQueryProc = intptr_t (*)(intptr_t data, int32_t code, intptr_t p3, intptr_t p4);
// Called after each paint of the timeline with (data, 0, 0).
using TimelineDrawProc = void (*)(intptr_t data, intptr_t b, intptr_t c);

// Timelines. `rect` is the window's place in its parent; `options` (five integers, may be
// null) are kept for the program's sake and change nothing. 0 when the window cannot be made.
ENGINE_API EngineHandle CreateTimeline(HWND parent, const RECT* rect, const int32_t* options, intptr_t reserved);
ENGINE_API int32_t InitTimeline(EngineHandle timeline);  // 1
// Destroys the window and the document; called from inside one of the timeline's own
// callbacks, it is finished when that callback returns.
ENGINE_API void DestroyTimeline(EngineHandle timeline);
ENGINE_API HWND GetTimelineHwnd(EngineHandle timeline);
ENGINE_API void UpdateTimeline(EngineHandle timeline);  // redraws from the document
ENGINE_API EngineHandle GetTimelineDoc(EngineHandle timeline);
// kTimelineCommandLayout answers 1 when applied; other commands answer 0.
ENGINE_API intptr_t SendTimelineCommand(EngineHandle timeline, int32_t command, intptr_t wParam, const void* lParam);
ENGINE_API void SetTimelineEventCallback(EngineHandle timeline, TimelineEventProc callback, intptr_t data);
ENGINE_API void SetTimelineDrawCallback(EngineHandle timeline, TimelineDrawProc callback, intptr_t data);
// One query callback for every timeline of the process.
ENGINE_API void SetTimelineQueryCallback(TimelineQueryProc callback, intptr_t data);
// Process-wide palette and texts; every timeline redraws with them.
ENGINE_API void SetColors(int32_t index, uint32_t argb);
ENGINE_API void SetLanguageText(int32_t id, const char16_t* text);

// Documents.
ENGINE_API double TDGetLength(EngineHandle doc);
ENGINE_API EngineHandle TDGetTrack(EngineHandle doc, int32_t type, int32_t index);
ENGINE_API int32_t TDGetTypeTrackCount(EngineHandle doc, int32_t type);
ENGINE_API void TDSelectAllClips(EngineHandle doc);
ENGINE_API void TDSelectClear(EngineHandle doc);
// Removes the selected clips with their tail transitions, and selected transitions from
// their clips, then raises event 4 when anything went.
ENGINE_API void TDDeleteSelectedClips(EngineHandle doc);
// Gives every selected transition the identifier and (copied) picture; a null bitmap keeps
// the pictures.
ENGINE_API void TDSetSelTrans(EngineHandle doc, const char16_t* id, HBITMAP bitmap);

// Tracks.
// Inserts a clip not yet in a track before position `index` (-1 or past the end: appends).
// Answers the position, or -1.
ENGINE_API int32_t TTInsertClipIndex(EngineHandle track, EngineHandle clip, int32_t index);
ENGINE_API int32_t TTGetClipCount(EngineHandle track);
ENGINE_API EngineHandle TTGetClip(EngineHandle track, int32_t index);
// The track's transitions, in order.
ENGINE_API int32_t TTGetTransClipCount(EngineHandle track);
ENGINE_API EngineHandle TTGetTransClip(EngineHandle track, int32_t index);
ENGINE_API double TTGetLength(EngineHandle track);
// Gives a clip of the track a new tail transition (replacing one it had) and answers it.
ENGINE_API EngineHandle TTSetClipTailTransID(EngineHandle track, EngineHandle clip, const char16_t* id, double length);
ENGINE_API void TTSetIsMenuThumbnail(EngineHandle track, int32_t flag);
ENGINE_API int32_t TTGetIsMenuThumbnail(EngineHandle track);
ENGINE_API void TTAdjustClipPos(EngineHandle track);

// Clips and transitions.
ENGINE_API EngineHandle TCCreate(int32_t type);  // kTimelineVideoClip only; 0 otherwise
ENGINE_API void TCRelease(EngineHandle clip);
ENGINE_API int32_t TCGetType(EngineHandle clip);
// A clip's file name without folder, a transition's identifier; "" when there is none.
ENGINE_API const char16_t* TCGetLabel(EngineHandle clip);
ENGINE_API EngineHandle TCGetClipTailTrans(EngineHandle clip);
ENGINE_API const char16_t* TRGetTransID(EngineHandle transition);
ENGINE_API void TRSetTransID(EngineHandle transition, const char16_t* id);
// Copies the bitmap's pixels as the element's picture; null clears it.
ENGINE_API void TCSetHBitmap(EngineHandle clip, HBITMAP bitmap);

// Clip attributes. Texts: nil until set.
ENGINE_API void TCSetFileName(EngineHandle clip, const char16_t* path);
ENGINE_API const char16_t* TCGetFileName(EngineHandle clip);
ENGINE_API void TCSetThumbnailPath(EngineHandle clip, const char16_t* path);
ENGINE_API const char16_t* TCGetThumbnailPath(EngineHandle clip);
ENGINE_API void TCSetClipID(EngineHandle clip, int32_t id);
ENGINE_API int32_t TCGetClipID(EngineHandle clip);
ENGINE_API void TCSetClipVideoWidth(EngineHandle clip, int32_t width);
ENGINE_API void TCSetClipVideoHeight(EngineHandle clip, int32_t height);
ENGINE_API void TCSetBeginTime(EngineHandle clip, double seconds);
ENGINE_API double TCGetBeginTime(EngineHandle clip);
ENGINE_API void TCSetPhysicalBegin(EngineHandle clip, double seconds);
ENGINE_API double TCGetPhysicalBegin(EngineHandle clip);
ENGINE_API void TCSetLength(EngineHandle clip, double seconds);
ENGINE_API double TCGetLength(EngineHandle clip);
ENGINE_API void TCSetPhysicalLength(EngineHandle clip, double seconds);
ENGINE_API void TCSetAudioFadeIn(EngineHandle clip, double seconds);
ENGINE_API double TCGetAudioFadeIn(EngineHandle clip);
ENGINE_API void TCSetAudioFadeOut(EngineHandle clip, double seconds);
ENGINE_API double TCGetAudioFadeOut(EngineHandle clip);
// Integers; a new clip has volume 100 and every other value 0.
ENGINE_API void TCSetVolume(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetVolume(EngineHandle clip);
ENGINE_API void TCSetBrightness(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetBrightness(EngineHandle clip);
ENGINE_API void TCSetContrast(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetContrast(EngineHandle clip);
ENGINE_API void TCSetSaturation(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetSaturation(EngineHandle clip);
ENGINE_API void TCSetFilterFlag(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetFilterFlag(EngineHandle clip);
ENGINE_API void TCSetFlipFlag(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetFlipFlag(EngineHandle clip);
ENGINE_API void TCSetResizeStyle(EngineHandle clip, int32_t value);
ENGINE_API int32_t TCGetResizeStyle(EngineHandle clip);
ENGINE_API void TCSetDeintelace(EngineHandle clip, int32_t value);
ENGINE_API int8_t TCGetDeintelace(EngineHandle clip);  // the value's low byte
ENGINE_API void TCSetAudioMute(EngineHandle clip, int32_t mute);
ENGINE_API int32_t TCIsAudioMute(EngineHandle clip);  // 1 or 0
// Records: Set copies (nil clears; the pointer Get returned may be passed back); Get answers
// the clip's own copy (the caller may edit it in place), valid until the next Set, or nil when
// unset.
ENGINE_API void TCSetCropRect(EngineHandle clip, const TTimelineCropRect* rect);
ENGINE_API TTimelineCropRect* TCGetCropRect(EngineHandle clip);
ENGINE_API void TCSetWaterMarkData(EngineHandle clip, const TWaterMarkData* data);
ENGINE_API TWaterMarkData* TCGetWaterMarkData(EngineHandle clip);
ENGINE_API void TCSetClipSubPicRec(EngineHandle clip, const TClipSubPicRec* record);
ENGINE_API TClipSubPicRec* TCGetClipSubPicRec(EngineHandle clip);
