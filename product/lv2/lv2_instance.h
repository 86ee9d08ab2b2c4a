// One LV2 plug-in instance: the product's own effect record, driven the way a VST 2 host
// drives it. Audio goes through processReplacing, control ports through setParameter, state
// through effGetChunk/effSetChunk, and the instance answers the runtime's host requests
// (sample rate, block size, time) from what the LV2 host gave it.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <vector>

#include "plugin/vst2_abi.h"
#include "product/lv2/lv2_ports.h"
#include "product/lv2/lv2_time.h"

class Lv2Instance {
  public:
    // [main] A new instance opened at the given rate, or null when the effect cannot be made.
    // Needs no feature; uses urid:map (state, time) and the maximum block length when given.
    static Lv2Instance* Create(const char* pluginUri, double sampleRate,
                               const LV2_Feature* const* features);
    // [main] Closes the effect.
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    // [audio] Hosts connect ports in the audio threading class; pointers are kept as given,
    // aliasing included: processReplacing copes with in-place and shared buffers.
    void Connect(uint32_t port, void* data);
    // [main]
    void Activate();
    void Deactivate();
    // [audio] Applies changed control values, processes one block, follows the time port.
    void Run(uint32_t frames);

    // [any] The effect's state chunk, copied into chunk; false when the effect gives none.
    // Safe while Run() runs on another thread: the runtime's state calls take their own lock
    // and the audio path takes none.
    bool SaveChunk(std::vector<uint8_t>& chunk) const;
    // [main] Restores a chunk through effSetChunk, at once. Ports whose values differ from the
    // restored ones are applied at the next Run(): hosts set the ports after restoring.
    void RestoreChunk(const void* data, uint32_t size);

    // [any] null without urid:map.
    const LV2_URID_Map* UridMap() const { return map_; }
    LV2_URID ChunkKey() const { return chunkKey_; }
    LV2_URID ChunkType() const { return chunkType_; }

  private:
    Lv2Instance() = default;
    static intptr_t VSTCALLBACK HostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                             intptr_t value, void* ptr, float opt);
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;

    AEffect* effect_ = nullptr;
    Lv2PortLayout layout_;
    double sampleRate_ = 44100.0;
    int32_t maxBlock_ = 4096;
    bool active_ = false;
    std::vector<float*> inputs_;
    std::vector<float*> outputs_;
    std::vector<const float*> controls_;
    // The value last passed to setParameter from each port (or restored): a port is passed
    // on only when it differs, so run() costs no parameter work while nothing moves.
    std::vector<float> applied_;
    const LV2_Atom_Sequence* timeEvents_ = nullptr;
    Lv2Time time_;
    const LV2_URID_Map* map_ = nullptr;
    LV2_URID chunkKey_ = 0;
    LV2_URID chunkType_ = 0;
};
