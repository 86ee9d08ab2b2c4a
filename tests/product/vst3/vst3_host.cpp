#include "tests/product/vst3/vst3_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/plugin/router_library.h"

namespace vst3test {

tresult MemoryStream::read(void* buffer, int32_t numBytes, int32_t* numBytesRead) {
    if (numBytes < 0 || !buffer) return kInvalidArgument;
    const size_t count = std::min({static_cast<size_t>(numBytes), static_cast<size_t>(mostPerCall),
                                   bytes.size() - std::min(position, bytes.size())});
    if (count > 0) std::memcpy(buffer, bytes.data() + position, count);
    position += count;
    if (numBytesRead) *numBytesRead = static_cast<int32_t>(count);
    return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) {
    if (refuseWrites) return kResultFalse;
    if (numBytes < 0 || !buffer) return kInvalidArgument;
    const size_t count = std::min(static_cast<size_t>(numBytes), static_cast<size_t>(mostPerCall));
    if (bytes.size() < position + count) bytes.resize(position + count);
    std::memcpy(bytes.data() + position, buffer, count);
    position += count;
    if (numBytesWritten) *numBytesWritten = static_cast<int32_t>(count);
    return kResultOk;
}

tresult MemoryStream::seek(int64_t pos, int32_t mode, int64_t* result) {
    const int64_t base = mode == kIBSeekSet   ? 0
                         : mode == kIBSeekCur ? static_cast<int64_t>(position)
                                              : static_cast<int64_t>(bytes.size());
    if (base + pos < 0) return kInvalidArgument;
    position = static_cast<size_t>(base + pos);
    if (result) *result = static_cast<int64_t>(position);
    return kResultOk;
}

tresult MemoryStream::tell(int64_t* pos) {
    if (!pos) return kInvalidArgument;
    *pos = static_cast<int64_t>(position);
    return kResultOk;
}

tresult ParamValueQueue::getPoint(int32_t index, int32_t* sampleOffset, ParamValue* value) {
    if (index < 0 || index >= getPointCount() || !sampleOffset || !value) return kInvalidArgument;
    *sampleOffset = points[static_cast<size_t>(index)].first;
    *value = points[static_cast<size_t>(index)].second;
    return kResultOk;
}

tresult ParamValueQueue::addPoint(int32_t sampleOffset, ParamValue value, int32_t* index) {
    points.emplace_back(sampleOffset, value);
    if (index) *index = getPointCount() - 1;
    return kResultOk;
}

IParamValueQueue* ParameterChanges::getParameterData(int32_t index) {
    if (index < 0 || index >= getParameterCount()) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID* id, int32_t* index) {
    if (!id) return nullptr;
    for (size_t q = 0; q < queues.size(); ++q) {
        if (queues[q].id != *id) continue;
        if (index) *index = static_cast<int32_t>(q);
        return &queues[q];
    }
    queues.emplace_back(*id);
    if (index) *index = getParameterCount() - 1;
    return &queues.back();
}

void ParameterChanges::Add(ParamID id, int32_t offset, double value) {
    addParameterData(&id, nullptr)->addPoint(offset, value, nullptr);
}

using GetFactoryFunction = IPluginFactory*(VST3_API*)();
#ifdef _WIN32
using InitFunction = bool (*)();
#else
using EntryFunction = bool (*)(void*);
using ExitFunction = bool (*)();
#endif

Module::Module(const std::string& path) {
    try {
        library_ = std::make_unique<vst2host::PluginLibrary>(HostPath(path));
    } catch (const vst2host::LoadError& e) {
        ADD_FAILURE() << e.what();
        return;
    }
#ifdef _WIN32
    auto init = reinterpret_cast<InitFunction>(library_->symbol("InitDll"));
    if (init && !init()) {
        ADD_FAILURE() << "InitDll refused";
        return;
    }
#else
    auto entry = reinterpret_cast<EntryFunction>(library_->symbol("ModuleEntry"));
    if (!entry || !library_->symbol("ModuleExit")) {
        ADD_FAILURE() << "ModuleEntry or ModuleExit missing: hosts refuse the module";
        return;
    }
    // The host's module handle: ours answers every call without it.
    if (!entry(nullptr)) {
        ADD_FAILURE() << "ModuleEntry refused";
        return;
    }
#endif
    auto get = reinterpret_cast<GetFactoryFunction>(library_->symbol("GetPluginFactory"));
    factory = get ? get() : nullptr;
    if (!factory) ADD_FAILURE() << "no factory from GetPluginFactory";
}

Module::~Module() {
    if (!library_) return;
    if (factory) factory->release();
#ifdef _WIN32
    if (auto exit = reinterpret_cast<InitFunction>(library_->symbol("ExitDll"))) exit();
#else
    if (auto exit = reinterpret_cast<ExitFunction>(library_->symbol("ModuleExit"))) exit();
#endif
}

Module& Module::Router() {
    static Module* module = new Module(LOTTA_VST3_BINARY);
    return *module;
}

Instance::Instance(Module& module, int32_t maxBlock, int32_t sampleSize, double rate) {
    if (!module.Loaded()) return;
    void* object = nullptr;
    if (module.factory->createInstance(kRouterClassId.bytes, IComponent::iid.bytes, &object) !=
        kResultOk) {
        return;
    }
    component = static_cast<IComponent*>(object);
    if (component->initialize(&hostContext) != kResultOk) return;
    if (component->queryInterface(IEditController::iid.bytes, &object) == kResultOk)
        controller = static_cast<IEditController*>(object);
    if (component->queryInterface(IAudioProcessor::iid.bytes, &object) == kResultOk)
        processor = static_cast<IAudioProcessor*>(object);
    if (!processor) return;
    std::vector<SpeakerArrangement> stereo(8, kStereo);
    EXPECT_EQ(processor->setBusArrangements(stereo.data(), 8, stereo.data(), 8), kResultTrue);
    for (int32_t dir : {kInput, kOutput}) {
        for (int32_t bus = 0; bus < 8; ++bus) component->activateBus(kAudio, dir, bus, 1);
    }
    ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
    EXPECT_EQ(processor->setupProcessing(&setup), kResultOk);
    EXPECT_EQ(component->setActive(1), kResultOk);
    EXPECT_EQ(processor->setProcessing(1), kResultOk);
}

Instance::~Instance() {
    if (processor) {
        processor->setProcessing(0);
        component->setActive(0);
        processor->release();
    }
    if (controller) controller->release();
    if (component) {
        component->terminate();
        EXPECT_EQ(component->release(), 0u) << "references left on the component";
    }
    EXPECT_EQ(hostContext.references, 1u) << "the host context was kept";
}

std::vector<uint8_t> Instance::State() {
    MemoryStream stream;
    if (component->getState(&stream) != kResultOk) return {};
    EXPECT_EQ(stream.references, 1u);
    return stream.bytes;
}

tresult Instance::SetState(const std::vector<uint8_t>& bytes, int32_t mostPerCall) {
    MemoryStream stream(bytes);
    stream.mostPerCall = mostPerCall;
    const tresult result = component->setState(&stream);
    EXPECT_EQ(stream.references, 1u);
    return result;
}

std::string Narrow(const char16_t* text) {
    std::string narrow;
    for (; text && *text; ++text) narrow.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return narrow;
}

}  // namespace vst3test
