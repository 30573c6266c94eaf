// The threads of shell work: waiting with a deadline, work that never ends
// holding up nothing else, threads kept for the next piece, the thread set-up
// and what the work holds let go before it counts as ended.

#include "ShellWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

using namespace quillane::shell;
using namespace std::chrono_literals;

namespace {

ShellWorker::Clock::time_point In(std::chrono::milliseconds ms) {
    return ShellWorker::Clock::now() + ms;
}

// A gate that work waits at until the test opens it.
class Gate {
public:
    void Wait() {
        std::unique_lock<std::mutex> lock(FMutex);
        FOpened.wait(lock, [this] { return FOpen; });
    }
    void Open() {
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FOpen = true;
        }
        FOpened.notify_all();
    }

private:
    std::mutex FMutex;
    std::condition_variable FOpened;
    bool FOpen = false;
};

TEST(ShellWorker, WorkRunsElsewhereAndEndsInOrder) {
    std::atomic<int> setups{0};
    ShellWorker worker([&] {
        ++setups;
        return std::make_shared<int>(0);
    });
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id ranOn;
    auto held = std::make_shared<int>(1);
    std::weak_ptr<int> watch = held;
    bool releasedBeforeEnd = false;
    std::atomic<bool> ended{false};
    const ShellTaskPtr task = worker.Run([&ranOn, held = std::move(held)] { ranOn = std::this_thread::get_id(); },
                                         [&] {
                                             releasedBeforeEnd = watch.expired();
                                             ended = true;
                                         });
    ASSERT_TRUE(task->WaitUntil(In(10s)));
    EXPECT_TRUE(task->Done());
    EXPECT_NE(ranOn, caller);
    ASSERT_TRUE(worker.WaitIdle(In(10s)));
    EXPECT_TRUE(ended);
    EXPECT_TRUE(releasedBeforeEnd) << "what the work held must be gone when it counts as ended";

    // The next pieces reuse the idle thread; an exception ends a piece too.
    for (int i = 0; i < 3; ++i) {
        const ShellTaskPtr next = worker.Run([] { throw std::runtime_error("failed"); });
        ASSERT_TRUE(next->WaitUntil(In(10s)));
        ASSERT_TRUE(worker.WaitIdle(In(10s)));
    }
    EXPECT_EQ(worker.ThreadsStarted(), 1u);
    EXPECT_EQ(setups, 1);
}

TEST(ShellWorker, WorkThatDoesNotEndHoldsUpNothingElse) {
    auto gate = std::make_shared<Gate>();
    auto worker = std::make_unique<ShellWorker>();
    const ShellTaskPtr hung = worker->Run([gate] { gate->Wait(); });
    EXPECT_FALSE(hung->WaitUntil(In(20ms)));
    EXPECT_FALSE(hung->Done());
    for (int i = 0; i < 3; ++i) {
        const ShellTaskPtr other = worker->Run([] {});
        EXPECT_TRUE(other->WaitUntil(In(10s))) << "piece " << i;
    }
    EXPECT_FALSE(worker->WaitIdle(In(20ms)));
    EXPECT_EQ(worker->ThreadsStarted(), 2u);
    // The worker goes without waiting for the piece still running, which
    // ends later on its own.
    worker.reset();
    gate->Open();
    EXPECT_TRUE(hung->WaitUntil(In(10s)));
}

}  // namespace
