#pragma once

// The process-wide cookie store shared by every HTTP client, and the HTTP date routines.
//
// Cookies follow RFC 6265's matching: a cookie without a Domain attribute belongs to its host
// alone; one with a Domain is sent to that domain and its sub-domains, and is refused when the
// responding host is not inside that domain (or is an address literal). Paths match by
// RFC 6265's path rule, the default path being the request path's folder. Secure cookies go
// out only over TLS. Values are sent exactly as received. Expires and Max-Age are honoured;
// expired cookies are forgotten before a header is built.
//
// Threads: any; every access runs under the manager's lock.

#include <mutex>
#include <vector>

#include "rtl/SysTypes.h"

struct TCookie {
  AnsiString Name;
  AnsiString Value;
  AnsiString Path;
  AnsiString Domain;       // lower case, without a leading dot
  TDateTime Expires = -1;  // local time; -1 = a session cookie
  bool Secure = false;
  bool HostOnly = true;    // no Domain attribute: only this very host
};

class TCookieManager {
 public:
  // A host keeps at most this many cookies; the oldest goes first.
  static constexpr size_t kMaxCookiesPerDomain = 50;

  // Stores one Set-Cookie value received from `authority` (host, or host:port) for a request
  // of `requestPath`. Returns false when the cookie was refused.
  bool SetCookie(const AnsiString& authority, const AnsiString& headerValue, const AnsiString& requestPath = "/");
  // The Cookie header text for a request; empty when nothing matches.
  AnsiString GetCookieHeader(const AnsiString& authority, const AnsiString& path, bool secure);
  void PurgeExpired();
  void Clear();
  // A copy of the stored cookies, for inspection.
  std::vector<TCookie> Cookies();

 private:
  std::recursive_mutex FLock;
  std::vector<TCookie> FCookies;  // guarded by FLock, in order of creation
};

TCookieManager& GetCookieManager();

// The host of an authority ("host", "host:port", "[v6]:port"), lower case, without brackets.
AnsiString AuthorityHost(const AnsiString& authority);

// Parses the usual HTTP date forms (RFC 1123, RFC 850, asctime, numeric zones) into local time;
// 0 when the text is empty or unreadable.
TDateTime ParseHttpDate(const AnsiString& text);
// RFC 1123 layout in UTC of a local time: "SUN, 06 Nov 1994 08:49:37 GMT".
AnsiString FormatHttpDate(TDateTime localTime);

// Conversions between local TDateTime and UTC TDateTime, each using the zone rule in force at
// that moment.
TDateTime LocalToUtc(TDateTime local);
TDateTime UtcToLocal(TDateTime utc);
