#pragma once

// Images for the icon indexes the shell answers. Each image is made once per
// process and shared by every node that shows it.

#include "ShellNamespace.h"

#include <QIcon>

namespace quillane {

/// The image of icon `index` of the shell's icon list `list`; a null icon
/// for a failed query (list 0 or index -1) or an index the list lacks.
QIcon ShellIconImage(shell::ImageListHandle list, int index);

}  // namespace quillane
