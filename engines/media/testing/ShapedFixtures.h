#pragma once

// Media fixtures shaped like the real-world files that showed faults: phone clips with
// rotation, photos with an EXIF orientation, DV and interlaced broadcast video. Made on first
// use with the ffmpeg tool like the fixtures of MediaFixtures.h, some in several steps (a step
// names the previous step's output as "{in}").

#include <fstream>
#include <iterator>

#include "engines/media/testing/MediaFixtures.h"

namespace engines::media::testing {

// Runs the steps, each writing a temporary file (the last one under `name`); the fixture's
// path, or empty when a step failed.
inline std::string SteppedFixture(const std::string& name, const std::vector<std::vector<std::string>>& steps) {
  const std::filesystem::path path = FixtureFolder() / name;
  if (std::filesystem::exists(path)) return path.string();
  std::vector<std::filesystem::path> made;
  auto cleanUp = [&] {
    for (const auto& file : made) std::filesystem::remove(file);
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    const std::filesystem::path output =
        FixtureFolder() / ("tmp-" + std::to_string(getpid()) + "-" + std::to_string(i) + "-" + name);
    std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-y", "-loglevel", "error"};
    for (const std::string& argument : steps[i])
      arguments.push_back(argument == "{in}" && !made.empty() ? made.back().string() : argument);
    arguments.push_back(output.string());
    made.push_back(output);
    if (RunProgram(arguments) != 0) {
      cleanUp();
      return {};
    }
  }
  std::filesystem::rename(made.back(), path);
  made.pop_back();
  cleanUp();
  return path.string();
}

// A phone clip: 320x180 as stored, mid grey with a white block in the stored top-left corner,
// 1 s at 25 fps, with the "rotate" tag, which this ffmpeg turns into a display matrix when it
// copies the stream. (It writes the tag's angle as the matrix's counter-clockwise angle: a
// tag of 90 shows the stored picture turned a quarter counter-clockwise.)
inline std::string RotatedClip(int degrees) {
  const std::string name = "rotated_" + std::to_string(degrees) + ".mp4";
  return SteppedFixture(
      name, {{"-f", "lavfi", "-i",
              "color=c=0x808080:size=320x180:rate=25:duration=1,drawbox=x=0:y=0:w=80:h=45:c=white:t=fill",
              "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-f", "mp4"},
             {"-i", "{in}", "-c", "copy", "-metadata:s:v:0", "rotate=" + std::to_string(degrees), "-f", "mp4"}});
}

// The same clip in Matroska with only a "ROTATE" tag of 90 (clockwise degrees), as older
// writers leave it, and no display matrix.
inline std::string RotateTaggedClip() {
  return SteppedFixture(
      "rotate_tag_90.mkv",
      {{"-f", "lavfi", "-i",
        "color=c=0x808080:size=320x180:rate=25:duration=1,drawbox=x=0:y=0:w=80:h=45:c=white:t=fill", "-c:v",
        "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-f", "matroska"},
       {"-i", "{in}", "-c", "copy", "-metadata:s:v:0", "ROTATE=90", "-f", "matroska"}});
}

// A JPEG photo like the RotatedClip picture (64x36 stored, white block top left) carrying
// the EXIF orientation `value`.
inline std::string ExifPhoto(int value) {
  const std::string name = "exif_" + std::to_string(value) + ".jpg";
  const std::filesystem::path path = FixtureFolder() / name;
  if (std::filesystem::exists(path)) return path.string();
  const std::string plain = SteppedFixture(
      "exif_plain.jpg",
      {{"-f", "lavfi", "-i", "color=c=0x808080:size=64x36,drawbox=x=0:y=0:w=16:h=9:c=white:t=fill", "-frames:v",
        "1"}});
  if (plain.empty()) return {};
  std::ifstream in(plain, std::ios::binary);
  std::string jpeg((std::istreambuf_iterator<char>(in)), {});
  if (jpeg.size() < 2) return {};
  // An APP1 segment right after the start of image: "Exif", then a little-endian TIFF
  // header and one IFD holding the orientation (tag 0x0112, SHORT, one value).
  const std::string tiff = std::string("II*\0\x08\0\0\0", 8) + std::string("\x01\0", 2) +
                           std::string("\x12\x01\x03\0\x01\0\0\0", 8) + char(value) + std::string("\0\0\0", 3) +
                           std::string("\0\0\0\0", 4);
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const size_t length = payload.size() + 2;
  const std::string segment = std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
  const std::filesystem::path temporary = FixtureFolder() / ("tmp-" + std::to_string(getpid()) + "-" + name);
  {
    std::ofstream out(temporary, std::ios::binary);
    out << jpeg.substr(0, 2) << segment << jpeg.substr(2);
    if (!out) return {};
  }
  std::filesystem::rename(temporary, path);
  return path.string();
}

// 1 s of 1080i25, top field first, MPEG-2 in a transport stream: a white bar 48 px wide on
// black, moving 24 px a field: at x = 124 + 24 * n in field n (fields counted from 0 in the
// order they are shown; the overlay's expression puts the first one at 124).
constexpr int kBarWidth = 48;
inline int BarLeftInField(int field) { return 124 + 24 * field; }
inline std::string InterlacedBar() {
  return SteppedFixture(
      "interlaced_bar.ts",
      {{"-f", "lavfi", "-i",
        "color=c=black:size=1920x1080:rate=50:duration=1[bg];color=c=white:size=48x1080:rate=50:duration=1[bar];"
        "[bg][bar]overlay=x=100+24*n:y=0:eval=frame:format=yuv420,interlace=scan=tff:lowpass=off[out0]",
        "-c:v", "mpeg2video", "-flags", "+ilme+ildct", "-top", "1", "-q:v", "2", "-g", "12", "-pix_fmt", "yuv420p",
        "-f", "mpegts"}});
}

// Where a bar of bright pixels lies on a row: its first column and width, and how many pixels
// away from its edges are neither black nor white (a blended ghost).
struct BarOnRow {
  int runs = 0;  // bright runs found; 1 for a sharp single bar
  int left = -1, width = 0;
  int ghostPixels = 0;
};
inline BarOnRow FindBar(const uint8_t* row, int width) {
  BarOnRow bar;
  for (int x = 0; x < width; ++x) {
    if (row[x] >= 160 && (x == 0 || row[x - 1] < 160)) {
      if (++bar.runs == 1) bar.left = x;
    }
    if (row[x] >= 160 && bar.runs == 1) bar.width = x - bar.left + 1;
  }
  for (int x = 0; x < width; ++x) {
    const bool nearEdge = bar.left >= 0 && x >= bar.left - 3 && x < bar.left + bar.width + 3;
    if (!nearEdge && row[x] > 40) ++bar.ghostPixels;
  }
  return bar;
}

}  // namespace engines::media::testing
