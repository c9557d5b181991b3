// Brantwell: start-up. Until the main window exists, the program reports its name and version.

#include <cstdio>

#include "BrantwellVersion.h"

int main() {
  std::printf("%s %s\n", BRANTWELL_NAME, BRANTWELL_VERSION);
  return 0;
}
