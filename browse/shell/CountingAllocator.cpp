#include "CountingAllocator.h"

#include <cstdlib>

namespace quillane::shell {

void* CountingAllocator::Alloc(std::size_t size) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (FFailAfter == 0) return nullptr;
    if (FFailAfter > 0) --FFailAfter;
    // malloc(0) may answer null; a block of one byte keeps every answer distinct.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) return nullptr;
    FLive[block] = size;
    ++FAllocations;
    return block;
}

void CountingAllocator::Free(void* block) {
    if (block == nullptr) return;
    std::lock_guard<std::mutex> lock(FMutex);
    auto it = FLive.find(block);
    if (it == FLive.end()) {
        // Never hand an unknown pointer to free(): count it so the test fails.
        ++FBadFrees;
        return;
    }
    FLive.erase(it);
    ++FFrees;
    std::free(block);
}

std::size_t CountingAllocator::Allocations() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FAllocations;
}

std::size_t CountingAllocator::Frees() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FFrees;
}

std::size_t CountingAllocator::Outstanding() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FLive.size();
}

std::size_t CountingAllocator::BadFrees() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FBadFrees;
}

void CountingAllocator::FailAfter(long count) {
    std::lock_guard<std::mutex> lock(FMutex);
    FFailAfter = count;
}

std::size_t CountingAllocator::BlockSize(const void* block) const {
    std::lock_guard<std::mutex> lock(FMutex);
    auto it = FLive.find(block);
    return it == FLive.end() ? 0 : it->second;
}

CountingAllocator::~CountingAllocator() {
    for (auto& live : FLive) std::free(const_cast<void*>(live.first));
}

}  // namespace quillane::shell
