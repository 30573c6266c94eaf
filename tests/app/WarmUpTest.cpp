#include "WarmUp.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

using namespace quillane;

namespace {

// Work that records where it ran and holds on until the test lets it go.
struct TGatedWork {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Open = false;
    std::atomic<bool> Started{false}, Finished{false};
    std::thread::id RanOn;

    std::function<void()> Body(bool throws = false) {
        return [this, throws] {
            RanOn = std::this_thread::get_id();
            Started = true;
            std::unique_lock<std::mutex> hold(Lock);
            Changed.wait(hold, [this] { return Open; });
            Finished = true;
            if (throws) throw std::runtime_error("warm-up failed");
        };
    }
    void Release() {
        {
            std::lock_guard<std::mutex> hold(Lock);
            Open = true;
        }
        Changed.notify_all();
    }
};

// The caller goes on while the work runs on another thread; waiting, once or
// again, and the destructor each return only after the work has finished,
// and a failing work neither escapes nor ends the program.
TEST(WarmUpTest, WorkRunsAlongsideAndIsWaitedFor) {
    struct Case {
        const char* Name;
        int Waits;
        bool Throws;
    };
    const Case cases[] = {
        {"destructor only", 0, false},
        {"one wait", 1, false},
        {"two waits", 2, false},
        {"failing work", 1, true},
        {"failing work, destructor only", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TGatedWork work;
        {
            TWarmUp warmUp(work.Body(c.Throws));
            // Still held: the constructor returned without running it here.
            while (!work.Started) std::this_thread::yield();
            EXPECT_NE(work.RanOn, std::this_thread::get_id());
            EXPECT_FALSE(work.Finished);
            std::thread release([&work] {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                work.Release();
            });
            for (int i = 0; i < c.Waits; ++i) {
                warmUp.Wait();
                EXPECT_TRUE(work.Finished);
            }
            release.join();
        }
        EXPECT_TRUE(work.Finished);
    }
}

TEST(WarmUpTest, EmptyWorkStartsNothing) {
    TWarmUp warmUp(nullptr);
    warmUp.Wait();
    warmUp.Wait();
}

// A moved warm-up is waited for by its new owner only.
TEST(WarmUpTest, MovedWarmUpIsWaitedForByItsNewOwner) {
    TGatedWork work;
    TWarmUp first(work.Body());
    TWarmUp second(std::move(first));
    first.Wait();  // nothing left to wait for: must not block
    EXPECT_FALSE(work.Finished);
    work.Release();
    second.Wait();
    EXPECT_TRUE(work.Finished);
}

}  // namespace
