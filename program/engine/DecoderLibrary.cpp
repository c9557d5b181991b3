#include "program/engine/DecoderLibrary.h"

namespace {

using Procedure = void (*)();
using CreateFunction = TEngineHandle (*)(const char16_t*, void*, int32_t*, int32_t);
using DestroyProcedure = void (*)(TEngineHandle);
using InfoFunction = void* (*)(TEngineHandle);

}  // namespace

TDecoderLibrary::TDecoderLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName),
                     {ByOrdinal(30), ByOrdinal(31), ByOrdinal(1), ByOrdinal(2), ByName("QVDCreate"),
                      ByName("QVDDestroy"), ByName("QVDGetVideoInfo"), ByName("QADCreate"), ByName("QADDestroy"),
                      ByName("QADGetAudioInfo")}) {}

bool TDecoderLibrary::Load(const char* libraryName) {
  if (!libraryName) return Load();
  return LoadNamed(libraryName, libraryName);
}

bool TDecoderLibrary::Start() {
  if (m_started.load() == 0 && Load()) {
    if (auto start = EntryAs<Procedure>(kStart)) {
      start();
      m_started.exchange(1);
    }
  }
  return m_started.load() != 0;
}

void TDecoderLibrary::Stop() {
  if (m_started.load() != 0) {
    if (auto stop = EntryAs<Procedure>(kStop)) stop();
    m_started.exchange(0);
  }
}

bool TDecoderLibrary::LoadAndStart(const char* libraryName) { return Load(libraryName) && Start(); }

void* TDecoderLibrary::GetFileInfo(const char16_t* fileName, int32_t mode) const {
  auto entry = EntryAs<void* (*)(const char16_t*, int32_t)>(kGetFileInfo);
  return entry ? entry(fileName, mode) : nullptr;
}

void TDecoderLibrary::FreeFileInfo(void* info) const {
  if (auto entry = EntryAs<void (*)(void*)>(kFreeFileInfo)) entry(info);
}

TEngineHandle TDecoderLibrary::QVDCreate(const char16_t* fileName, void* decodeParams, int32_t* outValue,
                                         int32_t mode) const {
  auto entry = EntryAs<CreateFunction>(kQVDCreate);
  return entry ? entry(fileName, decodeParams, outValue, mode) : 0;
}

void TDecoderLibrary::QVDDestroy(TEngineHandle decoder) const {
  if (auto entry = EntryAs<DestroyProcedure>(kQVDDestroy)) entry(decoder);
}

void* TDecoderLibrary::QVDGetVideoInfo(TEngineHandle decoder) const {
  auto entry = EntryAs<InfoFunction>(kQVDGetVideoInfo);
  return entry ? entry(decoder) : nullptr;
}

TEngineHandle TDecoderLibrary::QADCreate(const char16_t* fileName, void* decodeParams, int32_t* outValue,
                                         int32_t mode) const {
  auto entry = EntryAs<CreateFunction>(kQADCreate);
  return entry ? entry(fileName, decodeParams, outValue, mode) : 0;
}

void TDecoderLibrary::QADDestroy(TEngineHandle decoder) const {
  if (auto entry = EntryAs<DestroyProcedure>(kQADDestroy)) entry(decoder);
}

void* TDecoderLibrary::QADGetAudioInfo(TEngineHandle decoder) const {
  auto entry = EntryAs<InfoFunction>(kQADGetAudioInfo);
  return entry ? entry(decoder) : nullptr;
}
