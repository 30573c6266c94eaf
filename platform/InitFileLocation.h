#pragma once

#include "QuillaneError.h"
#include "Registry.h"

#include <string>

namespace quillane {

/// Raised for a value of the wrong type or whose data cannot be fetched.
class ERegistryError : public EQuillaneError {
public:
    using EQuillaneError::EQuillaneError;
};

/// The init file's path below an installation folder, in this platform's
/// path syntax, with its leading separator.
extern const char* const KernelInitRelativePath;

/// The key whose subkeys are the installed versions, below the local machine.
extern const char* const ProductKeyPath;

/// The existing value `name` of `key`, read as installation folders are: size 0
/// gives the empty text whatever the type; otherwise only REG_SZ and
/// REG_EXPAND_SZ (not expanded) are accepted, up to the first NUL. Throws
/// ERegistryError for another type or data that cannot be fetched.
std::string ReadRegistryString(IRegistryKey& key, const std::string& name);

/// The path of init.m of the newest installation (UTF-8), or empty when
/// none is found. Throws ERegistryError.
std::string LocateInitFile(IRegistry& registry);

}  // namespace quillane
