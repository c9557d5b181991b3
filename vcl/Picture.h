#pragma once

// TPicture: holds one picture of any registered class. Loading a file picks the class by
// the file's extension from the registered file formats ("bmp" TBitmap and "ico" TIcon are
// built in; the imaging code registers its own at start-up); saving writes the picture in
// its own format. Reading Bitmap or Icon replaces another kind of picture with an empty one
// of that kind. OnChange is raised when the picture or its content changes.
//
// The format list is guarded by its own lock; register formats at start-up.

#include <functional>
#include <memory>

#include "vcl/Bitmap.h"
#include "vcl/Icon.h"

class TPicture : public TPersistent {
  BRANTWELL_CLASS(TPicture, TPersistent)

 public:
  TPicture();
  ~TPicture() override;

  void Assign(TPersistent* source) override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Takes a copy of the graphic (of the same class); nullptr empties the picture.
  void SetGraphic(TGraphic* value);
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* value) { SetGraphic(value); }
  TIcon* Icon();
  void SetIcon(TIcon* value) { SetGraphic(value); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // Raises EInvalidGraphic "Unknown picture file extension (.ext)" for an extension no
  // format is registered for; a failed load leaves the picture as it was.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
  const TProgressEvent& OnProgress() const { return FOnProgress; }
  void SetOnProgress(TProgressEvent value) { FOnProgress = std::move(value); }

  // Registers a picture class for a file extension (without the dot, letter case ignored);
  // a later registration of the same extension takes its place.
  static void RegisterFileFormat(const AnsiString& extension, const AnsiString& description,
                                 TGraphicClass graphicClass);
  // Removes every format of the class.
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  // The class registered for an extension, nil when none.
  static TGraphicClass FileFormatClass(const AnsiString& extension);
  // The filter text of an open dialog: "All (*.bmp;*.ico)|*.bmp;*.ico|Bitmaps (*.bmp)|*.bmp|..."
  // for the formats of graphicClass and its descendants.
  static AnsiString GraphicFilter(TGraphicClass graphicClass);
  static AnsiString GraphicExtension(TGraphicClass graphicClass);

 protected:
  virtual void Changed(TObject* sender);
  void DefineProperties(TFiler* filer) override;

 private:
  void Take(std::unique_ptr<TGraphic> graphic);
  void GraphicChanged(TObject* sender);
  void GraphicProgress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                       const AnsiString& msg);
  void ReadData(TStream* stream);
  void WriteData(TStream* stream);

  std::unique_ptr<TGraphic> FGraphic;
  TNotifyEvent FOnChange;
  TProgressEvent FOnProgress;
};
