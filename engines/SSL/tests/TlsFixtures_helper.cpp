#include "TlsFixtures.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <stdexcept>

namespace tls_fixtures {

namespace {

std::string PemOf(X509* certificate) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, certificate);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  std::string text(data, static_cast<size_t>(length));
  BIO_free(bio);
  return text;
}

std::string PemOf(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  std::string text(data, static_cast<size_t>(length));
  BIO_free(bio);
  return text;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension) throw std::runtime_error("bad certificate extension");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

X509* MakeCertificate(EVP_PKEY* key, const char* commonName, long serial, long fromSeconds, long toSeconds) {
  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
  X509_gmtime_adj(X509_getm_notBefore(certificate), fromSeconds);
  X509_gmtime_adj(X509_getm_notAfter(certificate), toSeconds);
  X509_set_pubkey(certificate, key);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  return certificate;
}

long g_serial = 1000;

}  // namespace

struct Authority::State {
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
  ~State() {
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
};

Authority::Authority(const std::string& commonName) : m_state(std::make_unique<State>()) {
  m_state->key = EVP_EC_gen("P-256");
  X509* certificate = MakeCertificate(m_state->key, commonName.c_str(), ++g_serial, -7200, 7 * 86400);
  m_state->certificate = certificate;
  X509_set_issuer_name(certificate, X509_get_subject_name(certificate));
  AddExtension(certificate, certificate, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(certificate, certificate, NID_key_usage, "critical,keyCertSign,cRLSign");
  AddExtension(certificate, certificate, NID_subject_key_identifier, "hash");
  X509_sign(certificate, m_state->key, EVP_sha256());
  m_pem = {PemOf(certificate), PemOf(m_state->key)};
}

Authority::~Authority() = default;

Credentials Authority::IssueServer(long fromSeconds, long toSeconds) const {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = MakeCertificate(key, "localhost", ++g_serial, fromSeconds, toSeconds);
  X509_set_issuer_name(certificate, X509_get_subject_name(m_state->certificate));
  AddExtension(certificate, m_state->certificate, NID_basic_constraints, "CA:FALSE");
  AddExtension(certificate, m_state->certificate, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
  AddExtension(certificate, m_state->certificate, NID_ext_key_usage, "serverAuth");
  AddExtension(certificate, m_state->certificate, NID_authority_key_identifier, "keyid");
  X509_sign(certificate, m_state->key, EVP_sha256());
  Credentials credentials{PemOf(certificate), PemOf(key)};
  X509_free(certificate);
  EVP_PKEY_free(key);
  return credentials;
}

Server::Server(const Credentials& credentials, ServerMode mode, bool maxVersion11)
    : m_credentials(credentials), m_mode(mode), m_maxVersion11(maxVersion11) {
  // The server writes to clients that may have gone.
  std::signal(SIGPIPE, SIG_IGN);
  m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_listener, 16) != 0 ||
      ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot listen on the loopback");
  }
  m_port = ntohs(address.sin_port);
  m_thread = std::thread([this] { Run(); });
}

Server::~Server() {
  m_stop = true;
  m_thread.join();
  ::close(m_listener);
}

std::vector<std::string> Server::ServerNames() {
  std::lock_guard lock(m_mutex);
  return m_names;
}

void Server::Run() {
  while (!m_stop) {
    pollfd p{m_listener, POLLIN, 0};
    if (::poll(&p, 1, 50) != 1) continue;
    const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    ::close(fd);
  }
}

void Server::Serve(int fd) {
  if (m_mode == ServerMode::Silent) {
    while (!m_stop) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) == 1) {
        char buffer[4096];
        if (::recv(fd, buffer, sizeof buffer, 0) <= 0) return;
      }
    }
    return;
  }
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  BIO* certificateBio = BIO_new_mem_buf(m_credentials.certificatePem.data(), -1);
  X509* certificate = PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr);
  BIO* keyBio = BIO_new_mem_buf(m_credentials.keyPem.data(), -1);
  EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
  SSL_CTX_use_certificate(context, certificate);
  SSL_CTX_use_PrivateKey(context, key);
  if (m_maxVersion11) {
    SSL_CTX_set_security_level(context, 0);
    SSL_CTX_set_cipher_list(context, "DEFAULT:@SECLEVEL=0");
    SSL_CTX_set_min_proto_version(context, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(context, TLS1_1_VERSION);
  }
  // A client that vanishes must not keep the server (and the test's end) waiting.
  const timeval limit{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  SSL* ssl = SSL_new(context);
  SSL_set_fd(ssl, fd);
  if (SSL_accept(ssl) == 1) {
    const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
    {
      std::lock_guard lock(m_mutex);
      m_names.push_back(name ? name : "");
    }
    char buffer[4096];
    for (;;) {
      const int n = SSL_read(ssl, buffer, sizeof buffer);
      if (n <= 0 || SSL_write(ssl, buffer, n) <= 0) break;
    }
    SSL_shutdown(ssl);
  }
  ERR_clear_error();
  SSL_free(ssl);
  SSL_CTX_free(context);
  X509_free(certificate);
  EVP_PKEY_free(key);
  BIO_free(certificateBio);
  BIO_free(keyBio);
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace tls_fixtures
