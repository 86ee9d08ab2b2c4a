// A small plug-in whose effect asks for an editor, so that the editor stack is tested as a
// product: a host loads it, opens the editor into its own window and clicks in it. The editor
// shows two halves; the selected one is lit. A left click on a half selects it through the
// effect's one slider, which the host reads back as parameter 0.
#include <cstdint>

#include "editor/draw_api.h"
#include "editor/editor_services.h"
#include "plugin/host_services.h"
#include "plugin/vst2_abi.h"
#include "product/effect_factory.h"
#include "runtime/script_numbers.h"
#include "runtime/standard_variables.h"
#include "runtime/zolt.h"

namespace {

constexpr const char* kName = "Lotta editor test";
constexpr int32_t kWidth = 240;
constexpr int32_t kHeight = 120;
constexpr int32_t kSelectedSlider = 1;
// The graphics section's view of the left button (the runtime's rearranged flags).
constexpr int32_t kLeftButton = 1;

struct Color {
    int red;
    int green;
    int blue;
};
constexpr Color kLit{0, 255, 0};
constexpr Color kUnlit{255, 0, 0};

class TEditorTestEffect : public TZolt {
  public:
    TEditorTestEffect() {
        effectName = kName;
        productString = kName;
        programName = kName;
        vendorString = "Kelvane";
        vendorVersion = 1000;
        uniqueId = FourCharCode('L', 't', 'E', 'd');
        channelCount = 2;
        hasEditor = true;
        const int32_t position =
            AddSlider(kSelectedSlider, nullptr, 0.0, 0.0, 1.0, 1.0, "", "", "", "selected half");
        sliderDefs[static_cast<size_t>(position)].valueNames = {"left", "right"};
    }

    // [main & open] Clears the script state and makes the editor (kept while it exists).
    void Reset() override {
        TZolt::Reset();
        vars.Zero();
        buttonWasDown_ = false;
        createEditor(adapter, kWidth, kHeight);
    }

    // [main & resumed] Starts the editor's redraws.
    void RunInit() override { vars.InitPrologue(adapter, frameRate); }

    // [any] The slider is read where it is drawn; nothing to derive.
    void RunSlider() override { vars.CopyHostVariables(); }

    // [main] The graphics section: a new left press selects the half under the pointer, as
    // an automated parameter change, then both halves are painted.
    void RunGraphics() override {
        BeginFrame(vars);
        const bool down = (ToIndex(vars.mouseButtons) & kLeftButton) != 0;
        if (down && !buttonWasDown_) {
            const double right = vars.mouseX >= vars.canvasWidth / 2 ? 1.0 : 0.0;
            setParameterAutomated(adapter, 0, right);
        }
        buttonWasDown_ = down;
        const bool rightSelected = SliderAt(kSelectedSlider) == 1.0;
        const double middle = vars.canvasWidth / 2;
        FillHalf(0.0, middle, rightSelected ? kUnlit : kLit);
        FillHalf(middle, vars.canvasWidth, rightSelected ? kLit : kUnlit);
    }

  private:
    void FillHalf(double left, double right, Color color) {
        DrawSetFillColor(adapter, color.red, color.green, color.blue, 255);
        DrawRect(adapter, left, 0.0, right, vars.canvasHeight, 1);
    }

    StandardVariables vars;
    bool buttonWasDown_ = false;
};

}  // namespace

TZolt* NewEffect() {
    return new TEditorTestEffect;
}
