#pragma once

// The process-wide shell objects and the routines the folder tree uses.
// The unit and the routines without a ShellContext belong to the GUI
// thread; those with one may run on any thread, as the shell's worker
// threads do. No routine throws: failures give a null list, an empty text,
// false or -1, as each says.

#include "ItemIDList.h"
#include "ShellNamespace.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quillane::shell {

class ShellWorker;

/// The special folders of the shell, in the order of their platform ids.
enum TSpecialFolder : std::uint8_t {
    sfDesktop,
    sfInternet,
    sfPrograms,
    sfControlPanel,
    sfPrinters,
    sfPersonal,
    sfFavorites,
    sfStartup,
    sfRecent,
    sfSendTo,
    sfRecycleBin,
    sfStartMenu,
    sfDesktopDir,
    sfMyComputer,
    sfNetwork,
    sfNetHood,
    sfFonts,
    sfTemplates,
    sfCommonStartMenu,
    sfCommonPrograms,
    sfCommonStartup,
    sfCommonDesktopDir,
    sfAppData,
    sfPrintHood,
};

/// Number of TSpecialFolder values.
constexpr int SpecialFolderCount = 24;

/// Platform ids (CSIDL values) of the special folders, for the NT family.
constexpr int SpecialFolderIDsNT[SpecialFolderCount] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                        16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};
/// Platform ids of the special folders on other platforms: the all-users
/// folders map to the current user's folders of the same kind.
constexpr int SpecialFolderIDsOther[SpecialFolderCount] = {0,  1,  2,  3,  4,  5,  6,  7, 8, 9,  10, 11,
                                                           16, 17, 18, 19, 20, 21, 11, 2, 7, 16, 26, 27};

/// Platform id of `folder` for the given platform family; -1 for a value
/// outside the enumeration.
int GetSpecialFolderID(TSpecialFolder folder, bool ntFamily);

/// Platform id of `folder` for the running platform (the started unit's;
/// the NT column when the unit is not started).
int GetSpecialFolderID(TSpecialFolder folder);

/// Starts the unit: on the first call takes ShellMalloc and DesktopFolder
/// from `platform` (the system's shell when null). Later calls only count.
/// Throws EQuillaneError "SHGetMalloc failed" or "SHGetDesktopFolder failed";
/// after a throw the unit is not started.
void StartShellUnit(std::shared_ptr<ShellPlatform> platform = nullptr);

/// Ends the unit: the call matching the first start releases ShellMalloc,
/// then DesktopFolder, then the platform. Lists still held must have been
/// freed before.
void EndShellUnit();

/// Whether the unit is started.
bool ShellUnitStarted();

/// Starts the unit for the lifetime of the object.
class ShellUnitScope {
public:
    /// Starts the unit (may throw, as StartShellUnit).
    explicit ShellUnitScope(std::shared_ptr<ShellPlatform> platform = nullptr) { StartShellUnit(std::move(platform)); }
    /// Ends the unit.
    ~ShellUnitScope() { EndShellUnit(); }
    ShellUnitScope(const ShellUnitScope&) = delete;
    ShellUnitScope& operator=(const ShellUnitScope&) = delete;
};

/// The process-wide allocator; null while the unit is not started.
ShellAllocator* ShellMalloc();

/// The process-wide desktop folder; null while the unit is not started.
const ShellFolderPtr& DesktopFolder();

/// The platform the unit was started with; null while not started.
ShellPlatform* ShellPlatformInUse();

/// The unit's shell objects as one piece of work holds them. Work on the
/// worker threads uses these and never the unit's globals, so it stays
/// sound when the unit ends while the work still runs.
struct ShellContext {
    std::shared_ptr<ShellPlatform> platform;
    ShellAllocatorPtr malloc;
    /// The threads that shell work which can block runs on.
    std::shared_ptr<ShellWorker> worker;
    /// Whether the context holds a started unit's objects.
    explicit operator bool() const { return platform && malloc && worker; }
};

/// The started unit's objects; empty while the unit is not started.
ShellContext CurrentShellContext();

/// Absolute list of `path` (UTF-8, the platform's syntax) when it is not
/// empty, else of the special folder `folder`; null when the path does not
/// parse or the folder cannot be located. `owner` owns any prompt.
IDListPtr PathToIDList(const std::string& path, TSpecialFolder folder, WindowHandle owner = 0);
/// The same through `desktop`, the desktop folder of `context`.
HeldIDList PathToIDList(const ShellContext& context, ShellFolder& desktop, const std::string& path,
                        TSpecialFolder folder, WindowHandle owner = 0);

/// Display-name kinds for GetDisplayName.
constexpr int DisplayNameNormal = 0;
constexpr int DisplayNameInFolder = 1;

/// Display name (UTF-8) of the relative list `item` inside `folder`, of the
/// kind DisplayNameNormal or DisplayNameInFolder; empty on failure.
std::string GetDisplayName(ShellFolder& folder, PCItemIDList item, int kind);
/// The same with the objects of `context`.
std::string GetDisplayName(const ShellContext& context, ShellFolder& folder, PCItemIDList item, int kind);

/// Icon kinds for GetShellIconIndex.
constexpr int IconNormal = 0;
constexpr int IconOpen = 1;

/// Index of the item's small icon (IconNormal or IconOpen) in the shared
/// icon list; -1 when the platform cannot tell. `imageList`, when given,
/// receives the list's handle (0 on failure).
int GetShellIconIndex(PCItemIDList absolute, int kind, ImageListHandle* imageList = nullptr);
/// The same with the objects of `context`.
int GetShellIconIndex(const ShellContext& context, PCItemIDList absolute, int kind,
                      ImageListHandle* imageList = nullptr);

/// File-system path (UTF-8) of the item of an absolute list; empty when it
/// has none.
std::string GetPathFromIDList(PCItemIDList absolute);
/// The same with the objects of `context`.
std::string GetPathFromIDList(const ShellContext& context, PCItemIDList absolute);

/// Whether `item` inside `folder` carries the folder attribute.
bool IsFolderItem(ShellFolder& folder, PCItemIDList item);

/// Whether `item` inside `folder` carries the has-subfolder attribute.
bool HasSubFolderItem(ShellFolder& folder, PCItemIDList item);

/// The attribute mask that `folder` answers for `item` when asked for the
/// bits of `mask` (the platform may set further bits); 0 when the query fails.
std::uint32_t GetItemAttributes(ShellFolder& folder, PCItemIDList item, std::uint32_t mask);

}  // namespace quillane::shell
