#include "program/engine/MediaTask.h"

#include <cstring>

#include "program/engine/DecoderLibrary.h"
#include "program/engine/EngineBinding.h"
#include "rtl/FileNames.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"

namespace {

constexpr int32_t kMaxTaskID = 0x7FFFFFFF;

// The subtitle list keeps each stream's identifier in the entry's object slot.
TObject* IdentifierObject(int32_t id) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(id)); }
int32_t ObjectIdentifier(TObject* object) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(object)); }

std::unique_ptr<TFont> MakeTaskFont() {
  auto font = std::make_unique<TFont>();
  font->SetSize(36);
  font->SetColor(clWhite);
  return font;
}

void CopyFont(TFont& target, TFont* source) {
  if (source) target.Assign(source);
}

}  // namespace

TMediaTask::TMediaTask(TMediaTaskList* Owner, int32_t ID, const AnsiString& Name, const WideString& FileName,
                       int32_t Mode)
    : Owner(Owner),
      ID(ID),
      Name(Name.empty() ? WideToUTF8(ExtractFileName(FileName)) : Name),
      FileName(FileName),
      Mode(Mode),
      SubtitleList(std::make_unique<TWideStringList>()),
      OverlayFont(MakeTaskFont()),
      SubtitleFont(MakeTaskFont()) {}

TMediaTask::~TMediaTask() = default;

bool TMediaTask::LoadInfo() { return LoadInfo(DecoderLibrary); }

bool TMediaTask::LoadInfo(TDecoderLibrary& library) {
  if (!library.Start()) return false;
  TMediaFileInfo* info = nullptr;
  try {
    info = static_cast<TMediaFileInfo*>(library.GetFileInfo(FileName.c_str(), Mode));
  } catch (...) {
    Application->HandleException(nullptr, std::current_exception());
    info = nullptr;
  }
  if (!info) {
    FillSubtitles({});
    return false;
  }
  TMediaFileSummary summary;
  const bool complete = CopyMediaFileInfo(*info, summary);
  library.FreeFileInfo(info);
  FillSubtitles(summary.SubStreams);
  Length = summary.Duration;
  // Without a program entry nothing describes the streams: the source cannot be used.
  if (!complete) return false;
  HasVideo = summary.HasVideo;
  HasAudio = summary.HasAudio;
  if (summary.ProgramDuration > Length) Length = summary.ProgramDuration;
  VideoInfo = summary.Video;
  AudioInfo = summary.Audio;
  return true;
}

void TMediaTask::FillSubtitles(const std::vector<TSubStreamSummary>& streams) {
  SubtitleList->Clear();
  for (const TSubStreamSummary& stream : streams)
    if (stream.StreamId != 0) SubtitleList->AddObject(stream.Name, IdentifierObject(stream.StreamId));
  HasSubtitles = SubtitleList->Count() > 0;
}

double TMediaTask::GetTrimmedDuration() const {
  if (TrimEnd == 0.0 || TrimEnd == TrimStart) return Length - TrimStart;
  return TrimEnd - TrimStart;
}

int32_t TMediaTask::GetFlags() const { return (FlipHorizontal ? 1 : 0) | (FlipVertical ? 2 : 0); }

void TMediaTask::SetFlags(int32_t Value) {
  FlipHorizontal = (Value & 1) != 0;
  FlipVertical = (Value & 2) != 0;
}

void TMediaTask::GetFrameSize(int32_t& Width, int32_t& Height) const {
  Width = VideoInfo.Width;
  Height = VideoInfo.Height;
}

bool TMediaTask::IsCapsFlag1Set() const {
  return (HasVideo && (VideoInfo.dwCapsFlag & 1)) || (HasAudio && (AudioInfo.dwCapsFlag & 1));
}

bool TMediaTask::IsCapsFlag2Set() const {
  return (HasVideo && (VideoInfo.dwCapsFlag & 2)) || (HasAudio && (AudioInfo.dwCapsFlag & 2));
}

void TMediaTask::SelectSubtitle(int32_t Index) {
  const int32_t id = Index >= 0 && Index < SubtitleList->Count() ? ObjectIdentifier(SubtitleList->Objects(Index)) : 0;
  std::memcpy(DecodeParams.Video.data() + kDecodeParamsSubtitleOffset, &id, sizeof id);
}

int32_t TMediaTask::GetSelectedSubtitleID() const {
  int32_t id;
  std::memcpy(&id, DecodeParams.Video.data() + kDecodeParamsSubtitleOffset, sizeof id);
  return id;
}

int32_t TMediaTask::GetSubtitleIndex() const {
  const int32_t selected = GetSelectedSubtitleID();
  for (int32_t i = 0; i < SubtitleList->Count(); ++i)
    if (ObjectIdentifier(SubtitleList->Objects(i)) == selected) return i;
  return -1;
}

int32_t TMediaTask::GetSubtitleID(int32_t Index) const {
  if (Index < 0 || Index >= SubtitleList->Count()) return 0;
  return ObjectIdentifier(SubtitleList->Objects(Index));
}

void TMediaTask::SetOverlayFont(TFont* Font) { CopyFont(*OverlayFont, Font); }

void TMediaTask::SetSubtitleFont(TFont* Font) { CopyFont(*SubtitleFont, Font); }

void TMediaTask::SetOverlayImage(const MediaDibImage::TDibImage* Image) {
  OverlayImage.reset();
  if (Image) OverlayImage = Image->Clone();
}

TMediaTask* TMediaTaskList::Add(const WideString& FileName, int32_t Mode) {
  return NewTask(FManager->NextID(), AnsiString(), FileName, Mode);
}

TMediaTask* TMediaTaskList::NewTask(int32_t ID, const AnsiString& Name, const WideString& FileName, int32_t Mode) {
  auto task = std::make_unique<TMediaTask>(this, ID, Name, FileName, Mode);
  TMediaTask* result = task.get();
  AddTask(std::move(task));
  return result;
}

void TMediaTaskList::AddTask(std::unique_ptr<TMediaTask> Task) {
  if (Task) FTasks.push_back(std::move(Task));
}

TMediaTask* TMediaTaskList::FindByID(int32_t ID) const {
  for (const auto& task : FTasks)
    if (task->ID == ID) return task.get();
  return nullptr;
}

int32_t TMediaTaskMgr::NextID() {
  FCounter = FCounter >= kMaxTaskID ? 0 : FCounter + 1;
  return FCounter;
}
