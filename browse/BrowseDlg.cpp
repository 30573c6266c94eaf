#include "BrowseDlg.h"

#include "BrowseDlgForm.h"
#include "FileNameOrder.h"
#include "ShellTreeView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

namespace quillane {

namespace {

// The resolution at which point sizes become pixels: the one Qt itself
// uses to draw the font on the primary screen.
double FontDpi() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->logicalDotsPerInchY();
    }
    return 96.0;
}

std::unique_ptr<TFont>& SystemFontSlot() {
    static std::unique_ptr<TFont> font;
    return font;
}

int BrowseUnitStarts = 0;

TFailureReport& FailureReportSlot() {
    static TFailureReport report;
    return report;
}

void ShowFailureBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

// ---------------------------------------------------------------- TFont

TFont::TFont() : FFont(QGuiApplication::font()) {}

TFont::TFont(const QFont& font, const QColor& color) : FFont(font), FColor(color) {}

TFont::TFont(const TFont& other) : FFont(other.FFont), FColor(other.FColor) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) Change(other.FFont, other.FColor);
    return *this;
}

void TFont::Change(const QFont& font, const QColor& color) {
    if (font == FFont && color == FColor) return;
    FFont = font;
    FColor = color;
    if (OnChange) OnChange();
}

void TFont::SetValue(const QFont& value) {
    Change(value, FColor);
}

void TFont::SetName(const QString& value) {
    QFont f = FFont;
    f.setFamily(value);
    Change(f, FColor);
}

int TFont::Height() const {
    if (FFont.pixelSize() > 0) return -FFont.pixelSize();
    return -static_cast<int>(std::lround(FFont.pointSizeF() * FontDpi() / 72.0));
}

void TFont::SetHeight(int value) {
    const int pixels = std::abs(value);
    // Qt has no font of no size; such a height leaves the font as it was.
    if (pixels == 0) return;
    QFont f = FFont;
    f.setPixelSize(pixels);
    Change(f, FColor);
}

int TFont::Size() const {
    if (FFont.pixelSize() > 0) return static_cast<int>(std::lround(FFont.pixelSize() * 72.0 / FontDpi()));
    return static_cast<int>(std::lround(FFont.pointSizeF()));
}

void TFont::SetSize(int value) {
    if (value <= 0) return;
    QFont f = FFont;
    f.setPointSize(value);
    Change(f, FColor);
}

void TFont::SetBold(bool value) {
    QFont f = FFont;
    f.setBold(value);
    Change(f, FColor);
}

void TFont::SetItalic(bool value) {
    QFont f = FFont;
    f.setItalic(value);
    Change(f, FColor);
}

void TFont::SetUnderline(bool value) {
    QFont f = FFont;
    f.setUnderline(value);
    Change(f, FColor);
}

void TFont::SetStrikeOut(bool value) {
    QFont f = FFont;
    f.setStrikeOut(value);
    Change(f, FColor);
}

void TFont::SetColor(const QColor& value) {
    Change(FFont, value);
}

bool operator==(const TFont& a, const TFont& b) {
    return a.FFont == b.FFont && a.FColor == b.FColor;
}

// ----------------------------------------------------------- TStringList

void TStringList::Changed() {
    if (OnChange) OnChange();
}

void TStringList::Assign(const QStringList& lines) {
    FLines = lines;
    Changed();
}

void TStringList::Add(const QString& line) {
    FLines.append(line);
    Changed();
}

void TStringList::Insert(int index, const QString& line) {
    FLines.insert(std::clamp(index, 0, Count()), line);
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    FLines.removeAt(index);
    Changed();
}

void TStringList::Clear() {
    FLines.clear();
    Changed();
}

// ------------------------------------------------------------ unit level

TFont& SystemFont() {
    std::unique_ptr<TFont>& slot = SystemFontSlot();
    if (!slot) {
        slot = std::make_unique<TFont>();
        LoadMessageFont(*slot);
    }
    return *slot;
}

void StartBrowseUnit(std::shared_ptr<shell::ShellPlatform> platform) {
    // The font first, as the shell may fail; a failed start counts nothing.
    SystemFont();
    shell::StartShellUnit(std::move(platform));
    ++BrowseUnitStarts;
}

void EndBrowseUnit() {
    if (BrowseUnitStarts == 0) return;
    shell::EndShellUnit();
    if (--BrowseUnitStarts == 0) SystemFontSlot().reset();
}

QString NormalizeBrowsePath(const QString& path, TPathSyntax syntax) {
    // QString holds characters, so the trail byte of a double-byte
    // character is never mistaken for a separator.
    const QChar separator = syntax == TPathSyntax::Windows ? QChar(u'\\') : QChar(u'/');
    if (path.isEmpty() || path.back() != separator) return path;
    if (syntax == TPathSyntax::Windows) {
        const bool driveRoot = path.size() == 3 && path.at(0).unicode() < 0x80 && path.at(0).isLetter() &&
                               path.at(1) == u':';
        if (driveRoot) return path;
    } else if (path.size() == 1) {
        return path;  // the root "/"
    }
    return path.left(path.size() - 1);
}

bool SameFileName(const QString& a, const QString& b) {
    return QString::localeAwareCompare(FileNameLower(a, true), FileNameLower(b, true)) == 0;
}

QString FailureReportText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

TFailureReport SetFailureReport(TFailureReport report) {
    return std::exchange(FailureReportSlot(), std::move(report));
}

QString ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("予期しないエラーが発生しました");
    }
}

void ReportCurrentException() {
    const QString text = FailureReportText(ExceptionMessage(std::current_exception()));
    const TFailureReport& report = FailureReportSlot();
    try {
        if (report)
            report(text);
        else
            ShowFailureBox(text);
    } catch (...) {
        // A report that fails itself has nowhere left to go; the event
        // loop must not be unwound.
    }
}

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
    auto* form = new TBrowseDlgForm(*this);
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
