// No exception thrown behind the dispatcher may unwind into the host: the request answers 0
// and the instance stays usable, also for effClose.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "plugin/audio_effect_x.h"

namespace {

intptr_t VSTCALLBACK SilentHost(AEffect*, int32_t, int32_t, intptr_t, void*, float) {
    return 0;
}

class ThrowingEffect : public AudioEffectX {
  public:
    ThrowingEffect() : AudioEffectX(&SilentHost, 1, 0) {}
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override {
        if (opcode == effEditIdle) throw std::bad_alloc();
        if (opcode == effEditGetRect) throw std::runtime_error("no rectangle");
        if (opcode == effClose) throw 42;
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    }
    void processReplacing(float**, float**, int32_t) override {}
};

TEST(DispatchGuard, ExceptionsAnswerZeroAndCloseStillFreesTheInstance) {
    auto* effect = new ThrowingEffect;
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, nullptr, 0.0f), 0);
    // Still answering after the throws.
    EXPECT_EQ(record->dispatcher(record, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
    // effClose deletes the object even when its own handling throws (a leak would show in the
    // sanitizer build).
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
