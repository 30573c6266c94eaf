#pragma once

// The file-system namespace of POSIX systems. The desktop holds the computer
// (virtual: an ancestor of file-system items without a path of its own) and
// the user's home folder; the computer holds the root file system and the
// mounted volumes a user would call drives; below them are the real folders
// and files. Entries whose names start with a dot are hidden and not listed.
//
// Items are one kind byte and the zero-terminated name behind the size field:
// 'C' the computer, 'H' the home folder and 'V' a volume (named by their full
// paths), 'D' a folder and 'F' anything else (named by one path component).
//
// Network and FUSE file systems can take seconds to answer, or never answer:
// a folder on one says it may have subfolders without being looked at. Making
// the namespace reads nothing from the disk; the home and desktop folders are
// found on first use.

#include "Mounts_posix.h"
#include "ShellNamespace.h"

#include <memory>
#include <string>
#include <vector>

namespace quillane::shell {

/// Where the namespace finds its places; empty fields mean "this system's".
struct PosixShellOptions {
    /// The home folder ($HOME when empty).
    std::string home;
    /// The desktop's own folder: the user's desktop directory when empty
    /// (from the XDG user-dirs file, else ~/Desktop), none when it does not
    /// exist.
    std::string desktop;
    /// The mount table to read volumes from (/proc/self/mounts when empty).
    std::string mountsFile;
    /// When not empty: the volumes besides the root, instead of those of
    /// the mount table.
    std::vector<PosixVolume> volumes;
};

/// The namespace with these places.
std::shared_ptr<ShellPlatform> CreatePosixShellPlatform(const PosixShellOptions& options);

}  // namespace quillane::shell
