#pragma once

// The items of the POSIX namespace: one kind byte and the zero-terminated
// name behind the size field (see SystemShell_posix.h), and the places they lead to.

#include "Mounts_posix.h"
#include "ShellNamespace.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quillane::shell::posix {

constexpr char KindComputer = 'C';
constexpr char KindHome = 'H';
constexpr char KindVolume = 'V';
constexpr char KindFolder = 'D';
constexpr char KindFile = 'F';
constexpr std::size_t NameOffset = 3;

// A resolved namespace place.
struct Place {
    enum Type { Desktop, Computer, FileSystem } type = Desktop;
    std::string path;  // FileSystem only
    char kind = 0;     // kind byte of the last item (0 for the desktop)
    bool IsFolder() const { return type != FileSystem || kind != KindFile; }
};

/// Item bytes: size, kind, name, zero.
std::string MakeItem(char kind, const std::string& name);

/// `folder` and `name` joined by one slash.
std::string JoinPath(const std::string& folder, const std::string& name);

/// Whether `path` is a directory, links followed.
bool IsDirectory(const std::string& path);

/// Walks `list` from `from` into `place`. Item bytes are checked, since a
/// list is only trusted as far as this namespace could have made it.
bool ResolveItems(const Place& from, PCItemIDList list, Place& place);

/// Items from the desktop to an absolute path that exists, through the
/// deepest of `volumes` that holds it; false when the path is not absolute
/// or does not exist.
bool ItemsOfPath(const std::string& path, const std::vector<PosixVolume>& volumes, std::string& bytes);

}  // namespace quillane::shell::posix
