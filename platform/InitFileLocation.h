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

/// The path of init.m of the newest installation (UTF-8), or empty when
/// none is found. Throws ERegistryError.
std::string LocateInitFile(IRegistry& registry);

}  // namespace quillane
