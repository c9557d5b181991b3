#pragma once

// A fresh folder under /tmp for one test, removed with everything in it afterwards.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/kernel/Unicode.h"

class TestFolder {
 public:
  TestFolder() {
    char pattern[] = "/tmp/brantwell-core-XXXXXX";
    if (mkdtemp(pattern)) m_root = pattern;
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Root() const { return m_root; }
  std::string Path(const std::string& name) const { return m_root + "/" + name; }
  std::u16string WPath(const std::string& name) const { return platform::Utf8ToUtf16(Path(name)); }
  void Write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  std::string m_root;
};
