#pragma once

// The shell namespace as the folder tree sees it: the platform operations
// (allocator, desktop folder, special-folder location, parsing, enumeration,
// binding, attributes, display names, icons, paths) behind small interfaces,
// with one backend per platform and an in-memory one for tests.
//
// The flag constants carry the Windows shell's names and values. Where the
// Windows headers came first, their macros of the same names and values
// stand in for those defined as macros there.
//
// Status codes follow the Windows shell: only ShellOk (0) is success; every
// other value, ShellFalse included, is a failure or an end.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillane::shell {

/// Status code of a shell operation. Only ShellOk counts as success.
using HResult = std::int32_t;

constexpr HResult ShellOk = 0;
/// Not an error, but not success either (for example: enumeration ended).
constexpr HResult ShellFalse = 1;
constexpr HResult ShellFail = static_cast<HResult>(0x80004005u);
constexpr HResult ShellInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult ShellNotFound = static_cast<HResult>(0x80070002u);
constexpr HResult ShellAccessDenied = static_cast<HResult>(0x80070005u);
constexpr HResult ShellOutOfMemory = static_cast<HResult>(0x8007000Eu);

/// An item ID list: a byte string of items, each starting with a 16-bit
/// little-endian size that counts the whole item, ended by a 2-byte zero.
/// The empty list (terminator only) is the desktop.
using PItemIDList = std::uint8_t*;
/// Read-only view of an item ID list.
using PCItemIDList = const std::uint8_t*;

/// Native window handle of the owner of any prompt the platform shows (an
/// HWND on Windows); 0 for none.
using WindowHandle = std::uintptr_t;
/// Handle of the shared small-icon list the icon indexes point into; 0 when
/// the platform's icon query failed.
using ImageListHandle = std::uintptr_t;

#ifndef SFGAO_FOLDER
/// Attribute bits (values of the Windows shell's SFGAO_* flags).
constexpr std::uint32_t SFGAO_FILESYSANCESTOR = 0x10000000u;
constexpr std::uint32_t SFGAO_FOLDER = 0x20000000u;
constexpr std::uint32_t SFGAO_FILESYSTEM = 0x40000000u;
constexpr std::uint32_t SFGAO_HASSUBFOLDER = 0x80000000u;
#endif

/// Enumeration flags (SHCONTF_*).
constexpr std::uint32_t SHCONTF_FOLDERS = 0x20u;
constexpr std::uint32_t SHCONTF_NONFOLDERS = 0x40u;
constexpr std::uint32_t SHCONTF_INCLUDEHIDDEN = 0x80u;

/// Display-name flags (SHGDN_*).
constexpr std::uint32_t SHGDN_NORMAL = 0x0u;
constexpr std::uint32_t SHGDN_INFOLDER = 0x1u;

#ifndef SHGFI_OPENICON
/// Icon query flags (SHGFI_*).
constexpr std::uint32_t SHGFI_SMALLICON = 0x1u;
constexpr std::uint32_t SHGFI_OPENICON = 0x2u;
constexpr std::uint32_t SHGFI_PIDL = 0x8u;
constexpr std::uint32_t SHGFI_SYSICONINDEX = 0x4000u;
#endif

/// Kinds of display-name answer (STRRET_*).
constexpr std::uint32_t STRRET_WSTR = 0;
constexpr std::uint32_t STRRET_OFFSET = 1;
constexpr std::uint32_t STRRET_CSTR = 2;

/// Size of the 8-bit text buffer of a display-name answer.
constexpr std::size_t StrRetBufferSize = 260;

/// A display-name answer. Which field holds the text depends on uType:
/// STRRET_WSTR: pOleStr, a zero-terminated UTF-16 block from the shell
///   allocator that the receiver must free;
/// STRRET_OFFSET: 8-bit system code-page text inside the item that was
///   asked about, uOffset bytes from the item's start;
/// STRRET_CSTR: 8-bit text in cStr, up to its first zero byte or all of it.
struct StrRet {
    std::uint32_t uType = STRRET_CSTR;
    char16_t* pOleStr = nullptr;
    std::uint32_t uOffset = 0;
    char cStr[StrRetBufferSize] = {};
};

/// The shell's task allocator. Every ID list the shell hands out, and every
/// one built by the routines, lives in one of its blocks.
class ShellAllocator {
public:
    virtual ~ShellAllocator() = default;
    /// A block of at least `size` bytes; null when none can be supplied.
    virtual void* Alloc(std::size_t size) = 0;
    /// Releases a block from Alloc (or from the shell); null is ignored.
    virtual void Free(void* block) = 0;
};

class ShellEnumerator;
class ShellFolder;

/// Shared reference to a folder object; released when the last holder goes.
using ShellFolderPtr = std::shared_ptr<ShellFolder>;
/// Owning reference to an enumerator; released when destroyed.
using ShellEnumPtr = std::unique_ptr<ShellEnumerator>;
/// Shared reference to the allocator.
using ShellAllocatorPtr = std::shared_ptr<ShellAllocator>;

/// Walks the items of one folder (IEnumIDList).
class ShellEnumerator {
public:
    virtual ~ShellEnumerator() = default;
    /// Fetches the next item: ShellOk with a one-item relative list that the
    /// caller owns (free it through the allocator); any other code ends the
    /// walk and leaves `item` null.
    virtual HResult Next(PItemIDList& item) = 0;
};

/// A folder of the namespace (IShellFolder). Item lists passed in are
/// relative to this folder; the desktop folder also takes absolute lists of
/// several items.
class ShellFolder {
public:
    virtual ~ShellFolder() = default;
    /// Parses a display name (a UTF-8 path in the platform's syntax) into a
    /// list relative to this folder, owned by the caller. On failure `list`
    /// stays null.
    virtual HResult ParseDisplayName(WindowHandle owner, const std::string& name, PItemIDList& list) = 0;
    /// Opens an enumeration of the items that match `flags` (SHCONTF_*).
    virtual HResult EnumObjects(WindowHandle owner, std::uint32_t flags, ShellEnumPtr& result) = 0;
    /// The folder object of `item` (a relative list of one or more items).
    virtual HResult BindToObject(PCItemIDList item, ShellFolderPtr& result) = 0;
    /// Attributes common to `count` items: `mask` comes in with the bits
    /// asked for and goes out with those of them that hold.
    virtual HResult GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) = 0;
    /// Display name of `item` of the kind `flags` (SHGDN_*).
    virtual HResult GetDisplayNameOf(PCItemIDList item, std::uint32_t flags, StrRet& name) = 0;
};

/// The global operations of one platform's shell.
class ShellPlatform {
public:
    virtual ~ShellPlatform() = default;
    /// The task allocator (SHGetMalloc).
    virtual HResult GetMalloc(ShellAllocatorPtr& result) = 0;
    /// The desktop folder (SHGetDesktopFolder).
    virtual HResult GetDesktopFolder(ShellFolderPtr& result) = 0;
    /// Absolute list of a special folder by platform id (CSIDL value), owned
    /// by the caller; stays null on failure.
    virtual HResult GetSpecialFolderLocation(WindowHandle owner, int csidl, PItemIDList& list) = 0;
    /// Small-icon index of the item of an absolute list (flags SHGFI_*); the
    /// result is the shared icon list's handle, 0 on failure (then
    /// `iconIndex` is untouched).
    virtual ImageListHandle GetFileIconInfo(PCItemIDList absolute, std::uint32_t flags, int& iconIndex) = 0;
    /// File-system path (UTF-8) of the item of an absolute list; false when
    /// it has none.
    virtual bool GetPathFromIDList(PCItemIDList absolute, std::string& path) = 0;
    /// Whether the system is of the Windows NT family (for special folders).
    virtual bool IsNTFamily() = 0;
    /// Converts 8-bit display text in the system code page to UTF-8.
    virtual std::string SystemTextToUtf8(const std::string& text) = 0;
    /// Prepares the calling thread for shell calls for as long as the
    /// answer is held (COM on Windows); nothing by default.
    virtual std::shared_ptr<void> PrepareThread() { return nullptr; }
};

/// The shell of this system: the Windows shell on Windows, the file-system
/// namespace elsewhere.
std::shared_ptr<ShellPlatform> CreateSystemShellPlatform();

}  // namespace quillane::shell
