// A fresh directory for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tests/process_id.h"

class TempDir {
  public:
    // Under base when given (it must exist), else under the system's temporary directory.
    explicit TempDir(const std::string& base = "") {
        const std::string stem =
            (base.empty() ? std::filesystem::temp_directory_path().string() + "/" : base) +
            "lotta_" + std::to_string(TestProcessId()) + "_";
        // The first name that this call creates is ours; one that exists belongs to someone.
        static int counter = 0;
        for (int attempt = 0; attempt < 1000 && path_.empty(); ++attempt) {
            const std::string candidate = stem + std::to_string(counter++);
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
        }
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
