#include "tests/editor_window/plugin_window_scenario.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plugin/vst2_abi.h"
#include "tests/editor_window/recording_host.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLit = 0x00FF00;
constexpr uint32_t kUnlit = 0xFF0000;
constexpr int kWidth = 240;
constexpr int kHeight = 120;
// Where the host's window sits on the screen.
constexpr int kParentX = 100;
constexpr int kParentY = 100;

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

// The host's event loop with the editor's idle on its timer, until done() holds (true) or the
// time is up (false); a null done idles the whole time.
bool IdleUntil(PluginWindowHost& host, AEffect* effect, const std::function<bool()>& done,
               std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        host.DispatchEvents();
        Dispatch(effect, effEditIdle);
        host.DispatchEvents();
        if (done && done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// The host's parameter-change notifications for parameter 0 since request number `from`.
std::vector<float> AutomationsSince(size_t from) {
    std::vector<float> values;
    const auto& requests = RecordedRequests();
    for (size_t i = from; i < requests.size(); ++i) {
        if (requests[i].opcode == audioMasterAutomate && requests[i].index == 0) {
            values.push_back(requests[i].opt);
        }
    }
    return values;
}

}  // namespace

void RunPluginWindowSession(const std::string& libraryPath, PluginWindowHost& host) {
    std::unique_ptr<vst2host::PluginLibrary> library;
    try {
        library = std::make_unique<vst2host::PluginLibrary>(libraryPath);
    } catch (const vst2host::LoadError& e) {
        FAIL() << e.what();
    }
    for (const char* name : vst2host::kEntryNames) {
        EXPECT_NE(library->entry(name), nullptr) << name;
    }
    std::string entryName;
    AEffect* effect = library->mainEntry(&entryName)(RecordingHost);
    EXPECT_EQ(entryName, "VSTPluginMain");
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->numParams, 1);
    Dispatch(effect, effOpen);
    EXPECT_NE(effect->flags & effFlagsHasEditor, 0);
    Dispatch(effect, effMainsChanged, 0, 1);

    ERect* rect = nullptr;
    ASSERT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, kHeight);
    EXPECT_EQ(rect->right, kWidth);

    void* parent = host.CreateParent(kParentX, kParentY, kWidth + 40, kHeight + 40);
    ASSERT_NE(parent, nullptr);
    auto idle = [&](const std::function<bool()>& done) {
        return IdleUntil(host, effect, done, host.Patience());
    };
    auto shows = [&](uint32_t left, uint32_t right) {
        return idle([&] {
            return host.Pixel(0, 0) == left && host.Pixel(kWidth / 2 - 1, kHeight - 1) == left &&
                   host.Pixel(kWidth / 2, 0) == right &&
                   host.Pixel(kWidth - 1, kHeight - 1) == right;
        });
    };
    ASSERT_EQ(Dispatch(effect, effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(host.EditorWindows(), 1u);
    EXPECT_TRUE(shows(kLit, kUnlit)) << "the left half starts selected";
    EXPECT_EQ(host.Pixel(kWidth + 10, 10), kWhite) << "the host's window beside the editor";
    EXPECT_EQ(host.Pixel(10, kHeight + 10), kWhite);

    // Each press selects the half under the pointer: a notification to the host, the
    // parameter it reads back, and the lit half. Clicking the selected half again notifies
    // again without changing anything.
    struct Click {
        int x;
        float selected;
        uint32_t left;
        uint32_t right;
    };
    for (const Click& click :
         {Click{kWidth - 20, 1.0f, kUnlit, kLit}, Click{kWidth / 2 + 2, 1.0f, kUnlit, kLit},
          Click{kWidth / 2 - 2, 0.0f, kLit, kUnlit}, Click{kWidth / 2 + 40, 1.0f, kUnlit, kLit}}) {
        SCOPED_TRACE(click.x);
        host.MoveTo(kParentX + click.x, kParentY + kHeight / 2);
        IdleUntil(host, effect, nullptr, std::chrono::milliseconds(50));
        const size_t before = RecordedRequests().size();
        host.LeftButton(true);
        EXPECT_TRUE(idle([&] { return !AutomationsSince(before).empty(); }));
        host.LeftButton(false);
        // The effect polls the buttons in its graphics section, which runs at least 30 times
        // a second while the mouse is busy: let a frame see the release.
        IdleUntil(host, effect, nullptr, host.Patience() / 20);
        EXPECT_EQ(AutomationsSince(before), std::vector<float>{click.selected});
        EXPECT_EQ(effect->getParameter(effect, 0), click.selected);
        EXPECT_TRUE(shows(click.left, click.right));
    }

    // Closing takes the editor's window away; opening again shows the effect's state.
    Dispatch(effect, effEditClose);
    EXPECT_EQ(host.EditorWindows(), 0u);
    ASSERT_EQ(Dispatch(effect, effEditOpen, 0, 0, parent), 1);
    EXPECT_TRUE(shows(kUnlit, kLit));
    Dispatch(effect, effEditClose);

    Dispatch(effect, effMainsChanged, 0, 0);
    Dispatch(effect, effClose);
    host.DestroyParent();
}
