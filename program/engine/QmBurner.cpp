#include "program/engine/QmBurner.h"

#include <algorithm>

#include "platform/kernel/Unicode.h"
#include "program/core/LogFile.h"
#include "program/engine/EngineBinding.h"
#include "rtl/Format.h"

TQmBurner::TQmBurner(TQmBurnProgressEvent onProgress) : TQmBurner(BurnerLibrary, std::move(onProgress)) {}

TQmBurner::TQmBurner(TBurnerLibrary& library, TQmBurnProgressEvent onProgress)
    : m_library(library), FOnProgress(std::move(onProgress)) {
  m_library.Load();
}

int32_t TQmBurner::Eject(const AnsiString& drive) {
  return Finish(m_library.QmBurn_Eject(drive.c_str()), TBurnerLibrary::kEject, "QmBurn_Eject", drive);
}

int32_t TQmBurner::Erase(const AnsiString& drive) {
  return Finish(m_library.QmBurn_Erase(drive.c_str()), TBurnerLibrary::kErase, "QmBurn_Erase", drive);
}

int32_t TQmBurner::FromTreeToDisc(const AnsiString& sourceFolder, const AnsiString& drive,
                                  const AnsiString& volumeLabel) {
  return Finish(m_library.QmBurn_FromTreeToDisc(sourceFolder.c_str(), drive.c_str(), volumeLabel.c_str(),
                                                &TQmBurner::ProgressCallback, this),
                TBurnerLibrary::kFromTreeToDisc, "QmBurn_FromTreeToDisc", sourceFolder + " -> " + drive);
}

int32_t TQmBurner::FromTreeToDisc(const WideString& sourceFolder, const WideString& drive,
                                  const WideString& volumeLabel) {
  return FromTreeToDisc(platform::Utf16ToUtf8(sourceFolder), platform::Utf16ToUtf8(drive),
                        platform::Utf16ToUtf8(volumeLabel));
}

int32_t TQmBurner::FromTreeToImage(const AnsiString& sourceFolder, const AnsiString& imagePath,
                                   const AnsiString& volumeLabel) {
  return Finish(m_library.QmBurn_FromTreeToImage(sourceFolder.c_str(), imagePath.c_str(), volumeLabel.c_str(),
                                                 &TQmBurner::ProgressCallback, this),
                TBurnerLibrary::kFromTreeToImage, "QmBurn_FromTreeToImage", sourceFolder + " -> " + imagePath);
}

int32_t TQmBurner::FromTreeToImage(const WideString& sourceFolder, const WideString& imagePath,
                                   const WideString& volumeLabel) {
  return FromTreeToImage(platform::Utf16ToUtf8(sourceFolder), platform::Utf16ToUtf8(imagePath),
                         platform::Utf16ToUtf8(volumeLabel));
}

int32_t TQmBurner::Cancel(const AnsiString& target) { return m_library.QmBurn_Cancel(target.c_str()); }

int32_t TQmBurner::Cancel(const WideString& target) { return Cancel(platform::Utf16ToUtf8(target)); }

int32_t TQmBurner::GetDiscInformation(const AnsiString& drive, TQmBurnDiscInfo& info) {
  return Finish(m_library.QmBurn_GetDiscInformation(drive.c_str(), &info), TBurnerLibrary::kGetDiscInformation,
                "QmBurn_GetDiscInformation", drive);
}

int32_t TQmBurner::GetDiscSpace(const AnsiString& drive, TQmBurnDiscSpace& space) {
  return Finish(m_library.QmBurn_GetDiscSpace(drive.c_str(), &space), TBurnerLibrary::kGetDiscSpace,
                "QmBurn_GetDiscSpace", drive);
}

int32_t TQmBurner::Finish(int32_t status, size_t entry, const char* operation, const AnsiString& target) {
  if (status == 0) {
    m_lastError.clear();
    return status;
  }
  if (!m_library.EntryPoint(entry)) {
    m_lastError = Format("the burning engine has no entry %s", {AnsiString(operation)});
  } else {
    // The text may be longer than a first guess; ask again with its full length.
    std::string text(256, '\0');
    int32_t length = m_library.QmBurn_GetLastError(text.data(), static_cast<int32_t>(text.size()));
    if (length >= static_cast<int32_t>(text.size())) {
      text.assign(static_cast<size_t>(length) + 1, '\0');
      length = m_library.QmBurn_GetLastError(text.data(), static_cast<int32_t>(text.size()));
    }
    text.resize(static_cast<size_t>(std::clamp<int32_t>(length, 0, static_cast<int32_t>(text.size()) - 1)));
    m_lastError = text.empty() ? Format("the burning engine failed with code %d", {status}) : AnsiString(text);
  }
  WriteLog(Format("Burner -- %s(%s) failed with code %d: %s", {AnsiString(operation), target, status, m_lastError}));
  return status;
}

std::optional<int32_t> TQmBurner::ProgressPosition(int64_t total, int64_t done) {
  if (total <= 0) return std::nullopt;
  done = std::clamp<int64_t>(done, 0, total);
  // done <= total, so the product fits in 128 bits whatever the counts.
  const __int128 product = static_cast<__int128>(done) * kQmBurnProgressScale;
  const __int128 quotient = product / total;
  const __int128 twiceRest = (product % total) * 2;
  __int128 position = quotient;
  if (twiceRest > total || (twiceRest == total && (quotient & 1) != 0)) ++position;
  return static_cast<int32_t>(std::clamp<__int128>(position, 0, kQmBurnProgressScale));
}

int32_t TQmBurner::ProgressCallback(int32_t event, void* userData, int64_t* total, int64_t* done) {
  auto* burner = static_cast<TQmBurner*>(userData);
  if (!burner || !burner->FOnProgress) return 0;
  // A progress report without a total says nothing a bar could show.
  if (event == kQmBurnEventProgress && (!total || !done || *total <= 0)) return 0;
  burner->FOnProgress(burner, event, total, done);
  return 0;
}
