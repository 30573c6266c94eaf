#pragma once

#include <functional>
#include <thread>

namespace quillane {

/// Runs a piece of start-up work on a second thread while the caller goes
/// on, for work whose result only a later step needs. The caller waits before
/// that step; the destructor waits too, so the work never outlives its owner.
class TWarmUp {
public:
    /// Starts `work` (nothing when it is empty). Without a thread to spare
    /// it runs at once, on the caller's thread.
    explicit TWarmUp(std::function<void()> work);
    ~TWarmUp();
    TWarmUp(TWarmUp&&) noexcept = default;
    TWarmUp(const TWarmUp&) = delete;
    TWarmUp& operator=(const TWarmUp&) = delete;

    /// Returns once the work has finished; at once after the first call.
    void Wait();

private:
    std::thread FThread;
};

/// Starts loading the system's font configuration, which the first font the
/// program asks for needs, so that it overlaps the application's own set-up.
/// Where fonts are not configured that way (Windows), it does nothing. Wait
/// on it before the first font is used.
TWarmUp StartFontWarmUp();

}  // namespace quillane
