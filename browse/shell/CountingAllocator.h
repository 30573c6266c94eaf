#pragma once

#include "ShellNamespace.h"

#include <cstddef>
#include <map>
#include <mutex>

namespace quillane::shell {

/// An allocator that counts blocks and can be made to run out.
class CountingAllocator : public ShellAllocator {
public:
    /// Counts and returns a new block, or null when failing.
    void* Alloc(std::size_t size) override;
    /// Counts the release; a block not handed out here counts as a bad free.
    void Free(void* block) override;
    ~CountingAllocator() override;

    /// Blocks handed out so far.
    std::size_t Allocations() const;
    /// Blocks released so far.
    std::size_t Frees() const;
    /// Blocks handed out and not yet released.
    std::size_t Outstanding() const;
    /// Releases of blocks that were not live (double or foreign frees).
    std::size_t BadFrees() const;
    /// Size of a live block; 0 when not live.
    std::size_t BlockSize(const void* block) const;
    /// Lets `count` more allocations succeed, then fails them all; a
    /// negative count never fails.
    void FailAfter(long count);

private:
    mutable std::mutex FMutex;
    std::map<const void*, std::size_t> FLive;
    std::size_t FAllocations = 0;
    std::size_t FFrees = 0;
    std::size_t FBadFrees = 0;
    long FFailAfter = -1;
};

}  // namespace quillane::shell
