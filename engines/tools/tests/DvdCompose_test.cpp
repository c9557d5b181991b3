// dvd-compose run as a child process: titles of short generated clips, checked in the written
// file with ffprobe, ffmpeg and dvdauthor.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ToolRun.h"
#include "engines/media/testing/MediaFixtures.h"

namespace fs = std::filesystem;
using engines::media::testing::RunProgram;
using tools_test::ToolRun;

namespace {

fs::path OutputFolder() {
  fs::path folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("dvd-compose-" + std::to_string(getpid()));
  fs::create_directories(folder);
  return folder;
}

// The output folder goes when the tests end; the mid-transition pictures are kept beside it to
// be looked at.
class RemoveOutputFolder : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(OutputFolder(), ignored);
  }
};
const auto* const g_removeOutputFolder = ::testing::AddGlobalTestEnvironment(new RemoveOutputFolder);

// A 2 s 160x120 clip of one colour with a tone, made once per run.
std::string ColourClip(const std::string& colour, int hertz) {
  const fs::path path = OutputFolder() / (colour + ".avi");
  if (fs::exists(path)) return path.string();
  const std::string seconds = "2";
  if (RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                  "color=" + colour + ":size=160x120:rate=25:duration=" + seconds, "-f", "lavfi", "-i",
                  "sine=frequency=" + std::to_string(hertz) + ":sample_rate=48000:duration=" + seconds, "-c:v",
                  "mpeg4", "-q:v", "4", "-c:a", "mp2", "-shortest", path.string()}) != 0) {
    return {};
  }
  return path.string();
}

// What a command prints on stdout.
std::string Output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) text.append(buffer, got);
    pclose(pipe);
  }
  return text;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The number of pictures of the file's video stream, counted by decoding it.
long VideoFrames(const std::string& file) {
  const std::string text = Output("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                  "stream=nb_read_frames -of csv=p=0 " + Quoted(file));
  return text.empty() ? -1 : std::stol(text);
}

std::string DisplayAspect(const std::string& file) {
  std::string text = Output("ffprobe -v error -select_streams v:0 -show_entries stream=display_aspect_ratio "
                            "-of default=nw=1:nk=1 " + Quoted(file));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// Picture `n` of the file as RGB, written as a PNG as well; empty when it cannot be read.
std::vector<unsigned char> Picture(const std::string& file, int n, int width, int height, const fs::path& png) {
  const std::string select = "select=eq(n\\," + std::to_string(n) + ")";
  RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-i", file, "-vf", select, "-frames:v", "1",
              png.string()});
  const std::string text = Output("ffmpeg -nostdin -loglevel error -i " + Quoted(file) + " -vf '" + select +
                                  "' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  if (text.size() != size_t(width) * height * 3) return {};
  return {text.begin(), text.end()};
}

Rgb PixelAt(const std::vector<unsigned char>& rgb, int width, int x, int y) {
  const size_t at = (size_t(y) * width + x) * 3;
  return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

bool Near(const Rgb& a, const Rgb& b) {
  return std::abs(a.r - b.r) <= 40 && std::abs(a.g - b.g) <= 40 && std::abs(a.b - b.b) <= 40;
}

std::string Text(const Rgb& c) {
  std::ostringstream out;
  out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
  return out.str();
}

const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};

TEST(DvdCompose, RefusesCommandLinesItCannotUse) {
  const std::string red = ColourClip("red", 440);
  ASSERT_FALSE(red.empty());
  const std::string output = (OutputFolder() / "refused.mpg").string();
  struct Case {
    std::vector<std::string> arguments;
    const char* said;
  };
  const Case cases[] = {
      {{"--aspect", "5:4", output, red}, "'5:4'"},
      {{"--aspect", "auto", output, red}, "'auto'"},
      {{"--transition", "NoSuchTransition", output, red, red}, "'NoSuchTransition'"},
      {{"--transition-length", "0", output, red, red}, "'0'"},
      {{"--transition-length", "-1", output, red, red}, "'-1'"},
      {{"--transition-length", "2s", output, red, red}, "'2s'"},
      {{"--transition-length", "nan", output, red, red}, "'nan'"},
      {{"--transition-length", "1e9", output, red, red}, "'1e9'"},
      {{"--speed", output, red}, "'--speed'"},
      {{output, red, "--transition"}, "--transition needs a value"},
      {{output}, "at least one input"},
      {{"--list-transitions", output, red}, "takes no files"},
      {{red, red}, "is also an input"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    ToolRun run("dvd-compose", c.arguments);
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.Wait(), 2);
    EXPECT_NE(run.Errors().find(c.said), std::string::npos) << run.Errors();
    EXPECT_FALSE(fs::exists(output));
  }
}

TEST(DvdCompose, ListsEveryTransitionByTypeAndIndex) {
  const std::string text = Output(std::string(BRANTWELL_BIN_DIR) + "/dvd-compose --list-transitions");
  std::istringstream lines(text);
  std::string line;
  std::set<std::string> ids;
  int count = 0, lastType = 0, nextIndex = 0;
  while (std::getline(lines, line)) {
    SCOPED_TRACE(line);
    int type = -1, index = -1;
    char id[128] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "%d %d\t%127s", &type, &index, id), 3);
    ASSERT_EQ(line, std::to_string(type) + " " + std::to_string(index) + "\t" + id);
    // Types in order, each counted from 0.
    if (type != lastType) {
      EXPECT_EQ(type, lastType + 1);
      lastType = type, nextIndex = 0;
    }
    EXPECT_EQ(index, nextIndex++);
    EXPECT_TRUE(ids.insert(id).second) << "twice: " << id;
    ++count;
  }
  EXPECT_GE(count, 30);
  EXPECT_EQ(text.rfind("0 0\tCrossFade\n", 0), 0u) << text;
}

// Three clips of 2 s with two transitions between them (cut to half a clip, 1 s, when asked for
// longer): each title lasts its length to a picture, is displayed at its aspect, dvdauthor takes
// it, and the picture in the middle of the first transition shows both clips.
TEST(DvdCompose, ComposesClipsWithTransitionsIntoOneTitle) {
  const std::string red = ColourClip("red", 440), blue = ColourClip("blue", 880);
  ASSERT_FALSE(red.empty());
  ASSERT_FALSE(blue.empty());
  enum class Mid { Mixed, Wiped, Any };
  struct Case {
    const char* name;
    std::vector<std::string> options;
    double fps;
    int height;
    const char* aspect;
    double length;      // seconds, about
    double midFirst;    // the middle of the first transition, seconds
    Mid mid;
  };
  const Case cases[] = {
      {"default", {}, 30000.0 / 1001.0, 480, "4:3", 4.0, 1.5, Mid::Mixed},
      {"pal-wipe",
       {"--pal", "--aspect", "16:9", "--transition", "WipeFromLeft", "--transition-length", "0.5"},
       25.0, 576, "16:9", 5.0, 1.75, Mid::Wiped},
      {"random", {"--transition", "random", "--transition-length", "1"}, 30000.0 / 1001.0, 480, "4:3", 4.0, 1.5,
       Mid::Any},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path folder = OutputFolder();
    const std::string output = (folder / (std::string(c.name) + ".mpg")).string();
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {output, red, blue, red});
    ToolRun run("dvd-compose", arguments);
    ASSERT_TRUE(run.Started());
    ASSERT_EQ(run.Wait(), 0) << run.Errors();

    // The title's length as the tool tells it: the clips' lengths as their files give them
    // (a few milliseconds over 2 s, their sound being a little longer than their pictures).
    const size_t said = run.Errors().find("3 clips, ");
    ASSERT_NE(said, std::string::npos) << run.Errors();
    const double length = std::stod(run.Errors().substr(said + 9));
    EXPECT_NEAR(length, c.length, 0.05);
    EXPECT_NEAR(double(VideoFrames(output)), length * c.fps, 1.0);
    EXPECT_EQ(DisplayAspect(output), c.aspect);

    const int n = int(c.midFirst * c.fps + 0.5);
    const fs::path png = fs::path(BRANTWELL_TEST_BIN_DIR) / ("dvd-compose-" + std::string(c.name) + ".png");
    const std::vector<unsigned char> rgb = Picture(output, n, 720, c.height, png);
    ASSERT_FALSE(rgb.empty());
    const Rgb left = PixelAt(rgb, 720, 60, c.height / 2), right = PixelAt(rgb, 720, 660, c.height / 2);
    if (c.mid == Mid::Mixed) {
      // Half of each: purple across the picture.
      EXPECT_TRUE(Near(left, {128, 0, 128})) << Text(left);
      EXPECT_TRUE(Near(right, {128, 0, 128})) << Text(right);
    } else if (c.mid == Mid::Wiped) {
      // One side already shows the second clip, the other still the first.
      EXPECT_TRUE((Near(left, kBlue) && Near(right, kRed)) || (Near(left, kRed) && Near(right, kBlue)))
          << Text(left) << " " << Text(right);
    }

    const fs::path dvd = folder / (std::string(c.name) + "-dvd");
    EXPECT_EQ(RunProgram({"dvdauthor", "-o", dvd.string(), "-t", output}), 0);
    EXPECT_TRUE(fs::exists(dvd / "VIDEO_TS" / "VTS_01_1.VOB"));
    fs::remove_all(dvd);
    fs::remove(output);
  }
}

// Every input that cannot be read is named, nothing is encoded and no output is left.
TEST(DvdCompose, InputsThatCannotBeReadAreNamed) {
  const std::string red = ColourClip("red", 440);
  ASSERT_FALSE(red.empty());
  const fs::path folder = OutputFolder();
  const std::string missing = (folder / "missing.mp4").string();
  const std::string text = (folder / "notes.mp4").string();
  {
    std::FILE* file = std::fopen(text.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("not a film\n", file);
    std::fclose(file);
  }
  const std::string output = (folder / "unread.mpg").string();
  ToolRun run("dvd-compose", {output, red, missing, red, text});
  ASSERT_TRUE(run.Started());
  EXPECT_EQ(run.Wait(), 1);
  EXPECT_NE(run.Errors().find(missing), std::string::npos) << run.Errors();
  EXPECT_NE(run.Errors().find(text), std::string::npos) << run.Errors();
  EXPECT_EQ(run.Errors().find('%'), std::string::npos) << run.Errors();
  EXPECT_FALSE(fs::exists(output));
  fs::remove(text);
}

}  // namespace
