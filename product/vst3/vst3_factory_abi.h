// The VST 3 plug-in factory a module hands out from GetPluginFactory: the interfaces of its
// three versions and the records they fill. The factory records have the same layout on every
// target (4-byte alignment).
#pragma once

#include "product/vst3/vst3_base.h"

namespace vst3 {

struct PFactoryInfo {
    char vendor[64];
    char url[256];
    char email[128];
    int32_t flags;
    enum : int32_t {
        kNoFlags = 0,
        kClassesDiscardable = 1,
        kComponentNonDiscardable = 8,
        kUnicode = 16
    };
};

struct PClassInfo {
    char cid[16];
    int32_t cardinality;
    char category[32];
    char name[64];
    static constexpr int32_t kManyInstances = 0x7FFFFFFF;
};

struct PClassInfo2 {
    char cid[16];
    int32_t cardinality;
    char category[32];
    char name[64];
    uint32_t classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

struct PClassInfoW {
    char cid[16];
    int32_t cardinality;
    char category[32];
    char16_t name[64];
    uint32_t classFlags;
    char subCategories[128];
    char16_t vendor[64];
    char16_t version[64];
    char16_t sdkVersion[64];
};

class IPluginFactory : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
    virtual tresult VST3_API getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32_t VST3_API countClasses() = 0;
    virtual tresult VST3_API getClassInfo(int32_t index, PClassInfo* info) = 0;
    virtual tresult VST3_API createInstance(const char* cid, const char* iid, void** obj) = 0;

  protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
  public:
    static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
    virtual tresult VST3_API getClassInfo2(int32_t index, PClassInfo2* info) = 0;

  protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
  public:
    static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
    virtual tresult VST3_API getClassInfoUnicode(int32_t index, PClassInfoW* info) = 0;
    virtual tresult VST3_API setHostContext(FUnknown* context) = 0;

  protected:
    ~IPluginFactory3() = default;
};

inline constexpr const char* kAudioModuleClass = "Audio Module Class";
inline constexpr const char* kSdkVersion = "VST 3.7.14";

static_assert(offsetof(PFactoryInfo, url) == 64 && offsetof(PFactoryInfo, email) == 320 &&
                  offsetof(PFactoryInfo, flags) == 448 && sizeof(PFactoryInfo) == 452,
              "factory info layout, every target");
static_assert(offsetof(PClassInfo, cardinality) == 16 && offsetof(PClassInfo, category) == 20 &&
                  offsetof(PClassInfo, name) == 52 && sizeof(PClassInfo) == 116,
              "class info layout, every target");
static_assert(offsetof(PClassInfo2, classFlags) == 116 &&
                  offsetof(PClassInfo2, subCategories) == 120 &&
                  offsetof(PClassInfo2, vendor) == 248 && offsetof(PClassInfo2, version) == 312 &&
                  offsetof(PClassInfo2, sdkVersion) == 376 && sizeof(PClassInfo2) == 440,
              "class info 2 layout, every target");
static_assert(offsetof(PClassInfoW, name) == 52 && offsetof(PClassInfoW, classFlags) == 180 &&
                  offsetof(PClassInfoW, subCategories) == 184 &&
                  offsetof(PClassInfoW, vendor) == 312 && offsetof(PClassInfoW, version) == 440 &&
                  offsetof(PClassInfoW, sdkVersion) == 568 && sizeof(PClassInfoW) == 696,
              "unicode class info layout, every target");

}  // namespace vst3
