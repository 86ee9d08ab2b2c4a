// The GDI+ flat interface as the Windows backend uses it, with the few Windows macros that
// would otherwise rename the backend's own member functions removed.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
// Order matters: GDI+'s header expects the Windows and COM types declared first.
#include <windows.h>

#include <objidl.h>
#include <propidl.h>

#include <gdiplus.h>

// <windows.h> maps these names to their A/W variants, which would rename DrawBackend's
// members in this backend only.
#undef CreateFont
#undef LoadImage

namespace gdip = Gdiplus::DllExports;

// Every status other than Ok becomes the last status of the object the call was made on;
// nothing reacts to it, as with GDI+'s own C++ wrappers.
inline void Record(Gdiplus::Status status, Gdiplus::Status& last) {
    if (status != Gdiplus::Ok) last = status;
}

// Pixel format 32-bit ARGB, not premultiplied.
constexpr Gdiplus::PixelFormat kArgb32 = PixelFormat32bppARGB;
static_assert(kArgb32 == 0x26200A, "GDI+ 32-bit ARGB");
