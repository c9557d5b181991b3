#pragma once

// What the job's disc wait makes of a drive's two blocks: whether the disc is usable for the
// job's bytes, why not, and whether it must be erased first; and the text of the too-small
// box. Pure, any thread.

#include <cstdint>

#include "program/engine/QmBurner.h"
#include "rtl/SysTypes.h"

enum class TDiscVerdict {
  Usable,
  NoDisc,             // the disc information call failed
  HasDataNotErasable,
  NotDvd,             // 1,000,000,000 bytes available or less
  TooSmall,           // the bytes needed are not less than those available
};

struct TDiscCheck {
  TDiscVerdict Verdict = TDiscVerdict::NoDisc;
  bool EraseNeeded = false;  // usable, but it holds data and can be erased
};

// infoOk: the disc information call answered 0. space is read only when the information
// passes.
TDiscCheck CheckDisc(bool infoOk, const TQmBurnDiscInfo& info, const TQmBurnDiscSpace& space, int64_t bytesNeeded);

// The too-small box: the three texts (looked up by the caller) with the needed and the free
// size in MB (bytes / 1024 / 1024, "0.00"; the needed size gets 0.01 added).
WideString DiscSpaceText(const WideString& notEnough, const WideString& spaceNeed, const WideString& freeSpace,
                         int64_t bytesNeeded, int64_t bytesAvailable);
