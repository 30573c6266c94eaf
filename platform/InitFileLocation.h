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

/// The path of init.m of the newest installation (UTF-8), or empty when
/// none is found. Throws ERegistryError.
std::string LocateInitFile(IRegistry& registry);

}  // namespace quillane
