// Text and path functions on byte strings; both separators count everywhere.
#include <gtest/gtest.h>

#include <string>

#include "runtime/text.h"

namespace {

struct PairCase {
    std::string a;
    std::string b;
    bool expected;
};

void CheckPairs(bool (*function)(const std::string&, const std::string&),
                std::initializer_list<PairCase> cases) {
    for (const PairCase& c : cases) {
        SCOPED_TRACE("\"" + c.a + "\", \"" + c.b + "\"");
        EXPECT_EQ(function(c.a, c.b), c.expected);
    }
}

struct MapCase {
    std::string in;
    std::string out;
};

void CheckMapping(std::string (*function)(const std::string&),
                  std::initializer_list<MapCase> cases) {
    for (const MapCase& c : cases) {
        SCOPED_TRACE("\"" + c.in + "\"");
        EXPECT_EQ(function(c.in), c.out);
    }
}

TEST(Text, Equals) {
    CheckPairs(Equals, {
                           {"abc", "abc", true},
                           {"abc", "ABC", false},
                           {"abc", "abcd", false},
                           {"", "", true},
                           {std::string("a\0b", 3), std::string("a\0c", 3), false},
                           {std::string("a\0b", 3), "a", false},
                       });
}

TEST(Text, EqualsNoCase) {
    CheckPairs(EqualsNoCase, {
                                 {"ABC", "abc", true},
                                 {"MiXeD 1/\\", "mixed 1/\\", true},
                                 {"abc", "abd", false},
                                 {"abc", "ab", false},
                                 {"", "", true},
                                 // Only ASCII letters fold: '@' and '`' sit next to them.
                                 {"@", "`", false},
                                 {"[", "{", false},
                                 {"\xC4", "\xE4", false},
                             });
}

TEST(Text, StartsWithComparesOverTheShorterLength) {
    CheckPairs(StartsWith, {
                               {"abcdef", "abc", true},
                               {"abcdef", "abd", false},
                               {"abc", "abc", true},
                               {"abc", "", true},
                               // Deliberate: a partial text matches a longer key.
                               {"ab", "abc", true},
                               {"", "abc", true},
                               {"ax", "abc", false},
                           });
}

TEST(Text, EndsWith) {
    CheckPairs(EndsWith, {
                             {"file.txt", ".txt", true},
                             {"file.txt", ".TXT", false},
                             {"file.txt", "file.txt", true},
                             {"file.txt", "", true},
                             {"txt", "a.txt", false},
                             {"", "x", false},
                             {"", "", true},
                         });
}

TEST(Text, SeparatorTests) {
    struct Case {
        std::string s;
        bool starts;
        bool ends;
    };
    const Case cases[] = {
        {"/a", true, false},  {"\\a", true, false}, {"a/", false, true},
        {"a\\", false, true}, {"/", true, true},    {"\\", true, true},
        {"a", false, false},  {"", false, false},   {"a/b", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.s + "\"");
        EXPECT_EQ(StartsWithSeparator(c.s), c.starts);
        EXPECT_EQ(EndsWithSeparator(c.s), c.ends);
    }
    EXPECT_TRUE(IsSeparator('/'));
    EXPECT_TRUE(IsSeparator('\\'));
    EXPECT_FALSE(IsSeparator(':'));
    EXPECT_FALSE(IsSeparator('\0'));
}

// Either separator is kept; a missing one is the platform's own.
const std::string kSep(1, kPathSeparator);

TEST(Text, IncludeTrailingSeparator) {
    CheckMapping(IncludeTrailingSeparator, {
                                               {"dir", "dir" + kSep},
                                               {"dir/", "dir/"},
                                               {"dir\\", "dir\\"},
                                               {"a/b", "a/b" + kSep},
                                               {"", ""},
                                           });
}

TEST(Text, IncludeLeadingSeparator) {
    CheckMapping(IncludeLeadingSeparator, {
                                              {"dir", kSep + "dir"},
                                              {"/dir", "/dir"},
                                              {"\\dir", "\\dir"},
                                              {"", kSep},
                                          });
}

TEST(Text, ExcludeLeadingSeparator) {
    CheckMapping(ExcludeLeadingSeparator, {
                                              {"/dir", "dir"},
                                              {"\\dir", "dir"},
                                              {"//dir", "/dir"},
                                              {"dir", "dir"},
                                              {"/", ""},
                                              {"", ""},
                                          });
}

TEST(Text, LastSeparator) {
    struct Case {
        std::string s;
        int expected;
    };
    const Case cases[] = {
        {"a/b\\c", 3}, {"a\\b/c", 3}, {"abc", -1}, {"", -1}, {"/", 0}, {"ab/", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.s + "\"");
        EXPECT_EQ(LastSeparator(c.s), c.expected);
    }
}

TEST(Text, ExtractDirectory) {
    CheckMapping(ExtractDirectory, {
                                       {"a/b\\c", "a/b\\"},
                                       {"a\\b/c", "a\\b/"},
                                       {"/x.txt", "/"},
                                       {"dir/", "dir/"},
                                       {"noseparator", ""},
                                       {"", ""},
                                   });
}

TEST(Text, ExtractFileName) {
    CheckMapping(ExtractFileName, {
                                      {"a/b\\c.txt", "c.txt"},
                                      {"a\\b/c", "c"},
                                      {"dir/", ""},
                                      {"dir\\", ""},
                                      {"plain", "plain"},
                                      {"", ""},
                                  });
}

TEST(Text, ExtractExtension) {
    CheckMapping(ExtractExtension, {
                                       {"file.txt", ".txt"},
                                       {"archive.tar.gz", ".gz"},
                                       {"a.b/c", ".b/c"},
                                       {"a.b\\c", ".b\\c"},
                                       {"noext", ""},
                                       {"trailing.", "."},
                                       {"", ""},
                                   });
}

}  // namespace
