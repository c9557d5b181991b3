#include "program/job/DiscCheck.h"

#include "platform/kernel/Unicode.h"
#include "rtl/Numbers.h"

TDiscCheck CheckDisc(bool infoOk, const TQmBurnDiscInfo& info, const TQmBurnDiscSpace& space, int64_t bytesNeeded) {
  if (!infoOk) return {TDiscVerdict::NoDisc, false};
  if (info.Status == kQmBurnDiscHasData && info.Erasable == 0) return {TDiscVerdict::HasDataNotErasable, false};
  if (space.liAvailableSpace <= 1000000000LL) return {TDiscVerdict::NotDvd, false};
  if (!(bytesNeeded < space.liAvailableSpace)) return {TDiscVerdict::TooSmall, false};
  // A blank disc is never erased, whatever its erasable byte says.
  return {TDiscVerdict::Usable, space.liDiscUsedSpace > 0 && info.Erasable != 0};
}

WideString DiscSpaceText(const WideString& notEnough, const WideString& spaceNeed, const WideString& freeSpace,
                         int64_t bytesNeeded, int64_t bytesAvailable) {
  const double neededMb = double(bytesNeeded) / 1024 / 1024 + 0.01;
  const double freeMb = double(bytesAvailable) / 1024 / 1024;
  const WideString twoReturns = u"\r\r";
  return notEnough + twoReturns + spaceNeed + WideString(15, u' ') + platform::Utf8ToUtf16(FormatFloat("0.00", neededMb)) +
         u"MB" + twoReturns + freeSpace + WideString(7, u' ') + platform::Utf8ToUtf16(FormatFloat("0.00", freeMb)) + u"MB";
}
