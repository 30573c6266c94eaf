#include "QuillaneUnt.h"

#include "ui_QuillaneUnt.h"

#include "CodePage.h"
#include "DesignLook.h"
#include "EditorLauncher.h"
#include "BrowseDlg.h"
#include "InitFileLocation.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFocusEvent>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>

#include <optional>

// The glyphs live in this static library; its resources must be registered
// explicitly, or the linker drops them. Qt wants this outside any namespace.
static void InitQuillaneResources()
{
    Q_INIT_RESOURCE(quillane);
}

namespace quillane {

const char* const BrowseDlgFormResource = ":/forms/BrowseDlg.form";

namespace {

// The user declined a step of a save; nothing was written.
struct ECancelled {};

// Stands in for a text the reader did not touch. It can never come out of a
// read: a home directory is the rest of one line, and a commands text is
// either empty or lines each followed by CR LF.
const std::string KeepText = "\n";

// A button bound to an action takes caption, glyph, enabled state and click
// from it.
void BindButton(QPushButton* button, QAction* action)
{
    auto sync = [button, action] {
        button->setText(action->text());
        button->setIcon(action->icon());
        button->setEnabled(action->isEnabled());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

QString Decode(const std::string& bytes, unsigned codePage)
{
    return QString::fromStdString(ToUtf8(bytes, codePage));
}

// What one edit put into `before` to make `after`: the part between the
// longest common beginning and end.
QString Inserted(const QString& before, const QString& after)
{
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return after.mid(head, after.size() - head - tail);
}

// A leading ~ names the home folder, as in a shell.
QString ExpandHome(const QString& path)
{
    if (path == QLatin1String("~"))
        return QDir::toNativeSeparators(QDir::homePath());
    if (path.startsWith(QLatin1String("~/")) || path.startsWith(QLatin1String("~\\")))
        return QDir::toNativeSeparators(QDir::homePath()) + QDir::separator() + path.mid(2);
    return path;
}

// Answers of the window's questions, translated where they are asked.
const char* const Yes = QT_TRANSLATE_NOOP("quillane::TFrmQuillane", "はい(&Y)");
const char* const No = QT_TRANSLATE_NOOP("quillane::TFrmQuillane", "いいえ(&N)");
const char* const Cancel = QT_TRANSLATE_NOOP("quillane::TFrmQuillane", "キャンセル");

}  // namespace

TFrmQuillane::TFrmQuillane(const TQuillaneServices& services, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TFrmQuillane>()), FServices(services)
{
    InitQuillaneResources();
    setFont(WindowFont());
    ui->setupUi(this);

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(570, 407);

    ui->BtnHome->setIcon(Glyph(3));
    ui->BtnFile->setIcon(Glyph(2));
    ui->ActOpenAsText->setIcon(Glyph(0));
    ui->ActSave->setIcon(Glyph(1));
    ui->ActExit->setIcon(Glyph(5));
    UseEtchedFrame(ui->GbDirectory);
    UseEtchedFrame(ui->GbInitm);
    UseButtonFace(ui->EdtFileName);

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

    // The init files of this machine, one step from the file field: its
    // drop-down button, F4 or Alt+Down.
    QAction* choose = ui->EdtFileName->addAction(style()->standardIcon(QStyle::SP_ArrowDown),
                                                  QLineEdit::TrailingPosition);
    choose->setObjectName(QStringLiteral("ActChooseInitFile"));
    choose->setToolTip(tr("このｺﾝﾋﾟｭｰﾀの設定ﾌｧｲﾙから選ぶ (F4)"));
    connect(choose, &QAction::triggered, this, &TFrmQuillane::ChooseInitFileAmongCandidates);

    // Editors save by replacing the file, which ends a watch on the file
    // itself; the folder's watch sees the new one arrive. A burst of
    // notices makes one check.
    FWatcher = new QFileSystemWatcher(this);
    FDiskCheck = new QTimer(this);
    FDiskCheck->setSingleShot(true);
    FDiskCheck->setInterval(150);
    connect(FWatcher, &QFileSystemWatcher::fileChanged, FDiskCheck, qOverload<>(&QTimer::start));
    connect(FWatcher, &QFileSystemWatcher::directoryChanged, FDiskCheck, qOverload<>(&QTimer::start));
    connect(FDiskCheck, &QTimer::timeout, this, &TFrmQuillane::CheckFileOnDisk);

    // A log-out asks about unsaved changes as closing does; Qt's session
    // manager wants the interaction asked for and given back.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        const bool mayAsk = manager.allowsInteraction();
        const bool stay = !CommitData(mayAsk);
        if (mayAsk)
            manager.release();
        if (stay)
            manager.cancel();
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

// The controls outlive this destructor (QWidget deletes them later): their
// focus changes must no longer reach the handlers, which use `ui`.
TFrmQuillane::~TFrmQuillane()
{
    for (QWidget* field : {static_cast<QWidget*>(ui->EdtHome), static_cast<QWidget*>(ui->MemCommands),
                           static_cast<QWidget*>(ui->EdtFileName)})
        field->removeEventFilter(this);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        disconnect(dispatcher, nullptr, this, nullptr);
    disconnect(ui->EdtHome, nullptr, this, nullptr);
    disconnect(ui->MemCommands, nullptr, this, nullptr);
    FDiskCheck->stop();
    SetFailureReport(std::move(FPreviousFailureReport));
}

QAction* TFrmQuillane::ActSave() const { return ui->ActSave; }
QAction* TFrmQuillane::ActExit() const { return ui->ActExit; }
QAction* TFrmQuillane::ActOpenAsText() const { return ui->ActOpenAsText; }

void TFrmQuillane::ShowCentred()
{
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

// Every handler runs through here: whatever it throws ends the handler and
// is shown as the failure report, and never unwinds into Qt's event loop.
template <class Body>
void TFrmQuillane::Guarded(Body&& body)
{
    try {
        body();
    } catch (...) {
        Report(std::current_exception());
    }
}

void TFrmQuillane::Report(std::exception_ptr error, const QString& afterwards)
{
    QString text = FailureReportText(ExceptionMessage(error));
    if (!afterwards.isEmpty())
        text += QStringLiteral("\n\n") + afterwards;
    FServices.Dialogs.ShowFailureReport(text);
}

bool TFrmQuillane::Changed() const
{
    return FChanged || ui->EdtHome->text() != FBaseline.Home || CommandsText() != FBaseline.Commands;
}

void TFrmQuillane::FormCreate()
{
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
void TFrmQuillane::EdtHomeExit()
{
    Guarded([this] {
        if (!ui->EdtHome->isModified())
            return;
        ui->EdtHome->setModified(false);
        if (ui->EdtHome->text().isEmpty())
            ui->EdtHome->setText(NotSet());
    });
}

void TFrmQuillane::MemCommandsExit()
{
    Guarded([this] {
        if (!ui->MemCommands->document()->isModified())
            return;
        ui->MemCommands->document()->setModified(false);
        if (ui->MemCommands->document()->isEmpty())
            SetCommandsText(NotSet());
    });
}

void TFrmQuillane::EdtFileNameExit()
{
    Guarded([this] { SwitchToTypedFile(); });
}

// The not-set text stands for "no home directory": an edit of it keeps only
// what the edit brought, however it came (keys, input method, paste, drop).
void TFrmQuillane::EdtHomeEdited(const QString& text)
{
    if (FHomeBefore != NotSet() || text == NotSet())
        return;
    ui->EdtHome->setText(Inserted(FHomeBefore, text));
    ui->EdtHome->setModified(true);
}

void TFrmQuillane::ChkDefineUtilsClick()
{
    FChanged = true;
}

void TFrmQuillane::ActSaveUpdate()
{
    ui->ActSave->setEnabled(Changed());
}

void TFrmQuillane::ActSaveExecute()
{
    Guarded([this] {
        // Counting a changed file name reloads, which leaves nothing to save.
        if (!CommitPendingEdit() || !Changed())
            return;
        SaveInto(ui->EdtFileName->text());
    });
}

void TFrmQuillane::ActExitExecute()
{
    close();
}

void TFrmQuillane::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    Guarded([&] { mayClose = QueryClose(); });
    event->setAccepted(mayClose);
}

bool TFrmQuillane::CommitData(bool mayAsk)
{
    // Without leave to ask, nothing is written behind the user's back.
    if (!mayAsk)
        return true;
    bool mayEnd = false;
    Guarded([&] { mayEnd = QueryClose(); });
    // The session closes the window next; what the user chose to drop is
    // not asked about again, unless it changes meanwhile.
    if (mayEnd)
        FLeaveApproved = Shown();
    return mayEnd;
}

// The exit question. A failed save keeps the window open and says how to
// leave without saving.
bool TFrmQuillane::QueryClose()
{
    if (!CommitPendingEdit())
        return false;
    if (!Changed() || (FLeaveApproved && *FLeaveApproved == Shown()))
        return true;
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
        Report(std::current_exception(),
               tr("保存せずに終了するには、もう一度終了して「いいえ」を選んでください。"));
        return false;
    }
}

void TFrmQuillane::ActOpenAsTextExecute()
{
    Guarded([this] { FServices.Launcher.OpenAsText(ui->EdtFileName->text().toStdString()); });
}

void TFrmQuillane::BtnFileClick()
{
    Guarded([this] {
        QString chosen;
        // The folders of the files the kernel reads, as far as they exist.
        QStringList places;
        for (const InitFileCandidate& c : ListInitFiles(FServices.Registry, FServices.Environment)) {
            // The file's folder, else the base folder above it.
            const QString folder = QFileInfo(QString::fromStdString(c.Path)).absolutePath();
            const QString place = QFileInfo::exists(folder) ? folder : QFileInfo(folder).absolutePath();
            if (QFileInfo(place).isDir() && !places.contains(QDir::toNativeSeparators(place)))
                places << QDir::toNativeSeparators(place);
        }
        if (!FServices.Dialogs.ChooseInitFile(ui->EdtFileName->text(), places, chosen) || !SaveBeforeLeavingFile())
            return;
        ui->EdtFileName->setText(chosen);
        Reload();
    });
}

void TFrmQuillane::BtnHomeClick()
{
    // The result is not needed: a chosen folder has already arrived through
    // BrowseDlgOKBtnClick when Execute returns.
    Guarded([this] { FBrowseDlg->Execute(); });
}

namespace {

QString Describe(const InitFileCandidate& c)
{
    QString kind;
    switch (c.Kind) {
    case InitFileKind::PerUser:
        kind = TFrmQuillane::tr("このﾕｰｻﾞｰ用");
        break;
    case InitFileKind::AllUsers:
        kind = TFrmQuillane::tr("全ﾕｰｻﾞｰ用");
        break;
    case InitFileKind::Installation:
        kind = TFrmQuillane::tr("ｲﾝｽﾄｰﾙ先 %1 %2")
                   .arg(QString::fromStdString(c.Product), QString::fromStdString(c.Version))
                   .trimmed();
        break;
    }
    QString access;
    if (c.Access.Exists)
        access = c.Access.Writable ? TFrmQuillane::tr("書き込み可") : TFrmQuillane::tr("書き込み不可");
    else
        access = c.Access.Writable ? TFrmQuillane::tr("未作成・作成可") : TFrmQuillane::tr("未作成・作成不可");
    return QStringLiteral("%1 [%2]  %3").arg(kind, access, QString::fromStdString(c.Path));
}

}  // namespace

void TFrmQuillane::ChooseInitFileAmongCandidates()
{
    Guarded([this] {
        const std::vector<InitFileCandidate> candidates = ListInitFiles(FServices.Registry, FServices.Environment);
        QList<TInitFileChoice> choices;
        for (const InitFileCandidate& c : candidates)
            choices.append({Describe(c), c.Access.Exists || c.Access.Writable});
        const int chosen = FServices.Dialogs.ChooseAmong(choices, ui->EdtFileName);
        if (chosen < 0 || chosen >= static_cast<int>(candidates.size()) || !choices.at(chosen).Enabled)
            return;
        const QString path = QString::fromStdString(candidates[static_cast<std::size_t>(chosen)].Path);
        if (path == FLoadedPath || !SaveBeforeLeavingFile())
            return;
        SwitchTo(path, true);
    });
}

void TFrmQuillane::SwitchTo(const QString& path, bool newIfMissing)
{
    ui->EdtFileName->setText(path);
    ui->EdtFileName->setModified(false);
    LoadFrom(path, newIfMissing);
}

// Runs inside the folder window's modal run; a failure here is reported by
// the component, and the window stays usable.
void TFrmQuillane::BrowseDlgShow(QObject* /*Sender*/, TBrowseOKState& /*OKButtonState*/)
{
    FBrowseDlg->SelectPath(ui->EdtHome->text());
}

void TFrmQuillane::BrowseDlgOKBtnClick(QObject* /*Sender*/)
{
    ui->EdtHome->setText(FBrowseDlg->CustomEditText());
    ui->EdtHome->setModified(true);
    FChanged = true;
    EdtHomeExit();
}

// The design values come from the stored form; its handler names are bound
// to this window's handlers, and its texts are translated as the window's
// own design values are. A form that cannot be applied is reported and
// leaves the component with the values applied so far.
void TFrmQuillane::LoadBrowseDlg()
{
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
bool TFrmQuillane::eventFilter(QObject* watched, QEvent* event)
{
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
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && next &&
            next != watched && next->window() == this) {
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

void TFrmQuillane::ReportReadFailure(const std::string& messageUtf8)
{
    FServices.Dialogs.ShowReadFailure(QString::fromStdString(messageUtf8));
}

// Save and exit can be reached without focus leaving the field being typed
// in (accelerators, keys, code); the typing counts as if it had left. False
// when the user cancelled the change of file that a typed name asks for.
bool TFrmQuillane::CommitPendingEdit()
{
    QWidget* focused = QApplication::focusWidget();
    if (focused == ui->EdtHome)
        EdtHomeExit();
    else if (focused == ui->MemCommands)
        MemCommandsExit();
    else if (focused == ui->EdtFileName)
        return SwitchToTypedFile();
    return true;
}

// A typed file name replaces the loaded file; unsaved changes are offered
// to that file first. Cancelling, or a failed save, puts the old name back
// and keeps the edits.
bool TFrmQuillane::SwitchToTypedFile()
{
    if (!ui->EdtFileName->isModified())
        return true;
    ui->EdtFileName->setModified(false);
    const QString wanted = ExpandHome(ui->EdtFileName->text());
    if (wanted != ui->EdtFileName->text())
        ui->EdtFileName->setText(wanted);
    // The same file again: reloading it would only drop the edits.
    if (wanted == FLoadedPath && Changed())
        return true;
    bool leave = false;
    try {
        leave = SaveBeforeLeavingFile();
    } catch (...) {
        ui->EdtFileName->setText(FLoadedPath);
        throw;
    }
    if (!leave) {
        ui->EdtFileName->setText(FLoadedPath);
        return false;
    }
    ui->EdtFileName->setText(wanted);
    Reload();
    return true;
}

bool TFrmQuillane::SaveBeforeLeavingFile()
{
    // Edits made before any file was named have nowhere to go but the next.
    if (!Changed() || FLoadedPath.isEmpty())
        return true;
    const int answer = FServices.Dialogs.Ask(
        {tr("内容が変更されています。ほかのﾌｧｲﾙを読み込む前に、変更を %1 に保存しますか？").arg(FLoadedPath),
         {tr(Yes), tr(No), tr(Cancel)}, 0, 2});
    if (answer == 1)
        return true;
    if (answer != 0)
        return false;
    return SaveInto(FLoadedPath);
}

void TFrmQuillane::Reload()
{
    LoadFrom(ui->EdtFileName->text());
}

void TFrmQuillane::LoadFrom(const QString& path, bool newIfMissing)
{
    // Stamped before reading: a change made while the file is read shows
    // up as a change later, never the other way round.
    FLoadedPath = path;
    FLoadedStamp = StampFile(path.toStdString());
    Watch(path);
    // A file to be made has nothing to read: the fields stay as they are
    // and go into the new file.
    FCreateOnSave = newIfMissing && !FServices.Probe(path.toStdString()).Exists;
    if (FCreateOnSave) {
        MarkUnchanged();
        return;
    }

    // The reader changes only what the file mentions; placeholders tell which
    // texts it left alone, so those fields keep exactly what they show.
    SectionSettings settings;
    settings.HomeDirectory = KeepText;
    settings.Commands = KeepText;
    settings.DefineUtils = ui->ChkDefineUtils->isChecked();
    LoadSection(path.toStdString(), settings, FServices.CodePage, *this);

    // Decode everything before touching a field: a text that does not decode
    // is reported and changes nothing.
    std::optional<QString> home;
    std::optional<QString> commands;
    if (settings.HomeDirectory != KeepText)
        home = Decode(settings.HomeDirectory, FServices.CodePage);
    if (settings.Commands != KeepText)
        commands = Decode(settings.Commands, FServices.CodePage);

    if (home)
        ui->EdtHome->setText(*home);
    ui->ChkDefineUtils->setChecked(settings.DefineUtils);
    if (commands)
        SetCommandsText(*commands);
    MarkUnchanged();
    NoticeIfNotWritable(path);
}

// Said once a file is loaded, not at the first save: the user may go over to
// the per-user file before typing anything.
void TFrmQuillane::NoticeIfNotWritable(const QString& path)
{
    const InitFileAccess access = FServices.Probe(path.toStdString());
    if (!access.Exists || access.Writable || path == FNoticedPath)
        return;
    FNoticedPath = path;
    QString perUser;
    for (const InitFileCandidate& c : ListInitFiles(FServices.Registry, FServices.Environment)) {
        if (c.Kind == InitFileKind::PerUser && c.Access.Writable && QString::fromStdString(c.Path) != path) {
            perUser = QString::fromStdString(c.Path);
            break;
        }
    }
    const QString text = tr("設定ﾌｧｲﾙ %1 には、このﾕｰｻﾞｰは書き込めません (書き込みの権限がありません)。").arg(path);
    if (perUser.isEmpty()) {
        FServices.Dialogs.Ask({text, {QStringLiteral("OK")}, 0, 0});
        return;
    }
    const int answer = FServices.Dialogs.Ask(
        {text + tr("\nこのﾕｰｻﾞｰ用の設定ﾌｧｲﾙ %1 を使いますか？ (まだなければ、最初の書き込みで作成します)").arg(perUser),
         {tr("ﾕｰｻﾞｰ用を使う(&U)"), tr("このまま(&K)")}, 0, 1});
    if (answer == 0)
        SwitchTo(perUser, true);
}

// The file and the folders it needs, empty, once the user agrees; nothing
// else is written. A save that then fails takes them away again.
QStringList TFrmQuillane::CreateForFirstSave(const QString& path)
{
    const int answer = FServices.Dialogs.Ask(
        {tr("設定ﾌｧｲﾙ %1 はまだありません。ﾌｧｲﾙと、必要なﾌｫﾙﾀﾞを作成して書き込みますか？").arg(path),
         {tr("作成して書き込む(&C)"), tr(Cancel)}, 0, 1});
    if (answer != 0)
        throw ECancelled();
    QStringList made;
    for (QString up = QFileInfo(path).absolutePath(); !QFileInfo::exists(up);) {
        made.prepend(up);
        const QString parent = QFileInfo(up).absolutePath();
        if (parent == up)
            break;
        up = parent;
    }
    auto undo = [&made] {
        for (auto it = made.crbegin(); it != made.crend(); ++it)
            QDir().rmdir(*it);
    };
    for (const QString& dir : made) {
        if (!QDir().mkdir(dir)) {
            undo();
            throw EQuillaneError(tr("ﾌｫﾙﾀﾞ %1 を作成できません").arg(QDir::toNativeSeparators(dir)).toStdString());
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QString why = file.errorString();
        undo();
        throw EQuillaneError(tr("ﾌｧｲﾙ %1 を作成できません: %2").arg(path, why).toStdString());
    }
    file.close();
    return made;
}

void TFrmQuillane::MarkUnchanged()
{
    FChanged = false;
    FBaseline = Shown();
    FLeaveApproved.reset();
    ui->EdtHome->setModified(false);
    ui->MemCommands->document()->setModified(false);
}

void TFrmQuillane::Watch(const QString& path)
{
    if (!FWatcher->files().isEmpty())
        FWatcher->removePaths(FWatcher->files());
    if (!FWatcher->directories().isEmpty())
        FWatcher->removePaths(FWatcher->directories());
    if (path.isEmpty())
        return;
    const QFileInfo file(path);
    if (file.exists())
        FWatcher->addPath(file.absoluteFilePath());
    if (file.absoluteDir().exists())
        FWatcher->addPath(file.absolutePath());
}

void TFrmQuillane::CheckFileOnDisk()
{
    Guarded([this] {
        // Not under a box or dialog that the window's state matters to.
        if (QApplication::activeModalWidget()) {
            FDiskCheck->start();
            return;
        }
        const FileStamp now = StampFile(FLoadedPath.toStdString());
        // A replaced file needs a new watch; a missing one is being
        // replaced, or gone, which the save reports.
        if (now.Readable && !FWatcher->files().contains(QFileInfo(FLoadedPath).absoluteFilePath()))
            FWatcher->addPath(QFileInfo(FLoadedPath).absoluteFilePath());
        if (!now.Readable || SameContents(now, FLoadedStamp) || Changed())
            return;
        LoadFrom(FLoadedPath);
    });
}

// Saves the fields into `path`; false when the user chose, on the way, not
// to. Throws when the save fails.
bool TFrmQuillane::SaveInto(const QString& path)
{
    if (!AskAboutNotSetInCommands() || !AskAboutChangeOnDisk(path))
        return false;
    const bool create = FCreateOnSave && path == FLoadedPath && !FServices.Probe(path.toStdString()).Exists;
    QStringList made;
    if (create) {
        try {
            made = CreateForFirstSave(path);
        } catch (const ECancelled&) {
            return false;
        }
    }
    try {
        SaveSection(path.toStdString(), CurrentSettings(), FServices.CodePage);
    } catch (const EQuillaneError& e) {
        if (create) {
            QFile::remove(path);
            for (auto it = made.crbegin(); it != made.crend(); ++it)
                QDir().rmdir(*it);
        }
        // Why, and the way on: a file of this user's own.
        const InitFileAccess access = FServices.Probe(path.toStdString());
        if (access.Exists && !access.Writable)
            throw EQuillaneError(std::string(e.what()) +
                                 tr("\nこのﾕｰｻﾞｰには、このﾌｧｲﾙに書き込む権限がありません。設定ﾌｧｲﾙ欄の ▼ (F4) から"
                                    "このﾕｰｻﾞｰ用の設定ﾌｧｲﾙを選んで書き込むか、権限のあるﾕｰｻﾞｰで書き込んでください")
                                     .toStdString());
        throw;
    }
    FCreateOnSave = false;
    if (path == FLoadedPath)
        FLoadedStamp = StampFile(path.toStdString());
    MarkUnchanged();
    return true;
}

// Commands that hold the not-set text count as no commands at all; typed
// commands around it would be dropped without a word.
bool TFrmQuillane::AskAboutNotSetInCommands()
{
    const QString commands = CommandsText();
    if (!commands.contains(NotSet()) || commands.trimmed() == NotSet())
        return true;
    const int answer = FServices.Dialogs.Ask(
        {tr("起動時に実行したいｺﾏﾝﾄﾞに \"%1\" が含まれています。"
            "このままでは、ｺﾏﾝﾄﾞは設定されていないものとして扱われ、設定ﾌｧｲﾙに書き込まれません。\n"
            "\"%1\" を取り除いて、残りのｺﾏﾝﾄﾞを書き込みますか？")
             .arg(NotSet()),
         {tr("取り除いて書き込む(&R)"), tr("ｺﾏﾝﾄﾞなしで書き込む(&W)"), tr(Cancel)}, 0, 2});
    if (answer == 1)
        return true;
    if (answer != 0)
        return false;
    QString kept = commands;
    kept.remove(NotSet());
    SetCommandsText(kept.trimmed().isEmpty() ? NotSet() : kept);
    return true;
}

// Someone else changed the loaded file since it was read: writing now would
// replace their lines inside the section.
bool TFrmQuillane::AskAboutChangeOnDisk(const QString& path)
{
    if (path != FLoadedPath)
        return true;
    const FileStamp now = StampFile(path.toStdString());
    if (!now.Readable || SameContents(now, FLoadedStamp))
        return true;
    const int answer = FServices.Dialogs.Ask(
        {tr("設定ﾌｧｲﾙ %1 は、読み込んだ後にほかのﾌﾟﾛｸﾞﾗﾑで変更されています。\n"
            "読み込み直すと、この画面での変更は失われます。"
            "上書きすると、Quillane のｾｸｼｮﾝがこの画面の内容になります"
            "(ｾｸｼｮﾝの外の行はﾌｧｲﾙのまま残ります)。")
             .arg(path),
         {tr("読み込み直す(&R)"), tr("上書きする(&O)"), tr(Cancel)}, 2, 2});
    if (answer == 0)
        LoadFrom(path);
    return answer == 1;
}

TFrmQuillane::TShown TFrmQuillane::Shown() const
{
    return {ui->EdtHome->text(), CommandsText(), ui->ChkDefineUtils->isChecked(), ui->EdtFileName->text()};
}

SectionSettings TFrmQuillane::CurrentSettings() const
{
    SectionSettings settings;
    try {
        settings.HomeDirectory = FromUtf8(ui->EdtHome->text().toStdString(), FServices.CodePage);
    } catch (const ECodePageError&) {
        throw EQuillaneError(tr("ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります").toStdString());
    }
    try {
        settings.Commands = FromUtf8(CommandsText().toStdString(), FServices.CodePage);
    } catch (const ECodePageError&) {
        throw EQuillaneError(tr("起動時に実行したいｺﾏﾝﾄﾞに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります").toStdString());
    }
    settings.DefineUtils = ui->ChkDefineUtils->isChecked();
    return settings;
}

// The commands text separates lines with CR LF as the file does; the raw
// text keeps characters (no-break spaces) that toPlainText would replace.
QString TFrmQuillane::CommandsText() const
{
    QString text = ui->MemCommands->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

void TFrmQuillane::SetCommandsText(const QString& text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    ui->MemCommands->setPlainText(plain);
}

QString TFrmQuillane::NotSet() const
{
    return QString::fromUtf8(NotSetTextUtf8);
}

}  // namespace quillane
