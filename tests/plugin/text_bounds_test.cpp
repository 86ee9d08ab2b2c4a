// Texts crossing into and out of host buffers: the plug-in writes the text and its zero
// and nothing more, within the sizes hosts allocate, and reads a host's program name no
// further than the program-name size.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/plugin/scripted_host.h"

namespace {

constexpr uint8_t kSentinel = 0xAA;
constexpr size_t kProgramNameSize = 24;

class TextBounds : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
    }

    ScriptedHost host;
    HostedEffect plugin{host};
};

struct TextCase {
    std::string what;
    int32_t opcode;
    int32_t index;
    size_t capacity;  // what hosts allocate for this text, the zero included
};

// Fills a large buffer with a sentinel and checks that exactly the text and its zero
// changed; then answers into a heap buffer of exactly the capacity, so that the sanitizer
// build sees any write past it. Returns the text.
std::string ExpectBoundedCopy(HostedEffect& plugin, const TextCase& c) {
    std::vector<char> wide(512, static_cast<char>(kSentinel));
    plugin.Dispatch(c.opcode, c.index, 0, wide.data());
    const auto zero = std::find(wide.begin(), wide.end(), '\0');
    EXPECT_NE(zero, wide.end()) << "no terminating zero";
    const size_t length = static_cast<size_t>(zero - wide.begin());
    EXPECT_LE(length + 1, c.capacity);
    for (size_t i = length + 1; i < wide.size(); ++i) {
        if (static_cast<uint8_t>(wide[i]) != kSentinel) {
            ADD_FAILURE() << "byte " << i << " past the zero at " << length << " was written";
            break;
        }
    }
    const std::string text(wide.data(), std::min(length, wide.size()));

    std::unique_ptr<char[]> exact(new char[c.capacity]);
    std::memset(exact.get(), kSentinel, c.capacity);
    plugin.Dispatch(c.opcode, c.index, 0, exact.get());
    EXPECT_EQ(std::string(exact.get(), strnlen(exact.get(), c.capacity)), text);
    return text;
}

std::vector<TextCase> AllTexts() {
    std::vector<TextCase> cases = {
        {"effect name", effGetEffectName, 0, 32},
        {"vendor", effGetVendorString, 0, 64},
        {"product", effGetProductString, 0, 64},
        {"program name", effGetProgramName, 0, kProgramNameSize},
    };
    for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
        const std::string n = std::to_string(i);
        cases.push_back({"name " + n, effGetParamName, i, 32});
        cases.push_back({"label " + n, effGetParamLabel, i, 8});
        cases.push_back({"display " + n, effGetParamDisplay, i, 8});
    }
    return cases;
}

TEST_F(TextBounds, TextsCarryOnlyTheTextAndItsZero) {
    // Both display texts: "enabled" fills the 8 bytes exactly.
    for (float value : {0.0f, 1.0f}) {
        for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) plugin.SetParameter(i, value);
        for (const TextCase& c : AllTexts()) {
            SCOPED_TRACE(c.what + (value == 0.0f ? " (off)" : " (on)"));
            const std::string text = ExpectBoundedCopy(plugin, c);
            // Only the labels are empty; any other empty text would prove nothing here.
            if (c.opcode != effGetParamLabel) {
                EXPECT_FALSE(text.empty());
            }
        }
    }
}

// A host's 24-byte program-name buffer without a zero, whose next byte is not readable.
class GuardedName {
  public:
    explicit GuardedName(const char* text) {
#ifdef _WIN32
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        region_ = static_cast<char*>(
            VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!region_) return;
        DWORD old = 0;
        VirtualProtect(region_ + page_, page_, PAGE_NOACCESS, &old);
#else
        page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        void* region =
            mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED) return;
        region_ = static_cast<char*>(region);
        mprotect(region_ + page_, page_, PROT_NONE);
#endif
        name_ = region_ + page_ - kProgramNameSize;
        std::memcpy(name_, text, kProgramNameSize);
    }
    ~GuardedName() {
#ifdef _WIN32
        if (region_) VirtualFree(region_, 0, MEM_RELEASE);
#else
        if (region_) munmap(region_, 2 * page_);
#endif
    }
    GuardedName(const GuardedName&) = delete;
    GuardedName& operator=(const GuardedName&) = delete;

    char* get() const {
        return name_;
    }

  private:
    size_t page_ = 0;
    char* region_ = nullptr;
    char* name_ = nullptr;
};

TEST_F(TextBounds, ProgramNameKeepsAtMost23CharactersAndReadsNoFurther) {
    const char* const unterminated = "ABCDEFGHIJKLMNOPQRSTUVWX";  // 24 characters used

    {
        SCOPED_TRACE("unterminated, at the end of a page");
        GuardedName name(unterminated);
        ASSERT_NE(name.get(), nullptr);
        plugin.Dispatch(effSetProgramName, 0, 0, name.get());
        EXPECT_EQ(plugin.Text(effGetProgramName), std::string(unterminated, 23));
    }
    {
        SCOPED_TRACE("unterminated, at the end of a heap allocation");
        std::unique_ptr<char[]> name(new char[kProgramNameSize]);
        std::memcpy(name.get(), "abcdefghijklmnopqrstuvwx", kProgramNameSize);
        plugin.Dispatch(effSetProgramName, 0, 0, name.get());
        EXPECT_EQ(plugin.Text(effGetProgramName), "abcdefghijklmnopqrstuvw");
    }

    struct NameCase {
        const char* what;
        std::string given;
        std::string kept;
    };
    const NameCase cases[] = {
        {"short", "My preset", "My preset"},
        {"empty", "", ""},
        {"exactly 23", std::string(23, 'n'), std::string(23, 'n')},
        {"long, terminated", std::string(100, 'L'), std::string(23, 'L')},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string given = c.given;
        plugin.Dispatch(effSetProgramName, 0, 0, given.data());
        EXPECT_EQ(
            ExpectBoundedCopy(plugin, {"program name", effGetProgramName, 0, kProgramNameSize}),
            c.kept);
    }
}

TEST_F(TextBounds, NullTextPointersAreSurvived) {
    plugin.SetParameter(2, 1.0f);
    for (int32_t opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                           effGetEffectName, effGetVendorString, effGetProductString,
                           effSetProgramName, effCanDo, effGetChunk}) {
        SCOPED_TRACE(opcode);
        for (int32_t index = 0; index < HostedEffect::kBusCount; ++index) {
            plugin.Dispatch(opcode, index, 0, nullptr);
        }
    }
    // Still the same instance, with the same texts and switches.
    EXPECT_EQ(plugin.Text(effGetProgramName), "Kelvane_Lotta router");
    EXPECT_EQ(plugin.Text(effGetEffectName), "Kelvane_Lotta router");
    EXPECT_EQ(plugin.Text(effGetParamDisplay, 2), "enabled");
    EXPECT_EQ(plugin.GetParameter(2), 1.0f);
}

}  // namespace
