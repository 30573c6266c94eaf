#include "ShellListing.h"

#include "ShellText.h"

#include <cstring>

namespace quillane::shell {

namespace {

constexpr std::uint32_t ListFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;

// The tree's expand-button rule for the items of one folder.
class SubItemRule {
public:
    SubItemRule(const ShellContext& context, bool showFiles, WindowHandle owner)
        : FContext(context), FShowFiles(showFiles), FOwner(owner) {}

    bool HasSubItems(ShellFolder& folder, PCItemIDList item) {
        if (!FShowFiles) return HasSubFolderItem(folder, item);
        if (!IsFolderItem(folder, item)) return false;
        // The question is whether the containing folder lists anything,
        // which is the same for all its items: asked once per listing.
        if (FContainerKnown) return FContainerListable;
        ShellEnumPtr enumerator;
        if (folder.EnumObjects(FOwner, ListFlags, enumerator) == ShellOk && enumerator) {
            PItemIDList first = nullptr;
            FContainerListable = enumerator->Next(first) == ShellOk;
            HeldIDList(FContext.malloc, first).Reset();
        }
        FContainerKnown = true;
        return FContainerListable;
    }

private:
    const ShellContext& FContext;
    bool FShowFiles;
    WindowHandle FOwner;
    bool FContainerKnown = false;
    bool FContainerListable = false;
};

// Everything the tree shows of `info.item` inside `folder`; `absolute` is
// the item's absolute list.
void Describe(const ShellContext& context, ShellFolder& folder, PCItemIDList absolute, int nameKind, SubItemRule& rule,
              ShellItemInfo& info) {
    PCItemIDList item = info.item.Get();
    std::uint32_t mask = IncludeAttributeMask;
    info.attributesKnown = folder.GetAttributesOf(1, &item, mask) == ShellOk;
    info.attributes = info.attributesKnown ? mask : 0;
    info.name = GetDisplayName(context, folder, item, nameKind);
    info.hasSubItems = rule.HasSubItems(folder, item);
    info.icon = GetShellIconIndex(context, absolute, IconNormal, &info.iconList);
    info.openIcon = GetShellIconIndex(context, absolute, IconOpen);
    info.path = GetPathFromIDList(context, absolute);
}

ShellFolderPtr Desktop(const ShellContext& context) {
    ShellFolderPtr desktop;
    if (!context || context.platform->GetDesktopFolder(desktop) != ShellOk) desktop.reset();
    return desktop;
}

}  // namespace

bool ListShellFolder(const ShellContext& context, PCItemIDList folder, bool showFiles, WindowHandle owner,
                     std::vector<ShellItemInfo>& items) {
    items.clear();
    if (folder == nullptr) return false;
    ShellFolderPtr desktop = Desktop(context);
    if (!desktop) return false;
    ShellFolderPtr target;
    if (IsDesktopIDList(folder)) {
        target = desktop;
    } else if (desktop->BindToObject(folder, target) != ShellOk || !target) {
        return false;
    }
    // Hidden items are not asked for; files are asked for either way and the
    // tree's filter decides.
    ShellEnumPtr enumerator;
    if (target->EnumObjects(owner, ListFlags, enumerator) != ShellOk || !enumerator) return false;

    const std::string parent = IDListBytes(folder);
    SubItemRule rule(context, showFiles, owner);
    for (;;) {
        PItemIDList fetched = nullptr;
        const HResult status = enumerator->Next(fetched);
        HeldIDList item(context.malloc, fetched);
        if (status != ShellOk || !item) break;
        const std::string absolute = IDListBlock(parent + IDListBytes(item.Get()));
        ShellItemInfo info;
        info.item = std::move(item);
        Describe(context, *target, AsIDList(absolute), DisplayNameInFolder, rule, info);
        items.push_back(std::move(info));
    }
    return true;
}

ShellItemInfo DescribeShellRoot(const ShellContext& context, const std::string& path, TSpecialFolder special,
                                bool showFiles, WindowHandle owner) {
    ShellItemInfo info;
    ShellFolderPtr desktop = Desktop(context);
    if (!desktop) return info;
    info.item = PathToIDList(context, *desktop, path, special, owner);
    if (!info.item) return info;
    SubItemRule rule(context, showFiles, owner);
    Describe(context, *desktop, info.item.Get(), DisplayNameNormal, rule, info);
    return info;
}

HeldIDList ParseFirstPath(const ShellContext& context, const std::vector<std::string>& paths, WindowHandle owner) {
    ShellFolderPtr desktop = Desktop(context);
    if (!desktop) return HeldIDList();
    for (const std::string& path : paths) {
        HeldIDList list = PathToIDList(context, *desktop, path, sfDesktop, owner);
        if (list) return list;
    }
    return HeldIDList();
}

HResult ListedItemFolder::ParseDisplayName(WindowHandle, const std::string&, PItemIDList& list) {
    list = nullptr;
    return ShellFail;
}

HResult ListedItemFolder::EnumObjects(WindowHandle, std::uint32_t, ShellEnumPtr& result) {
    result.reset();
    return ShellFail;
}

HResult ListedItemFolder::BindToObject(PCItemIDList, ShellFolderPtr& result) {
    result.reset();
    return ShellFail;
}

HResult ListedItemFolder::GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) {
    if (count != 1 || items == nullptr || items[0] != FInfo.item.Get()) return ShellInvalidArg;
    if (!FInfo.attributesKnown || (mask & ~IncludeAttributeMask) != 0) return ShellFail;
    mask &= FInfo.attributes;
    return ShellOk;
}

HResult ListedItemFolder::GetDisplayNameOf(PCItemIDList item, std::uint32_t flags, StrRet& name) {
    if (item == nullptr || item != FInfo.item.Get()) return ShellInvalidArg;
    if ((flags & SHGDN_INFOLDER) == 0 || !FContext.malloc) return ShellFail;
    const std::u16string wide = Utf8ToUtf16(FInfo.name);
    auto* block = static_cast<char16_t*>(FContext.malloc->Alloc((wide.size() + 1) * sizeof(char16_t)));
    if (block == nullptr) return ShellOutOfMemory;
    std::memcpy(block, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    name.uType = STRRET_WSTR;
    name.pOleStr = block;
    return ShellOk;
}

}  // namespace quillane::shell
