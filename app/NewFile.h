#pragma once

#include <QString>
#include <QStringList>

namespace quillane {

/// Makes `path` as an empty file, and first the folders it needs. Returns
/// those folders, outermost first. Throws EQuillaneError when a folder or
/// the file cannot be made (or the file is there already), having taken
/// away the folders it made.
QStringList CreateEmptyFile(const QString& path);

/// Takes away a file that CreateEmptyFile made and then its `folders`,
/// innermost first, as far as they are empty.
void RemoveCreatedFile(const QString& path, const QStringList& folders);

}  // namespace quillane
