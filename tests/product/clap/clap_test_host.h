// A small CLAP host for the tests: loads the built .clap as a host does (the library, its
// clap_entry, init, the factory), makes instances through it and drives them through the
// plug-in record and its extension tables only, with event lists and state streams of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "product/clap/clap_extensions.h"
#include "tools/plugin_loader/plugin_library.h"

// The .clap, loaded and initialised once per test process and never unloaded, so no instance
// outlives its code. Entry() is null (and the calling test failed) when it cannot be loaded.
class ClapLibrary {
  public:
    static ClapLibrary& Get();
    const clap_plugin_entry* Entry() const { return entry_; }
    const clap_plugin_factory* Factory() const;
    const clap_plugin_descriptor* Descriptor() const;

  private:
    ClapLibrary();
    std::unique_ptr<vst2host::PluginLibrary> library_;
    const clap_plugin_entry* entry_ = nullptr;
};

// A host record that offers no extension and counts the plug-in's requests.
struct ClapTestHost {
    ClapTestHost();
    clap_host host{};
    int requests = 0;
};

// Events of one block or flush, in the order added (hosts sort them by time).
class ClapEventList {
  public:
    ClapEventList();
    void AddParameter(uint32_t time, clap_id id, double value);
    void AddTransport(uint32_t time, const clap_event_transport& transport);
    // An event of another kind or space the plug-in must pass over.
    void AddOther(uint32_t time, uint16_t space, uint16_t type);
    void Clear() { events_.clear(); }
    size_t Size() const { return events_.size(); }
    const clap_input_events* Input() const { return &input_; }

  private:
    static uint32_t CLAP_ABI Count(const clap_input_events* list);
    static const clap_event_header* CLAP_ABI Get(const clap_input_events* list, uint32_t index);
    // Each event in storage of its own, aligned as a host's list would align it.
    std::vector<std::vector<uint64_t>> events_;
    clap_input_events input_{};
};

// One instance made through the factory and initialised, with its extension tables.
class ClapInstance {
  public:
    ClapInstance();
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_plugin* plugin() const { return plugin_; }
    template <typename Table>
    const Table* Extension(const char* id) const {
        return static_cast<const Table*>(plugin_->get_extension(plugin_, id));
    }
    const clap_plugin_params* params() const { return params_; }
    const clap_plugin_state* state() const { return state_; }

    bool Activate(double rate, uint32_t maxFrames);
    void Deactivate();
    // A parameter's value as the host reads it; NaN when the plug-in gives none.
    double Value(clap_id id) const;
    void Flush(const ClapEventList& events);

    // The state through a stream that takes or gives at most step bytes a call.
    bool Save(std::vector<uint8_t>& bytes, size_t step = SIZE_MAX) const;
    bool Load(const std::vector<uint8_t>& bytes, size_t step = SIZE_MAX);

  private:
    ClapTestHost host_;
    const clap_plugin* plugin_ = nullptr;
    const clap_plugin_params* params_ = nullptr;
    const clap_plugin_state* state_ = nullptr;
    bool active_ = false;
};

// Streams over memory that move at most step bytes a call, and fail (-1) once failAt bytes
// have moved.
struct ClapOutStream {
    explicit ClapOutStream(size_t step = SIZE_MAX, size_t failAt = SIZE_MAX);
    clap_ostream stream{};
    std::vector<uint8_t> bytes;
    size_t step, failAt;
    int64_t answer = INT64_MIN;  // when set: what every write answers, whatever it was given
};
struct ClapInStream {
    explicit ClapInStream(std::vector<uint8_t> data, size_t step = SIZE_MAX,
                          size_t failAt = SIZE_MAX);
    clap_istream stream{};
    std::vector<uint8_t> bytes;
    size_t read = 0, step, failAt;
};
