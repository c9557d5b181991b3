#include "program/job/DiscCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(DiscCheckTest, VerdictsOverTheDiscsNumbers) {
  struct Case {
    const char* name;
    bool infoOk;
    uint8_t status, erasable;
    int64_t used, available, needed;
    TDiscVerdict verdict;
    bool erase;
  } cases[] = {
      {"no disc", false, 0, 0, 0, 4700000000LL, 1, TDiscVerdict::NoDisc, false},
      {"data that cannot be erased", true, 2, 0, 1000, 4700000000LL, 1, TDiscVerdict::HasDataNotErasable, false},
      {"1,000,000,000 bytes is no DVD", true, 1, 0, 0, 1000000000LL, 1, TDiscVerdict::NotDvd, false},
      {"1,000,000,001 bytes is one", true, 1, 0, 0, 1000000001LL, 1000000000LL, TDiscVerdict::Usable, false},
      {"equal bytes are too few", true, 1, 0, 0, 4000000000LL, 4000000000LL, TDiscVerdict::TooSmall, false},
      {"one byte fewer fits", true, 1, 0, 0, 4000000000LL, 3999999999LL, TDiscVerdict::Usable, false},
      {"a blank disc is never erased", true, 1, 1, 0, 4700000000LL, 1, TDiscVerdict::Usable, false},
      {"used and erasable is erased", true, 2, 1, 5000, 4700000000LL, 1, TDiscVerdict::Usable, true},
      {"used, not erasable, not status 2", true, 3, 0, 5000, 4700000000LL, 1, TDiscVerdict::Usable, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TQmBurnDiscInfo info{};
    info.Status = c.status;
    info.Erasable = c.erasable;
    TQmBurnDiscSpace space{0, c.used, c.available};
    const TDiscCheck check = CheckDisc(c.infoOk, info, space, c.needed);
    EXPECT_EQ(check.Verdict, c.verdict);
    EXPECT_EQ(check.EraseNeeded, c.erase);
  }
}

TEST(DiscCheckTest, TheTooSmallTextNamesBothSizesInMegabytes) {
  EXPECT_EQ(DiscSpaceText(u"Too small.", u"Needed:", u"Free:", 4700000000LL, 4000000000LL),
            u"Too small.\r\rNeeded:               4482.28MB\r\rFree:       3814.70MB");
}

}  // namespace
