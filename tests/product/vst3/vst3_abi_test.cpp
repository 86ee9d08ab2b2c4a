// The project's VST 3 declarations against the format's numbering, on the target the test is
// built for: every method in the vtable slot the format gives it. And the two pieces of the
// adapter that no output shows: the process context as VST 2 time, and the UTF-16 copies.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "product/vst3/vst3_text.h"
#include "product/vst3/vst3_time.h"
#include "tests/product/vst3/vst3_host.h"

namespace {

using namespace vst3;

// The vtable slot of a virtual method, read from its member-function pointer as the common C++
// ABI of GCC and Clang (MinGW's too) lays one out: 1 + the slot's byte offset.
template <typename Method>
ptrdiff_t Slot(Method method) {
    struct {
        ptrdiff_t pointer;
        ptrdiff_t adjust;
    } raw;
    static_assert(sizeof method == sizeof raw);
    std::memcpy(&raw, &method, sizeof raw);
    return (raw.pointer - 1) / static_cast<ptrdiff_t>(sizeof(void*));
}

struct SlotCase {
    const char* method;
    ptrdiff_t slot;
    ptrdiff_t expected;
};

TEST(Vst3Abi, EveryMethodInTheFormatsSlot) {
    const SlotCase cases[] = {
        {"FUnknown::queryInterface", Slot(&FUnknown::queryInterface), 0},
        {"FUnknown::addRef", Slot(&FUnknown::addRef), 1},
        {"FUnknown::release", Slot(&FUnknown::release), 2},
        {"IPluginFactory::getFactoryInfo", Slot(&IPluginFactory::getFactoryInfo), 3},
        {"IPluginFactory::countClasses", Slot(&IPluginFactory::countClasses), 4},
        {"IPluginFactory::getClassInfo", Slot(&IPluginFactory::getClassInfo), 5},
        {"IPluginFactory::createInstance", Slot(&IPluginFactory::createInstance), 6},
        {"IPluginFactory2::getClassInfo2", Slot(&IPluginFactory2::getClassInfo2), 7},
        {"IPluginFactory3::getClassInfoUnicode", Slot(&IPluginFactory3::getClassInfoUnicode), 8},
        {"IPluginFactory3::setHostContext", Slot(&IPluginFactory3::setHostContext), 9},
        {"IPluginBase::initialize", Slot(&IPluginBase::initialize), 3},
        {"IPluginBase::terminate", Slot(&IPluginBase::terminate), 4},
        {"IComponent::getControllerClassId", Slot(&IComponent::getControllerClassId), 5},
        {"IComponent::setIoMode", Slot(&IComponent::setIoMode), 6},
        {"IComponent::getBusCount", Slot(&IComponent::getBusCount), 7},
        {"IComponent::getBusInfo", Slot(&IComponent::getBusInfo), 8},
        {"IComponent::getRoutingInfo", Slot(&IComponent::getRoutingInfo), 9},
        {"IComponent::activateBus", Slot(&IComponent::activateBus), 10},
        {"IComponent::setActive", Slot(&IComponent::setActive), 11},
        {"IComponent::setState", Slot(&IComponent::setState), 12},
        {"IComponent::getState", Slot(&IComponent::getState), 13},
        {"IAudioProcessor::setBusArrangements", Slot(&IAudioProcessor::setBusArrangements), 3},
        {"IAudioProcessor::getBusArrangement", Slot(&IAudioProcessor::getBusArrangement), 4},
        {"IAudioProcessor::canProcessSampleSize", Slot(&IAudioProcessor::canProcessSampleSize), 5},
        {"IAudioProcessor::getLatencySamples", Slot(&IAudioProcessor::getLatencySamples), 6},
        {"IAudioProcessor::setupProcessing", Slot(&IAudioProcessor::setupProcessing), 7},
        {"IAudioProcessor::setProcessing", Slot(&IAudioProcessor::setProcessing), 8},
        {"IAudioProcessor::process", Slot(&IAudioProcessor::process), 9},
        {"IAudioProcessor::getTailSamples", Slot(&IAudioProcessor::getTailSamples), 10},
        {"IProcessContextRequirements::getProcessContextRequirements",
         Slot(&IProcessContextRequirements::getProcessContextRequirements), 3},
        {"IParameterChanges::getParameterCount", Slot(&IParameterChanges::getParameterCount), 3},
        {"IParameterChanges::getParameterData", Slot(&IParameterChanges::getParameterData), 4},
        {"IParameterChanges::addParameterData", Slot(&IParameterChanges::addParameterData), 5},
        {"IParamValueQueue::getParameterId", Slot(&IParamValueQueue::getParameterId), 3},
        {"IParamValueQueue::getPointCount", Slot(&IParamValueQueue::getPointCount), 4},
        {"IParamValueQueue::getPoint", Slot(&IParamValueQueue::getPoint), 5},
        {"IParamValueQueue::addPoint", Slot(&IParamValueQueue::addPoint), 6},
        {"IEditController::setComponentState", Slot(&IEditController::setComponentState), 5},
        {"IEditController::setState", Slot(&IEditController::setState), 6},
        {"IEditController::getState", Slot(&IEditController::getState), 7},
        {"IEditController::getParameterCount", Slot(&IEditController::getParameterCount), 8},
        {"IEditController::getParameterInfo", Slot(&IEditController::getParameterInfo), 9},
        {"IEditController::getParamStringByValue", Slot(&IEditController::getParamStringByValue),
         10},
        {"IEditController::getParamValueByString", Slot(&IEditController::getParamValueByString),
         11},
        {"IEditController::normalizedParamToPlain", Slot(&IEditController::normalizedParamToPlain),
         12},
        {"IEditController::plainParamToNormalized", Slot(&IEditController::plainParamToNormalized),
         13},
        {"IEditController::getParamNormalized", Slot(&IEditController::getParamNormalized), 14},
        {"IEditController::setParamNormalized", Slot(&IEditController::setParamNormalized), 15},
        {"IEditController::setComponentHandler", Slot(&IEditController::setComponentHandler), 16},
        {"IEditController::createView", Slot(&IEditController::createView), 17},
        {"IComponentHandler::beginEdit", Slot(&IComponentHandler::beginEdit), 3},
        {"IComponentHandler::performEdit", Slot(&IComponentHandler::performEdit), 4},
        {"IComponentHandler::endEdit", Slot(&IComponentHandler::endEdit), 5},
        {"IComponentHandler::restartComponent", Slot(&IComponentHandler::restartComponent), 6},
        {"IBStream::read", Slot(&IBStream::read), 3},
        {"IBStream::write", Slot(&IBStream::write), 4},
        {"IBStream::seek", Slot(&IBStream::seek), 5},
        {"IBStream::tell", Slot(&IBStream::tell), 6},
    };
    for (const SlotCase& c : cases) EXPECT_EQ(c.slot, c.expected) << c.method;
}

// Each context field reaches the VST 2 record only with its validity bit, under the VST 2 bit.
TEST(Vst3Time, TheContextAsAVst2HostGivesTime) {
    using C = ProcessContext;
    ProcessContext full{};
    full.sampleRate = 48000.0;
    full.projectTimeSamples = 96000;
    full.systemTime = 123456789;
    full.projectTimeMusic = 9.5;
    full.barPositionMusic = 8.0;
    full.cycleStartMusic = 4.0;
    full.cycleEndMusic = 12.0;
    full.tempo = 140.0;
    full.timeSigNumerator = 7;
    full.timeSigDenominator = 8;
    full.samplesToNextClock = 17;
    struct Case {
        const char* what;
        uint32_t state;
        int32_t flags;  // besides kVstTransportChanged, checked apart
    };
    const Case cases[] = {
        {"nothing valid, stopped", 0, 0},
        {"playing", C::kPlaying, kVstTransportPlaying},
        {"recording in a loop", C::kRecording | C::kCycleActive,
         kVstTransportRecording | kVstTransportCycleActive},
        {"tempo", C::kTempoValid, kVstTempoValid},
        {"position in quarter notes", C::kProjectTimeMusicValid, kVstPpqPosValid},
        {"bar start", C::kBarPositionValid, kVstBarsValid},
        {"time signature", C::kTimeSigValid, kVstTimeSigValid},
        {"loop points", C::kCycleValid, kVstCyclePosValid},
        {"system time", C::kSystemTimeValid, kVstNanosValid},
        {"clock", C::kClockValid, kVstClockValid},
        {"what the effect asks for, playing",
         C::kPlaying | C::kTempoValid | C::kProjectTimeMusicValid | C::kBarPositionValid |
             C::kTimeSigValid,
         kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstBarsValid |
             kVstTimeSigValid},
    };
    // Each case on a fresh record, then all in turn on one record, each twice with values
    // moved between its two blocks: a field whose bit goes away must read 0 again, and one
    // that stays valid must follow the host.
    Vst3Time shared;
    for (const Case& c : cases) {
        for (int pass = 0; pass < 3; ++pass) {
            SCOPED_TRACE(std::string(c.what) + ", pass " + std::to_string(pass));
            Vst3Time fresh;
            ProcessContext context = full;
            context.state = c.state;
            if (pass == 2) {
                context.sampleRate = 44100.0;
                context.projectTimeSamples += 32;
                context.systemTime += 1000;
                context.projectTimeMusic += 0.25;
                context.barPositionMusic += 4.0;
                context.cycleStartMusic += 1.0;
                context.cycleEndMusic += 1.0;
                context.tempo += 1.0;
                context.timeSigNumerator += 1;
                context.timeSigDenominator *= 2;
                context.samplesToNextClock += 1;
            }
            const VstTimeInfo* info = (pass == 0 ? fresh : shared).FromContext(&context);
            ASSERT_NE(info, nullptr);
            auto valid = [&](int32_t flag, auto value) {
                return c.flags & flag ? value : decltype(value){};
            };
            EXPECT_EQ(info->flags & ~kVstTransportChanged, c.flags);
            // A fresh converter's first context is a change, playing or not.
            if (pass == 0) {
                EXPECT_NE(info->flags & kVstTransportChanged, 0);
            }
            EXPECT_EQ(info->samplePos, static_cast<double>(context.projectTimeSamples));
            EXPECT_EQ(info->sampleRate, context.sampleRate);
            EXPECT_EQ(info->tempo, valid(kVstTempoValid, context.tempo));
            EXPECT_EQ(info->ppqPos, valid(kVstPpqPosValid, context.projectTimeMusic));
            EXPECT_EQ(info->barStartPos, valid(kVstBarsValid, context.barPositionMusic));
            EXPECT_EQ(info->cycleStartPos, valid(kVstCyclePosValid, context.cycleStartMusic));
            EXPECT_EQ(info->cycleEndPos, valid(kVstCyclePosValid, context.cycleEndMusic));
            EXPECT_EQ(info->timeSigNumerator, valid(kVstTimeSigValid, context.timeSigNumerator));
            EXPECT_EQ(info->timeSigDenominator,
                      valid(kVstTimeSigValid, context.timeSigDenominator));
            EXPECT_EQ(info->nanoSeconds,
                      valid(kVstNanosValid, static_cast<double>(context.systemTime)));
            EXPECT_EQ(info->samplesToNextClock, valid(kVstClockValid, context.samplesToNextClock));
        }
    }
    // No context: no time, as from a VST 2 host without a transport. The transport's start
    // and stop show as changes, as VST 2 hosts flag them; other bits coming and going, and
    // blocks without a context between, do not.
    Vst3Time time;
    EXPECT_EQ(time.FromContext(nullptr), nullptr);
    ProcessContext context = full;
    constexpr uint32_t kNone = ~0u;  // a block without a context
    const uint32_t states[] = {0,
                               0,
                               C::kPlaying,
                               kNone,
                               C::kPlaying,
                               C::kPlaying | C::kTempoValid,
                               kNone,
                               C::kTempoValid,
                               C::kTempoValid};
    const bool changed[] = {true, false, true, false, false, false, false, true, false};
    for (size_t i = 0; i < std::size(states); ++i) {
        if (states[i] == kNone) {
            EXPECT_EQ(time.FromContext(nullptr), nullptr) << i;
            continue;
        }
        context.state = states[i];
        EXPECT_EQ((time.FromContext(&context)->flags & kVstTransportChanged) != 0, changed[i]) << i;
    }
    EXPECT_EQ(Vst3Time::kRequirements, 0x4CCu);
}

TEST(Vst3Text, CopiesCutToFitAndTerminated) {
    struct Case {
        const char* what;
        std::string text;
        size_t size;
        std::u16string expected;
    };
    const Case cases[] = {
        {"ASCII", "Bus 1", 128, u"Bus 1"},
        {"cut", "enable item bus 1", 8, u"enable "},
        {"two-byte and three-byte UTF-8", "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC", 16,
         u"Gr\u00FC\u00DF \u20AC"},
        {"a pair is not cut in half", "ab\xF0\x9F\x8E\xB5", 4, u"ab"},
        {"a pair that fits", "ab\xF0\x9F\x8E\xB5", 5, u"ab\U0001F3B5"},
        {"malformed bytes", "a\xFF\xC3", 8, u"a\uFFFD\uFFFD"},
        {"overlong form", "\xC0\xAF", 8, u"\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char16_t> out(c.size + 1, u'#');
        CopyText(c.text, out.data(), c.size);
        EXPECT_EQ(std::u16string(out.data()), c.expected);
        EXPECT_EQ(out[c.size], u'#');  // nothing written past the field
        for (size_t i = c.expected.size(); i < c.size; ++i) EXPECT_EQ(out[i], u'\0');
    }
    char narrow[6];
    CopyText("Kelvane_Lotta", narrow);
    EXPECT_STREQ(narrow, "Kelva");
}

}  // namespace
