#pragma once

// The skin model: an item (a window or control look, by name) holds numbered parts; a part
// holds its visual states (0 normal, 1 hot, 2 pressed, 3 disabled, 4 focused) and the layout
// of one drawn element. Controls find a part through the engine, pick a state with
// TSkinItemPart::GetStateEx and draw it (TSkinItemState::Draw).
//
// Ownership: an item owns its parts, slices, map list and image reference; a part owns its
// states, its disabled copy and its attributes; a state owns its attributes and cached
// region data. Images belong to the engine's shared list. After loading the model is
// read-only apart from caches filled on first use. GUI thread.

#include <cstdint>
#include <memory>
#include <vector>

#include "program/imaging/Regions.h"
#include "program/skin/SkinAttributes.h"
#include "program/skin/SkinImageRef.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

class TFSSkinEngine;
class TSkinFile;
class TSkinItem;
class TSkinItemPart;
class TSkinSliceList;

// A skin reference: an item name, optionally followed by a part id in parentheses.
using TSkinName = AnsiString;

enum TKeepingSizeType : uint8_t { kstUndefine, kstClient, kstWindow };

namespace SkinStateIndex {
constexpr int Normal = 0, Hot = 1, Pressed = 2, Disabled = 3, Focused = 4;
}

namespace SkinStateType {
constexpr uint8_t Image = 0, Rectangle = 1, RoundRect = 2, Ellipse = 3, HorizontalLine = 4, VerticalLine = 5;
}

class TSkinItemState : public TPersistent {
  BRANTWELL_CLASS(TSkinItemState, TPersistent)

 public:
  TSkinItemState(TSkinItem* item, TSkinItemPart* part);
  ~TSkinItemState() override;

  // Copies rectangle, margins, spaces, font, pen, brush, shadow, frames, alignment, colour,
  // type and Grayed; the caches start afresh; the animation is not copied.
  void Assign(TPersistent* source) override;

  TRect GetRect() const { return Rect; }
  int GetWidth() const { return Rect.Right - Rect.Left; }
  int GetHeight() const { return Rect.Bottom - Rect.Top; }
  // The state's shared image (part's, else item's, else file's reference), nil when none.
  // The first call empties a rectangle that does not lie inside the image.
  TBitmap* GetBitmap();

  // Drawing. Callers check for a missing state (a part without the state they asked for).
  bool Draw(TCanvas* canvas, const TRect& rect, int frameIndex = 0, int piece = 0, const TRect* clipRect = nullptr,
            bool center = false, bool skipIfLarger = false);
  bool DrawAt(TCanvas* canvas, int x, int y, int frameIndex = 0, int piece = 0, const TRect* clipRect = nullptr);
  // A new region (the caller owns it) of the image's visible pixels at that size, or 0.
  HRGN CreateRegion(int width, int height);
  // An image state with an empty rectangle, or a drawn state with neither pen nor brush.
  bool IsEmpty() const;

  TSkinItem* Item;
  TSkinItemPart* Part;
  TBorderMargins Margins{false};
  TBorderMargins DestMargins{true};
  TBorderMargins Spaces{true};
  TSkinFont Font;
  TSkinPen Pen;
  TSkinBrush Brush;
  TSkinFrames Frames;
  TSkinShadow Shadow;
  TRect Rect{0, 0, 0, 0};
  bool AlphaReady = false;
  bool RectChecked = false;
  TColor Color = clNone;
  uint8_t Alignment = 0;
  uint8_t StateType = SkinStateType::Image;
  bool Grayed = false;
  TRegionData RegionData;
  TSkinAnimation Animation{this};

 private:
  bool ShapePass(HDC dc, const TRect& rect, bool extendRight, bool extendBottom, bool shadowPass,
                 TColor shadowColor);
  bool ImagePass(HDC dc, const TRect& rect, int frameIndex, int piece, const TRect* clipRect, bool center,
                 bool skipIfLarger, uint8_t mode);
};

class TSkinItemPart : public TPersistent {
  BRANTWELL_CLASS(TSkinItemPart, TPersistent)

 public:
  explicit TSkinItemPart(TSkinItem* item);
  ~TSkinItemPart() override;

  // Copies the part's own fields and replaces the states by copies of the source's;
  // KeepingSize, DrawOpaque and the disabled copy stay.
  void Assign(TPersistent* source) override;

  int GetStateCount() const { return static_cast<int>(States.size()); }
  TSkinItemState* GetState(int index) const;
  // The state to draw for these flags (disabled, pressed, hot, focused, normal in that order
  // of precedence); a disabled control whose state is missing or empty gets a grayed copy
  // of state 0.
  TSkinItemState* GetStateEx(bool enabled, bool hot, bool pressed, bool focused);
  TSkinItemState* GetStateFor(bool enabled, bool hot, bool pressed) { return GetStateEx(enabled, hot, pressed, false); }
  TColor GetColor() const;
  TSize GetSize() const;
  int GetHeight() const { return GetSize().cy; }
  bool HasStates() const { return !States.empty(); }
  bool IsTransparent() const { return TransparentMode == 1 || TransparentMode == 2; }
  // Position, colour, Enabled/Visible False and font on a control (at design time only
  // while Ctrl is held).
  void ApplyToControl(TControl* control);
  // Appends (taking ownership) and clears Empty.
  void AddState(std::unique_ptr<TSkinItemState> state);

  TSkinItem* Item;
  std::vector<std::unique_ptr<TSkinItemState>> States;
  TBorderMargins Margins{true};
  std::unique_ptr<TSkinItemState> DisabledState;
  TSkinItemPos Position;
  TSkinFont Font;
  int32_t Id = 0;
  AnsiString Name;
  bool Enabled = true;
  bool Visible = true;
  uint8_t FillMode = 0;
  uint8_t TransparentMode = 0;
  TColor TransparentColor = clFuchsia;
  int32_t LangID = 0;
  bool Empty = true;
  TSkinImageRef Graphic;
  TSkinControlShape Shape;
  TBorderMargins Padding{true};
  TKeepingSizeType KeepingSize = kstUndefine;
  bool DrawOpaque = false;
};

// One entry of an item's language map: part Id shows part Mapto for language LangId.
struct TSkinMapItem {
  TSkinMapItem(int32_t id = 0, int32_t mapto = 0, int32_t langId = 0) : Id(id), Mapto(mapto), LangId(langId) {}
  int32_t Id, Mapto, LangId;
};

class TSkinMapList : public TObject {
  BRANTWELL_CLASS(TSkinMapList, TObject)

 public:
  int32_t MapId(int32_t id, int32_t langId) const;
  std::vector<TSkinMapItem> Items;
};

class TSkinItem : public TPersistent {
  BRANTWELL_CLASS(TSkinItem, TPersistent)

 public:
  TSkinItem(TFSSkinEngine* engine, TSkinFile* file, AnsiString name);
  ~TSkinItem() override;

  // Copies map list (an own copy), PartIdStart, InheritFrom and Graphic, then appends copies
  // of the source's parts and slices.
  void Assign(TPersistent* source) override;

  TSkinItemPart* FindPart(int32_t id) const;
  int GetPartCount() const { return static_cast<int>(Parts.size()); }
  TSkinItemPart* GetPart(int index) const;
  TSkinItemState* GetPartState(int32_t id, bool enabled, bool hot, bool pressed) const;
  TSkinItemState* GetPartStateEx(int32_t id, bool enabled, bool hot, bool pressed, bool focused) const;
  TSkinItemState* GetPartStateByIndex(int32_t id, int index) const;
  bool HasStates() const { return !Parts.empty() && Parts.front()->HasStates(); }
  // Merges a base item: its image reference always, its parts where this item has none or
  // an empty one.
  void ApplyInheritance(TSkinItem* base);
  TSkinItemPart* AddPart();

  TFSSkinEngine* Engine;
  TSkinFile* SkinFile;
  AnsiString Name;
  std::vector<std::unique_ptr<TSkinItemPart>> Parts;
  std::unique_ptr<TSkinSliceList> Slices;
  std::unique_ptr<TSkinMapList> MapList;
  int32_t PartIdStart = 0;
  AnsiString InheritFrom;
  TSkinImageRef Graphic;
};

// The folder of the file an item came from ('' when none).
AnsiString SkinItemFolder(const TSkinItem* item);
