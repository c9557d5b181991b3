#include "program/net/CookieMgr.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>

#include "rtl/DateTime.h"

namespace {

constexpr double kUnixEpochDays = 25569.0;

AnsiString Lower(AnsiString text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

AnsiString Upper(AnsiString text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

AnsiString Trim(const AnsiString& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

AnsiString TrimLeft(const AnsiString& text) {
  size_t begin = 0;
  while (begin < text.size() && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  return text.substr(begin);
}

bool IsAddressLiteral(const AnsiString& host) {
  if (host.find(':') != AnsiString::npos) return true;  // IPv6
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; });
}

// RFC 6265 5.1.3.
bool DomainMatches(const AnsiString& host, const AnsiString& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.' && !IsAddressLiteral(host);
}

// RFC 6265 5.1.4.
bool PathMatches(const AnsiString& requestPath, const AnsiString& cookiePath) {
  if (requestPath == cookiePath) return true;
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0 || requestPath.size() < cookiePath.size()) return false;
  return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

AnsiString DefaultPath(const AnsiString& requestPath) {
  AnsiString path = requestPath.substr(0, requestPath.find('?'));
  if (path.empty() || path[0] != '/') return "/";
  const size_t last = path.rfind('/');
  return last == 0 ? "/" : path.substr(0, last);
}

bool ToSeconds(TDateTime value, time_t& seconds) {
  const double s = std::round((value - kUnixEpochDays) * 86400.0);
  if (!std::isfinite(s) || s < -1e13 || s > 1e13) return false;
  seconds = static_cast<time_t>(s);
  return true;
}

TDateTime FromTm(const std::tm& tm) {
  TDateTime date;
  TDateTime time;
  if (!TryEncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1), static_cast<Word>(tm.tm_mday), date) ||
      !TryEncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min), static_cast<Word>(std::min(tm.tm_sec, 59)), 0, time))
    return 0;
  return date + time;
}

// Splits off the text up to `separator` (removed), leaving the rest trimmed on the left.
AnsiString TakeToken(AnsiString& text, char separator) {
  const size_t at = text.find(separator);
  AnsiString token = text.substr(0, at);
  text = at == AnsiString::npos ? AnsiString() : TrimLeft(text.substr(at + 1));
  return token;
}

bool ReadNumber(const AnsiString& text, int& value) {
  if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    return false;
  value = std::stoi(text);
  return true;
}

int MonthOf(const AnsiString& token) {
  static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const AnsiString upper = Upper(token);
  for (int i = 0; i < 12; ++i) {
    if (upper == kMonths[i]) return i + 1;
  }
  return 0;
}

constexpr const char* kWeekdays[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

// Reads the date and time at the front of `text` (as UTC of the text's own zone); the zone text
// is left in `text`. False when unreadable.
bool ParseDateTime(AnsiString& text, TDateTime& result) {
  text = Trim(text);
  if (text.size() >= 3) {
    const AnsiString head = Upper(text.substr(0, 3));
    if (std::find_if(std::begin(kWeekdays), std::end(kWeekdays), [&](const char* d) { return head == d; }) != std::end(kWeekdays)) {
      if (text.size() > 4 && text[3] == ',' && text[4] != ' ') text.insert(4, " ");
      TakeToken(text, ' ');
    }
  }
  const size_t firstBlank = text.find(' ');
  const size_t dash = text.find('-', 1);
  const char separator = dash != AnsiString::npos && dash < firstBlank ? '-' : ' ';
  int day = 1;
  int month = 0;
  const AnsiString first = TakeToken(text, separator);
  if (MonthOf(first)) {
    month = MonthOf(first);
    if (!ReadNumber(TakeToken(text, separator), day)) day = 1;
  } else {
    if (!ReadNumber(first, day)) day = 1;
    month = MonthOf(TakeToken(text, separator));
  }
  int year = 0;
  const AnsiString yearToken = TakeToken(text, ' ');
  if (!ReadNumber(yearToken, year)) {
    const AnsiString rest = Trim(text);
    const size_t blank = rest.find(' ');
    if (!ReadNumber(rest.substr(0, blank), year)) return false;
    text = yearToken + (blank == AnsiString::npos ? AnsiString() : rest.substr(blank));
  }
  if (year < 80) {
    year += 2000;
  } else if (year < 100) {
    year += 1900;
  }
  TDateTime date;
  if (month == 0 || year > 9999 || !TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date)) return false;
  bool am = false;
  bool pm = false;
  if (size_t at = text.find("AM"); at != AnsiString::npos) {
    am = true;
    text = text.substr(0, at);
  } else if (size_t at2 = text.find("PM"); at2 != AnsiString::npos) {
    pm = true;
    text = text.substr(0, at2);
  }
  TDateTime time = 0;
  if (text.find(':') != AnsiString::npos) {
    AnsiString clock = TakeToken(text, ' ');
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!ReadNumber(TakeToken(clock, ':'), hour)) hour = 0;
    if (!ReadNumber(TakeToken(clock, ':'), minute)) minute = 0;
    if (!ReadNumber(clock, second)) second = 0;
    if (am && hour == 12) hour = 0;
    if (pm && hour < 12) hour += 12;
    if (second == 60) second = 59;  // a leap second
    if (!TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(minute), static_cast<Word>(second), 0, time)) return false;
  }
  result = date + time;
  return true;
}

}  // namespace

TDateTime LocalToUtc(TDateTime local) {
  std::tm tm{};
  time_t seconds;
  if (!ToSeconds(local, seconds)) return local;
  // The local wall-clock time read back through the zone rules of that date.
  gmtime_r(&seconds, &tm);
  tm.tm_isdst = -1;
  const time_t moment = mktime(&tm);
  if (moment == static_cast<time_t>(-1)) return local;
  std::tm utc{};
  gmtime_r(&moment, &utc);
  return FromTm(utc);
}

TDateTime UtcToLocal(TDateTime utc) {
  time_t seconds;
  if (!ToSeconds(utc, seconds)) return utc;
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return utc;
  return FromTm(local);
}

TDateTime ParseHttpDate(const AnsiString& text) {
  if (text.empty()) return 0;
  AnsiString rest = text;
  TDateTime parsed = 0;
  if (!ParseDateTime(rest, parsed)) return 0;
  rest = Trim(rest);
  double zone = 0;
  if (rest.size() >= 5 && (rest[0] == '+' || rest[0] == '-')) {
    int hours = 0;
    int minutes = 0;
    if (!ReadNumber(rest.substr(1, 2), hours)) hours = 0;
    if (!ReadNumber(rest.substr(3, 2), minutes)) minutes = 0;
    zone = (hours * 60 + minutes) / 1440.0;
    if (rest[0] == '-') zone = -zone;
  }
  return UtcToLocal(parsed - zone);
}

AnsiString FormatHttpDate(TDateTime localTime) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const TDateTime utc = LocalToUtc(localTime);
  Word year, month, day, hour, minute, second, ms;
  try {
    DecodeDateTime(utc, year, month, day, hour, minute, second, ms);
  } catch (...) {
    return {};
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %.2d %s %.4d %.2d:%.2d:%.2d GMT", kWeekdays[DayOfWeek(utc) - 1], day,
                kMonths[month - 1], year, hour, minute, second);
  return buffer;
}

AnsiString AuthorityHost(const AnsiString& authority) {
  AnsiString host = authority;
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    host = host.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1);
  } else if (host.find(':') != host.rfind(':')) {
    // A bare IPv6 address.
  } else if (size_t colon = host.find(':'); colon != AnsiString::npos) {
    host = host.substr(0, colon);
  }
  return Lower(host);
}

TCookieManager& GetCookieManager() {
  static TCookieManager manager;
  return manager;
}

bool TCookieManager::SetCookie(const AnsiString& authority, const AnsiString& headerValue, const AnsiString& requestPath) {
  // Split at ";" (a part beginning with a double quote runs to its closing quote).
  std::vector<AnsiString> parts;
  AnsiString part;
  bool quoted = false;
  for (char c : headerValue) {
    if (c == '"' && Trim(part).empty()) quoted = true;
    else if (c == '"' && quoted) quoted = false;
    if (c == ';' && !quoted) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  if (parts.empty() || Trim(parts[0]).empty()) return false;
  auto split = [](const AnsiString& text, AnsiString& name, AnsiString& value) {
    const size_t eq = text.find('=');
    name = Trim(text.substr(0, eq));
    value = eq == AnsiString::npos ? AnsiString() : Trim(text.substr(eq + 1));
  };
  TCookie cookie;
  split(parts[0], cookie.Name, cookie.Value);
  if (cookie.Name.empty() || cookie.Value.size() >= 4097) return false;
  // Control bytes would break the request head they are sent back in.
  for (char c : cookie.Name + cookie.Value) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  const AnsiString host = AuthorityHost(authority);
  AnsiString domainAttribute;
  AnsiString expires;
  AnsiString maxAge;
  bool hasPath = false;
  for (size_t i = 1; i < parts.size(); ++i) {
    AnsiString name, value;
    split(parts[i], name, value);
    name = Lower(name);
    if (name == "domain") {
      domainAttribute = Lower(value);
    } else if (name == "path") {
      if (!value.empty() && value[0] == '/') {
        cookie.Path = value;
        hasPath = true;
      }
    } else if (name == "expires") {
      expires = value;
    } else if (name == "max-age") {
      maxAge = value;
    } else if (name == "secure") {
      cookie.Secure = true;
    }
  }
  while (!domainAttribute.empty() && domainAttribute[0] == '.') domainAttribute.erase(0, 1);
  if (domainAttribute.empty()) {
    cookie.Domain = host;
    cookie.HostOnly = true;
  } else {
    if (!DomainMatches(host, domainAttribute)) return false;
    cookie.Domain = domainAttribute;
    cookie.HostOnly = host == domainAttribute && IsAddressLiteral(host);
  }
  if (!hasPath) cookie.Path = DefaultPath(requestPath);
  if (!maxAge.empty()) {
    const bool negative = maxAge[0] == '-';
    int seconds = 0;
    if (ReadNumber(negative ? maxAge.substr(1) : maxAge, seconds)) {
      cookie.Expires = negative || seconds == 0 ? Now() - 1 : Now() + seconds / 86400.0;
    }
  } else if (!expires.empty()) {
    const TDateTime when = ParseHttpDate(expires);
    cookie.Expires = when == 0 ? Now() - 1 : when;
  }
  std::lock_guard lock(FLock);
  auto same = std::find_if(FCookies.begin(), FCookies.end(), [&](const TCookie& c) {
    return c.Domain == cookie.Domain && c.Path == cookie.Path && Lower(c.Name) == Lower(cookie.Name);
  });
  if (same != FCookies.end()) {
    *same = cookie;
  } else {
    const size_t count = std::count_if(FCookies.begin(), FCookies.end(), [&](const TCookie& c) { return c.Domain == cookie.Domain; });
    if (count >= kMaxCookiesPerDomain) {
      FCookies.erase(std::find_if(FCookies.begin(), FCookies.end(), [&](const TCookie& c) { return c.Domain == cookie.Domain; }));
    }
    FCookies.push_back(cookie);
  }
  return true;
}

void TCookieManager::PurgeExpired() {
  std::lock_guard lock(FLock);
  const TDateTime now = Now();
  std::erase_if(FCookies, [now](const TCookie& c) { return c.Expires != -1 && c.Expires < now; });
}

AnsiString TCookieManager::GetCookieHeader(const AnsiString& authority, const AnsiString& path, bool secure) {
  PurgeExpired();
  const AnsiString host = AuthorityHost(authority);
  const AnsiString requestPath = path.substr(0, path.find('?'));
  AnsiString text;
  std::lock_guard lock(FLock);
  for (const TCookie& cookie : FCookies) {
    if (cookie.Secure && !secure) continue;
    if (cookie.HostOnly ? host != cookie.Domain : !DomainMatches(host, cookie.Domain)) continue;
    if (!PathMatches(requestPath.empty() ? "/" : requestPath, cookie.Path)) continue;
    if (!text.empty()) text += "; ";
    text += cookie.Name + "=" + cookie.Value;
  }
  return text;
}

void TCookieManager::Clear() {
  std::lock_guard lock(FLock);
  FCookies.clear();
}

std::vector<TCookie> TCookieManager::Cookies() {
  std::lock_guard lock(FLock);
  return FCookies;
}
