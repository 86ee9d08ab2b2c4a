// Files the runtime writes next to the module (here: next to the test binary), named per
// process so parallel test runs do not collide, and removed when the test ends.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/module_paths.h"
#include "tests/process_id.h"

class ModuleFile {
  public:
    explicit ModuleFile(const std::string& stem)
        : name_(stem + "_" + std::to_string(TestProcessId()) + ".bin"),
          path_(ModuleRelativePath(name_)) {
        std::remove(path_.c_str());
    }
    ~ModuleFile() { std::remove(path_.c_str()); }
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    const std::string& name() const { return name_; }
    const std::string& path() const { return path_; }
    bool Exists() const { return std::ifstream(path_).good(); }
    std::vector<unsigned char> Bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::string name_;
    std::string path_;
};
