#pragma once

// QM_OutputCtrl.so: authors a DVD-Video folder from the job's encoded titles, its title list
// and its menu description. The job creates a controller, hands it the settings, starts it,
// and learns the outcome from posted window messages; the work runs on the controller's own
// thread, which runs dvdauthor and spumux as child processes from XML it writes, then reads
// the result back with libdvdread to check it before it reports the folder complete.
//
// Entry points (extern "C"; texts zero-terminated UTF-16; nothing throws). Setters are for
// the thread that owns the controller and only take effect before OCStartProcess.
//
//   OCCreateCtrl() -> ctrl
//   OCDestroyCtrl(ctrl)                 cancels a running job, waits for its end, frees it
//   OCInitEncParam(block)               fills the 112-byte OCEncParam with defaults (NTSC 4:3)
//                                       that the converter accepts as they stand
//   OCRegisterMsgHwnd(ctrl, window)     the window that receives the two messages below
//   OCSetMenuData(ctrl, menu)           a menu description handle (below), or a menu data object
//                                       (engines::MenuSource, engines/common/MenuSource.h) that
//                                       renders its pages when the job starts; 0 = disc without menu
//   OCSetTitleList(ctrl, list)          a QM_DVDTitleList handle (chapters, files); may be 0
//   OCSetTempPath(ctrl, folder)         the folder holding the encoded titles Slide0.mpg,
//                                       Slide1.mpg ... (the titles are these files, in order)
//   OCSetDvdFolder(ctrl, folder)        where VIDEO_TS and AUDIO_TS are written; must not hold
//                                       a VIDEO_TS folder already
//   OCSetDVDType(ctrl, type)            OC_TYPE_*: what the job does with the folder afterwards
//   OCSetEncParam(ctrl, block)          the disc's video format (OCEncParam)
//   OCStartProcess(ctrl) -> 1           started; 0 when already running or a bad handle
//   OCCancelProcess(ctrl)               kills the running tool and removes what was written
//   OCWaitProcess(ctrl, ms) -> state    waits up to ms for the end; answers OC_STATE_*
//   OCGetState(ctrl) -> state
//   OCGetLastError(ctrl, buffer, capacity) -> length
//                                       why the job failed ("title 2 is PAL ...")
//
// Messages posted to the registered window:
//   WM_OUTPUTCTRL_PROGRESS (WM_USER+1800): wParam = progress in hundredths of a percent,
//     101..10000 (values below 1.01 % are sent as 0, so that no value reads as a percentage)
//   WM_OUTPUTCTRL_STATE (WM_USER+1604): wParam = OC_STATE_COMPLETE (folder written and
//     checked), OC_STATE_FAILED (OCGetLastError says why) or OC_STATE_CANCELLED; lParam 0.
//     Exactly one of these ends every started job.
//
// Menu description: what the menu is made of, built by the menu engine (or a test) through
// the OCMenu* calls. Each page is a still 720-pixel-wide background (BGRA, the disc's height),
// optional music, and buttons with a rectangle and an action. The highlight and select
// overlays are BGRA pictures of the page's size holding at most 3 colours plus transparency
// and no partly transparent pixel (DVD sub-pictures have no anti-aliasing); without them each
// button gets a plain frame. The page shows until the viewer picks a button; with music it
// loops the music.
//
//   OCMenuCreate() -> menu
//   OCMenuRelease(menu)
//   OCMenuAddPage(menu, const OCMenuPageInfo*) -> page index, or -1 (the pixels are copied)
//   OCMenuAddButton(menu, page, const OCMenuButton*) -> button index, or -1
//
// A menu data object is asked on the job's thread, when it starts, for its pages at the job's
// format: 720 x 480 or 576 by the block's height, 16:9 when the block's aspect is
// kEncodeAspect16x9 (else 4:3), and the number of titles the job found.
//
// On the disc a frame's title plays and then returns to the page its button is on; "play all"
// plays every title in the disc's order and then returns to its page (general registers 2
// and 3 hold the page to return to and the next title of a "play all"); a page with music
// loops it.
//
// A disc without a menu starts the first title and plays the titles one after the other.

#include <cstddef>
#include <cstdint>

#include "engines/common/EncodeParam.h"
#include "engines/common/EngineApi.h"

constexpr uint32_t WM_OUTPUTCTRL_STATE = 0x0400 + 1604;
constexpr uint32_t WM_OUTPUTCTRL_PROGRESS = 0x0400 + 1800;

enum OCState : int32_t {
  OC_STATE_IDLE = 0,
  OC_STATE_RUNNING = 1,
  OC_STATE_COMPLETE = 2,
  OC_STATE_FAILED = 3,
  OC_STATE_CANCELLED = 4,
};

enum OCDvdType : int32_t { OC_TYPE_DISC = 1, OC_TYPE_FOLDER = 2, OC_TYPE_ISO = 3 };

// The encoding parameter block, 112 bytes, shared with the converter engine: its layout and
// the meaning of each field are in engines/common/EncodeParam.h. The authoring reads the frame
// height and rate (the disc's TV standard), the aspect (of the menus) and menuSeconds.
using OCEncParam = DvdEncodeParam;

enum OCButtonAction : int32_t { OC_ACTION_PLAY_TITLE = 1, OC_ACTION_GO_TO_PAGE = 2, OC_ACTION_PLAY_ALL = 3 };

struct OCMenuPageInfo {
  int32_t width;                 // 720
  int32_t height;                // the disc's height
  int32_t stride;                // bytes from one row to the next in the three pictures
  const uint8_t* background;     // BGRA, required
  const uint8_t* highlight;      // BGRA overlay shown on the button under the cursor, or null
  const uint8_t* select;         // BGRA overlay shown while a button is activated, or null
  const char16_t* audioFile;     // background music, or null/empty for silence
};

struct OCMenuButton {
  int32_t left, top, right, bottom;  // pixels of the page, right and bottom exclusive
  int32_t action;                    // OCButtonAction
  int32_t target;                    // title index (0-based, in disc order) or page index;
                                     // not used by OC_ACTION_PLAY_ALL
};
static_assert(sizeof(OCMenuButton) == 24);

ENGINE_API uintptr_t OCCreateCtrl();
ENGINE_API void OCDestroyCtrl(uintptr_t ctrl);
ENGINE_API void OCInitEncParam(void* block);
ENGINE_API void OCRegisterMsgHwnd(uintptr_t ctrl, uintptr_t window);
ENGINE_API void OCSetMenuData(uintptr_t ctrl, uintptr_t menu);
ENGINE_API void OCSetTitleList(uintptr_t ctrl, uintptr_t list);
ENGINE_API void OCSetTempPath(uintptr_t ctrl, const char16_t* folder);
ENGINE_API void OCSetDvdFolder(uintptr_t ctrl, const char16_t* folder);
ENGINE_API void OCSetDVDType(uintptr_t ctrl, int32_t type);
ENGINE_API void OCSetEncParam(uintptr_t ctrl, const void* block);
ENGINE_API int32_t OCStartProcess(uintptr_t ctrl);
ENGINE_API void OCCancelProcess(uintptr_t ctrl);
ENGINE_API int32_t OCWaitProcess(uintptr_t ctrl, int32_t milliseconds);
ENGINE_API int32_t OCGetState(uintptr_t ctrl);
ENGINE_API int32_t OCGetLastError(uintptr_t ctrl, char16_t* buffer, int32_t capacity);

ENGINE_API uintptr_t OCMenuCreate();
ENGINE_API void OCMenuRelease(uintptr_t menu);
ENGINE_API int32_t OCMenuAddPage(uintptr_t menu, const OCMenuPageInfo* page);
ENGINE_API int32_t OCMenuAddButton(uintptr_t menu, int32_t page, const OCMenuButton* button);
