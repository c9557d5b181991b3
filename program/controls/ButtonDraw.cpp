#include "program/controls/ButtonDraw.h"

#include "program/imaging/BitmapUtils.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/SkinItem.h"
#include "program/skin/SkinSlice.h"
#include "vcl/Icon.h"

bool HasGlyphPicture(const TPicture* picture) {
  return picture && picture->Graphic() && !picture->Graphic()->Empty();
}

void AssignGlyphPicture(std::unique_ptr<TPicture>& picture, TPicture* value, bool keepPicture,
                        const TNotifyEvent& onChange) {
  if (HasGlyphPicture(value)) {
    if (!picture) {
      picture = std::make_unique<TPicture>();
      picture->SetOnChange(onChange);
    }
    picture->Assign(value);
    return;
  }
  if (!picture) return;
  picture->SetGraphic(nullptr);
  if (!keepPicture) picture.reset();
}

TSize ButtonGlyphSize(TPicture* picture, TSkinItemPart* glyphPart) {
  if (HasGlyphPicture(picture)) {
    if (auto* icon = dynamic_cast<TIcon*>(picture->Graphic())) {
      int width = 0, height = 0;
      GetIconSize(icon->Handle(), width, height);
      return TSize(width, height);
    }
    return TSize(picture->Width(), picture->Height());
  }
  if (glyphPart) return glyphPart->GetSize();
  return TSize(0, 0);
}

UINT ButtonAlignmentFlags(TAlignment alignment, TVerticalAlignment verticalAlignment) {
  UINT flags = alignment == taLeftJustify ? DT_LEFT : alignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags |= verticalAlignment == taAlignTop ? DT_TOP : verticalAlignment == taAlignBottom ? DT_BOTTOM : DT_VCENTER;
  return flags;
}

TButtonContent LayOutButtonContent(TFSButtonLayout layout, TAlignment alignment, TVerticalAlignment verticalAlignment,
                                   TSize button, TSize glyph, const AnsiString& caption, TSize text, int pressOffset,
                                   int margin, int spacing) {
  TButtonContent content;
  content.Caption = caption;
  content.Glyph = glyph;
  content.Text = caption.empty() ? TSize(0, 0) : text;
  const int spacingUsed = !caption.empty() && glyph.cx > 0 && glyph.cy > 0 ? spacing : 0;
  CalcButtonLayout(layout, alignment, verticalAlignment, button.cx, button.cy, glyph.cx, glyph.cy, content.Text.cx,
                   content.Text.cy, pressOffset, margin, spacingUsed, content.GlyphAt.X, content.GlyphAt.Y,
                   content.TextAt.X, content.TextAt.Y);
  return content;
}

void DrawButtonGlyph(TCanvas* canvas, TPicture* picture, TControlSkinPart& glyphRecord, TSkinItemState* state,
                     const TButtonContent& content, bool enabled) {
  if (HasGlyphPicture(picture)) {
    DrawGlyphPicture(canvas, picture, content.GlyphAt.X, content.GlyphAt.Y, enabled);
    return;
  }
  if (!glyphRecord.Part) return;
  glyphRecord.UpdateAnimation(state, true);
  if (!state) return;
  state->Font.ApplyToFont(canvas->Font());
  state->DrawAt(canvas, content.GlyphAt.X, content.GlyphAt.Y,
                glyphRecord.Animator ? glyphRecord.Animator->FrameIndex.load() : 0);
}

void DrawButtonCaption(TCanvas* canvas, const TButtonContent& content, UINT flags) {
  if (content.Caption.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  TRect rect = content.TextRect();
  DrawCanvasText(canvas, content.Caption, rect, flags);
}

void DrawGlyphPicture(TCanvas* canvas, TPicture* picture, int x, int y, bool enabled) {
  if (!HasGlyphPicture(picture)) return;
  TGraphic* graphic = picture->Graphic();
  if (!enabled && !dynamic_cast<TIcon*>(graphic)) {
    DrawGraphicGrayed(canvas, graphic, TRect(x, y, x + graphic->Width(), y + graphic->Height()));
    return;
  }
  canvas->Draw(x, y, graphic);
}

int DrawCanvasText(TCanvas* canvas, const AnsiString& text, TRect& rect, UINT flags) {
  canvas->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  return DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), rect.AsRect(), flags);
}

AnsiString DropLastCharacter(const AnsiString& text) {
  size_t end = text.size();
  if (end == 0) return text;
  --end;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

AnsiString CutCaptionToFit(AnsiString caption, const std::function<int(const AnsiString&)>& measureHeight,
                           int maxHeight, int lineHeight) {
  while (!caption.empty()) {
    const int height = measureHeight(caption);
    if (height <= maxHeight || height <= lineHeight) break;
    const size_t blank = caption.find_last_of(" \t");
    caption = blank == AnsiString::npos ? DropLastCharacter(caption) : caption.substr(0, blank);
  }
  return caption;
}

TScreenMeasureCanvas::TScreenMeasureCanvas(TFont* font) : m_dc(GetDC(nullptr)) {
  m_canvas.SetHandle(m_dc);
  m_canvas.SetFont(font);
}

TScreenMeasureCanvas::~TScreenMeasureCanvas() {
  m_canvas.SetHandle(nullptr);
  ReleaseDC(nullptr, m_dc);
}
