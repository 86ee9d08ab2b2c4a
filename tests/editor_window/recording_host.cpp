#include "tests/editor_window/recording_host.h"

std::vector<RecordedRequest>& RecordedRequests() {
    static std::vector<RecordedRequest> requests;
    return requests;
}

intptr_t VSTCALLBACK RecordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*,
                                   float opt) {
    RecordedRequests().push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}
