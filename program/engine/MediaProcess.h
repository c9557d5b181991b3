#pragma once

// TVideoMediaProcessor: a data-process engine object over a video source, held as a video
// source itself, so that the player and the converter can take it in place of the decoder.
// The clip editor sets the clip's picture settings on it live. A processor made by the program
// (CreateVideoProcessor) is owned and destroyed with the last reference; one that belongs to
// the player is wrapped without ownership and left alive.
//
// Setters may be called from the GUI thread while the player or the converter reads the
// processor; the engine guards its settings.

#include "program/engine/DataProcessLibrary.h"
#include "program/engine/MediaDecode.h"

class TVideoMediaProcessor : public TRefCountedSource<IVideoDecoder> {
 public:
  // Binds "QM_DataProcess.dll" (EOSError when it cannot be loaded).
  TVideoMediaProcessor(TEngineHandle handle, bool ownsHandle);
  static IntfPtr<IVideoDecoder> Create(TEngineHandle handle, bool ownsHandle) {
    return IntfPtr<IVideoDecoder>(new TVideoMediaProcessor(handle, ownsHandle));
  }

  TEngineHandle GetHandle() override { return m_handle; }
  // The decoder manager answers for processor handles too.
  const TVideoInfo* GetVideoInfo() override;

  void SetBrightness(int32_t value);
  void SetContrast(int32_t value);
  void SetSaturation(int32_t value);
  void SetExFilterFlag(int32_t flags);
  void SetFlipFlag(int32_t flags);
  void SetDeinterlace(int32_t mode);
  void SetCropRect(const RECT& rect, int32_t resizeStyle);
  // (nullptr, 0) removes the subtitle picture.
  void SetUserSubPicture(const void* record, int32_t opacity);
  // (nullptr, nullptr, nullptr, 100) removes the watermark.
  void SetUserWatermarkImage(const void* bitmapInfo, const void* bits, const TUnitRect* rect, int32_t opacity);

 protected:
  ~TVideoMediaProcessor() override;

 private:
  TEngineHandle m_handle;
  bool m_ownsHandle;
  TVideoInfo m_emptyInfo{};
};

// A pixel rectangle of a frame as fractions of it; four zeros for a frame of no size.
TUnitRect PixelRectToUnitRect(int left, int top, int width, int height, int frameWidth, int frameHeight);
