// One LV2 plug-in instance: the product's hosted effect, fed from LV2 ports. Control ports
// become parameter changes, the time port the time answers, and the state interface the
// effect's chunk.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "product/hosted_effect.h"
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
    // [audio] Applies changed control values (a toggled port's value above 0 as on, anything
    // else as off), processes one block (in pieces no longer than the announced block size),
    // follows the time port. Never allocates.
    void Run(uint32_t frames);

    // [any] The effect's state chunk, copied into chunk; false when the effect gives none.
    // Safe while Run() runs on another thread: the runtime's state calls take their own lock
    // and the audio path takes none.
    bool SaveChunk(std::vector<uint8_t>& chunk) const;
    // [main] Restores a chunk through the effect's state path, at once. Ports whose values differ
    // from the restored ones are applied at the next Run(): hosts set the ports after restoring.
    void RestoreChunk(const void* data, uint32_t size);

    // [any] null without urid:map.
    const LV2_URID_Map* UridMap() const { return map_; }
    LV2_URID ChunkKey() const { return chunkKey_; }
    LV2_URID ChunkType() const { return chunkType_; }

  private:
    Lv2Instance() = default;
    std::unique_ptr<HostedEffect> effect_;
    Lv2PortLayout layout_;
    std::vector<float*> inputs_;
    std::vector<float*> outputs_;
    std::vector<const float*> controls_;
    // The value last passed on from each port (or restored): a port is passed on only when
    // it differs, so run() costs no parameter work while nothing moves.
    std::vector<float> applied_;
    std::vector<uint8_t> toggled_;          // per port: an on/off switch (ParameterSteps::Toggled)
    std::vector<ParameterChange> changes_;  // sized once: run() never allocates
    // [audio] The ports' bits at the last run; a run that finds them all alike (and no port
    // connected and no chunk restored since, rescan_) passes nothing on.
    bool ControlsMoved();
    std::vector<uint32_t> seen_;
    bool rescan_ = true;
    const LV2_Atom_Sequence* timeEvents_ = nullptr;
    Lv2Time time_;
    const LV2_URID_Map* map_ = nullptr;
    LV2_URID chunkKey_ = 0;
    LV2_URID chunkType_ = 0;
};
