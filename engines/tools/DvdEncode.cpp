// dvd-encode: one file to a DVD-Video MPEG-2 program stream through the engines, as the
// program's output job drives them.
//
// Exit status: 0 when the file was written, 1 when it could not be, 2 for a bad command line,
// 128 + the signal's number when SIGINT or SIGTERM ended the run (its partial output removed).

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/media/DecoderApi.h"
#include "platform/kernel/Unicode.h"

#include "ToolSession.h"

namespace {

using namespace engine_tools;

// The highest video bit rate a DVD carries, in kbit/s.
constexpr int kMaxKbits = 9800;

constexpr Usage kUsage{"dvd-encode",
               "usage: dvd-encode [--pal] [--bitrate KBITS] [--maxrate KBITS] [--audio ac3|mp2]\n"
               "                  [--aspect auto|4:3|16:9] INPUT OUTPUT.mpg\n"};

// A whole positive number of kbit/s up to a DVD's limit, or nothing.
std::optional<int> ParseKbits(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value <= 0 || value > kMaxKbits) return std::nullopt;
  return value;
}

struct Options {
  QEEncodeParam param;
  std::string input, output;
};

// Reads the command line into `options`; returns an exit status when the run ends here.
std::optional<int> ParseCommandLine(int argc, char** argv, Options& options) {
  QEEncodeParam& param = options.param;
  QEInitEncodeParam(&param);
  bool maxGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool takesValue =
        argument == "--bitrate" || argument == "--maxrate" || argument == "--audio" || argument == "--aspect";
    if (takesValue && i + 1 >= argc) return kUsage.Refuse(argument + " needs a value");
    const std::string value = takesValue ? argv[++i] : "";
    if (argument == "--help" || argument == "-h") {
      kUsage.Print(stdout);
      return 0;
    } else if (argument == "--pal") {
      param.height = 576;
      param.frameRate = 25.0;
      param.gopSize = 15;
    } else if (argument == "--bitrate" || argument == "--maxrate") {
      const std::optional<int> kbits = ParseKbits(value);
      if (!kbits) {
        return kUsage.Refuse(argument + " takes a whole number of kbit/s from 1 to " + std::to_string(kMaxKbits) +
                      ", not '" + value + "'");
      }
      if (argument == "--bitrate") {
        param.videoBitrate = *kbits * 1000;
      } else {
        param.maxBitrate = *kbits * 1000;
        maxGiven = true;
      }
    } else if (argument == "--audio") {
      if (value != "ac3" && value != "mp2") return kUsage.Refuse("--audio is ac3 or mp2, not '" + value + "'");
      param.audioCodec = value == "mp2" ? kEncodeAudioMp2 : kEncodeAudioAc3;
    } else if (argument == "--aspect") {
      if (value != "auto" && value != "4:3" && value != "16:9") {
        return kUsage.Refuse("--aspect is auto, 4:3 or 16:9, not '" + value + "'");
      }
      param.aspect = value == "4:3" ? 2 : value == "16:9" ? 3 : 0;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return kUsage.Refuse("unknown option '" + argument + "'");
    } else if (options.input.empty()) {
      options.input = argument;
    } else if (options.output.empty()) {
      options.output = argument;
    } else {
      return kUsage.Refuse("one input and one output, not '" + argument + "' as well");
    }
  }
  if (options.input.empty() || options.output.empty()) return kUsage.Refuse("an input and an output file are needed");
  // Without a maximum of its own, a higher average raises the maximum with it.
  if (!maxGiven && param.maxBitrate < param.videoBitrate) {
    param.maxBitrate = std::min(kMaxKbits * 1000, param.videoBitrate * 3 / 2);
  }
  std::error_code ignored;
  if (std::filesystem::equivalent(options.input, options.output, ignored)) {
    std::fprintf(stderr, "dvd-encode: the output '%s' is the input\n", options.output.c_str());
    return kExitUsage;
  }
  return std::nullopt;
}

void PrintHeld(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) Terminal::Line("dvd-encode: " + line);
}

// The decoders over the input's streams. A file without sound or without pictures is encoded
// with silence or a black picture, which is said as a note.
struct Decoders {
  EngineHandle video = 0, audio = 0;

  ~Decoders() {
    QVDDestroy(video);
    QADDestroy(audio);
  }

  bool Open(const std::string& input) {
    const std::u16string wideInput = platform::Utf8ToUtf16(input);
    EngineLog::Hold();
    TMediaFileInfo* info = QDMGetFileInfo(wideInput.c_str(), 0);
    if (!info) {
      std::vector<std::string> reason = EngineLog::Release();
      if (reason.empty()) reason.push_back("cannot read '" + input + "'");
      PrintHeld(reason);
      return false;
    }
    const bool hasVideo = info->programCount > 0 && info->programs[0].video;
    const bool hasAudio = info->programCount > 0 && info->programs[0].audio;
    QDMFreeFileInfo(info);
    std::vector<std::string> problems;
    auto open = [&](bool present, EngineHandle (*create)(const char16_t*, const void*, int32_t*, int32_t)) {
      EngineLog::Hold();
      const EngineHandle handle = create(wideInput.c_str(), nullptr, nullptr, 0);
      std::vector<std::string> lines = EngineLog::Release();
      // The video decoder also takes an audio file's cover picture; what it says about a
      // file without pictures is no problem.
      if (!handle && present) problems.insert(problems.end(), lines.begin(), lines.end());
      return handle;
    };
    video = open(hasVideo, QVDCreate);
    audio = open(hasAudio, QADCreate);
    if (!problems.empty()) {
      PrintHeld(problems);
      return false;
    }
    if (!video) Terminal::Line("dvd-encode: note: '" + input + "' has no pictures; the title shows black");
    if (!audio) Terminal::Line("dvd-encode: note: '" + input + "' has no sound; the title is silent");
    return video || audio;
  }
};

// Waits for the end report; a signal aborts the encoding first (the converter removes what it
// had written) and the wait goes on for the report that follows.
}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> status = ParseCommandLine(argc, argv, options)) return *status;

  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;  // the engines' threads read and write on undisturbed
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  MediaSetLogHook(&EngineLog::Hook);
  QDMStart();
  int status = kExitFailed;
  {
    Decoders decoders;
    EngineHandle converter = 0;
    if (decoders.Open(options.input)) converter = QECreate(decoders.video, decoders.audio);
    if (!converter) {
      // Why was printed above.
    } else if (!QESetOutputFile(converter, platform::Utf8ToUtf16(options.output).c_str()) ||
               !QESetEncodeParam(converter, &options.param)) {
      Terminal::Line("dvd-encode: the output settings were refused");
    } else if (g_signal.load() == 0 && RunEncoding(converter, "dvd-encode", options.output)) {
      status = 0;
    }
    QEDestroy(converter);
  }
  QDMStop();
  MediaSetLogHook(nullptr);
  if (const int number = g_signal.load(); number != 0 && status != 0) {
    std::fprintf(stderr, "dvd-encode: interrupted; nothing was kept of '%s'\n", options.output.c_str());
    return 128 + number;
  }
  return status;
}
