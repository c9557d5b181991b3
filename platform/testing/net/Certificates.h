#pragma once

// Certificates made at test time for TLS tests: an authority with its own key, server
// certificates it issues, and the authority made the only one this process trusts. OpenSSL
// side only (a test source that includes WinSock.h cannot include the system's socket headers,
// and this header includes neither).

#include <memory>
#include <string>

namespace platform::testing::net {

// PEM texts of a key and its certificate.
struct Credentials {
  std::string certificatePem;
  std::string keyPem;
};

// A certificate authority made at test time. Not for use from several threads at once.
class Authority {
 public:
  explicit Authority(const std::string& commonName);
  ~Authority();
  const std::string& CertificatePem() const { return m_pem.certificatePem; }
  // A server certificate for the subject alternative names `names`, valid from now +
  // fromSeconds to now + toSeconds.
  Credentials IssueServer(const std::string& names = "DNS:localhost,IP:127.0.0.1", long fromSeconds = -3600,
                          long toSeconds = 86400) const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
  Credentials m_pem;
};

// While it lives, `authority` is the only one OpenSSL trusts in this process: its certificate
// is written to a file of its own, SSL_CERT_FILE names it and SSL_CERT_DIR names no folder.
// The file is removed at the end; the variables stay.
class TrustedAuthority {
 public:
  explicit TrustedAuthority(const Authority& authority);
  ~TrustedAuthority();
  TrustedAuthority(const TrustedAuthority&) = delete;
  TrustedAuthority& operator=(const TrustedAuthority&) = delete;

 private:
  std::string m_file;
};

}  // namespace platform::testing::net
