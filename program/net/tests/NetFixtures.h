#pragma once

// What the network tests share beyond the loopback servers and certificates of
// platform/testing/net (named `testnet` here): compressed bodies for the scripted origins.

#include <string>

#include "platform/testing/net/LoopbackServer.h"

namespace testnet = platform::testing::net;

namespace net_fixtures {

// gzip (with an optional file name in the header) and zlib/raw deflate of data.
std::string Gzip(const std::string& data, const std::string& fileName = "");
std::string Deflate(const std::string& data, bool raw);

}  // namespace net_fixtures
