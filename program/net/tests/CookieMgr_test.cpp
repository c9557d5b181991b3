#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "program/net/CookieMgr.h"
#include "rtl/DateTime.h"

namespace {

// Runs the test body in a zone with daylight saving time.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    if (old) m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ZoneScope() {
    if (m_had) {
      ::setenv("TZ", m_old.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  bool m_had = false;
  std::string m_old;
};

bool SameMoment(TDateTime a, TDateTime b) { return std::fabs(a - b) < 1.0 / 86400 / 2; }

TEST(HttpDate, TheCommonFormsGiveTheSameMoment) {
  ZoneScope zone("UTC");
  const TDateTime expected = EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0);
  for (const char* text : {"Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "Sun, 06 Nov 1994 08:49:37 GMT",
                           "Sun,06 Nov 1994 08:49:37 GMT", "06 Nov 1994 08:49:37", "Sun, 06 Nov 1994 03:49:37 -0500",
                           "Sun, 06 Nov 1994 09:49:37 +0100", "Sun, 06 Nov 1994 08:49:37 AM GMT"}) {
    EXPECT_TRUE(SameMoment(ParseHttpDate(text), expected)) << text << " gave " << ParseHttpDate(text);
  }
}

TEST(HttpDate, UnreadableTextGivesZero) {
  for (const char* text : {"", "06 November 1994 08:49:37 GMT", "Sun, 31 Feb 1994 08:49:37 GMT", "garbage",
                           "Sun, 06 Nov 1994 25:49:37 GMT", "Sun, 06 Xyz 1994"}) {
    EXPECT_EQ(ParseHttpDate(text), 0) << text;
  }
}

TEST(HttpDate, EachDateUsesTheZoneRuleOfItsOwnDay) {
  ZoneScope zone("Europe/Berlin");
  // Winter: UTC+1; summer: UTC+2, whatever the season of the test run.
  EXPECT_TRUE(SameMoment(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), EncodeDate(1994, 11, 6) + EncodeTime(9, 49, 37, 0)));
  EXPECT_TRUE(SameMoment(ParseHttpDate("Wed, 06 Jul 1994 08:49:37 GMT"), EncodeDate(1994, 7, 6) + EncodeTime(10, 49, 37, 0)));
  EXPECT_EQ(FormatHttpDate(EncodeDate(1994, 11, 6) + EncodeTime(9, 49, 37, 0)), "SUN, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(FormatHttpDate(EncodeDate(1994, 7, 6) + EncodeTime(10, 49, 37, 0)), "WED, 06 Jul 1994 08:49:37 GMT");
  const TDateTime now = Now();
  EXPECT_TRUE(SameMoment(ParseHttpDate(FormatHttpDate(std::floor(now * 86400) / 86400)), std::floor(now * 86400) / 86400));
}

class CookieTest : public ::testing::Test {
 protected:
  TCookieManager m;
};

TEST_F(CookieTest, ExpiredCookiesArePurgedAndNoLongerSent) {
  EXPECT_TRUE(m.SetCookie("www.example.test", "id=42; Path=/; Expires=Wed, 09 Jun 2021 10:18:14 GMT"));
  EXPECT_TRUE(m.SetCookie("www.example.test", "keep=1; Path=/; Expires=Wed, 09 Jun 2100 10:18:14 GMT"));
  EXPECT_EQ(m.GetCookieHeader("www.example.test", "/", false), "keep=1");
  ASSERT_EQ(m.Cookies().size(), 1u);
  EXPECT_TRUE(m.SetCookie("www.example.test", "keep=1; Max-Age=0"));
  EXPECT_TRUE(m.SetCookie("www.example.test", "keep=1; Path=/; Max-Age=0"));
  EXPECT_EQ(m.GetCookieHeader("www.example.test", "/", false), "");
}

TEST_F(CookieTest, DomainsMatchByRfc6265) {
  EXPECT_TRUE(m.SetCookie("www.example.test:8080", "host=1; Path=/"));
  EXPECT_TRUE(m.SetCookie("www.example.test", "dom=2; Domain=.example.test; Path=/"));
  EXPECT_FALSE(m.SetCookie("www.example.test", "evil=3; Domain=other.test; Path=/"));
  EXPECT_FALSE(m.SetCookie("www.example.test", "evil=4; Domain=ample.test; Path=/"));
  EXPECT_FALSE(m.SetCookie("127.0.0.1", "evil=5; Domain=0.0.1; Path=/"));
  const struct {
    const char* authority;
    const char* expected;
  } cases[] = {
      {"www.example.test", "host=1; dom=2"},
      {"WWW.Example.Test:8080", "host=1; dom=2"},
      {"sub.example.test", "dom=2"},
      {"example.test", "dom=2"},
      {"notexample.test", ""},
      {"example.test.evil", ""},
      {"other.test", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(m.GetCookieHeader(c.authority, "/", false), c.expected) << c.authority;
}

TEST_F(CookieTest, PathsSecureAndValues) {
  EXPECT_TRUE(m.SetCookie("h.test", "a=x/y b; Path=/docs"));
  EXPECT_TRUE(m.SetCookie("h.test", "s=1; Path=/; Secure"));
  EXPECT_TRUE(m.SetCookie("h.test", "d=1", "/files/list.xml?x=1"));  // default path /files
  const struct {
    const char* path;
    bool secure;
    const char* expected;
  } cases[] = {
      {"/docs", false, "a=x/y b"},       {"/docs/a.html", false, "a=x/y b"}, {"/docsx", false, ""},
      {"/", true, "s=1"},                {"/files/a?q=1", false, "d=1"},     {"/filesx", false, ""},
      {"/docs/", true, "a=x/y b; s=1"},
  };
  for (const auto& c : cases) EXPECT_EQ(m.GetCookieHeader("h.test", c.path, c.secure), c.expected) << c.path;
}

TEST_F(CookieTest, BadCookiesAreRefused) {
  EXPECT_FALSE(m.SetCookie("h.test", ""));
  EXPECT_FALSE(m.SetCookie("h.test", "=value"));
  EXPECT_FALSE(m.SetCookie("h.test", "big=" + std::string(4097, 'v')));
  EXPECT_FALSE(m.SetCookie("h.test", std::string("bad=a\rb", 7)));
  for (int i = 0; i < 60; ++i) m.SetCookie("h.test", "n" + std::to_string(i) + "=1; Path=/");
  EXPECT_EQ(m.Cookies().size(), TCookieManager::kMaxCookiesPerDomain);
}

}  // namespace
