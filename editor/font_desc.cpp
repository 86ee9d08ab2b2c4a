#include "editor/font_desc.h"

#include <array>
#include <mutex>
#include <new>

namespace {
// Descriptors are made and dropped on the editor thread and by adapters on host threads.
// Made on first use by the first descriptor (a standard font, at load), so it outlives them.
std::mutex& LiveMutex() {
    static std::mutex mutex;
    return mutex;
}
CFontDesc* gLiveHead = nullptr;
}  // namespace

CFontDesc::CFontDesc(const char* name, double size, int32_t style)
    : name_(name ? name : ""), size_(size), style_(style) {
    const std::lock_guard<std::mutex> lock(LiveMutex());
    liveNext_ = gLiveHead;
    if (gLiveHead) gLiveHead->livePrevious_ = this;
    gLiveHead = this;
}

CFontDesc::~CFontDesc() {
    const std::lock_guard<std::mutex> lock(LiveMutex());
    if (livePrevious_) livePrevious_->liveNext_ = liveNext_;
    if (liveNext_) liveNext_->livePrevious_ = livePrevious_;
    if (gLiveHead == this) gLiveHead = liveNext_;
}

void CFontDesc::setName(const char* name) {
    name_ = name ? name : "";
    releasePlatformFont();
}

void CFontDesc::setSize(double size) {
    size_ = size;
    releasePlatformFont();
}

void CFontDesc::setStyle(int32_t style) {
    style_ = style;
    releasePlatformFont();
}

PlatformFont* CFontDesc::platformFont() {
    if (!platformFontTried_) {
        platformFontTried_ = true;
        try {
            platformFont_ = PlatformDrawBackend().CreateFont(
                name_.c_str(), static_cast<float>(size_), PlatformStyleFor(style_));
        } catch (const std::bad_alloc&) {
            platformFont_.reset();
        }
    }
    return platformFont_.get();
}

void CFontDesc::releasePlatformFont() {
    platformFont_.reset();
    platformFontTried_ = false;
}

PlatformFontStyle PlatformStyleFor(int32_t style) {
    if (style & 4) return PlatformFontStyle::kUnderline;
    if (style & 2) return PlatformFontStyle::kItalic;
    if (style & 1) return PlatformFontStyle::kBold;
    return PlatformFontStyle::kRegular;
}

namespace {
// Made at load, in this order, and released when the library is unloaded (a host may load
// and unload the plug-in many times); a draw context still holding one keeps it alive.
struct StandardFonts {
    std::array<CFontDesc*, kStandardFontCount> fonts{
        new CFontDesc("Arial", 12, 0), new CFontDesc("Arial", 18, 0), new CFontDesc("Arial", 14, 0),
        new CFontDesc("Arial", 12, 0), new CFontDesc("Arial", 11, 0), new CFontDesc("Arial", 10, 0),
        new CFontDesc("Arial", 9, 0),  new CFontDesc("Symbol", 13, 0)};
    ~StandardFonts() {
        for (CFontDesc* font : fonts) font->forget();
    }
};
const StandardFonts gStandardFonts;
}  // namespace

CFontDesc* StandardFont(int32_t index) {
    if (index < 0 || index >= kStandardFontCount) return nullptr;
    return gStandardFonts.fonts[static_cast<size_t>(index)];
}

void ReleaseAllPlatformFonts() {
    const std::lock_guard<std::mutex> lock(LiveMutex());
    for (CFontDesc* font = gLiveHead; font; font = font->liveNext_) font->releasePlatformFont();
}
