// A shared library with exported code but no VST 2 entry point: a host must refuse it.
#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

TEST_EXPORT int vst2host_test_answer() {
    return 42;
}
