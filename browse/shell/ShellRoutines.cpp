#include "ShellRoutines.h"

#include "QuillaneError.h"
#include "ShellText.h"
#include "ShellWorker.h"

#include <cstring>

namespace quillane::shell {

namespace {

// The unit's process-wide state. Only the GUI thread touches it; work on
// other threads holds its own copy of the context.
struct UnitState {
    int starts = 0;
    ShellContext context;
    ShellFolderPtr desktop;
};

UnitState& Unit() {
    static UnitState state;
    return state;
}

}  // namespace

int GetSpecialFolderID(TSpecialFolder folder, bool ntFamily) {
    const int index = static_cast<int>(folder);
    if (index < 0 || index >= SpecialFolderCount) return -1;
    return ntFamily ? SpecialFolderIDsNT[index] : SpecialFolderIDsOther[index];
}

int GetSpecialFolderID(TSpecialFolder folder) {
    ShellPlatform* platform = ShellPlatformInUse();
    return GetSpecialFolderID(folder, platform == nullptr || platform->IsNTFamily());
}

void StartShellUnit(std::shared_ptr<ShellPlatform> platform) {
    UnitState& unit = Unit();
    if (unit.starts > 0) {
        ++unit.starts;
        return;
    }
    if (!platform) platform = CreateSystemShellPlatform();
    ShellAllocatorPtr malloc;
    if (!platform || platform->GetMalloc(malloc) != ShellOk || !malloc) throw EQuillaneError("SHGetMalloc failed");
    ShellFolderPtr desktop;
    if (platform->GetDesktopFolder(desktop) != ShellOk || !desktop) throw EQuillaneError("SHGetDesktopFolder failed");
    // Each worker thread is made ready for the platform's shell calls. The
    // threads may outlive the unit; they need not keep the platform.
    auto worker = std::make_shared<ShellWorker>([weak = std::weak_ptr<ShellPlatform>(platform)] {
        const std::shared_ptr<ShellPlatform> platform = weak.lock();
        return platform ? platform->PrepareThread() : nullptr;
    });
    unit.context = ShellContext{std::move(platform), std::move(malloc), std::move(worker)};
    unit.desktop = std::move(desktop);
    unit.starts = 1;
}

void EndShellUnit() {
    UnitState& unit = Unit();
    if (unit.starts == 0) return;
    if (--unit.starts > 0) return;
    // Work still running keeps what it holds; the idle threads end.
    unit.context.worker.reset();
    unit.context.malloc.reset();
    unit.desktop.reset();
    unit.context.platform.reset();
}

bool ShellUnitStarted() {
    return Unit().starts > 0;
}

ShellAllocator* ShellMalloc() {
    return Unit().context.malloc.get();
}

const ShellFolderPtr& DesktopFolder() {
    return Unit().desktop;
}

ShellPlatform* ShellPlatformInUse() {
    return Unit().context.platform.get();
}

ShellContext CurrentShellContext() {
    return Unit().context;
}

IDListPtr PathToIDList(const std::string& path, TSpecialFolder folder, WindowHandle owner) {
    UnitState& unit = Unit();
    if (unit.starts == 0) return nullptr;
    return IDListPtr(PathToIDList(unit.context, *unit.desktop, path, folder, owner).Release());
}

HeldIDList PathToIDList(const ShellContext& context, ShellFolder& desktop, const std::string& path,
                        TSpecialFolder folder, WindowHandle owner) {
    if (!context) return HeldIDList();
    PItemIDList list = nullptr;
    // Whatever the call leaves in the out list is the answer; a backend that
    // reports failure but still hands out a list must not leak it.
    if (!path.empty()) {
        desktop.ParseDisplayName(owner, path, list);
    } else {
        const int csidl = GetSpecialFolderID(folder, context.platform->IsNTFamily());
        if (csidl < 0) return HeldIDList();
        context.platform->GetSpecialFolderLocation(owner, csidl, list);
    }
    return HeldIDList(context.malloc, list);
}

std::string GetDisplayName(ShellFolder& folder, PCItemIDList item, int kind) {
    return GetDisplayName(Unit().context, folder, item, kind);
}

std::string GetDisplayName(const ShellContext& context, ShellFolder& folder, PCItemIDList item, int kind) {
    if (item == nullptr) return std::string();
    const std::uint32_t flags = kind == DisplayNameInFolder ? SHGDN_INFOLDER : SHGDN_NORMAL;
    StrRet answer;
    if (folder.GetDisplayNameOf(item, flags, answer) != ShellOk) {
        // A failed call may still have handed out a text block.
        if (answer.uType == STRRET_WSTR && answer.pOleStr != nullptr && context.malloc)
            context.malloc->Free(answer.pOleStr);
        return std::string();
    }
    ShellPlatform* platform = context.platform.get();
    switch (answer.uType) {
    case STRRET_WSTR: {
        if (answer.pOleStr == nullptr) return std::string();
        std::string text = Utf16ToUtf8(std::u16string(answer.pOleStr));
        if (context.malloc) context.malloc->Free(answer.pOleStr);
        return text;
    }
    case STRRET_OFFSET: {
        // The text lies inside the list asked about; it must end within that
        // list, else the answer is not trusted.
        const std::size_t size = GetIDListSize(item) - 2;
        if (answer.uOffset >= size) return std::string();
        const char* begin = reinterpret_cast<const char*>(item) + answer.uOffset;
        const void* end = std::memchr(begin, 0, size - answer.uOffset);
        if (end == nullptr) return std::string();
        std::string text(begin, static_cast<const char*>(end));
        return platform ? platform->SystemTextToUtf8(text) : text;
    }
    case STRRET_CSTR: {
        const void* end = std::memchr(answer.cStr, 0, StrRetBufferSize);
        const std::size_t length =
            end ? static_cast<std::size_t>(static_cast<const char*>(end) - answer.cStr) : StrRetBufferSize;
        std::string text(answer.cStr, length);
        return platform ? platform->SystemTextToUtf8(text) : text;
    }
    default:
        return std::string();
    }
}

int GetShellIconIndex(PCItemIDList absolute, int kind, ImageListHandle* imageList) {
    return GetShellIconIndex(Unit().context, absolute, kind, imageList);
}

int GetShellIconIndex(const ShellContext& context, PCItemIDList absolute, int kind, ImageListHandle* imageList) {
    ShellPlatform* platform = context.platform.get();
    if (imageList != nullptr) *imageList = 0;
    if (platform == nullptr || absolute == nullptr) return -1;
    std::uint32_t flags = SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON;
    if (kind == IconOpen) flags |= SHGFI_OPENICON;
    int index = -1;
    const ImageListHandle handle = platform->GetFileIconInfo(absolute, flags, index);
    if (imageList != nullptr) *imageList = handle;
    // Without a list the index would point nowhere.
    return handle != 0 ? index : -1;
}

std::string GetPathFromIDList(PCItemIDList absolute) {
    return GetPathFromIDList(Unit().context, absolute);
}

std::string GetPathFromIDList(const ShellContext& context, PCItemIDList absolute) {
    ShellPlatform* platform = context.platform.get();
    if (platform == nullptr || absolute == nullptr) return std::string();
    std::string path;
    if (!platform->GetPathFromIDList(absolute, path)) return std::string();
    // A path is cut at its first zero byte, as the platform's buffer would be.
    const std::size_t zero = path.find('\0');
    if (zero != std::string::npos) path.resize(zero);
    return path;
}

std::uint32_t GetItemAttributes(ShellFolder& folder, PCItemIDList item, std::uint32_t mask) {
    if (item == nullptr) return 0;
    std::uint32_t answer = mask;
    if (folder.GetAttributesOf(1, &item, answer) != ShellOk) return 0;
    return answer;
}

bool IsFolderItem(ShellFolder& folder, PCItemIDList item) {
    return (GetItemAttributes(folder, item, SFGAO_FOLDER) & SFGAO_FOLDER) != 0;
}

bool HasSubFolderItem(ShellFolder& folder, PCItemIDList item) {
    return (GetItemAttributes(folder, item, SFGAO_HASSUBFOLDER) & SFGAO_HASSUBFOLDER) != 0;
}

}  // namespace quillane::shell
