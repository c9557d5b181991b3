#pragma once

// TGraphic: the abstract picture (bitmap, icon, and the picture classes of the imaging
// code). A picture knows its size, whether it is empty or transparent, draws itself into a
// rectangle of a canvas, and loads and saves itself through streams and files. Changing a
// picture sets Modified and raises OnChange; long loads may report OnProgress.
//
// In form data a picture is the binary property "Data" (ReadData/WriteData; by default its
// saved stream).
//
// TSharedImage is the reference-counted content that several pictures may share.

#include <atomic>

#include "vcl/Canvas.h"
#include "vcl/Classes.h"

BRANTWELL_ENUM(TProgressStage, psStarting, psRunning, psEnding)
using TProgressEvent = TEvent<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                                   const TRect& R, const AnsiString& Msg)>;

class TGraphic;
using TGraphicClass = TClass;

class TGraphic : public TPersistent {
  BRANTWELL_CLASS(TGraphic, TPersistent)

 public:
  TGraphic() = default;

  bool Empty() const { return GetEmpty(); }
  int Width() const { return GetWidth(); }
  void SetWidth(int value) { SetWidthImpl(value); }
  int Height() const { return GetHeight(); }
  void SetHeight(int value) { SetHeightImpl(value); }
  virtual void SetSize(int width, int height);
  bool Transparent() const { return GetTransparent(); }
  void SetTransparent(bool value) { SetTransparentImpl(value); }
  virtual HPALETTE Palette() const { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool value) { FPaletteModified = value; }
  bool Modified() const { return FModified; }
  // Setting it raises OnChange; clearing it only clears the flag.
  void SetModified(bool value);

  // Opens the file for reading (others may read too) and loads it; failures raise with the
  // file's name.
  virtual void LoadFromFile(const AnsiString& fileName);
  // Writes the picture to a new file; a failed save removes the half-written file.
  virtual void SaveToFile(const AnsiString& fileName);
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  // True when both pictures are of one class and save to the same bytes.
  virtual bool Equals(TGraphic* graphic);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
  const TProgressEvent& OnProgress() const { return FOnProgress; }
  void SetOnProgress(TProgressEvent value) { FOnProgress = std::move(value); }

 protected:
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetWidthImpl(int value) = 0;
  virtual void SetHeightImpl(int value) = 0;
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparentImpl(bool value);
  // A TBitmap destination receives the picture drawn at its own size on white (32 bits);
  // others go to the base class.
  void AssignTo(TPersistent* dest) override;

  // Draws the picture stretched into rect of the canvas.
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  // Sets Modified and raises OnChange.
  virtual void Changed(TObject* sender);
  void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                const AnsiString& msg);
  void DefineProperties(TFiler* filer) override;
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);

  bool FTransparent = false;

 private:
  friend class TCanvas;
  friend class TPicture;

  bool FModified = false;
  bool FPaletteModified = false;
  TNotifyEvent FOnChange;
  TProgressEvent FOnProgress;
};

// Content shared by pictures: freed (FreeHandle, then deleted) when its last user releases
// it. Reference and Release may be called from any thread.
class TSharedImage {
 public:
  TSharedImage() = default;
  virtual ~TSharedImage() = default;
  TSharedImage(const TSharedImage&) = delete;
  TSharedImage& operator=(const TSharedImage&) = delete;

  void Reference() { ++FRefCount; }
  void Release() {
    if (--FRefCount == 0) {
      FreeHandle();
      delete this;
    }
  }
  int RefCount() const { return FRefCount; }

 protected:
  virtual void FreeHandle() = 0;

 private:
  std::atomic<int> FRefCount{0};
};
