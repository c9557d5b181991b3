#include "program/engine/VideoPlayer.h"

#include <filesystem>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/TransPreview/TransPreviewApi.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/MediaInfo.h"
#include "program/engine/TimelineEngine.h"

namespace {

// The preview's frame rate and sound format.
constexpr double kPreviewFrameRate = 29.97002997;
constexpr int32_t kPreviewSampleRate = 48000;
constexpr int32_t kPreviewChannels = 2;
// Every transition preview lasts this long, seconds.
constexpr double kTransitionPreviewLength = 2.0;

TEngineHandle CreateVideoProcessor(TEngineHandle source) { return DataProcessLibrary.CreateVideoProcessor(source, 0, -1.0); }

TEngineHandle CreateAudioProcessor(TEngineHandle source) {
  using Create = TEngineHandle (*)(TEngineHandle, int32_t, double);
  auto entry = reinterpret_cast<Create>(
      reinterpret_cast<void (*)()>(DataProcessLibrary.EntryPoint(TDataProcessLibrary::kOrdinal3)));
  return entry ? entry(source, 0, 0.0) : 0;
}

void DestroyAudioProcessor(TEngineHandle processor) {
  using Destroy = void (*)(TEngineHandle);
  if (auto entry = reinterpret_cast<Destroy>(
          reinterpret_cast<void (*)()>(DataProcessLibrary.EntryPoint(TDataProcessLibrary::kOrdinal4))))
    entry(processor);
}

double AudioLength(TEngineHandle decoder) {
  const auto* info = static_cast<const TAudioInfo*>(DecoderLibrary.QADGetAudioInfo(decoder));
  return info ? info->length : 0.0;
}

}  // namespace

TVideoPlayerCalls TVideoPlayerCalls::Linked() {
  return {::MTDVideoDestroy, ::MTDAudioDestroy, ::TPSetTransID, ::TPSetImage, ::TPPlay};
}

TVideoPlayer::TVideoPlayer(HWND notifyWnd, HWND videoWnd, HWND transitionWnd, std::string transitionFolder,
                           TVideoPlayerCalls calls)
    : FNotifyWnd(notifyWnd),
      FVideoWnd(videoWnd),
      FTransitionWnd(transitionWnd),
      FTransitionFolder(std::move(transitionFolder)),
      FCalls(calls) {
  if (FTransitionFolder.empty())
    FTransitionFolder = (std::filesystem::path(platform::ProgramFolder()) / "Transitions").string();
  RECT rect{};
  GetClientRect(FVideoWnd, &rect);
  FPlayer = VPCreate();
  FView = VPCreateView(FPlayer, FVideoWnd, &rect, nullptr);
  VPSetCallBack(FPlayer, FNotifyWnd);
  RECT previewRect{};
  GetClientRect(FTransitionWnd, &previewRect);
  FPreview = TPCreate(FTransitionWnd, &previewRect);
}

TVideoPlayer::~TVideoPlayer() {
  if (FPlayer != 0) {
    Stop();
    VPDestroy(FPlayer);
    FPlayer = 0;
    FView = 0;
  } else {
    Stop();
  }
  if (FPreview != 0) {
    TPStop(FPreview);
    TPDestroy(FPreview);
    FPreview = 0;
  }
}

void TVideoPlayer::OpenFile(TEngineHandle document) {
  // Whatever was open goes first: its sources would otherwise be overwritten and leak.
  Stop();
  RECT rect{};
  GetClientRect(FVideoWnd, &rect);
  FSourcesFromDecoder = false;
  FVideoSource = MTDVideoCreate(document, rect.right - rect.left, rect.bottom - rect.top, kPreviewFrameRate, kMTDPreview);
  FAudioSource = MTDAudioCreate(document, kPreviewSampleRate, kPreviewChannels);
  if (FVideoSource != 0) FVideoProcessor = CreateVideoProcessor(FVideoSource);
  if (FAudioSource != 0) FAudioProcessor = CreateAudioProcessor(FAudioSource);
  // The player plays the track decoders themselves.
  ordinal_3(FPlayer, FVideoSource, FAudioSource);
  VPSetPlayTime(FPlayer, 0.0, TDGetLength(document));
}

bool TVideoPlayer::OpenMedia(const WideString& fileName, int32_t mode, double& length, bool audioOnly) {
  Stop();
  TEngineHandle video = 0;
  if (!audioOnly) video = DecoderLibrary.QVDCreate(fileName.c_str(), nullptr, nullptr, mode);
  const TEngineHandle audio = DecoderLibrary.QADCreate(fileName.c_str(), nullptr, nullptr, mode);
  if (video == 0 && audio == 0) return false;
  FSourcesFromDecoder = true;
  FVideoSource = video;
  FAudioSource = audio;
  if (audioOnly)
    length = audio != 0 ? AudioLength(audio) : 0.0;
  else if (video != 0)
    FVideoProcessor = CreateVideoProcessor(video);
  if (audio != 0) FAudioProcessor = CreateAudioProcessor(audio);
  ordinal_3(FPlayer, FVideoProcessor, FAudioProcessor);
  VPSetPlayTime(FPlayer, 0.0, length);
  return true;
}

void TVideoPlayer::Play(TEngineHandle view) {
  if (FPlayer == 0) return;
  if (HWND window = VPGetPlayerHwnd(FPlayer, view)) EnableWindow(window, FALSE);
  VPPlay(FPlayer);
}

void TVideoPlayer::Resume() {
  if (FPlayer != 0) VPResume(FPlayer);
}

void TVideoPlayer::Stop() {
  if (FPlayer != 0) {
    VPStop(FPlayer);
    // The player lets go of the sources before they are released.
    ordinal_3(FPlayer, 0, 0);
  }
  // A processor reads its source, so the processors go first.
  if (FVideoProcessor != 0) DataProcessLibrary.DestroyVideoProcessor(FVideoProcessor);
  FVideoProcessor = 0;
  if (FAudioProcessor != 0) DestroyAudioProcessor(FAudioProcessor);
  FAudioProcessor = 0;
  if (FVideoSource != 0) {
    if (FSourcesFromDecoder)
      DecoderLibrary.QVDDestroy(FVideoSource);
    else
      FCalls.MTDVideoDestroy(FVideoSource);
  }
  FVideoSource = 0;
  if (FAudioSource != 0) {
    if (FSourcesFromDecoder)
      DecoderLibrary.QADDestroy(FAudioSource);
    else
      FCalls.MTDAudioDestroy(FAudioSource);
  }
  FAudioSource = 0;
  FSourcesFromDecoder = false;
}

double TVideoPlayer::GetAudioDuration(const WideString& fileName, int32_t mode) const {
  const TEngineHandle decoder = DecoderLibrary.QADCreate(fileName.c_str(), nullptr, nullptr, mode);
  if (decoder == 0) return 0.0;
  const double length = AudioLength(decoder);
  DecoderLibrary.QADDestroy(decoder);
  return length;
}

void TVideoPlayer::PlayTransition(const WideString& transitionId) {
  if (FPreview == 0) return;
  FCalls.TPSetTransID(FPreview, platform::Utf16ToUtf8(transitionId).c_str(), kTransitionPreviewLength);
  const std::filesystem::path folder(FTransitionFolder);
  const std::u16string from = platform::Utf8ToUtf16((folder / "TrFrom.jpg").string());
  const std::u16string to = platform::Utf8ToUtf16((folder / "TrTo.jpg").string());
  ImageProcLibrary.Load();
  const TEngineHandle first = ImageProcLibrary.DICreate();
  const TEngineHandle second = ImageProcLibrary.DICreate();
  int32_t shown = 0;
  if (ImageProcLibrary.DILoadImage(first, from.c_str()) != 0 && ImageProcLibrary.DILoadImage(second, to.c_str()) != 0)
    shown = FCalls.TPSetImage(FPreview, ImageProcLibrary.DIGetBitmapInfo(first), ImageProcLibrary.DIGetBits(first),
                              ImageProcLibrary.DIGetBitmapInfo(second), ImageProcLibrary.DIGetBits(second));
  ImageProcLibrary.DIDestroy(first);
  ImageProcLibrary.DIDestroy(second);
  if (shown != 0) FCalls.TPPlay(FPreview);
}

void TVideoPlayer::StopTransition() {
  if (FPreview != 0) TPStop(FPreview);
}
