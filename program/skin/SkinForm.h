#pragma once

// TSkinForm: the base class of every window of the program. It binds a TBaseForm to the
// skin engine: it loads the form's skin item (the item named after the form when the skin
// has one, else SkinName, "SkinForm" by default), derives the frame metrics, the window
// shape, the caption buttons and the placement of named controls from it, paints the frame,
// the caption text and the buttons, lets the frame picture reach into the client area
// (ExtendFrame, FullSkin), passes a skin change on to every control, and reads its design
// from the ".xfm" form files of its classes.
//
// The form's item: part 0 is the frame (its states are the inactive and active pictures, its
// margins the frame thicknesses), part 1 the caption text, parts 2 to 6 the system-menu icon
// and the restore, minimize, maximize and close buttons; a later part with a name and no
// states places the form's control of that name.
//
// Ownership: the form owns FormShape and ExtendFrame; skin items belong to the engine.
// GUI thread.

#include <memory>

#include "program/skin/BaseForm.h"

inline const TTypeInfo* BrantwellTypeInfo(const TKeepingSizeType*) {
  static const TTypeInfo info = ::vcl::detail::MakeEnumTypeInfo("TKeepingSizeType", "kstUndefine, kstClient, kstWindow");
  return &info;
}
inline const TTypeInfo* BrantwellTypeInfo(const TControlShapeType*) {
  static const TTypeInfo info =
      ::vcl::detail::MakeEnumTypeInfo("TControlShapeType", "fstNormal, fstRect, fstRoundRect, fstEllipse, fstAuto");
  return &info;
}

class TSkinForm;

// The outline of the window: none, a rectangle, a rounded rectangle (Value1 by Value2
// corners), an ellipse, or the frame picture's own opaque pixels.
class TSkinFormShape : public TPersistent {
  BRANTWELL_CLASS(TSkinFormShape, TPersistent)

 public:
  explicit TSkinFormShape(TSkinForm* form) : FForm(form) {}
  static void DescribeClass(TClassBuilder<TSkinFormShape>& c);
  // From another shape (the window's region follows), or from a skin part's shape (it does
  // not: the skin load applies the region once).
  void Assign(TPersistent* source) override;

  int Value1() const { return FValue1; }
  int Value2() const { return FValue2; }
  TControlShapeType ShapeType() const { return FShapeType; }
  void SetValue1(int value);
  void SetValue2(int value);
  void SetShapeType(TControlShapeType value);

 private:
  void Changed();
  TSkinForm* FForm;
  int32_t FValue1 = 0;
  int32_t FValue2 = 0;
  TControlShapeType FShapeType = fstNormal;
};

// How far the frame picture reaches into the client area on each side (-1 on any side: the
// picture covers the whole client area).
class TExtendFrame : public TPersistent {
  BRANTWELL_CLASS(TExtendFrame, TPersistent)

 public:
  explicit TExtendFrame(TSkinForm* form) : FForm(form) {}
  static void DescribeClass(TClassBuilder<TExtendFrame>& c);
  // From another TExtendFrame, or side by side from a skin's TBorderMargins.
  void Assign(TPersistent* source) override;
  void Clear();

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Right() const { return FRight; }
  int Bottom() const { return FBottom; }
  void SetLeft(int value) { SetSide(FLeft, value); }
  void SetTop(int value) { SetSide(FTop, value); }
  void SetRight(int value) { SetSide(FRight, value); }
  void SetBottom(int value) { SetSide(FBottom, value); }
  bool IsZero() const { return FLeft == 0 && FTop == 0 && FRight == 0 && FBottom == 0; }
  bool AnyCovering() const { return FLeft == -1 || FTop == -1 || FRight == -1 || FBottom == -1; }

 private:
  void SetSide(int32_t& side, int value);
  void Changed();
  TSkinForm* FForm;
  int32_t FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};

class TSkinForm : public TBaseForm {
  BRANTWELL_CLASS(TSkinForm, TBaseForm)

 public:
  static constexpr const char* DefaultSkinName = "SkinForm";

  // The form with its design read from its ".xfm" files (in AfterConstruction).
  explicit TSkinForm(TComponent* owner);
  // The empty form.
  TSkinForm(TComponent* owner, int dummy);
  ~TSkinForm() override;
  static void DescribeClass(TClassBuilder<TSkinForm>& c);

  // Loads the item of that name (reading its skin file when needed) and applies it; with
  // onlyIfFound a missing item changes nothing. Returns whether a skin is active.
  bool LoadSkin(const AnsiString& name, bool onlyIfFound);
  // The skin engine's reload: with flag, CM_SKINCHANGED to the form and every control.
  void SkinEngineChanged(TObject* sender, bool flag);

  TSkinItem* SkinItem() const { return FSkinItem; }
  const AnsiString& SkinName() const { return FSkinName; }
  void SetSkinName(const AnsiString& value);
  bool FullSkin() const;
  void SetFullSkin(bool value);
  TSkinFormShape* FormShape() const { return FFormShape.get(); }
  void SetFormShape(TSkinFormShape* value) { FFormShape->Assign(value); }
  TExtendFrame* ExtendFrame() const { return FExtendFrame.get(); }
  void SetExtendFrame(TExtendFrame* value) { FExtendFrame->Assign(value); }
  const AnsiString& XMLFormFile() const { return FXMLFormFile; }
  bool SkinLoaded() const { return FSkinLoaded; }

  // Published button setters assign into the form's own buttons; the custom button's copies
  // its settings the same way (never the other button itself).
  void SetCloseButton(TCaptionButton* value) { FCloseButton->Assign(value); }
  void SetRestoreButton(TCaptionButton* value) { FRestoreButton->Assign(value); }
  void SetMaxButton(TCaptionButton* value) { FMaxButton->Assign(value); }
  void SetMinButton(TCaptionButton* value) { FMinButton->Assign(value); }
  void SetCustomButton(TCaptionButton* value) { FCustomButton->Assign(value); }
  void SetSysMenuIcon(TCaptionButton* value) { FSysMenuIcon->Assign(value); }

  // The frame reaches into the client area (FullSkin flag, no border, or an ExtendFrame side).
  bool PaintsClientFrame() const;
  // The client rectangle less ExtendFrame (window or client coordinates); empty when the
  // frame covers the whole client area.
  TRect GetInnerClientRect(bool windowCoordinates);
  void UpdateRegion(bool repaint) override;

  TNotifyEvent OnLoadSkin;

 protected:
  void InitDesign() override;
  void SetName(const AnsiString& newName) override;
  void Loaded() override;
  void CreateWnd() override;
  void SetClientWidth(int value) override;
  void SetClientHeight(int value) override;
  void PrepareDC(HDC dc, bool excludeClient) override;
  void PaintCaption() override;
  virtual void PaintFrame();
  void DoLoadSkin() override;
  HRGN CreateFormRegion() override;
  void Paint() override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMNCActivate(TMessage& m) override;
  void Dispatch(TMessage& message) override;
  virtual void CMSkinChanged(TMessage& m);

 private:
  void InitSkinForm();
  void ApplySkinItem(TSkinItem* item);
  // NCMetrics from the frame part's margins over the system frame's top border.
  void ApplyFrameMetrics(TSkinItemPart* frame);
  // The client size read from the form file, for the frame the form has now.
  void ApplyReadClientSize();
  void ApplySkinControls(TSkinItem* item);
  int CaptionTextReserve() const;
  bool SystemFrameExceedsSkin() const;
  bool IsButtonStored(const TCaptionButton* button) const { return !button->Hint().empty() || button->HasOwnSkinName(); }
  bool IsCloseButtonStored() const { return IsButtonStored(FCloseButton.get()); }
  bool IsRestoreButtonStored() const { return IsButtonStored(FRestoreButton.get()); }
  bool IsMaxButtonStored() const { return IsButtonStored(FMaxButton.get()); }
  bool IsMinButtonStored() const { return IsButtonStored(FMinButton.get()); }
  bool IsSkinNameStored() const { return FSkinName != DefaultSkinName; }

  TSkinItem* FSkinItem = nullptr;
  AnsiString FSkinName = DefaultSkinName;
  bool FSkinLoaded = false;
  bool FFullSkin = false;
  bool FHadRegion = false;
  std::unique_ptr<TSkinFormShape> FFormShape;
  std::unique_ptr<TExtendFrame> FExtendFrame;
  bool FRegionGuard = false;
  int FReadClientWidth = 0;
  int FReadClientHeight = 0;
  AnsiString FXMLFormFile;
  bool FListening = false;
};
