#pragma once

// Drawing pieces the push button, the skin button and the other captioned controls share:
// the glyph picture property, the glyph's size, the text flags of a caption block's
// alignment, where glyph and caption go, the glyph (a picture, grayed for a disabled button,
// or a skin part's state) and the caption drawn there, caption text drawn, measured or cut to
// fit on a canvas, and a screen canvas for measuring.
// GUI thread.

#include <functional>
#include <memory>

#include "platform/gdi/Text.h"
#include "program/controls/ControlTypes.h"
#include "vcl/Canvas.h"
#include "vcl/Event.h"
#include "vcl/Picture.h"

class TSkinItemPart;
class TSkinItemState;
struct TControlSkinPart;

// A picture that holds a graphic to draw.
bool HasGlyphPicture(const TPicture* picture);

// The glyph property's setter: a picture with a non-empty graphic is copied into the
// button's picture (made when missing, with `onChange` as its change event); anything else
// empties the button's picture and, unless `keepPicture` (the control is being designed),
// frees it, so that the getter reads nil until a picture is assigned again.
void AssignGlyphPicture(std::unique_ptr<TPicture>& picture, TPicture* value, bool keepPicture,
                        const TNotifyEvent& onChange);

// The glyph's size: the picture's (an icon's image size), else the glyph part's (its
// state 0), else 0 x 0.
TSize ButtonGlyphSize(TPicture* picture, TSkinItemPart* glyphPart);

// DT_LEFT/DT_RIGHT/DT_CENTER and DT_TOP/DT_BOTTOM/DT_VCENTER for a caption block.
UINT ButtonAlignmentFlags(TAlignment alignment, TVerticalAlignment verticalAlignment);

// Where a button's glyph and caption go for one paint.
struct TButtonContent {
  AnsiString Caption;
  TSize Glyph{0, 0};
  TSize Text{0, 0};
  TPoint GlyphAt;
  TPoint TextAt;
  TRect TextRect() const { return TRect(TextAt.X, TextAt.Y, TextAt.X + Text.cx, TextAt.Y + Text.cy); }
};

// CalcButtonLayout for a glyph and a caption of the given sizes in a button of `button`
// size; `spacing` separates them only when there is a caption and a glyph of non-zero
// width and height.
TButtonContent LayOutButtonContent(TFSButtonLayout layout, TAlignment alignment, TVerticalAlignment verticalAlignment,
                                   TSize button, TSize glyph, const AnsiString& caption, TSize text, int pressOffset,
                                   int margin, int spacing);

// The glyph at its place: the picture when it holds one (grayed when disabled, see
// DrawGlyphPicture), else the glyph part's `state`, animated through its record, at its
// natural size; the state's font becomes the canvas font, so the caption takes it.
void DrawButtonGlyph(TCanvas* canvas, TPicture* picture, TControlSkinPart& glyphRecord, TSkinItemState* state,
                     const TButtonContent& content, bool enabled);

// The caption at its place, on a clear brush, with `flags`.
void DrawButtonCaption(TCanvas* canvas, const TButtonContent& content, UINT flags);

// A picture glyph at (x, y). A disabled button draws any graphic but an icon through the
// grayed drawing (GDI+ pictures come out grayed, others ungrayed through a 24-bit copy).
void DrawGlyphPicture(TCanvas* canvas, TPicture* picture, int x, int y, bool enabled);

// DrawText of `text` (UTF-8) with the canvas's font and brush; with DT_CALCRECT `rect`
// receives the measured size. Returns the text's height.
int DrawCanvasText(TCanvas* canvas, const AnsiString& text, TRect& rect, UINT flags);

// The text without its last character (a whole UTF-8 sequence, never part of one).
AnsiString DropLastCharacter(const AnsiString& text);

// A word-wrapped caption cut to fit: while `measureHeight` of the caption exceeds
// `maxHeight` (and `lineHeight`), the caption loses everything from its last blank or tab
// (or, without one, its last character) and is measured again, until it fits or is empty.
AnsiString CutCaptionToFit(AnsiString caption, const std::function<int(const AnsiString&)>& measureHeight,
                           int maxHeight, int lineHeight);

// A canvas on the screen's DC with a control's font, for measuring text before (or without)
// the control's own window.
class TScreenMeasureCanvas {
 public:
  explicit TScreenMeasureCanvas(TFont* font);
  ~TScreenMeasureCanvas();
  TScreenMeasureCanvas(const TScreenMeasureCanvas&) = delete;
  TScreenMeasureCanvas& operator=(const TScreenMeasureCanvas&) = delete;
  TCanvas* Canvas() { return &m_canvas; }

 private:
  HDC m_dc;
  TCanvas m_canvas;
};
