#pragma once

// The failures of the browse component and their messages.

#include "QuillaneError.h"

namespace quillane {

/// Failures of the browse component.
class EBrowseDlgError : public EQuillaneError {
public:
    using EQuillaneError::EQuillaneError;
};

/// A property that cannot change while the window runs.
class EBrowseDlgPropertyError : public EBrowseDlgError {
public:
    using EBrowseDlgError::EBrowseDlgError;
};

/// Message of a second Execute while one runs.
inline constexpr const char* ExecuteRunningMessage = "TBrowseDlg: Execute is already running";
/// Message of a refused property change; %s is the property's name.
inline constexpr const char* PropertyRunningMessage =
    "TBrowseDlg: Execute の実行中には %s プロパティの値を変更できません";

}  // namespace quillane
