#pragma once

// Threads for shell work that can block on a file system. The caller hands
// over a piece of work and waits for it as long as it chooses; work whose
// thread never comes back (a hung network mount) costs that one thread: the
// next piece runs on another. Threads are never joined, so ending the
// program never waits for them; whatever a piece of work uses must be held
// by the work itself.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

namespace quillane::shell {

/// The end of one piece of work, which the caller can wait for.
class ShellTask {
public:
    using Clock = std::chrono::steady_clock;

    /// Waits until the work has ended or `deadline` has passed; true when
    /// it has ended.
    bool WaitUntil(Clock::time_point deadline);
    /// Whether the work has ended.
    bool Done() const;

private:
    friend class ShellWorker;
    void Finish();

    mutable std::mutex FMutex;
    std::condition_variable FEnded;
    bool FDone = false;
};

using ShellTaskPtr = std::shared_ptr<ShellTask>;

/// A pool of threads for shell work.
class ShellWorker {
public:
    using Clock = std::chrono::steady_clock;
    /// Prepares a new thread for shell calls; what it returns is held until
    /// the thread ends (the COM apartment on Windows).
    using ThreadSetup = std::function<std::shared_ptr<void>()>;

    /// A pool whose threads each run `setup` first.
    explicit ShellWorker(ThreadSetup setup = nullptr);
    /// Lets idle threads end; a busy one ends when its work does.
    ~ShellWorker();
    ShellWorker(const ShellWorker&) = delete;
    ShellWorker& operator=(const ShellWorker&) = delete;

    /// Runs `work` on an idle thread, or on a new one when every thread is
    /// busy, so that no work waits behind work that may never end. Then, on
    /// the same thread, `work` is destroyed, the task is marked ended and
    /// `ended` runs. An exception leaving `work` or `ended` is dropped.
    ShellTaskPtr Run(std::function<void()> work, std::function<void()> ended = nullptr);

    /// Threads started so far.
    std::size_t ThreadsStarted() const;
    /// Waits until no work is queued or running, or `deadline` has passed;
    /// true when none is. For tests and benchmarks.
    bool WaitIdle(Clock::time_point deadline) const;

private:
    struct Pool;
    std::shared_ptr<Pool> FPool;
};

}  // namespace quillane::shell
