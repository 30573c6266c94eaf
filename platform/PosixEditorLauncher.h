#pragma once

#include "EditorLauncher.h"

#include <string>
#include <vector>

namespace quillane {

/// Starts a desktop text editor on the file: the first of `editors` found as
/// an executable file in the `searchPath` folders (names with a slash are
/// taken as they are). The editor gets the path as its one argument and runs
/// detached in its own session: it is not waited for, is not our child (so it
/// leaves no zombie) and outlives nothing of ours. Failure is not reported.
class PosixEditorLauncher : public IEditorLauncher {
public:
    PosixEditorLauncher(std::vector<std::string> searchPath, std::vector<std::string> editors);

    /// The folders of the PATH variable (or the usual ones when it is unset).
    static std::vector<std::string> DefaultSearchPath();

    /// Graphical text editors of the common desktops, most specific first.
    static std::vector<std::string> DefaultEditors();

    /// The full path of the editor that would be started; empty when none.
    std::string FindEditor() const;

    void OpenAsText(const std::string& pathUtf8) override;

private:
    std::vector<std::string> FSearchPath;
    std::vector<std::string> FEditors;
};

}  // namespace quillane
