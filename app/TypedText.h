#pragma once

#include <QString>

namespace quillane {

/// What one edit put into `before` to make `after`: the part between the
/// longest common beginning and end.
QString InsertedText(const QString& before, const QString& after);

/// `path` with a leading ~ naming the home folder, as in a shell.
QString ExpandHome(const QString& path);

}  // namespace quillane
