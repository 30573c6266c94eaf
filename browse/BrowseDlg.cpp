#include "BrowseDlg.h"

#include "BrowseDlgForm.h"
#include "FileNameOrder.h"
#include "ShellTreeView.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace quillane {

// ------------------------------------------------------------ TBrowseDlg

TBrowseDlg::TBrowseDlg(QObject* owner)
    : QObject(owner),
      FCancelBtnCaption(QStringLiteral("キャンセル(&C)")),
      FCaption(QStringLiteral("フォルダの参照")),
      FCustomBtnCaption(QStringLiteral("カスタム(&U)")),
      FFont(SystemFont()),
      FOKBtnCaption(QStringLiteral("&OK")),
      FPathSyntax(NativePathSyntax()) {
    // The hook comes after the copy, so a new component follows the
    // system font.
    FFont.OnChange = [this] { FontChanged(); };
    FCustomEditItems.OnChange = [this] { ItemsChanged(); };
}

TBrowseDlg::~TBrowseDlg() {
    FFont.OnChange = nullptr;
    FCustomEditItems.OnChange = nullptr;
    for (const QPointer<TBrowseDlgForm>& form : FReleased) delete form.data();
}

bool TBrowseDlg::Execute() {
    if (FForm != nullptr) throw EBrowseDlgError(ExecuteRunningMessage);
    auto* form = new TBrowseDlgForm(*this, *this);
    FForm = form;
    // Whatever happens, the window is released through the event loop
    // and the component is idle again.
    struct Release {
        TBrowseDlg& dlg;
        TBrowseDlgForm* form;
        ~Release() {
            dlg.FForm = nullptr;
            dlg.FReleased.erase(std::remove_if(dlg.FReleased.begin(), dlg.FReleased.end(),
                                               [](const QPointer<TBrowseDlgForm>& p) { return p.isNull(); }),
                                dlg.FReleased.end());
            dlg.FReleased.emplace_back(form);
            form->hide();
            form->deleteLater();
        }
    } release{*this, form};
    form->InitControls();
    return form->exec() == 1;
}

void TBrowseDlg::SelectPath(const QString& Path) {
    if (FForm == nullptr) return;
    FForm->SelectInTree(NormalizeBrowsePath(Path, FPathSyntax));
}

void TBrowseDlg::SetSelectedPath(const QString& value) {
    SelectPath(value);
}

void TBrowseDlg::AddHistory() {
    if (!FUseHistory) return;
    QString path = FCustomEditText;
    DoAddHistory(path);
    if (path.isEmpty()) return;
    QStringList lines = FCustomEditItems.Lines();
    for (int i = lines.size() - 1; i >= 0; --i) {
        if (SameFileName(lines.at(i), path)) {
            lines.removeAt(i);
            break;
        }
    }
    lines.prepend(path);
    FCustomEditItems.Assign(lines);
}

int TBrowseDlg::TextLineHeight() const {
    return std::abs(FFont.Height()) + 2;
}

void TBrowseDlg::CheckNotRunning(const char* propertyName) const {
    if (FForm == nullptr) return;
    std::string message = PropertyRunningMessage;
    message.replace(message.find("%s"), 2, propertyName);
    throw EBrowseDlgPropertyError(message);
}

void TBrowseDlg::Relayout() {
    if (FForm != nullptr) FForm->ArrangeControls();
}

void TBrowseDlg::Reposition() {
    if (FForm != nullptr) FForm->UpdateBounds();
}

void TBrowseDlg::Repaint() {
    if (FForm != nullptr) FForm->update();
}

void TBrowseDlg::FontChanged() {
    FUseSystemFont = false;
    if (FForm == nullptr) return;
    FForm->setFont(FFont.Value());
    // A change of colour alone is no font change for the window.
    FForm->update();
}

void TBrowseDlg::ItemsChanged() {
    if (FForm != nullptr && FForm->ComboBox() != nullptr) FForm->ComboBox()->SetItems(FCustomEditItems.Lines());
}

void TBrowseDlg::SetBottomMargin(int value) {
    if (value == FBottomMargin) return;
    FBottomMargin = value;
    Relayout();
}

void TBrowseDlg::SetBtnHeight(int value) {
    if (value == FBtnHeight) return;
    FBtnHeight = value;
    Relayout();
}

void TBrowseDlg::SetBtnHorzMargin(int value) {
    if (value == FBtnHorzMargin) return;
    FBtnHorzMargin = value;
    Relayout();
}

void TBrowseDlg::SetBtnHorzSpacing(int value) {
    if (value == FBtnHorzSpacing) return;
    FBtnHorzSpacing = value;
    Relayout();
}

void TBrowseDlg::SetCancelBtnCaption(const QString& value) {
    if (value == FCancelBtnCaption) return;
    FCancelBtnCaption = value;
    if (FForm != nullptr) FForm->CancelBtn()->setText(value);
}

void TBrowseDlg::SetCancelBtnWidth(int value) {
    if (value == FCancelBtnWidth) return;
    FCancelBtnWidth = value;
    Relayout();
}

void TBrowseDlg::SetCaption(const QString& value) {
    if (value == FCaption) return;
    FCaption = value;
    if (FForm != nullptr) FForm->setWindowTitle(value);
}

void TBrowseDlg::SetCustomBtnCaption(const QString& value) {
    if (value == FCustomBtnCaption) return;
    FCustomBtnCaption = value;
    if (FForm != nullptr && FForm->CustomBtn() != nullptr) FForm->CustomBtn()->setText(value);
}

bool TBrowseDlg::CustomBtnChecked() const {
    if (FForm != nullptr && FCustomBtnType == cbCheckBox && FForm->CustomCheckBox() != nullptr)
        return FForm->CustomCheckBox()->isChecked();
    return FCustomBtnChecked;
}

void TBrowseDlg::SetCustomBtnChecked(bool value) {
    FCustomBtnChecked = value;
    // A change of the live box counts as a click and raises the event.
    if (FForm != nullptr && FCustomBtnType == cbCheckBox) FForm->SetCheckedByProgram(value);
}

void TBrowseDlg::SetCustomBtnEnabled(bool value) {
    if (value == FCustomBtnEnabled) return;
    FCustomBtnEnabled = value;
    if (FForm != nullptr && FForm->CustomBtn() != nullptr) FForm->CustomBtn()->setEnabled(value);
}

void TBrowseDlg::SetCustomBtnType(TCustomBtnType value) {
    CheckNotRunning("CustomBtnType");
    FCustomBtnType = value;
}

void TBrowseDlg::SetCustomBtnVisible(bool value) {
    if (value == FCustomBtnVisible) return;
    FCustomBtnVisible = value;
    if (FForm != nullptr && FForm->CustomBtn() != nullptr) FForm->CustomBtn()->setVisible(value);
}

void TBrowseDlg::SetCustomEditHorzMargin(int value) {
    if (value == FCustomEditHorzMargin) return;
    FCustomEditHorzMargin = value;
    Relayout();
}

void TBrowseDlg::SetCustomEditItems(const QStringList& lines) {
    FCustomEditItems.Assign(lines);
}

void TBrowseDlg::SetCustomEditType(TCustomEditType value) {
    CheckNotRunning("CustomEditType");
    FCustomEditType = value;
}

void TBrowseDlg::SetCustomEditVisible(bool value) {
    if (value == FCustomEditVisible) return;
    FCustomEditVisible = value;
    if (FForm == nullptr) return;
    QWidget* edit = FForm->CustomEditWidget();
    if (edit == nullptr) return;
    edit->setVisible(value);
    FForm->ArrangeControls();
}

void TBrowseDlg::SetFont(const TFont& value) {
    FFont = value;  // the hook runs when the value differs
}

void TBrowseDlg::SetHeight(int value) {
    if (value == FHeight) return;
    FHeight = value;
    Reposition();
    Relayout();
}

void TBrowseDlg::SetOKBtnCaption(const QString& value) {
    if (value == FOKBtnCaption) return;
    FOKBtnCaption = value;
    if (FForm != nullptr) FForm->OKBtn()->setText(value);
}

void TBrowseDlg::SetOKBtnWidth(int value) {
    if (value == FOKBtnWidth) return;
    FOKBtnWidth = value;
    Relayout();
}

void TBrowseDlg::SetOptions(TBrowseOptions value) {
    CheckNotRunning("Options");
    FOptions = value;
}

void TBrowseDlg::SetRoot(const QString& value) {
    CheckNotRunning("Root");
    FRoot = value;
}

void TBrowseDlg::SetScreenCenter(bool value) {
    if (value == FScreenCenter) return;
    FScreenCenter = value;
    Reposition();
}

void TBrowseDlg::SetSpecialRoot(TSpecialFolder value) {
    CheckNotRunning("SpecialRoot");
    FSpecialRoot = value;
}

void TBrowseDlg::SetText1(const QString& value) {
    if (value == FText1) return;
    FText1 = value;
    if (FText1Visible) Repaint();
}

void TBrowseDlg::SetText1Visible(bool value) {
    if (value == FText1Visible) return;
    FText1Visible = value;
    Relayout();
}

void TBrowseDlg::SetText2(const QString& value) {
    if (value == FText2) return;
    FText2 = value;
    if (FText2Visible) Repaint();
}

void TBrowseDlg::SetText2Visible(bool value) {
    if (value == FText2Visible) return;
    FText2Visible = value;
    Relayout();
}

void TBrowseDlg::SetTextHorzMargin(int value) {
    if (value == FTextHorzMargin) return;
    FTextHorzMargin = value;
    if (FText1Visible || FText2Visible) Repaint();
}

void TBrowseDlg::SetTopMargin(int value) {
    if (value == FTopMargin) return;
    FTopMargin = value;
    Relayout();
}

void TBrowseDlg::SetTreeHorzMargin(int value) {
    if (value == FTreeHorzMargin) return;
    FTreeHorzMargin = value;
    if (FForm == nullptr) return;
    // The same arithmetic as the full layout, for the tree alone.
    TShellTreeView* tree = FForm->TreeView();
    tree->setGeometry(value, tree->y(), std::max(0, FForm->width() - 2 * value), tree->height());
}

void TBrowseDlg::SetTreeShowRoot(bool value) {
    if (value == FTreeShowRoot) return;
    FTreeShowRoot = value;
    if (FForm != nullptr) FForm->TreeView()->SetShowRoot(value);
}

void TBrowseDlg::SetUseHistory(bool value) {
    FUseHistory = value;
}

void TBrowseDlg::SetUseSystemFont(bool value) {
    if (value == FUseSystemFont) return;
    FUseSystemFont = value;
    if (!value) return;
    FFont = SystemFont();  // reaches a running window through the hook
    FUseSystemFont = true;
}

void TBrowseDlg::SetVertSpacing(int value) {
    if (value == FVertSpacing) return;
    FVertSpacing = value;
    Relayout();
}

void TBrowseDlg::SetWidth(int value) {
    if (value == FWidth) return;
    FWidth = value;
    Reposition();
    Relayout();
}

void TBrowseDlg::SetX(int value) {
    if (value == FX) return;
    FX = value;
    Reposition();
}

void TBrowseDlg::SetY(int value) {
    if (value == FY) return;
    FY = value;
    Reposition();
}

void TBrowseDlg::SetCustomEditText(const QString& value) {
    if (value == FCustomEditText) return;
    FCustomEditText = value;
    if (FForm == nullptr) return;
    if (FForm->Edit() != nullptr)
        FForm->Edit()->setText(value);
    else if (FForm->ComboBox() != nullptr)
        FForm->ComboBox()->SetText(value);
}

QString TBrowseDlg::HandlerName(const QString& eventName) const {
    const auto it = FHandlerNames.find(eventName);
    return it == FHandlerNames.end() ? QString() : it->second;
}

void TBrowseDlg::SetHandlerName(const QString& eventName, const QString& handlerName) {
    if (handlerName.isEmpty())
        FHandlerNames.erase(eventName);
    else
        FHandlerNames[eventName] = handlerName;
}

void TBrowseDlg::StoreSelection(const QString& path, const QString& name) {
    FSelectedPath = path;
    FSelectedName = name;
}

void TBrowseDlg::StoreCustomEditText(const QString& text) {
    FCustomEditText = text;
}

void TBrowseDlg::StoreCustomBtnChecked(bool checked) {
    FCustomBtnChecked = checked;
}

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
