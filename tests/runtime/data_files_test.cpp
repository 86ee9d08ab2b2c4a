// Listing a directory's plain files, and file sliders whose value names are those files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/module_paths.h"
#include "runtime/parameters.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/temp_dir.h"
#include "tests/runtime/test_host.h"

namespace {

using Names = std::vector<std::string>;

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

// a, b, a sub-directory c (with a file inside) and a hidden .x.
void FillStandardDirectory(const TempDir& dir) {
    dir.File("a");
    dir.File("b", "");
    std::filesystem::create_directory(dir.path() + "/c");
    dir.File("c/inner");
    dir.File(".x");
}

TEST(ListDataFiles, ListsOnlyVisiblePlainFiles) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    FillStandardDirectory(dir);
    for (const std::string& path : {dir.path(), dir.path() + "/"}) {
        SCOPED_TRACE(path);
        Names names;
        ListDataFiles(path, names);
        EXPECT_EQ(Sorted(names), Names({"a", "b"}));
    }
}

TEST(ListDataFiles, AppendsToWhatIsThere) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    dir.File("only");
    Names names = {"kept"};
    ListDataFiles(dir.path(), names);
    EXPECT_EQ(names, Names({"kept", "only"}));
}

TEST(ListDataFiles, MissingOrUnreadableDirectoryChangesNothing) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string file = dir.File("plain");
    for (const std::string& path :
         {dir.path() + "/absent", dir.path() + "/absent/", file, std::string()}) {
        SCOPED_TRACE(path);
        Names names = {"kept"};
        ListDataFiles(path, names);
        EXPECT_EQ(names, Names({"kept"}));
    }
}

// Symbolic links need privileges on Windows.
#ifndef _WIN32
TEST(ListDataFiles, SymbolicLinksCountByWhatTheyPointTo) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string target = dir.File("target");
    std::filesystem::create_directory(dir.path() + "/sub");
    namespace fs = std::filesystem;
    fs::create_symlink(target, dir.path() + "/to_file");
    fs::create_directory_symlink(dir.path() + "/sub", dir.path() + "/to_dir");
    fs::create_symlink(dir.path() + "/gone", dir.path() + "/dangling");
    Names names;
    ListDataFiles(dir.path(), names);
    EXPECT_EQ(Sorted(names), Names({"target", "to_file"}));
}
#endif

class FileSliderEffect : public CountingEffect {
  public:
    explicit FileSliderEffect(const std::string& path) {
        AddSlider(9, nullptr, 0.75, 3.0, 7.0, 1.0, path, "aux", "file", "data file");
    }
};

class FileSliderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // File sliders are listed relative to the module; without its directory there is
        // nothing to place the data next to (ModulePaths tests say why).
        ASSERT_FALSE(ModuleDirectory().empty()) << "module directory unknown";
        ASSERT_TRUE(dir.ok()) << ModuleDirectory();
        FillStandardDirectory(dir);
        relative = dir.path().substr(ModuleDirectory().size());
    }
    TempDir dir{ModuleDirectory()};
    std::string relative;  // the directory relative to the module, no separators around
};

TEST_F(FileSliderTest, ValueNamesAreTheDirectorysFiles) {
    for (const std::string& path : {relative, relative + "/", "/" + relative, "\\" + relative}) {
        SCOPED_TRACE(path);
        FileSliderEffect effect(path);
        ASSERT_EQ(effect.sliderDefs.size(), 1u);
        const SliderDef& def = effect.sliderDefs[0];
        EXPECT_EQ(Sorted(def.valueNames), Names({"a", "b"}));
        EXPECT_TRUE(def.filesListed);
        EXPECT_EQ(def.path, path);
        EXPECT_EQ(def.index, 9);
        EXPECT_EQ(def.minimum, 0.0);
        EXPECT_EQ(def.maximum, 1.0);
        EXPECT_EQ(def.defaultValue, 0.0);
        EXPECT_EQ(def.step, 0.5);
        // The value itself keeps the default the constructor asked for.
        EXPECT_EQ(effect.sliderValues[9], 0.75);
    }
}

TEST_F(FileSliderTest, NoPlainFilesGiveOnePlaceholderName) {
    TempDir empty{ModuleDirectory()};
    ASSERT_TRUE(empty.ok());
    std::filesystem::create_directory(empty.path() + "/only_a_directory");
    empty.File(".hidden");
    const std::string emptyRelative = empty.path().substr(ModuleDirectory().size());
    for (const std::string& path : {relative + "/missing", emptyRelative}) {
        SCOPED_TRACE(path);
        FileSliderEffect effect(path);
        const SliderDef& def = effect.sliderDefs[0];
        EXPECT_EQ(def.valueNames, Names({"(No Data Files)"}));
        EXPECT_EQ(def.minimum, 0.0);
        EXPECT_EQ(def.maximum, 0.0);
        EXPECT_EQ(def.defaultValue, 0.0);
        EXPECT_EQ(def.step, 0.5);
        EXPECT_EQ(effect.sliderValues[9], 0.75);
    }
}

TEST_F(FileSliderTest, HostStepsInHalvesAndSeesFileNames) {
    auto* effect = new FileSliderEffect(relative);
    TestInstance instance(effect);
    COrbel* adapter = instance.adapter();
    const Names& names = effect->sliderDefs[0].valueNames;
    ASSERT_EQ(names.size(), 2u);
    struct Case {
        double x;
        double value;
        size_t shown;
    };
    const Case cases[] = {
        {0.0, 0.0, 0}, {0.2, 0.0, 0}, {0.25, 0.5, 0}, {0.6, 0.5, 0}, {0.75, 1.0, 1}, {1.0, 1.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        effect->sliderValues[9] = -5.0;
        RuntimeSetParameter(adapter, 0, c.x);
        EXPECT_EQ(effect->sliderValues[9], c.value);
        char text[16] = {};
        RuntimeGetParameterDisplay(adapter, 0, text);
        EXPECT_EQ(text, names[c.shown].substr(0, 7));
    }
}

}  // namespace
