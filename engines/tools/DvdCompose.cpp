// dvd-compose: several files made into one title, with a transition between each two, and
// encoded into a DVD-Video MPEG-2 program stream through the timeline, the title compositor and
// the converter, as the program's output job drives them.
//
// Exit status: 0 when the file was written (or the catalogue listed), 1 when it could not be,
// 2 for a bad command line, 128 + the signal's number when SIGINT or SIGTERM ended the run (its
// partial output removed).

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/TransMgr/TransMgrApi.h"
#include "engines/media/DecoderApi.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/WinUser.h"

#include "ToolSession.h"
#include "ToolTitle.h"

namespace {

using namespace engine_tools;

// The longest transition the command line takes, in seconds.
constexpr double kMaxTransitionSeconds = 60.0;

constexpr Usage kUsage{"dvd-compose",
               "usage: dvd-compose [--pal] [--aspect 4:3|16:9] [--transition ID|random]\n"
               "                   [--transition-length S] OUTPUT.mpg INPUT...\n"
               "       dvd-compose --list-transitions\n"};

// The transition manager, started for as long as the tool needs its catalogue.
class Catalogue {
 public:
  Catalogue() { TMInitTransMgr(); }
  ~Catalogue() { TMUninitTransMgr(); }
  Catalogue(const Catalogue&) = delete;
  Catalogue& operator=(const Catalogue&) = delete;

  bool Has(const std::string& id) const {
    for (int type = 0; type < TMGetTransTypeCount(); ++type) {
      for (int index = 0; index < TMGetTransCount(type); ++index) {
        if (id == TMGetTransID(type, index)) return true;
      }
    }
    return false;
  }
  void List() const {
    for (int type = 0; type < TMGetTransTypeCount(); ++type) {
      for (int index = 0; index < TMGetTransCount(type); ++index) {
        std::printf("%d %d\t%s\n", type, index, TMGetTransID(type, index));
      }
    }
  }
};

// A number of seconds above 0 and up to the longest transition, or nothing.
std::optional<double> ParseSeconds(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value) || value <= 0.0 || value > kMaxTransitionSeconds) {
    return std::nullopt;
  }
  return value;
}

struct Options {
  QEEncodeParam param;
  double fps = 30000.0 / 1001.0;
  std::string transition = "CrossFade";  // or "random"
  double transitionSeconds = 2.0;
  bool list = false;
  std::string output;
  std::vector<std::string> inputs;
};

// Reads the command line into `options`; returns an exit status when the run ends here.
std::optional<int> ParseCommandLine(int argc, char** argv, Options& options, const Catalogue& catalogue) {
  QEEncodeParam& param = options.param;
  QEInitEncodeParam(&param);
  param.aspect = 2;  // 4:3 unless asked otherwise
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool takesValue = argument == "--aspect" || argument == "--transition" || argument == "--transition-length";
    if (takesValue && i + 1 >= argc) return kUsage.Refuse(argument + " needs a value");
    const std::string value = takesValue ? argv[++i] : "";
    if (argument == "--help" || argument == "-h") {
      kUsage.Print(stdout);
      return 0;
    } else if (argument == "--list-transitions") {
      options.list = true;
    } else if (argument == "--pal") {
      param.height = 576;
      param.frameRate = 25.0;
      param.gopSize = 15;
      options.fps = 25.0;
    } else if (argument == "--aspect") {
      if (value != "4:3" && value != "16:9") return kUsage.Refuse("--aspect is 4:3 or 16:9, not '" + value + "'");
      param.aspect = value == "16:9" ? 3 : 2;
    } else if (argument == "--transition") {
      if (value != "random" && !catalogue.Has(value)) {
        return kUsage.Refuse("no transition is called '" + value + "' (see --list-transitions)");
      }
      options.transition = value;
    } else if (argument == "--transition-length") {
      const std::optional<double> seconds = ParseSeconds(value);
      if (!seconds) {
        char most[16];
        std::snprintf(most, sizeof(most), "%g", kMaxTransitionSeconds);
        return kUsage.Refuse("--transition-length takes seconds above 0 and up to " + std::string(most) + ", not '" + value +
                      "'");
      }
      options.transitionSeconds = *seconds;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return kUsage.Refuse("unknown option '" + argument + "'");
    } else if (options.output.empty()) {
      options.output = argument;
    } else {
      options.inputs.push_back(argument);
    }
  }
  if (options.list) {
    if (!options.output.empty()) return kUsage.Refuse("--list-transitions takes no files");
    catalogue.List();
    return 0;
  }
  if (options.output.empty() || options.inputs.empty()) return kUsage.Refuse("an output and at least one input file are needed");
  for (const std::string& input : options.inputs) {
    std::error_code ignored;
    if (std::filesystem::equivalent(input, options.output, ignored)) {
      std::fprintf(stderr, "dvd-compose: the output '%s' is also an input\n", options.output.c_str());
      return kExitUsage;
    }
  }
  return std::nullopt;
}

// Lays the inputs out as one title; false (with why printed) when an input cannot be used.
bool BuildTitle(const Options& options, Title& title) {
  if (!title.Ready()) {
    Terminal::Line("dvd-compose: the title's timeline could not be made");
    return false;
  }
  std::vector<EngineHandle> clips;
  bool readable = true;
  for (const std::string& input : options.inputs) {
    const std::optional<double> seconds = ClipSeconds("dvd-compose", input);
    if (!seconds) {
      readable = false;  // every unreadable input is named, not only the first
      continue;
    }
    const EngineHandle clip = title.Add(input, *seconds);
    if (!clip) {
      Terminal::Line("dvd-compose: '" + input + "' could not be added to the title");
      return false;
    }
    clips.push_back(clip);
  }
  if (!readable) return false;
  // A transition between each two clips; none after the last, which would fade it to black.
  for (size_t i = 0; i + 1 < clips.size(); ++i) {
    const std::string id = options.transition == "random" ? TMGetRandomID() : options.transition;
    if (id.empty() || !title.SetTailTransition(clips[i], id, options.transitionSeconds)) {
      Terminal::Line("dvd-compose: the transition '" + id + "' could not be set");
      return false;
    }
  }
  return true;
}

// Waits for the end report; a signal aborts the encoding first (the converter removes what it
// had written) and the wait goes on for the report that follows.

}  // namespace

int main(int argc, char** argv) {
  Catalogue catalogue;
  Options options;
  if (const std::optional<int> status = ParseCommandLine(argc, argv, options, catalogue)) return *status;

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
    Title title;
    EngineHandle video = 0, audio = 0, converter = 0;
    if (BuildTitle(options, title)) {
      const double length = TDGetLength(title.Doc());
      char said[128];
      std::snprintf(said, sizeof(said), "dvd-compose: %zu clips, %.3f s", options.inputs.size(), length);
      Terminal::Line(said);
      video = MTDVideoCreate(title.Doc(), 720, options.param.height, options.fps, kMTDOutputFrame);
      audio = MTDAudioCreate(title.Doc(), 48000, 2);
      if (!video || !audio) {
        Terminal::Line("dvd-compose: the title could not be composed");
      } else {
        converter = QECreate(video, audio);
        if (!converter) Terminal::Line("dvd-compose: the converter could not take the title");
      }
    }
    if (!converter) {
      // Why was printed above.
    } else if (!QESetOutputFile(converter, platform::Utf8ToUtf16(options.output).c_str()) ||
               !QESetEncodeParam(converter, &options.param)) {
      Terminal::Line("dvd-compose: the output settings were refused");
    } else if (g_signal.load() == 0 && RunEncoding(converter, "dvd-compose", options.output)) {
      status = 0;
    }
    QEDestroy(converter);
    MTDVideoDestroy(video);
    MTDAudioDestroy(audio);
  }
  QDMStop();
  MediaSetLogHook(nullptr);
  if (const int number = g_signal.load(); number != 0 && status != 0) {
    std::fprintf(stderr, "dvd-compose: interrupted; nothing was kept of '%s'\n", options.output.c_str());
    return 128 + number;
  }
  return status;
}
