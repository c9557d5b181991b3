// File icons: MIME types by glob, the two system image lists, icons at their sizes, and the
// program's generic icons when the desktop has no theme.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/kernel/FileApi.h"
#include "platform/kernel/Unicode.h"
#include "platform/shell/FileInfo.h"
#include "platform/user/Icons.h"

namespace {

namespace fs = std::filesystem;

class FileInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("brantwell-fileinfo-" + std::to_string(::getpid()));
    fs::create_directories(folder_ / "Album");
    for (const char* name : {"photo.jpg", "Second.JPEG", "clip.mp4", "notes.xyzzy", "Été.png"}) Touch(folder_ / name);
  }
  void TearDown() override { fs::remove_all(folder_); }

  static void Touch(const fs::path& path) { std::ofstream(path) << "x"; }
  std::u16string Wide(const char* name) const { return platform::Utf8ToUtf16((folder_ / name).string()); }

  // The index and list of a path's icon, or -1.
  int Index(const char* name, UINT flags, platform::HIMAGELIST* list = nullptr) const {
    SHFILEINFOW info{};
    const DWORD_PTR result = SHGetFileInfoW(Wide(name).c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | flags);
    if (list) *list = reinterpret_cast<platform::HIMAGELIST>(result);
    return result ? info.iIcon : -1;
  }

  fs::path folder_;
};

TEST(MimeTypes, NamesMatchTheGlobsWithoutRegardToCase) {
  const struct {
    const char* name;
    bool folder;
    const char* type;
  } cases[] = {
      {"photo.jpg", false, "image/jpeg"},   {"PHOTO.JPG", false, "image/jpeg"},
      {"a.jpeg", false, "image/jpeg"},      {"b.png", false, "image/png"},
      {"c.gif", false, "image/gif"},        {"d.bmp", false, "image/bmp"},
      {"e.mp4", false, "video/mp4"},        {"f.mp3", false, "audio/mpeg"},
      {"noextension", false, "application/octet-stream"}, {"Album", true, "inode/directory"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::detail::MimeTypeOfName(c.name, c.folder), c.type) << c.name;
}

TEST_F(FileInfoTest, IconsShareOneIndexPerTypeInBothSystemLists) {
  platform::HIMAGELIST small = nullptr, large = nullptr;
  const int jpg = Index("photo.jpg", SHGFI_SMALLICON, &small);
  ASSERT_GE(jpg, 0);
  EXPECT_EQ(Index("photo.jpg", 0, &large), jpg);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  EXPECT_NE(small, large);
  int cx = 0, cy = 0;
  ASSERT_TRUE(platform::ImageList_GetIconSize(small, &cx, &cy));
  EXPECT_EQ(cx, 16);
  ASSERT_TRUE(platform::ImageList_GetIconSize(large, &cx, &cy));
  EXPECT_EQ(cx, 32);

  // Two pictures of one type share an icon; other types and folders have their own; a folder's
  // open icon is another again.
  EXPECT_EQ(Index("Second.JPEG", SHGFI_SMALLICON), jpg);
  const int folder = Index("Album", SHGFI_SMALLICON);
  const int openFolder = Index("Album", SHGFI_SMALLICON | SHGFI_OPENICON);
  const int video = Index("clip.mp4", SHGFI_SMALLICON);
  const int unknown = Index("notes.xyzzy", SHGFI_SMALLICON);
  for (int index : {folder, openFolder, video, unknown}) EXPECT_GE(index, 0);
  EXPECT_NE(folder, jpg);
  EXPECT_NE(openFolder, folder);
  EXPECT_NE(video, jpg);
  EXPECT_NE(unknown, jpg);
  EXPECT_LT(std::max({jpg, folder, openFolder, video, unknown}), platform::ImageList_GetImageCount(small));
  EXPECT_EQ(platform::ImageList_GetImageCount(small), platform::ImageList_GetImageCount(large));

  // The lists are the same ones on every call, whoever asks.
  platform::HIMAGELIST again = nullptr;
  Index("clip.mp4", SHGFI_SMALLICON, &again);
  EXPECT_EQ(again, small);
}

TEST_F(FileInfoTest, IconHandlesComeAtTheAskedSizeAndTheCallerDestroysThem) {
  for (UINT size : {SHGFI_SMALLICON, SHGFI_LARGEICON}) {
    SHFILEINFOW info{};
    ASSERT_NE(SHGetFileInfoW(Wide("photo.jpg").c_str(), 0, &info, sizeof info, SHGFI_ICON | size), 0u);
    ASSERT_NE(info.hIcon, nullptr);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(platform::detail::IconPixels(info.hIcon, &width, &height, &pixels));
    EXPECT_EQ(width, size == SHGFI_SMALLICON ? 16 : 32);
    EXPECT_EQ(height, width);
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) == 0xFF; }), width * 2);
    EXPECT_TRUE(DestroyIcon(info.hIcon));
  }
}

TEST_F(FileInfoTest, MissingPathsFailUnlessTheAttributesAreGiven) {
  SHFILEINFOW info{};
  EXPECT_EQ(SHGetFileInfoW(Wide("missing.jpg").c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX), 0u);
  EXPECT_EQ(SHGetFileInfoW(nullptr, 0, &info, sizeof info, SHGFI_SYSICONINDEX), 0u);
  EXPECT_NE(SHGetFileInfoW(Wide("missing.jpg").c_str(), 0, &info, sizeof info,
                           SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON),
            0u);
  EXPECT_EQ(info.iIcon, Index("photo.jpg", SHGFI_SMALLICON));
  EXPECT_NE(SHGetFileInfoW(Wide("NewFolder").c_str(), FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                           SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON),
            0u);
  EXPECT_EQ(info.iIcon, Index("Album", SHGFI_SMALLICON));
}

TEST_F(FileInfoTest, TheAnsiFormTakesUtf8AndGivesTheNameAndType) {
  SHFILEINFOA info{};
  const std::string path = (folder_ / "Été.png").string();
  ASSERT_NE(SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_TYPENAME), 0u);
  EXPECT_STREQ(info.szDisplayName, "Été.png");
  EXPECT_STREQ(info.szTypeName, "image/png");
}

// A desktop without an icon theme: the globs still name the type, and the icon is the
// program's own generic one for it.
TEST_F(FileInfoTest, WithoutAThemeTheProgramsGenericIconsServe) {
  const fs::path data = folder_ / "data";
  fs::create_directories(data / "mime");
  std::ofstream(data / "mime/globs2") << "50:image/jpeg:*.jpg\n50:video/mp4:*.mp4\n";
  const char* oldDirs = std::getenv("XDG_DATA_DIRS");
  const char* oldHome = std::getenv("XDG_DATA_HOME");
  const std::string savedDirs = oldDirs ? oldDirs : "", savedHome = oldHome ? oldHome : "";
  setenv("XDG_DATA_DIRS", data.c_str(), 1);
  setenv("XDG_DATA_HOME", (folder_ / "nothing").c_str(), 1);

  auto pixelsOf = [](HICON icon) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    platform::detail::IconPixels(icon, &width, &height, &pixels);
    return pixels;
  };
  const struct {
    const char* file;
    const char16_t* resource;
  } cases[] = {{"photo.jpg", u"GenericPicture"}, {"clip.mp4", u"GenericVideo"},
               {"notes.xyzzy", u"GenericFile"},  {"Album", u"GenericFolder"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    SHFILEINFOW info{};
    ASSERT_NE(SHGetFileInfoW(Wide(c.file).c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON), 0u);
    HICON expected = static_cast<HICON>(LoadImageW(nullptr, c.resource, IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(pixelsOf(info.hIcon), pixelsOf(expected));
    DestroyIcon(expected);
    DestroyIcon(info.hIcon);
  }

  if (oldDirs) setenv("XDG_DATA_DIRS", savedDirs.c_str(), 1); else unsetenv("XDG_DATA_DIRS");
  if (oldHome) setenv("XDG_DATA_HOME", savedHome.c_str(), 1); else unsetenv("XDG_DATA_HOME");
}

}  // namespace
