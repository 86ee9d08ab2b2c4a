// A small VST 3 host for the tests, written from the project's own declarations: it loads a
// bundle's binary through its exported functions as hosts do, and offers the host objects a
// plug-in is handed (a memory stream, parameter changes).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "product/vst3/vst3_component_abi.h"
#include "product/vst3/vst3_controller_abi.h"
#include "product/vst3/vst3_factory_abi.h"
#include "tools/plugin_loader/plugin_library.h"

namespace vst3test {

using namespace vst3;

// A host object owned by the test: it counts references and never deletes itself, so the test
// can check that the plug-in gives back every reference it took.
template <typename Interface>
class HostObject : public Interface {
  public:
    tresult VST3_API queryInterface(const char* iid, void** obj) override {
        if (SameUid(iid, FUnknown::iid) || SameUid(iid, Interface::iid)) {
            *obj = this;
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32_t VST3_API addRef() override { return ++references; }
    uint32_t VST3_API release() override { return --references; }
    uint32_t references = 1;
};

// A stream over bytes in memory that moves at most mostPerCall bytes a call, as a host's
// stream may.
class MemoryStream : public HostObject<IBStream> {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> content) : bytes(std::move(content)) {}
    tresult VST3_API read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override;
    tresult VST3_API write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override;
    tresult VST3_API seek(int64_t pos, int32_t mode, int64_t* result) override;
    tresult VST3_API tell(int64_t* pos) override;

    std::vector<uint8_t> bytes;
    size_t position = 0;
    int32_t mostPerCall = 1 << 30;
    bool refuseWrites = false;
};

class ParamValueQueue : public HostObject<IParamValueQueue> {
  public:
    explicit ParamValueQueue(ParamID parameter) : id(parameter) {}
    ParamID VST3_API getParameterId() override { return id; }
    int32_t VST3_API getPointCount() override { return static_cast<int32_t>(points.size()); }
    tresult VST3_API getPoint(int32_t index, int32_t* sampleOffset, ParamValue* value) override;
    tresult VST3_API addPoint(int32_t sampleOffset, ParamValue value, int32_t* index) override;

    ParamID id;
    std::vector<std::pair<int32_t, double>> points;
};

// One queue per parameter, points in the order added (hosts add them by offset).
class ParameterChanges : public HostObject<IParameterChanges> {
  public:
    int32_t VST3_API getParameterCount() override { return static_cast<int32_t>(queues.size()); }
    IParamValueQueue* VST3_API getParameterData(int32_t index) override;
    IParamValueQueue* VST3_API addParameterData(const ParamID* id, int32_t* index) override;
    void Add(ParamID id, int32_t offset, double value);
    void Clear() { queues.clear(); }

    std::deque<ParamValueQueue> queues;
};

// A loaded bundle binary: module entry called, factory taken; the reverse on destruction.
class Module {
  public:
    explicit Module(const std::string& path);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    // The built router bundle, loaded once per test process and kept, so that no instance a
    // failed test leaves behind outlives its code.
    static Module& Router();

    bool Loaded() const { return factory != nullptr; }
    IPluginFactory* factory = nullptr;

  private:
    std::unique_ptr<vst2host::PluginLibrary> library_;
};

// The class ID the router is known by in every host session; never changes.
inline constexpr Uid kRouterClassId = MakeUid(0x382F6869, 0xD6BA9245, 0x97D7C2CF, 0x2AC1BBBD);

// One instance set up as hosts do: created for IComponent, initialized, its controller and
// processor found through queryInterface, every bus stereo and active, processing set up,
// switched on and processing. The reverse on destruction.
class Instance {
  public:
    explicit Instance(Module& module = Module::Router(), int32_t maxBlock = 512,
                      int32_t sampleSize = kSample32, double rate = 44100.0);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool Valid() const { return component && processor && controller; }
    // The component's state; empty when getState fails.
    std::vector<uint8_t> State();
    tresult SetState(const std::vector<uint8_t>& bytes, int32_t mostPerCall = 1 << 30);

    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;
    IEditController* controller = nullptr;
    HostObject<FUnknown> hostContext;
};

// A UTF-16 text as UTF-8 for messages and comparisons (our texts are ASCII).
std::string Narrow(const char16_t* text);

}  // namespace vst3test
