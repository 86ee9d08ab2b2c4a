#include "product/lv2/lv2_instance.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "plugin/entry_guard.h"
#include "product/effect_factory.h"
#include "runtime/instance_factory.h"

namespace {

// The VST 2 version the instance claims, as any current host does.
constexpr intptr_t kHostVersion = 2400;

const void* FindFeature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features) {
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    }
    return nullptr;
}

int32_t MaxBlockLength(const LV2_Feature* const* features, const LV2_URID_Map* map) {
    const auto* options =
        static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
    if (!options || !map) return 0;
    const LV2_URID key = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (; options->key; ++options) {
        if (options->key == key && options->type == intType && options->size == sizeof(int32_t))
            return *static_cast<const int32_t*>(options->value);
    }
    return 0;
}

}  // namespace

Lv2Instance* Lv2Instance::Create(const char* pluginUri, double sampleRate,
                                 const LV2_Feature* const* features) {
    return Guarded(
        [&]() -> Lv2Instance* {
            // Owned until it is whole: the destructor closes what was opened on the way.
            std::unique_ptr<Lv2Instance> self(new Lv2Instance);
            self->sampleRate_ =
                sampleRate > 0.0 && std::isfinite(sampleRate) ? sampleRate : 44100.0;
            self->map_ = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
            if (const int32_t block = MaxBlockLength(features, self->map_); block > 0)
                self->maxBlock_ = block;
            if (self->map_) {
                const std::string key = std::string(pluginUri) + kChunkKeySuffix;
                self->chunkKey_ = self->map_->map(self->map_->handle, key.c_str());
                self->chunkType_ = self->map_->map(self->map_->handle, LV2_ATOM__Chunk);
            }
            self->time_.Map(self->map_);
            self->time_.SetSampleRate(self->sampleRate_);

            self->effect_ = CreateInstance(NewEffect(), HostCallback);
            if (!self->effect_) return nullptr;
            // The record's user field is the host's: it leads the callback back here.
            self->effect_->user = self.get();
            self->layout_.inputs = static_cast<uint32_t>(std::max(self->effect_->numInputs, 0));
            self->layout_.outputs = static_cast<uint32_t>(std::max(self->effect_->numOutputs, 0));
            self->layout_.parameters = static_cast<uint32_t>(std::max(self->effect_->numParams, 0));
            self->inputs_.assign(self->layout_.inputs, nullptr);
            self->outputs_.assign(self->layout_.outputs, nullptr);
            self->controls_.assign(self->layout_.parameters, nullptr);
            self->applied_.resize(self->layout_.parameters);

            self->Dispatch(effOpen);
            self->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(self->sampleRate_));
            self->Dispatch(effSetBlockSize, 0, self->maxBlock_);
            for (uint32_t i = 0; i < self->layout_.parameters; ++i) {
                self->applied_[i] =
                    self->effect_->getParameter(self->effect_, static_cast<int32_t>(i));
            }
            return self.release();
        },
        static_cast<Lv2Instance*>(nullptr));
}

Lv2Instance::~Lv2Instance() {
    if (!effect_) return;
    if (active_) Dispatch(effMainsChanged, 0, 0);
    Dispatch(effClose);
}

intptr_t Lv2Instance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

intptr_t VSTCALLBACK Lv2Instance::HostCallback(AEffect* effect, int32_t opcode, int32_t, intptr_t,
                                               void*, float) {
    // The version is asked before the record exists, so before user leads anywhere.
    if (opcode == audioMasterVersion) return kHostVersion;
    auto* self = effect ? static_cast<Lv2Instance*>(effect->user) : nullptr;
    if (!self) return 0;
    switch (opcode) {
        case audioMasterGetTime:
            return reinterpret_cast<intptr_t>(self->time_.Info());
        case audioMasterGetSampleRate:
            return static_cast<intptr_t>(self->sampleRate_);
        case audioMasterGetBlockSize:
            return self->maxBlock_;
        default:
            return 0;
    }
}

void Lv2Instance::Connect(uint32_t port, void* data) {
    if (port < layout_.FirstOutput()) {
        inputs_[port] = static_cast<float*>(data);
    } else if (port < layout_.FirstControl()) {
        outputs_[port - layout_.FirstOutput()] = static_cast<float*>(data);
    } else if (port < layout_.TimePort()) {
        controls_[port - layout_.FirstControl()] = static_cast<const float*>(data);
    } else if (port == layout_.TimePort()) {
        timeEvents_ = static_cast<const LV2_Atom_Sequence*>(data);
    }
}

void Lv2Instance::Activate() {
    if (active_) return;
    Dispatch(effMainsChanged, 0, 1);
    active_ = true;
}

void Lv2Instance::Deactivate() {
    if (!active_) return;
    Dispatch(effMainsChanged, 0, 0);
    active_ = false;
}

void Lv2Instance::Run(uint32_t frames) {
    for (uint32_t i = 0; i < layout_.parameters; ++i) {
        if (!controls_[i]) continue;
        const float value = *controls_[i];
        // NaN never compares equal, so it is tested first: it must not count as a change.
        if (std::isnan(value) || value == applied_[i]) continue;
        applied_[i] = value;
        effect_->setParameter(effect_, static_cast<int32_t>(i), value);
    }
    // A host should connect every audio port. One it leaves unconnected stays null: the
    // effect reads a missing input as silence and leaves a missing output alone.
    time_.BlockStart(timeEvents_);
    effect_->processReplacing(effect_, inputs_.data(), outputs_.data(),
                              static_cast<int32_t>(frames));
    time_.BlockEnd(timeEvents_, frames);
}

bool Lv2Instance::SaveChunk(std::vector<uint8_t>& chunk) const {
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    chunk.assign(bytes, bytes + size);
    return true;
}

void Lv2Instance::RestoreChunk(const void* data, uint32_t size) {
    Dispatch(effSetChunk, 0, static_cast<intptr_t>(size), const_cast<void*>(data));
    // The effect now holds the chunk's values. A port that differs from them is applied at
    // the next run(), so the effect ends up with what the host shows on its controls.
    for (uint32_t i = 0; i < layout_.parameters; ++i)
        applied_[i] = effect_->getParameter(effect_, static_cast<int32_t>(i));
}
