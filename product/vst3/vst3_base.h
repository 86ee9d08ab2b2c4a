// The base of the VST 3 binary interface: calling convention, result codes, 16-byte
// identifiers, FUnknown, IPluginBase and the host's byte stream. Declared here from the
// format's published binary facts; every record is pinned per target below its declaration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Interface methods and GetPluginFactory: stdcall on 32-bit Windows (this on the stack), the
// compiler's default everywhere else.
#if defined(_WIN32) && defined(__i386__)
#define VST3_API __stdcall
#else
#define VST3_API
#endif

namespace vst3 {

// The targets whose record layouts differ: 64-bit (Linux and Windows alike), 32-bit Windows
// (doubles and 64-bit integers 8-aligned in records) and 32-bit Linux (4-aligned).
#if defined(_WIN32)
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif
inline constexpr bool k64 = sizeof(void*) == 8;
inline constexpr bool kW32 = kWindows && sizeof(void*) == 4;
inline constexpr bool kL32 = !kWindows && sizeof(void*) == 4;

using tresult = int32_t;
using TBool = uint8_t;
using ParamID = uint32_t;
using ParamValue = double;
using SpeakerArrangement = uint64_t;

// Success is exactly 0 everywhere; the failure codes are COM's on Windows only.
#if defined(_WIN32)
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = 0;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
inline constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
inline constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
inline constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = 0;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kNoInterface = -1;
inline constexpr tresult kInvalidArgument = 2;
inline constexpr tresult kNotImplemented = 3;
inline constexpr tresult kInternalError = 4;
inline constexpr tresult kNotInitialized = 5;
inline constexpr tresult kOutOfMemory = 6;
#endif

// A 16-byte interface or class identifier, written as four 32-bit words. Windows lays the
// first two words out as a COM GUID does; every other platform writes all four words most
// significant byte first.
struct Uid {
    char bytes[16];
};

constexpr Uid MakeUid(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    Uid uid{};
    auto put = [&uid](int at, uint32_t word, const int(&shifts)[4]) {
        for (int i = 0; i < 4; ++i)
            uid.bytes[at + i] = static_cast<char>((word >> shifts[i]) & 0xFF);
    };
    constexpr int kBigEndian[4] = {24, 16, 8, 0};
#if defined(_WIN32)
    constexpr int kLittleEndian[4] = {0, 8, 16, 24};
    constexpr int kHalvesLittleEndian[4] = {16, 24, 0, 8};
    put(0, l1, kLittleEndian);
    put(4, l2, kHalvesLittleEndian);
#else
    put(0, l1, kBigEndian);
    put(4, l2, kBigEndian);
#endif
    put(8, l3, kBigEndian);
    put(12, l4, kBigEndian);
    return uid;
}

// [any] Whether the 16 bytes at id (which may be null) are uid.
inline bool SameUid(const char* id, const Uid& uid) {
    return id && std::memcmp(id, uid.bytes, sizeof uid.bytes) == 0;
}

class FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
    virtual tresult VST3_API queryInterface(const char* iid, void** obj) = 0;
    virtual uint32_t VST3_API addRef() = 0;
    virtual uint32_t VST3_API release() = 0;

  protected:
    ~FUnknown() = default;  // objects delete themselves on their last release
};

class IPluginBase : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
    virtual tresult VST3_API initialize(FUnknown* context) = 0;
    virtual tresult VST3_API terminate() = 0;

  protected:
    ~IPluginBase() = default;
};

// The host's byte stream for state: one shared read/write position.
class IBStream : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
    enum SeekMode : int32_t { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };
    virtual tresult VST3_API read(void* buffer, int32_t numBytes, int32_t* numBytesRead) = 0;
    virtual tresult VST3_API write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) = 0;
    virtual tresult VST3_API seek(int64_t pos, int32_t mode, int64_t* result) = 0;
    virtual tresult VST3_API tell(int64_t* pos) = 0;

  protected:
    ~IBStream() = default;
};

// Interfaces this effect refuses, named so that tests can ask for them.
inline constexpr Uid kIConnectionPointIid = MakeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
inline constexpr Uid kIEditController2Iid = MakeUid(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
inline constexpr Uid kIUnitInfoIid = MakeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
inline constexpr Uid kIHostApplicationIid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

// The byte order, checked on the published example (IComponent).
#if defined(_WIN32)
static_assert(MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[0] == '\x31' &&
                  MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[4] == '\xD5' &&
                  MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[6] == '\x01' &&
                  MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[8] == '\x92',
              "COM byte order");
#else
static_assert(MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[0] == '\xE8' &&
                  MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[4] == '\xF2' &&
                  MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[6] == '\x43' &&
                  MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[15] == '\x02',
              "reading-order bytes");
#endif
static_assert(sizeof(Uid) == 16);

}  // namespace vst3
