#include "NetTestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/winsock/WinSock.h"

namespace {

class NetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    m_trust = std::make_unique<testnet::TrustedAuthority>(TestAuthority());
  }
  void TearDown() override {
    m_trust.reset();
    WSACleanup();
  }

 private:
  std::unique_ptr<testnet::TrustedAuthority> m_trust;
};

[[maybe_unused]] ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new NetEnvironment);

}  // namespace

const testnet::Authority& TestAuthority() {
  static const testnet::Authority authority("Brantwell Net Test Root");
  return authority;
}

const testnet::Credentials& LocalhostCredentials() {
  static const testnet::Credentials credentials = TestAuthority().IssueServer();
  return credentials;
}
