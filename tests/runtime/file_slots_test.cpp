// File slots: the file-variable exchange, the slot reset, and the flush of named write slots to
// files next to the module.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/file_slot.h"
#include "runtime/script_numbers.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/module_file.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(FileSlot, WriteGrowsWithZerosAndAdvances) {
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    double a = 1.5;
    double b = -2.25;
    slot.Exchange(a);
    EXPECT_EQ(slot.position, 1);
    EXPECT_EQ(slot.data, std::vector<float>({1.5f}));
    slot.position = 4;
    slot.Exchange(b);
    EXPECT_EQ(slot.position, 5);
    EXPECT_EQ(slot.data, std::vector<float>({1.5f, 0.0f, 0.0f, 0.0f, -2.25f}));
    // Writing inside existing data overwrites without growing.
    slot.position = 1;
    slot.Exchange(a);
    EXPECT_EQ(slot.position, 2);
    EXPECT_EQ(slot.data, std::vector<float>({1.5f, 1.5f, 0.0f, 0.0f, -2.25f}));
}

TEST(FileSlot, WriteNarrowsToFloat) {
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    double v = 3.7;
    slot.Exchange(v);
    ASSERT_EQ(slot.data.size(), 1u);
    EXPECT_EQ(slot.data[0], 3.7f);
    EXPECT_EQ(v, 3.7);
}

TEST(FileSlot, ReadConsumesUntilTheEndThenLeavesTheVariable) {
    FileSlot slot;
    slot.mode = kFileSlotRead;
    slot.data = {2.5f, -1.0f};
    const double expected[] = {2.5, -1.0, 77.0, 77.0};
    const int32_t positions[] = {1, 2, 2, 2};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        double v = 77.0;
        slot.Exchange(v);
        EXPECT_EQ(v, expected[i]);
        EXPECT_EQ(slot.position, positions[i]);
    }
    EXPECT_EQ(slot.data.size(), 2u);
}

TEST(FileSlot, ReadAtANegativePositionLeavesTheVariable) {
    FileSlot slot;
    slot.mode = kFileSlotRead;
    slot.data = {2.5f};
    slot.position = -1;
    double v = 77.0;
    slot.Exchange(v);
    EXPECT_EQ(v, 77.0);
    EXPECT_EQ(slot.position, -1);
}

TEST(FileSlot, OtherModesDoNothing) {
    for (int32_t mode : {static_cast<int32_t>(kFileSlotClosed), 3, -1}) {
        SCOPED_TRACE(mode);
        FileSlot slot;
        slot.mode = mode;
        slot.data = {9.0f};
        double v = 77.0;
        slot.Exchange(v);
        EXPECT_EQ(v, 77.0);
        EXPECT_EQ(slot.position, 0);
        EXPECT_EQ(slot.data, std::vector<float>({9.0f}));
    }
}

TEST(FileSlot, ResetEmptiesTheSlotAndSwitchesMode) {
    FileSlot slot;
    slot.mode = kFileSlotRead;
    slot.name = "ignored.bin";
    slot.position = 3;
    slot.data = {1.0f, 2.0f, 3.0f};
    slot.firstFlag = 7;
    slot.firstCounter = 4;
    slot.secondCounter = 5;
    slot.Reset(kFileSlotWrite);
    EXPECT_TRUE(slot.name.empty());
    EXPECT_EQ(slot.position, 0);
    EXPECT_TRUE(slot.data.empty());
    EXPECT_GE(slot.data.capacity(), 3u);
    EXPECT_EQ(slot.firstFlag, 0);
    EXPECT_EQ(slot.secondFlag, 1);
    EXPECT_EQ(slot.firstCounter, 0);
    EXPECT_EQ(slot.secondCounter, 0);
    EXPECT_EQ(slot.mode, kFileSlotWrite);
}

TEST(FileSlotFlush, ResetWritesANamedWriteSlotOneBytePerValue) {
    ModuleFile file("flush");
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    slot.name = file.name();
    slot.data = {65.2f, -1.5f};
    slot.Reset(kFileSlotClosed);
    EXPECT_EQ(file.Bytes(), Bytes({0x41, 0xFF}));
}

TEST(FileSlotFlush, EachValueBecomesTheLowByteOfItsIndex) {
    struct Case {
        float value;
        unsigned char byte;
    };
    const Case cases[] = {
        {0.0f, 0x00},
        {1.0f, 0x01},
        {0.99995f, 0x01},
        {0.9998f, 0x00},
        {65.2f, 0x41},
        {255.0f, 0xFF},
        {256.0f, 0x00},
        {300.0f, 0x2C},
        {-1.0f, 0xFF},
        {-1.5f, 0xFF},
        {-2.99995f, 0xFD},
        {-256.0f, 0x00},
        {-129.0f, 0x7F},
        {1000.7f, 0xE8},
        // Out of the int range: the indefinite value, whose low byte is 0.
        {1e30f, 0x00},
    };
    ModuleFile file("bytes");
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    slot.name = file.name();
    for (const Case& c : cases) slot.data.push_back(c.value);
    slot.Flush();
    const Bytes written = file.Bytes();
    ASSERT_EQ(written.size(), std::size(cases));
    for (size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(cases[i].value);
        EXPECT_EQ(written[i], cases[i].byte);
    }
}

TEST(FileSlotFlush, ReplacesAnExistingFile) {
    ModuleFile file("replace");
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    slot.name = file.name();
    slot.data = {1.0f, 2.0f, 3.0f};
    slot.Flush();
    slot.data = {9.0f};
    slot.Flush();
    EXPECT_EQ(file.Bytes(), Bytes({0x09}));
}

TEST(FileSlotFlush, LeadingSeparatorStillMeansNextToTheModule) {
    ModuleFile file("leading");
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    slot.name = "/" + file.name();
    slot.data = {7.0f};
    slot.Flush();
    EXPECT_EQ(file.Bytes(), Bytes({0x07}));
}

TEST(FileSlotFlush, OnlyNamedWriteSlotsAreWritten) {
    ModuleFile file("not_written");
    struct Case {
        const char* what;
        int32_t mode;
        bool named;
    };
    const Case cases[] = {
        {"read slot", kFileSlotRead, true},
        {"closed slot", kFileSlotClosed, true},
        {"unnamed write slot", kFileSlotWrite, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileSlot slot;
        slot.mode = c.mode;
        if (c.named) slot.name = file.name();
        slot.data = {1.0f, 2.0f};
        slot.Reset(kFileSlotWrite);
        EXPECT_FALSE(file.Exists());
        EXPECT_TRUE(slot.data.empty());
    }
}

TEST(FileSlotFlush, AnEmptyNamedWriteSlotMakesAnEmptyFile) {
    ModuleFile file("empty");
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    slot.name = file.name();
    slot.Flush();
    EXPECT_TRUE(file.Exists());
    EXPECT_TRUE(file.Bytes().empty());
}

TEST(FileSlotFlush, AnUnwritableLocationIsSkipped) {
    const std::string name = "no_such_dir_xyz_" + std::to_string(TestProcessId()) + "/out.bin";
    FileSlot slot;
    slot.mode = kFileSlotWrite;
    slot.name = name;
    slot.data = {1.0f};
    slot.Reset(kFileSlotRead);
    EXPECT_EQ(slot.mode, kFileSlotRead);
    EXPECT_TRUE(slot.data.empty());
    EXPECT_FALSE(std::ifstream(ModuleRelativePath(name)).good());
}

TEST(FileSlotFlush, DestroyingTheRuntimeObjectWritesNamedWriteSlots) {
    ModuleFile first("destroy_first");
    ModuleFile pushed("destroy_pushed");
    ModuleFile reading("destroy_read");
    auto* effect = new CountingEffect;
    ASSERT_EQ(effect->files.size(), 1u);
    effect->files[0].mode = kFileSlotWrite;
    effect->files[0].name = first.name();
    effect->files[0].data = {65.2f, -1.5f};
    effect->files.emplace_back();
    effect->files[1].mode = kFileSlotWrite;
    effect->files[1].name = pushed.name();
    effect->files[1].data = {3.0f};
    effect->files.emplace_back();
    effect->files[2].mode = kFileSlotRead;
    effect->files[2].name = reading.name();
    effect->files[2].data = {4.0f};
    EXPECT_FALSE(first.Exists());
    delete static_cast<TZolt*>(effect);
    EXPECT_EQ(first.Bytes(), Bytes({0x41, 0xFF}));
    EXPECT_EQ(pushed.Bytes(), Bytes({0x03}));
    EXPECT_FALSE(reading.Exists());
}

}  // namespace
