#include "BrowseDlgProperties.h"

#include "BrowseOptions.h"
#include "ShellRoutines.h"

#include <QCoreApplication>

#include <array>
#include <cstddef>

namespace quillane {

namespace {

constexpr std::array<const char*, 3> CustomBtnTypeNames = {"cbNone", "cbButton", "cbCheckBox"};
constexpr std::array<const char*, 3> CustomEditTypeNames = {"ceNone", "ceEdit", "ceComboBox"};
constexpr std::array<const char*, 2> OptionNames = {"boReturnOnlyDirectory", "boIncludeFiles"};
constexpr std::array<const char*, shell::SpecialFolderCount> SpecialFolderNames = {
    "sfDesktop",         "sfInternet",       "sfPrograms",      "sfControlPanel",     "sfPrinters",   "sfPersonal",
    "sfFavorites",       "sfStartup",        "sfRecent",        "sfSendTo",           "sfRecycleBin", "sfStartMenu",
    "sfDesktopDir",      "sfMyComputer",     "sfNetwork",       "sfNetHood",          "sfFonts",      "sfTemplates",
    "sfCommonStartMenu", "sfCommonPrograms", "sfCommonStartup", "sfCommonDesktopDir", "sfAppData",    "sfPrintHood"};

template <std::size_t N>
constexpr TValueNames NamesOf(const std::array<const char*, N>& names) {
    return {names.data(), static_cast<int>(N)};
}

constexpr TPropertyType Integer(int value) {
    return {TPropertyKind::Integer, value, "", {}};
}
constexpr TPropertyType Boolean(bool value) {
    return {TPropertyKind::Boolean, value ? 1 : 0, "", {}};
}
constexpr TPropertyType String(const char* value) {
    return {TPropertyKind::String, 0, value, {}};
}
constexpr TPropertyType Text(const char* value) {
    return {TPropertyKind::String, 0, value, {}, true};
}
template <std::size_t N>
constexpr TPropertyType Enumeration(const std::array<const char*, N>& names, int value) {
    return {TPropertyKind::Enumeration, value, "", NamesOf(names)};
}
template <std::size_t N>
constexpr TPropertyType Set(const std::array<const char*, N>& names, int bits) {
    return {TPropertyKind::Set, bits, "", NamesOf(names)};
}
constexpr TPropertyType ObjectOf(TPropertyKind kind) {
    return {kind, 0, "", {}};
}

using E = TLiveEffect;

constexpr TBrowseProperty Properties[] = {
    {bpTag, "Tag", Integer(0), E::None},
    {bpBottomMargin, "BottomMargin", Integer(8), E::Layout},
    {bpBtnHeight, "BtnHeight", Integer(24), E::Layout},
    {bpBtnHorzMargin, "BtnHorzMargin", Integer(12), E::Layout},
    {bpBtnHorzSpacing, "BtnHorzSpacing", Integer(8), E::Layout},
    {bpCancelBtnCaption, "CancelBtnCaption", Text(QT_TRANSLATE_NOOP("quillane::TBrowseDlg", "キャンセル(&C)")),
     E::CancelBtnCaption},
    {bpCancelBtnWidth, "CancelBtnWidth", Integer(88), E::Layout},
    {bpCaption, "Caption", Text(QT_TRANSLATE_NOOP("quillane::TBrowseDlg", "フォルダの参照")), E::Caption},
    {bpCustomBtnCaption, "CustomBtnCaption", Text(QT_TRANSLATE_NOOP("quillane::TBrowseDlg", "カスタム(&U)")),
     E::CustomBtnCaption},
    {bpCustomBtnChecked, "CustomBtnChecked", Boolean(false), E::CustomBtnChecked},
    {bpCustomBtnEnabled, "CustomBtnEnabled", Boolean(true), E::CustomBtnEnabled},
    {bpCustomBtnType, "CustomBtnType", Enumeration(CustomBtnTypeNames, cbNone), E::Refused},
    {bpCustomBtnVisible, "CustomBtnVisible", Boolean(true), E::CustomBtnVisible},
    {bpCustomEditHorzMargin, "CustomEditHorzMargin", Integer(8), E::Layout},
    {bpCustomEditItems, "CustomEditItems", ObjectOf(TPropertyKind::Lines), E::CustomEditItems},
    {bpCustomEditType, "CustomEditType", Enumeration(CustomEditTypeNames, ceEdit), E::Refused},
    {bpCustomEditVisible, "CustomEditVisible", Boolean(true), E::CustomEditVisible},
    {bpFont, "Font", ObjectOf(TPropertyKind::Font), E::Font},
    {bpHeight, "Height", Integer(300), E::BoundsAndLayout},
    {bpOKBtnCaption, "OKBtnCaption", Text(QT_TRANSLATE_NOOP("quillane::TBrowseDlg", "&OK")), E::OKBtnCaption},
    {bpOKBtnWidth, "OKBtnWidth", Integer(88), E::Layout},
    {bpOptions, "Options", Set(OptionNames, TBrowseOptions{boReturnOnlyDirectory}.Bits()), E::Refused},
    {bpRoot, "Root", String(""), E::Refused},
    {bpScreenCenter, "ScreenCenter", Boolean(true), E::Bounds},
    {bpSpecialRoot, "SpecialRoot", Enumeration(SpecialFolderNames, shell::sfDesktop), E::Refused},
    {bpText1, "Text1", Text(""), E::Text1},
    {bpText1Visible, "Text1Visible", Boolean(true), E::Layout},
    {bpText2, "Text2", Text(""), E::Text2},
    {bpText2Visible, "Text2Visible", Boolean(false), E::Layout},
    {bpTextHorzMargin, "TextHorzMargin", Integer(12), E::TextMargin},
    {bpTopMargin, "TopMargin", Integer(8), E::Layout},
    {bpTreeHorzMargin, "TreeHorzMargin", Integer(8), E::TreeHorzMargin},
    {bpTreeShowRoot, "TreeShowRoot", Boolean(false), E::TreeShowRoot},
    {bpUseHistory, "UseHistory", Boolean(true), E::None},
    {bpUseSystemFont, "UseSystemFont", Boolean(true), E::UseSystemFont},
    {bpVertSpacing, "VertSpacing", Integer(4), E::Layout},
    {bpWidth, "Width", Integer(378), E::BoundsAndLayout},
    {bpX, "X", Integer(64), E::Bounds},
    {bpY, "Y", Integer(64), E::Bounds},
};

constexpr bool EntriesStandAtTheirIds() {
    for (int i = 0; i < BrowsePropertyCount; ++i)
        if (Properties[i].Id != i) return false;
    return std::size(Properties) == BrowsePropertyCount;
}
static_assert(EntriesStandAtTheirIds(), "one entry per property, in the order of TBrowsePropertyId");

}  // namespace

const TBrowseProperty& BrowseProperty(TBrowsePropertyId id) {
    return Properties[id];
}

const TBrowseProperty* FindBrowseProperty(const QString& name) {
    for (const TBrowseProperty& property : Properties)
        if (name == QLatin1String(property.Name)) return &property;
    return nullptr;
}

TPropertyValue DefaultValue(const TBrowseProperty& property) {
    // The context is the component's, as its tr() names it.
    if (property.Type.Text && *property.Type.DefaultText != '\0')
        return QCoreApplication::translate("quillane::TBrowseDlg", property.Type.DefaultText);
    if (property.Type.Kind == TPropertyKind::String) return QString::fromUtf8(property.Type.DefaultText);
    return property.Type.Default;
}

bool HoldsValue(const TBrowseProperty& property, const TPropertyValue& value) {
    const int* number = std::get_if<int>(&value);
    switch (property.Type.Kind) {
    case TPropertyKind::Integer:
        return number != nullptr;
    case TPropertyKind::Boolean:
        return number != nullptr && (*number == 0 || *number == 1);
    case TPropertyKind::String:
        return std::holds_alternative<QString>(value);
    case TPropertyKind::Enumeration:
        return number != nullptr && *number >= 0 && *number < property.Type.Names.Count;
    case TPropertyKind::Set:
        return number != nullptr && *number >= 0 && *number < (1 << property.Type.Names.Count);
    case TPropertyKind::Lines:
    case TPropertyKind::Font:
        break;
    }
    return false;
}

}  // namespace quillane
