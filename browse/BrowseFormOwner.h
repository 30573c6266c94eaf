#pragma once

// What the browse window may do to its component besides reading its
// properties and calling its public operations: raise the component's
// events, and hand the user's choice back without the write-back into the
// window that the public setters make. The component implements it
// privately and gives it only to the window it creates.

#include "BrowseEvents.h"

#include <QString>

namespace quillane {

/// The browse window's access to its component.
class IBrowseFormOwner {
public:
    /// Raises OnShow.
    virtual void DoShow(TBrowseOKState& OKButtonState) = 0;
    /// Raises OnChange.
    virtual void DoChange(TBrowseOKState& OKButtonState) = 0;
    /// Raises OnCustomBtnClick.
    virtual void DoCustomBtnClick() = 0;
    /// Raises OnCustomEditChange.
    virtual void DoCustomEditChange() = 0;
    /// Raises OnOKBtnClick.
    virtual void DoOKBtnClick() = 0;
    /// Raises OnCancelBtnClick.
    virtual void DoCancelBtnClick() = 0;
    /// Stores the path (empty for an item without one) and the caption of
    /// the tree item selected last.
    virtual void StoreSelection(const QString& path, const QString& name) = 0;
    /// Stores the custom edit's text as the user left it.
    virtual void StoreCustomEditText(const QString& text) = 0;
    /// Stores the custom check box's state.
    virtual void StoreCustomBtnChecked(bool checked) = 0;

protected:
    ~IBrowseFormOwner() = default;
};

}  // namespace quillane
