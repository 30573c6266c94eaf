#pragma once

// The volumes of a POSIX computer, read from its mount table.

#include <string>
#include <vector>

namespace quillane::shell {

/// A volume of the computer: a mount point a user would call a drive.
struct PosixVolume {
    std::string mountPoint;
    /// A network or FUSE file system, never looked at before it is opened.
    bool remote = false;

    bool operator==(const PosixVolume& other) const { return mountPoint == other.mountPoint && remote == other.remote; }
};

/// One line of a mount table, unescaped.
struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string type;
};

/// Parses a mount table in the /proc/mounts format (octal escapes decoded).
std::vector<MountEntry> ParseMountTable(const std::string& text);

/// Whether a file system of this type may take long to answer: network
/// shares (nfs, cifs, smb3, ...), automount points and FUSE (fuse, fuse.*).
bool IsRemoteFileSystemType(const std::string& type);

/// The mount points a user would call drives, root first, then in text
/// order: block devices (not loop devices), network shares and FUSE file
/// systems mounted under /media, /run/media or /mnt. Pseudo file systems
/// never count.
std::vector<PosixVolume> SelectVolumes(const std::vector<MountEntry>& mounts);

/// The mount points of every network or FUSE file system, wherever it is.
std::vector<std::string> RemoteMountPoints(const std::vector<MountEntry>& mounts);

}  // namespace quillane::shell
