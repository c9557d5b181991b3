#pragma once
// The animation control ("SysAnimate32"): plays a clip of frames in a window, such as the
// "searching" clip while a folder is searched.
//
// A clip here is a strip of frames side by side in one PNG picture, taken from the program's
// RT_RCDATA resources by name or id (ACM_OPEN with an instance, as for the shell's clips) or
// from a file by path. The picture's text chunks name the number of frames ("Frames", 1 when
// missing) and the time each frame shows ("FrameTime", in milliseconds, 100 when missing).
// AVI files are not read.
//
// Frames play on the window's timer (the GUI thread's clock), whatever ACS_TIMER says. With
// ACS_TRANSPARENT the frames' transparent pixels show the brush the parent answers to
// WM_CTLCOLORSTATIC; otherwise the window colour. Without ACS_CENTER an opened clip resizes
// the window to one frame; with it the frame is centred. ACS_AUTOPLAY plays a clip as soon as
// it opens, repeating. The parent hears ACN_START and ACN_STOP through WM_COMMAND.

#include "platform/comctl/CommCtrl.h"

namespace platform {

inline constexpr char16_t ANIMATE_CLASSW[] = u"SysAnimate32";
inline constexpr char ANIMATE_CLASSA[] = "SysAnimate32";

constexpr DWORD ACS_CENTER = 0x0001;
constexpr DWORD ACS_TRANSPARENT = 0x0002;
constexpr DWORD ACS_AUTOPLAY = 0x0004;
constexpr DWORD ACS_TIMER = 0x0008;

// ACM_OPEN: wParam the instance (ignored), lParam the clip's name, a resource id, or null to
// close the clip. TRUE when a clip opened. ACM_OPENA takes UTF-8, ACM_OPENW UTF-16.
constexpr UINT ACM_OPENA = WM_USER + 100;
// ACM_PLAY: wParam the number of times to play (-1 for ever, 0 not at all), lParam
// MAKELONG(first frame, last frame), the last 0xFFFF for the clip's end. A first frame equal to
// the last shows that frame without playing. TRUE when a clip is open.
constexpr UINT ACM_PLAY = WM_USER + 101;
constexpr UINT ACM_STOP = WM_USER + 102;
constexpr UINT ACM_OPENW = WM_USER + 103;
constexpr UINT ACM_ISPLAYING = WM_USER + 104;

constexpr WORD ACN_START = 1;
constexpr WORD ACN_STOP = 2;

namespace detail {
// The frame on show (0 based), or -1 when no clip is open.
int AnimateCurrentFrame(HWND animate);
// The open clip's number of frames and frame size; false when none is open.
bool AnimateClipInfo(HWND animate, int* frames, int* width, int* height);
}  // namespace detail

}  // namespace platform
