// The CLAP build's process() for router_bench: one instance of the .clap, made and activated
// as a CLAP host does, processing 16 channels through its default one-port layout.
#pragma once

#include <benchmark/benchmark.h>

// Buses: 0 all off, 1 all on, 2 every other one; wide: 64-bit buffers.
void ClapRouter(benchmark::State& state, int frames, int buses, bool wide);
