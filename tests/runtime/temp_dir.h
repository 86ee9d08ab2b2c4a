// A fresh directory for one test, removed with everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
  public:
    // Under base when given (it must exist), else under the system's temporary directory.
    explicit TempDir(const std::string& base = "") {
        std::string pattern =
            (base.empty() ? std::filesystem::temp_directory_path().string() + "/" : base) +
            "lotta_" + std::to_string(getpid()) + "_XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    // Without a final separator.
    const std::string& path() const { return path_; }
    std::string File(const std::string& name, const std::string& content = "x") const {
        const std::string full = path_ + "/" + name;
        std::ofstream(full) << content;
        return full;
    }

  private:
    std::string path_;
};
