#pragma once

// The published properties of the browse component, in one table: for each
// its name, its kind and default, and what setting it does while the window
// runs. The table drives the component's setters and its refusals, its
// stored form, and the test of its defaults.

#include <QString>

#include <cstdint>
#include <variant>

namespace quillane {

/// The published properties, in the order the stored form writes them
/// (Tag first, then declaration order).
enum TBrowsePropertyId : std::uint8_t {
    bpTag,
    bpBottomMargin,
    bpBtnHeight,
    bpBtnHorzMargin,
    bpBtnHorzSpacing,
    bpCancelBtnCaption,
    bpCancelBtnWidth,
    bpCaption,
    bpCustomBtnCaption,
    bpCustomBtnChecked,
    bpCustomBtnEnabled,
    bpCustomBtnType,
    bpCustomBtnVisible,
    bpCustomEditHorzMargin,
    bpCustomEditItems,
    bpCustomEditType,
    bpCustomEditVisible,
    bpFont,
    bpHeight,
    bpOKBtnCaption,
    bpOKBtnWidth,
    bpOptions,
    bpRoot,
    bpScreenCenter,
    bpSpecialRoot,
    bpText1,
    bpText1Visible,
    bpText2,
    bpText2Visible,
    bpTextHorzMargin,
    bpTopMargin,
    bpTreeHorzMargin,
    bpTreeShowRoot,
    bpUseHistory,
    bpUseSystemFont,
    bpVertSpacing,
    bpWidth,
    bpX,
    bpY,
};

/// Number of TBrowsePropertyId values.
constexpr int BrowsePropertyCount = bpY + 1;

/// How a property's value is held and written.
enum class TPropertyKind : std::uint8_t {
    Integer,      ///< a signed number
    Boolean,      ///< 0 or 1
    String,       ///< a text
    Enumeration,  ///< the ordinal of one of the value names
    Set,          ///< one bit per value name
    Lines,        ///< CustomEditItems, a list object of its own
    Font,         ///< Font, a font object of its own
};

/// What setting a property does while the window runs (besides storing
/// the value). Setters of all but Refused and CustomBtnChecked return at
/// once when the value is the current one.
enum class TLiveEffect : std::uint8_t {
    None,               ///< nothing; the value is read when next needed
    Refused,            ///< the setter throws and stores nothing, even for the current value
    Layout,             ///< the window lays its controls out again
    Bounds,             ///< the window is placed again
    BoundsAndLayout,    ///< placed again, then laid out again
    Text1,              ///< repaint while the first text row is visible
    Text2,              ///< repaint while the second text row is visible
    TextMargin,         ///< repaint while either text row is visible
    Caption,            ///< the window's title
    OKBtnCaption,       ///< the OK button's caption
    CancelBtnCaption,   ///< the Cancel button's caption
    CustomBtnCaption,   ///< the custom control's caption, when there is one
    CustomBtnEnabled,   ///< the custom control's enabled state, when there is one
    CustomBtnVisible,   ///< the custom control's visibility, when there is one; no re-layout
    CustomBtnChecked,   ///< the check box's state, which counts as a click
    CustomEditItems,    ///< the combo box's list
    CustomEditText,     ///< the edit's or the combo box's text
    CustomEditVisible,  ///< the edit shown or hidden, then a re-layout (nothing with ceNone)
    Font,               ///< the window's font; the window then lays itself out again
    TreeHorzMargin,     ///< the tree's left edge and width, without a full re-layout
    TreeShowRoot,       ///< the tree's root-level lines and buttons
    UseSystemFont,      ///< when switched on, Font becomes a copy of the system font
};

/// Names of the values of an enumeration or the members of a set.
struct TValueNames {
    const char* const* Names = nullptr;  ///< by ordinal
    int Count = 0;                       ///< number of names
};

/// A property's kind and default.
struct TPropertyType {
    TPropertyKind Kind;
    int Default;              ///< integers, Booleans, ordinals, set bits
    const char* DefaultText;  ///< strings (UTF-8); a text's in Japanese, the source language
    TValueNames Names;        ///< enumerations and sets
    bool Text = false;        ///< a string the user reads (a caption), translated; not a path
};

/// One published property.
struct TBrowseProperty {
    TBrowsePropertyId Id;
    const char* Name;
    TPropertyType Type;
    TLiveEffect Effect;
};

/// The value of a property of the kinds Integer, Boolean, Enumeration and
/// Set (a number) or String (a text).
using TPropertyValue = std::variant<int, QString>;

/// The table entry of `id`.
const TBrowseProperty& BrowseProperty(TBrowsePropertyId id);
/// The entry named `name`; null for no property of that name.
const TBrowseProperty* FindBrowseProperty(const QString& name);
/// The default value of a property of a kind with a TPropertyValue; a
/// text's in the user's language.
TPropertyValue DefaultValue(const TBrowseProperty& property);
/// Whether `value` is one that `property` can hold: of its kind, and a
/// named ordinal or set of named members.
bool HoldsValue(const TBrowseProperty& property, const TPropertyValue& value);

}  // namespace quillane
