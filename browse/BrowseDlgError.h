#pragma once

// The failures of the browse component and their messages.

#include "QuillaneError.h"

#include <QtGlobal>

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
/// Message of a refused property change, to be translated by TBrowseDlg::tr;
/// %s is the property's name.
inline constexpr const char* PropertyRunningMessage =
    QT_TRANSLATE_NOOP("quillane::TBrowseDlg", "TBrowseDlg: Execute の実行中には %s プロパティの値を変更できません");

}  // namespace quillane
