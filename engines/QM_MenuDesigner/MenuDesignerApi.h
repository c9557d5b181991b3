#pragma once

// The C API of the menu designer engine (QM_MenuDesigner.so): the content of one menu page,
// addressed by the page handle the menu manager gives (MGGetCurrentPage). A page is designed
// on a 720 x 540 square-pixel canvas (4:3): its template (the folder of a template INI), its
// background picture and music, the frame picture drawn over each title's thumbnail, the
// previous / play / next button pictures, and its text items. Changes repaint the manager's
// designer window.
//
// GUI thread; handles may be 0 or stale (the entry does nothing and answers 0). Paths and
// texts are zero-terminated UTF-16. Text out always ends inside the caller's buffer.
//
//   MDSetTemplatePath(page, folder) -> 1/0     loads the template of that folder (its INI):
//                                              background, frame, buttons, slots, heading
//   MDSetBackgndPicture(page, path) -> 1/0
//   MDGetXmlBkgdPic(page, buffer, capacity) -> length   the background picture's path
//   MDSetBackgndAudio(page, path)              empty clears the page's music
//   MDGetBackgndAudio(page, buffer, capacity) -> length
//   MDSetFrameImage(page, title, path) -> 1/0  title -1: the frame of every title
//   MDSetButtonImage(page, button, path) -> 1/0   0 previous, 1 play, 2 next
//   MDAddTextItem(page) -> index               a centred "Text" item, selected
//   MDGetCurrentTextItem(page, record) -> 1/0  fills the 1,048-byte MDTextItem of the selection
//   MDSetTextContent(page, text), MDSetTextFont(page, family), MDSetTextFontSize(page, points),
//   MDSetTextColor(page, colorref), MDSetTextStyle(page, style, on)
//                                              change the selected text item; style 0 bold,
//                                              1 italic, 2 underline, 3 strike-out; on -1 / 0
//   MDGetSupportFontCount() -> count           fontconfig families whose names fit 31 units,
//                                              sorted, without duplicates
//   MDGetSupportFontName(index, buffer) -> length   buffer of kMenuFontNameUnits (32) units

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"

using engines::EngineHandle;

constexpr int32_t kMenuFontNameUnits = 32;
constexpr int32_t kMenuTextUnits = 256;  // text and font name of a text item, terminator included

enum MenuTextStyle : int32_t { kMenuTextBold = 0, kMenuTextItalic = 1, kMenuTextUnderline = 2, kMenuTextStrikeOut = 3 };

struct MDTextItem {
  char16_t text[kMenuTextUnits];      // at most 255 units and a terminator
  char16_t fontName[kMenuTextUnits];  // likewise
  int32_t fontSize;                   // points on the 720 x 540 canvas
  uint32_t color;                     // 0x00BBGGRR
  uint32_t style;                     // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  int32_t reserved[3];
};
static_assert(sizeof(MDTextItem) == 1048);

ENGINE_API int32_t MDSetTemplatePath(EngineHandle page, const char16_t* folder);
ENGINE_API int32_t MDSetBackgndPicture(EngineHandle page, const char16_t* path);
ENGINE_API int32_t MDGetXmlBkgdPic(EngineHandle page, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t MDSetBackgndAudio(EngineHandle page, const char16_t* path);
ENGINE_API int32_t MDGetBackgndAudio(EngineHandle page, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t MDSetFrameImage(EngineHandle page, int32_t title, const char16_t* path);
ENGINE_API int32_t MDSetButtonImage(EngineHandle page, int32_t button, const char16_t* path);
ENGINE_API int32_t MDAddTextItem(EngineHandle page);
ENGINE_API int32_t MDGetCurrentTextItem(EngineHandle page, MDTextItem* item);
ENGINE_API int32_t MDSetTextContent(EngineHandle page, const char16_t* text);
ENGINE_API int32_t MDSetTextFont(EngineHandle page, const char16_t* family);
ENGINE_API int32_t MDSetTextFontSize(EngineHandle page, int32_t points);
ENGINE_API int32_t MDSetTextColor(EngineHandle page, uint32_t color);
ENGINE_API int32_t MDSetTextStyle(EngineHandle page, int32_t style, int32_t on);
ENGINE_API int32_t MDGetSupportFontCount();
ENGINE_API int32_t MDGetSupportFontName(int32_t index, char16_t* buffer);
