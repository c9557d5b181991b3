#pragma once

// The clip tasks: TMediaTask is the program's record of one clip's source file, the media
// information read from it and every edit setting of the clip (trim, crop and zoom, picture
// settings, flips, volume, watermark, subtitle). A timeline clip names its task by the task's
// ID. TMediaTaskList owns every task of the program, in the order of creation; TMediaTaskMgr
// owns the list and hands out the identifiers.
//
// GUI thread. A task owns its subtitle list, its two fonts and its watermark picture; the list
// owns its tasks; the manager owns the list.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "program/engine/MediaDibImage.h"
#include "program/engine/MediaInfo.h"
#include "rtl/SysTypes.h"
#include "vcl/Font.h"
#include "vcl/StringList.h"
#include "vcl/Types.h"

class TDecoderLibrary;
class TMediaTaskList;
class TMediaTaskMgr;

// A decoder's open parameters, handed to it by address.
constexpr size_t kMediaDecodeParamsSize = 36;
using TMediaDecodeParams = std::array<uint8_t, kMediaDecodeParamsSize>;
// Where the video parameters hold the selected subtitle stream's identifier (int32, 0: none).
constexpr size_t kDecodeParamsSubtitleOffset = 12;

// The decode parameter blocks lie one after the other.
struct TMediaDecodeParamBlocks {
  TMediaDecodeParams Video{};
  TMediaDecodeParams Audio{};
};
static_assert(sizeof(TMediaDecodeParamBlocks) == 2 * kMediaDecodeParamsSize);

class TMediaTask {
 public:
  // Volume 100, resize style 1, every other setting zero, empty or False; both fonts 36 point
  // and white. An empty Name becomes the file name part of FileName.
  TMediaTask(TMediaTaskList* Owner, int32_t ID, const AnsiString& Name, const WideString& FileName, int32_t Mode);
  ~TMediaTask();
  TMediaTask(const TMediaTask&) = delete;
  TMediaTask& operator=(const TMediaTask&) = delete;

  // Reads the source's information through the decoder manager (the program's record, or
  // `library`). False, with the information as it was, when the manager does not start;
  // False, with an empty subtitle list, when the file cannot be read or its answer has no
  // program entry (only Length then takes the file's duration). The manager's load failure
  // (EOSError) goes to the caller, as for every first use of an engine.
  bool LoadInfo();
  bool LoadInfo(TDecoderLibrary& library);

  // The played length: TrimEnd - TrimStart, or Length - TrimStart when TrimEnd is 0 or equal
  // to TrimStart.
  double GetTrimmedDuration() const;

  // Bit 0 flips horizontally, bit 1 vertically.
  int32_t GetFlags() const;
  void SetFlags(int32_t Value);
  void SetResizeStyle(int32_t Value) { ResizeStyle = Value; }
  void GetFrameSize(int32_t& Width, int32_t& Height) const;
  // Bit 0 (a still picture) or bit 1 (not seekable) of a present stream's caps.
  bool IsCapsFlag1Set() const;
  bool IsCapsFlag2Set() const;

  uint8_t* GetVideoDecodeParams() { return DecodeParams.Video.data(); }
  uint8_t* GetAudioDecodeParams() { return DecodeParams.Audio.data(); }

  // Selects the stream of SubtitleList entry Index; an index outside the list selects none (0).
  void SelectSubtitle(int32_t Index);
  int32_t GetSelectedSubtitleID() const;
  // The entry whose stream is the selected one; -1 when none.
  int32_t GetSubtitleIndex() const;
  // The stream identifier of entry Index; 0 for an index outside the list.
  int32_t GetSubtitleID(int32_t Index) const;

  void SetOverlayEnabled(bool Value) { OverlayEnabled = Value; }
  // Copy the font's name, size, style and colour; null does nothing.
  void SetOverlayFont(TFont* Font);
  void SetSubtitleFont(TFont* Font);
  // Keeps a copy of the picture (none when null, or when the copy could not be made).
  void SetOverlayImage(const MediaDibImage::TDibImage* Image);

  TMediaTaskList* Owner;
  int32_t ID;
  AnsiString Name;
  WideString FileName;
  double Length = 0.0;
  TVideoInfo VideoInfo{};
  TAudioInfo AudioInfo{};
  int32_t Mode;
  int32_t ResizeStyle = 1;
  TRect CropRect{};
  double TrimStart = 0.0;
  double TrimEnd = 0.0;
  TMediaDecodeParamBlocks DecodeParams;
  bool HasAudio = false;
  bool HasVideo = false;
  int32_t Contrast = 0;
  int32_t EffectFlags = 0;
  int32_t Saturation = 0;
  int32_t Brightness = 0;
  bool FlipHorizontal = false;
  bool FlipVertical = false;
  int32_t Volume = 100;
  bool Mute = false;
  int32_t Deinterlace = 0;
  // Text: the stream's name; object: the stream identifier (an integer, not an object).
  std::unique_ptr<TWideStringList> SubtitleList;
  std::unique_ptr<MediaDibImage::TDibImage> OverlayImage;
  bool OverlayEnabled = false;
  int32_t OverlayLeft = 0;
  int32_t OverlayTop = 0;
  uint8_t OverlayKind = 0;  // 0 a picture file, 1 text
  int32_t OverlayWidth = 0;
  int32_t OverlayHeight = 0;
  int32_t OverlayTransparency = 0;  // 0 to 100
  WideString OverlayText;
  WideString OverlayImageFile;
  std::unique_ptr<TFont> OverlayFont;
  int32_t SubtitleX = 0;
  int32_t SubtitleY = 0;
  int32_t SubtitleTransparency = 0;
  bool SubtitleUserStyle = false;
  bool SubtitleEnabled = false;
  std::unique_ptr<TFont> SubtitleFont;
  bool HasSubtitles = false;

 private:
  void FillSubtitles(const std::vector<TSubStreamSummary>& streams);
};

class TMediaTaskList {
 public:
  explicit TMediaTaskList(TMediaTaskMgr* Manager) : FManager(Manager) {}
  TMediaTaskList(const TMediaTaskList&) = delete;
  TMediaTaskList& operator=(const TMediaTaskList&) = delete;

  // A task for the file with the manager's next identifier and the file's name.
  TMediaTask* Add(const WideString& FileName, int32_t Mode);
  TMediaTask* NewTask(int32_t ID, const AnsiString& Name, const WideString& FileName, int32_t Mode);
  // Takes the task over and appends it.
  void AddTask(std::unique_ptr<TMediaTask> Task);
  // The first task with the identifier; null when none.
  TMediaTask* FindByID(int32_t ID) const;

  int32_t Count() const { return static_cast<int32_t>(FTasks.size()); }
  TMediaTask* Items(int32_t Index) const { return FTasks.at(static_cast<size_t>(Index)).get(); }
  TMediaTaskMgr* Manager() const { return FManager; }

 private:
  TMediaTaskMgr* FManager;
  std::vector<std::unique_ptr<TMediaTask>> FTasks;
};

class TMediaTaskMgr {
 public:
  TMediaTaskMgr() : FTaskList(std::make_unique<TMediaTaskList>(this)) {}
  TMediaTaskMgr(const TMediaTaskMgr&) = delete;
  TMediaTaskMgr& operator=(const TMediaTaskMgr&) = delete;

  // 1, 2, ... 2147483647, then 0, 1, ...
  int32_t NextID();
  TMediaTaskList* TaskList() const { return FTaskList.get(); }
  // Where the counter stands (the last identifier handed out).
  int32_t LastID() const { return FCounter; }
  void SetLastID(int32_t Value) { FCounter = Value; }

 private:
  std::unique_ptr<TMediaTaskList> FTaskList;
  int32_t FCounter = 0;
};
