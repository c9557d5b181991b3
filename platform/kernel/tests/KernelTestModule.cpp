// A library for the module loader's tests: one entry found by name, one by ordinal 7, and a
// load counter that shows whether the library stayed in memory.

namespace {
int loads = 0;
struct CountLoad {
  CountLoad() { ++loads; }
} countLoad;
}  // namespace

extern "C" __attribute__((visibility("default"))) int KernelTestAnswer() { return 42; }
extern "C" __attribute__((visibility("default"))) int ordinal_7() { return 7; }
extern "C" __attribute__((visibility("default"))) int KernelTestLoads() { return loads; }
