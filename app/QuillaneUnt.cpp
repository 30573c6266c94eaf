#include "QuillaneUnt.h"

#include "ui_QuillaneUnt.h"

#include "CodePage.h"
#include "DesignLook.h"
#include "EditorLauncher.h"
#include "BrowseDlg.h"
#include "InitFileLocation.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFocusEvent>
#include <QScreen>
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

    // The two labels carry an accelerator but are bound to no control: being
    // their own buddy shows the underline while the key moves no focus.
    ui->Label2->setBuddy(ui->Label2);
    ui->Label3->setBuddy(ui->Label3);

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
        FServices.Dialogs.ShowFailureReport(FailureReportText(ExceptionMessage(std::current_exception())));
    }
}

void TFrmQuillane::FormCreate()
{
    Guarded([this] {
        ui->EdtFileName->setText(QString::fromStdString(LocateInitFile(FServices.Registry)));
        Reload();
        if (ui->EdtHome->text().isEmpty())
            ui->EdtHome->setText(NotSet());
    });
}

void TFrmQuillane::EdtHomeExit()
{
    Guarded([this] {
        if (!ui->EdtHome->isModified())
            return;
        ui->EdtHome->setModified(false);
        FChanged = true;
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
        FChanged = true;
        if (ui->MemCommands->document()->isEmpty())
            SetCommandsText(NotSet());
    });
}

void TFrmQuillane::EdtFileNameExit()
{
    Guarded([this] {
        if (!ui->EdtFileName->isModified())
            return;
        ui->EdtFileName->setModified(false);
        Reload();
    });
}

void TFrmQuillane::ChkDefineUtilsClick()
{
    FChanged = true;
}

void TFrmQuillane::ActSaveUpdate()
{
    ui->ActSave->setEnabled(FChanged);
}

void TFrmQuillane::ActSaveExecute()
{
    Guarded([this] {
        CommitPendingEdit();
        // Counting a changed file name reloads, which leaves nothing to save.
        if (!FChanged)
            return;
        Save();
    });
}

void TFrmQuillane::ActExitExecute()
{
    Guarded([this] {
        CommitPendingEdit();
        if (FChanged) {
            switch (FServices.Dialogs.AskSaveChanges()) {
            case TSaveAnswer::Cancel:
                return;
            case TSaveAnswer::Yes:
                Save();  // a failure is reported and keeps the window open
                break;
            case TSaveAnswer::No:
                break;
            }
        }
        close();
    });
}

void TFrmQuillane::ActOpenAsTextExecute()
{
    Guarded([this] { FServices.Launcher.OpenAsText(ui->EdtFileName->text().toStdString()); });
}

void TFrmQuillane::BtnFileClick()
{
    Guarded([this] {
        QString chosen;
        if (!FServices.Dialogs.ChooseInitFile(ui->EdtFileName->text(), chosen))
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
    EdtHomeExit();
}

// The design values come from the stored form; its handler names are bound
// to this window's handlers. A form that cannot be applied is reported and
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
    Guarded([&] { LoadBrowseDlgFormFile(*FBrowseDlg, QString::fromLatin1(BrowseDlgFormResource), handlers); });
}

// Exit events: focus moving to another control of this window. Focus lost to
// another window, a popup or a box opened by a handler is not leaving the
// field; the field's modified mark keeps the change until it really is left.
bool TFrmQuillane::eventFilter(QObject* watched, QEvent* event)
{
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
// in (accelerators, keys, code); the typing counts as if it had left.
void TFrmQuillane::CommitPendingEdit()
{
    QWidget* focused = QApplication::focusWidget();
    if (focused == ui->EdtHome)
        EdtHomeExit();
    else if (focused == ui->MemCommands)
        MemCommandsExit();
    else if (focused == ui->EdtFileName)
        EdtFileNameExit();
}

void TFrmQuillane::Reload()
{
    // The reader changes only what the file mentions; placeholders tell which
    // texts it left alone, so those fields keep exactly what they show.
    SectionSettings settings;
    settings.HomeDirectory = KeepText;
    settings.Commands = KeepText;
    settings.DefineUtils = ui->ChkDefineUtils->isChecked();
    LoadSection(ui->EdtFileName->text().toStdString(), settings, FServices.CodePage, *this);

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
    FChanged = false;
    ui->MemCommands->document()->setModified(false);
}

void TFrmQuillane::Save()
{
    SaveSection(ui->EdtFileName->text().toStdString(), CurrentSettings(), FServices.CodePage);
    FChanged = false;
}

SectionSettings TFrmQuillane::CurrentSettings() const
{
    SectionSettings settings;
    try {
        settings.HomeDirectory = FromUtf8(ui->EdtHome->text().toStdString(), FServices.CodePage);
    } catch (const ECodePageError&) {
        throw EQuillaneError(u8"ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります");
    }
    try {
        settings.Commands = FromUtf8(CommandsText().toStdString(), FServices.CodePage);
    } catch (const ECodePageError&) {
        throw EQuillaneError(u8"起動時に実行したいｺﾏﾝﾄﾞに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります");
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
