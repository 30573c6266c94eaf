#include "QuillaneUnt.h"

#include "ui_QuillaneUnt.h"

#include "DesignLook.h"
#include "EditorLauncher.h"
#include "FileWatch.h"
#include "InitFileLocation.h"
#include "TypedText.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QSessionManager>
#include <QStyle>
#include <QWindow>

// The glyphs live in this static library; its resources must be registered
// explicitly, or the linker drops them. Qt wants this outside any namespace.
static void InitQuillaneResources() {
    Q_INIT_RESOURCE(quillane);
}

namespace quillane {

const char* const BrowseDlgFormResource = ":/forms/BrowseDlg.form";

namespace {

// A button bound to an action takes caption, glyph, enabled state and click
// from it.
void BindButton(QPushButton* button, QAction* action) {
    auto sync = [button, action] {
        button->setText(action->text());
        button->setIcon(action->icon());
        button->setEnabled(action->isEnabled());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

}  // namespace

TFrmQuillane::TFrmQuillane(const TQuillaneServices& services, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TFrmQuillane>()), FServices(services) {
    InitQuillaneResources();
    setFont(WindowFont());
    ui->setupUi(this);
    SetUpLook();
    BindControls();
    SetUpInitFileChooser();

    FFileWatch = new TFileWatch(this);
    connect(FFileWatch, &TFileWatch::CheckDue, this, &TFrmQuillane::CheckFileOnDisk);

    // A log-out asks about unsaved changes as closing does; Qt's session
    // manager wants the interaction asked for and given back.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        const bool mayAsk = manager.allowsInteraction();
        const bool stay = !CommitData(mayAsk);
        if (mayAsk) manager.release();
        if (stay) manager.cancel();
    });

    for (QWidget* field : {static_cast<QWidget*>(ui->EdtHome), static_cast<QWidget*>(ui->MemCommands),
                           static_cast<QWidget*>(ui->EdtFileName)})
        field->installEventFilter(this);

    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TFrmQuillane::ActSaveUpdate);

    // Failures inside the folder window's modal run are reported by the
    // component itself; they belong in this window's report like any other.
    FPreviousFailureReport =
        SetFailureReport([this](const QString& text) { FServices.Dialogs.ShowFailureReport(text); });
    FBrowseDlg = new TBrowseDlg(this);
    FBrowseDlg->setObjectName(QStringLiteral("BrowseDlg"));
    LoadBrowseDlg();

    MarkUnchanged();  // the design values, should FormCreate end early
    FormCreate();
    ActSaveUpdate();
}

void TFrmQuillane::SetUpLook() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(570, 407);

    ui->BtnHome->setIcon(Glyph(3));
    ui->BtnFile->setIcon(Glyph(2));
    ui->ActOpenAsText->setIcon(Glyph(0));
    ui->ActSave->setIcon(Glyph(1));
    ui->ActExit->setIcon(Glyph(5));
    UseEtchedFrame(ui->GbDirectory);
    UseEtchedFrame(ui->GbInitm);
    UseButtonFace(ui->EdtFileName);
}

void TFrmQuillane::BindControls() {
    BindButton(ui->BtnOpenInitm, ui->ActOpenAsText);
    BindButton(ui->BtnSave, ui->ActSave);
    BindButton(ui->BtnExit, ui->ActExit);
    connect(ui->ActSave, &QAction::triggered, this, &TFrmQuillane::ActSaveExecute);
    connect(ui->ActExit, &QAction::triggered, this, &TFrmQuillane::ActExitExecute);
    connect(ui->ActOpenAsText, &QAction::triggered, this, &TFrmQuillane::ActOpenAsTextExecute);
    connect(ui->BtnFile, &QPushButton::clicked, this, &TFrmQuillane::BtnFileClick);
    connect(ui->BtnHome, &QPushButton::clicked, this, &TFrmQuillane::BtnHomeClick);
    // toggled, not clicked: setting the box from code raises it too, as the
    // reload expects.
    connect(ui->ChkDefineUtils, &QCheckBox::toggled, this, &TFrmQuillane::ChkDefineUtilsClick);
    // textEdited comes before textChanged: the slot still sees the old text.
    connect(ui->EdtHome, &QLineEdit::textEdited, this, &TFrmQuillane::EdtHomeEdited);
    connect(ui->EdtHome, &QLineEdit::textChanged, this, [this](const QString& text) { FHomeBefore = text; });
    FHomeBefore = ui->EdtHome->text();
    // The idle-time update can come too late for an accelerator typed right
    // after the text: the save action follows each edit at once as well.
    connect(ui->EdtHome, &QLineEdit::textChanged, this, &TFrmQuillane::ActSaveUpdate);
    connect(ui->MemCommands, &QPlainTextEdit::textChanged, this, &TFrmQuillane::ActSaveUpdate);
}

// The init files of this machine, one step from the file field: its
// drop-down button, F4 or Alt+Down.
void TFrmQuillane::SetUpInitFileChooser() {
    QAction* choose =
        ui->EdtFileName->addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    choose->setObjectName(QStringLiteral("ActChooseInitFile"));
    choose->setToolTip(tr("このｺﾝﾋﾟｭｰﾀの設定ﾌｧｲﾙから選ぶ (F4)"));
    connect(choose, &QAction::triggered, this, &TFrmQuillane::ChooseInitFileAmongCandidates);
}

// The controls outlive this destructor (QWidget deletes them later): their
// focus changes must no longer reach the handlers, which use `ui`.
TFrmQuillane::~TFrmQuillane() {
    for (QWidget* field : {static_cast<QWidget*>(ui->EdtHome), static_cast<QWidget*>(ui->MemCommands),
                           static_cast<QWidget*>(ui->EdtFileName)})
        field->removeEventFilter(this);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        disconnect(dispatcher, nullptr, this, nullptr);
    disconnect(ui->EdtHome, nullptr, this, nullptr);
    disconnect(ui->MemCommands, nullptr, this, nullptr);
    FFileWatch->Stop();
    SetFailureReport(std::move(FPreviousFailureReport));
}

QAction* TFrmQuillane::ActSave() const {
    return ui->ActSave;
}
QAction* TFrmQuillane::ActExit() const {
    return ui->ActExit;
}
QAction* TFrmQuillane::ActOpenAsText() const {
    return ui->ActOpenAsText;
}

void TFrmQuillane::ShowCentred() {
    // The whole window, frame included, is centred, as far as the platform
    // knows the frame before the window is first shown.
    winId();
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect outer = geometry().marginsAdded(frame);
        outer.moveCenter(target->availableGeometry().center());
        setGeometry(outer.marginsRemoved(frame));
    }
    show();
}

void TFrmQuillane::Report(std::exception_ptr error, const QString& afterwards) {
    QString text = FailureReportText(ExceptionMessage(error));
    if (!afterwards.isEmpty()) text += QStringLiteral("\n\n") + afterwards;
    FServices.Dialogs.ShowFailureReport(text);
}

bool TFrmQuillane::Changed() const {
    return FChanged || ui->EdtHome->text() != FBaseline.Home || ui->MemCommands->FileText() != FBaseline.Commands;
}

void TFrmQuillane::FormCreate() {
    Guarded([this] {
        // A proposed or named file that does not exist yet is made by the
        // first save; nothing found at all is not a failed read either.
        const QString path =
            FServices.InitFile.isEmpty()
                ? QString::fromStdString(ProposeInitFile(FServices.Registry, FServices.Environment).Path)
                : FServices.InitFile;
        ui->EdtFileName->setText(path);
        if (path.isEmpty())
            FLoadedPath.clear();
        else
            LoadFrom(path, true);
        if (ui->EdtHome->text().isEmpty()) {
            ui->EdtHome->setText(NotSet());
            MarkUnchanged();
        }
    });
}

// Typed changes count by comparison with what was loaded; leaving the field
// only puts the not-set text back into an emptied field.
void TFrmQuillane::EdtHomeExit() {
    Guarded([this] {
        if (!ui->EdtHome->isModified()) return;
        ui->EdtHome->setModified(false);
        if (ui->EdtHome->text().isEmpty()) ui->EdtHome->setText(NotSet());
    });
}

void TFrmQuillane::MemCommandsExit() {
    Guarded([this] {
        if (!ui->MemCommands->document()->isModified()) return;
        ui->MemCommands->document()->setModified(false);
        if (ui->MemCommands->document()->isEmpty()) ui->MemCommands->SetFileText(NotSet());
    });
}

void TFrmQuillane::EdtFileNameExit() {
    Guarded([this] { SwitchToTypedFile(); });
}

// The not-set text stands for "no home directory": an edit of it keeps only
// what the edit brought, however it came (keys, input method, paste, drop).
void TFrmQuillane::EdtHomeEdited(const QString& text) {
    if (FHomeBefore != NotSet() || text == NotSet()) return;
    ui->EdtHome->setText(InsertedText(FHomeBefore, text));
    ui->EdtHome->setModified(true);
}

void TFrmQuillane::ChkDefineUtilsClick() {
    FChanged = true;
}

void TFrmQuillane::ActSaveUpdate() {
    ui->ActSave->setEnabled(Changed());
}

void TFrmQuillane::ActSaveExecute() {
    Guarded([this] {
        // Counting a changed file name reloads, which leaves nothing to save.
        if (!CommitPendingEdit() || !Changed()) return;
        SaveInto(ui->EdtFileName->text());
    });
}

void TFrmQuillane::ActExitExecute() {
    close();
}

void TFrmQuillane::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    Guarded([&] { mayClose = QueryClose(); });
    event->setAccepted(mayClose);
}

bool TFrmQuillane::CommitData(bool mayAsk) {
    // Without leave to ask, nothing is written behind the user's back.
    if (!mayAsk) return true;
    bool mayEnd = false;
    Guarded([&] { mayEnd = QueryClose(); });
    // The session closes the window next; what the user chose to drop is
    // not asked about again, unless it changes meanwhile.
    if (mayEnd) FLeaveApproved = Shown();
    return mayEnd;
}

// The exit question. A failed save keeps the window open and says how to
// leave without saving.
bool TFrmQuillane::QueryClose() {
    if (!CommitPendingEdit()) return false;
    if (!Changed() || (FLeaveApproved && *FLeaveApproved == Shown())) return true;
    switch (FServices.Dialogs.AskSaveChanges()) {
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::No:
        return true;
    case TSaveAnswer::Yes:
        break;
    }
    try {
        return SaveInto(ui->EdtFileName->text());
    } catch (...) {
        Report(std::current_exception(), tr("保存せずに終了するには、もう一度終了して「いいえ」を選んでください。"));
        return false;
    }
}

void TFrmQuillane::ActOpenAsTextExecute() {
    Guarded([this] { FServices.Launcher.OpenAsText(ui->EdtFileName->text().toStdString()); });
}

void TFrmQuillane::BtnHomeClick() {
    // The result is not needed: a chosen folder has already arrived through
    // BrowseDlgOKBtnClick when Execute returns.
    Guarded([this] { FBrowseDlg->Execute(); });
}

// Runs inside the folder window's modal run; a failure here is reported by
// the component, and the window stays usable.
void TFrmQuillane::BrowseDlgShow(QObject* /*Sender*/, TBrowseOKState& /*OKButtonState*/) {
    FBrowseDlg->SelectPath(ui->EdtHome->text());
}

void TFrmQuillane::BrowseDlgOKBtnClick(QObject* /*Sender*/) {
    ui->EdtHome->setText(FBrowseDlg->CustomEditText());
    ui->EdtHome->setModified(true);
    FChanged = true;
    EdtHomeExit();
}

// The design values come from the stored form; its handler names are bound
// to this window's handlers, and its texts are translated as the window's
// own design values are. A form that cannot be applied is reported and
// leaves the component with the values applied so far.
void TFrmQuillane::LoadBrowseDlg() {
    TBrowseHandlerTable handlers;
    handlers.BrowseEvents[QStringLiteral("BrowseDlgShow")] = [this](QObject* sender, TBrowseOKState& state) {
        BrowseDlgShow(sender, state);
    };
    handlers.NotifyEvents[QStringLiteral("BrowseDlgOKBtnClick")] = [this](QObject* sender) {
        BrowseDlgOKBtnClick(sender);
    };
    Guarded([&] {
        LoadBrowseDlgFormFile(*FBrowseDlg, QString::fromLatin1(BrowseDlgFormResource), handlers, "TFrmQuillane");
    });
}

// Exit events: focus moving to another control of this window. Focus lost to
// another window, a popup or a box opened by a handler is not leaving the
// field; the field's modified mark keeps the change until it really is left.
bool TFrmQuillane::eventFilter(QObject* watched, QEvent* event) {
    // A field that shows the not-set text offers it selected, whichever way
    // the focus came, so that typing plainly replaces it.
    if (event->type() == QEvent::FocusIn) {
        if (watched == ui->EdtHome && ui->EdtHome->text() == NotSet())
            ui->EdtHome->selectAll();
        else if (watched == ui->MemCommands && ui->MemCommands->ShowsNotSet())
            ui->MemCommands->selectAll();
    }
    if (event->type() == QEvent::KeyPress && watched == ui->EdtFileName) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier))) {
            ChooseInitFileAmongCandidates();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && next && next != watched &&
            next->window() == this) {
            if (watched == ui->EdtHome)
                EdtHomeExit();
            else if (watched == ui->MemCommands)
                MemCommandsExit();
            else if (watched == ui->EdtFileName)
                EdtFileNameExit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmQuillane::ReportReadFailure(const std::string& messageUtf8) {
    FServices.Dialogs.ShowReadFailure(QString::fromStdString(messageUtf8));
}

// Save and exit can be reached without focus leaving the field being typed
// in (accelerators, keys, code); the typing counts as if it had left. False
// when the user cancelled the change of file that a typed name asks for.
bool TFrmQuillane::CommitPendingEdit() {
    QWidget* focused = QApplication::focusWidget();
    if (focused == ui->EdtHome)
        EdtHomeExit();
    else if (focused == ui->MemCommands)
        MemCommandsExit();
    else if (focused == ui->EdtFileName)
        return SwitchToTypedFile();
    return true;
}

void TFrmQuillane::MarkUnchanged() {
    FChanged = false;
    FBaseline = Shown();
    FLeaveApproved.reset();
    ui->EdtHome->setModified(false);
    ui->MemCommands->document()->setModified(false);
}

TFrmQuillane::TShown TFrmQuillane::Shown() const {
    return {ui->EdtHome->text(), ui->MemCommands->FileText(), ui->ChkDefineUtils->isChecked(), ui->EdtFileName->text()};
}

QString TFrmQuillane::NotSet() const {
    return QString::fromUtf8(NotSetTextUtf8);
}

}  // namespace quillane
