#include "plugin/thread_token.h"

#include <gtest/gtest.h>

#include <latch>
#include <set>
#include <thread>
#include <vector>

namespace {

// The process-thread checks compare tokens: threads alive at the same time must never share
// one, none may be 0 (no thread), and a thread must keep its own.
TEST(ThreadToken, DistinctAmongLiveThreadsAndStableWithinOne) {
    constexpr int kThreads = 8;
    std::vector<uintptr_t> tokens(kThreads + 1);
    std::vector<int> stable(kThreads + 1);
    std::latch started(kThreads);
    std::latch finish(1);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            tokens[t] = ThisThreadToken();
            started.count_down();
            finish.wait();  // every thread is alive until all have asked
            stable[t] = ThisThreadToken() == tokens[t];
        });
    }
    started.wait();
    tokens[kThreads] = ThisThreadToken();
    stable[kThreads] = ThisThreadToken() == tokens[kThreads];
    finish.count_down();
    for (std::thread& thread : threads) thread.join();
    const std::set<uintptr_t> distinct(tokens.begin(), tokens.end());
    EXPECT_EQ(distinct.size(), tokens.size());
    EXPECT_EQ(distinct.count(0), 0u);
    for (int t = 0; t <= kThreads; ++t) EXPECT_TRUE(stable[t]) << "thread " << t;
}

}  // namespace
