#include "program/engine/MediaProcess.h"

#include "program/engine/EngineBinding.h"

TVideoMediaProcessor::TVideoMediaProcessor(TEngineHandle handle, bool ownsHandle)
    : m_handle(handle), m_ownsHandle(ownsHandle) {
  DataProcessLibrary.Load();
}

TVideoMediaProcessor::~TVideoMediaProcessor() {
  if (m_handle && m_ownsHandle) DataProcessLibrary.DestroyVideoProcessor(m_handle);
  m_handle = 0;
}

const TVideoInfo* TVideoMediaProcessor::GetVideoInfo() {
  const auto* info = static_cast<const TVideoInfo*>(DecoderLibrary.QVDGetVideoInfo(m_handle));
  return info ? info : &m_emptyInfo;
}

void TVideoMediaProcessor::SetBrightness(int32_t value) { DataProcessLibrary.PCSetVideoBrightness(m_handle, value); }
void TVideoMediaProcessor::SetContrast(int32_t value) { DataProcessLibrary.PCSetContrast(m_handle, value); }
void TVideoMediaProcessor::SetSaturation(int32_t value) { DataProcessLibrary.PCSetVideoSaturation(m_handle, value); }
void TVideoMediaProcessor::SetExFilterFlag(int32_t flags) { DataProcessLibrary.PCSetExFilterFlag(m_handle, flags); }
void TVideoMediaProcessor::SetFlipFlag(int32_t flags) { DataProcessLibrary.PCSetFlipFlag(m_handle, flags); }
void TVideoMediaProcessor::SetDeinterlace(int32_t mode) { DataProcessLibrary.PCSetVideoDeintelace(m_handle, mode); }

void TVideoMediaProcessor::SetCropRect(const RECT& rect, int32_t resizeStyle) {
  DataProcessLibrary.SetCropRect(m_handle, &rect, resizeStyle);
}

void TVideoMediaProcessor::SetUserSubPicture(const void* record, int32_t opacity) {
  DataProcessLibrary.PCSetUserSubPicture(m_handle, record, opacity);
}

void TVideoMediaProcessor::SetUserWatermarkImage(const void* bitmapInfo, const void* bits, const TUnitRect* rect,
                                                 int32_t opacity) {
  DataProcessLibrary.PCSetUserWatermarkImage(m_handle, bitmapInfo, bits, rect, opacity);
}

TUnitRect PixelRectToUnitRect(int left, int top, int width, int height, int frameWidth, int frameHeight) {
  if (frameWidth == 0 || frameHeight == 0) return {0.0f, 0.0f, 0.0f, 0.0f};
  const double fx = 1.0 / frameWidth;
  const double fy = 1.0 / frameHeight;
  const double unitLeft = left * fx;
  const double unitTop = top * fy;
  return {float(unitLeft), float(unitTop), float(unitLeft + width * fx), float(unitTop + height * fy)};
}
