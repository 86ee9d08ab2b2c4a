// Writing a file so that it appears whole or not at all: the bytes go to a temporary file in the
// target's directory (so the final rename stays on one file system), which replaces the target
// only on commit. A ReplacingFile destroyed without a commit removes its temporary file.
#pragma once

#include <string>

namespace vst2host {

class ReplacingFile {
  public:
    // Throws CommandError ("cannot write TARGET: reason") when the target is a directory or its
    // directory does not take new files.
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    int fd() const { return fd_; }
    const std::string& target() const { return target_; }

    // Writes all of these bytes at the current offset. Throws CommandError.
    void write(const void* data, std::size_t size);
    // Flushes to disk, closes and renames over the target. Throws CommandError; the temporary
    // file is gone either way.
    void commit();

    // "cannot write TARGET: " followed by the text of errno.
    [[noreturn]] void fail(int error) const;

  private:
    void discard();

    std::string target_;
    std::string tempPath_;
    int fd_ = -1;
};

}  // namespace vst2host
