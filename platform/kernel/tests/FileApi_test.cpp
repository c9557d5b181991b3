#include "platform/kernel/FileApi.h"
#include "platform/kernel/PathResolve.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class FileApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brantwell-fileapi-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_root, ignored);
  }
  std::string Path(const std::string& name) const { return m_root + "/" + name; }
  void Write(const std::string& name, const std::string& text) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string m_root;
};

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(FileApiTest, DispositionsAndTheirErrors) {
  struct Case {
    const char* name;
    bool exists;
    DWORD disposition;
    bool opens;
    DWORD error;
    const char* contentAfter;  // nullptr: no file afterwards
  };
  const Case cases[] = {
      {"create new, missing", false, CREATE_NEW, true, ERROR_SUCCESS, ""},
      {"create new, existing", true, CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
      {"create always, missing", false, CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
      {"create always, existing", true, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
      {"open existing, missing", false, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"open existing, existing", true, OPEN_EXISTING, true, ERROR_SUCCESS, "old"},
      {"open always, missing", false, OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
      {"open always, existing", true, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
      {"truncate, missing", false, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"truncate, existing", true, TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(Path("f.dat"));
    if (c.exists) Write("f.dat", "old");
    HANDLE file = Open(Path("f.dat"), GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    if (file != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(file));
    }
    EXPECT_EQ(fs::exists(Path("f.dat")), c.contentAfter != nullptr);
    if (c.contentAfter) {
      EXPECT_EQ(Read("f.dat"), c.contentAfter);
    }
  }
  // A missing folder is a missing path, not a missing file.
  EXPECT_EQ(Open(Path("nowhere/f.dat"), GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  // Folders open only with backup semantics.
  EXPECT_EQ(Open(m_root, GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileApiTest, ReadWriteSeekAndSize) {
  HANDLE file = Open(Path("data.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(done, 10u);
  EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(std::string(buffer, done), "6789");
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  LARGE_INTEGER position{};
  LARGE_INTEGER distance{};
  distance.QuadPart = 3;
  ASSERT_TRUE(SetFilePointerEx(file, distance, &position, FILE_BEGIN));
  EXPECT_EQ(position.QuadPart, 3);
  ASSERT_TRUE(SetEndOfFile(file));
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(file, &high), 3u);
  EXPECT_EQ(high, 0u);
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReadFile(file, buffer, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  // Access is enforced per handle.
  HANDLE readOnly = Open(Path("data.bin"), GENERIC_READ, FILE_SHARE_READ);
  EXPECT_FALSE(WriteFile(readOnly, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(readOnly);
  EXPECT_EQ(Read("data.bin"), "012");
}

struct ShareCase {
  const char* name;
  DWORD firstAccess, firstShare, secondAccess, secondShare;
  bool secondOpens;
};

const ShareCase kShareCases[] = {
    {"readers sharing read", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
    {"reader denies writer", GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, FILE_SHARE_READ, false},
    {"writer without share refuses reader", GENERIC_WRITE, 0, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
    {"writer sharing read, reader sharing write", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ,
     FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    {"writer sharing read, reader not sharing write", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ,
     false},
    {"full sharing", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_READ | GENERIC_WRITE,
     FILE_SHARE_READ | FILE_SHARE_WRITE, true},
};

TEST_F(FileApiTest, ShareModesAcrossDescriptors) {
  Write("shared.dat", "content");
  for (const auto& c : kShareCases) {
    SCOPED_TRACE(c.name);
    HANDLE first = Open(Path("shared.dat"), c.firstAccess, c.firstShare);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = Open(Path("shared.dat"), c.secondAccess, c.secondShare);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second == INVALID_HANDLE_VALUE) EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    else CloseHandle(second);
    CloseHandle(first);
    // Once the first is closed, the second always opens.
    HANDLE again = Open(Path("shared.dat"), c.secondAccess, c.secondShare);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
  }
  // A refused CREATE_ALWAYS must not truncate the file the holder has open.
  HANDLE holder = Open(Path("shared.dat"), GENERIC_READ, FILE_SHARE_READ);
  EXPECT_EQ(Open(Path("shared.dat"), GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read("shared.dat"), "content");
  // Deleting and moving need FILE_SHARE_DELETE from every holder.
  EXPECT_FALSE(DeleteFileA(Path("shared.dat").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileA(Path("shared.dat").c_str(), Path("moved.dat").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(holder);
  EXPECT_TRUE(DeleteFileA(Path("shared.dat").c_str()));
}

// The child opens the file with the first access and share, reports on the pipe, and waits
// until its parent closes the other pipe. An alarm ends it if the parent dies.
TEST_F(FileApiTest, ShareModesAcrossProcesses) {
  Write("shared.dat", "content");
  for (const auto& c : kShareCases) {
    SCOPED_TRACE(c.name);
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      alarm(20);
      close(ready[0]);
      close(release[1]);
      HANDLE held = Open(Path("shared.dat"), c.firstAccess, c.firstShare);
      const char status = held != INVALID_HANDLE_VALUE ? 'y' : 'n';
      (void)!write(ready[1], &status, 1);
      char ignored;
      (void)!read(release[0], &ignored, 1);
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    pollfd waitFor{ready[0], POLLIN, 0};
    ASSERT_EQ(poll(&waitFor, 1, 20000), 1) << "child did not answer";
    char status = 0;
    ASSERT_EQ(read(ready[0], &status, 1), 1);
    EXPECT_EQ(status, 'y');
    HANDLE second = Open(Path("shared.dat"), c.secondAccess, c.secondShare);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second == INVALID_HANDLE_VALUE) EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    else CloseHandle(second);
    close(release[1]);
    close(ready[0]);
    int exitStatus = 0;
    ASSERT_EQ(waitpid(child, &exitStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(exitStatus));
  }
}

TEST_F(FileApiTest, PathsWithBackslashesCaseAndNonAsciiNames) {
  Write("Languages/EngLish.dat", "english");
  Write("Vidéos/Été 2024.txt", "summer");
  struct Case {
    const char* name;
    std::string path;
    const char* content;
  };
  const Case cases[] = {
      {"exact", Path("Languages/EngLish.dat"), "english"},
      {"case differs", Path("languages/english.DAT"), "english"},
      {"backslashes", m_root + "\\LANGUAGES\\english.dat", "english"},
      {"non-ASCII", Path("Vidéos/Été 2024.txt"), "summer"},
      {"non-ASCII, case differs", Path("VIDÉOS/été 2024.TXT"), "summer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE file = Open(c.path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[32] = {};
    DWORD done = 0;
    ReadFile(file, buffer, sizeof buffer, &done, nullptr);
    EXPECT_EQ(std::string(buffer, done), c.content);
    CloseHandle(file);
  }
  // Callers that hand a program path to POSIX calls resolve it the same way; a missing name
  // is kept as written under the folder that exists.
  EXPECT_EQ(platform::FileSystemPath(m_root + "\\LANGUAGES\\english.dat"), Path("Languages/EngLish.dat"));
  EXPECT_EQ(platform::FileSystemPath(Path("languages/Missing.dat")), Path("Languages/Missing.dat"));
  // Wide names reach the same files.
  const std::u16string wide = u"" + std::u16string(m_root.begin(), m_root.end()) + u"/vidÉos/ÉTÉ 2024.txt";
  EXPECT_EQ(GetFileAttributesW(wide.c_str()), FILE_ATTRIBUTE_NORMAL);
  // A new file under a folder written in another case lands in the existing folder.
  HANDLE created = Open(Path("LANGUAGES/new.dat"), GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);
  EXPECT_TRUE(fs::exists(Path("Languages/new.dat")));
  EXPECT_FALSE(fs::exists(Path("LANGUAGES")));
}

TEST_F(FileApiTest, AttributesMoveCopyDeleteAndFolders) {
  Write("plain.txt", "x");
  Write(".hidden", "x");
  EXPECT_EQ(GetFileAttributesA(Path("plain.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributesA(Path(".hidden").c_str()), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(GetFileAttributesA(m_root.c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(Path("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(Path("missing/x").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  ASSERT_TRUE(SetFileAttributesA(Path("plain.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA(Path("plain.txt").c_str()), FILE_ATTRIBUTE_READONLY);
  if (geteuid() != 0) {
    EXPECT_EQ(Open(Path("plain.txt"), GENERIC_WRITE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  EXPECT_FALSE(DeleteFileA(Path("plain.txt").c_str()));  // read-only files are not deleted
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(SetFileAttributesA(Path("plain.txt").c_str(), FILE_ATTRIBUTE_NORMAL));

  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(Path("plain.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 1u);

  EXPECT_FALSE(MoveFileExA(Path("plain.txt").c_str(), Path(".hidden").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileExA(Path("plain.txt").c_str(), Path(".hidden").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(MoveFileA(Path(".hidden").c_str(), Path("Plain.TXT").c_str()));
  EXPECT_TRUE(MoveFileA(Path("plain.txt").c_str(), Path("PLAIN.txt").c_str()));  // case-only rename
  EXPECT_TRUE(fs::exists(Path("PLAIN.txt")));
  EXPECT_FALSE(fs::exists(Path("Plain.TXT")));

  EXPECT_TRUE(CopyFileA(Path("plain.txt").c_str(), Path("copy.txt").c_str(), TRUE));
  EXPECT_FALSE(CopyFileA(Path("plain.txt").c_str(), Path("copy.txt").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(Read("copy.txt"), "x");

  EXPECT_TRUE(CreateDirectoryA(Path("Folder").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(Path("folder").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA(Path("a/b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  Write("Folder/inside", "");
  EXPECT_FALSE(RemoveDirectoryA(Path("FOLDER").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_TRUE(DeleteFileA(Path("folder/INSIDE").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(Path("FOLDER").c_str()));
  EXPECT_FALSE(DeleteFileA(Path("copy.txt/x").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileApiTest, DescriptorOfAFileHandle) {
  Write("seven.bin", "1234567");
  HANDLE file = Open(Path("seven.bin"), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const int descriptor = platform::FileDescriptorOf(file);
  ASSERT_GE(descriptor, 0);
  struct stat info {};
  ASSERT_EQ(fstat(descriptor, &info), 0);
  EXPECT_EQ(info.st_size, 7);
  CloseHandle(file);
  // A closed, invalid or null handle has no descriptor.
  EXPECT_EQ(platform::FileDescriptorOf(file), -1);
  EXPECT_EQ(platform::FileDescriptorOf(INVALID_HANDLE_VALUE), -1);
  EXPECT_EQ(platform::FileDescriptorOf(nullptr), -1);
}

TEST_F(FileApiTest, FileTimesRoundTrip) {
  HANDLE file = Open(Path("t.dat"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  // 2001-02-03 04:05:06.7 UTC = 981173106.7 s after 1970.
  const uint64_t ticks = 9811731067ULL * 1000000ULL + 116444736000000000ULL;
  const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  FILETIME readBack{};
  ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &readBack));
  EXPECT_EQ(readBack.dwLowDateTime, written.dwLowDateTime);
  EXPECT_EQ(readBack.dwHighDateTime, written.dwHighDateTime);
  CloseHandle(file);
  struct stat info {};
  ASSERT_EQ(stat(Path("t.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 981173106);
}

TEST_F(FileApiTest, TempFileNames) {
  char buffer[MAX_PATH] = {};
  EXPECT_EQ(GetTempFileNameA(m_root.c_str(), "brantwell", 0x1A2B, buffer), 0x1A2Bu);
  EXPECT_EQ(std::string(buffer), Path("bra1A2B.tmp"));
  EXPECT_FALSE(fs::exists(buffer));  // a given number creates nothing

  const UINT unique = GetTempFileNameA(m_root.c_str(), "bw", 0, buffer);
  ASSERT_NE(unique, 0u);
  EXPECT_TRUE(fs::exists(buffer));
  const UINT second = GetTempFileNameA(m_root.c_str(), "bw", 0, buffer);
  EXPECT_NE(second, unique);

  EXPECT_EQ(GetTempFileNameA(Path("missing").c_str(), "bw", 0, buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  char16_t wide[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, wide);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(wide[length - 1], u'/');
  EXPECT_EQ(GetTempPathA(1, buffer), length + 1);  // too small: the size needed
}

TEST_F(FileApiTest, BufferLengthRules) {
  ASSERT_TRUE(SetCurrentDirectoryA(m_root.c_str()));
  char buffer[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  const std::string current = buffer;
  EXPECT_EQ(current, fs::canonical(m_root).string());
  EXPECT_EQ(GetCurrentDirectoryA(length, buffer), length + 1);
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1);

  char* filePart = nullptr;
  const std::string expected = current + "/a/c.txt";
  EXPECT_EQ(GetFullPathNameA("a\\b\\..\\.\\c.txt", MAX_PATH, buffer, &filePart), expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_STREQ(filePart, "c.txt");
  EXPECT_EQ(GetFullPathNameA("x", 2, buffer, nullptr), std::string(fs::canonical(m_root).string() + "/x").size() + 1);

  const DWORD moduleLength = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  ASSERT_GT(moduleLength, 0u);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 4), 4u);  // cut, terminated
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(buffer).size(), 3u);

  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(m_root.c_str(), &available, &total, &free));
  EXPECT_GT(total.QuadPart, 0u);
  EXPECT_LE(available.QuadPart, total.QuadPart);
  EXPECT_FALSE(GetDiskFreeSpaceExA(Path("missing").c_str(), &available, nullptr, nullptr));
  ASSERT_EQ(chdir("/"), 0);
}

}  // namespace
