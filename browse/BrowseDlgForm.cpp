#include "BrowseDlgForm.h"

#include "BrowseDlg.h"
#include "ShellTreeView.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

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
        // the text when its selection moves. When the shell cannot tell in
        // time where the path leads, the text stays as typed.
        if (dlg.CustomEditText() != dlg.SelectedPath()) {
            const QString typed = dlg.CustomEditText();
            dlg.SelectPath(typed);
            if (FTreeView->IsSelectingPath()) dlg.SetCustomEditText(typed);
        }
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
