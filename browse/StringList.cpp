#include "StringList.h"

#include <algorithm>

namespace quillane {

void TStringList::Changed() {
    if (OnChange) OnChange();
}

void TStringList::Assign(const QStringList& lines) {
    FLines = lines;
    Changed();
}

void TStringList::Add(const QString& line) {
    FLines.append(line);
    Changed();
}

void TStringList::Insert(int index, const QString& line) {
    FLines.insert(std::clamp(index, 0, Count()), line);
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    FLines.removeAt(index);
    Changed();
}

void TStringList::Clear() {
    FLines.clear();
    Changed();
}

}  // namespace quillane
