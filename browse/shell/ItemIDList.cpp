#include "ItemIDList.h"

#include "ShellRoutines.h"

#include <cassert>
#include <cstring>

namespace quillane::shell {

PItemIDList AllocIDListFrom(ShellAllocator& allocator, const std::string& itemBytes) {
    auto* list = static_cast<PItemIDList>(allocator.Alloc(itemBytes.size() + 2));
    if (list == nullptr) return nullptr;
    std::memcpy(list, itemBytes.data(), itemBytes.size());
    list[itemBytes.size()] = 0;
    list[itemBytes.size() + 1] = 0;
    return list;
}

void FreeIDList(PItemIDList list) {
    if (list == nullptr) return;
    ShellAllocator* malloc = ShellMalloc();
    // Its allocator is gone: the list's owner outlived the unit, which is
    // that owner's fault. Leaking the block is all a release build can do.
    assert(malloc != nullptr && "an item ID list was freed after the shell unit had ended");
    if (malloc != nullptr) malloc->Free(list);
}

HeldIDList& HeldIDList::operator=(HeldIDList&& other) noexcept {
    if (this == &other) return *this;
    Reset();
    FAllocator = std::move(other.FAllocator);
    FList = std::exchange(other.FList, nullptr);
    return *this;
}

void HeldIDList::Reset() noexcept {
    if (FList != nullptr && FAllocator) FAllocator->Free(FList);
    FList = nullptr;
}

std::uint16_t ItemSize(PCItemIDList item) {
    if (item == nullptr) return 0;
    return static_cast<std::uint16_t>(item[0] | (item[1] << 8));
}

bool IsDesktopIDList(PCItemIDList list) {
    return list != nullptr && ItemSize(list) == 0;
}

PCItemIDList NextIDListItem(PCItemIDList item) {
    const std::uint16_t cb = ItemSize(item);
    // A size below 2 cannot hold its own size field; treating it as the end
    // keeps a malformed list from being walked forever or out of bounds.
    if (cb < 2) return nullptr;
    return item + cb;
}

std::size_t GetIDListSize(PCItemIDList list) {
    if (list == nullptr) return 0;
    std::size_t size = 0;
    for (PCItemIDList item = list; ItemSize(item) >= 2; item = NextIDListItem(item)) size += ItemSize(item);
    return size + 2;
}

std::size_t GetIDListItemCount(PCItemIDList list) {
    std::size_t count = 0;
    for (PCItemIDList item = list; item != nullptr && ItemSize(item) >= 2; item = NextIDListItem(item)) ++count;
    return count;
}

IDListPtr AllocIDList(std::size_t size) {
    ShellAllocator* malloc = ShellMalloc();
    if (malloc == nullptr || size == 0) return nullptr;
    return IDListPtr(static_cast<std::uint8_t*>(malloc->Alloc(size)));
}

IDListPtr CopyIDList(PCItemIDList list) {
    if (list == nullptr) return nullptr;
    const std::size_t size = GetIDListSize(list);
    IDListPtr copy = AllocIDList(size);
    if (!copy) return nullptr;
    std::memcpy(copy.get(), list, size - 2);
    copy.get()[size - 2] = 0;
    copy.get()[size - 1] = 0;
    return copy;
}

IDListPtr MakeIDList(const std::string& itemBytes) {
    IDListPtr list = AllocIDList(itemBytes.size() + 2);
    if (!list) return nullptr;
    std::memcpy(list.get(), itemBytes.data(), itemBytes.size());
    list.get()[itemBytes.size()] = 0;
    list.get()[itemBytes.size() + 1] = 0;
    return list;
}

IDListPtr ConcatIDLists(PCItemIDList first, PCItemIDList second) {
    const std::size_t size1 = first != nullptr ? GetIDListSize(first) - 2 : 0;
    if (second == nullptr) return nullptr;
    const std::size_t size2 = GetIDListSize(second);
    IDListPtr result = AllocIDList(size1 + size2);
    if (!result) return nullptr;
    if (size1 > 0) std::memcpy(result.get(), first, size1);
    // The terminator is written rather than copied, so that a malformed
    // item (size below 2) still ends in a well-formed list.
    std::memcpy(result.get() + size1, second, size2 - 2);
    result.get()[size1 + size2 - 2] = 0;
    result.get()[size1 + size2 - 1] = 0;
    return result;
}

PCItemIDList MatchIDListPrefix(PCItemIDList prefix, PCItemIDList list) {
    if (prefix == nullptr || list == nullptr) return nullptr;
    PCItemIDList p = prefix;
    PCItemIDList l = list;
    while (ItemSize(p) >= 2) {
        const std::uint16_t cb = ItemSize(p);
        // The size field is part of the compared bytes; comparing it first
        // also keeps the comparison within the item of `list`.
        if (ItemSize(l) != cb) return nullptr;
        if (std::memcmp(p, l, cb) != 0) return nullptr;
        p += cb;
        l += cb;
    }
    return l;
}

std::string IDListBytes(PCItemIDList list) {
    if (list == nullptr) return std::string();
    return std::string(reinterpret_cast<const char*>(list), GetIDListSize(list) - 2);
}

}  // namespace quillane::shell
