#pragma once

// TBurnInfo: what the main window hands the output job: where to work and write, the menu
// engine's data, the target and the picture settings. The job keeps its own copy.

#include <cstdint>

#include "rtl/SysTypes.h"

// The job's target; the numbers are those the main window stores and the job compares.
enum class TOutputType : uint8_t { Iso = 0, Disc = 1, DvdFolder = 2 };

struct TBurnInfo {
  WideString TempPath;      // the job's own folder, ending with the path delimiter
  WideString DVDFolder;     // where the DVD structure is authored (the job folder's "dvd/" for disc and ISO)
  uintptr_t MenuData = 0;   // menu page data of the menu model, for the output control engine
  uintptr_t TitleList = 0;  // title list of the menu model
  TOutputType OutputType = TOutputType::DvdFolder;
  WideString VolumeLabel;
  int32_t DriveIndex = 0;   // the drive's row in the burn page's list; the job does not read it
  WideString Drive;         // the burner drive, as the burner engine names it ("D:")
  WideString ISOPath;       // the image file to write
  int32_t TVStandard = 0;   // 0 NTSC, 1 PAL
  int32_t Aspect = 0;       // 0 for 4:3, 1 for 16:9
  int32_t VideoBitrate = 0; // average video bit rate, kbit/s
  int32_t MaxBitrate = 0;   // maximum video bit rate, kbit/s
};
