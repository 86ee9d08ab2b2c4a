// What a long render shows while it runs, and the line it ends with.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace vst2host {

// A bar on one terminal line, redrawn in place. It appears only once the work has taken longer
// than a moment, so short renders print nothing, and never when `enabled` is false (stderr is
// not a terminal: a log file must not fill with carriage returns).
class ProgressBar {
  public:
    using Clock = std::chrono::steady_clock;

    // totalFrames <= 0: unknown, the bar shows the seconds done only.
    ProgressBar(std::ostream& out, bool enabled, int64_t totalFrames, double sampleRate);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(int64_t framesDone);
    // Clears the bar's line, if one was drawn.
    void finish();

    static constexpr std::chrono::milliseconds kDelay{500};
    static constexpr std::chrono::milliseconds kInterval{100};

  private:
    std::ostream& out_;
    bool enabled_;
    int64_t total_;
    double sampleRate_;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
    bool drawn_ = false;
};

// True when standard error is a terminal.
bool StderrIsTerminal();

// "rendered 96000 frames (2.000 s of audio) in 0.012 s, 166.7x realtime".
std::string RenderSummary(int64_t frames, double sampleRate, double wallSeconds);

}  // namespace vst2host
