// Download speed of the HTTP client on the loopback: 256 MiB by length, in 64 KiB chunks,
// gzip-encoded (as 256 members of 1 MiB each) and over TLS, into a stream that drops the
// bytes. Reports MB/s of body delivered.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "program/net/HTTPClient.h"
#include "program/net/NetStartup.h"

namespace {

constexpr int64_t kBody = int64_t(256) << 20;
constexpr size_t kPiece = 1 << 20;

enum class Mode { Length, Chunked, Gzip, Tls };

class DropStream : public TStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t count) override {
    written += count;
    return count;
  }
  int64_t Seek(int64_t, Word) override { return written; }
  int64_t written = 0;
};

const std::string& Piece() {
  static const std::string piece = [] {
    std::string text;
    for (size_t i = 0; text.size() < kPiece; ++i) text += "line " + std::to_string(i) + " of the benchmark body\n";
    text.resize(kPiece);
    return text;
  }();
  return piece;
}

const std::string& GzipPiece() {
  static const std::string gz = [] {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, kPiece) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Piece().data()));
    z.avail_in = kPiece;
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
  }();
  return gz;
}

// A self-signed certificate for 127.0.0.1, trusted through SSL_CERT_FILE.
struct TlsSetup {
  SSL_CTX* context = nullptr;
  TlsSetup() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 77);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("bench"), -1, -1, 0);
    X509_set_issuer_name(certificate, X509_get_subject_name(certificate));
    for (auto [nid, value] : {std::pair{NID_basic_constraints, "critical,CA:TRUE"}, std::pair{NID_subject_alt_name, "IP:127.0.0.1"}}) {
      X509V3_CTX ctx;
      X509V3_set_ctx(&ctx, certificate, certificate, nullptr, nullptr, 0);
      X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
      X509_add_ext(certificate, extension, -1);
      X509_EXTENSION_free(extension);
    }
    X509_sign(certificate, key, EVP_sha256());
    const std::string file = "/tmp/brantwell-http-bench-" + std::to_string(::getpid()) + ".pem";
    FILE* out = std::fopen(file.c_str(), "w");
    PEM_write_X509(out, certificate);
    std::fclose(out);
    ::setenv("SSL_CERT_FILE", file.c_str(), 1);
    context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(context, certificate);
    SSL_CTX_use_PrivateKey(context, key);
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
};

TlsSetup& Tls() {
  static TlsSetup setup;
  return setup;
}

// Serves one connection in the given mode on a thread of its own.
class Origin {
 public:
  explicit Origin(Mode mode) : m_mode(mode) {
    std::signal(SIGPIPE, SIG_IGN);
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(m_listener, 4);
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~Origin() {
    m_thread.join();
    ::close(m_listener);
  }
  std::string Url() const {
    return std::string(m_mode == Mode::Tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) + "/body";
  }

 private:
  void Serve() {
    const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    SSL* ssl = nullptr;
    if (m_mode == Mode::Tls) {
      ssl = SSL_new(Tls().context);
      SSL_set_fd(ssl, fd);
      if (SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        ::close(fd);
        return;
      }
    }
    auto send = [&](const std::string& data) {
      if (ssl) return SSL_write(ssl, data.data(), static_cast<int>(data.size())) > 0;
      for (size_t sent = 0; sent < data.size();) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
      }
      return true;
    };
    char buffer[4096];
    if (ssl) {
      SSL_read(ssl, buffer, sizeof buffer);
    } else {
      ::recv(fd, buffer, sizeof buffer, 0);
    }
    const int pieces = static_cast<int>(kBody / kPiece);
    if (m_mode == Mode::Chunked) {
      send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
      char size[32];
      std::snprintf(size, sizeof size, "%zx\r\n", size_t(65536));
      for (int64_t sent = 0; sent < kBody; sent += 65536) {
        if (!send(size + Piece().substr((sent % kPiece), 65536) + "\r\n")) break;
      }
      send("0\r\n\r\n");
    } else {
      const std::string& piece = m_mode == Mode::Gzip ? GzipPiece() : Piece();
      send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(piece.size() * pieces) + "\r\n" +
           (m_mode == Mode::Gzip ? "Content-Encoding: gzip\r\n" : "") + "\r\n");
      for (int i = 0; i < pieces; ++i) {
        if (!send(piece)) break;
      }
    }
    if (ssl) {
      SSL_shutdown(ssl);
      SSL_free(ssl);
    }
    ::close(fd);
  }

  Mode m_mode;
  int m_listener = -1;
  uint16_t m_port = 0;
  std::thread m_thread;
};

void BM_Download(benchmark::State& state) {
  // The TLS engine lives in the program folder beside bench-bin/.
  if (!std::getenv("BRANTWELL_PROGRAM_DIR")) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
      std::string folder(self, static_cast<size_t>(n));
      folder = folder.substr(0, folder.rfind('/'));
      ::setenv("BRANTWELL_PROGRAM_DIR", (folder + "/../bin").c_str(), 1);
    }
  }
  static const bool started = StartNetwork();
  if (!started) {
    state.SkipWithError("no network");
    return;
  }
  const Mode mode = static_cast<Mode>(state.range(0));
  if (mode == Mode::Tls) Tls();
  for (auto _ : state) {
    Origin origin(mode);
    THTTPClient client;
    client.BufferSize = 65536;
    DropStream sink;
    if (!client.GetToStream(origin.Url(), "", sink) || sink.written != kBody) {
      state.SkipWithError(("transfer failed after " + std::to_string(sink.written) + " bytes: " + client.ErrorText()).c_str());
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * kBody);
}
BENCHMARK(BM_Download)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->ArgNames({"mode"})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
