#include "ShellItems_posix.h"

#include "ItemIDList.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace quillane::shell::posix {

std::string MakeItem(char kind, const std::string& name) {
    const std::size_t cb = NameOffset + name.size() + 1;
    std::string item(cb, '\0');
    item[0] = static_cast<char>(cb & 0xFF);
    item[1] = static_cast<char>((cb >> 8) & 0xFF);
    item[2] = kind;
    std::memcpy(&item[NameOffset], name.data(), name.size());
    return item;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ResolveItems(const Place& from, PCItemIDList list, Place& place) {
    if (list == nullptr) return false;
    place = from;
    for (PCItemIDList item = list; ItemSize(item) != 0; item = NextIDListItem(item)) {
        const std::uint16_t cb = ItemSize(item);
        if (cb < NameOffset + 1 || item[cb - 1] != 0) return false;
        const char kind = static_cast<char>(item[2]);
        const std::string name(reinterpret_cast<const char*>(item) + NameOffset, cb - NameOffset - 1);
        if (name.find('\0') != std::string::npos) return false;
        if (place.type == Place::Desktop && kind == KindComputer && name.empty()) {
            place.type = Place::Computer;
        } else if ((place.type == Place::Desktop && kind == KindHome) ||
                   (place.type == Place::Computer && kind == KindVolume)) {
            if (name.empty() || name[0] != '/') return false;
            place.type = Place::FileSystem;
            place.path = name;
        } else if (place.type == Place::FileSystem && place.kind != KindFile &&
                   (kind == KindFolder || kind == KindFile)) {
            if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return false;
            place.path = JoinPath(place.path, name);
        } else {
            return false;
        }
        place.kind = kind;
    }
    return true;
}

bool ItemsOfPath(const std::string& path, const std::vector<PosixVolume>& volumes, std::string& bytes) {
    if (path.empty() || path[0] != '/') return false;
    std::vector<std::string> parts;
    std::istringstream in(path);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string full = "/";
    for (std::size_t i = 0; i < parts.size(); ++i) full += (i ? "/" : "") + parts[i];
    struct stat st;
    if (::lstat(full.c_str(), &st) != 0) return false;

    // The deepest volume holding the path; the root always does.
    std::string volume = "/";
    std::size_t volumeParts = 0;
    for (const PosixVolume& v : volumes) {
        const std::string& mount = v.mountPoint;
        std::vector<std::string> mparts;
        std::istringstream m(mount);
        while (std::getline(m, part, '/'))
            if (!part.empty()) mparts.push_back(part);
        if (mparts.size() > parts.size() || mparts.size() <= volumeParts) continue;
        if (std::equal(mparts.begin(), mparts.end(), parts.begin())) {
            volume = mount;
            volumeParts = mparts.size();
        }
    }
    bytes = MakeItem(KindComputer, std::string()) + MakeItem(KindVolume, volume);
    for (std::size_t i = volumeParts; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const char kind = !last || IsDirectory(full) ? KindFolder : KindFile;
        if (parts[i].size() > 0xFFFF - NameOffset - 1) return false;
        bytes += MakeItem(kind, parts[i]);
    }
    return true;
}

}  // namespace quillane::shell::posix
