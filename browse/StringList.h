#pragma once

// The list behind the browse component's CustomEditItems: lines with a hook
// that lets the component follow every change, whoever makes it.

#include <QString>
#include <QStringList>

#include <functional>

namespace quillane {

/// An ordered list of lines (unsorted, duplicates allowed) with a hook that
/// runs after every change.
class TStringList {
public:
    /// Number of lines.
    int Count() const { return static_cast<int>(FLines.size()); }
    /// All lines.
    const QStringList& Lines() const { return FLines; }
    /// Replaces all lines with a copy of `lines`.
    void Assign(const QStringList& lines);
    /// Appends a line.
    void Add(const QString& line);
    /// Inserts a line before `index` (0 .. Count).
    void Insert(int index, const QString& line);
    /// Deletes line `index`.
    void Delete(int index);
    /// Deletes all lines.
    void Clear();

    /// Runs after every change of the list.
    std::function<void()> OnChange;

private:
    void Changed();
    QStringList FLines;
};

}  // namespace quillane
