// What a VST 3 host sees of the bundle before any audio: the factory and its class, the
// interfaces one object offers and refuses with their reference counts, the buses, and the
// parameters with their texts, each against what the VST 2 build reports.
#include <gtest/gtest.h>

#include <limits>

#include <cstring>
#include <string>

#include "tests/plugin/scripted_host.h"
#include "tests/product/vst3/vst3_host.h"

namespace {

using namespace vst3test;

std::string Hex(const char* bytes) {
    std::string text;
    char digits[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(bytes[i]));
        text += digits;
    }
    return text;
}

TEST(Vst3Factory, OneAudioModuleClassWithTheVst2Identity) {
    ScriptedHost host;
    HostedEffect vst2(host);
    Module& module = Module::Router();
    ASSERT_TRUE(module.Loaded());
    IPluginFactory* factory = module.factory;
    // The class ID is the one in CMake and the README: the words in order on Linux, a GUID's
    // byte order on Windows.
    EXPECT_EQ(Hex(kRouterClassId.bytes),
              kWindows ? "69682F38BAD64592" + std::string(LOTTA_VST3_CLASS_ID_TEXT).substr(16)
                       : std::string(LOTTA_VST3_CLASS_ID_TEXT));
    void* object = nullptr;
    ASSERT_EQ(factory->queryInterface(IPluginFactory3::iid.bytes, &object), kResultOk);
    auto* factory3 = static_cast<IPluginFactory3*>(object);
    for (const Uid* iid : {&FUnknown::iid, &IPluginFactory::iid, &IPluginFactory2::iid}) {
        EXPECT_EQ(factory->queryInterface(iid->bytes, &object), kResultOk);
        EXPECT_EQ(object, factory);
        factory->release();
    }
    object = factory;
    EXPECT_EQ(factory->queryInterface(IComponent::iid.bytes, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);

    PFactoryInfo info;
    std::memset(&info, 0xAB, sizeof info);
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, vst2.Text(effGetVendorString).c_str());
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 1);

    PClassInfo2 info2;
    PClassInfoW wide;
    ASSERT_EQ(factory3->getClassInfo2(0, &info2), kResultOk);
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &wide), kResultOk);
    PClassInfo info1;
    ASSERT_EQ(factory->getClassInfo(0, &info1), kResultOk);
    for (const char* cid : {info1.cid, info2.cid, wide.cid})
        EXPECT_EQ(0, std::memcmp(cid, kRouterClassId.bytes, 16));
    const std::string name = vst2.Text(effGetEffectName);
    EXPECT_EQ(name, "Kelvane_Lotta router");
    EXPECT_STREQ(info1.name, name.c_str());
    EXPECT_STREQ(info2.name, name.c_str());
    EXPECT_EQ(Narrow(wide.name), name);
    for (const char* category : {info1.category, info2.category, wide.category})
        EXPECT_STREQ(category, "Audio Module Class");
    EXPECT_EQ(info1.cardinality, 0x7FFFFFFF);
    EXPECT_EQ(info2.classFlags, 0u);  // processor and controller never split
    EXPECT_EQ(wide.classFlags, 0u);
    EXPECT_STREQ(info2.subCategories, "Fx|Tools");
    EXPECT_STREQ(wide.subCategories, "Fx|Tools");
    EXPECT_STREQ(info2.vendor, info.vendor);
    EXPECT_EQ(Narrow(wide.vendor), info.vendor);
    EXPECT_STREQ(info2.version, LOTTA_VERSION);
    EXPECT_EQ(Narrow(wide.version), LOTTA_VERSION);
    EXPECT_STREQ(info2.sdkVersion, "VST 3.7.14");
    EXPECT_EQ(Narrow(wide.sdkVersion), "VST 3.7.14");
    EXPECT_EQ(factory->getClassInfo(1, &info1), kInvalidArgument);
    EXPECT_EQ(factory3->getClassInfo2(-1, &info2), kInvalidArgument);
    EXPECT_EQ(factory3->setHostContext(nullptr), kResultOk);

    // Another class ID, or an interface the object lacks: nothing made, nothing leaked.
    Uid other = kRouterClassId;
    other.bytes[15] ^= 1;
    object = factory;
    EXPECT_EQ(factory->createInstance(other.bytes, IComponent::iid.bytes, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    object = factory;
    EXPECT_EQ(factory->createInstance(kRouterClassId.bytes, IBStream::iid.bytes, &object),
              kNoInterface);
    EXPECT_EQ(object, nullptr);
    factory3->release();
}

struct InterfaceCase {
    const char* what;
    const Uid* iid;
    bool offered;
};

const InterfaceCase kInterfaces[] = {
    {"FUnknown", &FUnknown::iid, true},
    {"IPluginBase", &IPluginBase::iid, true},
    {"IComponent", &IComponent::iid, true},
    {"IAudioProcessor", &IAudioProcessor::iid, true},
    {"IProcessContextRequirements", &IProcessContextRequirements::iid, true},
    {"IEditController", &IEditController::iid, true},
    {"IConnectionPoint (only for split processor and controller)", &kIConnectionPointIid, false},
    {"IEditController2", &kIEditController2Iid, false},
    {"IUnitInfo", &kIUnitInfoIid, false},
    {"IPluginFactory", &IPluginFactory::iid, false},
    {"IBStream", &IBStream::iid, false},
};

TEST(Vst3Component, OneObjectOffersEachInterfaceFromEveryOtherOne) {
    Instance vst3;
    ASSERT_TRUE(vst3.Valid());
    FUnknown* faces[] = {vst3.component, vst3.processor, vst3.controller};
    void* first[std::size(kInterfaces)] = {};
    for (FUnknown* face : faces) {
        for (size_t i = 0; i < std::size(kInterfaces); ++i) {
            const InterfaceCase& c = kInterfaces[i];
            SCOPED_TRACE(c.what);
            void* object = &first;
            const tresult result = face->queryInterface(c.iid->bytes, &object);
            if (!c.offered) {
                EXPECT_EQ(result, kNoInterface);
                EXPECT_EQ(object, nullptr);
                continue;
            }
            ASSERT_EQ(result, kResultOk);
            // The same sub-object whichever interface asks; one count for the whole object.
            if (!first[i]) first[i] = object;
            EXPECT_EQ(object, first[i]);
            auto* got = static_cast<FUnknown*>(object);
            const uint32_t count = got->addRef();
            EXPECT_EQ(got->release(), count - 1);
            EXPECT_EQ(vst3.component->addRef(), count);
            vst3.component->release();
            got->release();
        }
    }
    EXPECT_EQ(first[2], vst3.component);
    EXPECT_EQ(first[3], vst3.processor);
    EXPECT_EQ(first[5], vst3.controller);
    EXPECT_EQ(vst3.component->queryInterface(IComponent::iid.bytes, nullptr), kInvalidArgument);

    char cid[16];
    std::memset(cid, 0x5A, sizeof cid);
    EXPECT_NE(vst3.component->getControllerClassId(cid), kResultTrue);
    EXPECT_EQ(std::string(cid, 16), std::string(16, '\0'));
    auto* requirements = static_cast<IProcessContextRequirements*>(first[4]);
    EXPECT_EQ(requirements->getProcessContextRequirements(), 0x4CCu);
    EXPECT_EQ(vst3.processor->getLatencySamples(), 0u);
    EXPECT_EQ(vst3.processor->getTailSamples(), 0u);
    EXPECT_EQ(vst3.controller->createView("editor"), nullptr);
}

TEST(Vst3Component, EightNamedStereoBusesEachWay) {
    Instance vst3;
    ASSERT_TRUE(vst3.Valid());
    IComponent* c = vst3.component;
    EXPECT_EQ(c->getBusCount(kAudio, kInput), 8);
    EXPECT_EQ(c->getBusCount(kAudio, kOutput), 8);
    EXPECT_EQ(c->getBusCount(kEvent, kInput), 0);
    EXPECT_EQ(c->getBusCount(kEvent, kOutput), 0);
    for (int32_t dir : {kInput, kOutput}) {
        for (int32_t index = 0; index < 8; ++index) {
            BusInfo bus;
            std::memset(&bus, 0x5A, sizeof bus);
            ASSERT_EQ(c->getBusInfo(kAudio, dir, index, &bus), kResultOk);
            const std::string expected = dir == kInput ? "Input " + std::to_string(2 * index + 1) +
                                                             "/" + std::to_string(2 * index + 2)
                                                       : "Bus " + std::to_string(index + 1);
            EXPECT_EQ(Narrow(bus.name), expected);
            EXPECT_EQ(bus.mediaType, kAudio);
            EXPECT_EQ(bus.direction, dir);
            EXPECT_EQ(bus.channelCount, 2);
            EXPECT_EQ(bus.busType, index == 0 ? kMain : kAux);
            EXPECT_EQ(bus.flags, kDefaultActive);
            SpeakerArrangement arrangement = 0;
            EXPECT_EQ(vst3.processor->getBusArrangement(dir, index, &arrangement), kResultTrue);
            EXPECT_EQ(arrangement, kStereo);
        }
    }
    BusInfo bus;
    const int32_t kBadBuses[][3] = {
        {kAudio, kInput, 8}, {kAudio, kOutput, -1}, {kEvent, kInput, 0}, {kAudio, 2, 0}};
    for (const auto& [type, dir, index] : kBadBuses) {
        EXPECT_EQ(c->getBusInfo(type, dir, index, &bus), kInvalidArgument);
        EXPECT_EQ(c->activateBus(type, dir, index, 1), kInvalidArgument);
    }
    SpeakerArrangement arrangement;
    EXPECT_EQ(vst3.processor->getBusArrangement(kOutput, 8, &arrangement), kInvalidArgument);

    // Stereo everywhere is the only arrangement taken.
    struct Case {
        const char* what;
        std::vector<SpeakerArrangement> in, out;
        tresult expected;
    };
    const std::vector<SpeakerArrangement> stereo(8, kStereo);
    std::vector<SpeakerArrangement> oneMono = stereo;
    oneMono[3] = 0x80000;
    const Case cases[] = {
        {"all stereo", stereo, stereo, kResultTrue},
        {"seven outputs", stereo, {stereo.begin(), stereo.end() - 1}, kResultFalse},
        {"nine inputs", std::vector<SpeakerArrangement>(9, kStereo), stereo, kResultFalse},
        {"one mono input", oneMono, stereo, kResultFalse},
        {"one mono output", stereo, oneMono, kResultFalse},
        {"none", {}, {}, kResultFalse},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::vector<SpeakerArrangement> in = k.in, out = k.out;
        EXPECT_EQ(vst3.processor->setBusArrangements(in.data(), static_cast<int32_t>(in.size()),
                                                     out.data(), static_cast<int32_t>(out.size())),
                  k.expected);
    }
    EXPECT_EQ(vst3.processor->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(vst3.processor->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(vst3.processor->canProcessSampleSize(2), kResultFalse);
}

// A component handler that counts calls: the controller must never call it back for values the
// host set itself.
struct CountingHandler : HostObject<IComponentHandler> {
    tresult VST3_API beginEdit(ParamID) override { return ++calls, kResultOk; }
    tresult VST3_API performEdit(ParamID, ParamValue) override { return ++calls, kResultOk; }
    tresult VST3_API endEdit(ParamID) override { return ++calls, kResultOk; }
    tresult VST3_API restartComponent(int32_t) override { return ++calls, kResultOk; }
    int calls = 0;
};

TEST(Vst3Controller, ParametersAsTheVst2BuildNamesAndShowsThem) {
    ScriptedHost host;
    HostedEffect vst2(host);
    vst2.Start();
    CountingHandler handler;
    {
        Instance vst3;
        ASSERT_TRUE(vst3.Valid());
        IEditController* c = vst3.controller;
        ASSERT_EQ(c->setComponentHandler(&handler), kResultOk);
        EXPECT_EQ(handler.references, 2u);
        ASSERT_EQ(c->getParameterCount(), vst2.effect()->numParams);
        for (int32_t i = 0; i < c->getParameterCount(); ++i) {
            SCOPED_TRACE("parameter " + std::to_string(i));
            const auto id = static_cast<ParamID>(i);
            ParameterInfo info;
            std::memset(&info, 0x5A, sizeof info);
            ASSERT_EQ(c->getParameterInfo(i, &info), kResultOk);
            EXPECT_EQ(info.id, id);
            EXPECT_EQ(Narrow(info.title), vst2.Text(effGetParamName, i));
            EXPECT_EQ(Narrow(info.title), "enable item bus " + std::to_string(i + 1));
            EXPECT_EQ(Narrow(info.shortTitle), Narrow(info.title));
            EXPECT_EQ(Narrow(info.units), "");
            EXPECT_EQ(info.stepCount, 1);
            EXPECT_EQ(info.defaultNormalizedValue, vst2.GetParameter(i));
            EXPECT_EQ(info.defaultNormalizedValue, 0.0);
            EXPECT_EQ(info.unitId, 0);
            EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);

            // Texts for values, against the VST 2 build's display of the same setting; then
            // back from the text to the value.
            for (double v : {0.0, 0.2, 0.49, 0.5, 0.51, 1.0}) {
                vst2.SetParameter(i, static_cast<float>(v));
                char16_t text[128];
                ASSERT_EQ(c->getParamStringByValue(id, v, text), kResultOk);
                EXPECT_EQ(Narrow(text), vst2.Text(effGetParamDisplay, i)) << v;
                double back = -1.0;
                ASSERT_EQ(c->getParamValueByString(id, text, &back), kResultOk);
                EXPECT_EQ(back, v < 0.5 ? 0.0 : 1.0);
                EXPECT_EQ(c->normalizedParamToPlain(id, v), v < 0.5 ? 0.0 : 1.0);
                // Set by the host: the controller reports it, and it routes as the VST 2 build.
                ASSERT_EQ(c->setParamNormalized(id, v), kResultOk);
                EXPECT_EQ(c->getParamNormalized(id), vst2.GetParameter(i));
            }
            char16_t unknown[] = u"on";
            double value = 0.0;
            EXPECT_EQ(c->getParamValueByString(id, unknown, &value), kResultFalse);
            EXPECT_EQ(c->plainParamToNormalized(id, 1.0), 1.0);
            EXPECT_EQ(c->plainParamToNormalized(id, 0.0), 0.0);
            // Just under a half is the lower state, by the format's rounding (not a float's).
            ASSERT_EQ(c->setParamNormalized(id, 0.49999999999), kResultOk);
            EXPECT_EQ(c->getParamNormalized(id), 0.0);
            // A NaN from the host reads as the first state, never as an index of its own.
            const double nan = std::numeric_limits<double>::quiet_NaN();
            char16_t nanText[128];
            ASSERT_EQ(c->getParamStringByValue(id, nan, nanText), kResultOk);
            EXPECT_EQ(Narrow(nanText), "muted");
            EXPECT_EQ(c->normalizedParamToPlain(id, nan), 0.0);
        }
        ParameterInfo info;
        char16_t text[128];
        EXPECT_EQ(c->getParameterInfo(8, &info), kInvalidArgument);
        EXPECT_EQ(c->getParameterInfo(-1, &info), kInvalidArgument);
        EXPECT_EQ(c->getParamStringByValue(8, 0.0, text), kInvalidArgument);
        EXPECT_EQ(c->setParamNormalized(8, 1.0), kInvalidArgument);
        EXPECT_EQ(handler.calls, 0);
    }
    // Terminate gave the handler back.
    EXPECT_EQ(handler.references, 1u);
}

}  // namespace
