// The main of a fuzz target in the normal build: feeds the empty input and then every file of
// the folders (and files) named on the command line to LLVMFuzzerTestOneInput once, in name
// order, as libFuzzer does when it replays a corpus. CTest runs it over the target's seeds, so
// a target that no longer builds, or that crashes or trips a check on a seed, fails the tests.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Optional in a target; libFuzzer calls it once before the first input.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

bool CollectInputs(const char* argument, std::vector<fs::path>& inputs) {
  const fs::path path(argument);
  std::error_code error;
  if (fs::is_directory(path, error)) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
      if (entry.is_regular_file()) files.push_back(entry.path());
    if (error) {
      std::fprintf(stderr, "cannot list '%s': %s\n", argument, error.message().c_str());
      return false;
    }
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
    return true;
  }
  if (fs::is_regular_file(path, error)) {
    inputs.push_back(path);
    return true;
  }
  std::fprintf(stderr, "no such seed file or folder: '%s'\n", argument);
  return false;
}

bool Run(const std::string& name, const std::string& bytes) {
  // Fuzz targets may keep the pointer only for the call; a copy of exactly `size` bytes lets
  // the sanitizers see a read past the end.
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  // Said before the call, so that a crash shows which seed caused it.
  std::printf("%s (%zu bytes)\n", name.c_str(), bytes.size());
  std::fflush(stdout);
  const int result = LLVMFuzzerTestOneInput(data.data(), data.size());
  // 0 accepts the input and -1 keeps it out of the corpus; libFuzzer reserves other values.
  if (result != 0 && result != -1) {
    std::fprintf(stderr, "%s: the target returned %d\n", name.c_str(), result);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEED_FOLDER_OR_FILE...\n", argv[0]);
    return 2;
  }
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i)
    if (!CollectInputs(argv[i], inputs)) return 1;
  if (inputs.empty()) {
    std::fprintf(stderr, "no seeds to replay\n");
    return 1;
  }
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  bool passed = Run("the empty input", {});
  for (const fs::path& input : inputs) {
    std::ifstream file(input, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) {
      std::fprintf(stderr, "cannot read '%s'\n", input.c_str());
      passed = false;
      continue;
    }
    passed = Run(input.filename().string(), bytes) && passed;
  }
  std::printf("%zu seeds replayed\n", inputs.size());
  return passed ? 0 : 1;
}
