// The module boundaries as the READMEs state them: every module folder has a README with a
// "May use:" and a "Used by:" line, and the program code of each module includes headers only
// from itself and the modules its "May use" line names. Test code (tests/ and testing/
// folders inside a module) is left out: it may reach whatever its test needs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = BRANTWELL_SOURCE_DIR;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Where a label starts an entry: at the start of a line or of a sentence, not quoted in text.
size_t FindLabel(const std::string& readme, const std::string& label, size_t from) {
  for (size_t at = readme.find(label, from); at != std::string::npos; at = readme.find(label, at + 1)) {
    if (at == 0 || readme[at - 1] == '\n' || (at >= 2 && readme.compare(at - 2, 2, ". ") == 0)) return at;
  }
  return std::string::npos;
}

// The text of a README's labelled entry ("May use:" ...), up to the next label or the end
// of its paragraph; nullopt when the README has no such entry.
std::optional<std::string> Entry(const std::string& readme, const std::string& label) {
  const size_t start = FindLabel(readme, label, 0);
  if (start == std::string::npos) return std::nullopt;
  size_t end = readme.find("\n\n", start);
  for (const char* next : {"May use:", "Used by:"}) {
    end = std::min(end, FindLabel(readme, next, start + label.size()));
  }
  return readme.substr(start + label.size(), end == std::string::npos ? std::string::npos : end - start - label.size());
}

struct Module {
  std::string path;  // from the source root, "/" delimited: "platform/kernel"
  std::string mayUse;
};

bool IsTestFolder(const fs::path& name) { return name == "tests" || name == "testing"; }

bool IsSkippedFolder(const fs::path& relative) {
  const std::string first = relative.begin()->string();
  return first.empty() || first[0] == '.' || first.rfind("build", 0) == 0 || first == "cmake";
}

// A build folder anywhere (the fuzz build lives in fuzz/out/build), or a link into the sources
// (build folders publish module headers through links): neither is a module of its own.
bool IsOutsideTheSources(const fs::directory_entry& entry) {
  return entry.is_symlink() || fs::exists(entry.path() / "CMakeCache.txt");
}

// Every folder below the root with a README.md, except the build folders.
std::vector<Module> Modules() {
  std::vector<Module> modules;
  for (auto it = fs::recursive_directory_iterator(kRoot); it != fs::recursive_directory_iterator(); ++it) {
    if (!it->is_directory()) continue;
    const fs::path relative = fs::relative(it->path(), kRoot);
    if (IsSkippedFolder(relative) || IsOutsideTheSources(*it)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!fs::exists(it->path() / "README.md")) continue;
    const auto mayUse = Entry(ReadText(it->path() / "README.md"), "May use:");
    modules.push_back({relative.generic_string(), mayUse.value_or("")});
  }
  // Longest first, so that the first module whose path prefixes an include owns it.
  std::sort(modules.begin(), modules.end(),
            [](const Module& a, const Module& b) { return a.path.size() > b.path.size(); });
  return modules;
}

// The words of a "May use" text: module paths, engine names and plain words.
std::set<std::string> Words(const std::string& text) {
  std::set<std::string> words;
  std::string word;
  auto flush = [&] {
    while (!word.empty() && (word.back() == '.' || word.back() == '/')) word.pop_back();
    if (!word.empty()) words.insert(word);
    word.clear();
  };
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' || c == '.') {
      word += c;
    } else {
      flush();
    }
  }
  flush();
  return words;
}

bool MayUse(const Module& user, const Module& used) {
  if (user.mayUse.find("every module") != std::string::npos || user.mayUse.find("any module") != std::string::npos)
    return true;
  const std::set<std::string> words = Words(user.mayUse);
  if (words.count(used.path)) return true;
  // An engine may be named by its library name alone ("QM_DVDTitleList"); the shared folders
  // of engines/ (common, media, tools) have plain words for names and need their path.
  const fs::path usedPath(used.path);
  const std::string name = usedPath.filename().string();
  const bool libraryName =
      std::any_of(name.begin(), name.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
  return usedPath.parent_path() == "engines" && libraryName && words.count(name);
}

const Module* Owner(const std::vector<Module>& modules, const std::string& include) {
  for (const Module& module : modules) {
    if (include.rfind(module.path + "/", 0) == 0) return &module;
  }
  return nullptr;
}

TEST(ModuleBoundaries, EveryModuleFolderHasAReadmeWithItsUseLines) {
  std::vector<std::string> faults;
  for (auto it = fs::recursive_directory_iterator(kRoot); it != fs::recursive_directory_iterator(); ++it) {
    if (!it->is_directory()) continue;
    const fs::path relative = fs::relative(it->path(), kRoot);
    if (IsSkippedFolder(relative) || IsTestFolder(relative.filename()) || IsOutsideTheSources(*it)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!fs::exists(it->path() / "CMakeLists.txt")) continue;
    const fs::path readme = it->path() / "README.md";
    if (!fs::exists(readme)) {
      faults.push_back(relative.generic_string() + ": no README.md");
      continue;
    }
    const std::string text = ReadText(readme);
    for (const char* label : {"May use:", "Used by:"}) {
      if (!Entry(text, label)) faults.push_back(relative.generic_string() + "/README.md: no \"" + label + "\" line");
    }
  }
  EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

// Calls visit(file, line) for every line of a module's program code: its .cpp and .h files,
// without its test code and without nested modules (which are checked on their own).
template <typename Visit>
void ForEachProgramLine(const Module& module, Visit visit) {
  for (auto it = fs::recursive_directory_iterator(kRoot / module.path); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->is_directory()) {
      if (IsTestFolder(it->path().filename()) || fs::exists(it->path() / "README.md") || IsOutsideTheSources(*it))
        it.disable_recursion_pending();
      continue;
    }
    const std::string extension = it->path().extension().string();
    if (extension != ".cpp" && extension != ".h") continue;
    const std::string file = fs::relative(it->path(), kRoot).generic_string();
    std::ifstream in(it->path());
    std::string line;
    while (std::getline(in, line)) visit(file, line);
  }
}

TEST(ModuleBoundaries, ModulesIncludeOnlyWhatTheirReadmeAllows) {
  const std::vector<Module> modules = Modules();
  ASSERT_GT(modules.size(), 10u);
  const std::regex includeLine(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<std::string> faults;
  size_t includesChecked = 0;
  for (const Module& module : modules) {
    ForEachProgramLine(module, [&](const std::string& file, const std::string& line) {
      std::smatch match;
      if (!std::regex_search(line, match, includeLine)) return;
      const std::string include = match[1];
      const Module* used = Owner(modules, include);
      if (!used || used == &module) return;
      ++includesChecked;
      if (!MayUse(module, *used)) {
        faults.push_back(file + " includes \"" + include + "\" from " + used->path + ", which " + module.path +
                         "/README.md does not list under \"May use\"");
      }
    });
  }
  EXPECT_GT(includesChecked, 100u);
  for (const std::string& fault : faults) ADD_FAILURE() << fault;
}

// The platform's internals are its own: the layers above use its public calls.
TEST(ModuleBoundaries, NoProgramCodeOutsideThePlatformReachesIntoItsInternals) {
  std::vector<std::string> faults;
  for (const Module& module : Modules()) {
    // The end-to-end tests are test code, free to reach in like every module's tests/.
    if (module.path.rfind("platform/", 0) == 0 || module.path == "tests") continue;
    ForEachProgramLine(module, [&](const std::string& file, const std::string& line) {
      if (line.find("platform::detail") != std::string::npos) faults.push_back(file + ": " + line);
    });
  }
  for (const std::string& fault : faults) ADD_FAILURE() << fault;
}

// The check itself: a made-up module that includes from a folder it does not list is caught,
// and one that names the folder (or the engine by its library name) is not.
TEST(ModuleBoundaries, UseLinesAreReadAsTheyAreWritten) {
  const Module kernel{"platform/kernel", ""};
  const Module titleList{"engines/QM_DVDTitleList", ""};
  const Module common{"engines/common", ""};
  struct Case {
    const char* mayUse;
    const Module* used;
    bool allowed;
  };
  const Case cases[] = {
      {" engines/common, platform/kernel (text), FFmpeg.", &kernel, true},
      {" engines/common, engines/DiscTools, QM_DVDTitleList, FFmpeg.", &titleList, true},
      {" engines/common, engines/DiscTools, FFmpeg.", &titleList, false},
      {" platform/kernelx, the common controls.", &kernel, false},
      {" the common controls.", &common, false},
      {" `rtl`, `platform/kernel`.", &kernel, true},
      {" any module it measures.", &common, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MayUse(Module{"x", c.mayUse}, *c.used), c.allowed) << c.mayUse << " / " << c.used->path;
  }
  const std::string readme = "# x\n\nMay use: rtl,\nvcl. Used by: nothing.\n\nNot done: vcl.\n";
  EXPECT_EQ(Entry(readme, "May use:"), " rtl,\nvcl. ");
  EXPECT_EQ(Entry(readme, "Used by:"), " nothing.");
  EXPECT_EQ(Entry("# x\n", "May use:"), std::nullopt);
  // A label quoted in the text is not the entry.
  EXPECT_EQ(Entry("- lists \"May use:\" lines.\n\nMay use: every module.\n", "May use:"), " every module.\n");
}

}  // namespace
