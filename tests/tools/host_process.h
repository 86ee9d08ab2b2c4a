// Running the built vst2host the way a person does and reading what it prints and how it exits.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace host_test {

struct Result {
    bool exited = false;  // false when the process died of a signal
    int status = -1;
    std::string out;
    std::string err;
};

// Runs vst2host with these arguments, no standard input, and both outputs captured.
Result RunHost(const std::vector<std::string>& args);

// Starts vst2host with these arguments, its outputs discarded, and returns at once with its
// process id (0 when it could not be started).
int StartHost(const std::vector<std::string>& args);

std::vector<std::string> Lines(const std::string& text);

// The "Name:   value" lines of `vst2host info`, up to the parameter table.
std::map<std::string, std::string> Fields(const std::string& text);

struct ParameterRow {
    std::string index;
    std::string name;
    std::string label;
    std::string display;
    std::string value;
};

// The parameter table of `vst2host info`, cut into cells.
std::vector<ParameterRow> ParameterTable(const std::string& text);

// Status and both outputs, for a failure message.
std::string Describe(const Result& r);

// A fresh empty directory under the test's temporary directory; removed with its contents when
// the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Names of everything in the directory, sorted; temporary files included.
    std::vector<std::string> entries() const;

  private:
    std::string path_;
};

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace host_test
