#include "BrowseDlg.h"

#include "BrowseDlgForm.h"
#include "BrowseDlg_p.h"
#include "FileNameOrder.h"

#include <QCheckBox>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace quillane {

TBrowseDlgPrivate::TBrowseDlgPrivate() : Font(SystemFont()), PathSyntax(NativePathSyntax()) {
    for (int id = 0; id < BrowsePropertyCount; ++id) {
        const TBrowseProperty& property = BrowseProperty(static_cast<TBrowsePropertyId>(id));
        if (property.Type.Kind != TPropertyKind::Lines && property.Type.Kind != TPropertyKind::Font)
            Values[id] = DefaultValue(property);
    }
}

TBrowseDlg::TBrowseDlg(QObject* owner) : QObject(owner), FPrivate(std::make_unique<TBrowseDlgPrivate>()) {
    // The hook comes after the copy of the system font, so a new component
    // follows it.
    FPrivate->Font.OnChange = [this] { FontChanged(); };
    FPrivate->CustomEditItems.OnChange = [this] { ApplyChange(TLiveEffect::CustomEditItems); };
}

TBrowseDlg::~TBrowseDlg() {
    FPrivate->Font.OnChange = nullptr;
    FPrivate->CustomEditItems.OnChange = nullptr;
    for (const QPointer<TBrowseDlgForm>& form : FPrivate->Released) delete form.data();
}

bool TBrowseDlg::Execute() {
    if (FPrivate->Form != nullptr) throw EBrowseDlgError(ExecuteRunningMessage);
    auto* form = new TBrowseDlgForm(*this, *this);
    FPrivate->Form = form;
    // Whatever happens, the window is released through the event loop
    // and the component is idle again.
    struct Release {
        TBrowseDlgPrivate& d;
        TBrowseDlgForm* form;
        ~Release() {
            d.Form = nullptr;
            d.Released.erase(std::remove_if(d.Released.begin(), d.Released.end(),
                                            [](const QPointer<TBrowseDlgForm>& p) { return p.isNull(); }),
                             d.Released.end());
            d.Released.emplace_back(form);
            form->hide();
            form->deleteLater();
        }
    } release{*FPrivate, form};
    form->InitControls();
    return form->exec() == 1;
}

void TBrowseDlg::SelectPath(const QString& Path) {
    if (FPrivate->Form == nullptr) return;
    FPrivate->Form->SelectInTree(NormalizeBrowsePath(Path, FPrivate->PathSyntax));
}

void TBrowseDlg::AddHistory() {
    if (!UseHistory()) return;
    QString path = FPrivate->CustomEditText;
    DoAddHistory(path);
    if (path.isEmpty()) return;
    QStringList lines = FPrivate->CustomEditItems.Lines();
    for (int i = lines.size() - 1; i >= 0; --i) {
        if (SameFileName(lines.at(i), path)) {
            lines.removeAt(i);
            break;
        }
    }
    lines.prepend(path);
    FPrivate->CustomEditItems.Assign(lines);
}

TBrowseDlgForm* TBrowseDlg::Form() const {
    return FPrivate->Form;
}

int TBrowseDlg::TextLineHeight() const {
    return std::abs(FPrivate->Font.Height()) + 2;
}

// ------------------------------------------------- the table's properties

TPropertyValue TBrowseDlg::Value(TBrowsePropertyId id) const {
    const TBrowseProperty& property = BrowseProperty(id);
    if (property.Type.Kind == TPropertyKind::Lines || property.Type.Kind == TPropertyKind::Font)
        throw std::invalid_argument(std::string("TBrowseDlg: ") + property.Name + " has no single value");
    // The live check box is read as the getter reads it.
    if (id == bpCustomBtnChecked) return CustomBtnChecked() ? 1 : 0;
    return FPrivate->Values[id];
}

void TBrowseDlg::SetValue(TBrowsePropertyId id, const TPropertyValue& value) {
    const TBrowseProperty& property = BrowseProperty(id);
    if (!HoldsValue(property, value))
        throw std::invalid_argument(std::string("TBrowseDlg: no value for ") + property.Name);
    TPropertyValue& stored = FPrivate->Values[id];
    switch (property.Effect) {
    case TLiveEffect::Refused:
        CheckNotRunning(property.Name);
        stored = value;
        return;
    case TLiveEffect::CustomBtnChecked:
        stored = value;
        // A change of the live box counts as a click and raises the event.
        if (FPrivate->Form != nullptr && CustomBtnType() == cbCheckBox)
            FPrivate->Form->SetCheckedByProgram(std::get<int>(value) != 0);
        return;
    default:
        break;
    }
    if (stored == value) return;
    stored = value;
    if (property.Effect == TLiveEffect::UseSystemFont) {
        if (std::get<int>(value) == 0) return;
        FPrivate->Font = SystemFont();  // reaches a running window through the hook
        stored = 1;
        return;
    }
    ApplyChange(property.Effect);
}

int TBrowseDlg::Number(TBrowsePropertyId id) const {
    return std::get<int>(FPrivate->Values[id]);
}

const QString& TBrowseDlg::String(TBrowsePropertyId id) const {
    return std::get<QString>(FPrivate->Values[id]);
}

void TBrowseDlg::CheckNotRunning(const char* propertyName) const {
    if (FPrivate->Form == nullptr) return;
    std::string message = tr(PropertyRunningMessage).toStdString();
    message.replace(message.find("%s"), 2, propertyName);
    throw EBrowseDlgPropertyError(message);
}

void TBrowseDlg::ApplyChange(TLiveEffect effect) {
    if (FPrivate->Form != nullptr) FPrivate->Form->ApplyChange(effect);
}

void TBrowseDlg::FontChanged() {
    FPrivate->Values[bpUseSystemFont] = 0;
    ApplyChange(TLiveEffect::Font);
}

// The typed face of the table's properties: each getter reads its entry,
// each setter goes through SetValue.
#define QUILLANE_NUMBER_PROPERTY(Type, Name)         \
    Type TBrowseDlg::Name() const {                  \
        return static_cast<Type>(Number(bp##Name));  \
    }                                                \
    void TBrowseDlg::Set##Name(Type value) {         \
        SetValue(bp##Name, static_cast<int>(value)); \
    }
#define QUILLANE_STRING_PROPERTY(Name)                 \
    QString TBrowseDlg::Name() const {                 \
        return String(bp##Name);                       \
    }                                                  \
    void TBrowseDlg::Set##Name(const QString& value) { \
        SetValue(bp##Name, value);                     \
    }

QUILLANE_NUMBER_PROPERTY(int, BottomMargin)
QUILLANE_NUMBER_PROPERTY(int, BtnHeight)
QUILLANE_NUMBER_PROPERTY(int, BtnHorzMargin)
QUILLANE_NUMBER_PROPERTY(int, BtnHorzSpacing)
QUILLANE_STRING_PROPERTY(CancelBtnCaption)
QUILLANE_NUMBER_PROPERTY(int, CancelBtnWidth)
QUILLANE_STRING_PROPERTY(Caption)
QUILLANE_STRING_PROPERTY(CustomBtnCaption)
QUILLANE_NUMBER_PROPERTY(bool, CustomBtnEnabled)
QUILLANE_NUMBER_PROPERTY(TCustomBtnType, CustomBtnType)
QUILLANE_NUMBER_PROPERTY(bool, CustomBtnVisible)
QUILLANE_NUMBER_PROPERTY(int, CustomEditHorzMargin)
QUILLANE_NUMBER_PROPERTY(TCustomEditType, CustomEditType)
QUILLANE_NUMBER_PROPERTY(bool, CustomEditVisible)
QUILLANE_NUMBER_PROPERTY(int, Height)
QUILLANE_STRING_PROPERTY(OKBtnCaption)
QUILLANE_NUMBER_PROPERTY(int, OKBtnWidth)
QUILLANE_STRING_PROPERTY(Root)
QUILLANE_NUMBER_PROPERTY(bool, ScreenCenter)
QUILLANE_NUMBER_PROPERTY(TSpecialFolder, SpecialRoot)
QUILLANE_STRING_PROPERTY(Text1)
QUILLANE_NUMBER_PROPERTY(bool, Text1Visible)
QUILLANE_STRING_PROPERTY(Text2)
QUILLANE_NUMBER_PROPERTY(bool, Text2Visible)
QUILLANE_NUMBER_PROPERTY(int, TextHorzMargin)
QUILLANE_NUMBER_PROPERTY(int, TopMargin)
QUILLANE_NUMBER_PROPERTY(int, TreeHorzMargin)
QUILLANE_NUMBER_PROPERTY(bool, TreeShowRoot)
QUILLANE_NUMBER_PROPERTY(bool, UseHistory)
QUILLANE_NUMBER_PROPERTY(bool, UseSystemFont)
QUILLANE_NUMBER_PROPERTY(int, VertSpacing)
QUILLANE_NUMBER_PROPERTY(int, Width)
QUILLANE_NUMBER_PROPERTY(int, X)
QUILLANE_NUMBER_PROPERTY(int, Y)
QUILLANE_NUMBER_PROPERTY(int, Tag)

#undef QUILLANE_NUMBER_PROPERTY
#undef QUILLANE_STRING_PROPERTY

// ------------------------------------- properties with rules of their own

TBrowseOptions TBrowseDlg::Options() const {
    return TBrowseOptions::FromBits(static_cast<std::uint8_t>(Number(bpOptions)));
}

void TBrowseDlg::SetOptions(TBrowseOptions value) {
    SetValue(bpOptions, static_cast<int>(value.Bits()));
}

void TBrowseDlg::SetCustomBtnChecked(bool value) {
    SetValue(bpCustomBtnChecked, value ? 1 : 0);
}

bool TBrowseDlg::CustomBtnChecked() const {
    const TBrowseDlgForm* form = FPrivate->Form;
    if (form != nullptr && CustomBtnType() == cbCheckBox && form->CustomCheckBox() != nullptr)
        return form->CustomCheckBox()->isChecked();
    return Number(bpCustomBtnChecked) != 0;
}

TStringList& TBrowseDlg::CustomEditItems() {
    return FPrivate->CustomEditItems;
}

const TStringList& TBrowseDlg::CustomEditItems() const {
    return FPrivate->CustomEditItems;
}

QStringList TBrowseDlg::CustomEditLines() const {
    return FPrivate->CustomEditItems.Lines();
}

void TBrowseDlg::SetCustomEditItems(const QStringList& lines) {
    FPrivate->CustomEditItems.Assign(lines);
}

TFont& TBrowseDlg::Font() {
    return FPrivate->Font;
}

const TFont& TBrowseDlg::Font() const {
    return FPrivate->Font;
}

TFont TBrowseDlg::FontValue() const {
    return FPrivate->Font;
}

void TBrowseDlg::SetFont(const TFont& value) {
    FPrivate->Font = value;  // the hook runs when the value differs
}

// --------------------------------------------------------- run-time members

QString TBrowseDlg::CustomEditText() const {
    return FPrivate->CustomEditText;
}

void TBrowseDlg::SetCustomEditText(const QString& value) {
    if (value == FPrivate->CustomEditText) return;
    FPrivate->CustomEditText = value;
    ApplyChange(TLiveEffect::CustomEditText);
}

QString TBrowseDlg::SelectedPath() const {
    return FPrivate->SelectedPath;
}

void TBrowseDlg::SetSelectedPath(const QString& value) {
    SelectPath(value);
}

QString TBrowseDlg::SelectedName() const {
    return FPrivate->SelectedName;
}

TPathSyntax TBrowseDlg::PathSyntax() const {
    return FPrivate->PathSyntax;
}

void TBrowseDlg::SetPathSyntax(TPathSyntax value) {
    FPrivate->PathSyntax = value;
}

QString TBrowseDlg::HandlerName(const QString& eventName) const {
    const auto it = FPrivate->HandlerNames.find(eventName);
    return it == FPrivate->HandlerNames.end() ? QString() : it->second;
}

void TBrowseDlg::SetHandlerName(const QString& eventName, const QString& handlerName) {
    if (handlerName.isEmpty())
        FPrivate->HandlerNames.erase(eventName);
    else
        FPrivate->HandlerNames[eventName] = handlerName;
}

// ----------------------------------------------- what the window hands back

void TBrowseDlg::StoreSelection(const QString& path, const QString& name) {
    FPrivate->SelectedPath = path;
    FPrivate->SelectedName = name;
}

void TBrowseDlg::StoreCustomEditText(const QString& text) {
    FPrivate->CustomEditText = text;
}

void TBrowseDlg::StoreCustomBtnChecked(bool checked) {
    FPrivate->Values[bpCustomBtnChecked] = checked ? 1 : 0;
}

// ------------------------------------------------------------- dispatchers

void TBrowseDlg::DoShow(TBrowseOKState& OKButtonState) {
    if (OnShow) OnShow(this, OKButtonState);
}

void TBrowseDlg::DoChange(TBrowseOKState& OKButtonState) {
    if (OnChange) OnChange(this, OKButtonState);
}

void TBrowseDlg::DoCustomBtnClick() {
    if (OnCustomBtnClick) OnCustomBtnClick(this);
}

void TBrowseDlg::DoCustomEditChange() {
    if (OnCustomEditChange) OnCustomEditChange(this);
}

void TBrowseDlg::DoOKBtnClick() {
    if (OnOKBtnClick) OnOKBtnClick(this);
}

void TBrowseDlg::DoCancelBtnClick() {
    if (OnCancelBtnClick) OnCancelBtnClick(this);
}

void TBrowseDlg::DoAddHistory(QString& Path) {
    if (OnAddHistrory) OnAddHistrory(this, Path);
}

}  // namespace quillane
