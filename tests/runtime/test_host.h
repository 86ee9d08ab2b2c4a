// A scripted host for the tests that build instances in process (runtime, effect and editor
// tests), and an instance made the way the plug-in's entry makes one, closed the way a host
// closes it.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/vst2_abi.h"

class COrbel;
class TZolt;

// What the host answers, and what it was asked. Tests run one at a time, so plain globals do.
struct TestHost {
    static constexpr intptr_t kVersion = 2400;
    // Handed out for every time request; null means the host has no time record.
    static VstTimeInfo* timeInfo;
    static std::vector<int32_t> requests;
    static void Clear();
    static int Count(int32_t opcode);
};

intptr_t VSTCALLBACK TestHostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                      intptr_t value, void* ptr, float opt);

// Owns one instance built by the runtime's factory around the given effect object.
class TestInstance {
  public:
    explicit TestInstance(TZolt* effect);
    ~TestInstance();
    TestInstance(const TestInstance&) = delete;
    TestInstance& operator=(const TestInstance&) = delete;

    AEffect* record() const { return record_; }
    COrbel* adapter() const;
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

  private:
    TZolt* effect_;
    AEffect* record_;
};
