#include "tests/product/clap/clap_test_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/plugin/router_library.h"

ClapLibrary& ClapLibrary::Get() {
    static ClapLibrary* library = new ClapLibrary;  // never unloaded: see the class
    return *library;
}

ClapLibrary::ClapLibrary() {
    const std::string path = HostPath(LOTTA_CLAP_PATH);
    try {
        library_ = std::make_unique<vst2host::PluginLibrary>(path);
    } catch (const vst2host::LoadError& e) {
        ADD_FAILURE() << e.what();
        return;
    }
    // A data object, not a function.
    const auto* entry = static_cast<const clap_plugin_entry*>(library_->symbol("clap_entry"));
    if (!entry || !ClapVersionIsCompatible(entry->clap_version) || !entry->init(path.c_str())) {
        ADD_FAILURE() << path << ": no usable clap_entry";
        return;
    }
    entry_ = entry;
}

const clap_plugin_factory* ClapLibrary::Factory() const {
    if (!entry_) return nullptr;
    return static_cast<const clap_plugin_factory*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

const clap_plugin_descriptor* ClapLibrary::Descriptor() const {
    const clap_plugin_factory* factory = Factory();
    return factory ? factory->get_plugin_descriptor(factory, 0) : nullptr;
}

ClapTestHost::ClapTestHost() {
    host.clap_version = CLAP_VERSION;
    host.host_data = this;
    host.name = "lotta test host";
    host.vendor = "";
    host.url = "";
    host.version = "1";
    host.get_extension = [](const clap_host* h, const char*) -> const void* {
        ++static_cast<ClapTestHost*>(h->host_data)->requests;
        return nullptr;
    };
    host.request_restart = host.request_process = host.request_callback = [](const clap_host* h) {
        ++static_cast<ClapTestHost*>(h->host_data)->requests;
    };
}

ClapEventList::ClapEventList() {
    input_.ctx = this;
    input_.size = Count;
    input_.get = Get;
}

uint32_t CLAP_ABI ClapEventList::Count(const clap_input_events* list) {
    return static_cast<uint32_t>(static_cast<const ClapEventList*>(list->ctx)->events_.size());
}

const clap_event_header* CLAP_ABI ClapEventList::Get(const clap_input_events* list,
                                                     uint32_t index) {
    const auto& events = static_cast<const ClapEventList*>(list->ctx)->events_;
    if (index >= events.size()) return nullptr;
    return reinterpret_cast<const clap_event_header*>(events[index].data());
}

namespace {

template <typename Event>
std::vector<uint64_t> Stored(const Event& event) {
    std::vector<uint64_t> storage((sizeof event + 7) / 8);
    std::memcpy(storage.data(), &event, sizeof event);
    return storage;
}

}  // namespace

void ClapEventList::AddParameter(uint32_t time, clap_id id, double value) {
    clap_event_param_value event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    events_.push_back(Stored(event));
}

void ClapEventList::AddTransport(uint32_t time, const clap_event_transport& transport) {
    clap_event_transport event = transport;
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    events_.push_back(Stored(event));
}

void ClapEventList::AddOther(uint32_t time, uint16_t space, uint16_t type) {
    // Shaped like a parameter change, so only its space or type tells it apart.
    clap_event_param_value event{};
    event.header = {sizeof event, time, space, type, 0};
    event.value = 1.0;
    events_.push_back(Stored(event));
}

ClapInstance::ClapInstance() {
    const clap_plugin_factory* factory = ClapLibrary::Get().Factory();
    const clap_plugin_descriptor* descriptor = ClapLibrary::Get().Descriptor();
    if (!factory || !descriptor) return;
    plugin_ = factory->create_plugin(factory, &host_.host, descriptor->id);
    if (!plugin_) {
        ADD_FAILURE() << "create_plugin failed";
        return;
    }
    EXPECT_EQ(host_.requests, 0) << "the plug-in called the host inside create_plugin";
    if (!plugin_->init(plugin_)) {
        ADD_FAILURE() << "init failed";
        plugin_->destroy(plugin_);
        plugin_ = nullptr;
        return;
    }
    params_ = Extension<clap_plugin_params>(CLAP_EXT_PARAMS);
    state_ = Extension<clap_plugin_state>(CLAP_EXT_STATE);
}

ClapInstance::~ClapInstance() {
    if (!plugin_) return;
    Deactivate();
    plugin_->destroy(plugin_);
}

bool ClapInstance::Activate(double rate, uint32_t maxFrames) {
    active_ = plugin_->activate(plugin_, rate, 1, maxFrames);
    return active_ && plugin_->start_processing(plugin_);
}

void ClapInstance::Deactivate() {
    if (!active_) return;
    plugin_->stop_processing(plugin_);
    plugin_->deactivate(plugin_);
    active_ = false;
}

double ClapInstance::Value(clap_id id) const {
    double value = 0.0;
    return params_->get_value(plugin_, id, &value) ? value : std::nan("");
}

void ClapInstance::Flush(const ClapEventList& events) {
    params_->flush(plugin_, events.Input(), nullptr);
}

bool ClapInstance::Save(std::vector<uint8_t>& bytes, size_t step) const {
    ClapOutStream out(step);
    const bool saved = state_->save(plugin_, &out.stream);
    bytes = out.bytes;
    return saved;
}

bool ClapInstance::Load(const std::vector<uint8_t>& bytes, size_t step) {
    ClapInStream in(bytes, step);
    return state_->load(plugin_, &in.stream);
}

ClapOutStream::ClapOutStream(size_t step, size_t failAt) : step(step), failAt(failAt) {
    stream.ctx = this;
    stream.write = [](const clap_ostream* s, const void* data, uint64_t size) -> int64_t {
        auto* self = static_cast<ClapOutStream*>(s->ctx);
        if (self->answer != INT64_MIN) return self->answer;
        if (self->bytes.size() >= self->failAt) return -1;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, self->step));
        const auto* from = static_cast<const uint8_t*>(data);
        self->bytes.insert(self->bytes.end(), from, from + n);
        return static_cast<int64_t>(n);
    };
}

ClapInStream::ClapInStream(std::vector<uint8_t> data, size_t step, size_t failAt)
    : bytes(std::move(data)), step(step), failAt(failAt) {
    stream.ctx = this;
    stream.read = [](const clap_istream* s, void* data, uint64_t size) -> int64_t {
        auto* self = static_cast<ClapInStream*>(s->ctx);
        if (self->read >= self->failAt) return -1;
        const size_t n = static_cast<size_t>(
            std::min<uint64_t>({size, self->step, self->bytes.size() - self->read}));
        if (n > 0) std::memcpy(data, self->bytes.data() + self->read, n);
        self->read += n;
        return static_cast<int64_t>(n);
    };
}
