#include "tools/vst2host/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace vst2host {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::ostream& out, bool enabled, int64_t totalFrames, double sampleRate)
    : out_(out),
      enabled_(enabled),
      total_(totalFrames),
      sampleRate_(sampleRate),
      start_(Clock::now()) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(int64_t framesDone) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (now - start_ < kDelay || (drawn_ && now - lastDraw_ < kInterval)) return;
    lastDraw_ = now;
    drawn_ = true;
    std::string line = "\r";
    char text[64];
    if (total_ > 0) {
        const double fraction = std::min(1.0, static_cast<double>(framesDone) / total_);
        const int filled = static_cast<int>(fraction * kBarWidth);
        std::snprintf(text, sizeof text, "] %3d%%  %.1f of %.1f s",
                      static_cast<int>(fraction * 100), framesDone / sampleRate_,
                      total_ / sampleRate_);
        line += "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + text;
    } else {
        std::snprintf(text, sizeof text, "%.1f s", framesDone / sampleRate_);
        line += text;
    }
    out_ << line << std::flush;
}

void ProgressBar::finish() {
    if (!drawn_) return;
    // Back to the start of the line and erase it, leaving the terminal as it was.
    out_ << "\r\033[K" << std::flush;
    drawn_ = false;
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

std::string RenderSummary(int64_t frames, double sampleRate, double wallSeconds) {
    const double audioSeconds = static_cast<double>(frames) / sampleRate;
    char buffer[160];
    if (wallSeconds > 0.0) {
        std::snprintf(buffer, sizeof buffer,
                      "rendered %lld frames (%.3f s of audio) in %.3f s, %.1fx realtime",
                      static_cast<long long>(frames), audioSeconds, wallSeconds,
                      audioSeconds / wallSeconds);
    } else {
        std::snprintf(buffer, sizeof buffer, "rendered %lld frames (%.3f s of audio)",
                      static_cast<long long>(frames), audioSeconds);
    }
    return buffer;
}

}  // namespace vst2host
