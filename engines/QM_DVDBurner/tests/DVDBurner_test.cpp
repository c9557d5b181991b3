#include "engines/QM_DVDBurner/DVDBurner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "engines/DiscTools/BurnDrives.h"
#include "engines/common/WindowPoster.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;

namespace {

std::mutex lock;
std::vector<std::pair<uintptr_t, intptr_t>> events;  // wParam, lParam

bool Record(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (window != 5 || message != WM_DVDBURNER_EVENT) return false;
  std::lock_guard guard(lock);
  events.emplace_back(wParam, lParam);
  return true;
}

// Waits (at most 30 s) for the next event with that code and answers its lParam.
intptr_t WaitFor(uintptr_t code) {
  for (int i = 0; i < 600; ++i) {
    {
      std::lock_guard guard(lock);
      for (auto it = events.begin(); it != events.end(); ++it)
        if ((it->first & 0xFF) == code) {
          const intptr_t lParam = it->second;
          events.erase(it);
          return lParam;
        }
    }
    usleep(50000);
  }
  ADD_FAILURE() << "no burner event " << code;
  return -1;
}

class DVDBurner : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("scratch-burner-drives-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    // Deliberately out of order: the letters follow the paths, not this list.
    const std::string list = (folder / "z.bin").string() + ";" + (folder / "a.bin").string() + "; " +
                             (folder / "m.bin").string();
    setenv("BRANTWELL_TEST_DRIVES", list.c_str(), 1);
    setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);
    engines::SetWindowPoster(&Record);
    BNRegisterMsgHwnd(5);
    ASSERT_EQ(BNCheckBurnDriver(), 1);
    EXPECT_EQ(WaitFor(BN_EVENT_DRIVE_LIST), 0);
  }
  void TearDown() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(DVDBurner, DrivesGetLettersInDevicePathOrderAndMapBack) {
  ASSERT_EQ(BNGetBurnDriverCount(), 3);
  const char* files[] = {"a.bin", "m.bin", "z.bin"};
  for (int i = 0; i < 3; ++i) {
    const std::string name = platform::Utf16ToUtf8(BNGetBurnDriverName(i));
    EXPECT_EQ(name.substr(0, 3), std::string(1, char('D' + i)) + ": ") << name;
    EXPECT_NE(name.find(files[i]), std::string::npos) << name;
    char16_t device[1024];
    BNGetDriveDevice(i, device, 1024);
    EXPECT_EQ(platform::Utf16ToUtf8(device), "stdio:" + (folder / files[i]).string());
    const auto back = disctools::FindDrive(std::string(1, char('d' + i)) + ":");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->device, "stdio:" + (folder / files[i]).string());
  }
  EXPECT_EQ(BNGetBurnDriverName(3), nullptr);
  EXPECT_FALSE(disctools::FindDrive("G:").has_value());
  // The pointer a caller keeps stays valid after another look for drives.
  const char16_t* kept = BNGetBurnDriverName(0);
  BNCheckBurnDriver();
  WaitFor(BN_EVENT_DRIVE_LIST);
  EXPECT_EQ(platform::Utf16ToUtf8(kept).substr(0, 3), "D: ");
}

TEST_F(DVDBurner, DiscCheckAnswersByMessage) {
  std::ofstream(folder / "m.bin") << "old data";  // E: holds data but can be erased
  const struct {
    int32_t index;
    intptr_t expected;
  } cases[] = {{0, BN_DISC_USABLE}, {1, BN_DISC_USABLE}, {7, BN_DISC_NO_DRIVE}};
  for (const auto& c : cases) {
    ASSERT_EQ(BNGetDiskInfo(c.index), 1);
    EXPECT_EQ(WaitFor(BN_EVENT_DISC_INFO), c.expected) << "drive " << c.index;
  }
  EXPECT_EQ(BNCheckBurnEngineVersion(), 1);
}

}  // namespace
