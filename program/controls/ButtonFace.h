#pragma once

// TButtonFace<Base>: what the push button and the skin button share on top of their
// different bases (the windowed TCustomControl, the window-less TGraphicControl): the body
// and glyph skin references, the glyph picture, and where glyph and caption go (Layout,
// Alignment, VerticalAlignment, Margin, Spacing), each setter storing a change and
// repainting. Each button resolves its references in its own way (UpdateSkin,
// UpdateGlyphSkin) and paints with the ButtonDraw helpers.
//
// The class library sees each button as a direct child of its base: the face overrides none
// of the library's virtuals. It owns the two skin-part records (and their frame animators)
// and the glyph picture, never the skin's parts. GUI thread only.

#include <memory>

#include "program/controls/ButtonDraw.h"
#include "program/controls/ControlTypes.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/Picture.h"

template <class Base> class TButtonFace : public Base {
 public:
  explicit TButtonFace(TComponent* owner) : Base(owner) {
    FSkinPart.Init(this);
    FGlyphSkinPart.Init(this);
    FGlyph = std::make_unique<TPicture>();
    FGlyph->SetOnChange(GlyphChangeEvent());
  }
  ~TButtonFace() override {
    FSkinPart.Done();
    FGlyphSkinPart.Done();
  }

  // The body and glyph references "Name(Id)".
  AnsiString SkinName() const { return FSkinPart.GetSkinName(); }
  void SetSkinName(const AnsiString& value) {
    if (SetSkinReference(FSkinPart, value)) UpdateSkin();
  }
  AnsiString GlyphSkinName() const { return FGlyphSkinPart.GetSkinName(); }
  void SetGlyphSkinName(const AnsiString& value) {
    if (SetSkinReference(FGlyphSkinPart, value)) UpdateGlyphSkin();
  }
  TSkinItemPart* BodyPart() const { return FSkinPart.Part; }
  TSkinItemPart* GlyphPart() const { return FGlyphSkinPart.Part; }

  TFSButtonLayout Layout() const { return FLayout; }
  void SetLayout(TFSButtonLayout value) { Store(FLayout, value); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { Store(FAlignment, value); }
  TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
  void SetVerticalAlignment(TVerticalAlignment value) { Store(FVerticalAlignment, value); }
  int Margin() const { return FMargin; }
  void SetMargin(int value) { Store(FMargin, value); }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value) { Store(FSpacing, value); }

  // Nil after an empty picture was assigned, until a picture is assigned again.
  TPicture* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TPicture* value) {
    AssignGlyphPicture(FGlyph, value, this->ComponentState().Contains(csDesigning), GlyphChangeEvent());
    this->Invalidate();
  }

 protected:
  // Resolve the body or the glyph reference (after a setter changed it, in Loaded and on a
  // skin change).
  virtual void UpdateSkin() = 0;
  virtual void UpdateGlyphSkin() = 0;

  // Glyph and caption placed for one paint, the caption measured by `measure` (called only
  // for a non-empty caption).
  TButtonContent LayOutContent(const AnsiString& caption, const std::function<TSize(const AnsiString&)>& measure,
                               int pressOffset) const {
    const TSize glyph = ButtonGlyphSize(FGlyph.get(), FGlyphSkinPart.Part);
    const TSize text = caption.empty() ? TSize(0, 0) : measure(caption);
    return LayOutButtonContent(FLayout, FAlignment, FVerticalAlignment, TSize(this->Width(), this->Height()), glyph,
                               caption, text, pressOffset, FMargin, FSpacing);
  }

  TFSButtonLayout FLayout = blGlyphLeft;
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVerticalAlignment = taVerticalCenter;
  int FSpacing = 4;
  int FMargin = 4;
  std::unique_ptr<TPicture> FGlyph;
  TControlSkinPart FSkinPart;
  TControlSkinPart FGlyphSkinPart;

 private:
  template <class T> void Store(T& field, T value) {
    if (field == value) return;
    field = value;
    this->Invalidate();
  }
  TNotifyEvent GlyphChangeEvent() {
    return TNotifyEvent([this](TObject*) { this->Invalidate(); });
  }
};
