// The lock: increments made under it from several threads are never lost (and the thread sanitizer sees them
// ordered), on Windows through the slim reader/writer lock, elsewhere through std::mutex.
#include "base/lock.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(Lock, IncrementsFromSeveralThreadsAreNeverLost) {
    base::Lock lock;
    long counter = 0;  // deliberately not atomic: only the lock keeps it whole
    long rounds = 0;
    constexpr int kThreads = 4;
    constexpr long kIncrements = 100000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (long i = 0; i < kIncrements; ++i) {
                base::Locked held(lock);
                const long seen = counter;  // a read and a write apart, so an unguarded pair would lose updates
                counter = seen + 1;
            }
            base::Locked held(lock);
            ++rounds;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(kThreads * kIncrements, counter);
    EXPECT_EQ(kThreads, rounds);
}

TEST(Lock, IsFreeAgainWhenItsGuardEnds) {
    base::Lock lock;
    int taken = 0;
    for (int i = 0; i < 3; ++i) {
        base::Locked held(lock);  // would never return if the last guard had kept it
        ++taken;
    }
    std::thread other([&] {
        base::Locked held(lock);
        ++taken;
    });
    other.join();
    EXPECT_EQ(4, taken);
}

}  // namespace
