#pragma once

// An in-memory namespace for tests: built from a text description, with
// virtual items, failures a test switches on, calls a test slows down or
// holds (as a slow or hung file system would), and an allocator that counts
// every block so a test can prove that nothing leaks. It may be called from
// several threads at once.
//
// Description: one item per line, indented by two spaces per level below
// the desktop (a line at column 0 is a child of the desktop). Fields are
// separated by "|" and trimmed; all but the name are optional:
//
//   name | flags | file-system path | normal display name
//
// Flags (space separated): folder, fs, ancestor, sub, nosub, hidden, and
// the per-item failures noattr, noname, nobind, noenum, noicon, nopath.
// An item with a path is "fs"; an item with children is "folder"; a folder
// with a folder child has "sub" unless "nosub" is given. Empty lines and
// lines starting with "#" are skipped. Names are unique among siblings.

#include "CountingAllocator.h"
#include "ShellNamespace.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillane::shell {

/// Whole-namespace failures a test switches on.
struct MemoryFailures {
    bool malloc = false;         ///< GetMalloc fails
    bool desktop = false;        ///< GetDesktopFolder fails
    bool parse = false;          ///< ParseDisplayName fails
    bool specialFolder = false;  ///< GetSpecialFolderLocation fails
    bool bind = false;           ///< BindToObject fails
    bool enumerate = false;      ///< EnumObjects fails
    bool attributes = false;     ///< GetAttributesOf fails
    bool displayName = false;    ///< GetDisplayNameOf fails
    bool icon = false;           ///< GetFileIconInfo fails
    bool path = false;           ///< GetPathFromIDList fails
};

/// The calls a test can slow down or hold.
enum class MemoryCall { Parse, SpecialFolder, Bind, Enumerate, Next, Attributes, DisplayName, Icon, Path };

/// Counters of the calls the namespace received.
struct MemoryCallCounts {
    std::size_t parse = 0;
    std::size_t specialFolder = 0;
    std::size_t bind = 0;
    std::size_t enumerate = 0;
    std::size_t next = 0;
    std::size_t attributes = 0;
    std::size_t displayName = 0;
    std::size_t icon = 0;
    std::size_t path = 0;
};

struct MemoryShellState;

/// The in-memory namespace.
class MemoryShell : public ShellPlatform {
public:
    /// Builds the namespace; throws std::invalid_argument on a malformed
    /// description (bad indentation, unknown flag, duplicate sibling).
    explicit MemoryShell(const std::string& description);
    ~MemoryShell() override;

    HResult GetMalloc(ShellAllocatorPtr& result) override;
    HResult GetDesktopFolder(ShellFolderPtr& result) override;
    HResult GetSpecialFolderLocation(WindowHandle owner, int csidl, PItemIDList& list) override;
    ImageListHandle GetFileIconInfo(PCItemIDList absolute, std::uint32_t flags, int& iconIndex) override;
    bool GetPathFromIDList(PCItemIDList absolute, std::string& path) override;
    bool IsNTFamily() override;
    std::string SystemTextToUtf8(const std::string& text) override;

    /// The switchable failures.
    MemoryFailures& Failures();
    /// Calls received so far.
    const MemoryCallCounts& Calls() const;
    /// The counting allocator (also the one GetMalloc hands out).
    CountingAllocator& Allocator();
    /// Folder objects and enumerators alive now.
    std::size_t LiveFolders() const;
    std::size_t LiveEnumerators() const;

    /// Makes every `call` about the item at `address` (as for ListOf) wait
    /// `delay` before it answers; 0 answers at once again. A call is about
    /// the item it finds (Parse, SpecialFolder), binds (Bind), lists
    /// (Enumerate, Next) or is asked about (the others). False when the
    /// address names no item.
    bool SetDelay(MemoryCall call, const std::string& address, std::chrono::milliseconds delay);
    /// Makes every such call wait until ReleaseHeld, as a hung file system
    /// would. False when the address names no item.
    bool Hold(MemoryCall call, const std::string& address);
    /// Lets the held calls answer and holds no more; the namespace's end
    /// does so too.
    void ReleaseHeld();
    /// Calls waiting in a hold now.
    std::size_t HeldCalls() const;

    /// Chooses the platform family (NT by default).
    void SetNTFamily(bool nt);
    /// The STRRET type of display-name answers (STRRET_WSTR by default);
    /// other values give an answer of an unknown type.
    void SetNameAnswer(std::uint32_t type);
    /// The desktop's display name ("Desktop" by default) and path (none).
    void SetDesktop(const std::string& name, const std::string& path);
    /// Makes platform id `csidl` locate the item at `address` (names from the
    /// desktop down, joined by "/"; "" is the desktop). Returns false when
    /// the address names no item.
    bool SetSpecialFolder(int csidl, const std::string& address);
    /// Absolute list of the item at `address`, in a block of Allocator()
    /// (a test frees it); null when the address names no item.
    PItemIDList ListOf(const std::string& address);
    /// The byte offset of the name inside an item this namespace makes.
    static constexpr std::uint32_t NameOffset = 7;

private:
    std::shared_ptr<MemoryShellState> FState;
};

}  // namespace quillane::shell
