#pragma once

// The message box's answers to keys, as a table any message box must pass: the window
// manager's own and every box the program installs in its place. Each case is run with the
// box waiting for input; `input` queues the keys.

#include <functional>
#include <vector>

#include "platform/user/WinUser.h"

namespace platform::testing {

struct MessageBoxKeyCase {
  const char* name;
  UINT type;
  std::function<void()> input;
  int expected;
};

const std::vector<MessageBoxKeyCase>& MessageBoxKeyCases();

}  // namespace platform::testing
