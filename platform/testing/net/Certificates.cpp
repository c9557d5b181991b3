#include "platform/testing/net/Certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/testing/Processes.h"

namespace platform::testing::net {

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

std::atomic<long> g_serial{5000};

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

Credentials Authority::IssueServer(const std::string& names, long fromSeconds, long toSeconds) const {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = MakeCertificate(key, "test server", ++g_serial, fromSeconds, toSeconds);
  X509_set_issuer_name(certificate, X509_get_subject_name(m_state->certificate));
  AddExtension(certificate, m_state->certificate, NID_basic_constraints, "CA:FALSE");
  AddExtension(certificate, m_state->certificate, NID_subject_alt_name, names.c_str());
  AddExtension(certificate, m_state->certificate, NID_ext_key_usage, "serverAuth");
  AddExtension(certificate, m_state->certificate, NID_authority_key_identifier, "keyid");
  X509_sign(certificate, m_state->key, EVP_sha256());
  Credentials credentials{PemOf(certificate), PemOf(key)};
  X509_free(certificate);
  EVP_PKEY_free(key);
  return credentials;
}

TrustedAuthority::TrustedAuthority(const Authority& authority) {
  static std::atomic<int> s_count{0};
  m_file = (std::filesystem::temp_directory_path() /
            ("brantwell-test-ca-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count) + ".pem"))
               .string();
  if (!WriteTextFile(m_file, authority.CertificatePem())) throw std::runtime_error("cannot write " + m_file);
  ::setenv("SSL_CERT_FILE", m_file.c_str(), 1);
  ::setenv("SSL_CERT_DIR", "/nonexistent", 1);  // the test authority only
}

TrustedAuthority::~TrustedAuthority() {
  std::error_code ignored;
  std::filesystem::remove(m_file, ignored);
}

}  // namespace platform::testing::net
