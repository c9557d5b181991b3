#pragma once

// The clock the window manager runs timers, message times and double-click and hover
// detection on. Real (monotonic milliseconds) unless a test switches to the manual clock,
// which moves only when told to; moving it wakes every queue so that due timers fire.

#include <cstdint>

namespace platform::detail {

uint64_t UserClockNow();
void UseManualClock(bool manual);
bool ManualClockInUse();
void AdvanceManualClock(uint64_t milliseconds);

}  // namespace platform::detail
