#include "program/engine/MediaEncode.h"

#include "platform/kernel/Unicode.h"
#include "program/engine/EngineBinding.h"

TMediaEncoder::TMediaEncoder(TEngineHandle videoSource, TEngineHandle audioSource)
    : TMediaEncoder(ConverterLibrary, videoSource, audioSource) {}

TMediaEncoder::TMediaEncoder(const TConverterLibrary& library, TEngineHandle videoSource, TEngineHandle audioSource)
    : m_library(library), m_converter(library.CreateConverter(videoSource, audioSource)) {}

TMediaEncoder::~TMediaEncoder() {
  if (m_converter) m_library.DestroyConverter(m_converter);
}

TEncodeStartResult TMediaEncoder::Start(const WideString& outputFile, const void* encodeParam,
                                        TConverterCallback callback, void* userData, double begin,
                                        double length) {
  TEncodeStartResult result;
  const AnsiString file = platform::Utf16ToUtf8(outputFile);
  if (!m_converter) {
    result.Message = "cannot encode '" + file + "': the converter could not be made over the sources";
    return result;
  }
  if (!m_library.QESetOutputFile(m_converter, outputFile.c_str())) {
    result.Status = TEncodeStart::OutputFileRefused;
    result.Message = "cannot encode '" + file + "': the converter refused the output file";
    return result;
  }
  if (!m_library.QESetEncodeParam(m_converter, const_cast<void*>(encodeParam))) {
    result.Status = TEncodeStart::EncodeParamRefused;
    result.Message = "cannot encode '" + file + "': the converter refused the encoding parameters";
    return result;
  }
  result.StartCode = m_library.QEStart(m_converter, begin, length, 0, callback, userData);
  if (result.StartCode != 0) {
    result.Status = TEncodeStart::StartRefused;
    result.Message = "cannot encode '" + file + "': the converter did not start (code " +
                     std::to_string(result.StartCode) + ")";
    if (const WideString reason = LastError(); !reason.empty()) result.Message += ": " + platform::Utf16ToUtf8(reason);
    return result;
  }
  result.Status = TEncodeStart::Started;
  return result;
}

int32_t TMediaEncoder::Pause() { return m_library.QEPause(m_converter); }
int32_t TMediaEncoder::Resume() { return m_library.QEResume(m_converter); }
void TMediaEncoder::Abort() { m_library.QEAbort(m_converter, 0, 0); }
bool TMediaEncoder::EnablePreview(bool on) { return m_library.QEEnablePreview(m_converter, on); }
WideString TMediaEncoder::LastError() const { return m_converter ? m_library.LastErrorText(m_converter) : WideString(); }
