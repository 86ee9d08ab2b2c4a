// The runtime's graphics state: font selection, the frame start, the mouse and the image
// table.
#include <algorithm>
#include <cmath>

#include "editor/draw_api.h"
#include "editor/editor_services.h"
#include "plugin/host_services.h"
#include "runtime/chain.h"
#include "runtime/standard_variables.h"

namespace {

// Truncation toward zero; NaN and out-of-range values give the integer-indefinite value, as
// the processor's conversion does.
int32_t Truncate(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(x);
}

int32_t ColorByte(double channel) {
    return std::clamp(ToIndex(channel * 255.0), 0, 255);
}

// The view's flags (2 left, 4 middle, 8 right, 16 shift, 32 control, 64 alt) in the order
// graphics code reads them: 1 left, 2 right, 4 control, 8 shift, 16 alt, 64 middle.
double RearrangeButtons(int32_t buttons) {
    int32_t bits = 0;
    if (buttons & 2) bits |= 1;
    if (buttons & 8) bits |= 2;
    if (buttons & 32) bits |= 4;
    if (buttons & 16) bits |= 8;
    if (buttons & 64) bits |= 16;
    if (buttons & 4) bits |= 64;
    return bits;
}

// While the mouse is busy the editor redraws at least 30 times a second; NaN stays NaN.
void RaiseFrameRate(double& frameRate) {
    if (30.0 > LoadShared(frameRate)) StoreShared(frameRate, 30.0);
}

}  // namespace

void CZoltFonts::SetFont(int32_t slot, const std::string& face, double height, int32_t flags) {
    const double size = height * 0.85;
    GuardedStore(textHeight, size / 0.85);
    FontRecord& record = fonts[slot];
    record.face = face;
    GuardedStore(record.size, size);
    record.flags = flags;
    const int32_t pixels = ToIndex(size);
    // The drawing functions fail only without a draw context; an unknown face is not
    // detected here.
    if (!DrawSetFont(adapter, face.c_str(), pixels, flags)) {
        DrawSetFont(adapter, "verdana", pixels, flags);
    }
}

CZoltGraphics::~CZoltGraphics() {
    for (auto& [slot, handle] : images) {
        if (handle) BitmapFreeHandle(handle);
        handle = nullptr;
    }
}

void CZoltMouse::BeginFrame(StandardVariables& vars) {
    auto set = [](double& target, double value) { GuardedStoreShared(target, value); };
    int32_t width = 0;
    int32_t height = 0;
    if (getEditorSize(adapter, &width, &height) == 1) {
        set(vars.canvasWidth, width);
        set(vars.canvasHeight, height);
    }
    set(vars.mouseButtons, hostMouseButtons);
    set(vars.mouseX, hostMouseX);
    set(vars.mouseY, hostMouseY);
    if (IsNonZero(vars.clearColor)) {
        // Packed as blue * 65536 + green * 256 + red; only the low 24 bits count.
        const int32_t packed = Truncate(vars.clearColor) & 0xFFFFFF;
        set(vars.colorRed, (packed & 255) / 255.0);
        set(vars.colorGreen, ((packed >> 8) & 255) / 255.0);
        set(vars.colorBlue, ((packed >> 16) & 255) / 255.0);
        set(vars.colorAlpha, 1.0);
        GuardedStore(penX, vars.canvasWidth);
        GuardedStore(penY, vars.canvasHeight);
        DrawSetFillColor(adapter, ColorByte(vars.colorRed), ColorByte(vars.colorGreen),
                         ColorByte(vars.colorBlue), 255);
        DrawSetMode(adapter, 0);
        DrawRect(adapter, 0.0, 0.0, std::floor(penX), std::floor(penY), 1);
    }
    set(vars.colorRed, 0.0);
    set(vars.colorGreen, 0.0);
    set(vars.colorBlue, 0.0);
    GuardedStore(penX, 0.0);
    GuardedStore(penY, 0.0);
    set(vars.colorAlpha, 1.0);
    set(vars.drawMode, 0.0);
}

void CZoltMouse::OnMouseDown(double x, double y, int32_t buttons) {
    hostMouseX = x;
    hostMouseY = y;
    hostMouseButtons = RearrangeButtons(buttons);
    RaiseFrameRate(frameRate);
}

void CZoltMouse::OnMouseUp(double x, double y, int32_t /*buttons*/) {
    hostMouseButtons = 0.0;
    hostMouseX = x;
    hostMouseY = y;
    RaiseFrameRate(frameRate);
}

void CZoltMouse::OnMouseMove(double x, double y, int32_t /*buttons*/) {
    hostMouseX = x;
    hostMouseY = y;
    RaiseFrameRate(frameRate);
}
