#include "program/engine/VideoLibrary.h"

#include <vector>

#include "engines/QM_VideoLibrary/VideoLibraryApi.h"
#include "program/core/WideFileUtils.h"

static_assert(sizeof(TVideoInfo) == VL_VIDEO_INFO_BYTES);
static_assert(sizeof(TAudioInfo) == VL_AUDIO_INFO_BYTES);
static_assert(sizeof(FILETIME) == VL_CHANGE_TIME_BYTES);

namespace {

// Most paths fit the first buffer; a longer one is fetched again at the length the engine
// answered, so no path is ever cut.
constexpr int32_t kPathBufferUnits = 512;

using TextGetter = int32_t (*)(uintptr_t, int32_t, char16_t*, int32_t);

WideString FetchText(TextGetter get, uintptr_t library, int32_t index) {
  std::vector<char16_t> buffer(kPathBufferUnits, 0);
  for (;;) {
    const int32_t length = get(library, index, buffer.data(), static_cast<int32_t>(buffer.size()));
    if (length < static_cast<int32_t>(buffer.size())) break;
    buffer.assign(static_cast<size_t>(length) + 1, 0);
  }
  return WideString(buffer.data());
}

// Checked on the UTF-16 name itself, so no character of it is lost on the way.
bool IsExistingFile(const WideString& fileName) { return !fileName.empty() && WideFileExists(fileName); }

}  // namespace

TVideoLibrary::TVideoLibrary() : FHandle(VLCreateVideoLibrary()) {}

TVideoLibrary::~TVideoLibrary() {
  if (FHandle != 0) VLDestroyVideoLibrary(FHandle);
}

int32_t TVideoLibrary::GetCount() const { return VLGetVideoCount(FHandle); }

void TVideoLibrary::SetFileName(const WideString& FileName) {
  // A refused name must not leave the previous one behind: the next InsertItem would add that
  // source a second time.
  FFileName = IsExistingFile(FileName) ? FileName : WideString();
}

int32_t TVideoLibrary::InsertItem() {
  if (FFileName.empty()) {
    // Nothing was inserted, so the setters that follow must not write the former item.
    FCurrentIndex = -1;
    return -1;
  }
  return VLInsertVideoItem(FHandle, FFileName.c_str(), -1);
}

void TVideoLibrary::SetCurrentIndex(int32_t Index) {
  if (Index >= 0) FCurrentIndex = Index;
}

void TVideoLibrary::SetThumbnailName(const WideString& FileName) {
  if (!IsExistingFile(FileName)) return;
  VLSetThumbnailName(FHandle, FCurrentIndex, FileName.c_str());
  FThumbnailName = FileName;
}

int32_t TVideoLibrary::SetVideoInfo(const TVideoInfo& Info) {
  const TVideoInfo copy = Info;
  const int32_t result = VLSetVideoInfo(FHandle, FCurrentIndex, &copy);
  FVideoInfo = copy;
  return result;
}

int32_t TVideoLibrary::SetAudioInfo(const TAudioInfo& Info) {
  const TAudioInfo copy = Info;
  const int32_t result = VLSetAudioInfo(FHandle, FCurrentIndex, &copy);
  FAudioInfo = copy;
  return result;
}

void TVideoLibrary::SetVideoChangeTime(const FILETIME& FileTime) {
  const FILETIME copy = FileTime;
  VLSetVideoChangeTime(FHandle, FCurrentIndex, &copy);
  FChangeTime = copy;
}

bool TVideoLibrary::RemoveItem(int32_t Index) { return VLRemoveVideoItem(FHandle, Index) != 0; }

WideString TVideoLibrary::GetFilePath(int32_t Index) const { return FetchText(&VLGetFilePath, FHandle, Index); }

WideString TVideoLibrary::GetThumbnailName(int32_t Index) const {
  return FetchText(&VLGetThumbnailName, FHandle, Index);
}

int32_t TVideoLibrary::GetVideoInfo(int32_t Index, TVideoInfo& Info) const {
  TVideoInfo buffer{};
  const int32_t result = VLGetVideoInfo(FHandle, Index, &buffer);
  Info = buffer;
  return result;
}

void TVideoLibrary::GetAudioInfo(int32_t Index, TAudioInfo& Info) const {
  TAudioInfo buffer{};
  VLGetAudioInfo(FHandle, Index, &buffer);
  Info = buffer;
}

void TVideoLibrary::GetVideoChangeTime(int32_t Index, FILETIME& FileTime) const {
  FILETIME buffer{};
  VLGetVideoChangeTime(FHandle, Index, &buffer);
  FileTime = buffer;
}
