// What the tests need to know about the platform library underneath the drawing functions,
// kept out of the test files so that no Windows header reaches them.
#pragma once

#include <cstdint>

class CDrawContext;
class CFontDesc;

// True when the Windows build runs under Wine, whose GDI+ rasterises some shapes differently
// from Windows' own (each difference is named where a test allows for it).
bool UnderWine();
// The GDI+ smoothing mode of the context's graphics object, or -1 where there is none (other
// backends, no surface).
int32_t GdiplusSmoothingMode(CDrawContext* context);
// The GDI+ style the font's platform font was made with, or -1 where there is none.
int32_t GdiplusFontStyle(CFontDesc* font);
