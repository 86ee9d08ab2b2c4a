// The validator's reading of what a check process reported: a report cut short, garbled, or
// full of what a plug-in printed must fail the check it concerns, never pass one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vst2host/validate_report.h"

namespace {

using vst2host::ParseReport;
using vst2host::Verdict;

const std::vector<std::string> kChecks = {"one", "two", "three"};

struct Expect {
    Verdict verdict;
    const char* detail;  // part of the detail
};

TEST(ValidateReport, EveryCheckGetsAnHonestRecord) {
    constexpr Verdict P = Verdict::kPass;
    constexpr Verdict F = Verdict::kFail;
    struct Case {
        const char* what;
        std::string report;
        std::string death;
        std::vector<Expect> expect;  // per check of kChecks
    };
    const Case cases[] = {
        {"complete",
         "B\tone\nR\tP\tone\tfine\nB\ttwo\nR\tF\ttwo\tbad\nB\tthree\nR\tS\tthree\tno\nE\n",
         "",
         {{P, "fine"}, {F, "bad"}, {Verdict::kSkip, "no"}}},
        {"every check reported, but no end",
         "B\tone\nR\tP\tone\t\nB\ttwo\nR\tP\ttwo\t\nB\tthree\nR\tP\tthree\tok\n",
         "",
         {{P, ""}, {P, ""}, {F, "finished, then the check process ended before its report did"}}},
        {"more after the end",
         "B\tone\nR\tP\tone\t\nB\ttwo\nR\tP\ttwo\t\nB\tthree\nR\tP\tthree\tok\nE\nB\tone\n",
         "",
         {{P, ""}, {P, ""}, {F, "finished, then the check process's report is garbled ('B?one')"}}},
        {"an end inside a check",
         "B\tone\nE\n",
         "",
         {{F, "garbled ('E')"}, {F, "not run: 'one' left an unreadable report"}, {F, "not run"}}},
        {"cut inside a line",
         "B\tone\nR\tP\tone\tfine\nB\ttwo\nR\tP\ttw",
         "",
         {{P, "fine"}, {F, "cut short"}, {F, "not run: 'two' left an unreadable report"}}},
        {"a verdict letter that is none",
         "B\tone\nR\tY\tone\tfine\n",
         "",
         {{F, "garbled ('R?Y?one?fine')"}, {F, "not run"}, {F, "not run"}}},
        {"plug-in text where the report should be",
         "B\tone\nR\tP\tone\tfine\nR\tP\ttwo\tfine\nB\tthree\nR\tP\tthree\tfine\n",
         "",
         {{P, "fine"}, {F, "garbled"}, {F, "not run: the report before it is unreadable"}}},
        {"a check the group does not have",
         "B\tone\nR\tP\tone\tfine\nB\tfour\n",
         "",
         {{P, "fine"}, {F, "garbled"}, {F, "not run"}}},
        {"a second verdict for a finished check",
         "B\tone\nR\tF\tone\tbad\nB\tone\nR\tP\tone\tfine\n",
         "",
         {{F, "bad"}, {F, "garbled"}, {F, "not run"}}},
        {"crash with the call it was in",
         "B\tone\nR\tP\tone\t\nB\ttwo\nN\tblock of 32\nC\tin setParameter(3, 0.25) on the "
         "automation thread\n",
         "crashed (signal 11, Segmentation fault)",
         {{P, ""},
          {F,
           "crashed (signal 11, Segmentation fault) in setParameter(3, 0.25) on the automation "
           "thread at block of 32"},
          {F, "not run: 'two' crashed"}}},
        {"crash on the way out",
         "B\tone\nR\tP\tone\t\nB\ttwo\nR\tP\ttwo\t\nB\tthree\nR\tP\tthree\tok\n",
         "crashed (signal 6, Aborted)",
         {{P, ""}, {P, ""}, {F, "finished, then the process crashed (signal 6"}}},
        {"exited with a status on the way out",
         "B\tone\nR\tP\tone\t\nB\ttwo\nR\tP\ttwo\t\nB\tthree\nR\tP\tthree\tok\nE\n",
         "the process exited with status 66",
         {{P, ""}, {P, ""}, {F, "finished, then the process exited with status 66"}}},
        {"ended between checks",
         "B\tone\nR\tP\tone\t\n",
         "",
         {{P, ""}, {F, "not run: the process ended early"}, {F, "the process ended early"}}},
        {"nothing before the time ran out",
         "",
         "timed out after 2 s",
         {{F, "not run: timed out after 2 s"}, {F, "timed out"}, {F, "timed out"}}},
        {"a tab and newline free detail with odd bytes",
         "B\tone\nR\tP\tone\t\x01\xff\n",
         "",
         {{P, "\x01\xff"}, {F, "ended early"}, {F, "ended early"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const vst2host::GroupResult r = ParseReport(c.report, kChecks, c.death);
        EXPECT_FALSE(r.loadError);
        ASSERT_EQ(r.records.size(), kChecks.size());
        for (std::size_t i = 0; i < kChecks.size(); ++i) {
            SCOPED_TRACE(kChecks[i]);
            EXPECT_EQ(r.records[i].name, kChecks[i]);
            EXPECT_EQ(r.records[i].verdict, c.expect[i].verdict) << r.records[i].detail;
            EXPECT_NE(r.records[i].detail.find(c.expect[i].detail), std::string::npos)
                << r.records[i].detail;
        }
    }
}

TEST(ValidateReport, AReportEndsOnlyWithItsEndRecord) {
    const std::pair<const char*, bool> cases[] = {
        {"E\n", true},
        {"B\tone\nR\tP\tone\t\nE\n", true},
        {"", false},
        {"B\tone\nR\tP\tone\t\nE", false},
        {"R\tP\tone\tE\n", false},
        {"B\tone\nR\tP\tone\tE\n", false},
    };
    for (const auto& [report, ended] : cases) {
        EXPECT_EQ(vst2host::ReportEnded(report), ended) << report;
    }
}

TEST(ValidateReport, ALoadFailureIsTakenOnlyFromAReadableReport) {
    const vst2host::GroupResult loaded = ParseReport("L\tcannot load x: no entry\n", kChecks, "");
    ASSERT_TRUE(loaded.loadError);
    EXPECT_EQ(*loaded.loadError, "cannot load x: no entry");
    EXPECT_TRUE(loaded.records.empty());

    const vst2host::GroupResult garbled = ParseReport("L\tcannot load\n??\n", kChecks, "");
    EXPECT_FALSE(garbled.loadError);
    ASSERT_EQ(garbled.records.size(), kChecks.size());
    EXPECT_NE(garbled.records[0].detail.find("garbled"), std::string::npos);
}

}  // namespace
