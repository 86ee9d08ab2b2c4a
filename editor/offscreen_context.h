// A draw context over an offscreen 32-bit ARGB surface. Like a frame, it keeps the platform
// library running while it lives, so it can paint without an editor window.
#pragma once

#include <cstdint>

#include "editor/draw_context.h"
#include "editor/graphics_library.h"

// Declared first among the bases so the library outlives the surface.
class GraphicsLibraryHold {
  public:
    GraphicsLibraryHold() : held_(GraphicsLibrary::Acquire()) {}
    ~GraphicsLibraryHold() {
        if (held_) GraphicsLibrary::Release();
    }
    GraphicsLibraryHold(const GraphicsLibraryHold&) = delete;
    GraphicsLibraryHold& operator=(const GraphicsLibraryHold&) = delete;
    bool held() const { return held_; }

  private:
    bool held_;
};

class COffscreenContext : private GraphicsLibraryHold, public CDrawContext {
  public:
    // A width x height context filled with transparent black, with one reference; null
    // when the platform cannot make it.
    static COffscreenContext* Create(int32_t width, int32_t height);

    bool readPixels(PixelBuffer& pixels) { return surface() && surface()->ReadPixels(pixels); }

  private:
    COffscreenContext(int32_t width, int32_t height);
};
