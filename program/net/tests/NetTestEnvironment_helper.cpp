#include "NetTestEnvironment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/winsock/WinSock.h"

namespace {

namespace fs = std::filesystem;

class NetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    m_caFile = (fs::temp_directory_path() / ("brantwell-net-ca-" + std::to_string(::getpid()) + ".pem")).string();
    ASSERT_TRUE(net_fixtures::WriteFile(m_caFile, TestAuthority().CertificatePem()));
    ::setenv("SSL_CERT_FILE", m_caFile.c_str(), 1);
    ::setenv("SSL_CERT_DIR", "/nonexistent", 1);  // the test authority only
  }
  void TearDown() override {
    std::error_code error;
    fs::remove(m_caFile, error);
    WSACleanup();
  }

 private:
  std::string m_caFile;
};

[[maybe_unused]] ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new NetEnvironment);

}  // namespace

const net_fixtures::Authority& TestAuthority() {
  static const net_fixtures::Authority authority("Brantwell Net Test Root");
  return authority;
}

const net_fixtures::Credentials& LocalhostCredentials() {
  static const net_fixtures::Credentials credentials = TestAuthority().IssueServer();
  return credentials;
}
