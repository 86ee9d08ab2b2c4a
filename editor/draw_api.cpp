#include "editor/draw_api.h"

#include <memory>
#include <new>

#include "editor/draw_context.h"
#include "editor/font_desc.h"
#include "plugin/orbel.h"

namespace {

CDrawContext* ContextOf(COrbel* adapter) {
    return adapter ? adapter->drawContext : nullptr;
}

// Only A-Z fold: the host's locale must not change which faces match.
char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

int DrawSetMode(COrbel* adapter, int mode) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->setDrawMode(mode);
    return 1;
}

int DrawSetFontColor(COrbel* adapter, int red, int green, int blue, int alpha) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->setFontColor(MakeColor(red, green, blue, alpha));
    return 1;
}

int DrawSetFillColor(COrbel* adapter, int red, int green, int blue, int alpha) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->setFillColor(MakeColor(red, green, blue, alpha));
    return 1;
}

int DrawSetFrameColor(COrbel* adapter, int red, int green, int blue, int alpha) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->setFrameColor(MakeColor(red, green, blue, alpha));
    return 1;
}

// The adapter's list caches faces only: its entries carry size 0 and style 0, so any call
// with a positive size gives the context a description of its own.
int DrawSetFont(COrbel* adapter, const char* face, int size, int style) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    if (!face) face = "";
    CFontDesc* base = nullptr;
    for (auto it = adapter->fontList.rbegin(); it != adapter->fontList.rend(); ++it) {
        auto* entry = static_cast<CFontDesc*>(*it);  // the list holds only descriptions
        if (EqualIgnoringAsciiCase(entry->name().c_str(), face)) {
            base = entry;
            break;
        }
    }
    // Descriptions copy their face: running out of memory must not unwind into the runtime.
    try {
        if (!base) {
            auto created = std::make_unique<CFontDesc>(face, 0.0, 0);
            adapter->fontList.push_back(created.get());
            base = created.release();
        }
        context->selectFont(base, size, style);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int DrawGetFontSize(COrbel* adapter) {
    CDrawContext* context = ContextOf(adapter);
    if (!context || !context->font) return 0;
    return TruncateToInt(context->font->size());
}

double DrawGetStringWidth(COrbel* adapter, const char* text) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0.0;
    return context->stringWidth(text);
}

int DrawMoveTo(COrbel* adapter, double x, double y) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->moveTo(x, y);
    return 1;
}

int DrawLineTo(COrbel* adapter, double x, double y) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->lineTo(x, y);
    return 1;
}

int DrawRect(COrbel* adapter, double left, double top, double right, double bottom, int style) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->drawRect(left, top, right, bottom, style);
    return 1;
}

int DrawEllipse(COrbel* adapter, double left, double top, double right, double bottom, int style) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->drawEllipse(left, top, right, bottom, style);
    return 1;
}

int DrawArc(COrbel* adapter, double left, double top, double right, double bottom,
            double startAngle, double endAngle, int style) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->drawArc(left, top, right, bottom, startAngle, endAngle, style);
    return 1;
}

int DrawPoint(COrbel* adapter, double x, double y, int red, int green, int blue, int alpha) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->drawPoint(x, y, MakeColor(red, green, blue, alpha));
    return 1;
}

// Reading pixels back is not offered: every pixel reads as opaque black.
int DrawGetPoint(COrbel* adapter, double /*x*/, double /*y*/, int* red, int* green, int* blue,
                 int* alpha) {
    if (!ContextOf(adapter)) return 0;
    if (red) *red = 0;
    if (green) *green = 0;
    if (blue) *blue = 0;
    if (alpha) *alpha = 255;
    return 1;
}

int DrawStringAt(COrbel* adapter, const char* text, double x, double y, int antialias) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->drawStringAt(text, x, y, (antialias & 0xFF) != 0);
    return 1;
}

int DrawString(COrbel* adapter, const char* text, double left, double top, double right,
               double bottom, int /*opaque*/, int align) {
    return DrawStringAligned(adapter, text, left, top, right, bottom, align, 1);
}

int DrawStringAligned(COrbel* adapter, const char* text, double left, double top, double right,
                      double bottom, int align, int antialias) {
    CDrawContext* context = ContextOf(adapter);
    if (!context) return 0;
    context->drawStringAligned(text, left, top, right, bottom, align, (antialias & 0xFF) != 0);
    return 1;
}
