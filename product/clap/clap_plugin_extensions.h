// The extension tables an instance offers: audio ports and their layouts, parameters, state,
// latency and tail. One table of each for every instance, valid as long as the library is
// loaded, so a host gets the same pointer however often it asks.
#pragma once

// [any] The table for an extension id, or null for one the plug-in does not offer (note
// ports among them: the effect takes no notes).
const void* ClapExtension(const char* id);
