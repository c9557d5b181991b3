// COM's per-thread start: counting, the model a thread keeps until its last CoUninitialize,
// and threads that do not share either.

#include <gtest/gtest.h>

#include <thread>

#include "platform/ole/ComInit.h"

namespace {

TEST(ComInit, CountsPerThreadAndRefusesTheOtherModel) {
  std::thread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    // Another thread starts afresh with its own model.
    std::thread([] {
      EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
      CoUninitialize();
    }).join();
    CoUninitialize();
    // The refused call was not counted: one more ends the apartment, and the thread may
    // take the other model.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();  // one too many: nothing happens
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE), S_OK);
    CoUninitialize();
  }).join();
}

TEST(ComInit, BadArguments) {
  int reserved = 0;
  EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
  EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
  // Neither was counted.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

}  // namespace
