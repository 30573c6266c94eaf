#include "MemoryShell.h"

#include "ItemIDList.h"
#include "MemoryTree.h"
#include "ShellIcons.h"
#include "ShellText.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <thread>
#include <vector>

namespace quillane::shell {

// What a test asked of calls of one kind about one item.
struct Slowdown {
    std::chrono::milliseconds delay{0};
    bool hold = false;
};

// Nodes never change once built; everything else is guarded by `mutex`,
// which a call holds except while it waits as a test asked.
struct MemoryShellState {
    mutable std::mutex mutex;
    std::shared_ptr<CountingAllocator> allocator = std::make_shared<CountingAllocator>();
    MemNode root;
    std::vector<MemNode*> byId;  // index = id
    MemoryFailures failures;
    MemoryCallCounts calls;
    bool nt = true;
    std::uint32_t nameAnswer = STRRET_WSTR;
    std::map<int, MemNode*> special;
    std::size_t liveFolders = 0;
    std::size_t liveEnumerators = 0;
    std::map<std::pair<MemoryCall, const MemNode*>, Slowdown> slowdowns;
    std::condition_variable released;
    std::uint64_t releases = 0;
    std::size_t held = 0;

    // Waits as the test asked for `call` about `node`, letting other calls
    // in meanwhile.
    void Pause(std::unique_lock<std::mutex>& lock, MemoryCall call, const MemNode* node) {
        if (node == nullptr || slowdowns.empty()) return;
        auto it = slowdowns.find({call, node});
        if (it == slowdowns.end()) return;
        const Slowdown slowdown = it->second;
        if (slowdown.hold) {
            const std::uint64_t generation = releases;
            ++held;
            released.wait(lock, [&] { return releases != generation; });
            --held;
        }
        if (slowdown.delay.count() > 0) {
            lock.unlock();
            std::this_thread::sleep_for(slowdown.delay);
            lock.lock();
        }
    }

    // The node that `list` (relative to `from`) addresses; null when any
    // item is not one of this namespace's children of the node before it.
    MemNode* Resolve(MemNode* from, PCItemIDList list) const {
        if (list == nullptr) return nullptr;
        MemNode* node = from;
        for (PCItemIDList item = list; ItemSize(item) != 0;) {
            const std::uint16_t cb = ItemSize(item);
            if (cb < MemoryShell::NameOffset + 1 || item[2] != MemoryItemTag) return nullptr;
            std::uint32_t id = 0;
            for (int k = 0; k < 4; ++k) id |= static_cast<std::uint32_t>(item[3 + k]) << (8 * k);
            if (id >= byId.size() || byId[id]->parent != node) return nullptr;
            node = byId[id];
            if (ItemBytes(*node) != std::string(reinterpret_cast<const char*>(item), cb)) return nullptr;
            item += cb;
        }
        return node;
    }

    // A list from `from` down to `to` in a new block; null when out of memory.
    PItemIDList ListBetween(const MemNode* from, const MemNode* to) {
        std::string bytes;
        for (const MemNode* n = to; n != from && n != nullptr; n = n->parent) bytes.insert(0, ItemBytes(*n));
        return AllocIDListFrom(*allocator, bytes);
    }

    MemNode* Find(const std::string& address) {
        MemNode* node = &root;
        if (address.empty()) return node;
        for (const std::string& name : Split(address, '/')) {
            auto it = std::find_if(node->children.begin(), node->children.end(),
                                   [&](const std::unique_ptr<MemNode>& c) { return c->name == name; });
            if (it == node->children.end()) return nullptr;
            node = it->get();
        }
        return node;
    }

    static MemNode* FindPath(MemNode* node, const std::string& path) {
        for (auto& child : node->children) {
            if (!child->path.empty() && child->path == path) return child.get();
            if (MemNode* found = FindPath(child.get(), path)) return found;
        }
        return nullptr;
    }
};

namespace {

class MemoryEnumerator : public ShellEnumerator {
public:
    // Made with the state's mutex held.
    MemoryEnumerator(std::shared_ptr<MemoryShellState> state, const MemNode* folder, std::vector<MemNode*> items)
        : FState(std::move(state)), FFolder(folder), FItems(std::move(items)) {
        ++FState->liveEnumerators;
    }
    ~MemoryEnumerator() override {
        std::lock_guard<std::mutex> lock(FState->mutex);
        --FState->liveEnumerators;
    }

    HResult Next(PItemIDList& item) override {
        item = nullptr;
        std::unique_lock<std::mutex> lock(FState->mutex);
        ++FState->calls.next;
        FState->Pause(lock, MemoryCall::Next, FFolder);
        if (FPos >= FItems.size()) return ShellFalse;
        item = FState->ListBetween(FItems[FPos]->parent, FItems[FPos]);
        if (item == nullptr) return ShellOutOfMemory;
        ++FPos;
        return ShellOk;
    }

private:
    std::shared_ptr<MemoryShellState> FState;
    const MemNode* FFolder;
    std::vector<MemNode*> FItems;
    std::size_t FPos = 0;
};

class MemoryFolder : public ShellFolder {
public:
    // Made with the state's mutex held.
    MemoryFolder(std::shared_ptr<MemoryShellState> state, MemNode* node) : FState(std::move(state)), FNode(node) {
        ++FState->liveFolders;
    }
    ~MemoryFolder() override {
        std::lock_guard<std::mutex> lock(FState->mutex);
        --FState->liveFolders;
    }

    HResult ParseDisplayName(WindowHandle, const std::string& name, PItemIDList& list) override {
        list = nullptr;
        std::unique_lock<std::mutex> lock(FState->mutex);
        ++FState->calls.parse;
        if (FState->failures.parse) return ShellFail;
        if (name.empty()) return ShellInvalidArg;
        MemNode* found = MemoryShellState::FindPath(FNode, name);
        FState->Pause(lock, MemoryCall::Parse, found);
        if (found == nullptr) return ShellNotFound;
        list = FState->ListBetween(FNode, found);
        return list ? ShellOk : ShellOutOfMemory;
    }

    HResult EnumObjects(WindowHandle, std::uint32_t flags, ShellEnumPtr& result) override {
        result.reset();
        std::unique_lock<std::mutex> lock(FState->mutex);
        ++FState->calls.enumerate;
        FState->Pause(lock, MemoryCall::Enumerate, FNode);
        if (FState->failures.enumerate || FNode->noEnum) return ShellFail;
        if (!(FNode->attributes & SFGAO_FOLDER)) return ShellInvalidArg;
        std::vector<MemNode*> items;
        for (auto& child : FNode->children) {
            const bool folder = (child->attributes & SFGAO_FOLDER) != 0;
            if (folder && !(flags & SHCONTF_FOLDERS)) continue;
            if (!folder && !(flags & SHCONTF_NONFOLDERS)) continue;
            if (child->hidden && !(flags & SHCONTF_INCLUDEHIDDEN)) continue;
            items.push_back(child.get());
        }
        result = std::make_unique<MemoryEnumerator>(FState, FNode, std::move(items));
        return ShellOk;
    }

    HResult BindToObject(PCItemIDList item, ShellFolderPtr& result) override {
        result.reset();
        std::unique_lock<std::mutex> lock(FState->mutex);
        ++FState->calls.bind;
        MemNode* node = FState->Resolve(FNode, item);
        FState->Pause(lock, MemoryCall::Bind, node);
        if (FState->failures.bind) return ShellFail;
        if (node == nullptr || node == FNode) return ShellInvalidArg;
        if (node->noBind || !(node->attributes & SFGAO_FOLDER)) return ShellFail;
        result = std::make_shared<MemoryFolder>(FState, node);
        return ShellOk;
    }

    HResult GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) override {
        std::unique_lock<std::mutex> lock(FState->mutex);
        ++FState->calls.attributes;
        if (FState->failures.attributes) return ShellFail;
        if (count == 0 || items == nullptr) return ShellInvalidArg;
        std::uint32_t common = ~0u;
        for (unsigned i = 0; i < count; ++i) {
            MemNode* node = FState->Resolve(FNode, items[i]);
            FState->Pause(lock, MemoryCall::Attributes, node);
            if (node == nullptr) return ShellInvalidArg;
            if (node->noAttr) return ShellFail;
            common &= node->attributes;
        }
        mask &= common;
        return ShellOk;
    }

    HResult GetDisplayNameOf(PCItemIDList item, std::uint32_t flags, StrRet& name) override {
        std::unique_lock<std::mutex> lock(FState->mutex);
        ++FState->calls.displayName;
        MemNode* node = FState->Resolve(FNode, item);
        FState->Pause(lock, MemoryCall::DisplayName, node);
        if (FState->failures.displayName) return ShellFail;
        if (node == nullptr) return ShellInvalidArg;
        if (node->noName) return ShellFail;
        const std::string& text = (flags & SHGDN_INFOLDER) || node->normalName.empty() ? node->name : node->normalName;
        std::uint32_t type = FState->nameAnswer;
        // An offset answer can only point at the name inside the item's own
        // bytes: the last item of the list, when its in-folder name is asked.
        if (type == STRRET_OFFSET && (node == FNode || text != node->name)) type = STRRET_CSTR;
        name.uType = type;
        switch (type) {
        case STRRET_WSTR: {
            const std::u16string wide = Utf8ToUtf16(text);
            auto* block = static_cast<char16_t*>(FState->allocator->Alloc((wide.size() + 1) * sizeof(char16_t)));
            if (block == nullptr) return ShellOutOfMemory;
            std::memcpy(block, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
            name.pOleStr = block;
            break;
        }
        case STRRET_OFFSET:
            // The record's own buffer carries another text, so that a reader
            // looking there instead of inside the item is caught.
            std::strcpy(name.cStr, "(not here)");
            name.uOffset = static_cast<std::uint32_t>(GetIDListSize(item) - 2 - ItemSize(LastItem(item))) +
                           MemoryShell::NameOffset;
            break;
        case STRRET_CSTR:
            std::memset(name.cStr, 0, StrRetBufferSize);
            std::memcpy(name.cStr, text.data(), std::min(text.size(), StrRetBufferSize));
            break;
        default:
            break;
        }
        return ShellOk;
    }

private:
    static PCItemIDList LastItem(PCItemIDList list) {
        PCItemIDList last = list;
        for (PCItemIDList item = list; ItemSize(item) != 0; item = NextIDListItem(item)) last = item;
        return last;
    }

    std::shared_ptr<MemoryShellState> FState;
    MemNode* FNode;
};

}  // namespace

// ---------------------------------------------------------------------------
// MemoryShell

MemoryShell::MemoryShell(const std::string& description) : FState(std::make_shared<MemoryShellState>()) {
    MemoryShellState& s = *FState;
    s.root.name = "Desktop";
    s.root.attributes = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
    s.root.icon = s.root.openIcon = IconDesktop;
    s.byId.push_back(&s.root);

    BuildMemoryTree(description, s.root, s.byId);
    s.root.icon = s.root.openIcon = IconDesktop;
    s.special[0] = &s.root;
}

MemoryShell::~MemoryShell() {
    // Calls still held would never answer: no test could release them now.
    ReleaseHeld();
}

HResult MemoryShell::GetMalloc(ShellAllocatorPtr& result) {
    result.reset();
    std::lock_guard<std::mutex> lock(FState->mutex);
    if (FState->failures.malloc) return ShellFail;
    result = FState->allocator;
    return ShellOk;
}

HResult MemoryShell::GetDesktopFolder(ShellFolderPtr& result) {
    result.reset();
    std::lock_guard<std::mutex> lock(FState->mutex);
    if (FState->failures.desktop) return ShellFail;
    result = std::make_shared<MemoryFolder>(FState, &FState->root);
    return ShellOk;
}

HResult MemoryShell::GetSpecialFolderLocation(WindowHandle, int csidl, PItemIDList& list) {
    list = nullptr;
    std::unique_lock<std::mutex> lock(FState->mutex);
    ++FState->calls.specialFolder;
    if (FState->failures.specialFolder) return ShellFail;
    auto it = FState->special.find(csidl);
    if (it == FState->special.end()) return ShellInvalidArg;
    FState->Pause(lock, MemoryCall::SpecialFolder, it->second);
    list = FState->ListBetween(&FState->root, it->second);
    return list ? ShellOk : ShellOutOfMemory;
}

ImageListHandle MemoryShell::GetFileIconInfo(PCItemIDList absolute, std::uint32_t flags, int& iconIndex) {
    std::unique_lock<std::mutex> lock(FState->mutex);
    ++FState->calls.icon;
    MemNode* node = FState->Resolve(&FState->root, absolute);
    FState->Pause(lock, MemoryCall::Icon, node);
    if (FState->failures.icon) return 0;
    if (node == nullptr || node->noIcon) return 0;
    iconIndex = (flags & SHGFI_OPENICON) ? node->openIcon : node->icon;
    return SharedIconListHandle;
}

bool MemoryShell::GetPathFromIDList(PCItemIDList absolute, std::string& path) {
    std::unique_lock<std::mutex> lock(FState->mutex);
    ++FState->calls.path;
    MemNode* node = FState->Resolve(&FState->root, absolute);
    FState->Pause(lock, MemoryCall::Path, node);
    if (FState->failures.path) return false;
    if (node == nullptr || node->noPath || node->path.empty()) return false;
    path = node->path;
    return true;
}

bool MemoryShell::IsNTFamily() {
    std::lock_guard<std::mutex> lock(FState->mutex);
    return FState->nt;
}

std::string MemoryShell::SystemTextToUtf8(const std::string& text) {
    return text;
}

MemoryFailures& MemoryShell::Failures() {
    return FState->failures;
}

const MemoryCallCounts& MemoryShell::Calls() const {
    return FState->calls;
}

CountingAllocator& MemoryShell::Allocator() {
    return *FState->allocator;
}

std::size_t MemoryShell::LiveFolders() const {
    std::lock_guard<std::mutex> lock(FState->mutex);
    return FState->liveFolders;
}

std::size_t MemoryShell::LiveEnumerators() const {
    std::lock_guard<std::mutex> lock(FState->mutex);
    return FState->liveEnumerators;
}

bool MemoryShell::SetDelay(MemoryCall call, const std::string& address, std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    const MemNode* node = FState->Find(address);
    if (node == nullptr) return false;
    FState->slowdowns[{call, node}].delay = delay;
    return true;
}

bool MemoryShell::Hold(MemoryCall call, const std::string& address) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    const MemNode* node = FState->Find(address);
    if (node == nullptr) return false;
    FState->slowdowns[{call, node}].hold = true;
    return true;
}

void MemoryShell::ReleaseHeld() {
    {
        std::lock_guard<std::mutex> lock(FState->mutex);
        for (auto& slowdown : FState->slowdowns) slowdown.second.hold = false;
        ++FState->releases;
    }
    FState->released.notify_all();
}

std::size_t MemoryShell::HeldCalls() const {
    std::lock_guard<std::mutex> lock(FState->mutex);
    return FState->held;
}

void MemoryShell::SetNTFamily(bool nt) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    FState->nt = nt;
}

void MemoryShell::SetNameAnswer(std::uint32_t type) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    FState->nameAnswer = type;
}

void MemoryShell::SetDesktop(const std::string& name, const std::string& path) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    FState->root.name = name;
    FState->root.path = path;
    if (!path.empty()) FState->root.attributes |= SFGAO_FILESYSTEM;
}

bool MemoryShell::SetSpecialFolder(int csidl, const std::string& address) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    MemNode* node = FState->Find(address);
    if (node == nullptr) return false;
    FState->special[csidl] = node;
    return true;
}

PItemIDList MemoryShell::ListOf(const std::string& address) {
    std::lock_guard<std::mutex> lock(FState->mutex);
    MemNode* node = FState->Find(address);
    return node ? FState->ListBetween(&FState->root, node) : nullptr;
}

}  // namespace quillane::shell
