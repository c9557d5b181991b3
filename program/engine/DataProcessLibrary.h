#pragma once

// The data-process engine's binding ("QM_DataProcess.dll"): per-clip picture and sound
// settings. The entry table is resolved here; the wrappers come with the media processor.

#include "program/engine/EngineLibrary.h"

class TDataProcessLibrary : public TEngineLibrary {
 public:
  explicit TDataProcessLibrary(AnsiString libraryName = "QM_DataProcess.dll");
  ~TDataProcessLibrary() override = default;

  enum Entry : size_t {
    kOrdinal1, kOrdinal2, kOrdinal3, kOrdinal4, kPCGetVideoInfo, kPCGetAudioInfo, kOrdinal5, kOrdinal23,
    kPCSetVideoBrightness, kPCSetContrast, kPCSetVideoSaturation, kOrdinal9, kOrdinal11, kPCSetWatermarkImage,
    kPCSetWatermarkSrcIDAlign, kPCSetUserWatermarkImage, kPCSetWatermarkImageAlign, kPCSetVolum, kOrdinal12,
    kPCSetExFilterFlag, kPCSetFlipFlag, kPCSetVideoDeintelace, kPCSetUserSubPicture, kEntryCount
  };
};
