#pragma once

// What the folder tree asks of the shell, in pieces that may block on a
// file system and so run on the shell's worker threads: the description of
// a root item, the listing of a folder with what the tree shows of each
// item, and the parsing of a path or its nearest parent. Each takes the
// objects it uses from a ShellContext and holds its lists with their
// allocator, so it may outlive the unit.

#include "ItemIDList.h"
#include "ShellNamespace.h"
#include "ShellRoutines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillane::shell {

/// The attributes that decide whether the tree lists an item.
constexpr std::uint32_t IncludeAttributeMask = SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM;

/// What the folder tree shows of one item.
struct ShellItemInfo {
    /// The one-item list its folder handed out; for a root, the absolute
    /// list, null when the root cannot be found.
    HeldIDList item;
    /// Whether the attribute query succeeded.
    bool attributesKnown = false;
    /// The answer to IncludeAttributeMask; 0 when the query failed.
    std::uint32_t attributes = 0;
    /// The in-folder display name (for a root, the normal one).
    std::string name;
    /// Whether the item shows an expand button before it is listed.
    bool hasSubItems = false;
    /// Normal and open small-icon indexes, -1 when the platform cannot tell.
    int icon = -1;
    int openIcon = -1;
    /// The icon list the indexes point into; 0 when the query failed.
    ImageListHandle iconList = 0;
    /// The file-system path; empty when it has none.
    std::string path;
};

/// Lists the folder of the absolute list `folder` (the desktop itself for
/// the desktop list): its folders and files, no hidden items, each with
/// what the tree shows of it. With `showFiles` every folder shows an expand
/// button; without, those the shell says have subfolders. `owner` owns any
/// prompt. False, with nothing listed, when the folder cannot be bound or
/// enumerated.
bool ListShellFolder(const ShellContext& context, PCItemIDList folder, bool showFiles, WindowHandle owner,
                     std::vector<ShellItemInfo>& items);

/// The root item of a tree: `path` when it is not empty, else the special
/// folder `special`, described through the desktop folder.
ShellItemInfo DescribeShellRoot(const ShellContext& context, const std::string& path, TSpecialFolder special,
                                bool showFiles, WindowHandle owner);

/// The absolute list of the first of `paths` that parses (the empty path
/// is the desktop); null when none does.
HeldIDList ParseFirstPath(const ShellContext& context, const std::vector<std::string>& paths, WindowHandle owner);

/// A folder object that answers for one listed item on the GUI thread, from
/// what the listing gathered: the attributes of IncludeAttributeMask and the
/// in-folder name. Every other question fails, since the real folder lives
/// where the shell may block.
class ListedItemFolder : public ShellFolder {
public:
    /// Answers for `info`; names are handed out from `context`'s allocator.
    ListedItemFolder(const ShellContext& context, const ShellItemInfo& info) : FContext(context), FInfo(info) {}

    HResult ParseDisplayName(WindowHandle owner, const std::string& name, PItemIDList& list) override;
    HResult EnumObjects(WindowHandle owner, std::uint32_t flags, ShellEnumPtr& result) override;
    HResult BindToObject(PCItemIDList item, ShellFolderPtr& result) override;
    HResult GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) override;
    HResult GetDisplayNameOf(PCItemIDList item, std::uint32_t flags, StrRet& name) override;

private:
    const ShellContext& FContext;
    const ShellItemInfo& FInfo;
};

}  // namespace quillane::shell
