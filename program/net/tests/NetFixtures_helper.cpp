#include "NetFixtures.h"

#include <zlib.h>

namespace net_fixtures {

std::string Gzip(const std::string& data, const std::string& fileName) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  gz_header header{};
  std::string name = fileName;
  if (!fileName.empty()) {
    header.name = reinterpret_cast<Bytef*>(name.data());
    header.name_max = static_cast<uInt>(name.size() + 1);
    deflateSetHeader(&z, &header);
  }
  std::string out(deflateBound(&z, data.size()) + 64 + name.size(), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Deflate(const std::string& data, bool raw) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, raw ? -MAX_WBITS : MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace net_fixtures
