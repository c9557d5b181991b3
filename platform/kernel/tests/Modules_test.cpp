#include "platform/kernel/Modules.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/WinError.h"

namespace {

using IntEntry = int (*)();

int Call(FARPROC entry) { return reinterpret_cast<IntEntry>(reinterpret_cast<void (*)()>(entry))(); }

LPCSTR Ordinal(uintptr_t n) { return reinterpret_cast<LPCSTR>(n); }

TEST(Modules, EngineNamesMapToSharedLibrariesInTheProgramFolder) {
  const std::string folder = platform::ProgramFolder();
  struct Case {
    const char* name;
    std::string path;
  };
  const Case cases[] = {
      {"QM_DecMgr.dll", folder + "/QM_DecMgr.so"},
      {"DecPlugins\\fdpDVD.DLL", folder + "/DecPlugins/fdpDVD.so"},
      {"/opt/engines/SSL.dll", "/opt/engines/SSL.so"},
      {"QMPlayer", folder + "/QMPlayer.so"},
      {"libx.so", folder + "/libx.so"},
      {"Plain.", folder + "/Plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::detail::LibraryPathForName(c.name), c.path) << c.name;
}

TEST(Modules, LoadsByNameAndResolvesEntriesByNameAndOrdinal) {
  HMODULE module = LoadLibraryA("KernelTestModule.dll");
  ASSERT_NE(module, nullptr) << platform::detail::LastErrorDetail();
  EXPECT_EQ(Call(GetProcAddress(module, "KernelTestAnswer")), 42);
  EXPECT_EQ(Call(GetProcAddress(module, Ordinal(7))), 7);
  EXPECT_EQ(platform::detail::ModuleFilePath(module), platform::ProgramFolder() + "/KernelTestModule.so");
  EXPECT_EQ(GetModuleHandleA("kerneltestmodule.DLL"), module);
  EXPECT_EQ(GetModuleHandleW(u"KernelTestModule"), module);

  SetLastError(0);
  EXPECT_EQ(GetProcAddress(module, "NoSuchEntry"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(module, Ordinal(8)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(Modules, FreeLibraryCountsLoads) {
  HMODULE first = LoadLibraryA("KernelTestModule.dll");
  HMODULE second = LoadLibraryW(u"KernelTestModule.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(FreeLibrary(first));
  // Still loaded: one load is left.
  EXPECT_EQ(Call(GetProcAddress(first, "KernelTestLoads")), 1);
  EXPECT_TRUE(FreeLibrary(first));

  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetProcAddress(first, "KernelTestAnswer"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  HMODULE again = LoadLibraryA("KernelTestModule.dll");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, first);  // the old handle stays stale
  FreeLibrary(again);
}

TEST(Modules, FailedLoadSetsModNotFoundWithTheLoadersText) {
  for (const char* name : {"NoSuchEngine.dll", "", "Missing\\Folder\\Plugin.dll"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << name;
    EXPECT_FALSE(platform::detail::LastErrorDetail().empty()) << name;
  }
  LoadLibraryA("NoSuchEngine.dll");
  EXPECT_NE(platform::detail::LastErrorDetail().find("NoSuchEngine.so"), std::string::npos);
}

TEST(Modules, SubFoldersBackslashesAndCaseDifferences) {
  namespace fs = std::filesystem;
  const std::string builtFolder = platform::ProgramFolder();
  const fs::path folder = fs::temp_directory_path() / ("brantwell-modules-" + std::to_string(getpid()));
  fs::create_directories(folder / "Plugins");
  fs::copy_file(builtFolder + "/KernelTestModule.so", folder / "Plugins" / "MixedCase.so",
                fs::copy_options::overwrite_existing);

  setenv("BRANTWELL_PROGRAM_DIR", folder.c_str(), 1);
  HMODULE module = LoadLibraryA("plugins\\MIXEDCASE.DLL");
  setenv("BRANTWELL_PROGRAM_DIR", builtFolder.c_str(), 1);

  ASSERT_NE(module, nullptr) << platform::detail::LastErrorDetail();
  EXPECT_EQ(Call(GetProcAddress(module, Ordinal(7))), 7);
  EXPECT_EQ(platform::detail::ModuleFilePath(module), (folder / "Plugins" / "MixedCase.so").string());
  HMODULE byPath = LoadLibraryA((folder / "Plugins" / "MixedCase.dll").c_str());  // absolute
  EXPECT_EQ(byPath, module);
  FreeLibrary(byPath);
  FreeLibrary(module);
  fs::remove_all(folder);
}

TEST(Modules, NullMeansTheExecutable) {
  HMODULE executable = GetModuleHandleA(nullptr);
  EXPECT_NE(executable, nullptr);
  EXPECT_EQ(GetModuleHandleW(nullptr), executable);
  EXPECT_EQ(platform::detail::ModuleFilePath(nullptr), platform::ExecutablePath());
  EXPECT_EQ(platform::detail::ModuleFilePath(executable), platform::ExecutablePath());
  EXPECT_TRUE(FreeLibrary(executable));  // never unloaded
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "NoSuchEntryInTheExecutable"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(platform::detail::ModuleFilePath(reinterpret_cast<HMODULE>(uintptr_t{0x1234})), "");
}

}  // namespace
