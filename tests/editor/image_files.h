// Image files written by hand, so the tests need no encoder of the library under test: PNG
// with stored (uncompressed) deflate blocks, 24-bit BMP, and the raw pixel dump that scenes
// from different backends are compared through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/draw_backend.h"

// Pixels are unpremultiplied ARGB, rows top to bottom.
std::vector<unsigned char> EncodePng(const PixelBuffer& pixels);
// Alpha is dropped.
std::vector<unsigned char> EncodeBmp(const PixelBuffer& pixels);
// "LOTTARGB", width and height as 32-bit little-endian, then width x height 32-bit
// little-endian ARGB values, rows top to bottom.
std::vector<unsigned char> EncodeRawArgb(const PixelBuffer& pixels);
bool DecodeRawArgb(const std::vector<unsigned char>& bytes, PixelBuffer& pixels);

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadFile(const std::string& path);

// A w x h test pattern: each pixel's colour depends on its position, alpha as given.
PixelBuffer Pattern(int32_t width, int32_t height, uint8_t alpha);
