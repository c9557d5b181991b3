#pragma once

// TVideoLibrary: the main window's one video library, the sources the user imported, over the
// video library engine (QM_VideoLibrary, imported at link time). The main window creates it
// with itself and frees it when it closes; GUI thread. The library lives for the run only: the
// sources are carried to the next run by the source list file.
//
// Adding a source: SetFileName(path); index := InsertItem; SetCurrentIndex(index);
// SetThumbnailName, SetVideoInfo, SetAudioInfo and SetVideoChangeTime write that item.
// A name that is not an existing file is not kept, and InsertItem then inserts nothing and
// answers -1; the setters then write no item until SetCurrentIndex names one.

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "program/engine/MediaInfo.h"
#include "rtl/SysTypes.h"

class TVideoLibrary {
 public:
  TVideoLibrary();
  ~TVideoLibrary();
  TVideoLibrary(const TVideoLibrary&) = delete;
  TVideoLibrary& operator=(const TVideoLibrary&) = delete;

  int32_t GetCount() const;

  // Keeps the name for the next InsertItem when it names an existing file; otherwise no name
  // is kept.
  void SetFileName(const WideString& FileName);
  // Appends an item for the kept name and answers its index; -1 (nothing inserted) without a
  // kept name.
  int32_t InsertItem();
  // The item the setters write; a negative index is ignored.
  void SetCurrentIndex(int32_t Index);
  int32_t GetCurrentIndex() const { return FCurrentIndex; }

  // Sets the current item's thumbnail when the name is an existing file; otherwise nothing.
  void SetThumbnailName(const WideString& FileName);
  // The engine's answers: non-zero when the current item took the record.
  int32_t SetVideoInfo(const TVideoInfo& Info);
  int32_t SetAudioInfo(const TAudioInfo& Info);
  void SetVideoChangeTime(const FILETIME& FileTime);

  bool RemoveItem(int32_t Index);

  // The item's paths, whole however long; empty for an unknown item.
  WideString GetFilePath(int32_t Index) const;
  WideString GetThumbnailName(int32_t Index) const;
  // The item's records; zeros for an unknown item. GetVideoInfo answers the engine's result.
  int32_t GetVideoInfo(int32_t Index, TVideoInfo& Info) const;
  void GetAudioInfo(int32_t Index, TAudioInfo& Info) const;
  void GetVideoChangeTime(int32_t Index, FILETIME& FileTime) const;

 private:
  uintptr_t FHandle = 0;
  int32_t FCurrentIndex = 0;
  // The values last set.
  WideString FFileName;
  WideString FThumbnailName;
  TVideoInfo FVideoInfo{};
  TAudioInfo FAudioInfo{};
  FILETIME FChangeTime{};
};
