#include "editor/win32/gdiplus_images.h"

#include <string>

#include "editor/win32/gdiplus_api.h"
#include "editor/win32/gdiplus_objects.h"
#include "editor/win32/resource_stream.h"

using namespace Gdiplus;

namespace {

std::unique_ptr<PlatformImage> Wrap(GpBitmap* bitmap) {
    UINT width = 0;
    UINT height = 0;
    gdip::GdipGetImageWidth(bitmap, &width);
    gdip::GdipGetImageHeight(bitmap, &height);
    return std::make_unique<GdiplusImage>(bitmap, static_cast<int32_t>(width),
                                          static_cast<int32_t>(height));
}

// A 32-bit ARGB copy of the whole of opened, or null; opened is disposed in every case, which
// also lets go of the file or stream it was read from.
std::unique_ptr<PlatformImage> CopyToArgb(GpBitmap* opened) {
    if (!opened) return nullptr;
    UINT width = 0;
    UINT height = 0;
    gdip::GdipGetImageWidth(opened, &width);
    gdip::GdipGetImageHeight(opened, &height);
    GpBitmap* copy = nullptr;
    const Status status = gdip::GdipCloneBitmapAreaI(
        0, 0, static_cast<INT>(width), static_cast<INT>(height), kArgb32, opened, &copy);
    gdip::GdipDisposeImage(opened);
    if (status != Ok || !copy) return nullptr;
    try {
        return Wrap(copy);
    } catch (...) {
        gdip::GdipDisposeImage(copy);
        throw;
    }
}

GpBitmap* DecodeStream(const void* bytes, size_t size) {
    ResourceStream* stream = ResourceStream::Create(bytes, size);
    if (!stream) return nullptr;
    GpBitmap* bitmap = nullptr;
    if (gdip::GdipCreateBitmapFromStreamICM(stream, &bitmap) != Ok) bitmap = nullptr;
    // GDI+ holds a reference of its own when it reads the stream later.
    stream->Release();
    return bitmap;
}

}  // namespace

std::unique_ptr<PlatformImage> GdiplusLoadFile(const char* path) {
    if (!path) return nullptr;
    std::wstring wide;
    for (const char* p = path; *p; ++p) {
        wide.push_back(static_cast<wchar_t>(static_cast<signed char>(*p)));
    }
    GpBitmap* opened = nullptr;
    if (gdip::GdipCreateBitmapFromFile(wide.c_str(), &opened) != Ok) return nullptr;
    return CopyToArgb(opened);
}

std::unique_ptr<PlatformImage> GdiplusDecodeBytes(const void* bytes, size_t size) {
    if (!bytes || size == 0) return nullptr;
    return CopyToArgb(DecodeStream(bytes, size));
}

std::unique_ptr<PlatformImage> GdiplusLoadResource(void* module, const char* name,
                                                   uint16_t number) {
    auto* instance = static_cast<HMODULE>(module);
    GpBitmap* bitmap = nullptr;
    const char* id = name ? name : MAKEINTRESOURCEA(number);
    bool dataLoaded = false;
    if (HRSRC found = FindResourceA(instance, id, "DATA")) {
        HGLOBAL loaded = LoadResource(instance, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        const DWORD size = SizeofResource(instance, found);
        // Locked resource bytes stay mapped for the life of the module, so the decoded
        // bitmap may keep reading them.
        if (bytes && size > 0) {
            dataLoaded = true;
            bitmap = DecodeStream(bytes, size);
        }
    }
    if (!dataLoaded) {
        std::wstring wideName;
        if (name) {
            // Resource names are looked up as the narrow functions convert them.
            const int count = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
            if (count <= 0) return nullptr;
            wideName.resize(static_cast<size_t>(count));
            MultiByteToWideChar(CP_ACP, 0, name, -1, wideName.data(), count);
        }
        const WCHAR* wideId = name ? wideName.c_str() : MAKEINTRESOURCEW(number);
        if (gdip::GdipCreateBitmapFromResource(instance, wideId, &bitmap) != Ok) bitmap = nullptr;
    }
    if (!bitmap) return nullptr;
    try {
        return Wrap(bitmap);
    } catch (...) {
        gdip::GdipDisposeImage(bitmap);
        throw;
    }
}
