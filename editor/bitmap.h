// A bitmap and the slot through which the runtime holds one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editor/draw_backend.h"
#include "editor/geometry.h"
#include "plugin/base_object.h"

class CBitmap : public CBaseObject {
  public:
    enum ResourceKind : int32_t { kResourceNumber = 0, kResourceName = 1, kNoResource = 2 };

    // Holds the platform library for as long as the bitmap lives; usable() tells whether the
    // library could be started.
    CBitmap();
    ~CBitmap() override;

    bool usable() const { return holdsLibrary_; }
    // Takes the decoded image and its size (0 x 0 for none).
    void setImage(std::unique_ptr<PlatformImage> image);
    const PlatformImage* image() const { return image_.get(); }

    double width = 0.0;
    double height = 0.0;
    ResourceKind resourceKind = kNoResource;
    int32_t resourceNumber = 0;
    std::string resourceName;
    // Stored and reported only; drawing does not use them.
    CColor transparentColor{255, 255, 255, 0};
    uint8_t noAlpha = 1;

  private:
    std::unique_ptr<PlatformImage> image_;
    bool holdsLibrary_;
};

// The runtime's handle: one heap cell holding null or one reference to a bitmap.
struct BitmapSlot {
    CBitmap* bitmap = nullptr;
};
