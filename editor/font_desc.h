// A font description: face, size in pixels and style bits (1 bold, 2 italic, 4 underline),
// with the platform font made for it on first use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editor/draw_backend.h"
#include "plugin/base_object.h"

class CFontDesc : public CBaseObject {
  public:
    CFontDesc(const char* name, double size, int32_t style);
    ~CFontDesc() override;

    const std::string& name() const { return name_; }
    double size() const { return size_; }
    int32_t style() const { return style_; }
    // Each change drops the platform font made for the old description.
    void setName(const char* name);
    void setSize(double size);
    void setStyle(int32_t style);

    // [main] The platform font, made on first use; null when the face is not
    // installed (text with it is invisible and measures 0).
    PlatformFont* platformFont();
    void releasePlatformFont();
    bool holdsPlatformFont() const { return platformFont_ != nullptr; }

  private:
    std::string name_;
    double size_;
    int32_t style_;
    std::unique_ptr<PlatformFont> platformFont_;
    bool platformFontTried_ = false;
    // Every live descriptor is on one list, so that the library's end can take back all their
    // platform fonts (the adapters' font lists outlive editor windows).
    CFontDesc* livePrevious_ = nullptr;
    CFontDesc* liveNext_ = nullptr;
    friend void ReleaseAllPlatformFonts();
};

// The platform offers one style per font: underline wins over italic, italic over bold.
PlatformFontStyle PlatformStyleFor(int32_t style);

// The eight descriptions that exist for the life of the library; index 0 ("Arial", 12) is
// every draw context's first font.
constexpr int32_t kStandardFontCount = 8;
CFontDesc* StandardFont(int32_t index);
// Drops the platform font of every descriptor, the standard fonts included, before the
// platform library ends.
void ReleaseAllPlatformFonts();
