// Brantwell: the program's entry. The display comes first (the sdl one on a desktop, the
// in-memory one where BRANTWELL_DISPLAY asks for it); everything else is the main block's.

#include <cstdio>
#include <string>

#include "platform/display/Display.h"
#include "program/app/Startup.h"

int main() {
  std::string error;
  if (!platform::display::StartDisplay(&error)) {
    std::fprintf(stderr, "brantwell: no display: %s\n", error.c_str());
    return 1;
  }
  const int exitCode = RunBrantwell();
  platform::display::StopDisplay();
  return exitCode;
}
