#pragma once

// The shared icon list of the file-system and in-memory namespaces: the icon
// indexes they answer are these values; the widget layer maps each to an
// image. (The Windows shell answers indexes into its own system list.)

namespace quillane::shell {

/// Icons of the shared list, by index.
enum ShellIcon : int {
    IconComputer = 0,
    IconDrive = 1,
    IconFolder = 2,
    IconFolderOpen = 3,
    IconHome = 4,
    IconDesktop = 5,
    IconFile = 6,
};

/// Number of icons in the shared list.
constexpr int ShellIconCount = 7;

/// Handle value that stands for the shared list.
constexpr unsigned SharedIconListHandle = 1;

}  // namespace quillane::shell
