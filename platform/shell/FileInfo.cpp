// File icons: MIME types from shared-mime-info's globs, icons from the desktop icon theme or
// the program's generic icons, kept in the two process-wide system image lists.

#include "platform/shell/FileInfo.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/Objects.h"
#include "platform/gdi/PictureReader.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/FileApi.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/user/Icons.h"

namespace platform::detail {
namespace {

constexpr int kSmallSize = 16;
constexpr int kLargeSize = 32;

// ---- where the desktop keeps its data ---------------------------------------------------------

std::vector<std::string> DataFolders() {
  std::vector<std::string> folders;
  if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home) folders.push_back(home);
  else if (const char* user = std::getenv("HOME"); user && *user) folders.push_back(std::string(user) + "/.local/share");
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::stringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
  for (std::string folder; std::getline(list, folder, ':');)
    if (!folder.empty()) folders.push_back(folder);
  return folders;
}

bool IsFile(const std::string& path) {
  struct stat info{};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// ---- MIME types -------------------------------------------------------------------------------

struct Glob {
  int weight = 50;
  std::string type;
  std::string pattern;
  bool caseSensitive = false;
};

// Every data folder's globs2 and icon tables, read once per set of data folders.
struct MimeDatabase {
  std::vector<Glob> globs;
  std::map<std::string, std::string> icons;         // type -> icon name
  std::map<std::string, std::string> genericIcons;  // type -> generic icon name

  explicit MimeDatabase(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
      std::ifstream in(folder + "/mime/globs2");
      for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::stringstream fields(line);
        std::string weight, type, pattern, flags;
        if (!std::getline(fields, weight, ':') || !std::getline(fields, type, ':') || !std::getline(fields, pattern, ':'))
          continue;
        std::getline(fields, flags);
        Glob glob;
        glob.weight = std::atoi(weight.c_str());
        glob.type = type;
        glob.pattern = pattern;
        glob.caseSensitive = flags.find("cs") != std::string::npos;
        globs.push_back(std::move(glob));
      }
      ReadTable(folder + "/mime/icons", icons);
      ReadTable(folder + "/mime/generic-icons", genericIcons);
    }
  }

  static void ReadTable(const std::string& path, std::map<std::string, std::string>& table) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
      const size_t colon = line.find(':');
      if (colon != std::string::npos) table.emplace(line.substr(0, colon), line.substr(colon + 1));
    }
  }

  // The highest weight wins; between equal weights the longer pattern.
  std::string TypeOf(std::string_view name) const {
    const std::string text(name);
    const Glob* best = nullptr;
    for (const Glob& glob : globs) {
      if (fnmatch(glob.pattern.c_str(), text.c_str(), glob.caseSensitive ? 0 : FNM_CASEFOLD) != 0) continue;
      if (!best || glob.weight > best->weight ||
          (glob.weight == best->weight && glob.pattern.size() > best->pattern.size()))
        best = &glob;
    }
    return best ? best->type : "application/octet-stream";
  }
};

// ---- the icon theme ---------------------------------------------------------------------------

// The PNG files of one icon name in a theme, by size.
using IconFiles = std::vector<std::pair<int, std::string>>;

// Searches the size folders ("16x16/mimetypes/x.png" ...) of Adwaita, then hicolor, in every
// data folder; symbolic variants are not used.
class IconTheme {
 public:
  explicit IconTheme(const std::vector<std::string>& folders) {
    for (const char* theme : {"Adwaita", "hicolor"}) {
      for (const std::string& folder : folders) {
        const std::string root = folder + "/icons/" + theme;
        DIR* dir = ::opendir(root.c_str());
        if (!dir) continue;
        while (dirent* entry = ::readdir(dir)) {
          int width = 0, height = 0;
          char rest = 0;
          if (std::sscanf(entry->d_name, "%dx%d%c", &width, &height, &rest) != 2 || width != height || width <= 0)
            continue;
          const std::string sizeFolder = root + "/" + entry->d_name;
          DIR* contexts = ::opendir(sizeFolder.c_str());
          if (!contexts) continue;
          while (dirent* context = ::readdir(contexts))
            if (context->d_name[0] != '.') m_folders.push_back({theme, width, sizeFolder + "/" + context->d_name});
          ::closedir(contexts);
        }
        ::closedir(dir);
      }
    }
  }

  // The files of the first theme that has the name.
  const IconFiles& Find(const std::string& name) {
    auto found = m_cache.find(name);
    if (found != m_cache.end()) return found->second;
    IconFiles files;
    std::string theme;
    for (const Folder& folder : m_folders) {
      if (!files.empty() && folder.theme != theme) break;
      const std::string path = folder.path + "/" + name + ".png";
      if (IsFile(path)) {
        theme = folder.theme;
        files.emplace_back(folder.size, path);
      }
    }
    return m_cache.emplace(name, std::move(files)).first->second;
  }

 private:
  struct Folder {
    std::string theme;
    int size;
    std::string path;
  };
  std::vector<Folder> m_folders;
  std::map<std::string, IconFiles> m_cache;
};

// The file of the nearest size: the smallest at least `size`, else the largest.
const std::string* Nearest(const IconFiles& files, int size) {
  const std::pair<int, std::string>* best = nullptr;
  for (const auto& file : files) {
    if (!best) best = &file;
    else if (file.first >= size ? (best->first < size || file.first < best->first) : (best->first < size && file.first > best->first))
      best = &file;
  }
  return best ? &best->second : nullptr;
}

// Straight ARGB pixels scaled to size x size: an area average (in premultiplied terms) when
// shrinking, the nearest pixel when growing.
std::vector<uint32_t> ScaleIcon(const std::vector<uint32_t>& pixels, int width, int height, int size) {
  std::vector<uint32_t> out(size_t(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int x0 = x * width / size, x1 = std::max(x0 + 1, (x + 1) * width / size);
      const int y0 = y * height / size, y1 = std::max(y0 + 1, (y + 1) * height / size);
      uint64_t a = 0, r = 0, g = 0, b = 0;
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) {
          const uint32_t p = pixels[size_t(sy) * width + sx];
          const uint32_t alpha = p >> 24;
          a += alpha;
          r += ((p >> 16) & 0xFF) * alpha;
          g += ((p >> 8) & 0xFF) * alpha;
          b += (p & 0xFF) * alpha;
        }
      const uint64_t count = uint64_t(x1 - x0) * (y1 - y0);
      if (a == 0) continue;
      out[size_t(y) * size + x] = uint32_t((a + count / 2) / count) << 24 | uint32_t(r / a) << 16 |
                                  uint32_t(g / a) << 8 | uint32_t(b / a);
    }
  }
  return out;
}

// An icon of size x size from straight ARGB pixels, or null.
HICON IconFromPixels(const std::vector<uint32_t>& pixels, int size) {
  BITMAPINFO info = platform::TopDownBitmapInfo32(size, size);
  void* bits = nullptr;
  HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!colour || !bits) return nullptr;
  std::memcpy(bits, pixels.data(), pixels.size() * 4);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  ICONINFO iconInfo{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&iconInfo);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

HICON IconFromPng(const std::string& path, int size) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  picture::Png png;
  if (bytes.empty() || !picture::ReadPng(bytes, &png, picture::PngLayout::Argb) || png.width <= 0 || png.height <= 0)
    return nullptr;
  std::vector<uint32_t> pixels(size_t(png.width) * png.height);
  std::memcpy(pixels.data(), png.pixels.data(), pixels.size() * 4);
  return IconFromPixels(ScaleIcon(pixels, png.width, png.height, size), size);
}

// ---- the system image lists --------------------------------------------------------------------

struct ShellIcons {
  std::mutex lock;
  HIMAGELIST small = nullptr;
  HIMAGELIST large = nullptr;
  std::map<std::string, int> indexByIcon;  // icon name (or "#Resource") -> index in both lists
  std::string foldersKey;                  // the data folders the caches below were read from
  std::optional<MimeDatabase> mime;
  std::optional<IconTheme> theme;

  void Refresh() {
    const std::vector<std::string> folders = DataFolders();
    std::string key;
    for (const std::string& folder : folders) key += folder + '\n';
    if (mime && key == foldersKey) return;
    foldersKey = key;
    mime.emplace(folders);
    theme.emplace(folders);
  }
};

ShellIcons& Shell() {
  // Lives to the process's end: callers hold the lists' handles and never destroy them.
  static auto* shell = new ShellIcons;
  return *shell;
}

// The icon names to try for a MIME type, most specific first.
std::vector<std::string> IconNames(const MimeDatabase& mime, const std::string& type, bool open) {
  std::vector<std::string> names;
  if (type == "inode/directory") {
    if (open) names.push_back("folder-open");
    names.push_back("folder");
    names.push_back("inode-directory");
    return names;
  }
  if (auto icon = mime.icons.find(type); icon != mime.icons.end()) names.push_back(icon->second);
  std::string dashed = type;
  std::replace(dashed.begin(), dashed.end(), '/', '-');
  names.push_back(dashed);
  if (auto generic = mime.genericIcons.find(type); generic != mime.genericIcons.end()) names.push_back(generic->second);
  names.push_back(type.substr(0, type.find('/')) + "-x-generic");
  return names;
}

// The program's own icon for a type the theme has nothing for.
const char16_t* GenericResource(const std::string& type) {
  if (type == "inode/directory") return u"GenericFolder";
  const std::string media = type.substr(0, type.find('/'));
  if (media == "video") return u"GenericVideo";
  if (media == "audio") return u"GenericAudio";
  if (media == "image") return u"GenericPicture";
  return u"GenericFile";
}

// The index of the type's icon in both system lists, adding it on first use; -1 when no icon
// at all is found. Called under the lock.
int SystemIndex(ShellIcons& shell, const std::string& type, bool open) {
  if (!shell.small) {
    shell.small = ImageList_Create(kSmallSize, kSmallSize, ILC_COLOR32 | ILC_MASK, 32, 32);
    shell.large = ImageList_Create(kLargeSize, kLargeSize, ILC_COLOR32 | ILC_MASK, 32, 32);
  }
  for (const std::string& name : IconNames(*shell.mime, type, open)) {
    if (auto known = shell.indexByIcon.find(name); known != shell.indexByIcon.end()) return known->second;
    const IconFiles& files = shell.theme->Find(name);
    if (files.empty()) continue;
    HICON small = IconFromPng(*Nearest(files, kSmallSize), kSmallSize);
    HICON large = IconFromPng(*Nearest(files, kLargeSize), kLargeSize);
    int index = -1;
    if (small && large) {
      index = ImageList_ReplaceIcon(shell.small, -1, small);
      if (index >= 0 && ImageList_ReplaceIcon(shell.large, -1, large) != index) index = -1;
    }
    if (small) DestroyIcon(small);
    if (large) DestroyIcon(large);
    if (index < 0) continue;  // an unreadable file: try the next name
    shell.indexByIcon.emplace(name, index);
    return index;
  }
  const char16_t* resource = GenericResource(type);
  const std::string key = "#" + Utf16ToUtf8(resource);
  if (auto known = shell.indexByIcon.find(key); known != shell.indexByIcon.end()) return known->second;
  HICON small = static_cast<HICON>(LoadImageW(nullptr, resource, IMAGE_ICON, kSmallSize, kSmallSize, 0));
  HICON large = static_cast<HICON>(LoadImageW(nullptr, resource, IMAGE_ICON, kLargeSize, kLargeSize, 0));
  int index = -1;
  if (small && large) {
    index = ImageList_ReplaceIcon(shell.small, -1, small);
    if (index >= 0 && ImageList_ReplaceIcon(shell.large, -1, large) != index) index = -1;
  }
  if (small) DestroyIcon(small);
  if (large) DestroyIcon(large);
  if (index >= 0) shell.indexByIcon.emplace(key, index);
  return index;
}

struct Answer {
  HICON icon = nullptr;
  int index = -1;
  std::string displayName;
  std::string typeName;
  DWORD_PTR result = 0;
};

Answer GetFileInfo(const std::string& path, DWORD attributes, UINT flags) {
  Answer answer;
  if (flags & SHGFI_PIDL) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return answer;
  }
  bool folder = false;
  if (flags & SHGFI_USEFILEATTRIBUTES) {
    folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  } else {
    struct stat info{};
    if (path.empty() || ::stat(FileSystemPath(path).c_str(), &info) != 0) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return answer;
    }
    folder = S_ISDIR(info.st_mode);
  }
  std::string name = NormalizeDelimiters(path);
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  name = name.substr(name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1);

  ShellIcons& shell = Shell();
  std::lock_guard guard(shell.lock);
  shell.Refresh();
  const std::string type = folder ? "inode/directory" : shell.mime->TypeOf(name);
  answer.result = 1;
  if (flags & SHGFI_DISPLAYNAME) answer.displayName = name;
  if (flags & SHGFI_TYPENAME) answer.typeName = type;
  if (flags & (SHGFI_SYSICONINDEX | SHGFI_ICON)) {
    answer.index = SystemIndex(shell, type, (flags & SHGFI_OPENICON) != 0);
    if (answer.index < 0) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return Answer{};
    }
    HIMAGELIST list = (flags & SHGFI_SMALLICON) ? shell.small : shell.large;
    if (flags & SHGFI_ICON) answer.icon = ImageList_GetIcon(list, answer.index, ILD_NORMAL);
    if (flags & SHGFI_SYSICONINDEX) answer.result = reinterpret_cast<DWORD_PTR>(list);
  }
  return answer;
}

template <typename Char, size_t N>
void CopyText(Char (&target)[N], const std::basic_string<Char>& text) {
  const size_t count = std::min(text.size(), N - 1);
  std::copy_n(text.data(), count, target);
  target[count] = 0;
}

}  // namespace

std::string MimeTypeOfName(std::string_view fileName, bool folder) {
  if (folder) return "inode/directory";
  ShellIcons& shell = Shell();
  std::lock_guard guard(shell.lock);
  shell.Refresh();
  return shell.mime->TypeOf(fileName);
}

}  // namespace platform::detail

DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT infoSize, UINT flags) {
  if (!path || (info && infoSize < sizeof(SHFILEINFOW))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto answer = platform::detail::GetFileInfo(platform::Utf16ToUtf8(path), attributes, flags);
  if (info && answer.result) {
    if (flags & SHGFI_ICON) info->hIcon = answer.icon;
    if (flags & (SHGFI_SYSICONINDEX | SHGFI_ICON)) info->iIcon = answer.index;
    if (flags & SHGFI_DISPLAYNAME) platform::detail::CopyText(info->szDisplayName, platform::Utf8ToUtf16(answer.displayName));
    if (flags & SHGFI_TYPENAME) platform::detail::CopyText(info->szTypeName, platform::Utf8ToUtf16(answer.typeName));
  } else if (answer.icon) {
    DestroyIcon(answer.icon);
  }
  return answer.result;
}

DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT infoSize, UINT flags) {
  if (!path || (info && infoSize < sizeof(SHFILEINFOA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto answer = platform::detail::GetFileInfo(path, attributes, flags);
  if (info && answer.result) {
    if (flags & SHGFI_ICON) info->hIcon = answer.icon;
    if (flags & (SHGFI_SYSICONINDEX | SHGFI_ICON)) info->iIcon = answer.index;
    if (flags & SHGFI_DISPLAYNAME) platform::detail::CopyText(info->szDisplayName, answer.displayName);
    if (flags & SHGFI_TYPENAME) platform::detail::CopyText(info->szTypeName, answer.typeName);
  } else if (answer.icon) {
    DestroyIcon(answer.icon);
  }
  return answer.result;
}
