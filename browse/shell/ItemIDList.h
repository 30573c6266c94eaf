#pragma once

// Item ID list arithmetic. Lists live in blocks of the process-wide shell
// allocator (ShellMalloc, see ShellRoutines.h); every routine that returns a
// new list hands its ownership to the caller.

#include "ShellNamespace.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace quillane::shell {

/// A new list in a block of `allocator` holding `itemBytes` (whole items)
/// and the terminator; null when out of memory. For backends, which hand
/// out lists from their own allocator.
PItemIDList AllocIDListFrom(ShellAllocator& allocator, const std::string& itemBytes);

/// Frees a list through ShellMalloc (no-op for null). Every list must be
/// freed while the unit runs; a debug build asserts that it does.
void FreeIDList(PItemIDList list);

/// Deleter for owning list pointers.
struct IDListDeleter {
    void operator()(std::uint8_t* list) const { FreeIDList(list); }
};

/// An owned item ID list, freed through ShellMalloc when destroyed.
using IDListPtr = std::unique_ptr<std::uint8_t, IDListDeleter>;

/// An item ID list held together with the allocator it lives in, so that it
/// can be freed on any thread, also after the unit has ended. Work on the
/// shell's worker threads holds its lists this way.
class HeldIDList {
public:
    HeldIDList() = default;
    /// Takes `list`, a block of `allocator`.
    HeldIDList(ShellAllocatorPtr allocator, PItemIDList list) noexcept
        : FAllocator(std::move(allocator)), FList(list) {}
    /// Frees the list through its allocator.
    ~HeldIDList() { Reset(); }
    HeldIDList(HeldIDList&& other) noexcept
        : FAllocator(std::move(other.FAllocator)), FList(std::exchange(other.FList, nullptr)) {}
    HeldIDList& operator=(HeldIDList&& other) noexcept;
    HeldIDList(const HeldIDList&) = delete;
    HeldIDList& operator=(const HeldIDList&) = delete;

    /// The list; null for none.
    PItemIDList Get() const { return FList; }
    explicit operator bool() const { return FList != nullptr; }
    /// The allocator the list lives in.
    const ShellAllocatorPtr& Allocator() const { return FAllocator; }
    /// Gives the list up; its new owner frees it through the same allocator.
    PItemIDList Release() noexcept { return std::exchange(FList, nullptr); }
    /// Frees the list.
    void Reset() noexcept;

private:
    ShellAllocatorPtr FAllocator;
    PItemIDList FList = nullptr;
};

/// The 16-bit size field of the item at `item` (0 at the terminator).
std::uint16_t ItemSize(PCItemIDList item);

/// Whether `list` is the desktop list (its first size is 0); false for null.
bool IsDesktopIDList(PCItemIDList list);

/// Size of a list: the sum of its items' sizes plus 2; 0 for null.
std::size_t GetIDListSize(PCItemIDList list);

/// Number of items of a list (0 for null and for the desktop).
std::size_t GetIDListItemCount(PCItemIDList list);

/// The item behind `item`; null when `item` is null or the terminator.
PCItemIDList NextIDListItem(PCItemIDList item);

/// A block of `size` bytes from ShellMalloc; null when the unit is not
/// started or the allocator has none.
IDListPtr AllocIDList(std::size_t size);

/// A copy of `list` in a new block; null for null or when out of memory.
IDListPtr CopyIDList(PCItemIDList list);

/// Builds a list from raw item bytes (each with its size field) by appending
/// the terminator; null when out of memory.
IDListPtr MakeIDList(const std::string& itemBytes);

/// The items of `first` followed by the whole of `second`. A null `first`
/// counts as empty; a null `second` (or no memory) gives null. The inputs
/// are untouched.
IDListPtr ConcatIDLists(PCItemIDList first, PCItemIDList second);

/// If every item of `prefix` equals, byte for byte over its size (size field
/// included), the item at the same position of `list`, the position in
/// `list` just behind them (its terminator when the lists are equal);
/// otherwise null. Null arguments give null. Nothing is allocated.
PCItemIDList MatchIDListPrefix(PCItemIDList prefix, PCItemIDList list);

/// The bytes of a list without its terminator (for comparisons and keys).
std::string IDListBytes(PCItemIDList list);

/// The bytes of the items `items` (as IDListBytes gives them) with the
/// terminator: a list held outside the allocator, to pass to the shell.
inline std::string IDListBlock(const std::string& items) {
    return items + std::string(2, '\0');
}

/// A block made by IDListBlock, seen as a list.
inline PCItemIDList AsIDList(const std::string& block) {
    return reinterpret_cast<PCItemIDList>(block.data());
}

}  // namespace quillane::shell
