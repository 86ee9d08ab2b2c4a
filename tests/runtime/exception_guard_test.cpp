// An effect whose sections run out of memory, driven through the effect record as a host
// drives it: nothing unwinds into the host, the failed call leaves the host's buffers as they
// were, and the instance keeps working once memory is back.
#include <gtest/gtest.h>

#include <array>
#include <new>
#include <vector>

#include "runtime/zolt.h"
#include "tests/runtime/test_host.h"

namespace {

class ThrowingEffect : public TZolt {
  public:
    ThrowingEffect() {
        channelCount = 2;
        AddSlider(1, nullptr, 0.0, 0.0, 1.0, 0.0, "", "", "", "level");
    }
    void RunSlider() override {
        if (outOfMemory) throw std::bad_alloc();
        ++sliderRuns;
    }
    void RunBlock() override {
        if (outOfMemory) throw std::bad_alloc();
    }
    void RunSample() override {
        samples[0] *= 2.0;
        samples[1] *= 2.0;
    }
    bool outOfMemory = true;
    int sliderRuns = 0;
};

template <typename Sample>
void ExpectProcessGuarded(AEffect* record, ThrowingEffect& effect,
                          void (*process)(AEffect*, Sample**, Sample**, int32_t)) {
    std::array<std::vector<Sample>, 2> in{std::vector<Sample>(8, Sample(1)),
                                          std::vector<Sample>(8, Sample(2))};
    std::array<std::vector<Sample>, 2> out{std::vector<Sample>(8, Sample(-5)),
                                           std::vector<Sample>(8, Sample(-5))};
    std::array<Sample*, 2> inPtrs{in[0].data(), in[1].data()};
    std::array<Sample*, 2> outPtrs{out[0].data(), out[1].data()};
    effect.outOfMemory = true;
    process(record, inPtrs.data(), outPtrs.data(), 8);
    EXPECT_EQ(out[0][0], Sample(-5)) << "outputs as they were";
    EXPECT_EQ(out[1][7], Sample(-5));
    effect.outOfMemory = false;
    process(record, inPtrs.data(), outPtrs.data(), 8);
    EXPECT_EQ(out[0][0], Sample(2));
    EXPECT_EQ(out[1][7], Sample(4));
}

TEST(ExceptionGuard, SetParameterAndProcessCallsContainASectionsBadAlloc) {
    auto* effect = new ThrowingEffect;
    TestInstance instance(effect);
    AEffect* record = instance.record();
    ASSERT_NE(record, nullptr);
    instance.Dispatch(effOpen);
    instance.Dispatch(effMainsChanged, 0, 1);  // its slider section throws here too

    effect->outOfMemory = true;
    record->setParameter(record, 0, 0.75f);
    EXPECT_EQ(effect->sliderRuns, 0);
    EXPECT_FLOAT_EQ(record->getParameter(record, 0), 0.75f) << "stored before the section ran";
    effect->outOfMemory = false;
    record->setParameter(record, 0, 0.25f);
    EXPECT_EQ(effect->sliderRuns, 1);

    ExpectProcessGuarded<float>(record, *effect, record->processReplacing);
    ExpectProcessGuarded<double>(record, *effect, record->processDoubleReplacing);
}

}  // namespace
