#include "BrowseDlgForm.h"

#include "BrowseDlg.h"
#include "ShellTreeView.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace quillane {

namespace {

// Runs one entry point that the event loop calls: an exception from an
// owner's handler ends that step and is reported, and never unwinds
// through Qt.
template <class F>
void HandlerBoundary(F&& body) {
    try {
        body();
    } catch (...) {
        ReportCurrentException();
    }
}

}  // namespace

// ------------------------------------------------------- free functions

QRect BrowseWindowBounds(bool screenCenter, QSize screen, int x, int y, int width, int height) {
    if (screenCenter) {
        // C++ division truncates toward zero, as the placement requires for
        // a window larger than the screen.
        x = (screen.width() - width) / 2;
        y = (screen.height() - height) / 2;
    }
    return QRect(x, y, width, height);
}

QString BrowseRowText(const QString& text, const QFontMetrics& metrics, int width) {
    // A line break starts a second line below the row, which the row's
    // clipping hides: only the first line shows.
    QString line = text;
    const int cut = line.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (cut >= 0) line.truncate(cut);
    if (line.isEmpty()) return line;
    return metrics.elidedText(line, Qt::ElideRight, std::max(width, 0));
}

// --------------------------------------------------------- TBrowseDlgForm

namespace {

// The window of the component's owner, when the owner is a widget: the
// dialog then stays above that window and out of the task bar.
QWidget* OwnerWindow(const TBrowseDlg& dlg) {
    auto* owner = qobject_cast<QWidget*>(dlg.parent());
    return owner != nullptr ? owner->window() : nullptr;
}

}  // namespace

TBrowseDlgForm::TBrowseDlgForm(TBrowseDlg& browseDlg, IBrowseFormOwner& owner)
    : QDialog(OwnerWindow(browseDlg)), FBrowseDlg(browseDlg), FOwner(owner) {}

TBrowseDlgForm::~TBrowseDlgForm() {
    // The children go after this object's own part: nothing they signal
    // while being destroyed may reach the window or the component.
    if (FTreeView != nullptr) FTreeView->OnChange = nullptr;
    if (FComboBox != nullptr) {
        FComboBox->OnChange = nullptr;
        FComboBox->OnDropDown = nullptr;
    }
    const auto children = findChildren<QObject*>();
    for (QObject* child : children) child->disconnect(this);
}

void TBrowseDlgForm::InitControls() {
    TBrowseDlg& dlg = FBrowseDlg;
    // A fixed-size dialog frame: title bar and close box, no minimise or
    // maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(dlg.Caption());
    setFont(dlg.Font().Value());
    UpdateBounds();

    switch (dlg.CustomEditType()) {
    case ceEdit:
        FEdit = new TBrowseEdit(this);
        FEdit->setText(dlg.CustomEditText());
        FEdit->setVisible(dlg.CustomEditVisible());
        connect(FEdit, &QLineEdit::textChanged, this, [this] { HandlerBoundary([this] { CustomEditChange(); }); });
        break;
    case ceComboBox:
        FComboBox = new TBrowseComboBox(this);
        FComboBox->SetText(dlg.CustomEditText());
        FComboBox->setVisible(dlg.CustomEditVisible());
        FComboBox->OnChange = [this] { HandlerBoundary([this] { CustomEditChange(); }); };
        FComboBox->OnDropDown = [this] { HandlerBoundary([this] { ComboBoxDropDown(); }); };
        FComboBox->SetItems(dlg.CustomEditItems().Lines());
        break;
    case ceNone:
        break;
    }

    FTreeView = new TShellTreeView(this);
    FTreeView->SetPathSyntax(dlg.PathSyntax());
    FTreeView->StoreRoot(dlg.Root());
    FTreeView->StoreShowFiles(dlg.Options().Contains(boIncludeFiles));
    FTreeView->StoreSpecialRoot(dlg.SpecialRoot());
    FTreeView->OnChange = [this](TShellTreeView*) { TreeViewChange(); };
    FTreeView->SetShowRoot(dlg.TreeShowRoot());
    FTreeView->Reload();

    FCancelBtn = CreateButton(dlg.CancelBtnCaption());
    FOKBtn = CreateButton(dlg.OKBtnCaption());
    FOKBtn->setDefault(true);
    FOKBtn->setEnabled(true);
    CreateCustomBtn();

    // Custom edit, tree, custom control, Cancel, OK: OK comes after Cancel
    // although it stands to the left of it.
    QWidget* chain[] = {CustomEditWidget(), FTreeView, FCustomBtn, FCancelBtn, FOKBtn};
    QWidget* previous = nullptr;
    for (QWidget* w : chain) {
        if (w == nullptr) continue;
        if (previous != nullptr) setTabOrder(previous, w);
        previous = w;
    }

    FControlsCreated = true;
}

QPushButton* TBrowseDlgForm::CreateButton(const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, [this, button] { HandlerBoundary([&] { ButtonClick(button); }); });
    return button;
}

void TBrowseDlgForm::CreateCustomBtn() {
    TBrowseDlg& dlg = FBrowseDlg;
    switch (dlg.CustomBtnType()) {
    case cbNone:
        return;
    case cbButton:
        FCustomBtn = CreateButton(dlg.CustomBtnCaption());
        break;
    case cbCheckBox: {
        auto* box = new QCheckBox(dlg.CustomBtnCaption(), this);
        box->setChecked(dlg.CustomBtnChecked());
        // Attached after the initial state, so creating the box raises no
        // click; every later change of state does, by the user or by
        // program.
        connect(box, &QCheckBox::toggled, this, [this, box] { ProgramChangeBoundary([&] { ButtonClick(box); }); });
        FCustomBtn = box;
        break;
    }
    }
    FCustomBtn->setEnabled(dlg.CustomBtnEnabled());
    FCustomBtn->setVisible(dlg.CustomBtnVisible());
}

QCheckBox* TBrowseDlgForm::CustomCheckBox() const {
    return qobject_cast<QCheckBox*>(FCustomBtn);
}

QWidget* TBrowseDlgForm::CustomEditWidget() const {
    if (FEdit != nullptr) return FEdit;
    return FComboBox;
}

void TBrowseDlgForm::UpdateBounds() {
    const TBrowseDlg& dlg = FBrowseDlg;
    QSize screen(0, 0);
    if (const QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
    const QRect outer = BrowseWindowBounds(dlg.ScreenCenter(), screen, dlg.X(), dlg.Y(), dlg.Width(), dlg.Height());
    // Width and Height include the frame; the client area is what it
    // leaves. Where the platform tells the frame only once the window is
    // on the screen, the show corrects the size.
    FFrameUsed = FrameMargins();
    const int cw = std::max(0, outer.width() - FFrameUsed.left() - FFrameUsed.right());
    const int ch = std::max(0, outer.height() - FFrameUsed.top() - FFrameUsed.bottom());
    setFixedSize(cw, ch);
    move(outer.topLeft());  // a window's position is that of its frame
}

QMargins TBrowseDlgForm::FrameMargins() {
    // The platform window is made early so that its frame can be asked for
    // before the window is first shown.
    if (windowHandle() == nullptr) create();
    if (isVisible()) {
        const QRect frame = frameGeometry();
        const QRect client = geometry();
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    }
    return windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
}

QPoint TBrowseDlgForm::GetText1Pos() const {
    return QPoint(FBrowseDlg.TextHorzMargin(), FBrowseDlg.TopMargin());
}

QPoint TBrowseDlgForm::GetText2Pos() const {
    QPoint p = GetText1Pos();
    if (FBrowseDlg.Text1Visible()) p.ry() += FBrowseDlg.TextLineHeight() + FBrowseDlg.VertSpacing();
    return p;
}

QPoint TBrowseDlgForm::GetCustomEditPos() const {
    QPoint p = GetText2Pos();
    p.setX(FBrowseDlg.CustomEditHorzMargin());
    if (FBrowseDlg.Text2Visible()) p.ry() += FBrowseDlg.TextLineHeight() + FBrowseDlg.VertSpacing();
    return p;
}

QPoint TBrowseDlgForm::GetTreeViewPos() const {
    QPoint p = GetCustomEditPos();
    p.setX(FBrowseDlg.TreeHorzMargin());
    if (FBrowseDlg.CustomEditVisible()) {
        if (FBrowseDlg.CustomEditType() == ceEdit && FEdit != nullptr)
            p.ry() += FEdit->height() + FBrowseDlg.VertSpacing();
        else if (FBrowseDlg.CustomEditType() == ceComboBox && FComboBox != nullptr)
            p.ry() += FComboBox->height() + FBrowseDlg.VertSpacing();
    }
    return p;
}

QPoint TBrowseDlgForm::GetButtonsPos() const {
    return QPoint(width() - FBrowseDlg.BtnHorzMargin() - FBrowseDlg.CancelBtnWidth(),
                  height() - FBrowseDlg.BottomMargin() - FBrowseDlg.BtnHeight());
}

QRect TBrowseDlgForm::TextRowRect(int row) const {
    const QPoint p = row == 1 ? GetText1Pos() : GetText2Pos();
    const int right = width() - FBrowseDlg.TextHorzMargin();
    return QRect(QPoint(p.x(), p.y()), QSize(std::max(0, right - p.x()), FBrowseDlg.TextLineHeight()));
}

void TBrowseDlgForm::ArrangeControls() {
    if (!FControlsCreated) return;
    const TBrowseDlg& dlg = FBrowseDlg;
    const int cw = width();
    // Sizes that do not fit come out as zero, never negative.
    auto extent = [](int v) { return std::max(v, 0); };

    QPoint p = GetCustomEditPos();
    if (QWidget* edit = CustomEditWidget()) edit->setGeometry(p.x(), p.y(), extent(cw - 2 * p.x()), edit->height());

    const QPoint tree = GetTreeViewPos();
    FTreeView->setGeometry(tree.x(), tree.y(), extent(cw - 2 * tree.x()), FTreeView->height());

    p = GetButtonsPos();
    FCancelBtn->setGeometry(p.x(), p.y(), extent(dlg.CancelBtnWidth()), extent(dlg.BtnHeight()));
    p.rx() -= dlg.BtnHorzSpacing() + dlg.OKBtnWidth();
    FOKBtn->setGeometry(p.x(), p.y(), extent(dlg.OKBtnWidth()), extent(dlg.BtnHeight()));
    if (FCustomBtn != nullptr) {
        FCustomBtn->setGeometry(dlg.BtnHorzMargin(), p.y(), extent(p.x() - dlg.BtnHorzMargin() - dlg.BtnHorzSpacing()),
                                extent(dlg.BtnHeight()));
    }
    FTreeView->resize(FTreeView->width(), extent(p.y() - tree.y() - dlg.VertSpacing()));
    update();
}

void TBrowseDlgForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    const TBrowseDlg& dlg = FBrowseDlg;
    QPainter painter(this);
    painter.setFont(dlg.Font().Value());
    const QColor color = dlg.Font().Color();
    painter.setPen(color.isValid() ? color : palette().color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics(dlg.Font().Value(), this);
    const std::pair<bool, QString> rows[] = {{dlg.Text1Visible(), dlg.Text1()}, {dlg.Text2Visible(), dlg.Text2()}};
    for (int row = 1; row <= 2; ++row) {
        const auto& [visible, text] = rows[row - 1];
        if (!visible || text.isEmpty()) continue;
        const QRect rect = TextRowRect(row);
        // The row is one character height plus 2, while most fonts' lines
        // are taller: descenders may reach into the gap below the row, which
        // nothing else uses, instead of being cut off.
        const QRect clip = rect.adjusted(0, 0, 0, std::max(0, dlg.VertSpacing()));
        painter.save();
        painter.setClipRect(clip);
        painter.drawText(clip, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         BrowseRowText(text, metrics, rect.width()));
        painter.restore();
    }
}

void TBrowseDlgForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange && FControlsCreated) ArrangeControls();
}

void TBrowseDlgForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    HandlerBoundary([this] { FormShow(); });
    // Once the window has its frame, the outer size can be honoured.
    QTimer::singleShot(0, this, [this] {
        if (FrameMargins() == FFrameUsed) return;
        UpdateBounds();
        ArrangeControls();
    });
}

void TBrowseDlgForm::keyPressEvent(QKeyEvent* event) {
    // Esc clicks Cancel, as its cancel-button role says: the Cancel path
    // runs with its event, unlike the close box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (FCancelBtn != nullptr && FCancelBtn->isVisible() && FCancelBtn->isEnabled()) FCancelBtn->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TBrowseDlgForm::ApplyChange(TLiveEffect effect) {
    const TBrowseDlg& dlg = FBrowseDlg;
    switch (effect) {
    case TLiveEffect::Layout:
        ArrangeControls();
        break;
    case TLiveEffect::Bounds:
        UpdateBounds();
        break;
    case TLiveEffect::BoundsAndLayout:
        UpdateBounds();
        ArrangeControls();
        break;
    case TLiveEffect::Text1:
        if (dlg.Text1Visible()) update();
        break;
    case TLiveEffect::Text2:
        if (dlg.Text2Visible()) update();
        break;
    case TLiveEffect::TextMargin:
        if (dlg.Text1Visible() || dlg.Text2Visible()) update();
        break;
    case TLiveEffect::Caption:
        setWindowTitle(dlg.Caption());
        break;
    case TLiveEffect::OKBtnCaption:
        FOKBtn->setText(dlg.OKBtnCaption());
        break;
    case TLiveEffect::CancelBtnCaption:
        FCancelBtn->setText(dlg.CancelBtnCaption());
        break;
    case TLiveEffect::CustomBtnCaption:
        if (FCustomBtn != nullptr) FCustomBtn->setText(dlg.CustomBtnCaption());
        break;
    case TLiveEffect::CustomBtnEnabled:
        if (FCustomBtn != nullptr) FCustomBtn->setEnabled(dlg.CustomBtnEnabled());
        break;
    case TLiveEffect::CustomBtnVisible:
        if (FCustomBtn != nullptr) FCustomBtn->setVisible(dlg.CustomBtnVisible());
        break;
    case TLiveEffect::CustomEditItems:
        if (FComboBox != nullptr) FComboBox->SetItems(dlg.CustomEditItems().Lines());
        break;
    case TLiveEffect::CustomEditText:
        if (FEdit != nullptr)
            FEdit->setText(dlg.CustomEditText());
        else if (FComboBox != nullptr)
            FComboBox->SetText(dlg.CustomEditText());
        break;
    case TLiveEffect::CustomEditVisible:
        if (QWidget* edit = CustomEditWidget()) {
            edit->setVisible(dlg.CustomEditVisible());
            ArrangeControls();
        }
        break;
    case TLiveEffect::Font:
        setFont(dlg.Font().Value());
        // A change of colour alone is no font change for the window.
        update();
        break;
    case TLiveEffect::TreeHorzMargin: {
        // The same arithmetic as the full layout, for the tree alone.
        const int margin = dlg.TreeHorzMargin();
        FTreeView->setGeometry(margin, FTreeView->y(), std::max(0, width() - 2 * margin), FTreeView->height());
        break;
    }
    case TLiveEffect::TreeShowRoot:
        FTreeView->SetShowRoot(dlg.TreeShowRoot());
        break;
    case TLiveEffect::None:
    case TLiveEffect::Refused:
    case TLiveEffect::CustomBtnChecked:
    case TLiveEffect::UseSystemFont:
        break;
    }
}

void TBrowseDlgForm::reject() {
    done(2);
}

void TBrowseDlgForm::ApplyOKState(int state) {
    if (state == okEnable)
        FOKBtn->setEnabled(true);
    else if (state == okDisable)
        FOKBtn->setEnabled(false);
}

void TBrowseDlgForm::FormShow() {
    ArrangeControls();
    FTreeView->setFocus();
    TBrowseOKState state = okNoChange;
    FOwner.DoShow(state);
    ApplyOKState(state);
}

void TBrowseDlgForm::TreeViewChange() {
    ProgramChangeBoundary([this] {
        TBrowseDlg& dlg = FBrowseDlg;
        const QString path = FTreeView->GetSelectedPath();
        FOwner.StoreSelection(path, FTreeView->GetSelectedText());
        dlg.SetCustomEditText(path);
        if (dlg.Options().Contains(boReturnOnlyDirectory)) FOKBtn->setEnabled(!path.isEmpty());
        TBrowseOKState state = okNoChange;
        FOwner.DoChange(state);
        ApplyOKState(state);
    });
}

template <class F>
void TBrowseDlgForm::ProgramChangeBoundary(F&& body) {
    try {
        body();
    } catch (...) {
        // Under a change made by program (a path selection, a write of the
        // check state) the failure goes on to that caller once the control
        // is done; from the user's own action it is reported here.
        if (FProgramChange > 0) {
            if (!FPendingFailure) FPendingFailure = std::current_exception();
        } else {
            ReportCurrentException();
        }
    }
}

template <class F>
void TBrowseDlgForm::ChangeByProgram(F&& change) {
    struct Depth {
        int& n;
        explicit Depth(int& d) : n(d) { ++n; }
        ~Depth() { --n; }
    };
    {
        Depth depth(FProgramChange);
        change();
    }
    if (FPendingFailure) std::rethrow_exception(std::exchange(FPendingFailure, nullptr));
}

void TBrowseDlgForm::SelectInTree(const QString& path) {
    ChangeByProgram([&] { FTreeView->SelectByPath(path); });
}

void TBrowseDlgForm::SetCheckedByProgram(bool checked) {
    if (QCheckBox* box = CustomCheckBox()) ChangeByProgram([&] { box->setChecked(checked); });
}

void TBrowseDlgForm::CustomEditChange() {
    TBrowseDlg& dlg = FBrowseDlg;
    if (FEdit != nullptr) {
        FOwner.StoreCustomEditText(FEdit->text());
        return;
    }
    if (FComboBox == nullptr) return;
    const QString text = FComboBox->currentText();
    FOwner.StoreCustomEditText(text);
    if (FComboBox->ItemIndex() < 0) return;
    dlg.SetSelectedPath(text);
    FOwner.DoCustomEditChange();
}

void TBrowseDlgForm::ComboBoxDropDown() {
    const QFontMetrics metrics(FComboBox->font(), FComboBox);
    QStringList items;
    for (int i = 0; i < FComboBox->count(); ++i) items.append(FComboBox->itemText(i));
    const int scrollBar = FComboBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FComboBox);
    FComboBox->SetDroppedWidth(DropDownListWidth(
        items, [&](const QString& s) { return metrics.horizontalAdvance(s); }, FComboBox->maxVisibleItems(),
        scrollBar));
}

void TBrowseDlgForm::ButtonClick(QObject* sender) {
    TBrowseDlg& dlg = FBrowseDlg;
    if (sender == FOKBtn) {
        // A typed path counts: the tree moves to it first, and takes over
        // the text when its selection moves.
        if (dlg.CustomEditText() != dlg.SelectedPath()) dlg.SelectPath(dlg.CustomEditText());
        if (dlg.CustomBtnType() == cbCheckBox && CustomCheckBox() != nullptr)
            FOwner.StoreCustomBtnChecked(CustomCheckBox()->isChecked());
        FOwner.DoOKBtnClick();
        dlg.AddHistory();
        done(1);
    } else if (sender == FCancelBtn) {
        FOwner.DoCancelBtnClick();
        done(2);
    } else if (sender != nullptr && sender == FCustomBtn) {
        FOwner.DoCustomBtnClick();
    }
}

}  // namespace quillane
