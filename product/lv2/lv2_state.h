// The LV2 state extension over the effect's own chunk: one key, an atom:Chunk holding the very
// bytes effGetChunk gives a VST 2 host.
#pragma once

#include <lv2/state/state.h>

// [any] The interface a host finds through extension_data.
const LV2_State_Interface* StateInterface();
