#pragma once

// Slices and control skin parts. A slice (TSkinItemSlice) is a named rectangle of an item's
// image that behaves as a picture: drawn into a canvas rectangle with nine-grid margins, or
// copied into a bitmap. A control skin part (TControlSkinPart) is the record by which a
// skinned control holds its skin reference Name(Id), the part it resolves to, and an optional
// frame animator. GUI thread.

#include <memory>
#include <vector>

#include "program/skin/SkinAnimator.h"
#include "program/skin/SkinItem.h"

class TSkinItemSlice : public TGraphic {
  BRANTWELL_CLASS(TSkinItemSlice, TGraphic)

 public:
  explicit TSkinItemSlice(TSkinItem* owner = nullptr) : Owner(owner) {}

  // From another slice: Id, Rect, Margins and TransparentColor (the owner stays).
  void Assign(TPersistent* source) override;
  // The same Id, owner and rectangle.
  bool Equals(TGraphic* graphic) override;
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}
  // The owner item's shared image, nil when there is none.
  TBitmap* GetImage();
  void Draw(TCanvas* canvas, const TRect& rect) override;

  TSkinItem* Owner;
  AnsiString Id;
  TBorderMargins Margins{false};
  TRect Rect{0, 0, 0, 0};
  TColor TransparentColor = clDefault;
  bool AlphaReady = false;

 protected:
  // To a slice: Assign; to a bitmap: the rectangle's pixels (the bitmap is left alone when
  // there is no image).
  void AssignTo(TPersistent* dest) override;
  bool GetEmpty() const override { return Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top; }
  int GetWidth() const override { return Rect.Right - Rect.Left; }
  int GetHeight() const override { return Rect.Bottom - Rect.Top; }
  void SetWidthImpl(int value) override { Rect.Right = Rect.Left + value; }
  void SetHeightImpl(int value) override { Rect.Bottom = Rect.Top + value; }

 private:
  bool HasColorKey() const { return TransparentColor != clDefault && TransparentColor != clNone; }
};

class TSkinSliceList : public TObject {
  BRANTWELL_CLASS(TSkinSliceList, TObject)

 public:
  void Add(std::unique_ptr<TSkinItemSlice> slice) { m_slices.push_back(std::move(slice)); }
  int Count() const { return static_cast<int>(m_slices.size()); }
  TSkinItemSlice* Items(int index) const {
    return index >= 0 && index < Count() ? m_slices[static_cast<size_t>(index)].get() : nullptr;
  }

 private:
  std::vector<std::unique_ptr<TSkinItemSlice>> m_slices;
};

// A control's reference to one skin part. Lives inside its control: Init in the control's
// constructor, Done in its destructor. Owns its frame animator, never the part.
struct TControlSkinPart {
  TControl* Control = nullptr;
  TSkinName SkinName;
  int32_t PartId = 0;
  TSkinItemPart* Part = nullptr;
  TControlSkinFrameAnimator* Animator = nullptr;

  void Init(TControl* control);
  void Done();
  void Clear();
  AnsiString GetSkinName() const;
  void SetSkin(const AnsiString& name, int id);
  // Parses a changed reference; the caller resolves it with UpdatePart.
  void SetSkinName(const AnsiString& text);
  // Resolves through SkinEngine and invalidates the control.
  void UpdatePart();
  bool HasPart() const { return Part != nullptr; }
  void ApplyToControl(TControl* control);
  // Creates the animator on first use and hands it the state to animate.
  void UpdateAnimation(TSkinItemState* state, bool active);
};
