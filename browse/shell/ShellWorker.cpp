#include "ShellWorker.h"

#include <deque>
#include <system_error>
#include <thread>
#include <utility>

namespace quillane::shell {

bool ShellTask::WaitUntil(Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(FMutex);
    return FEnded.wait_until(lock, deadline, [this] { return FDone; });
}

bool ShellTask::Done() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FDone;
}

void ShellTask::Finish() {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FDone = true;
    }
    FEnded.notify_all();
}

namespace {

// An idle thread waits this long for more work before it ends.
constexpr std::chrono::seconds IdleLife{30};

struct Job {
    std::function<void()> work;
    std::function<void()> ended;
    ShellTaskPtr task;
};

}  // namespace

// Shared by the worker object and its threads: a thread keeps it alive for
// as long as it runs, whatever happened to the worker meanwhile.
struct ShellWorker::Pool {
    mutable std::mutex mutex;
    std::condition_variable wake;
    mutable std::condition_variable idle;
    std::deque<Job> queue;
    ThreadSetup setup;
    std::size_t waiting = 0;     // threads waiting for work
    std::size_t starting = 0;    // threads started that have not yet looked for work
    std::size_t returning = 0;   // threads whose work has ended, on their way back
    std::size_t unfinished = 0;  // work queued or running
    std::size_t started = 0;
    bool stopping = false;

    static void Serve(std::shared_ptr<Pool> pool);
};

void ShellWorker::Pool::Serve(std::shared_ptr<Pool> pool) {
    std::shared_ptr<void> prepared;
    if (pool->setup) {
        try {
            prepared = pool->setup();
        } catch (...) {
            // Work still runs; its shell calls report what they lack.
        }
    }
    std::unique_lock<std::mutex> lock(pool->mutex);
    --pool->starting;
    for (;;) {
        ++pool->waiting;
        const bool woken = pool->wake.wait_for(lock, IdleLife, [&] { return !pool->queue.empty() || pool->stopping; });
        --pool->waiting;
        if (pool->queue.empty()) {
            if (!woken || pool->stopping) return;
            continue;
        }
        Job job = std::move(pool->queue.front());
        pool->queue.pop_front();
        lock.unlock();
        try {
            job.work();
        } catch (...) {
            // Nothing may leave a thread; the task ends all the same.
        }
        // The work's captures go before the task counts as ended, so that a
        // caller who sees it ended sees everything the work held released.
        job.work = nullptr;
        lock.lock();
        // From here on the thread is as good as waiting: what is left to do
        // never blocks.
        ++pool->returning;
        lock.unlock();
        job.task->Finish();
        try {
            if (job.ended) job.ended();
        } catch (...) {}
        job.ended = nullptr;
        job.task.reset();
        lock.lock();
        --pool->returning;
        if (--pool->unfinished == 0) pool->idle.notify_all();
    }
}

ShellWorker::ShellWorker(ThreadSetup setup) : FPool(std::make_shared<Pool>()) {
    FPool->setup = std::move(setup);
}

ShellWorker::~ShellWorker() {
    {
        std::lock_guard<std::mutex> lock(FPool->mutex);
        FPool->stopping = true;
    }
    FPool->wake.notify_all();
}

ShellTaskPtr ShellWorker::Run(std::function<void()> work, std::function<void()> ended) {
    auto task = std::make_shared<ShellTask>();
    bool startThread = false;
    {
        std::lock_guard<std::mutex> lock(FPool->mutex);
        FPool->queue.push_back(Job{std::move(work), std::move(ended), task});
        ++FPool->unfinished;
        // Every queued piece needs a thread of its own on the way to the
        // queue: a busy thread may never come back.
        if (FPool->queue.size() > FPool->waiting + FPool->starting + FPool->returning) {
            ++FPool->starting;
            ++FPool->started;
            startThread = true;
        }
    }
    if (!startThread) {
        FPool->wake.notify_one();
        return task;
    }
    try {
        std::thread(&Pool::Serve, FPool).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the piece waits for one of those there are.
        std::lock_guard<std::mutex> lock(FPool->mutex);
        --FPool->starting;
    }
    return task;
}

std::size_t ShellWorker::ThreadsStarted() const {
    std::lock_guard<std::mutex> lock(FPool->mutex);
    return FPool->started;
}

bool ShellWorker::WaitIdle(Clock::time_point deadline) const {
    std::unique_lock<std::mutex> lock(FPool->mutex);
    return FPool->idle.wait_until(lock, deadline, [this] { return FPool->unfinished == 0; });
}

}  // namespace quillane::shell
