// A request the tool refuses or cannot carry out: a bad option value, a file it cannot read or
// write, a preset that does not fit the plug-in. The message is one line, ready for stderr after
// the program name; the exit status is 2, as for a usage error.
#pragma once

#include <stdexcept>

namespace vst2host {

class CommandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace vst2host
