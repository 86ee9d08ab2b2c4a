// Decoding images with GDI+: files, bytes in memory, and the module's own resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "editor/draw_backend.h"

// Each byte of path becomes one UTF-16 unit by sign extension, so only ASCII paths reach
// the file system unchanged. The image is copied into 32-bit ARGB and the file released.
std::unique_ptr<PlatformImage> GdiplusLoadFile(const char* path);
// The bytes need not outlive the call: the result is a 32-bit ARGB copy.
std::unique_ptr<PlatformImage> GdiplusDecodeBytes(const void* bytes, size_t size);
// A "DATA" resource of the module named by name (or by number when name is null), decoded
// through a stream over its locked bytes; failing that, a bitmap resource of that identifier.
std::unique_ptr<PlatformImage> GdiplusLoadResource(void* module, const char* name, uint16_t number);
