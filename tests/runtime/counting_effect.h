// A runtime object whose sections record that they ran, so tests can see what the runtime
// ran and in which order; optional hooks give the sample and serialisation sections a body.
#pragma once

#include <algorithm>
#include <functional>
#include <string>

#include "runtime/zolt.h"

class CountingEffect : public TZolt {
  public:
    void RunInit() override { calls += 'I'; }
    void RunSlider() override { calls += 'S'; }
    void RunBlock() override { calls += 'B'; }
    void RunSample() override {
        ++sampleCalls;
        if (onSample) onSample(*this);
    }
    void RunSerialize() override {
        calls += 'Z';
        if (onSerialize) onSerialize(*this);
    }

    int Count(char section) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), section));
    }

    // One letter per section run: I init, S slider, B block, Z serialisation. Samples are
    // only counted, there are too many.
    std::string calls;
    int sampleCalls = 0;
    std::function<void(CountingEffect&)> onSample;
    std::function<void(CountingEffect&)> onSerialize;
};
