#pragma once

// The stored design values of a browse component: a small text form, one
// "Name = value" line per stored property, Tag first, then in declaration
// order. Integers, Booleans (True/False), enumerations and sets
// ([boIncludeFiles]) are written when they differ from the default; strings
// ('text', quotes doubled, #n for control characters) when not empty, and
// also when emptied where the default is not (so that loading keeps them
// empty); CustomEditItems as ('a', 'b') when it holds lines; Font as
// Font.Name, Font.Height (pixels) or Font.Size (points), Font.Style and
// Font.Color lines only while UseSystemFont is off; events as the handler's
// name when a handler is bound. Blank lines and lines starting with "#" are
// skipped.

#include "BrowseEvents.h"

#include <QString>

#include <map>

namespace quillane {

class TBrowseDlg;

/// The handlers an owner offers to a stored form, by name.
struct TBrowseHandlerTable {
    std::map<QString, TBrowseEvent> BrowseEvents;                ///< for OnShow, OnChange
    std::map<QString, TNotifyEvent> NotifyEvents;                ///< for the four notifications
    std::map<QString, TBrowseAddHistoryEvent> AddHistoryEvents;  ///< for OnAddHistrory
};

/// The stored form of `dlg`'s design values. Throws EBrowseDlgError for a
/// bound event without a recorded handler name.
QString SaveBrowseDlgForm(const TBrowseDlg& dlg);

/// Applies a stored form to `dlg` as its setters would (so a running
/// component refuses what they refuse), binding events from `handlers` and
/// recording their names. With a `context` (the owner's), the form's texts
/// (captions, text rows; not paths) are translated in it, as a Qt Designer
/// form's are. Throws EBrowseDlgError naming the line for an unknown
/// property, a malformed value or an unknown handler; lines before the
/// faulty one stay applied.
void LoadBrowseDlgForm(TBrowseDlg& dlg, const QString& text, const TBrowseHandlerTable& handlers,
                       const char* context = nullptr);

/// Reads a stored form from a file or Qt resource (":/...") and applies it.
/// Throws EBrowseDlgError when the file cannot be read, or as above.
void LoadBrowseDlgFormFile(TBrowseDlg& dlg, const QString& fileName, const TBrowseHandlerTable& handlers,
                           const char* context = nullptr);

}  // namespace quillane
