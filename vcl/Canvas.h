#pragma once

// TCanvas: drawing on a device context with a pen, a brush and a font. The canvas selects
// its tools into the DC only when a drawing call needs them (RequiredState), and lets go of
// a tool's handle as soon as the tool changes, so that the tool can delete it; the next
// drawing call selects the new one.
//
// A canvas is used by one thread at a time. A thread that draws on a canvas the GUI thread
// also knows (a bitmap's canvas) holds its lock (Lock/Unlock, or TCanvasLock) around the
// drawing; the canvas's tools change under the same lock. Memory DCs of bitmap canvases
// are kept in one global list so that they can be released when DCs run short
// (FreeMemoryContexts); a locked canvas keeps its DC.
//
// TControlCanvas is the canvas of a control: its DC comes from a hook that the control layer
// installs.

#include <initializer_list>
#include <memory>
#include <mutex>

#include "vcl/Brush.h"
#include "vcl/Font.h"
#include "vcl/Pen.h"
#include "vcl/Types.h"

class TGraphic;
class TControl;

BRANTWELL_ENUM(TCanvasStates, csHandleValid, csFontValid, csPenValid, csBrushValid)
using TCanvasState = TSet<TCanvasStates>;

BRANTWELL_ENUM(TTextFormats, tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis,
               tfExpandTabs, tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight,
               tfRtlReading, tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak, tfHidePrefix,
               tfNoFullWidthCharBreak, tfPrefixOnly, tfTabStop, tfWordEllipsis, tfComposited)
using TTextFormat = TSet<TTextFormats>;

// The DrawText flags of a text format.
UINT TextFormatToFlags(TTextFormat format);

using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
  BRANTWELL_CLASS(TCanvas, TPersistent)

 public:
  TCanvas();
  ~TCanvas() override;

  // The DC with the canvas's font, pen and brush selected; a canvas without one asks
  // CreateHandle and raises EInvalidOperation "Canvas does not allow drawing" when it still
  // has none.
  HDC Handle();
  // Binds the canvas to a DC it does not own (nullptr unbinds it); the tools are taken out
  // of the previous DC first.
  void SetHandle(HDC value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Takes the tools out of the DC; the next drawing call selects them again.
  void Refresh() { DeselectHandles(); }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* value) { FPen->Assign(value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* value) { FBrush->Assign(value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value) { FCopyMode = value; }
  // ETO_ flags for TextOut and TextRect.
  int TextFlags() const { return FTextFlags; }
  void SetTextFlags(int value) { FTextFlags = value; }
  TPoint PenPos();
  void SetPenPos(TPoint value) { MoveTo(value.X, value.Y); }
  // The part of the canvas that drawing can reach, in logical coordinates.
  TRect ClipRect();

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void DrawFocusRect(const TRect& rect);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Polygon(const TPoint* points, int count);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(points.begin(), static_cast<int>(points.size())); }
  void Polyline(const TPoint* points, int count);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(points.begin(), static_cast<int>(points.size())); }
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

  // Text at (x, y) in the font's colour, on the brush's colour unless the brush is clear;
  // the pen moves to the end of the text.
  void TextOut(int x, int y, const AnsiString& text);
  // Text at (x, y) clipped to rect (the rectangle is filled first unless the brush is clear).
  void TextRect(const TRect& rect, int x, int y, const AnsiString& text);
  // Text laid out in rect by the format. With tfCalcRect nothing is drawn and rect receives
  // the text's extent. tfModifyString is ignored: the text itself is never changed.
  void TextRect(TRect& rect, const AnsiString& text, TTextFormat format);
  TSize TextExtent(const AnsiString& text);
  int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

  // Draws a picture at its own size, or stretched into a rectangle; empty pictures draw
  // nothing.
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // Copies source of another canvas into dest of this one with CopyMode, stretching when
  // the sizes differ.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);

  // Pixels[x][y]: the colour of one pixel (clNone outside the clip region).
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);

  // The canvas lock; recursive. TryLock takes it only when it is free now.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent value) { FOnChanging = std::move(value); }

  // Selects the tools that the next calls need; subclasses and controls call it before
  // drawing with the raw DC.
  void RequiredState(TCanvasState state);

 protected:
  virtual void Changing();
  virtual void Changed();
  // Gives a canvas without a DC one (bitmap and control canvases override it).
  virtual void CreateHandle() {}
  void DeselectHandles();

  TCanvasState State;

 private:
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);
  void SelectFont();
  void SelectPen();
  void SelectBrush();

  HDC FHandle = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  int FTextFlags = 0;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
  std::recursive_mutex FLock;
  int FLockCount = 0;  // guarded by the global counter lock
};

// Holds a canvas's lock for a scope.
class TCanvasLock {
 public:
  explicit TCanvasLock(TCanvas* canvas) : m_canvas(canvas) { m_canvas->Lock(); }
  ~TCanvasLock() { m_canvas->Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  TCanvas* m_canvas;
};

// Releases the memory DCs of every bitmap canvas that is not locked now; they are made
// again when next drawn on.
void FreeMemoryContexts();

// The canvas of a control. Its DC comes from the control layer's hook; FreeHandle gives it
// back.
class TControlCanvas : public TCanvas {
  BRANTWELL_CLASS(TControlCanvas, TCanvas)

 public:
  // Returns the DC of a control's window, and takes it back.
  using TGetControlDC = HDC (*)(TControl* control);
  using TReleaseControlDC = void (*)(TControl* control, HDC dc);
  static void SetControlDCHooks(TGetControlDC get, TReleaseControlDC release);

  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* Control() const { return FControl; }
  void SetControl(TControl* value);
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
};
