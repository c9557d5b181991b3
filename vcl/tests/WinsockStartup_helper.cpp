// Winsock is started once for the socket tests (a file of its own: the tests use the
// system's socket headers, which cannot meet WinSock.h in one source).

#include <gtest/gtest.h>

#include "platform/winsock/WinSock.h"

namespace {

class WinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  }
  void TearDown() override { WSACleanup(); }
};

[[maybe_unused]] ::testing::Environment* const g_winsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

}  // namespace
