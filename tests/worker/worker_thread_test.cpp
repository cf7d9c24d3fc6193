#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "worker/worker_thread.h"

namespace {

using worker::kInfinite;
using worker::kThreadQuit;
using worker::ThreadMessage;

constexpr unsigned kSomeMessage = 0x0400;  // WM_USER

// A one-shot signal between two threads.
class Signal {
public:
    void raise() {
        std::lock_guard<std::mutex> lock(mutex);
        raised = true;
        condition.notify_all();
    }
    void await() {
        std::unique_lock<std::mutex> lock(mutex);
        condition.wait(lock, [this] { return raised; });
    }

private:
    std::mutex mutex;
    std::condition_variable condition;
    bool raised = false;
};

// A worker whose Run is given by the test, and which records what happened on its thread.
class TestWorker : public worker::WorkerThread {
public:
    using Work = std::function<void(TestWorker&)>;

    explicit TestWorker(Work work = [](TestWorker&) {}) : work(std::move(work)) {
    }
    ~TestWorker() override {
        Stop(0, true);
    }

    using WorkerThread::PollStop;

    void record(const std::string& event) {
        std::lock_guard<std::mutex> lock(logMutex);
        log.push_back(event);
    }
    std::vector<std::string> events() {
        std::lock_guard<std::mutex> lock(logMutex);
        return log;
    }

    Work work;
    std::atomic<int> runs{0};
    std::atomic<int> threadEnds{0};
    Signal ended;

protected:
    void Run() override {
        ++runs;
        work(*this);
        record("run returned");
    }
    void OnThreadEnd() override {
        ++threadEnds;
        record("thread end");
        ended.raise();
    }

private:
    std::mutex logMutex;
    std::vector<std::string> log;
};

// Records its destruction, to see that a stopped Run is unwound.
struct UnwindProbe {
    TestWorker& worker;
    ~UnwindProbe() {
        worker.record("unwound");
    }
};

TEST(WorkerThreadTest, IdleObjectHasNothingToStopWaitOrPost) {
    TestWorker worker;
    EXPECT_TRUE(worker.IsEnded());
    EXPECT_EQ(worker.GetThreadId(), 0u);
    EXPECT_FALSE(worker.PostToThread(kThreadQuit, 0, 0));
    EXPECT_TRUE(worker.Stop(0, true));
    EXPECT_TRUE(worker.Wait(0));
    EXPECT_EQ(worker.runs, 0);
    EXPECT_EQ(worker.threadEnds, 0);
}

TEST(WorkerThreadTest, RunToCompletionEndsOnceAndIsReaped) {
    TestWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.ended.await();
    EXPECT_TRUE(worker.IsEnded());
    EXPECT_TRUE(worker.Wait(kInfinite));
    EXPECT_EQ(worker.GetThreadId(), 0u);
    EXPECT_EQ(worker.events(), (std::vector<std::string>{"run returned", "thread end"}));
}

TEST(WorkerThreadTest, SecondStartWhileRunningIsRefused) {
    Signal running, release;
    TestWorker worker([&](TestWorker&) {
        running.raise();
        release.await();
    });
    ASSERT_TRUE(worker.Start());
    running.await();
    EXPECT_FALSE(worker.IsEnded());
    EXPECT_FALSE(worker.Start());
    EXPECT_FALSE(worker.Wait(0)) << "a finite wait on a running worker times out and keeps the handle";
    release.raise();
    EXPECT_TRUE(worker.Wait(kInfinite));
    EXPECT_EQ(worker.runs, 1);
    EXPECT_EQ(worker.threadEnds, 1);
}

TEST(WorkerThreadTest, StartAfterAnUnreapedRunStartsAFreshThread) {
    TestWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.ended.await();
    ASSERT_TRUE(worker.Start()) << "the ended thread is reaped and a new one starts";
    EXPECT_TRUE(worker.Wait(kInfinite));
    EXPECT_EQ(worker.runs, 2);
    EXPECT_EQ(worker.threadEnds, 2);
}

TEST(WorkerThreadTest, OwnerSeesTheWorkersIdWhileItRuns) {
    Signal running, release;
    std::atomic<std::uint32_t> idSeenByWorker{0};
    TestWorker worker([&](TestWorker&) {
        idSeenByWorker = worker::thread_queue::currentThreadId();
        running.raise();
        release.await();
    });
    ASSERT_TRUE(worker.Start());
    running.await();
    EXPECT_NE(worker.GetThreadId(), 0u);
    EXPECT_EQ(worker.GetThreadId(), idSeenByWorker.load());
    EXPECT_NE(worker.GetThreadId(), worker::thread_queue::currentThreadId());
    release.raise();
    EXPECT_TRUE(worker.Wait(kInfinite));
}

TEST(WorkerThreadTest, PollStopDiscardsOtherMessagesThenEndsOnQuit) {
    Signal running, posted;
    std::vector<ThreadMessage> taken;
    bool emptyQueuePolled = true;
    bool firstPoll = false;
    TestWorker worker([&](TestWorker& self) {
        ThreadMessage message;
        emptyQueuePolled = self.PollStop(message);
        running.raise();
        posted.await();
        UnwindProbe probe{self};
        firstPoll = self.PollStop(message);
        taken.push_back(message);
        self.record("first poll");
        self.PollStop(message);
        self.record("after quit");
    });
    ASSERT_TRUE(worker.Start());
    running.await();
    EXPECT_TRUE(worker.PostToThread(kSomeMessage, 7, 9));
    EXPECT_TRUE(worker.PostToThread(kThreadQuit, 3, 0));
    posted.raise();
    worker.ended.await();
    EXPECT_TRUE(worker.IsEnded());
    EXPECT_TRUE(worker.Wait(kInfinite));

    EXPECT_FALSE(emptyQueuePolled);
    EXPECT_TRUE(firstPoll);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].message, kSomeMessage);
    EXPECT_EQ(taken[0].wParam, 7u);
    EXPECT_EQ(taken[0].lParam, 9);
    // Nothing after the poll that met the quit ran; the run was unwound before the end hook.
    EXPECT_EQ(worker.events(), (std::vector<std::string>{"first poll", "unwound", "thread end"}));
    EXPECT_EQ(worker.threadEnds, 1);
}

TEST(WorkerThreadTest, StopFromTheOwnerEndsAPollingWorkerAndWaits) {
    Signal running;
    TestWorker worker([&](TestWorker& self) {
        running.raise();
        ThreadMessage message;
        for (;;) {
            self.PollStop(message);
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(worker.Start());
    running.await();
    EXPECT_TRUE(worker.Stop(0, true));
    EXPECT_TRUE(worker.IsEnded());
    EXPECT_EQ(worker.GetThreadId(), 0u) << "Stop with waiting reaps the thread";
    EXPECT_EQ(worker.events(), (std::vector<std::string>{"thread end"}));
}

TEST(WorkerThreadTest, ExitFromTheOwnerPostsTheQuit) {
    Signal running, posted;
    TestWorker worker([&](TestWorker& self) {
        running.raise();
        posted.await();
        ThreadMessage message;
        self.PollStop(message);
        self.record("after quit");
    });
    ASSERT_TRUE(worker.Start());
    running.await();
    worker.Exit(0);
    posted.raise();
    EXPECT_TRUE(worker.Wait(kInfinite));
    EXPECT_EQ(worker.events(), (std::vector<std::string>{"thread end"}));
}

TEST(WorkerThreadTest, StopAndExitOnTheWorkerEndTheRunAtOnce) {
    for (bool useStop : {true, false}) {
        SCOPED_TRACE(useStop ? "Stop" : "Exit");
        TestWorker worker([useStop](TestWorker& self) {
            if (useStop) {
                self.Stop(4, true);
            } else {
                self.Exit(4);
            }
            self.record("after stop");
        });
        ASSERT_TRUE(worker.Start());
        EXPECT_TRUE(worker.Wait(kInfinite));
        EXPECT_EQ(worker.events(), (std::vector<std::string>{"thread end"}));
    }
}

TEST(WorkerThreadTest, WaitOnTheWorkerItselfReturnsFalse) {
    std::atomic<bool> waitedOnItself{true};
    TestWorker worker([&](TestWorker& self) { waitedOnItself = self.Wait(kInfinite); });
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.Wait(kInfinite));
    EXPECT_FALSE(waitedOnItself);
    EXPECT_EQ(worker.runs, 1);
}

TEST(WorkerThreadTest, QuitPostedWhileNoRunIsInProgressIsLost) {
    TestWorker worker;
    EXPECT_FALSE(worker.PostToThread(kThreadQuit, 0, 0)) << "before the first start";
    ASSERT_TRUE(worker.Start());
    worker.ended.await();
    EXPECT_FALSE(worker.PostToThread(kThreadQuit, 0, 0)) << "ended but not reaped";
    EXPECT_TRUE(worker.Stop(0, false));

    // The next run finds an empty queue and completes normally.
    std::atomic<bool> foundMessage{true};
    worker.work = [&](TestWorker& self) {
        ThreadMessage message;
        foundMessage = self.PollStop(message);
    };
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.Wait(kInfinite));
    EXPECT_FALSE(foundMessage);
    EXPECT_EQ(worker.events(), (std::vector<std::string>{"run returned", "thread end", "run returned", "thread end"}));
}

}  // namespace
