#pragma once

// A title as the engine tools lay it out: a timeline on a window of its own (never shown)
// holding the title's document, as the program's storyboard holds it, and the length a file
// takes in a title. One copy per tool (everything here is inline); main thread.

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/media/DecoderApi.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/WinUser.h"

#include "ToolSession.h"

namespace engine_tools {

// What a still picture lasts in a title.
constexpr double kPhotoSeconds = 5.0;

// A timeline on a window of its own (never shown) holding the title's document, as the
// program's storyboard holds it.
class Title {
 public:
  Title() {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.lpszClassName = u"EngineToolTitle";
      return RegisterClassW(&wc);
    }();
    if (atom == 0) return;
    m_parent = CreateWindowExW(0, u"EngineToolTitle", u"Title", WS_POPUP, 0, 0, 400, 120, nullptr, nullptr, nullptr,
                               nullptr);
    if (!m_parent) return;
    const RECT rect{0, 0, 400, 120};
    m_timeline = CreateTimeline(m_parent, &rect, nullptr, 0);
    if (m_timeline) {
      m_doc = GetTimelineDoc(m_timeline);
      m_track = TDGetTrack(m_doc, kTimelineVideoTrack, 0);
    }
  }
  ~Title() {
    if (m_timeline) DestroyTimeline(m_timeline);
    if (m_parent && IsWindow(m_parent)) DestroyWindow(m_parent);
  }
  Title(const Title&) = delete;
  Title& operator=(const Title&) = delete;

  bool Ready() const { return m_track != 0; }
  EngineHandle Doc() const { return m_doc; }

  // Appends a clip of the file lasting `seconds` from its start; answers the clip or 0.
  EngineHandle Add(const std::string& file, double seconds) {
    const EngineHandle clip = TCCreate(kTimelineVideoClip);
    if (!clip) return 0;
    TCSetFileName(clip, platform::Utf8ToUtf16(file).c_str());
    TCSetPhysicalBegin(clip, 0.0);
    TCSetPhysicalLength(clip, seconds);
    const bool inserted = TTInsertClipIndex(m_track, clip, -1) >= 0;
    TCRelease(clip);
    return inserted ? clip : 0;
  }
  bool SetTailTransition(EngineHandle clip, const std::string& id, double seconds) {
    return TTSetClipTailTransID(m_track, clip, platform::Utf8ToUtf16(id).c_str(), seconds) != 0;
  }

 private:
  HWND m_parent = nullptr;
  EngineHandle m_timeline = 0, m_doc = 0, m_track = 0;
};

inline void PrintHeld(const char* tool, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) Terminal::Line(std::string(tool) + ": " + line);
}

// The file's length in the title: a film's duration, a still picture's kPhotoSeconds. Nothing
// when the file cannot be read or has neither pictures nor sound; why is printed.
inline std::optional<double> ClipSeconds(const char* tool, const std::string& input) {
  EngineLog::Hold();
  TMediaFileInfo* info = QDMGetFileInfo(platform::Utf8ToUtf16(input).c_str(), 0);
  std::vector<std::string> reason = EngineLog::Release();
  if (!info) {
    if (reason.empty()) reason.push_back("cannot read '" + input + "'");
    PrintHeld(tool, reason);
    return std::nullopt;
  }
  const bool hasVideo = info->programCount > 0 && info->programs[0].video;
  const bool hasAudio = info->programCount > 0 && info->programs[0].audio;
  const double duration = info->duration;
  QDMFreeFileInfo(info);
  if (!hasVideo && !hasAudio) {
    Terminal::Line(std::string(tool) + ": '" + input + "' has neither pictures nor sound");
    return std::nullopt;
  }
  if (std::isfinite(duration) && duration > 0.0) return duration;
  if (hasVideo) return kPhotoSeconds;
  Terminal::Line(std::string(tool) + ": '" + input + "' has no length");
  return std::nullopt;
}

}  // namespace engine_tools
