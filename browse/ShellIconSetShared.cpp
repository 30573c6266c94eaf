// Icons of the shared icon list of the file-system and in-memory namespaces:
// theme icons, with the style's own images where the theme has none.

#include "ShellIconSet.h"

#include "ShellIcons.h"

#include <QApplication>
#include <QStyle>

#include <array>

namespace quillane {

namespace {

struct IconSource {
    const char* themeName;
    QStyle::StandardPixmap fallback;
};

// Indexed by shell::ShellIcon.
constexpr std::array<IconSource, shell::ShellIconCount> Sources = {{
    {"computer", QStyle::SP_ComputerIcon},
    {"drive-harddisk", QStyle::SP_DriveHDIcon},
    {"folder", QStyle::SP_DirClosedIcon},
    {"folder-open", QStyle::SP_DirOpenIcon},
    {"user-home", QStyle::SP_DirHomeIcon},
    {"user-desktop", QStyle::SP_DesktopIcon},
    {"text-x-generic", QStyle::SP_FileIcon},
}};

const std::array<QIcon, shell::ShellIconCount>& Icons() {
    // Made on first use, when the application (and its style) exists.
    static const std::array<QIcon, shell::ShellIconCount> icons = [] {
        std::array<QIcon, shell::ShellIconCount> made;
        QStyle* style = QApplication::style();
        for (std::size_t i = 0; i < Sources.size(); ++i) {
            const QIcon fallback = style ? style->standardIcon(Sources[i].fallback) : QIcon();
            made[i] = QIcon::fromTheme(QString::fromLatin1(Sources[i].themeName), fallback);
        }
        return made;
    }();
    return icons;
}

}  // namespace

QIcon ShellIconImage(shell::ImageListHandle list, int index) {
    if (list != shell::SharedIconListHandle || index < 0 || index >= shell::ShellIconCount) return QIcon();
    return Icons()[static_cast<std::size_t>(index)];
}

}  // namespace quillane
