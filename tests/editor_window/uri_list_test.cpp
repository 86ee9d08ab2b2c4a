// Dropped data as XDND delivers it: URI lists into file paths and texts.
#include <gtest/gtest.h>

#include "editor/x11/uri_list.h"

namespace {

using Kind = CDragContainer::Kind;

TEST(UriList, FileUrisBecomePathsAndEverythingElseText) {
    struct Case {
        const char* what;
        std::string data;
        std::vector<std::pair<Kind, std::string>> expected;
    };
    const Case cases[] = {
        {"empty authority, escapes decoded",
         "file:///tmp/a%20b%25.wav\r\n",
         {{Kind::kFile, "/tmp/a b%.wav"}}},
        {"localhost and a host name are skipped, LF only, no final newline",
         "file://localhost/home/x.txt\nfile://box/srv/y",
         {{Kind::kFile, "/home/x.txt"}, {Kind::kFile, "/srv/y"}}},
        {"comments and blank lines",
         "# from a file manager\r\n\r\nfile:/short/form\r\n",
         {{Kind::kFile, "/short/form"}}},
        {"UTF-8 escapes stay bytes", "file:///m%C3%BCsik\r\n", {{Kind::kFile, "/m\xC3\xBCsik"}}},
        {"bad escapes kept literally", "file:///a%zz%4\r\n", {{Kind::kFile, "/a%zz%4"}}},
        {"query and fragment are not part of the path", "file:///a/b?x#y", {{Kind::kFile, "/a/b"}}},
        {"other schemes and relative file URIs are text",
         "https://example.org/x\r\nfile:relative\r\n",
         {{Kind::kText, "https://example.org/x"}, {Kind::kText, "file:relative"}}},
        {"upper-case scheme", "FILE:///UP\r\n", {{Kind::kFile, "/UP"}}},
        {"trailing NUL from the selection",
         std::string("file:///z\r\n\0", 12),
         {{Kind::kFile, "/z"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto entries = ParseUriList(c.data);
        ASSERT_EQ(entries.size(), c.expected.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].kind, c.expected[i].first);
            EXPECT_EQ(entries[i].utf8, c.expected[i].second);
        }
    }
}

TEST(UriList, TextIsOneEntryAndEmptyTextNone) {
    const auto entries = ParseDroppedText(std::string("two\nlines\0", 10));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, Kind::kText);
    EXPECT_EQ(entries[0].utf8, "two\nlines");
    EXPECT_TRUE(ParseDroppedText(std::string("\0", 1)).empty());
}

}  // namespace
