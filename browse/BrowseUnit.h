#pragma once

// The start and end of the browse unit: the system font and the shell
// objects that every browse window shares.

#include <memory>
#include <utility>

namespace quillane {

namespace shell {
class ShellPlatform;
}

/// Starts the browse unit: the system font, then the shell unit (see
/// shell::StartShellUnit). Later calls only count.
void StartBrowseUnit(std::shared_ptr<shell::ShellPlatform> platform = nullptr);
/// Ends the browse unit (the shell unit's end).
void EndBrowseUnit();

/// Starts the browse unit for the lifetime of the object.
class BrowseUnitScope {
public:
    /// Starts the unit (may throw, as StartShellUnit).
    explicit BrowseUnitScope(std::shared_ptr<shell::ShellPlatform> platform = nullptr) {
        StartBrowseUnit(std::move(platform));
    }
    /// Ends the unit.
    ~BrowseUnitScope() { EndBrowseUnit(); }
    BrowseUnitScope(const BrowseUnitScope&) = delete;
    BrowseUnitScope& operator=(const BrowseUnitScope&) = delete;
};

}  // namespace quillane
