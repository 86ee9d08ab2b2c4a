#include <new>

#include "editor/bitmap.h"
#include "editor/draw_api.h"
#include "editor/draw_context.h"
#include "plugin/orbel.h"

namespace {

void Empty(BitmapSlot* slot) {
    if (slot->bitmap) slot->bitmap->forget();
    slot->bitmap = nullptr;
}

// Each load starts from an empty slot, so a failed load never leaves the old image behind.
template <typename Load>
int LoadInto(BitmapSlot* slot, CBitmap::ResourceKind kind, Load load) {
    if (!slot) return 0;
    Empty(slot);
    auto* bitmap = new (std::nothrow) CBitmap;
    if (!bitmap) return 0;
    bitmap->resourceKind = kind;
    try {
        // Decoding needs the platform library running, which the bitmap now holds.
        if (bitmap->usable()) bitmap->setImage(load(*bitmap));
    } catch (const std::bad_alloc&) {
        bitmap->setImage(nullptr);
    }
    if (!(bitmap->width > 0.0 && bitmap->height > 0.0)) {
        bitmap->forget();
        return 0;
    }
    slot->bitmap = bitmap;
    return 1;
}

int Draw(BitmapSlot* slot, COrbel* adapter, double left, double top, double right, double bottom,
         double srcX, double srcY, int alpha) {
    if (!slot || !slot->bitmap || !adapter || !adapter->drawContext) return 0;
    CDrawContext* context = adapter->drawContext;
    const PlatformImage* image = slot->bitmap->image();
    if (!image || !context->surface()) return 1;
    // Each value is truncated on its own, the offset included; the source area has the size
    // of the destination (no scaling).
    const int32_t x = TruncateToInt(context->offsetX) + TruncateToInt(left);
    const int32_t y = TruncateToInt(context->offsetY) + TruncateToInt(top);
    const int32_t width = TruncateToInt(right - left);
    const int32_t height = TruncateToInt(bottom - top);
    context->surface()->Image(*image, x, y, width, height, TruncateToInt(srcX), TruncateToInt(srcY),
                              alpha);
    return 1;
}

}  // namespace

BitmapSlot* BitmapCreateHandle() {
    return new (std::nothrow) BitmapSlot;
}

int BitmapFreeHandle(BitmapSlot* slot) {
    if (!slot) return 0;
    Empty(slot);
    delete slot;
    return 1;
}

int BitmapLoadFile(BitmapSlot* slot, const char* path) {
    if (slot && !path) {
        Empty(slot);
        return 0;
    }
    return LoadInto(slot, CBitmap::kNoResource,
                    [path](CBitmap&) { return PlatformDrawBackend().LoadImageFile(path); });
}

int BitmapLoadResourceName(BitmapSlot* slot, const char* name) {
    if (slot && !name) {
        Empty(slot);
        return 0;
    }
    return LoadInto(slot, CBitmap::kResourceName, [name](CBitmap& bitmap) {
        bitmap.resourceName = name;
        return PlatformDrawBackend().LoadImageResource(name, 0);
    });
}

// Resource numbers are 16-bit identifiers.
int BitmapLoadResourceId(BitmapSlot* slot, int number) {
    return LoadInto(slot, CBitmap::kResourceNumber, [number](CBitmap& bitmap) {
        bitmap.resourceNumber = number;
        return PlatformDrawBackend().LoadImageResource(nullptr, static_cast<uint16_t>(number));
    });
}

double BitmapGetWidth(BitmapSlot* slot) {
    if (!slot || !slot->bitmap) return 0.0;
    return static_cast<double>(TruncateToInt(slot->bitmap->width));
}

double BitmapGetHeight(BitmapSlot* slot) {
    if (!slot || !slot->bitmap) return 0.0;
    return static_cast<double>(TruncateToInt(slot->bitmap->height));
}

int BitmapGetTransparentColor(BitmapSlot* slot, int* red, int* green, int* blue, int* alpha) {
    if (!slot || !slot->bitmap) return 0;
    const CColor& c = slot->bitmap->transparentColor;
    if (red) *red = c.red;
    if (green) *green = c.green;
    if (blue) *blue = c.blue;
    if (alpha) *alpha = c.alpha;
    return 1;
}

int BitmapSetTransparentColor(BitmapSlot* slot, int red, int green, int blue, int alpha) {
    if (!slot || !slot->bitmap) return 0;
    slot->bitmap->transparentColor = MakeColor(red, green, blue, alpha);
    return 1;
}

int BitmapGetNoAlpha(BitmapSlot* slot) {
    if (!slot || !slot->bitmap) return 0;
    return slot->bitmap->noAlpha;
}

int BitmapSetNoAlpha(BitmapSlot* slot, int flag) {
    if (!slot || !slot->bitmap) return 0;
    slot->bitmap->noAlpha = static_cast<uint8_t>(flag & 0xFF);
    return 1;
}

int BitmapDraw(BitmapSlot* slot, COrbel* adapter, double left, double top, double right,
               double bottom, double srcX, double srcY) {
    return Draw(slot, adapter, left, top, right, bottom, srcX, srcY, 255);
}

int BitmapDrawTransparent(BitmapSlot* slot, COrbel* adapter, double left, double top, double right,
                          double bottom, double srcX, double srcY) {
    return Draw(slot, adapter, left, top, right, bottom, srcX, srcY, 255);
}

int BitmapDrawAlpha(BitmapSlot* slot, COrbel* adapter, double left, double top, double right,
                    double bottom, double srcX, double srcY, int alpha) {
    return Draw(slot, adapter, left, top, right, bottom, srcX, srcY, alpha & 0xFF);
}
