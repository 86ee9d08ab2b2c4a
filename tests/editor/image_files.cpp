#include "image_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void Put32BigEndian(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void Put32LittleEndian(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void Put16LittleEndian(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

uint32_t Crc32(const unsigned char* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
    Put32BigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Put32BigEndian(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

std::vector<unsigned char> EncodePng(const PixelBuffer& pixels) {
    std::vector<unsigned char> raw;
    for (int32_t y = 0; y < pixels.height; ++y) {
        raw.push_back(0);  // no filter
        for (int32_t x = 0; x < pixels.width; ++x) {
            const uint32_t p = pixels.argb[static_cast<size_t>(y) * pixels.width + x];
            raw.push_back(static_cast<unsigned char>(p >> 16));
            raw.push_back(static_cast<unsigned char>(p >> 8));
            raw.push_back(static_cast<unsigned char>(p));
            raw.push_back(static_cast<unsigned char>(p >> 24));
        }
    }
    std::vector<unsigned char> zlib{0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - offset, 65535);
        zlib.push_back(offset + length == raw.size() ? 1 : 0);
        Put16LittleEndian(zlib, static_cast<uint32_t>(length));
        Put16LittleEndian(zlib, static_cast<uint32_t>(~length & 0xFFFF));
        zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(offset),
                    raw.begin() + static_cast<ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Put32BigEndian(zlib, b << 16 | a);

    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    Put32BigEndian(header, static_cast<uint32_t>(pixels.width));
    Put32BigEndian(header, static_cast<uint32_t>(pixels.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

std::vector<unsigned char> EncodeBmp(const PixelBuffer& pixels) {
    const uint32_t rowBytes = (static_cast<uint32_t>(pixels.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(pixels.height);
    std::vector<unsigned char> bmp{'B', 'M'};
    Put32LittleEndian(bmp, 54 + imageBytes);
    Put32LittleEndian(bmp, 0);
    Put32LittleEndian(bmp, 54);
    Put32LittleEndian(bmp, 40);
    Put32LittleEndian(bmp, static_cast<uint32_t>(pixels.width));
    Put32LittleEndian(bmp, static_cast<uint32_t>(pixels.height));  // bottom-up
    Put16LittleEndian(bmp, 1);
    Put16LittleEndian(bmp, 24);
    for (int i = 0; i < 6; ++i) Put32LittleEndian(bmp, 0);
    for (int32_t y = pixels.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < pixels.width; ++x) {
            const uint32_t p = pixels.argb[static_cast<size_t>(y) * pixels.width + x];
            bmp.push_back(static_cast<unsigned char>(p));
            bmp.push_back(static_cast<unsigned char>(p >> 8));
            bmp.push_back(static_cast<unsigned char>(p >> 16));
        }
        for (uint32_t pad = static_cast<uint32_t>(pixels.width) * 3; pad < rowBytes; ++pad) {
            bmp.push_back(0);
        }
    }
    return bmp;
}

std::vector<unsigned char> EncodeRawArgb(const PixelBuffer& pixels) {
    std::vector<unsigned char> raw{'L', 'O', 'T', 'T', 'A', 'R', 'G', 'B'};
    Put32LittleEndian(raw, static_cast<uint32_t>(pixels.width));
    Put32LittleEndian(raw, static_cast<uint32_t>(pixels.height));
    for (uint32_t p : pixels.argb) Put32LittleEndian(raw, p);
    return raw;
}

bool DecodeRawArgb(const std::vector<unsigned char>& bytes, PixelBuffer& pixels) {
    if (bytes.size() < 16 || std::memcmp(bytes.data(), "LOTTARGB", 8) != 0) return false;
    auto read = [&bytes](size_t at) {
        return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
               static_cast<uint32_t>(bytes[at + 2]) << 16 |
               static_cast<uint32_t>(bytes[at + 3]) << 24;
    };
    pixels.width = static_cast<int32_t>(read(8));
    pixels.height = static_cast<int32_t>(read(12));
    const size_t count = static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height);
    if (bytes.size() != 16 + 4 * count) return false;
    pixels.argb.resize(count);
    for (size_t i = 0; i < count; ++i) pixels.argb[i] = read(16 + 4 * i);
    return true;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PixelBuffer Pattern(int32_t width, int32_t height, uint8_t alpha) {
    PixelBuffer pixels;
    pixels.width = width;
    pixels.height = height;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const auto red = static_cast<uint32_t>(x * 255 / std::max(1, width - 1));
            const auto green = static_cast<uint32_t>(y * 255 / std::max(1, height - 1));
            const uint32_t blue = (x + y) % 2 ? 200u : 40u;
            pixels.argb.push_back(static_cast<uint32_t>(alpha) << 24 | red << 16 | green << 8 |
                                  blue);
        }
    }
    return pixels;
}
