// Drawing targets for the tests: an adapter with an offscreen context attached (pixels read
// back from the platform backend), and one over a surface that records the calls it gets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/draw_context.h"
#include "editor/offscreen_context.h"
#include "plugin/orbel.h"

// An adapter without a runtime, as the drawing functions see one.
COrbel* MakeBareAdapter();

class Canvas {
  public:
    Canvas(int32_t width, int32_t height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    COrbel* adapter() const { return adapter_; }
    CDrawContext* context() const { return context_; }
    // Unpremultiplied ARGB of one pixel (reads the whole surface back each time).
    uint32_t Pixel(int32_t x, int32_t y);
    const PixelBuffer& Read();
    // The pixels whose alpha is not 0, as "x,y" strings in row order.
    std::vector<std::string> Lit();
    int32_t CountLit();
    // A compact picture of the alpha channel: '#' for opaque, '+' partial, '.' empty.
    std::string Picture();

  private:
    COrbel* adapter_;
    COffscreenContext* context_;
    PixelBuffer pixels_;
};

// Records every surface call as text ("FillRect 0 0 10 10"), for the rules the portable code
// decides whatever the platform.
class RecordingSurface : public DrawSurface {
  public:
    explicit RecordingSurface(std::vector<std::string>& log) : log_(log) {}
    void SetPenColor(uint32_t argb) override;
    void SetPenWidth(float width) override;
    void SetFillColor(uint32_t argb) override;
    void SetTextColor(uint32_t argb) override;
    void SetSmoothing(bool antiAliased) override;
    void SetTextHint(TextHint hint) override;
    void SetClip(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void FillRect(float x, float y, float width, float height) override;
    void StrokeRect(float x, float y, float width, float height) override;
    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) override;
    void FillEllipse(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void StrokeEllipse(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void FillArc(float x, float y, float width, float height, float start, float sweep) override;
    void StrokeArc(float x, float y, float width, float height, float start, float sweep) override;
    // Every font is 10 pixels high and every text 7 pixels wide per character.
    float FontLineHeight(const PlatformFont& font) override;
    void Text(const PlatformFont& font, const char* utf8, float left, float top) override;
    float MeasureText(const PlatformFont& font, const char* utf8) override;
    void Image(const PlatformImage& image, int32_t x, int32_t y, int32_t width, int32_t height,
               int32_t srcX, int32_t srcY, int32_t alpha) override;
    bool ReadPixels(PixelBuffer&) override { return false; }

  private:
    void Log(const std::string& line) { log_.push_back(line); }
    std::vector<std::string>& log_;
};

class RecordingCanvas {
  public:
    RecordingCanvas();
    ~RecordingCanvas();
    RecordingCanvas(const RecordingCanvas&) = delete;
    RecordingCanvas& operator=(const RecordingCanvas&) = delete;

    COrbel* adapter() const { return adapter_; }
    CDrawContext* context() const { return context_; }
    // The calls recorded since the last Take.
    std::vector<std::string> Take();

  private:
    std::vector<std::string> log_;
    COrbel* adapter_;
    CDrawContext* context_;
    GraphicsLibraryHold library_;  // fonts are made only while the library runs
};
