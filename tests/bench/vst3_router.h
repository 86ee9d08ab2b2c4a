// The VST 3 build's process() for the router benchmark: the bundle loaded as a host loads it,
// one instance set up with eight stereo buses each way, and each call given the empty list of
// parameter changes hosts pass while nothing moves.
#pragma once

#include <benchmark/benchmark.h>

// [main] Times process() of frames (0 included) with the bus pattern (0 off, 1 on,
// 2 alternating) in 32-bit or 64-bit samples; skips with an error when the bundle cannot load.
void Vst3Router(benchmark::State& state, int frames, int buses, bool doublePrecision);
