// A small, well-behaved stereo gain plug-in that a compile definition breaks in one way, so
// that `vst2host validate` can be shown to name the right check for each fault:
//   BROKEN_NAN_OUTPUT        every output sample is NaN
//   BROKEN_CHUNK             setChunk ignores what it is given
//   BROKEN_PARAMETER_RANGE   getParameter answers twice the value
//   BROKEN_ALLOCATES         every process call allocates
//   BROKEN_CRASH             processing writes to an unmapped address
//   BROKEN_HANG              processing never returns
//   BROKEN_THROWS            setParameter throws std::bad_alloc when a parameter is set to 1
//   BROKEN_SLOW_PARAMETER    setParameter takes 3 ms, longer than the audio of a small block
//   BROKEN_OPEN_THROWS       effOpen throws std::bad_alloc while another instance is open
//   BROKEN_NOISY             prints lines like a validator's report, and JSON, everywhere
//   BROKEN_PAST_BLOCK        processing copies the input through for the announced maximum
//                            block, whatever the call's frame count
//   BROKEN_STATE_TEXT        the chunk holds no parameters, a restore changes nothing, and
//                            every parameter shows the same text whatever its value
//   BROKEN_STACK_OVERFLOW    processing recurses until the stack runs out
//   BROKEN_FORKS             the first effOpen in a process forks a copy of the process that
//                            sleeps for ever, without exec, holding every descriptor
//   BROKEN_STUCK             effGetChunk never returns while another thread is processing
// Without any of them it passes every check. With BROKEN_PLUGIN_PIDS set in the environment,
// the hanging ones append to that file the id of each process about to hang, one a line.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <thread>

#include "plugin/vst2_abi.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kParams = 2;

// Instances between effOpen and effClose.
std::atomic<int> gOpen{0};
// Threads inside a process call, of any instance.
std::atomic<int> gProcessing{0};

// Tells a test which process is about to hang, so that it can see it ended.
[[maybe_unused]] void NotePid() {
    const char* path = std::getenv("BROKEN_PLUGIN_PIDS");
    if (path == nullptr) return;
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    char line[24];
    const int n = std::snprintf(line, sizeof line, "%d\n", static_cast<int>(::getpid()));
    if (::write(fd, line, static_cast<std::size_t>(n)) != n) std::perror("BROKEN_PLUGIN_PIDS");
    ::close(fd);
}

[[maybe_unused]] void SleepForever() {
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

struct Plugin {
    AEffect effect{};
    std::atomic<float> params[kParams] = {0.5f, 1.0f};
    float chunk[kParams] = {};
    int32_t maxBlock = 0;  // as announced with effSetBlockSize
};

Plugin& Of(AEffect* e) {
    return *static_cast<Plugin*>(e->object);
}

void CopyText(void* ptr, const char* text, std::size_t capacity) {
    std::strncpy(static_cast<char*>(ptr), text, capacity - 1);
    static_cast<char*>(ptr)[capacity - 1] = 0;
}

intptr_t VSTCALLBACK Dispatch(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                              float) {
    Plugin& p = Of(e);
    switch (opcode) {
        case effOpen:
#ifdef BROKEN_OPEN_THROWS
            if (gOpen.load() > 0) throw std::bad_alloc();
#endif
            gOpen.fetch_add(1);
#ifdef BROKEN_FORKS
            if (static bool forked = false; !forked) {
                forked = true;
                if (::fork() == 0) {
                    NotePid();
                    SleepForever();
                }
            }
#endif
            return 0;
        case effClose:
            gOpen.fetch_sub(1);
            delete &p;
            return 1;
        case effGetParamName:
            CopyText(ptr, index == 0 ? "Gain" : "Mix", 8);
            return 0;
        case effGetParamLabel:
            CopyText(ptr, index == 0 ? "x" : "%", 8);
            return 0;
        case effSetBlockSize:
            p.maxBlock = static_cast<int32_t>(value);
            return 0;
        case effGetParamDisplay: {
#ifdef BROKEN_STATE_TEXT
            CopyText(ptr, "on", 8);
            return 0;
#endif
            const float v = p.params[index >= 0 && index < kParams ? index : 0].load();
            const int tenths = static_cast<int>(v * 10.0f);
            const char text[] = {static_cast<char>('0' + tenths / 10), '.',
                                 static_cast<char>('0' + tenths % 10), 0};
            CopyText(ptr, text, 8);
            return 0;
        }
        case effGetEffectName:
        case effGetProductString:
            CopyText(ptr, "broken gain", 32);
            return 1;
        case effGetVendorString:
            CopyText(ptr, "Kelvane tests", 64);
            return 1;
        case effGetProgramName:
            CopyText(ptr, "default", 24);
            return 0;
        case effGetVstVersion:
            return 2400;
        case effGetChunk:
#ifdef BROKEN_STUCK
            if (gProcessing.load() > 0) {
                NotePid();
                SleepForever();
            }
#endif
#ifndef BROKEN_STATE_TEXT
            for (int i = 0; i < kParams; ++i) p.chunk[i] = p.params[i].load();
#endif
            *static_cast<void**>(ptr) = p.chunk;
            return sizeof p.chunk;
        case effSetChunk:
#if defined(BROKEN_CHUNK) || defined(BROKEN_STATE_TEXT)
            (void)value;
#else
            if (value == sizeof p.chunk && ptr != nullptr) {
                float in[kParams];
                std::memcpy(in, ptr, sizeof in);
                for (int i = 0; i < kParams; ++i) p.params[i] = in[i];
            }
#endif
            return 1;
        default:
            return 0;
    }
}

// What a chatty plug-in might print, made to look like the validator's own output.
void Chatter() {
#ifdef BROKEN_NOISY
    std::printf("R\tP\tprocess float\tfine\n\"}]}\nFAIL  threads  no\n");
    std::fprintf(stderr, "B\tthreads\nR\tF\tthreads\tprinted\n");
    std::fflush(stdout);
#endif
}

void VSTCALLBACK SetParameter(AEffect* e, int32_t index, float value) {
#ifdef BROKEN_THROWS
    if (value == 1.0f) throw std::bad_alloc();
#endif
#ifdef BROKEN_SLOW_PARAMETER
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
#endif
    Chatter();
    if (index < 0 || index >= kParams || !std::isfinite(value)) return;
    Of(e).params[index] = std::fmin(1.0f, std::fmax(0.0f, value));
}

float VSTCALLBACK GetParameter(AEffect* e, int32_t index) {
    if (index < 0 || index >= kParams) return 0.0f;
#ifdef BROKEN_PARAMETER_RANGE
    return 2.0f * Of(e).params[index].load();
#else
    return Of(e).params[index].load();
#endif
}

// Deep enough to run out of any thread's stack; each frame stays on it until the end.
[[maybe_unused]] __attribute__((noinline)) int Recurse(volatile char* previous, long depth) {
    volatile char frame[1024];
    frame[0] = previous != nullptr ? previous[0] : 1;
    const int below = depth > 0 ? Recurse(frame, depth - 1) : 0;
    return below + frame[0];
}

template <typename Sample>
void Process(AEffect* e, Sample** in, Sample** out, int32_t frames) {
    Chatter();
#ifdef BROKEN_STACK_OVERFLOW
    if (Recurse(nullptr, 1L << 40) == 0) return;
#endif
    gProcessing.fetch_add(1);
#ifdef BROKEN_ALLOCATES
    auto scratch = std::make_unique<Sample[]>(static_cast<std::size_t>(frames) + 1);
    scratch[0] = Sample(0);
#endif
#ifdef BROKEN_CRASH
    // Not null: the undefined-behaviour sanitizer would end the process before the fault, and
    // the validator is to see the signal a host would.
    volatile std::uintptr_t unmapped = 16;
    *reinterpret_cast<volatile int*>(unmapped) = frames;
#endif
#ifdef BROKEN_HANG
    if (frames > 0) NotePid();
    while (frames > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
#endif
    const auto gain = static_cast<Sample>(Of(e).params[0].load());
    for (int c = 0; c < 2; ++c) {
        for (int32_t j = 0; j < frames; ++j) {
            out[c][j] = in[c][j] * gain;
#ifdef BROKEN_NAN_OUTPUT
            out[c][j] = std::numeric_limits<Sample>::quiet_NaN();
#endif
        }
#ifdef BROKEN_PAST_BLOCK
        // A pass-through that trusts the announced maximum over the call's frame count.
        std::copy(in[c], in[c] + std::max(frames, Of(e).maxBlock), out[c]);
#endif
    }
    gProcessing.fetch_sub(1);
}

void VSTCALLBACK ProcessFloat(AEffect* e, float** in, float** out, int32_t frames) {
    Process(e, in, out, frames);
}

void VSTCALLBACK ProcessDouble(AEffect* e, double** in, double** out, int32_t frames) {
    Process(e, in, out, frames);
}

}  // namespace

TEST_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    auto* p = new Plugin;
    AEffect& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = Dispatch;
    e.setParameter = SetParameter;
    e.getParameter = GetParameter;
    e.processReplacing = ProcessFloat;
    e.processDoubleReplacing = ProcessDouble;
    e.numPrograms = 1;
    e.numParams = kParams;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks;
    e.object = p;
    e.uniqueID = FourCharCode('b', 'r', 'k', 'n');
    e.version = 1;
    return &e;
}
