// The exported entry points and the record a host reads before it sends anything.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/plugin/router_library.h"
#include "tests/plugin/scripted_host.h"

namespace {

constexpr int32_t kExpectedFlags =
    effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing;  // 0x1030

struct RecordField {
    const char* name;
    int32_t actual;
    int32_t expected;
};

void ExpectHostVisibleRecord(const AEffect& record) {
    const RecordField fields[] = {
        {"magic", record.magic, 0x56737450},      {"numPrograms", record.numPrograms, 1},
        {"numParams", record.numParams, 8},       {"numInputs", record.numInputs, 16},
        {"numOutputs", record.numOutputs, 16},    {"flags", record.flags, kExpectedFlags},
        {"uniqueID", record.uniqueID, 0},         {"version", record.version, 1},
        {"initialDelay", record.initialDelay, 0},
    };
    for (const RecordField& field : fields) {
        SCOPED_TRACE(field.name);
        EXPECT_EQ(field.actual, field.expected);
    }
    EXPECT_EQ(record.ioRatio, 1.0f);
    EXPECT_NE(record.dispatcher, nullptr);
    EXPECT_NE(record.setParameter, nullptr);
    EXPECT_NE(record.getParameter, nullptr);
    EXPECT_NE(record.processReplacing, nullptr);
    EXPECT_NE(record.processDoubleReplacing, nullptr);
}

TEST(EntryPoints, AllThreeNamesAreExported) {
    ASSERT_TRUE(RouterLibrary::Get().Loaded());
    for (const char* name : vst2host::kEntryNames) {
        SCOPED_TRACE(name);
        EXPECT_NE(RouterLibrary::Get().Entry(name), nullptr);
    }
}

TEST(EntryPoints, RecordCarriesTheIdentityAHostReads) {
    for (const char* name : vst2host::kEntryNames) {
        SCOPED_TRACE(name);
        ScriptedHost host;
        HostedEffect plugin(host, RouterLibrary::Get().Entry(name));
        ASSERT_TRUE(plugin.valid());
        ExpectHostVisibleRecord(*plugin.effect());
        // Starting the instance must not change what the host already read.
        plugin.Start();
        ExpectHostVisibleRecord(*plugin.effect());
    }
}

TEST(EntryPoints, EachCallMakesANewIndependentInstance) {
    for (const char* name : vst2host::kEntryNames) {
        SCOPED_TRACE(name);
        ScriptedHost host;
        HostedEffect first(host, RouterLibrary::Get().Entry(name));
        HostedEffect second(host, RouterLibrary::Get().Entry(name));
        ASSERT_TRUE(first.valid() && second.valid());
        EXPECT_NE(first.effect(), second.effect());
        EXPECT_NE(first.effect()->object, second.effect()->object);

        first.Start();
        second.Start();
        first.SetParameter(2, 1.0f);
        second.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("second"));
        EXPECT_EQ(first.GetParameter(2), 1.0f);
        EXPECT_EQ(second.GetParameter(2), 0.0f);
        EXPECT_EQ(first.Text(effGetProgramName), "Kelvane_Lotta router");
        EXPECT_EQ(second.Text(effGetProgramName), "second");

        // Closing one leaves the other working.
        EXPECT_EQ(first.Close(), 1);
        EXPECT_EQ(second.GetParameter(2), 0.0f);
        EXPECT_EQ(second.Text(effGetEffectName), "Kelvane_Lotta router");
    }
}

TEST(EntryPoints, AllNamesGiveEquivalentRecords) {
    ScriptedHost host;
    HostedEffect reference(host, RouterLibrary::Get().Main());
    ASSERT_TRUE(reference.valid());
    for (const char* name : vst2host::kEntryNames) {
        SCOPED_TRACE(name);
        HostedEffect other(host, RouterLibrary::Get().Entry(name));
        ASSERT_TRUE(other.valid());
        const AEffect& a = *reference.effect();
        const AEffect& b = *other.effect();
        EXPECT_EQ(a.magic, b.magic);
        EXPECT_EQ(a.numPrograms, b.numPrograms);
        EXPECT_EQ(a.numParams, b.numParams);
        EXPECT_EQ(a.numInputs, b.numInputs);
        EXPECT_EQ(a.numOutputs, b.numOutputs);
        EXPECT_EQ(a.flags, b.flags);
        EXPECT_EQ(a.uniqueID, b.uniqueID);
        EXPECT_EQ(a.version, b.version);
        EXPECT_EQ(a.ioRatio, b.ioRatio);
        EXPECT_EQ(a.initialDelay, b.initialDelay);
        EXPECT_EQ(reference.Text(effGetEffectName), other.Text(effGetEffectName));
        EXPECT_EQ(reference.Text(effGetParamName, 7), other.Text(effGetParamName, 7));
    }
}

TEST(EntryPoints, HostWithoutVersionGetsNoInstance) {
    for (const char* name : vst2host::kEntryNames) {
        SCOPED_TRACE(name);
        ScriptedHost host;
        host.versionAnswer = 0;
        // The sanitizer build's leak check sees whatever a refused instance leaves behind.
        EXPECT_EQ(host.Load(RouterLibrary::Get().Entry(name)), nullptr);
        const auto requests = host.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    }
}

TEST(EntryPoints, AskOnlyForTheHostVersionBeforeTheRecordExists) {
    // Old hosts answer 1, current ones 2400; any non-zero answer gets an instance.
    for (intptr_t version : {intptr_t{1}, intptr_t{2}, intptr_t{2400}}) {
        SCOPED_TRACE(version);
        ScriptedHost host;
        host.versionAnswer = version;
        HostedEffect plugin(host);
        ASSERT_TRUE(plugin.valid());
        const auto requests = host.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].effect, nullptr);
        EXPECT_EQ(requests[0].opcode, audioMasterVersion);
        EXPECT_EQ(requests[0].index, 0);
        EXPECT_EQ(requests[0].value, 0);
        EXPECT_EQ(requests[0].ptr, nullptr);
        EXPECT_EQ(requests[0].opt, 0.0f);
    }
}

}  // namespace
