#pragma once

#include "EditorLauncher.h"

#include <string>
#include <vector>

namespace quillane {

/// Where the desktop keeps its settings and applications, most important
/// first (the XDG base directories).
struct DesktopDirs {
    std::vector<std::string> ConfigDirs;  ///< $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
    std::vector<std::string> DataDirs;    ///< $XDG_DATA_HOME, then $XDG_DATA_DIRS
};

/// Starts the desktop's text editor on the file: the graphical application
/// the desktop names as default for text/plain (mimeapps.list and its
/// .desktop file), else the first of `editors` found as an executable file
/// in the `searchPath` folders. The editor runs detached in its own session:
/// it is not waited for, is not our child (so it leaves no zombie) and
/// outlives nothing of ours. When it cannot be started, the next one found
/// is tried; when none starts, EEditorLaunchError says what was tried.
class PosixEditorLauncher : public IEditorLauncher {
public:
    PosixEditorLauncher(std::vector<std::string> searchPath, std::vector<std::string> editors,
                        DesktopDirs desktop = DesktopDirs());

    /// The folders of the PATH variable (or the usual ones when it is unset).
    static std::vector<std::string> DefaultSearchPath();

    /// Graphical text editors of the common desktops, most specific first.
    static std::vector<std::string> DefaultEditors();

    /// The XDG directories from the environment, with their standard defaults.
    static DesktopDirs DefaultDesktopDirs();

    /// The arguments of a .desktop file's Exec line for opening `path`
    /// (field codes expanded, quoting removed); empty when the line is
    /// malformed. The path is added at the end when the line has no field
    /// code for it.
    static std::vector<std::string> ExpandExec(const std::string& exec, const std::string& path);

    /// The full path of the fallback editor; empty when none is found.
    std::string FindEditor() const;

    /// The command that would open `path` (program with full path first);
    /// empty when there is no editor.
    std::vector<std::string> CommandFor(const std::string& path) const;

    /// Every command that may open `path`, in the order they are tried.
    std::vector<std::vector<std::string>> CommandsFor(const std::string& path) const;

    void OpenAsText(const std::string& pathUtf8) override;

private:
    std::string FindProgram(const std::string& name) const;
    std::vector<std::string> DesktopDefaultCommand(const std::string& path) const;

    std::vector<std::string> FSearchPath;
    std::vector<std::string> FEditors;
    DesktopDirs FDesktop;
};

}  // namespace quillane
