// TFrmQuillane and the file it edits: loading, following it on disk,
// going over to another file, saving and the first save that makes it.

#include "QuillaneUnt.h"

#include "ui_QuillaneUnt.h"

#include "CodePage.h"
#include "FileWatch.h"
#include "InitFileChoices.h"
#include "NewFile.h"
#include "TypedText.h"

#include <QApplication>

#include <optional>

namespace quillane {

namespace {

// The user declined a step of a save; nothing was written.
struct ECancelled {};

// Stands in for a text the reader did not touch. It can never come out of a
// read: a home directory is the rest of one line, and a commands text is
// either empty or lines each followed by CR LF.
const std::string KeepText = "\n";

QString Decode(const std::string& bytes, unsigned codePage) {
    return QString::fromStdString(ToUtf8(bytes, codePage));
}

// Answers of the window's questions, translated where they are asked.
const char* const Yes = QT_TRANSLATE_NOOP("quillane::TFrmQuillane", "はい(&Y)");
const char* const No = QT_TRANSLATE_NOOP("quillane::TFrmQuillane", "いいえ(&N)");
const char* const Cancel = QT_TRANSLATE_NOOP("quillane::TFrmQuillane", "キャンセル");

}  // namespace

void TFrmQuillane::BtnFileClick() {
    Guarded([this] {
        QString chosen;
        const QStringList places = InitFileFolders(ListInitFiles(FServices.Registry, FServices.Environment));
        if (!FServices.Dialogs.ChooseInitFile(ui->EdtFileName->text(), places, chosen) || !SaveBeforeLeavingFile())
            return;
        ui->EdtFileName->setText(chosen);
        Reload();
    });
}

void TFrmQuillane::ChooseInitFileAmongCandidates() {
    Guarded([this] {
        const std::vector<InitFileCandidate> candidates = ListInitFiles(FServices.Registry, FServices.Environment);
        const QList<TInitFileChoice> choices = InitFileChoices(candidates);
        const int chosen = FServices.Dialogs.ChooseAmong(choices, ui->EdtFileName);
        if (chosen < 0 || chosen >= static_cast<int>(candidates.size()) || !choices.at(chosen).Enabled) return;
        const QString path = QString::fromStdString(candidates[static_cast<std::size_t>(chosen)].Path);
        if (path == FLoadedPath || !SaveBeforeLeavingFile()) return;
        SwitchTo(path, true);
    });
}

void TFrmQuillane::SwitchTo(const QString& path, bool newIfMissing) {
    ui->EdtFileName->setText(path);
    ui->EdtFileName->setModified(false);
    LoadFrom(path, newIfMissing);
}

// A typed file name replaces the loaded file; unsaved changes are offered
// to that file first. Cancelling, or a failed save, puts the old name back
// and keeps the edits.
bool TFrmQuillane::SwitchToTypedFile() {
    if (!ui->EdtFileName->isModified()) return true;
    ui->EdtFileName->setModified(false);
    const QString wanted = ExpandHome(ui->EdtFileName->text());
    if (wanted != ui->EdtFileName->text()) ui->EdtFileName->setText(wanted);
    // The same file again: reloading it would only drop the edits.
    if (wanted == FLoadedPath && Changed()) return true;
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

bool TFrmQuillane::SaveBeforeLeavingFile() {
    // Edits made before any file was named have nowhere to go but the next.
    if (!Changed() || FLoadedPath.isEmpty()) return true;
    const int answer = FServices.Dialogs.Ask(
        {tr("内容が変更されています。ほかのﾌｧｲﾙを読み込む前に、変更を %1 に保存しますか？").arg(FLoadedPath),
         {tr(Yes), tr(No), tr(Cancel)},
         0,
         2});
    if (answer == 1) return true;
    if (answer != 0) return false;
    return SaveInto(FLoadedPath);
}

void TFrmQuillane::Reload() {
    LoadFrom(ui->EdtFileName->text());
}

void TFrmQuillane::LoadFrom(const QString& path, bool newIfMissing) {
    // Stamped before reading: a change made while the file is read shows
    // up as a change later, never the other way round.
    FLoadedPath = path;
    FLoadedStamp = StampFile(path.toStdString());
    FFileWatch->Watch(path);
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
    if (settings.HomeDirectory != KeepText) home = Decode(settings.HomeDirectory, FServices.CodePage);
    if (settings.Commands != KeepText) commands = Decode(settings.Commands, FServices.CodePage);

    if (home) ui->EdtHome->setText(*home);
    ui->ChkDefineUtils->setChecked(settings.DefineUtils);
    if (commands) ui->MemCommands->SetFileText(*commands);
    MarkUnchanged();
    NoticeIfNotWritable(path);
}

// Said once a file is loaded, not at the first save: the user may go over to
// the per-user file before typing anything.
void TFrmQuillane::NoticeIfNotWritable(const QString& path) {
    const InitFileAccess access = FServices.Probe(path.toStdString());
    if (!access.Exists || access.Writable || path == FNoticedPath) return;
    FNoticedPath = path;
    const QString perUser = WritablePerUserFile(ListInitFiles(FServices.Registry, FServices.Environment), path);
    const QString text = tr("設定ﾌｧｲﾙ %1 には、このﾕｰｻﾞｰは書き込めません (書き込みの権限がありません)。").arg(path);
    if (perUser.isEmpty()) {
        FServices.Dialogs.Ask({text, {QStringLiteral("OK")}, 0, 0});
        return;
    }
    const int answer = FServices.Dialogs.Ask(
        {text + tr("\nこのﾕｰｻﾞｰ用の設定ﾌｧｲﾙ %1 を使いますか？ (まだなければ、最初の書き込みで作成します)").arg(perUser),
         {tr("ﾕｰｻﾞｰ用を使う(&U)"), tr("このまま(&K)")},
         0,
         1});
    if (answer == 0) SwitchTo(perUser, true);
}

// The file and the folders it needs, empty, once the user agrees; nothing
// else is written. A save that then fails takes them away again.
QStringList TFrmQuillane::CreateForFirstSave(const QString& path) {
    const int answer = FServices.Dialogs.Ask(
        {tr("設定ﾌｧｲﾙ %1 はまだありません。ﾌｧｲﾙと、必要なﾌｫﾙﾀﾞを作成して書き込みますか？").arg(path),
         {tr("作成して書き込む(&C)"), tr(Cancel)},
         0,
         1});
    if (answer != 0) throw ECancelled();
    return CreateEmptyFile(path);
}

void TFrmQuillane::CheckFileOnDisk() {
    Guarded([this] {
        // Not under a box or dialog that the window's state matters to.
        if (QApplication::activeModalWidget()) {
            FFileWatch->CheckLater();
            return;
        }
        const FileStamp now = StampFile(FLoadedPath.toStdString());
        // A replaced file needs a new watch; a missing one is being
        // replaced, or gone, which the save reports.
        if (now.Readable) FFileWatch->Rewatch();
        if (!now.Readable || SameContents(now, FLoadedStamp) || Changed()) return;
        LoadFrom(FLoadedPath);
    });
}

// Saves the fields into `path`; false when the user chose, on the way, not
// to. Throws when the save fails.
bool TFrmQuillane::SaveInto(const QString& path) {
    if (!AskAboutNotSetInCommands() || !AskAboutChangeOnDisk(path)) return false;
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
        if (create) RemoveCreatedFile(path, made);
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
    if (path == FLoadedPath) FLoadedStamp = StampFile(path.toStdString());
    MarkUnchanged();
    return true;
}

// Commands that hold the not-set text count as no commands at all; typed
// commands around it would be dropped without a word.
bool TFrmQuillane::AskAboutNotSetInCommands() {
    const QString commands = ui->MemCommands->FileText();
    if (!commands.contains(NotSet()) || commands.trimmed() == NotSet()) return true;
    const int answer = FServices.Dialogs.Ask(
        {tr("起動時に実行したいｺﾏﾝﾄﾞに \"%1\" が含まれています。"
            "このままでは、ｺﾏﾝﾄﾞは設定されていないものとして扱われ、設定ﾌｧｲﾙに書き込まれません。\n"
            "\"%1\" を取り除いて、残りのｺﾏﾝﾄﾞを書き込みますか？")
             .arg(NotSet()),
         {tr("取り除いて書き込む(&R)"), tr("ｺﾏﾝﾄﾞなしで書き込む(&W)"), tr(Cancel)},
         0,
         2});
    if (answer == 1) return true;
    if (answer != 0) return false;
    QString kept = commands;
    kept.remove(NotSet());
    ui->MemCommands->SetFileText(kept.trimmed().isEmpty() ? NotSet() : kept);
    return true;
}

// Someone else changed the loaded file since it was read: writing now would
// replace their lines inside the section.
bool TFrmQuillane::AskAboutChangeOnDisk(const QString& path) {
    if (path != FLoadedPath) return true;
    const FileStamp now = StampFile(path.toStdString());
    if (!now.Readable || SameContents(now, FLoadedStamp)) return true;
    const int answer = FServices.Dialogs.Ask({tr("設定ﾌｧｲﾙ %1 は、読み込んだ後にほかのﾌﾟﾛｸﾞﾗﾑで変更されています。\n"
                                                 "読み込み直すと、この画面での変更は失われます。"
                                                 "上書きすると、Quillane のｾｸｼｮﾝがこの画面の内容になります"
                                                 "(ｾｸｼｮﾝの外の行はﾌｧｲﾙのまま残ります)。")
                                                  .arg(path),
                                              {tr("読み込み直す(&R)"), tr("上書きする(&O)"), tr(Cancel)},
                                              2,
                                              2});
    if (answer == 0) LoadFrom(path);
    return answer == 1;
}

SectionSettings TFrmQuillane::CurrentSettings() const {
    SectionSettings settings;
    try {
        settings.HomeDirectory = FromUtf8(ui->EdtHome->text().toStdString(), FServices.CodePage);
    } catch (const ECodePageError&) {
        throw EQuillaneError(tr("ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります").toStdString());
    }
    try {
        settings.Commands = FromUtf8(ui->MemCommands->FileText().toStdString(), FServices.CodePage);
    } catch (const ECodePageError&) {
        throw EQuillaneError(tr("起動時に実行したいｺﾏﾝﾄﾞに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります").toStdString());
    }
    settings.DefineUtils = ui->ChkDefineUtils->isChecked();
    return settings;
}

}  // namespace quillane
