#pragma once

// The fields of a TBrowseDlg, which only the component's own code touches.

#include "BrowseDlgProperties.h"
#include "Font.h"
#include "PathSyntax.h"
#include "StringList.h"

#include <QPointer>
#include <QString>

#include <array>
#include <map>
#include <vector>

namespace quillane {

class TBrowseDlgForm;

/// The state behind a TBrowseDlg.
class TBrowseDlgPrivate {
public:
    /// Every property at its default, Font a copy of the system font.
    TBrowseDlgPrivate();

    /// The window while Execute runs; its presence is the running state
    /// that every setter tests.
    TBrowseDlgForm* Form = nullptr;
    /// The properties with a TPropertyValue, by id (the entries of
    /// CustomEditItems and Font are unused).
    std::array<TPropertyValue, BrowsePropertyCount> Values;
    TStringList CustomEditItems;
    TFont Font;
    QString CustomEditText;
    QString SelectedPath;
    QString SelectedName;
    TPathSyntax PathSyntax;
    /// Handler names of the bound events, by event name.
    std::map<QString, QString> HandlerNames;
    /// Windows whose queued release is still pending; deleted with the
    /// component when the event loop has not got to them.
    std::vector<QPointer<TBrowseDlgForm>> Released;
};

}  // namespace quillane
