#include "ExtendedAttributes_posix.h"

#include <sys/types.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace quillane {

namespace {

// The names of the extended attributes of the open file `fd`.
bool AttributeNames(int fd, std::vector<std::string>& names) {
    names.clear();
    std::vector<char> list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) return errno == ENOTSUP;  // none where the file system has none
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = size == 0 ? 0 : ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE) continue;
        if (got < 0) return false;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            names.emplace_back(list.data() + at);
            at += names.back().size() + 1;
        }
        return true;
    }
}

}  // namespace

bool CopyExtendedAttributes(int from, int to) {
    std::vector<std::string> want, have;
    if (!AttributeNames(from, want) || !AttributeNames(to, have)) return false;
    // What the new file got from its folder (a default ACL, a label) goes
    // unless the old file has it too.
    for (const std::string& name : have) {
        if (std::find(want.begin(), want.end(), name) == want.end() && ::fremovexattr(to, name.c_str()) != 0)
            return false;
    }
    std::vector<char> value;
    for (const std::string& name : want) {
        for (;;) {
            const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
            if (size < 0) return false;
            value.resize(static_cast<std::size_t>(size));
            const ssize_t got = size == 0 ? 0 : ::fgetxattr(from, name.c_str(), value.data(), value.size());
            if (got < 0 && errno == ERANGE) continue;
            if (got < 0 || ::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(got), 0) != 0)
                return false;
            break;
        }
    }
    return true;
}

}  // namespace quillane
