// The host callback the plug-in window tests give the editor test plug-in: it answers the
// version and records every request, for the tests to read back.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/vst2_abi.h"

struct RecordedRequest {
    int32_t opcode;
    int32_t index;
    float opt;
};

// [main] Answers the version (2400) and nothing else, and records each request.
intptr_t VSTCALLBACK RecordingHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                   void* ptr, float opt);
// [main] Every request so far, oldest first.
std::vector<RecordedRequest>& RecordedRequests();
