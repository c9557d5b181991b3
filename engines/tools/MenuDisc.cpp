// menu-disc: a DVD-Video folder with a menu, made from files (one title each) through the
// engines the program's output job drives: each file laid out as a title on a timeline,
// composed by the track decoders and encoded by the converter; the menu designed by the menu
// manager from a template, with each title's picture taken from the title itself; the folder
// authored by the output control engine from the menu data object.
//
// Exit status: 0 when the folder was written, 1 when it could not be, 2 for a bad command line,
// 128 + the signal's number when SIGINT or SIGTERM ended the run (nothing of it kept).

#include <png.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_DVDMenuData/DVDMenuDataApi.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuDesigner/MenuDesignerApi.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/common/MenuSource.h"
#include "engines/media/MediaSource.h"
#include "platform/kernel/ProgramFolder.h"

#include "ToolSession.h"
#include "ToolTitle.h"

namespace fs = std::filesystem;

namespace {

using namespace engine_tools;

// The size of the picture each title shows in its menu frame.
constexpr int kThumbnailWidth = 320;
constexpr int kThumbnailHeight = 240;

constexpr Usage kUsage{"menu-disc",
               "usage: menu-disc [--template FOLDER] [--pal] [--aspect 4:3|16:9] [--shot PAGE.png]\n"
               "                 OUTPUT_FOLDER TITLE...\n"};

void Say(const std::string& text) { Terminal::Line("menu-disc: " + text); }

struct Options {
  std::string templateFolder;
  bool pal = false;
  bool wide = false;
  std::string shot;
  std::string output;
  std::vector<std::string> titles;
};

std::optional<int> ParseCommandLine(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool takesValue = argument == "--template" || argument == "--aspect" || argument == "--shot";
    if (takesValue && i + 1 >= argc) return kUsage.Refuse(argument + " needs a value");
    const std::string value = takesValue ? argv[++i] : "";
    if (argument == "--help" || argument == "-h") {
      kUsage.Print(stdout);
      return 0;
    } else if (argument == "--pal") {
      options.pal = true;
    } else if (argument == "--aspect") {
      if (value != "4:3" && value != "16:9") return kUsage.Refuse("--aspect is 4:3 or 16:9, not '" + value + "'");
      options.wide = value == "16:9";
    } else if (argument == "--template") {
      options.templateFolder = value;
    } else if (argument == "--shot") {
      options.shot = value;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return kUsage.Refuse("unknown option '" + argument + "'");
    } else if (options.output.empty()) {
      options.output = argument;
    } else {
      options.titles.push_back(argument);
    }
  }
  if (options.output.empty() || options.titles.empty()) return kUsage.Refuse("an output folder and at least one title are needed");
  if (options.templateFolder.empty())
    options.templateFolder = (fs::path(platform::ProgramFolder()) / "templates" / "Landscape" / "sea1").string();
  if (!fs::is_directory(options.templateFolder))
    return kUsage.Refuse("the template folder '" + options.templateFolder + "' does not exist");
  std::error_code ignored;
  if (fs::exists(fs::path(options.output) / "VIDEO_TS", ignored))
    return kUsage.Refuse("'" + options.output + "' already holds a VIDEO_TS folder");
  return std::nullopt;
}

// A folder for the encoded titles, removed with them at the end.
class WorkFolder {
 public:
  explicit WorkFolder(const std::string& parent) {
    std::string pattern = (fs::path(parent) / ".menu-disc-XXXXXX").string();
    if (mkdtemp(pattern.data())) m_path = pattern;
  }
  ~WorkFolder() {
    std::error_code ignored;
    if (!m_path.empty()) fs::remove_all(m_path, ignored);
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

// A 24-bit bottom-up device-independent bitmap, as the title list takes it.
struct Thumbnail {
  TLBitmapInfoHeader header{};
  std::vector<uint8_t> bits;
};

// The title's picture a second in (or at its middle when shorter), from its own composition.
std::optional<Thumbnail> TakeThumbnail(EngineHandle doc, double length) {
  const EngineHandle decoder = MTDVideoCreate(doc, kThumbnailWidth, kThumbnailHeight, 30000.0 / 1001, kMTDPreview);
  if (!decoder) return std::nullopt;
  std::optional<Thumbnail> result;
  if (auto source = engines::Lookup<engines::media::MediaSource>(decoder)) {
    source->SetOutputFormat(kThumbnailWidth, kThumbnailHeight, 4.0 / 3.0);
    source->Seek(std::min(1.0, length / 2));
    engines::media::VideoFrame picture;
    if (source->ReadVideo(picture) && picture.frame) {
      const AVFrame* frame = picture.frame.get();
      SwsContext* scaler = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                          kThumbnailWidth, kThumbnailHeight, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr,
                                          nullptr, nullptr);
      if (scaler) {
        Thumbnail thumbnail;
        const int stride = (kThumbnailWidth * 3 + 3) & ~3;
        thumbnail.bits.assign(static_cast<size_t>(stride) * kThumbnailHeight, 0);
        // Rows bottom-up: the last row first, written upwards through a negative stride.
        uint8_t* planes[4] = {thumbnail.bits.data() + static_cast<size_t>(stride) * (kThumbnailHeight - 1)};
        int strides[4] = {-stride};
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
        sws_freeContext(scaler);
        thumbnail.header.size = sizeof(TLBitmapInfoHeader);
        thumbnail.header.width = kThumbnailWidth;
        thumbnail.header.height = kThumbnailHeight;
        thumbnail.header.planes = 1;
        thumbnail.header.bitCount = 24;
        thumbnail.header.sizeImage = static_cast<uint32_t>(thumbnail.bits.size());
        result = std::move(thumbnail);
      }
    }
  }
  MTDVideoDestroy(decoder);
  return result;
}

// Lays the file out as a title and encodes it to `output`; false with why printed.
bool EncodeTitle(const Options& options, const std::string& input, const std::string& output,
                 std::optional<Thumbnail>& thumbnail) {
  Title title;
  if (!title.Ready()) {
    Say("the title's timeline could not be made");
    return false;
  }
  const std::optional<double> seconds = ClipSeconds("menu-disc", input);
  if (!seconds) return false;
  if (!title.Add(input, *seconds)) {
    Say("'" + input + "' could not be added to a title");
    return false;
  }
  const double length = TDGetLength(title.Doc());
  thumbnail = TakeThumbnail(title.Doc(), length);
  QEEncodeParam param;
  QEInitEncodeParam(&param);
  param.aspect = options.wide ? 3 : 2;
  const double fps = options.pal ? 25.0 : 30000.0 / 1001;
  if (options.pal) {
    param.height = 576;
    param.frameRate = 25.0;
    param.gopSize = 15;
  }
  const EngineHandle video = MTDVideoCreate(title.Doc(), 720, param.height, fps, kMTDOutputFrame);
  const EngineHandle audio = MTDAudioCreate(title.Doc(), 48000, 2);
  const EngineHandle converter = video && audio ? QECreate(video, audio) : 0;
  bool written = false;
  if (!converter) {
    Say("'" + input + "' could not be composed");
  } else if (!QESetOutputFile(converter, platform::Utf8ToUtf16(output).c_str()) || !QESetEncodeParam(converter, &param)) {
    Say("the output settings were refused");
  } else if (g_signal.load() == 0) {
    Say("encoding '" + input + "'");
    written = RunEncoding(converter, "menu-disc", output);
  }
  QEDestroy(converter);
  MTDVideoDestroy(video);
  MTDAudioDestroy(audio);
  return written;
}

bool WritePng(const engines::MenuPagePictures& page, int width, int height, const std::string& file) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = page.background.data() + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      row[x * 3] = from[x * 4 + 2];
      row[x * 3 + 1] = from[x * 4 + 1];
      row[x * 3 + 2] = from[x * 4];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

// The menu engines' objects for one disc: a manager following a title list, with a menu data
// object kept current for authoring.
class Menu {
 public:
  Menu() : m_manager(MGCreateMenuMgr()), m_titles(TLCreate()), m_data(MTCreateMenuData()) {
    MGSetTitleList(m_manager, m_titles);
    MGSetMenuData(m_manager, m_data);
  }
  ~Menu() {
    MGDestroyMenuMgr(m_manager);
    TLRelease(m_titles);
    MTDestroyMenuData(m_data);
  }
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  bool Ready() const { return m_manager && m_titles && m_data; }
  EngineHandle Titles() const { return m_titles; }
  EngineHandle Data() const { return m_data; }
  bool SetTemplate(const std::string& folder) {
    return MDSetTemplatePath(MGGetCurrentPage(m_manager), platform::Utf8ToUtf16(folder).c_str()) != 0;
  }
  void AddTitle(int index, const std::optional<Thumbnail>& thumbnail) {
    TLInsertTitle(m_titles, index);
    if (thumbnail) TLSetTitleThumbnail(m_titles, index, &thumbnail->header, thumbnail->bits.data());
  }
  // The pages follow the titles.
  void Update() { MGUpdateMDWindow(m_manager); }
  int PageCount() const { return MGGetPageCount(m_manager); }

 private:
  EngineHandle m_manager, m_titles, m_data;
};

// The first page as the disc shows it, written to `file`.
bool WriteShot(const Menu& menu, const Options& options, int titleCount, const std::string& file) {
  auto source = engines::Lookup<engines::MenuSource>(menu.Data());
  if (!source) return false;
  engines::MenuFormat format;
  format.height = options.pal ? 576 : 480;
  format.wide = options.wide;
  format.titleCount = titleCount;
  std::vector<engines::MenuPagePictures> pages;
  std::string error;
  if (!source->Describe(format, pages, error) || pages.empty()) {
    Say("the menu could not be rendered: " + error);
    return false;
  }
  if (!WritePng(pages.front(), format.width, format.height, file)) {
    Say("cannot write '" + file + "'");
    return false;
  }
  return true;
}

// Authors the folder; false with why printed. A signal cancels it.
bool Author(const Menu& menu, const Options& options, const std::string& titleFolder) {
  const EngineHandle ctrl = OCCreateCtrl();
  OCEncParam block{};
  OCInitEncParam(&block);
  block.height = options.pal ? 576 : 480;
  block.frameRate = options.pal ? 25.0 : 30000.0 / 1001;
  block.aspect = options.wide ? kEncodeAspect16x9 : kEncodeAspect4x3;
  OCSetMenuData(ctrl, menu.Data());
  OCSetTitleList(ctrl, menu.Titles());
  OCSetTempPath(ctrl, platform::Utf8ToUtf16(titleFolder).c_str());
  OCSetDvdFolder(ctrl, platform::Utf8ToUtf16(options.output).c_str());
  OCSetDVDType(ctrl, OC_TYPE_FOLDER);
  OCSetEncParam(ctrl, &block);
  if (OCStartProcess(ctrl) != 1) {
    Say("authoring did not start");
    OCDestroyCtrl(ctrl);
    return false;
  }
  Say("authoring '" + options.output + "'");
  int32_t state = OC_STATE_RUNNING;
  bool cancelled = false;
  while ((state = OCWaitProcess(ctrl, 200)) == OC_STATE_RUNNING) {
    if (g_signal.load() != 0 && !cancelled) {
      cancelled = true;
      OCCancelProcess(ctrl);
    }
  }
  char16_t text[2048] = {};
  OCGetLastError(ctrl, text, 2048);
  OCDestroyCtrl(ctrl);
  if (state == OC_STATE_COMPLETE) return true;
  if (state != OC_STATE_CANCELLED) Say("authoring failed: " + platform::Utf16ToUtf8(text));
  return false;
}

int Run(const Options& options) {
  std::error_code failure;
  fs::create_directories(options.output, failure);
  if (!fs::is_directory(options.output)) {
    Say("cannot create the folder '" + options.output + "'");
    return kExitFailed;
  }
  WorkFolder work(options.output);
  if (work.path().empty()) {
    Say("cannot make a work folder in '" + options.output + "'");
    return kExitFailed;
  }
  Menu menu;
  if (!menu.Ready()) {
    Say("the menu engines could not make a menu");
    return kExitFailed;
  }
  if (!menu.SetTemplate(options.templateFolder)) {
    Say("the template in '" + options.templateFolder + "' could not be loaded");
    return kExitFailed;
  }
  const int count = static_cast<int>(options.titles.size());
  for (int i = 0; i < count && g_signal.load() == 0; ++i) {
    std::optional<Thumbnail> thumbnail;
    const std::string encoded = (fs::path(work.path()) / ("Slide" + std::to_string(i) + ".mpg")).string();
    if (!EncodeTitle(options, options.titles[static_cast<size_t>(i)], encoded, thumbnail)) return kExitFailed;
    menu.AddTitle(i, thumbnail);
  }
  if (g_signal.load() != 0) return kExitFailed;
  menu.Update();
  Say(std::to_string(count) + " titles on " + std::to_string(menu.PageCount()) + " menu pages");
  if (!options.shot.empty() && !WriteShot(menu, options, count, options.shot)) return kExitFailed;
  return Author(menu, options, work.path()) ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> status = ParseCommandLine(argc, argv, options)) return *status;

  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  MediaSetLogHook(&EngineLog::Hook);
  QDMStart();
  const int status = Run(options);
  QDMStop();
  MediaSetLogHook(nullptr);
  if (const int number = g_signal.load(); number != 0 && status != 0) {
    std::fprintf(stderr, "menu-disc: interrupted; nothing was kept of '%s'\n", options.output.c_str());
    return 128 + number;
  }
  return status;
}
