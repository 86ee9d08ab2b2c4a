#include "tests/runtime/test_host.h"

#include <algorithm>

#include "runtime/instance_factory.h"
#include "runtime/zolt.h"

VstTimeInfo* TestHost::timeInfo = nullptr;
std::vector<int32_t> TestHost::requests;

void TestHost::Clear() {
    timeInfo = nullptr;
    requests.clear();
}

int TestHost::Count(int32_t opcode) {
    return static_cast<int>(std::count(requests.begin(), requests.end(), opcode));
}

intptr_t VSTCALLBACK TestHostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    TestHost::requests.push_back(opcode);
    switch (opcode) {
        case audioMasterVersion:
            return TestHost::kVersion;
        case audioMasterGetTime:
            return reinterpret_cast<intptr_t>(TestHost::timeInfo);
        default:
            return 0;
    }
}

TestInstance::TestInstance(TZolt* effect)
    : effect_(effect), record_(CreateInstance(effect, TestHostCallback)) {}

TestInstance::~TestInstance() {
    if (record_) record_->dispatcher(record_, effClose, 0, 0, nullptr, 0.0f);
}

COrbel* TestInstance::adapter() const {
    return record_ ? effect_->adapter : nullptr;
}

intptr_t TestInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    return record_->dispatcher(record_, opcode, index, value, ptr, opt);
}
