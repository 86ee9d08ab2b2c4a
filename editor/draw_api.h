// The flat drawing functions the adapter offers the runtime. Each takes the adapter first and
// draws into the draw context attached to it; with no adapter or no attached context it does
// nothing and returns 0 (0.0). Bitmap functions take the runtime's bitmap slot first.
// Every function here is [main]: the graphics section draws while the effect view paints,
// and the font cache they fill is not shared with other threads.
#pragma once

#include <cstdint>

class COrbel;
struct BitmapSlot;

// Colours are four integers, each reduced to its low byte. Shape style: 0 stroked, 1 filled,
// 2 filled then stroked. Text alignment: 0 left, 1 centre, 2 right.
int DrawSetMode(COrbel* adapter, int mode);
int DrawSetFontColor(COrbel* adapter, int red, int green, int blue, int alpha);
int DrawSetFillColor(COrbel* adapter, int red, int green, int blue, int alpha);
int DrawSetFrameColor(COrbel* adapter, int red, int green, int blue, int alpha);
int DrawSetFont(COrbel* adapter, const char* face, int size, int style);
int DrawGetFontSize(COrbel* adapter);
double DrawGetStringWidth(COrbel* adapter, const char* text);
int DrawMoveTo(COrbel* adapter, double x, double y);
int DrawLineTo(COrbel* adapter, double x, double y);
int DrawRect(COrbel* adapter, double left, double top, double right, double bottom, int style);
int DrawEllipse(COrbel* adapter, double left, double top, double right, double bottom, int style);
int DrawArc(COrbel* adapter, double left, double top, double right, double bottom,
            double startAngle, double endAngle, int style);
int DrawPoint(COrbel* adapter, double x, double y, int red, int green, int blue, int alpha);
int DrawGetPoint(COrbel* adapter, double x, double y, int* red, int* green, int* blue, int* alpha);
int DrawStringAt(COrbel* adapter, const char* text, double x, double y, int antialias);
int DrawString(COrbel* adapter, const char* text, double left, double top, double right,
               double bottom, int opaque, int align);
int DrawStringAligned(COrbel* adapter, const char* text, double left, double top, double right,
                      double bottom, int align, int antialias);

BitmapSlot* BitmapCreateHandle();
int BitmapFreeHandle(BitmapSlot* slot);
int BitmapLoadFile(BitmapSlot* slot, const char* path);
int BitmapLoadResourceName(BitmapSlot* slot, const char* name);
int BitmapLoadResourceId(BitmapSlot* slot, int number);
double BitmapGetWidth(BitmapSlot* slot);
double BitmapGetHeight(BitmapSlot* slot);
int BitmapGetTransparentColor(BitmapSlot* slot, int* red, int* green, int* blue, int* alpha);
int BitmapSetTransparentColor(BitmapSlot* slot, int red, int green, int blue, int alpha);
int BitmapGetNoAlpha(BitmapSlot* slot);
int BitmapSetNoAlpha(BitmapSlot* slot, int flag);
int BitmapDraw(BitmapSlot* slot, COrbel* adapter, double left, double top, double right,
               double bottom, double srcX, double srcY);
int BitmapDrawTransparent(BitmapSlot* slot, COrbel* adapter, double left, double top, double right,
                          double bottom, double srcX, double srcY);
int BitmapDrawAlpha(BitmapSlot* slot, COrbel* adapter, double left, double top, double right,
                    double bottom, double srcX, double srcY, int alpha);
