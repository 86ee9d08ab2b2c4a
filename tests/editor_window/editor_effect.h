// A small effect that asks for an editor: a runtime object whose callback table fills the
// editor's slots (idle 5, draw 7, mouse 8-10, keys 11-12) with recorders, made and closed the
// way a host makes and closes a plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/vst2_abi.h"
#include "runtime/zolt.h"

class COrbel;

struct MouseCall {
    char kind;  // 'd' down, 'u' up, 'm' moved
    double x;
    double y;
    int32_t buttons;
};

class EditorEffect : public TZolt {
  public:
    // What the draw callback paints: left half, right half (0 = draw nothing at all).
    uint32_t leftColor = 0;
    uint32_t rightColor = 0;
    int32_t width = 200;
    int32_t height = 100;
    bool redrawFromIdle = true;

    std::vector<MouseCall> mouse;
    std::vector<double> drawSizes;  // width, height of each draw
    int32_t draws = 0;
    int32_t idles = 0;
    int32_t keys = 0;
    int32_t lastRedrawAnswer = -1;
    bool contextDuringDraw = false;
};

// An instance around an EditorEffect, talking to the runtime tests' host (TestHost records
// the requests of every instance, in order).
class EditorInstance {
  public:
    // withDraw false leaves slot 7 empty; the effect creates its editor when the host opens
    // the plug-in (effOpen).
    explicit EditorInstance(bool withDraw = true, int32_t width = 200, int32_t height = 100);
    ~EditorInstance();
    EditorInstance(const EditorInstance&) = delete;
    EditorInstance& operator=(const EditorInstance&) = delete;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    AEffect* record() const { return record_; }
    COrbel* adapter() const { return adapter_; }
    EditorEffect& effect() { return *effect_; }

  private:
    EditorEffect* effect_;
    COrbel* adapter_ = nullptr;
    AEffect* record_ = nullptr;
};
