// Download speed of the HTTP client on the loopback: 256 MiB by length, in 64 KiB chunks,
// gzip-encoded (as 256 members of 1 MiB each) and over TLS, into a stream that drops the
// bytes. Reports MB/s of body delivered.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/testing/net/LoopbackServer.h"
#include "program/net/HTTPClient.h"
#include "program/net/NetStartup.h"

namespace {

namespace testnet = platform::testing::net;

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

// A certificate authority made for the run and trusted through SSL_CERT_FILE, and the
// origin's certificate for 127.0.0.1.
struct TlsSetup {
  testnet::Authority authority{"bench"};
  testnet::TrustedAuthority trusted{authority};
  testnet::Credentials origin = authority.IssueServer("IP:127.0.0.1");
};

TlsSetup& Tls() {
  static TlsSetup setup;
  return setup;
}

// Answers the request of each connection with the body in the given mode.
testnet::Server::Handler Origin(Mode mode) {
  return [mode](testnet::Connection& connection, int) {
    testnet::Request request;
    if (!connection.ReadRequest(request)) return;
    auto send = [&](const std::string& data) { return connection.Send(data); };
    const int pieces = static_cast<int>(kBody / kPiece);
    if (mode == Mode::Chunked) {
      send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
      char size[32];
      std::snprintf(size, sizeof size, "%zx\r\n", size_t(65536));
      for (int64_t sent = 0; sent < kBody; sent += 65536) {
        if (!send(size + Piece().substr((sent % kPiece), 65536) + "\r\n")) break;
      }
      send("0\r\n\r\n");
    } else {
      const std::string& piece = mode == Mode::Gzip ? GzipPiece() : Piece();
      send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(piece.size() * pieces) + "\r\n" +
           (mode == Mode::Gzip ? "Content-Encoding: gzip\r\n" : "") + "\r\n");
      for (int i = 0; i < pieces; ++i) {
        if (!send(piece)) break;
      }
    }
  };
}

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
    testnet::Server origin(Origin(mode), mode == Mode::Tls ? &Tls().origin : nullptr);
    THTTPClient client;
    client.BufferSize = 65536;
    DropStream sink;
    if (!client.GetToStream(origin.Url("/body"), "", sink) || sink.written != kBody) {
      state.SkipWithError(("transfer failed after " + std::to_string(sink.written) + " bytes: " + client.ErrorText()).c_str());
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * kBody);
}
BENCHMARK(BM_Download)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->ArgNames({"mode"})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
