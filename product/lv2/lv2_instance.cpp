#include "product/lv2/lv2_instance.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>
#include <string>

#include "plugin/entry_guard.h"

namespace {

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

// Where a control port the host has not connected reads: 0, and never passed on.
const float kUnconnected = 0.0f;

}  // namespace

Lv2Instance* Lv2Instance::Create(const char* pluginUri, double sampleRate,
                                 const LV2_Feature* const* features) {
    return Guarded(
        [&]() -> Lv2Instance* {
            // Owned until it is whole: the destructor closes what was opened on the way.
            std::unique_ptr<Lv2Instance> self(new Lv2Instance);
            self->map_ = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
            if (self->map_) {
                const std::string key = std::string(pluginUri) + kChunkKeySuffix;
                self->chunkKey_ = self->map_->map(self->map_->handle, key.c_str());
                self->chunkType_ = self->map_->map(self->map_->handle, LV2_ATOM__Chunk);
            }
            // Without the host's largest block the effect is told 4096 and runs longer
            // blocks in pieces of that size.
            self->effect_ = HostedEffect::Open(sampleRate, MaxBlockLength(features, self->map_));
            if (!self->effect_) return nullptr;
            self->time_.Map(self->map_);
            self->time_.SetSampleRate(self->effect_->SampleRate());
            self->layout_.inputs = self->effect_->Inputs();
            self->layout_.outputs = self->effect_->Outputs();
            self->layout_.parameters = self->effect_->Parameters();
            self->inputs_.assign(self->layout_.inputs, nullptr);
            self->outputs_.assign(self->layout_.outputs, nullptr);
            self->controls_.assign(self->layout_.parameters, &kUnconnected);
            self->applied_.resize(self->layout_.parameters);
            self->toggled_.resize(self->layout_.parameters);
            self->seen_.resize(self->layout_.parameters);
            self->changes_.reserve(self->layout_.parameters);
            for (uint32_t i = 0; i < self->layout_.parameters; ++i) {
                self->applied_[i] = self->effect_->Parameter(i);
                // The Turtle generator marks the same ports lv2:toggled.
                self->toggled_[i] = self->effect_->Describe(i).Toggled();
            }
            return self.release();
        },
        static_cast<Lv2Instance*>(nullptr));
}

Lv2Instance::~Lv2Instance() = default;

void Lv2Instance::Connect(uint32_t port, void* data) {
    if (port < layout_.FirstOutput()) {
        inputs_[port] = static_cast<float*>(data);
    } else if (port < layout_.FirstControl()) {
        outputs_[port - layout_.FirstOutput()] = static_cast<float*>(data);
    } else if (port < layout_.TimePort()) {
        controls_[port - layout_.FirstControl()] =
            data ? static_cast<const float*>(data) : &kUnconnected;
        rescan_ = true;
    } else if (port == layout_.TimePort()) {
        timeEvents_ = static_cast<const LV2_Atom_Sequence*>(data);
    }
}

void Lv2Instance::Activate() {
    effect_->SetActive(true);
}

void Lv2Instance::Deactivate() {
    effect_->SetActive(false);
}

bool Lv2Instance::ControlsMoved() {
    // Every port read once, as bits; an unconnected one reads 0 (connecting sets rescan_).
    // The differences are gathered without a branch a port; the bits are stored only when
    // one moved, so a run where nothing moves writes nothing here.
    const float* const* port = controls_.data();
    uint32_t* seen = seen_.data();
    const uint32_t count = layout_.parameters;
    uint32_t differ = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, port[i], sizeof bits);
        differ |= bits ^ seen[i];
    }
    if (!differ && !rescan_) return false;
    rescan_ = false;
    for (uint32_t i = 0; i < count; ++i) std::memcpy(&seen[i], port[i], sizeof seen[i]);
    return true;
}

void Lv2Instance::Run(uint32_t frames) {
    changes_.clear();
    // Ports holding the bits they held at the last run cannot differ from what was passed on.
    const bool moved = ControlsMoved();
    for (uint32_t i = 0; moved && i < layout_.parameters; ++i) {
        if (controls_[i] == &kUnconnected) continue;
        float value = *controls_[i];
        if (toggled_[i]) {
            // LV2 reads a toggle above zero as on, anything else (NaN too) as off. The effect
            // gets exactly its own two values: its rule (0.5 and above on) would keep 0.3 off.
            value = value > 0.0f ? 1.0f : 0.0f;
        } else if (std::isnan(value)) {
            continue;  // NaN never compares equal: it must not count as a change
        }
        if (value == applied_[i]) continue;
        applied_[i] = value;
        changes_.push_back({0, i, value});
    }
    // A host should connect every audio port. One it leaves unconnected stays null: the
    // effect reads a missing input as silence and leaves a missing output alone.
    time_.BlockStart(timeEvents_);
    effect_->Process(inputs_.data(), outputs_.data(), frames, changes_, time_.Info());
    time_.BlockEnd(timeEvents_, frames);
}

bool Lv2Instance::SaveChunk(std::vector<uint8_t>& chunk) const {
    return effect_->SaveChunk(chunk);
}

void Lv2Instance::RestoreChunk(const void* data, uint32_t size) {
    effect_->RestoreChunk(data, size);
    // The effect now holds the chunk's values. A port that differs from them is applied at
    // the next run(), so the effect ends up with what the host shows on its controls.
    for (uint32_t i = 0; i < layout_.parameters; ++i) applied_[i] = effect_->Parameter(i);
    rescan_ = true;
}
