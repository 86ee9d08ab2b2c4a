#include "product/clap/clap_plugin.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "plugin/entry_guard.h"
#include "product/clap/clap_params.h"
#include "product/clap/clap_plugin_extensions.h"
#include "product/clap/clap_streams.h"
#include "product/clap/clap_time.h"

namespace {

// Parameter changes one piece of a block holds; a block with more is processed in pieces, each
// split where the list is full, so the array is made once.
constexpr size_t kChangesPerPiece = 1024;
// What the effect is opened at until the host activates it.
constexpr double kInitialRate = 44100.0;
constexpr int32_t kInitialBlock = 4096;

// The host's calls on the record. Each is a C boundary: nothing thrown leaves it.
bool CLAP_ABI PluginInit(const clap_plugin* plugin) {
    auto* self = plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
    return self && Guarded([&] { return self->Init(); }, false);
}

void CLAP_ABI PluginDestroy(const clap_plugin* plugin) {
    auto* self = plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
    Guarded([&] { delete self; });
}

bool CLAP_ABI PluginActivate(const clap_plugin* plugin, double rate, uint32_t, uint32_t maxFrames) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && Guarded([&] { return self->Activate(rate, maxFrames); }, false);
}

void CLAP_ABI PluginDeactivate(const clap_plugin* plugin) {
    if (ClapPlugin* self = ClapPlugin::Of(plugin)) Guarded([&] { self->Deactivate(); });
}

bool CLAP_ABI PluginStartProcessing(const clap_plugin* plugin) {
    return ClapPlugin::Of(plugin) != nullptr;
}

void CLAP_ABI PluginStopProcessing(const clap_plugin*) {}

// The router keeps nothing from one block to the next: there is nothing to clear.
void CLAP_ABI PluginReset(const clap_plugin*) {}

clap_process_status CLAP_ABI PluginProcess(const clap_plugin* plugin, const clap_process* process) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    if (!self || !process) return CLAP_PROCESS_ERROR;
    return Guarded([&] { return self->Process(*process); }, CLAP_PROCESS_ERROR);
}

const void* CLAP_ABI PluginGetExtension(const clap_plugin* plugin, const char* id) {
    if (!ClapPlugin::Of(plugin) || !id) return nullptr;
    return ClapExtension(id);
}

void CLAP_ABI PluginOnMainThread(const clap_plugin*) {}

// The buffers' precision: the first buffer that has channel pointers says.
bool UsesDoubles(const clap_process& p) {
    const clap_audio_buffer* lists[] = {p.audio_outputs, p.audio_inputs};
    const uint32_t counts[] = {p.audio_outputs_count, p.audio_inputs_count};
    for (int l = 0; l < 2; ++l) {
        for (uint32_t i = 0; lists[l] && i < counts[l]; ++i) {
            if (lists[l][i].data32) return false;
            if (lists[l][i].data64) return true;
        }
    }
    return false;
}

}  // namespace

const clap_plugin* ClapPlugin::Create(const clap_host* host,
                                      const clap_plugin_descriptor* descriptor) {
    auto* self = new ClapPlugin(host);
    self->record_ = {descriptor,
                     self,
                     PluginInit,
                     PluginDestroy,
                     PluginActivate,
                     PluginDeactivate,
                     PluginStartProcessing,
                     PluginStopProcessing,
                     PluginReset,
                     PluginProcess,
                     PluginGetExtension,
                     PluginOnMainThread};
    return &self->record_;
}

ClapPlugin* ClapPlugin::Of(const clap_plugin* plugin) {
    auto* self = plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
    return self && self->effect_ ? self : nullptr;
}

template <typename Sample>
void ClapPlugin::ChannelPointers<Sample>::Resize(uint32_t inputs, uint32_t outputs) {
    in.assign(inputs, nullptr);
    pieceIn.assign(inputs, nullptr);
    out.assign(outputs, nullptr);
    pieceOut.assign(outputs, nullptr);
}

bool ClapPlugin::Init() {
    if (effect_) return true;
    effect_ = HostedEffect::Open(kInitialRate, kInitialBlock);
    if (!effect_) return false;
    floats_.Resize(effect_->Inputs(), effect_->Outputs());
    doubles_.Resize(effect_->Inputs(), effect_->Outputs());
    changes_.reserve(kChangesPerPiece);
    return true;
}

ClapChannels ClapPlugin::Channels() const {
    return {effect_->Inputs(), effect_->Outputs(), effect_->CanDouble()};
}

bool ClapPlugin::Activate(double sampleRate, uint32_t maxFrames) {
    if (effect_->Active()) return false;
    effect_->Configure(sampleRate, static_cast<int32_t>(std::min<uint32_t>(maxFrames, INT32_MAX)));
    effect_->SetActive(true);
    return true;
}

void ClapPlugin::Deactivate() {
    effect_->SetActive(false);
}

bool ClapPlugin::SelectLayout(clap_id layout) {
    if (effect_->Active() || !ClapLayoutExists(layout)) return false;
    layout_ = layout;
    return true;
}

clap_process_status ClapPlugin::Process(const clap_process& process) {
    if (!effect_->Active()) return CLAP_PROCESS_ERROR;
    if (UsesDoubles(process) && effect_->CanDouble()) {
        Run(process, doubles_);
    } else {
        Run(process, floats_);
    }
    // Nothing is promised about the outputs' contents: no channel is marked constant.
    for (uint32_t i = 0; process.audio_outputs && i < process.audio_outputs_count; ++i)
        process.audio_outputs[i].constant_mask = 0;
    return CLAP_PROCESS_CONTINUE;
}

bool ClapPlugin::ChangeOf(const clap_event_header& header, uint32_t offset,
                          ParameterChange& change) const {
    if (header.type != CLAP_EVENT_PARAM_VALUE || header.size < sizeof(clap_event_param_value))
        return false;
    // Copied out: an event list owes no alignment beyond its header's.
    clap_event_param_value event;
    std::memcpy(&event, &header, sizeof event);
    if (event.param_id >= effect_->Parameters()) return false;
    float value = 0.0f;
    if (!ClapToEffect(effect_->Describe(event.param_id), event.value, &value)) return false;
    change = {offset, event.param_id, value};
    return true;
}

template <typename Sample>
void ClapPlugin::Run(const clap_process& p, ChannelPointers<Sample>& c) {
    const auto inputs = static_cast<uint32_t>(c.in.size());
    const auto outputs = static_cast<uint32_t>(c.out.size());
    Sample* const* in =
        ClapMapChannels(layout_, p.audio_inputs, p.audio_inputs_count, c.in.data(), inputs);
    Sample* const* out =
        ClapMapChannels(layout_, p.audio_outputs, p.audio_outputs_count, c.out.data(), outputs);
    const double rate = effect_->SampleRate();
    const uint32_t frames = p.frames_count;
    const VstTimeInfo* time = nullptr;
    if (p.transport) {
        time_ = ClapTimeInfo(*p.transport, rate);
        time = &time_;
    }
    const clap_input_events* list = p.in_events;
    const uint32_t count = list && list->size && list->get ? list->size(list) : 0;
    if (count == 0) {  // the usual block: no event, so one piece
        effect_->Process(in, out, frames, {}, time);
        return;
    }
    // The block in pieces: each runs from its start to the next transport event, or to the
    // event that would overfill the change list, with the parameter changes on the way.
    uint32_t start = 0, next = 0, latest = 0;
    for (;;) {
        changes_.clear();
        uint32_t end = frames;
        for (; next < count; ++next) {
            const clap_event_header* event = list->get(list, next);
            if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID) continue;
            // Events come sorted by time; one that is not counts from where the list had got
            // to, so the changes stay in order. Past the block, it counts at its end.
            const uint32_t at = std::clamp(event->time, latest, frames);
            latest = at;
            if (event->type == CLAP_EVENT_TRANSPORT &&
                event->size >= sizeof(clap_event_transport)) {
                if (at > start) {
                    end = at;
                    break;
                }
                clap_event_transport transport;
                std::memcpy(&transport, event, sizeof transport);
                time_ = ClapTimeInfo(transport, rate);
                time = &time_;
                continue;
            }
            ParameterChange change;
            if (!ChangeOf(*event, at - start, change)) continue;
            if (changes_.size() == changes_.capacity()) {
                end = at;
                break;
            }
            changes_.push_back(change);
        }
        // From frame 0 the mapped channels serve as they are.
        Sample* const* pieceIn = in;
        Sample* const* pieceOut = out;
        if (start > 0) {
            for (uint32_t i = 0; i < inputs; ++i) c.pieceIn[i] = in[i] ? in[i] + start : nullptr;
            for (uint32_t i = 0; i < outputs; ++i)
                c.pieceOut[i] = out[i] ? out[i] + start : nullptr;
            pieceIn = c.pieceIn.data();
            pieceOut = c.pieceOut.data();
        }
        effect_->Process(pieceIn, pieceOut, end - start, changes_, time);
        if (next >= count && end == frames) break;
        if (time) {
            time_ = effect_->TimeAfter(*time, end - start);
            time = &time_;
        }
        start = end;
    }
}

void ClapPlugin::Flush(const clap_input_events* list) {
    const uint32_t count = list && list->size && list->get ? list->size(list) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header* event = list->get(list, i);
        ParameterChange change;
        if (event && event->space_id == CLAP_CORE_EVENT_SPACE_ID && ChangeOf(*event, 0, change))
            effect_->SetParameter(change.index, change.value);
    }
}

bool ClapPlugin::Save(const clap_ostream& stream) const {
    std::vector<uint8_t> chunk;
    return effect_->SaveChunk(chunk) && ClapWriteAll(stream, chunk.data(), chunk.size());
}

bool ClapPlugin::Load(const clap_istream& stream) {
    std::vector<uint8_t> own;
    if (!effect_->SaveChunk(own)) return false;
    // One byte more than a chunk holds tells a longer stream from a chunk.
    std::vector<uint8_t> chunk(own.size() + 1);
    const int64_t size = ClapReadAtMost(stream, chunk.data(), chunk.size());
    if (size < 0 || !effect_->ChunkFits(chunk.data(), static_cast<size_t>(size))) return false;
    effect_->RestoreChunk(chunk.data(), static_cast<size_t>(size));
    return true;
}
