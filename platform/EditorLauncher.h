#pragma once

#include <memory>
#include <string>

namespace quillane {

/// Opens a file in the platform's text editor as a separate process that is
/// not waited for; failure to start it is not reported.
class IEditorLauncher {
public:
    virtual ~IEditorLauncher() = default;
    virtual void OpenAsText(const std::string& pathUtf8) = 0;
};

/// Notepad on Windows; the desktop's text editor elsewhere.
std::unique_ptr<IEditorLauncher> CreateSystemEditorLauncher();

}  // namespace quillane
