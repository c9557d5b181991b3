#include "program/engine/MediaDecode.h"

#include "program/engine/EngineBinding.h"

namespace {

constexpr const char* kDecoderManager = "QM_DecMgr.dll";
constexpr const char* kFlashDecoder = "QM_SWFDecoder.dll";

TDecoderLibrary& LibraryFor(const WideString& fileName) {
  return IsSwfFile(fileName) ? SwfDecoderLibrary : DecoderLibrary;
}

const char* LibraryNameFor(const WideString& fileName) {
  return IsSwfFile(fileName) ? kFlashDecoder : kDecoderManager;
}

}  // namespace

bool IsSwfFile(const WideString& fileName) {
  const size_t dot = fileName.find_last_of(u"./\\");
  if (dot == WideString::npos || fileName[dot] != u'.') return false;
  size_t begin = dot, end = fileName.size();
  while (begin < end && fileName[begin] <= u' ') ++begin;
  while (end > begin && fileName[end - 1] <= u' ') --end;
  static constexpr char16_t kSwf[] = u".swf";
  if (end - begin != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    char16_t c = fileName[begin + i];
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    if (c != kSwf[i]) return false;
  }
  return true;
}

TVideoDecoder::TVideoDecoder(const WideString& fileName, const void* decodeParams, int32_t mode)
    : TVideoDecoder(LibraryFor(fileName), LibraryNameFor(fileName), fileName, decodeParams, mode) {}

TVideoDecoder::TVideoDecoder(TDecoderLibrary& library, const char* libraryName, const WideString& fileName,
                             const void* decodeParams, int32_t mode)
    : m_library(&library) {
  if (library.LoadAndStart(libraryName))
    m_handle = library.QVDCreate(fileName.c_str(), const_cast<void*>(decodeParams), &m_openStatus, mode);
}

TVideoDecoder::~TVideoDecoder() {
  if (m_handle) m_library->QVDDestroy(m_handle);
}

const TVideoInfo* TVideoDecoder::GetVideoInfo() {
  const auto* info = static_cast<const TVideoInfo*>(m_library->QVDGetVideoInfo(m_handle));
  return info ? info : &m_emptyInfo;
}

TAudioDecoder::TAudioDecoder(const WideString& fileName, const void* decodeParams, int32_t mode)
    : TAudioDecoder(LibraryFor(fileName), LibraryNameFor(fileName), fileName, decodeParams, mode) {}

TAudioDecoder::TAudioDecoder(TDecoderLibrary& library, const char* libraryName, const WideString& fileName,
                             const void* decodeParams, int32_t mode)
    : m_library(&library) {
  if (library.LoadAndStart(libraryName))
    m_handle = library.QADCreate(fileName.c_str(), const_cast<void*>(decodeParams), &m_openStatus, mode);
}

TAudioDecoder::~TAudioDecoder() {
  if (m_handle) m_library->QADDestroy(m_handle);
}

const TAudioInfo* TAudioDecoder::GetAudioInfo() {
  const auto* info = static_cast<const TAudioInfo*>(m_library->QADGetAudioInfo(m_handle));
  return info ? info : &m_emptyInfo;
}
