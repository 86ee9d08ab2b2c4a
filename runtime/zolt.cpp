#include "runtime/zolt.h"

#include <cstring>
#include <vector>

#include "editor/editor_services.h"
#include "plugin/host_services.h"
#include "plugin/platform.h"
#include "runtime/chunk_byte_order.h"
#include "runtime/fft_tables.h"

namespace {
constexpr float kStateMarker = -1000.0f;
}

TZolt::TZolt() {
    EnsureTransformTables();
    TZolt::Reset();
}

TZolt::~TZolt() = default;

void TZolt::Reset() {
    ClearMemory();
    strings.clear();
    stringCount = 0.0;
    lastRedrawTicks = 0;
}

void TZolt::OnResume() {
    RunInit();
    RunSlider();
}

void TZolt::OnStateLoad() {
    if (stateLoadCount == 0) RunInit();
    stateLoadCount += 1;
}

void TZolt::OnIdle() {
    if (!(frameRate > 0.0)) return;
    // Unsigned difference: the millisecond counter may wrap.
    const auto elapsed =
        static_cast<uint32_t>(ClockMilliseconds()) - static_cast<uint32_t>(lastRedrawTicks);
    if (static_cast<double>(elapsed) > 1000.0 / frameRate) {
        redrawEditor(adapter);
        lastRedrawTicks = ClockMilliseconds();
    }
}

int32_t TZolt::GetState(void** data) {
    const auto lock = stateCalls.Lock();
    FileSlot& slot = files[0];
    slot.Reset(kFileSlotWrite);
    slot.data.assign(1, kStateMarker);
    slot.position = 1;
    RunSerialize();
    if (slot.data.size() == 1) return 0;
    *data = stateCalls.Publish(slot.data);
    SwapChunkByteOrder(*data, slot.data.size());
    return static_cast<int32_t>(slot.data.size() * sizeof(float));
}

int32_t TZolt::SetState(const void* bytes, int32_t size) {
    const auto lock = stateCalls.Lock();
    FileSlot& slot = files[0];
    // Read the host's bytes once, before the slot is emptied.
    const size_t count = size >= 4 && bytes ? static_cast<size_t>(size) / sizeof(float) : 0;
    std::vector<float> incoming(count);
    if (count) std::memcpy(incoming.data(), bytes, count * sizeof(float));
    SwapChunkByteOrder(incoming.data(), count);
    slot.Reset(kFileSlotRead);
    slot.data.assign(incoming.begin(), incoming.end());
    if (slot.data.empty()) return size;
    slot.position = 1;
    if (slot.data[0] != kStateMarker) return size;
    OnStateLoad();
    RunSerialize();
    RunSlider();
    return size;
}
