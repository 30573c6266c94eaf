#pragma once

// The platform's part of init-file discovery: path syntax and the kernel's
// base folders. One backend per platform; used only inside this library.

#include <string>
#include <vector>

namespace quillane {
namespace initfiles {

/// A base folder of the kernel: `Name` below the user's or the shared data
/// folder, unless the environment variable `Variable` (may be null) names
/// another folder. `Current`: the default of current versions.
struct BaseFolder {
    const char* Name;
    const char* Variable;
    bool Current;
};

/// Per-user base folders, the current one first.
const std::vector<BaseFolder>& UserBaseFolders();

/// The separator this platform writes.
extern const char PathSeparator;
/// Whether `c` separates path components on this platform.
bool IsSeparator(char c);
/// A form of `path` that is equal for two spellings of the same path
/// (Windows: ASCII case and either separator).
std::string PathKey(const std::string& path);

}  // namespace initfiles
}  // namespace quillane
