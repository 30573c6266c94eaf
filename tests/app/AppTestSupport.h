#pragma once

#include "EditorLauncher.h"
#include "QuillaneDialogs.h"
#include "MemoryRegistry.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <ostream>

class QTranslator;
class QWidget;

/// Shows QStrings readably in GoogleTest's failure messages. Every test file
/// that compares QStrings must include this header: the printer GoogleTest
/// instantiates is shared by the whole program.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{';
    for (const QString& text : list) {
        PrintTo(text, out);
        *out << ' ';
    }
    *out << '}';
}

/// Names the interface's language in the names of parameterised tests.
inline void PrintTo(QLocale::Language language, std::ostream* out) {
    *out << QLocale::languageToString(language).toStdString();
}

namespace quillane::test {

/// One installation in `registry`: a version key below the Mathematica key
/// whose InstallDir is `installDir`.
void AddInstallation(MemoryRegistry& registry, const std::string& version, const std::string& installDir);

/// Records what would have been opened in the editor.
class TRecordingLauncher : public IEditorLauncher {
public:
    void OpenAsText(const std::string& pathUtf8) override;
    std::vector<std::string> Opened;
    std::function<void()> Action;  ///< runs on each call (may throw)
};

/// Answers the window's boxes from a script and records what they showed.
class TScriptedDialogs : public IQuillaneDialogs {
public:
    void ShowReadFailure(const QString& text) override { ReadFailures << text; }
    void ShowFailureReport(const QString& text) override { Reports << text; }
    TSaveAnswer AskSaveChanges() override;
    int Ask(const TQuestion& question) override;
    bool ChooseInitFile(const QString& fileName, const QStringList& places, QString& chosen) override;
    int ChooseAmong(const QList<TInitFileChoice>& choices, QWidget* field) override;

    QStringList ReadFailures;
    QStringList Reports;
    int Questions = 0;
    std::deque<TSaveAnswer> Answers;  ///< answers, in order; Cancel when empty
    QStringList Asked;                ///< texts of the other questions
    std::deque<QString> Picks;        ///< their answers' captions, in order; the cancel answer when empty
    QStringList Presets;              ///< file names the file dialog was preset with
    QStringList Places;               ///< its sidebar, the last time
    QList<TInitFileChoice> Offered;   ///< the chooser's entries, the last time
    int Pick = -1;                    ///< the entry the chooser answers
    std::optional<QString> Choice;    ///< the file chosen, or cancel
};

/// A temporary folder laid out as an installation with its init.m.
class TInstallation {
public:
    TInstallation();
    QString Dir() const { return FDir.path(); }
    /// The init.m path inside the installation.
    QString InitFile() const;
    /// Another file in the folder.
    QString File(const QString& name) const { return FDir.filePath(name); }

private:
    QTemporaryDir FDir;
};

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

/// Runs `act` on the next modal widget once it is shown (polled by a timer
/// owned by the returned object, so nothing is left behind).
std::unique_ptr<QTimer> WhenModalShown(std::function<void(QWidget*)> act);

/// Replaces the text of a focused field as a user would: select all, then
/// type; text outside ASCII arrives as an input method's commit.
void TypeInto(QWidget* field, const QString& text);

/// Runs the event loop until it would block, so idle-time updates run.
void RunUntilIdle();

/// The languages of the program's texts that the window tests run in.
inline constexpr QLocale::Language InterfaceLanguages[] = {QLocale::Japanese, QLocale::English};

/// The program's texts in `language` while it lives, as written again
/// afterwards. Windows made meanwhile show that language.
class TInterfaceLanguage {
public:
    explicit TInterfaceLanguage(QLocale::Language language);
    ~TInterfaceLanguage();
    TInterfaceLanguage(const TInterfaceLanguage&) = delete;
    TInterfaceLanguage& operator=(const TInterfaceLanguage&) = delete;

private:
    std::unique_ptr<QTranslator> FTranslator;
};

/// A test run once in each of the InterfaceLanguages, shown in it while
/// the test lives; mixed into a fixture.
class TLanguageParam : public ::testing::WithParamInterface<QLocale::Language> {
public:
    bool English() const { return GetParam() == QLocale::English; }
    /// The test names' language part.
    static std::string Name(const ::testing::TestParamInfo<QLocale::Language>& info) {
        return QLocale::languageToString(info.param).toStdString();
    }

private:
    const TInterfaceLanguage FShown{GetParam()};
};

}  // namespace quillane::test
