#include "program/engine/ConverterLibrary.h"

#include <algorithm>

namespace {
using HandleFunction = int32_t (*)(TEngineHandle);
}

TConverterLibrary::TConverterLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName),
                     {ByOrdinal(1), ByOrdinal(2), ByName("QESetOutputFile"), ByName("QESetEncodeParam"),
                      ByName("QEGetEncodeParam"), ByName("QEStart"), ByName("QEPause"), ByName("QEResume"),
                      ByName("QEStop"), ByName("QEAbort"), ByName("QEEnablePreview"), ByName("QESetThreadPriority"),
                      ByName("QEGetEstimateDiskSpaceEx"), ByName("QESetSplitParam"), ByName("QEGetTargetCount"),
                      ByName("QEGetTargetFileName"), ByName("QEGetLastError")}) {}

TEngineHandle TConverterLibrary::CreateConverter(TEngineHandle videoSource, TEngineHandle audioSource) const {
  auto entry = EntryAs<TEngineHandle (*)(TEngineHandle, TEngineHandle)>(kCreate);
  return entry ? entry(videoSource, audioSource) : 0;
}

void TConverterLibrary::DestroyConverter(TEngineHandle converter) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle)>(kDestroy)) entry(converter);
}

bool TConverterLibrary::QESetOutputFile(TEngineHandle converter, const char16_t* fileName) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, const char16_t*)>(kQESetOutputFile);
  return entry && entry(converter, fileName) != 0;
}

bool TConverterLibrary::QESetEncodeParam(TEngineHandle converter, void* params) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, void*)>(kQESetEncodeParam);
  return entry && entry(converter, params) != 0;
}

int32_t TConverterLibrary::QEStart(TEngineHandle converter, double begin, double length, int32_t reserved,
                                   TConverterCallback callback, void* userData) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, double, double, int32_t, TConverterCallback, void*)>(kQEStart);
  return entry ? entry(converter, begin, length, reserved, callback, userData) : -1;
}

int32_t TConverterLibrary::QEPause(TEngineHandle converter) const {
  auto entry = EntryAs<HandleFunction>(kQEPause);
  return entry ? entry(converter) : 0;
}

int32_t TConverterLibrary::QEResume(TEngineHandle converter) const {
  auto entry = EntryAs<HandleFunction>(kQEResume);
  return entry ? entry(converter) : 0;
}

void TConverterLibrary::QEAbort(TEngineHandle converter, int32_t a, int32_t b) const {
  if (auto entry = EntryAs<int32_t (*)(TEngineHandle, int32_t, int32_t)>(kQEAbort)) entry(converter, a, b);
}

bool TConverterLibrary::QEEnablePreview(TEngineHandle converter, bool on) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, int32_t)>(kQEEnablePreview);
  return entry && entry(converter, EngineBool(on)) != 0;
}

int32_t TConverterLibrary::QEGetLastError(TEngineHandle converter, char16_t* buffer, int32_t capacity) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, char16_t*, int32_t)>(kQEGetLastError);
  return entry ? entry(converter, buffer, capacity) : 0;
}

WideString TConverterLibrary::LastErrorText(TEngineHandle converter) const {
  // The text may grow between the two calls (another failure); the second copy is cut then.
  const int32_t length = QEGetLastError(converter, nullptr, 0);
  if (length <= 0) return {};
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  const int32_t copied = QEGetLastError(converter, text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<size_t>(std::clamp<int32_t>(copied, 0, length)));
  return text;
}
