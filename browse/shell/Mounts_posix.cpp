#include "Mounts_posix.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace quillane::shell {

namespace {

std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<MountEntry> ParseMountTable(const std::string& text) {
    std::vector<MountEntry> mounts;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        if (!(fields >> entry.device >> entry.mountPoint >> entry.type)) continue;
        entry.device = Unescape(entry.device);
        entry.mountPoint = Unescape(entry.mountPoint);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

bool IsRemoteFileSystemType(const std::string& type) {
    static const char* const remoteTypes[] = {"nfs",    "nfs4", "cifs",    "smb3",      "smbfs", "ncpfs",
                                              "afs",    "coda", "ceph",    "glusterfs", "9p",    "davfs",
                                              "autofs", "fuse", "fuseblk", "sshfs",     "lustre"};
    if (StartsWith(type, "fuse.")) return true;
    return std::find_if(std::begin(remoteTypes), std::end(remoteTypes), [&](const char* t) { return type == t; }) !=
           std::end(remoteTypes);
}

std::vector<PosixVolume> SelectVolumes(const std::vector<MountEntry>& mounts) {
    std::vector<PosixVolume> volumes{{"/", false}};
    for (const MountEntry& m : mounts) {
        const bool block = StartsWith(m.device, "/dev/") && !StartsWith(m.device, "/dev/loop");
        const bool remote = IsRemoteFileSystemType(m.type);
        const bool userPlace = StartsWith(m.mountPoint, "/media/") || StartsWith(m.mountPoint, "/run/media/") ||
                               StartsWith(m.mountPoint, "/mnt/");
        if (!(block || remote) || !userPlace) continue;
        std::string point = m.mountPoint;
        while (point.size() > 1 && point.back() == '/') point.pop_back();
        auto same =
            std::find_if(volumes.begin(), volumes.end(), [&](const PosixVolume& v) { return v.mountPoint == point; });
        // A network share mounted over its automount point is one volume.
        if (same == volumes.end())
            volumes.push_back(PosixVolume{point, remote});
        else
            same->remote = same->remote || remote;
    }
    return volumes;
}

std::vector<std::string> RemoteMountPoints(const std::vector<MountEntry>& mounts) {
    std::vector<std::string> remote;
    for (const MountEntry& m : mounts) {
        if (!IsRemoteFileSystemType(m.type)) continue;
        std::string point = m.mountPoint;
        while (point.size() > 1 && point.back() == '/') point.pop_back();
        if (std::find(remote.begin(), remote.end(), point) == remote.end()) remote.push_back(point);
    }
    return remote;
}

}  // namespace quillane::shell
