#include "QuillaneDialogs.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QUrl>

namespace quillane {

namespace {

// Desktops order dialog buttons differently (GNOME puts Cancel first); the
// save question's buttons stand in one fixed order everywhere.
class TFixedButtonOrderStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DialogButtonLayout) return QDialogButtonBox::WinLayout;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void ShowErrorBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

}  // namespace

QStringList InitFileNameFilters() {
    // "All Files" takes every file: "*.*" would hide names without a dot
    // outside Windows.
    return {QStringLiteral("Mathematica Initialization File(init.m) (init.m)"),
            QStringLiteral("Mathematica Packages(*.m) (*.m)"), QStringLiteral("All Files(*.*) (*)")};
}

TQtDialogs::TQtDialogs(QWidget* parent, bool nativeFileDialog) : FParent(parent), FNativeFileDialog(nativeFileDialog) {}

void TQtDialogs::SetParent(QWidget* parent) {
    FParent = parent;
}

void TQtDialogs::ShowReadFailure(const QString& text) {
    ShowErrorBox(FParent, tr("エラー"), text);
}

void TQtDialogs::ShowFailureReport(const QString& text) {
    ShowErrorBox(FParent, QCoreApplication::applicationName(), text);
}

TSaveAnswer TQtDialogs::AskSaveChanges() {
    switch (Ask({tr("内容が変更されています。変更を保存しますか？"),
                 {tr("はい(&Y)"), tr("いいえ(&N)"), tr("キャンセル")},
                 0,
                 2})) {
    case 0:
        return TSaveAnswer::Yes;
    case 1:
        return TSaveAnswer::No;
    default:
        return TSaveAnswer::Cancel;
    }
}

int TQtDialogs::Ask(const TQuestion& question) {
    TFixedButtonOrderStyle order;  // outlives the box that uses it
    QMessageBox box(QMessageBox::Question, tr("確認"), question.Text, QMessageBox::NoButton, FParent);
    // The button box lays its buttons out as they are added.
    if (auto* buttons = box.findChild<QDialogButtonBox*>()) buttons->setStyle(&order);
    QList<QPushButton*> answers;
    for (const QString& caption : question.Answers) answers << box.addButton(caption, QMessageBox::AcceptRole);
    if (answers.isEmpty()) return question.Cancel;
    box.setDefaultButton(answers.value(question.Default, answers.constFirst()));
    box.setEscapeButton(answers.value(question.Cancel, answers.constLast()));
    box.exec();
    const int given = answers.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return given < 0 ? question.Cancel : given;
}

bool TQtDialogs::ChooseInitFile(const QString& fileName, const QStringList& places, QString& chosen) {
    QFileDialog dialog(FParent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a missing file is accepted; the reload reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !FNativeFileDialog);
    // The per-user base folders are hidden ones (~/.Wolfram).
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    dialog.setNameFilters(InitFileNameFilters());
    dialog.selectNameFilter(InitFileNameFilters().constFirst());
    dialog.setSizeGripEnabled(true);
    QList<QUrl> sidebar;
    for (const QString& place : places) sidebar << QUrl::fromLocalFile(place);
    if (!sidebar.isEmpty()) dialog.setSidebarUrls(sidebar);
    if (!fileName.isEmpty()) {
        // The current file's folder, or the nearest one that exists.
        QString folder = QFileInfo(fileName).absolutePath();
        while (!QFileInfo(folder).isDir() && QFileInfo(folder).absolutePath() != folder)
            folder = QFileInfo(folder).absolutePath();
        dialog.setDirectory(folder);
        dialog.selectFile(fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return true;
}

int TQtDialogs::ChooseAmong(const QList<TInitFileChoice>& choices, QWidget* field) {
    QMenu menu(FParent);
    QList<QAction*> actions;
    for (const TInitFileChoice& choice : choices) {
        QAction* action = menu.addAction(choice.Text);
        action->setEnabled(choice.Enabled);
        actions << action;
    }
    if (actions.isEmpty()) return -1;
    menu.setMinimumWidth(field ? field->width() : 0);
    const QPoint at = field ? field->mapToGlobal(QPoint(0, field->height())) : QCursor::pos();
    return static_cast<int>(actions.indexOf(menu.exec(at, actions.constFirst())));
}

}  // namespace quillane
