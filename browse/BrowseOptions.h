#pragma once

// What the browse window is made of beyond its fixed parts: the kinds of its
// custom controls and its option set.

#include <QMetaType>

#include <cstdint>
#include <initializer_list>

namespace quillane {

/// Kind of the extra control at the left of the button row.
enum TCustomBtnType : std::uint8_t {
    cbNone,      ///< no extra control
    cbButton,    ///< a push button
    cbCheckBox,  ///< a check box
};

/// Kind of the edit above the tree.
enum TCustomEditType : std::uint8_t {
    ceNone,      ///< no edit
    ceEdit,      ///< a single-line edit
    ceComboBox,  ///< an editable combo box whose list is CustomEditItems
};

/// One option of the browse window.
enum TBrowseOption : std::uint8_t {
    boReturnOnlyDirectory,  ///< OK is enabled exactly when the selected item has a path
    boIncludeFiles,         ///< the tree lists files as well as folders
};

/// A set of TBrowseOption values, one bit per option (bit = ordinal value).
class TBrowseOptions {
public:
    /// The empty set.
    constexpr TBrowseOptions() = default;
    /// The set of the given options.
    constexpr TBrowseOptions(std::initializer_list<TBrowseOption> options) {
        for (TBrowseOption o : options) FBits = static_cast<std::uint8_t>(FBits | Bit(o));
    }
    /// The set whose bits are `bits` (bits above the options are dropped).
    static constexpr TBrowseOptions FromBits(std::uint8_t bits) {
        TBrowseOptions result;
        result.FBits = static_cast<std::uint8_t>(bits & 0x03u);
        return result;
    }
    /// The set as one byte.
    constexpr std::uint8_t Bits() const { return FBits; }
    /// Whether `option` is in the set.
    constexpr bool Contains(TBrowseOption option) const { return (FBits & Bit(option)) != 0; }
    friend constexpr bool operator==(TBrowseOptions a, TBrowseOptions b) { return a.FBits == b.FBits; }
    friend constexpr bool operator!=(TBrowseOptions a, TBrowseOptions b) { return a.FBits != b.FBits; }

private:
    static constexpr std::uint8_t Bit(TBrowseOption o) { return static_cast<std::uint8_t>(1u << o); }
    std::uint8_t FBits = 0;
};

}  // namespace quillane

Q_DECLARE_METATYPE(quillane::TCustomBtnType)
Q_DECLARE_METATYPE(quillane::TCustomEditType)
Q_DECLARE_METATYPE(quillane::TBrowseOptions)
