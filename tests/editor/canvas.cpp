#include "canvas.h"

#include <cstdio>
#include <sstream>
#include <utility>

namespace {

intptr_t VSTCALLBACK VersionOnlyHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::string Format(const char* name, std::initializer_list<double> values) {
    std::ostringstream out;
    out << name;
    for (double v : values) out << ' ' << v;
    return out.str();
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace

COrbel* MakeBareAdapter() {
    return createAdapter(nullptr, OrbelCallbacks{}, VersionOnlyHost, 1, 0);
}

Canvas::Canvas(int32_t width, int32_t height)
    : adapter_(MakeBareAdapter()), context_(COffscreenContext::Create(width, height)) {
    adapter_->drawContext = context_;
}

Canvas::~Canvas() {
    adapter_->drawContext = nullptr;
    if (context_) context_->forget();
    delete adapter_;
}

const PixelBuffer& Canvas::Read() {
    pixels_ = {};
    if (context_) context_->readPixels(pixels_);
    return pixels_;
}

uint32_t Canvas::Pixel(int32_t x, int32_t y) {
    Read();
    if (x < 0 || y < 0 || x >= pixels_.width || y >= pixels_.height) return 0;
    return pixels_.argb[static_cast<size_t>(y) * pixels_.width + x];
}

std::vector<std::string> Canvas::Lit() {
    Read();
    std::vector<std::string> lit;
    for (int32_t y = 0; y < pixels_.height; ++y) {
        for (int32_t x = 0; x < pixels_.width; ++x) {
            if (pixels_.argb[static_cast<size_t>(y) * pixels_.width + x] >> 24) {
                lit.push_back(std::to_string(x) + "," + std::to_string(y));
            }
        }
    }
    return lit;
}

int32_t Canvas::CountLit() {
    return static_cast<int32_t>(Lit().size());
}

std::string Canvas::Picture() {
    Read();
    std::string picture;
    for (int32_t y = 0; y < pixels_.height; ++y) {
        for (int32_t x = 0; x < pixels_.width; ++x) {
            const uint32_t a = pixels_.argb[static_cast<size_t>(y) * pixels_.width + x] >> 24;
            picture += a == 255 ? '#' : a ? '+' : '.';
        }
        picture += '\n';
    }
    return picture;
}

void RecordingSurface::SetPenColor(uint32_t argb) {
    Log("PenColor " + Hex(argb));
}
void RecordingSurface::SetPenWidth(float width) {
    Log(Format("PenWidth", {width}));
}
void RecordingSurface::SetFillColor(uint32_t argb) {
    Log("FillColor " + Hex(argb));
}
void RecordingSurface::SetTextColor(uint32_t argb) {
    Log("TextColor " + Hex(argb));
}
void RecordingSurface::SetSmoothing(bool antiAliased) {
    Log(antiAliased ? "Smoothing on" : "Smoothing off");
}
void RecordingSurface::SetTextHint(TextHint hint) {
    Log(Format("TextHint", {static_cast<double>(hint)}));
}
void RecordingSurface::SetClip(int32_t x, int32_t y, int32_t width, int32_t height) {
    Log(Format("Clip", {double(x), double(y), double(width), double(height)}));
}
void RecordingSurface::FillRect(float x, float y, float width, float height) {
    Log(Format("FillRect", {x, y, width, height}));
}
void RecordingSurface::StrokeRect(float x, float y, float width, float height) {
    Log(Format("StrokeRect", {x, y, width, height}));
}
void RecordingSurface::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Log(Format("Line", {double(x0), double(y0), double(x1), double(y1)}));
}
void RecordingSurface::FillEllipse(int32_t x, int32_t y, int32_t width, int32_t height) {
    Log(Format("FillEllipse", {double(x), double(y), double(width), double(height)}));
}
void RecordingSurface::StrokeEllipse(int32_t x, int32_t y, int32_t width, int32_t height) {
    Log(Format("StrokeEllipse", {double(x), double(y), double(width), double(height)}));
}
void RecordingSurface::FillArc(float x, float y, float width, float height, float start,
                               float sweep) {
    Log(Format("FillArc", {x, y, width, height, start, sweep}));
}
void RecordingSurface::StrokeArc(float x, float y, float width, float height, float start,
                                 float sweep) {
    Log(Format("StrokeArc", {x, y, width, height, start, sweep}));
}
float RecordingSurface::FontLineHeight(const PlatformFont&) {
    return 10.0f;
}
void RecordingSurface::Text(const PlatformFont&, const char* utf8, float left, float top) {
    Log(Format("Text", {left, top}) + " " + utf8);
}
float RecordingSurface::MeasureText(const PlatformFont&, const char* utf8) {
    Log(std::string("Measure ") + utf8);
    return 7.0f * static_cast<float>(std::string(utf8).size());
}
void RecordingSurface::Image(const PlatformImage&, int32_t x, int32_t y, int32_t width,
                             int32_t height, int32_t srcX, int32_t srcY, int32_t alpha) {
    Log(Format("Image", {double(x), double(y), double(width), double(height), double(srcX),
                         double(srcY), double(alpha)}));
}

RecordingCanvas::RecordingCanvas()
    : adapter_(MakeBareAdapter()),
      context_(new CDrawContext(std::make_unique<RecordingSurface>(log_), nullptr)) {
    adapter_->drawContext = context_;
    log_.clear();
}

RecordingCanvas::~RecordingCanvas() {
    adapter_->drawContext = nullptr;
    context_->forget();
    delete adapter_;
}

std::vector<std::string> RecordingCanvas::Take() {
    return std::exchange(log_, {});
}
