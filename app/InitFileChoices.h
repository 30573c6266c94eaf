#pragma once

#include "InitFileCandidates.h"
#include "QuillaneDialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillane {

/// The entries of the init-file chooser, one per candidate, in order: what
/// the file is, whether this user may write it, its path. A file that can
/// be neither read nor made is shown disabled.
QList<TInitFileChoice> InitFileChoices(const std::vector<InitFileCandidate>& candidates);

/// The folders of the candidates as far as they exist (the file's folder,
/// else the base folder above it), in native syntax, each once: the places
/// the file-open dialog offers.
QStringList InitFileFolders(const std::vector<InitFileCandidate>& candidates);

/// The first per-user file this user may write other than `except`; empty
/// when there is none.
QString WritablePerUserFile(const std::vector<InitFileCandidate>& candidates, const QString& except);

}  // namespace quillane
