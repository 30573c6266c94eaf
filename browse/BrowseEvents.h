#pragma once

// The events of the browse component: single handlers that its owner binds,
// raised through the component's Do... dispatchers. Handlers answer through
// their reference parameters.

#include <QString>

#include <cstdint>
#include <functional>

class QObject;

namespace quillane {

/// What an OnShow or OnChange handler asks of the OK button.
enum TBrowseOKState : std::uint8_t {
    okNoChange,  ///< leave it as it is
    okEnable,    ///< enable it
    okDisable,   ///< disable it
};

/// A plain notification; Sender is the component.
using TNotifyEvent = std::function<void(QObject* Sender)>;
/// OnShow and OnChange: the handler may set OKButtonState (it comes in as
/// okNoChange).
using TBrowseEvent = std::function<void(QObject* Sender, TBrowseOKState& OKButtonState)>;
/// OnAddHistrory: the handler may change Path; the empty text cancels the
/// history entry.
using TBrowseAddHistoryEvent = std::function<void(QObject* Sender, QString& Path)>;

}  // namespace quillane
