#include "WarmUp.h"

#include <system_error>

namespace quillane {

namespace {

// A warm-up only saves time: whatever it leaves undone, the step that needs
// the result does itself. Nothing may escape the thread, where an exception
// would end the program.
void RunQuietly(const std::function<void()>& work) noexcept {
    try {
        work();
    } catch (...) {}
}

}  // namespace

TWarmUp::TWarmUp(std::function<void()> work) {
    if (!work) return;
    try {
        // A copy: should the thread not start, `work` is still here to run.
        FThread = std::thread([work] { RunQuietly(work); });
    } catch (const std::system_error&) {
        RunQuietly(work);
    }
}

TWarmUp::~TWarmUp() {
    Wait();
}

void TWarmUp::Wait() {
    if (FThread.joinable()) FThread.join();
}

}  // namespace quillane
