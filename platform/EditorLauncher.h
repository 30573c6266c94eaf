#pragma once

#include "QuillaneError.h"

#include <memory>
#include <string>

namespace quillane {

/// Raised when no text editor could be started; the message says what was
/// tried and why it failed.
class EEditorLaunchError : public EQuillaneError {
public:
    using EQuillaneError::EQuillaneError;
};

/// Opens a file in the platform's text editor as a separate process that is
/// not waited for.
class IEditorLauncher {
public:
    virtual ~IEditorLauncher() = default;
    /// Starts the editor on the file. Throws EEditorLaunchError when none
    /// could be started.
    virtual void OpenAsText(const std::string& pathUtf8) = 0;
};

/// Notepad on Windows; the desktop's text editor elsewhere.
std::unique_ptr<IEditorLauncher> CreateSystemEditorLauncher();

/// The same launcher with `program` (found on the system's search path) in
/// place of the platform's editor.
std::unique_ptr<IEditorLauncher> CreateEditorLauncher(const std::string& program);

}  // namespace quillane
