// The editor object, its host services and opcodes, and the paced idle, without a window
// system: the host opens the editor with no parent window, so the frame has no window.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "editor/editor_services.h"
#include "editor/frame.h"
#include "editor/orbel_editor.h"
#include "editor/orbel_view.h"
#include "plugin/host_services.h"
#include "plugin/orbel.h"
#include "tests/editor_window/editor_effect.h"
#include "tests/runtime/test_host.h"

namespace {

COrbelEditor* EditorOf(EditorInstance& instance) {
    return dynamic_cast<COrbelEditor*>(instance.adapter()->getEditor());
}

TEST(EditorObject, CreateEditorSetsTheFlagAndTheRectangleOnce) {
    EditorInstance instance(true, 400, 300);
    EXPECT_EQ(instance.record()->flags & effFlagsHasEditor, effFlagsHasEditor);
    COrbelEditor* editor = EditorOf(instance);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(createEditor(instance.adapter(), 10, 10), 0) << "a second editor is refused";
    EXPECT_EQ(EditorOf(instance), editor);
    EXPECT_EQ(createEditor(nullptr, 10, 10), 0);
    EXPECT_EQ(redrawEditor(nullptr), 0);

    ERect* rect = nullptr;
    EXPECT_EQ(instance.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 300);
    EXPECT_EQ(rect->right, 400);
    EXPECT_EQ(instance.Dispatch(effEditGetRect, 0, 0, nullptr), 0);

    int32_t width = -1, height = -1;
    EXPECT_EQ(getEditorSize(instance.adapter(), &width, &height), 1);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
}

TEST(EditorObject, RedrawOnlyWhileOpenAndIdleReachesTheRuntimeOnlyWhileOpen) {
    EditorInstance instance;
    EditorEffect& effect = instance.effect();
    EXPECT_EQ(redrawEditor(instance.adapter()), 0) << "closed";
    instance.Dispatch(effEditIdle);
    EXPECT_EQ(effect.idles, 0) << "idle of a closed editor calls nothing";
    EXPECT_EQ(instance.Dispatch(effEditClose), 0) << "close without open does nothing";

    EXPECT_EQ(instance.Dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_NE(EditorOf(instance)->getFrame(), nullptr);
    EXPECT_EQ(redrawEditor(instance.adapter()), 1);
    instance.Dispatch(effEditIdle);
    EXPECT_EQ(effect.idles, 1);
    EXPECT_EQ(effect.lastRedrawAnswer, 1);

    instance.Dispatch(effEditClose);
    EXPECT_EQ(EditorOf(instance)->getFrame(), nullptr);
    EXPECT_EQ(EditorOf(instance)->view(), nullptr);
    EXPECT_EQ(redrawEditor(instance.adapter()), 0);
    instance.Dispatch(effEditIdle);
    EXPECT_EQ(effect.idles, 1);
}

TEST(EditorObject, OpeningTwiceReplacesTheFrameAndClosingTheInstanceWhileOpenIsClean) {
    EditorInstance instance;
    instance.Dispatch(effEditOpen);
    CFrame* first = EditorOf(instance)->getFrame();
    ASSERT_EQ(first->referenceCount(), 1);
    instance.Dispatch(effEditOpen);
    CFrame* second = EditorOf(instance)->getFrame();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->children().size(), 1u);
    EXPECT_EQ(second->children()[0], EditorOf(instance)->view());
    // The instance is closed by the host with the editor still open (sanitizer builds see
    // any leak or use after free).
}

TEST(EditorObject, KeyAndKnobOpcodesWithAndWithoutAnEditor) {
    EditorInstance instance;
    EXPECT_EQ(instance.Dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0) << "closed";
    instance.Dispatch(effEditOpen);
    EXPECT_EQ(instance.Dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(instance.Dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(instance.Dispatch(effEditKeyDown, 0, 2, nullptr, 1.0f), 0) << "tab";
    EXPECT_EQ(instance.effect().keys, 0) << "the view never has the focus";

    EXPECT_EQ(instance.Dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(EditorOf(instance)->getKnobMode(), 2);
    EditorInstance other;
    EXPECT_EQ(EditorOf(other)->getKnobMode(), 2) << "the knob mode is process-wide";
    instance.Dispatch(effSetEditKnobMode, 0, 0);

    // An instance whose effect asks for no editor answers 0 to every editor opcode.
    EditorInstance bare;
    AEffEditor* editor = bare.adapter()->getEditor();
    bare.adapter()->setEditor(nullptr);
    delete editor;
    ERect* rect = nullptr;
    EXPECT_EQ(bare.record()->flags & effFlagsHasEditor, 0);
    for (int32_t opcode : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown,
                           effEditKeyUp, effSetEditKnobMode}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(bare.Dispatch(opcode, 0, 1, &rect), 0);
    }
    int32_t width = 7;
    EXPECT_EQ(getEditorSize(bare.adapter(), &width, nullptr), 0);
    EXPECT_EQ(width, 7);
}

TEST(EditorObject, ParameterGesturesReachTheHost) {
    EditorInstance instance;
    COrbelEditor* editor = EditorOf(instance);
    TestHost::requests.clear();
    editor->beginEdit(3);
    editor->endEdit(3);
    const std::vector<int32_t> expected = {audioMasterBeginEdit, audioMasterEndEdit};
    EXPECT_EQ(TestHost::requests, expected);
}

// The paced idle against a clock the test moves.
struct FakeClock {
    static inline uint32_t now = 0;
    static inline std::vector<uint32_t> sleeps;
    static uint32_t Now() { return now; }
    static void Sleep(uint32_t ms) {
        sleeps.push_back(ms);
        now += ms;
    }
};

TEST(EditorObject, TimedIdleRunsAtMostEveryHundredMilliseconds) {
    const IdleClock clock{FakeClock::Now, FakeClock::Sleep};
    struct Case {
        const char* what;
        uint32_t after;  // ms after the previous run
        bool runs;
        bool sleeps;
    };
    const Case cases[] = {
        {"30 ms: sleeps 4 ms and returns", 30, false, true},
        {"60 ms: sleeps 4 ms, then runs", 60, true, true},
        {"100 ms: runs at once", 100, true, false},
        {"45 ms: 49 is still early", 45, false, true},
        {"46 ms: 50 is late enough", 46, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditorInstance instance;
        AEffEditor* old = instance.adapter()->getEditor();
        instance.adapter()->setEditor(nullptr);
        delete old;
        FakeClock::now = 0xFFFFFFF0u;  // across the wrap of the tick count
        auto* editor = new COrbelEditor(instance.adapter(), 100, 100, clock);
        editor->open(nullptr);
        editor->doIdleStuff();  // first run, next one due 100 ms later
        const int32_t idles = instance.effect().idles;
        const int32_t hostIdles = TestHost::Count(audioMasterIdle);
        FakeClock::now += c.after;
        FakeClock::sleeps.clear();
        editor->doIdleStuff();
        EXPECT_EQ(instance.effect().idles - idles, c.runs ? 1 : 0);
        EXPECT_EQ(TestHost::Count(audioMasterIdle) - hostIdles, c.runs ? 1 : 0);
        EXPECT_EQ(FakeClock::sleeps, c.sleeps ? std::vector<uint32_t>{4} : std::vector<uint32_t>{});
        EXPECT_FALSE(editor->inTimedIdle());
    }
}

// The host's idle request inside the paced idle must not run the frame's idle again.
struct ReentrantHost {
    static inline COrbelEditor* editor = nullptr;
    static inline bool sawFlag = false;
    static intptr_t VSTCALLBACK Callback(AEffect*, int32_t opcode, int32_t, intptr_t, void*,
                                         float) {
        if (opcode == audioMasterIdle && editor) sawFlag = editor->inTimedIdle();
        return opcode == audioMasterVersion ? 2400 : 0;
    }
};

TEST(EditorObject, TheHostIdleRequestRunsWithTheInTimedIdleFlagSet) {
    OrbelCallbacks table{};
    COrbel* adapter = createAdapter(nullptr, table, ReentrantHost::Callback, 1, 0);
    ASSERT_NE(adapter, nullptr);
    ASSERT_EQ(createEditor(adapter, 10, 10), 1);
    ReentrantHost::editor = dynamic_cast<COrbelEditor*>(adapter->getEditor());
    ReentrantHost::editor->doIdleStuff();
    EXPECT_TRUE(ReentrantHost::sawFlag);
    ReentrantHost::editor = nullptr;
    AEffect* record = adapter->getAeffect();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

TEST(EditorObject, OpeningAndClosingWhileAudioRunsIsSafe) {
    EditorInstance instance;
    std::atomic<bool> stop{false};
    float buffer[64] = {};
    float* channels[16];
    for (float*& c : channels) c = buffer;
    std::thread audio([&] {
        while (!stop.load())
            instance.record()->processReplacing(instance.record(), channels, channels, 64);
    });
    for (int i = 0; i < 50; ++i) {
        instance.Dispatch(effEditOpen);
        instance.Dispatch(effEditIdle);
        instance.Dispatch(effEditClose);
    }
    stop = true;
    audio.join();
    EXPECT_EQ(instance.effect().idles, 50);
    EXPECT_EQ(EditorOf(instance)->getFrame(), nullptr);
}

}  // namespace
