#include <dlfcn.h>

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The binding tests rely on exactly these entries being present or missing.
TEST(TestPartialLibrary, ExportsItsDocumentedEntriesAndLacksTheOthers) {
  const std::string path = BRANTWELL_TEST_PARTIAL_PATH;
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const std::vector<std::pair<const char*, bool>> entries = {
      {"QMLogInit", true},       {"QMLog", true},          {"QMOutput", false},
      {"ordinal_30", true},      {"ordinal_31", true},     {"QVDDestroy", true},
      {"QVDCreate", false},      {"ordinal_5", true},      {"ordinal_6", true},
      {"QEPause", true},         {"QEEnablePreview", true}, {"QEStart", false},
      {"QESetOutputFile", false}, {"VPGetPlayedTime", true}, {"VPGetMovieLength", false},
      {"QmBurn_Eject", true},    {"QmBurn_Erase", false},
  };
  for (const auto& [name, present] : entries) {
    EXPECT_EQ(dlsym(library, name) != nullptr, present) << name;
  }

  using Count = int (*)(const char*);
  using Call = void (*)();
  auto count = reinterpret_cast<Count>(dlsym(library, "TestPartialCallCount"));
  auto reset = reinterpret_cast<Call>(dlsym(library, "TestPartialResetCounts"));
  auto start = reinterpret_cast<Call>(dlsym(library, "ordinal_30"));
  ASSERT_TRUE(count && reset && start);
  reset();
  start();
  start();
  EXPECT_EQ(count("ordinal_30"), 2);
  EXPECT_EQ(count("ordinal_31"), 0);
  EXPECT_EQ(count("QEPause"), -1);
  dlclose(library);
}

}  // namespace

namespace {

TEST(TestPartialLibrary, ExportsSomeImageEntriesAndNoTextArt) {
  void* library = dlopen(BRANTWELL_TEST_PARTIAL_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const std::vector<std::pair<const char*, bool>> entries = {
      {"DICreate", true},        {"DIDestroy", true}, {"DIGetWidth", true},      {"DICopyImage", false},
      {"DILoadImage32B", false}, {"DIGetHeight", false}, {"DIGetBits", false}, {"DIGetBitmapInfo", false},
      {"GenerateNormalTextEx", false},
  };
  for (const auto& [name, present] : entries) EXPECT_EQ(dlsym(library, name) != nullptr, present) << name;

  auto count = reinterpret_cast<int (*)(const char*)>(dlsym(library, "TestPartialImageCallCount"));
  auto destroy = reinterpret_cast<void (*)(uintptr_t)>(dlsym(library, "DIDestroy"));
  ASSERT_TRUE(count && destroy);
  const int before = count("DIDestroy");
  destroy(0x1D1D);
  EXPECT_EQ(count("DIDestroy"), before + 1);
  EXPECT_EQ(count("DIGetWidth"), -1);
  dlclose(library);
}

}  // namespace
