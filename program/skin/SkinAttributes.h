#pragma once

// The small attribute objects of skin parts and states: margins, a position rule, a font, a
// pen, a brush, frame sides, a shadow, an outline shape and a frame animation. Each has its
// defaults, Assign, a reader for its XML element and the computations the drawing, the
// controls and the forms need. Lengths marked for scaling are scaled to the screen's density
// when read. GUI thread.

#include <cstdint>

#include "program/core/FSxmldom.h"
#include "vcl/Brush.h"
#include "vcl/Colors.h"
#include "vcl/Font.h"
#include "vcl/Pen.h"
#include "vcl/Persistent.h"
#include "vcl/Types.h"

class TControl;

class TBorderMargins : public TPersistent {
  BRANTWELL_CLASS(TBorderMargins, TPersistent)

 public:
  explicit TBorderMargins(bool scaleDefault = false) : ScaleDefault(scaleDefault) {}
  void Assign(TPersistent* source) override;
  bool IsEmpty() const { return Left == 0 && Right == 0 && Top == 0 && Bottom == 0; }
  // "Scale" (default ScaleDefault), "Left", "Top", "Right", "Bottom".
  void ReadXML(const IXMLNodePtr& element);

  int32_t Left = 0;
  int32_t Right = 0;
  int32_t Top = 0;
  int32_t Bottom = 0;
  bool Scale = false;
  bool ScaleDefault = false;
};

class TSkinItemPos : public TPersistent {
  BRANTWELL_CLASS(TSkinItemPos, TPersistent)

 public:
  static constexpr uint8_t NoRule = 9;

  void Assign(TPersistent* source) override;
  bool IsDefined() const;
  // The rectangle of the rule inside the parent rectangle.
  TRect CalcRect(const TRect& parent) const;
  // Anchors and bounds of a control in its parent.
  void ApplyToControl(TControl* control) const;
  // "RelPos" (missing: 9; malformed: 255), "Scale" (True), "X", "Y", "X2", "Y2", "Width", "Height".
  void ReadXML(const IXMLNodePtr& element);

  uint8_t RelPos = NoRule;
  int32_t X = 0, Y = 0, X2 = 0, Y2 = 0, Width = 0, Height = 0;
  bool Scale = false;
};

class TSkinFont : public TPersistent {
  BRANTWELL_CLASS(TSkinFont, TPersistent)

 public:
  // From a skin font or a platform font.
  void Assign(TPersistent* source) override;
  // Sets what this font names on a platform font.
  void ApplyToFont(TFont* font) const;
  void ReadXML(const IXMLNodePtr& element);

  bool StyleSet = false;
  AnsiString Name;
  int32_t Size = 0;
  TColor Color = clNone;
  uint8_t Charset = 0;
  bool Loaded = false;
  TFontStyles Style;

 protected:
  void AssignTo(TPersistent* dest) override;
};

class TSkinPen : public TPersistent {
  BRANTWELL_CLASS(TSkinPen, TPersistent)

 public:
  void Assign(TPersistent* source) override;
  bool IsSet() const { return Color != clNone || Style != psSolid; }
  void ReadXML(const IXMLNodePtr& element);

  TPenStyle Style = psSolid;
  int32_t Width = 1;
  TColor Color = clNone;

 protected:
  void AssignTo(TPersistent* dest) override;
};

class TSkinBrush : public TPersistent {
  BRANTWELL_CLASS(TSkinBrush, TPersistent)

 public:
  void Assign(TPersistent* source) override;
  bool IsSet() const { return Color != clNone; }
  void ReadXML(const IXMLNodePtr& element);

  TColor Color = clNone;
  TBrushStyle Style = bsSolid;

 protected:
  void AssignTo(TPersistent* dest) override;
};

class TSkinFrames : public TPersistent {
  BRANTWELL_CLASS(TSkinFrames, TPersistent)

 public:
  void Assign(TPersistent* source) override;
  bool AllSides() const { return Left && Top && Right && Bottom; }
  // Each side is off unless given as True.
  void ReadXML(const IXMLNodePtr& element);

  bool Left = true, Top = true, Right = true, Bottom = true;
};

class TSkinShadow : public TPersistent {
  BRANTWELL_CLASS(TSkinShadow, TPersistent)

 public:
  static constexpr uint8_t None = 0, Offset = 1, Double = 2;

  void Assign(TPersistent* source) override;
  bool Visible() const { return Style != None && (X != 0 || Y != 0); }
  // True when X or Y is not 0.
  bool ReadXML(const IXMLNodePtr& element);

  int32_t X = 0, Y = 0, X2 = 0, Y2 = 0;
  TColor Color = clNone, Color2 = clNone;
  uint8_t Style = None;
};

enum TControlShapeType : uint8_t { fstNormal, fstRect, fstRoundRect, fstEllipse, fstAuto };

class TSkinControlShape : public TPersistent {
  BRANTWELL_CLASS(TSkinControlShape, TPersistent)

 public:
  void Assign(TPersistent* source) override;
  void ReadXML(const IXMLNodePtr& element);

  int32_t Width = 0, Height = 0;
  TControlShapeType ShapeType = fstNormal;
};

class TSkinAnimation : public TPersistent {
  BRANTWELL_CLASS(TSkinAnimation, TPersistent)

 public:
  explicit TSkinAnimation(TObject* owner = nullptr) : Owner(owner) {}
  void Assign(TPersistent* source) override;
  // Frame Index of a strip whose first frame is rect; rect itself outside the frames.
  TRect FrameRect(int index, const TRect& rect) const;
  void ReadXML(const IXMLNodePtr& element);

  TObject* Owner;
  int32_t FrameCount = 1;
  int32_t FrameDelay = 10;
  uint8_t Arrange = 0;  // 0 side by side, 1 one below the other
};
