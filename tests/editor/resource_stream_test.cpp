// Windows only: the stream that module resources are decoded through, and decoding images
// from bytes in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "editor/win32/resource_stream.h"
#include "image_files.h"

namespace {

constexpr char kData[] = "0123456789";
constexpr size_t kSize = 10;

struct Step {
    const char* what;
    enum { kRead, kSeek } kind;
    ULONG count;    // read: bytes asked for
    LONGLONG move;  // seek: distance
    DWORD origin;   // seek: STREAM_SEEK_*
    HRESULT result;
    std::string got;  // read: bytes delivered
    ULONGLONG position;
};

TEST(ResourceStream, ReadsAndSeeksStayInsideTheData) {
    const Step steps[] = {
        {"read that fits", Step::kRead, 4, 0, 0, S_OK, "0123", 4},
        {"seek from the current place", Step::kSeek, 0, 2, STREAM_SEEK_CUR, S_OK, "", 6},
        {"seek back before the start", Step::kSeek, 0, -7, STREAM_SEEK_CUR, S_FALSE, "", 6},
        {"seek past the end", Step::kSeek, 0, 11, STREAM_SEEK_SET, S_FALSE, "", 6},
        {"seek from the end", Step::kSeek, 0, 0, STREAM_SEEK_END, S_FALSE, "", 6},
        {"seek to a negative place", Step::kSeek, 0, -1, STREAM_SEEK_SET, S_FALSE, "", 6},
        {"seek from the start", Step::kSeek, 0, 8, STREAM_SEEK_SET, S_OK, "", 8},
        {"read beyond the end gets the rest", Step::kRead, 4, 0, 0, S_FALSE, "89", 10},
        {"read at the end gets nothing", Step::kRead, 1, 0, 0, S_FALSE, "", 10},
        {"seek to the very end", Step::kSeek, 0, 10, STREAM_SEEK_SET, S_OK, "", 10},
        {"seek back to the start", Step::kSeek, 0, -10, STREAM_SEEK_CUR, S_OK, "", 0},
        {"read everything", Step::kRead, 10, 0, 0, S_OK, "0123456789", 10},
    };
    ResourceStream* stream = ResourceStream::Create(kData, kSize);
    ASSERT_NE(stream, nullptr);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.kind == Step::kRead) {
            char buffer[16] = {};
            ULONG read = 99;
            EXPECT_EQ(stream->Read(buffer, step.count, &read), step.result);
            EXPECT_EQ(std::string(buffer, read), step.got);
        } else {
            LARGE_INTEGER move;
            move.QuadPart = step.move;
            ULARGE_INTEGER position;
            position.QuadPart = 99;
            EXPECT_EQ(stream->Seek(move, step.origin, &position), step.result);
            EXPECT_EQ(position.QuadPart, step.position) << "the place the stream is at";
        }
        LARGE_INTEGER none{};
        ULARGE_INTEGER now{};
        stream->Seek(none, STREAM_SEEK_CUR, &now);
        EXPECT_EQ(now.QuadPart, step.position);
    }

    ULONG written = 7;
    EXPECT_EQ(stream->Write("x", 1, &written), E_NOTIMPL);
    STATSTG stat;
    std::memset(&stat, 0xAB, sizeof stat);
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, kSize);
    EXPECT_EQ(stat.pwcsName, nullptr) << "nothing but the size";
    EXPECT_EQ(stat.type, 0u);

    IStream* asStream = nullptr;
    EXPECT_EQ(stream->QueryInterface(IID_IStream, reinterpret_cast<void**>(&asStream)), S_OK);
    EXPECT_EQ(asStream, stream);
    IUnknown* other = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(stream->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&other)),
              E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(stream->Release(), 1u) << "the reference QueryInterface added";
    EXPECT_EQ(stream->Release(), 0u);
}

TEST(ResourceStream, BytesInMemoryDecodeIntoAnImageThatNeedsThemNoLonger) {
    const PixelBuffer pattern = Pattern(6, 4, 255);
    for (const auto& encoded : {EncodePng(pattern), EncodeBmp(pattern)}) {
        Canvas canvas(6, 4);  // keeps the library running
        auto bytes = std::make_unique<std::vector<unsigned char>>(encoded);
        std::unique_ptr<PlatformImage> image =
            PlatformDrawBackend().DecodeImage(bytes->data(), bytes->size());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Width(), 6);
        EXPECT_EQ(image->Height(), 4);
        std::fill(bytes->begin(), bytes->end(), 0);
        bytes.reset();
        canvas.context()->surface()->Image(*image, 0, 0, 6, 4, 0, 0, 255);
        EXPECT_EQ(canvas.Read().argb, pattern.argb);
        EXPECT_EQ(PlatformDrawBackend().DecodeImage(encoded.data(), 10), nullptr)
            << "a damaged image";
    }
}

}  // namespace
