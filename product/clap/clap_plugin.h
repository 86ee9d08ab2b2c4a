// One CLAP plug-in instance: the product's hosted effect behind a clap_plugin record. Port
// buffers become the effect's channels, parameter events changes at their frames, the
// transport the time answers, and the state streams the effect's chunk.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "product/clap/clap_extensions.h"
#include "product/clap/clap_ports.h"
#include "product/hosted_effect.h"

class ClapPlugin {
  public:
    // [any] (the factory's create_plugin) A new instance for host, not yet initialised: the
    // host is not called. Owned by the record: the record's destroy deletes it.
    static const clap_plugin* Create(const clap_host* host,
                                     const clap_plugin_descriptor* descriptor);
    // [any] The instance behind a record a host passes back; null for a null record or one
    // that is not initialised.
    static ClapPlugin* Of(const clap_plugin* plugin);
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    // [main] Opens the effect at a default rate; false when it cannot be made.
    bool Init();
    // [main & !active] Rate and largest block, then processing on. Any positive rate and
    // block size are taken.
    bool Activate(double sampleRate, uint32_t maxFrames);
    // [main & active]
    void Deactivate();
    // [audio & active] Processes one block: 32- or 64-bit as the buffers say, parameter
    // events at their frames, the transport (or none) as the time answers. Never allocates
    // or locks.
    clap_process_status Process(const clap_process& process);

    // [any] The effect Init opened (null before).
    HostedEffect* Effect() const { return effect_.get(); }
    // [any] What the ports have to offer.
    ClapChannels Channels() const;
    // [main] The port layout in use, and another one while deactivated (false when active
    // or for an unknown layout).
    clap_id Layout() const { return layout_; }
    bool SelectLayout(clap_id layout);

    // [audio if active, else main; never during Process] Applies the parameter events at once.
    void Flush(const clap_input_events* events);
    // [main] The effect's chunk into the stream; may run while Process runs on the audio
    // thread (the effect's state calls take their own lock, the audio path none).
    bool Save(const clap_ostream& stream) const;
    // [main] A chunk from the stream, through the effect's own state path. A stream that is
    // shorter or longer than the effect's chunk, or not one of its chunks, is refused and
    // changes nothing.
    bool Load(const clap_istream& stream);

  private:
    explicit ClapPlugin(const clap_host* host) : host_(host) {}
    // The channel pointers of one precision: as mapped from the ports, and offset for the
    // piece of the block being processed. Sized at Init, so processing never allocates.
    template <typename Sample>
    struct ChannelPointers {
        std::vector<Sample*> in, out, pieceIn, pieceOut;
        void Resize(uint32_t inputs, uint32_t outputs);
    };
    template <typename Sample>
    void Run(const clap_process& process, ChannelPointers<Sample>& channels);
    // The change a parameter event makes at offset, if it makes one.
    bool ChangeOf(const clap_event_header& event, uint32_t offset, ParameterChange& change) const;

    clap_plugin record_{};
    const clap_host* host_ = nullptr;
    std::unique_ptr<HostedEffect> effect_;
    clap_id layout_ = kClapWholeLayout;
    ChannelPointers<float> floats_;
    ChannelPointers<double> doubles_;
    std::vector<ParameterChange> changes_;  // reserved at Init; a block with more is split
    VstTimeInfo time_{};
};
