#include "QuillaneUnt.h"

#include "AppTestSupport.h"
#include "../browse/BrowseTestSupport.h"
#include "BrowseDlg.h"
#include "BrowseDlgForm.h"
#include "CodePage.h"
#include "DesignLook.h"
#include "FileIo.h"
#include "SystemShell_posix.h"
#include "ShellTreeView.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMetaProperty>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <optional>

using namespace quillane;
using namespace quillane::test;

namespace {

const QString NotSet = QStringLiteral("(未設定)");
// Every failure here is a missing file; the engine names the system's cause.
const QString NoSuchFile = QString::fromStdString(FileErrorText(ENOENT));
const QString ReadFailed = QStringLiteral("ファイルの読込みに失敗しました: ") + NoSuchFile;

// A managed section as the program writes it, with the user's lines around it.
QByteArray InitFileWith(const QByteArray& header, const QByteArray& commands = QByteArray()) {
    QByteArray text =
        "(* user line above *)\r\n"
        "(*--- This section is added by Quillane ---*)\r\n"
        "(*\r\n" +
        header + "*)\r\n";
    if (!commands.isNull())
        text += "(* Quillane commands begin *)\r\n" + commands + "(* Quillane commands end *)\r\n\r\n";
    text +=
        "(*--- End of section added by Quillane ---*)\r\n"
        "Print[\"user line below\"]\r\n";
    return text;
}

class FrmQuillaneTest : public ::testing::Test {
public:
    TInstallation Install;
    MemoryRegistry Registry;
    TRecordingLauncher Launcher;
    TScriptedDialogs Dialogs;
    unsigned CodePage = CpUtf8;
    QString Named;                  // the file on the command line
    KernelEnvironment Environment;  // no per-user folder unless a test gives one
    std::function<InitFileAccess(const std::string&)> Probe = ProbeInitFile;
    std::unique_ptr<TFrmQuillane> Window;

    void TearDown() override {
        Window.reset();
        // Nothing a test scripted may be left unanswered or unseen.
        EXPECT_TRUE(Dialogs.Answers.empty());
        EXPECT_TRUE(Dialogs.Picks.empty());
    }

    // Start-up with init.m holding `contents` in the newest installation.
    void StartWith(const QByteArray& contents) {
        WriteFile(Install.InitFile(), contents);
        AddInstallation(Registry, "4.1", "/nowhere/older");
        AddInstallation(Registry, "5.0", Install.Dir().toStdString());
        Create();
    }

    void Create() {
        Window = std::make_unique<TFrmQuillane>(
            TQuillaneServices{Registry, Launcher, Dialogs, CodePage, Named, Environment, Probe});
    }

    void ShowActive() {
        Window->ShowCentred();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }

    template <class T>
    T* Get(const char* name) {
        T* widget = Window->findChild<T*>(QString::fromLatin1(name));
        if (!widget) ADD_FAILURE() << "no control " << name;
        return widget;
    }

    QLineEdit* EdtHome() { return Get<QLineEdit>("EdtHome"); }
    QLineEdit* EdtFileName() { return Get<QLineEdit>("EdtFileName"); }
    QPlainTextEdit* MemCommands() { return Get<QPlainTextEdit>("MemCommands"); }
    QCheckBox* ChkDefineUtils() { return Get<QCheckBox>("ChkDefineUtils"); }
    QPushButton* BtnSave() { return Get<QPushButton>("BtnSave"); }

    void TypeInto(QWidget* field, const QString& text) { quillane::test::TypeInto(field, text); }

    // Focus moves on to another control of the window.
    void LeaveField() { Get<QPushButton>("BtnExit")->setFocus(Qt::TabFocusReason); }
};

// The window's tests whose texts matter, once in each language of the
// interface.
class FrmQuillaneLanguageTest : public FrmQuillaneTest, public TLanguageParam {};

INSTANTIATE_TEST_SUITE_P(Languages, FrmQuillaneLanguageTest, ::testing::ValuesIn(InterfaceLanguages),
                         TLanguageParam::Name);

TEST_F(FrmQuillaneTest, StartUpWithoutAnyFileShowsNoReadFailure) {
    Create();
    EXPECT_EQ(EdtFileName()->text(), QString());
    EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
    EXPECT_TRUE(Dialogs.Reports.isEmpty());
    EXPECT_EQ(EdtHome()->text(), NotSet);
    EXPECT_EQ(MemCommands()->toPlainText(), NotSet);
    EXPECT_FALSE(ChkDefineUtils()->isChecked());
    EXPECT_FALSE(Window->Changed());
    EXPECT_FALSE(Window->ActSave()->isEnabled());
    EXPECT_FALSE(BtnSave()->isEnabled());
}

TEST_F(FrmQuillaneTest, StartUpShowsTheSectionOfTheNewestInstallation) {
    StartWith(InitFileWith("[HomeDirectory]/home/ann/math\r\n[DefineUtils]\r\n", "A\r\n\r\nB\r\n"));
    EXPECT_EQ(EdtFileName()->text(), Install.InitFile());
    EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
    EXPECT_EQ(EdtHome()->text(), QStringLiteral("/home/ann/math"));
    EXPECT_TRUE(ChkDefineUtils()->isChecked());
    EXPECT_EQ(MemCommands()->toPlainText(), QStringLiteral("A\n\nB\n"));
    EXPECT_FALSE(Window->Changed());
    EXPECT_FALSE(MemCommands()->document()->isModified());
    EXPECT_FALSE(Window->ActSave()->isEnabled());
}

TEST_F(FrmQuillaneTest, StartUpPutsNotSetIntoAnEmptyHomeDirectory) {
    StartWith(InitFileWith("[HomeDirectory]\r\n"));
    EXPECT_EQ(EdtHome()->text(), NotSet);
    EXPECT_FALSE(Window->Changed());
}

TEST_F(FrmQuillaneTest, RegistryErrorIsReportedAndTheWindowStillOpens) {
    Registry.SetValue("Software\\Wolfram Research\\Mathematica\\5.0", "InstallDir", RegType::DWord,
                      std::string("\x01\0\0\0", 4));
    Create();
    EXPECT_EQ(Dialogs.Reports, QStringList{QStringLiteral("'InstallDir' のデータ型が不正です.")});
    EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
    // FormCreate ended before its first step: the design values stand.
    EXPECT_EQ(EdtFileName()->text(),
              QStringLiteral("C:\\Program Files\\Wolfram Research\\Mathematica\\4.1\\Configuration\\Kernel\\init.m"));
    EXPECT_EQ(EdtHome()->text(), NotSet);
    EXPECT_FALSE(Window->Changed());
}

TEST_F(FrmQuillaneTest, UnsavedChangesAreWhatDiffersFromTheLoadedFile) {
    struct Case {
        const char* Name;
        std::function<void(FrmQuillaneTest&)> Act;
        bool Changed;
        QString Home;
        QString Commands;
    };
    const QString home = QStringLiteral("/home/ann/math");
    const QString commands = QStringLiteral("A\n");
    const std::vector<Case> cases = {
        {"typing in the home field and leaving it",
         [](FrmQuillaneTest& t) {
             t.TypeInto(t.EdtHome(), QStringLiteral("/x"));
             t.LeaveField();
         },
         true, QStringLiteral("/x"), commands},
        {"clearing the home field and leaving it",
         [](FrmQuillaneTest& t) {
             t.TypeInto(t.EdtHome(), QString());
             t.LeaveField();
         },
         true, NotSet, commands},
        {"still typing in the home field", [](FrmQuillaneTest& t) { t.TypeInto(t.EdtHome(), QStringLiteral("/x")); },
         true, QStringLiteral("/x"), commands},
        {"typing the loaded text again",
         [&](FrmQuillaneTest& t) {
             t.TypeInto(t.EdtHome(), home);
             t.LeaveField();
         },
         false, home, commands},
        {"passing through the home field without typing",
         [](FrmQuillaneTest& t) {
             t.EdtHome()->setFocus(Qt::TabFocusReason);
             t.LeaveField();
         },
         false, home, commands},
        {"typing in the home field, then focus to another window",
         [](FrmQuillaneTest& t) {
             t.TypeInto(t.EdtHome(), QStringLiteral("/x"));
             QWidget other;
             other.show();
             other.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
         },
         true, QStringLiteral("/x"), commands},
        {"still typing in the commands field",
         [](FrmQuillaneTest& t) { t.TypeInto(t.MemCommands(), QStringLiteral("Off[x]")); }, true, home,
         QStringLiteral("Off[x]")},
        {"clearing the commands field and leaving it",
         [](FrmQuillaneTest& t) {
             t.TypeInto(t.MemCommands(), QString());
             t.LeaveField();
         },
         true, home, NotSet},
        {"clicking the check box", [](FrmQuillaneTest& t) { QTest::mouseClick(t.ChkDefineUtils(), Qt::LeftButton); },
         true, home, commands},
        {"clicking the check box twice",
         [](FrmQuillaneTest& t) {
             QTest::mouseClick(t.ChkDefineUtils(), Qt::LeftButton);
             QTest::mouseClick(t.ChkDefineUtils(), Qt::LeftButton);
         },
         true, home, commands},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        StartWith(InitFileWith("[HomeDirectory]/home/ann/math\r\n", "A\r\n"));
        ShowActive();
        c.Act(*this);
        RunUntilIdle();
        EXPECT_EQ(Window->Changed(), c.Changed);
        EXPECT_EQ(Window->ActSave()->isEnabled(), c.Changed);
        EXPECT_EQ(BtnSave()->isEnabled(), c.Changed);
        EXPECT_EQ(EdtHome()->text(), c.Home);
        EXPECT_EQ(MemCommands()->toPlainText(), c.Commands);
        Window.reset();
    }
}

// Typing into a field that shows the not-set text replaces it, however the
// field got the focus and wherever the caret stands.
TEST_F(FrmQuillaneTest, TypingReplacesTheNotSetText) {
    struct Case {
        const char* Name;
        const char* Field;
        std::function<void(QWidget*)> Focus;
        std::function<void(QWidget*)> Type;
        QString Shown;
    };
    auto keys = [](const char* text) { return [text](QWidget* f) { QTest::keyClicks(f, QString::fromUtf8(text)); }; };
    auto click = [](QWidget* f) {
        QWidget* target = qobject_cast<QPlainTextEdit*>(f) ? static_cast<QPlainTextEdit*>(f)->viewport() : f;
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(3, 5));
    };
    auto tab = [](QWidget* f) { f->setFocus(Qt::TabFocusReason); };
    auto ends = [](QWidget* f) { QTest::keyClick(f, Qt::Key_End); };
    auto then = [](std::function<void(QWidget*)> a, std::function<void(QWidget*)> b) {
        return [a, b](QWidget* f) {
            a(f);
            b(f);
        };
    };
    auto paste = [](const char* text) {
        return [text](QWidget* f) {
            QApplication::clipboard()->setText(QString::fromUtf8(text));
            QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
        };
    };
    auto commit = [](const char* text) {
        return [text](QWidget* f) {
            QInputMethodEvent event;
            event.setCommitString(QString::fromUtf8(text));
            QApplication::sendEvent(f, &event);
        };
    };
    const std::vector<Case> cases = {
        {"home, at start-up", "EdtHome", [](QWidget*) {}, keys("/home/me"), QStringLiteral("/home/me")},
        {"home, clicked before the text", "EdtHome", click, keys("/a"), QStringLiteral("/a")},
        {"home, Tab, caret moved to the end", "EdtHome", then(tab, ends), keys("/b"), QStringLiteral("/b")},
        {"home, accelerator", "EdtHome", [](QWidget* f) { QTest::keyClick(f->window(), Qt::Key_H, Qt::AltModifier); },
         keys("/c"), QStringLiteral("/c")},
        {"home, pasted at the end", "EdtHome", then(click, ends), paste("/pasted"), QStringLiteral("/pasted")},
        {"home, input method", "EdtHome", then(click, ends), commit("/表"), QStringLiteral("/表")},
        {"home, Backspace at the end", "EdtHome", then(tab, ends),
         [](QWidget* f) { QTest::keyClick(f, Qt::Key_Backspace); }, QString()},
        {"commands, accelerator", "MemCommands",
         [](QWidget* f) { QTest::keyClick(f->window(), Qt::Key_E, Qt::AltModifier); }, keys("Off[x]"),
         QStringLiteral("Off[x]")},
        {"commands, clicked before the text", "MemCommands", click, keys("Off[y]"), QStringLiteral("Off[y]")},
        {"commands, Return at the end", "MemCommands",
         then(tab, [](QWidget* f) { QTest::keyClick(f, Qt::Key_End, Qt::ControlModifier); }),
         [](QWidget* f) {
             QTest::keyClick(f, Qt::Key_Return);
             QTest::keyClicks(f, QStringLiteral("Get[z]"));
         },
         QStringLiteral("\nGet[z]")},
        {"commands, pasted", "MemCommands", then(click, ends), paste("P[1]"), QStringLiteral("P[1]")},
        {"commands, input method", "MemCommands", then(click, ends), commit("表[]"), QStringLiteral("表[]")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        StartWith("Print[1]\r\n");
        ShowActive();
        QWidget* field = Get<QWidget>(c.Field);
        c.Focus(field);
        ASSERT_EQ(QApplication::focusWidget(), field);
        c.Type(field);
        const QString shown = std::string(c.Field) == "EdtHome" ? EdtHome()->text() : MemCommands()->toPlainText();
        EXPECT_EQ(shown, c.Shown) << shown.toStdString();
        RunUntilIdle();
        EXPECT_TRUE(Window->Changed());
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, SaveWritesTheFieldsAndClearsTheFlag) {
    // The file does not depend on the interface's language: the not-set text
    // and everything the section holds are the same.
    std::map<QLocale::Language, QByteArray> saved;
    for (const QLocale::Language language : InterfaceLanguages) {
        SCOPED_TRACE(QLocale::languageToString(language).toStdString());
        const TInterfaceLanguage shown(language);
        StartWith("Print[1]\r\n");
        ShowActive();
        TypeInto(EdtHome(), QStringLiteral("/home/ann"));
        TypeInto(MemCommands(), QStringLiteral("Off[General::spell]"));
        LeaveField();
        RunUntilIdle();
        Window->ActSave()->trigger();
        EXPECT_TRUE(Dialogs.Reports.isEmpty());
        EXPECT_FALSE(Window->Changed());
        const QByteArray written = ReadFile(Install.InitFile());
        EXPECT_TRUE(written.startsWith("Print[1]\r\n(*--- This section is added by Quillane ---*)\r\n"))
            << written.constData();
        EXPECT_TRUE(written.contains("[HomeDirectory]/home/ann\r\n"));
        EXPECT_TRUE(written.contains(
            "(* Quillane commands begin *)\r\nOff[General::spell]\r\n\r\n(* Quillane commands end *)"));
        EXPECT_FALSE(written.contains("[DefineUtils]"));
        // Again with the helper function and without a home directory.
        ChkDefineUtils()->click();
        TypeInto(EdtHome(), QString());
        LeaveField();
        ASSERT_EQ(EdtHome()->text(), NotSet);
        Window->ActSave()->trigger();
        saved[language] = written + ReadFile(Install.InitFile());
        EXPECT_FALSE(saved[language].endsWith(written));
    }
    EXPECT_EQ(saved[QLocale::English], saved[QLocale::Japanese]);
}

TEST_F(FrmQuillaneTest, CommandsKeepTheirCharactersAndLineBreaks) {
    // A no-break space and a tab must reach the file as typed; lines are
    // separated by CR LF there.
    const QByteArray commands = "x\xC2\xA0=\t1\r\n\r\ny\r\n";
    StartWith(InitFileWith("", commands));
    EXPECT_EQ(MemCommands()->toPlainText().size(), 9);
    ChkDefineUtils()->click();
    RunUntilIdle();
    Window->ActSave()->trigger();
    EXPECT_TRUE(Dialogs.Reports.isEmpty());
    EXPECT_TRUE(ReadFile(Install.InitFile()).contains("(* Quillane commands begin *)\r\n" + commands + "\r\n"));
}

// The engine's message comes in the interface's language too.
TEST_P(FrmQuillaneLanguageTest, FailedSaveIsReportedAndKeepsTheFlag) {
    StartWith(InitFileWith(""));
    ShowActive();
    ChkDefineUtils()->click();
    const QString missing = Install.File(QStringLiteral("gone/init.m"));
    // The path changes without a reload (no focus left the field).
    EdtFileName()->setText(missing);
    RunUntilIdle();
    Window->ActSave()->trigger();
    const QString report =
        English() ? QStringLiteral("Cannot open the file %1: %2.") : QStringLiteral("ファイル %1 は開けません: %2.");
    EXPECT_EQ(Dialogs.Reports, QStringList{report.arg(missing, NoSuchFile)});
    EXPECT_TRUE(Window->Changed());
    RunUntilIdle();
    EXPECT_TRUE(BtnSave()->isEnabled());
}

TEST_F(FrmQuillaneTest, CommandsHoldingTheNotSetTextAmongOthersAskBeforeSaving) {
    struct Case {
        const char* Answer;
        QByteArray Written;  // the commands block; empty: none
        bool Saved;
    };
    const Case cases[] = {
        {"取り除いて書き込む(&R)",
         "(* Quillane commands begin *)\r\nOff[General::spell]\r\n\r\n(* Quillane commands end *)", true},
        {"ｺﾏﾝﾄﾞなしで書き込む(&W)", "", true},
        {"キャンセル", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Answer);
        Registry = MemoryRegistry();
        Dialogs = TScriptedDialogs();
        StartWith(InitFileWith("", "A\r\n"));
        ShowActive();
        TypeInto(MemCommands(), QStringLiteral("Off[General::spell](未設定)"));
        Dialogs.Picks.push_back(QString::fromUtf8(c.Answer));
        Window->ActSave()->trigger();
        ASSERT_EQ(Dialogs.Asked.size(), 1);
        EXPECT_TRUE(Dialogs.Asked.front().startsWith(
            QStringLiteral("起動時に実行したいｺﾏﾝﾄﾞに \"(未設定)\" が含まれています。")));
        const QByteArray written = ReadFile(Install.InitFile());
        EXPECT_EQ(written.contains("(* Quillane commands begin *)\r\nA\r\n"), !c.Saved);
        if (!c.Written.isEmpty()) EXPECT_TRUE(written.contains(c.Written)) << written.constData();
        EXPECT_EQ(Window->Changed(), !c.Saved);
        Window.reset();
    }
    // The not-set text alone, or with blank lines, means no commands: no question.
    Registry = MemoryRegistry();
    Dialogs = TScriptedDialogs();
    StartWith(InitFileWith("", "A\r\n"));
    ShowActive();
    TypeInto(MemCommands(), QStringLiteral("(未設定)\n\n"));
    Window->ActSave()->trigger();
    EXPECT_TRUE(Dialogs.Asked.isEmpty());
    EXPECT_FALSE(ReadFile(Install.InitFile()).contains("commands begin"));
}

// The file is changed by another program after it was loaded, for instance
// in the editor that 設定ﾌｧｲﾙを開く starts.
TEST_F(FrmQuillaneTest, ChangesOnDiskReloadOrAskBeforeTheyAreOverwritten) {
    const QByteArray outside = InitFileWith("[HomeDirectory]/from/editor\r\n", "Edited[]\r\n");
    struct Case {
        const char* Name;
        bool Edit;           // unsaved edits in the window
        const char* Answer;  // to the question at saving; "": no save
        QString Home;        // afterwards
        bool Written;        // the window's section is on disk
    };
    const Case cases[] = {
        {"no edits: reloaded at once", false, "", QStringLiteral("/from/editor"), false},
        {"edits, reload", true, "読み込み直す(&R)", QStringLiteral("/from/editor"), false},
        {"edits, overwrite", true, "上書きする(&O)", QStringLiteral("/typed"), true},
        {"edits, cancel", true, "キャンセル", QStringLiteral("/typed"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        Dialogs = TScriptedDialogs();
        StartWith(InitFileWith("[HomeDirectory]/home/ann\r\n"));
        ShowActive();
        if (c.Edit) {
            TypeInto(EdtHome(), QStringLiteral("/typed"));
            LeaveField();
        }
        // Replaced, as editors save.
        WriteFile(Install.File(QStringLiteral("new.m")), outside);
        ASSERT_TRUE(QFile::remove(Install.InitFile()));
        ASSERT_TRUE(QFile::rename(Install.File(QStringLiteral("new.m")), Install.InitFile()));
        if (!c.Edit) {
            QTRY_COMPARE_WITH_TIMEOUT(EdtHome()->text(), c.Home, 5000);
            EXPECT_EQ(MemCommands()->toPlainText(), QStringLiteral("Edited[]\n"));
            EXPECT_FALSE(Window->Changed());
            Window.reset();
            continue;
        }
        QTest::qWait(400);  // the watch has seen it, and must not reload over the edits
        EXPECT_EQ(EdtHome()->text(), QStringLiteral("/typed"));
        Dialogs.Picks.push_back(QString::fromUtf8(c.Answer));
        Window->ActSave()->trigger();
        EXPECT_EQ(Dialogs.Asked.size(), 1);
        EXPECT_EQ(EdtHome()->text(), c.Home);
        const QByteArray now = ReadFile(Install.InitFile());
        EXPECT_EQ(now.contains("[HomeDirectory]/typed\r\n"), c.Written);
        EXPECT_EQ(now == outside, !c.Written);
        EXPECT_EQ(Window->Changed(), std::string(c.Answer) == "キャンセル");
        // Saved or reloaded: the next save does not ask again.
        if (!Window->Changed()) {
            ChkDefineUtils()->click();
            Window->ActSave()->trigger();
            EXPECT_EQ(Dialogs.Asked.size(), 1);
            EXPECT_TRUE(ReadFile(Install.InitFile()).contains("[DefineUtils]"));
        }
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, CharacterOutsideTheCodePageFailsTheSaveAndWritesNothing) {
    struct Case {
        const char* Field;
        QString Home;
        QString Commands;
        QString Report;
    };
    const std::vector<Case> cases = {
        {"home", QStringLiteral("C:\\\U0001F600"), NotSet,
         QStringLiteral("ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります.")},
        {"commands", NotSet, QStringLiteral("Print[\"\U0001F600\"]"),
         QStringLiteral("起動時に実行したいｺﾏﾝﾄﾞに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります.")},
    };
    CodePage = CpShiftJis;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        Registry = MemoryRegistry();
        Dialogs.Reports.clear();
        const QByteArray before = InitFileWith("[HomeDirectory]C:\\\x95\x5C\r\n");  // 表: trail byte 0x5C
        StartWith(before);
        EXPECT_EQ(EdtHome()->text(), QStringLiteral("C:\\表"));
        ShowActive();
        TypeInto(EdtHome(), c.Home);
        TypeInto(MemCommands(), c.Commands);
        LeaveField();
        ASSERT_TRUE(Window->Changed());
        RunUntilIdle();
        Window->ActSave()->trigger();
        EXPECT_EQ(Dialogs.Reports, QStringList{c.Report});
        EXPECT_EQ(ReadFile(Install.InitFile()), before);
        EXPECT_TRUE(Window->Changed());
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, ExitAsksOnlyWithUnsavedChangesAndFollowsTheAnswer) {
    struct Case {
        const char* Name;
        bool Change;
        std::optional<TSaveAnswer> Answer;
        bool FileMissing;
        bool Closed;
        bool Saved;
        bool Reported;
    };
    const std::vector<Case> cases = {
        {"nothing changed", false, std::nullopt, false, true, false, false},
        {"cancel", true, TSaveAnswer::Cancel, false, false, false, false},
        {"no", true, TSaveAnswer::No, false, true, false, false},
        {"yes", true, TSaveAnswer::Yes, false, true, true, false},
        {"yes, but the file is gone", true, TSaveAnswer::Yes, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        Dialogs = TScriptedDialogs();
        const QByteArray before = InitFileWith("");
        StartWith(before);
        ShowActive();
        if (c.Change) ChkDefineUtils()->click();
        if (c.Answer) Dialogs.Answers.push_back(*c.Answer);
        if (c.FileMissing) QFile::remove(Install.InitFile());
        QTest::mouseClick(Get<QPushButton>("BtnExit"), Qt::LeftButton);
        EXPECT_EQ(Dialogs.Questions, c.Answer ? 1 : 0);
        EXPECT_EQ(Window->isVisible(), !c.Closed);
        if (!c.FileMissing) {
            EXPECT_EQ(ReadFile(Install.InitFile()).contains("[DefineUtils]"), c.Saved);
        }
        EXPECT_EQ(Dialogs.Reports.size(), c.Reported ? 1 : 0);
        if (c.Reported) {
            // Why, and the way out without saving.
            EXPECT_EQ(Dialogs.Reports.front(),
                      QStringLiteral("ファイル %1 は開けません: %2.\n\n"
                                     "保存せずに終了するには、もう一度終了して「いいえ」を選んでください。")
                          .arg(Install.InitFile(), NoSuchFile));
        }
        EXPECT_EQ(Window->Changed(), c.Change && !c.Saved);
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, EveryWayOfClosingAsksAboutUnsavedChanges) {
    struct Case {
        const char* Name;
        std::function<bool(TFrmQuillane&)> Close;  // true: the window may go
        std::optional<TSaveAnswer> Answer;
        bool Closes;
    };
    auto closeBox = [](TFrmQuillane& w) { return w.close(); };
    // What the window manager's close (WM_DELETE_WINDOW, Alt+F4) arrives as.
    auto windowManager = [](TFrmQuillane& w) { return w.windowHandle()->close(); };
    const std::vector<Case> cases = {
        {"close box, cancel", closeBox, TSaveAnswer::Cancel, false},
        {"close box, no", closeBox, TSaveAnswer::No, true},
        {"window manager, cancel", windowManager, TSaveAnswer::Cancel, false},
        {"window manager, yes", windowManager, TSaveAnswer::Yes, true},
        {"log-out, cancel", [](TFrmQuillane& w) { return w.CommitData(true); }, TSaveAnswer::Cancel, false},
        // The session closes the window next, without asking again.
        {"log-out, no, then the session closes", [](TFrmQuillane& w) { return w.CommitData(true) && w.close(); },
         TSaveAnswer::No, true},
        {"log-out that may not ask", [](TFrmQuillane& w) { return w.CommitData(false); }, std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        Dialogs = TScriptedDialogs();
        StartWith(InitFileWith(""));
        ShowActive();
        ChkDefineUtils()->click();
        if (c.Answer) Dialogs.Answers.push_back(*c.Answer);
        EXPECT_EQ(c.Close(*Window), c.Closes);
        EXPECT_EQ(Dialogs.Questions, c.Answer ? 1 : 0);
        EXPECT_EQ(ReadFile(Install.InitFile()).contains("[DefineUtils]"), c.Answer == TSaveAnswer::Yes);
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, PendingTypingCountsForSaveAndExitByAnyRoute) {
    struct Case {
        const char* Name;
        const char* Field;
        std::function<void(FrmQuillaneTest&)> Invoke;
        bool Exit;
    };
    const std::vector<Case> cases = {
        {"save accelerator while typing the home directory", "EdtHome",
         [](FrmQuillaneTest&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier); }, false},
        {"save action while typing commands", "MemCommands", [](FrmQuillaneTest& t) { t.Window->ActSave()->trigger(); },
         false},
        {"exit accelerator while typing commands", "MemCommands",
         [](FrmQuillaneTest&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier); }, true},
        {"exit action while typing the home directory", "EdtHome",
         [](FrmQuillaneTest& t) { t.Window->ActExit()->trigger(); }, true},
        {"mouse on the exit button while typing commands", "MemCommands",
         [](FrmQuillaneTest& t) { QTest::mouseClick(t.Get<QPushButton>("BtnExit"), Qt::LeftButton); }, true},
        {"Enter on the save button after tabbing away", "EdtHome",
         [](FrmQuillaneTest& t) {
             t.BtnSave()->setFocus(Qt::TabFocusReason);
             QTest::keyClick(t.BtnSave(), Qt::Key_Return);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        Dialogs = TScriptedDialogs();
        StartWith(InitFileWith(""));
        ShowActive();
        if (!c.Exit) {
            // The save button is enabled by an earlier change.
            ChkDefineUtils()->click();
            RunUntilIdle();
        }
        QWidget* field = Get<QWidget>(c.Field);
        TypeInto(field, QStringLiteral("/typed"));
        ASSERT_EQ(QApplication::focusWidget(), field);
        if (c.Exit) Dialogs.Answers.push_back(TSaveAnswer::Yes);
        c.Invoke(*this);
        const QByteArray expected = std::string(c.Field) == "EdtHome" ? QByteArray("[HomeDirectory]/typed\r\n")
                                                                      : QByteArray("begin *)\r\n/typed\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(ReadFile(Install.InitFile()).contains(expected), 2000);
        EXPECT_EQ(Dialogs.Questions, c.Exit ? 1 : 0);
        EXPECT_FALSE(Window->Changed());
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, SaveWhileTypingAFileNameOffersTheLoadedFileFirst) {
    const QByteArray first = InitFileWith("");
    StartWith(first);
    ShowActive();
    ChkDefineUtils()->click();
    RunUntilIdle();
    const QString other = Install.File(QStringLiteral("other.m"));
    const QByteArray second = InitFileWith("[HomeDirectory]/other\r\n");
    WriteFile(other, second);
    TypeInto(EdtFileName(), other);
    Dialogs.Picks.push_back(QStringLiteral("いいえ(&N)"));
    QTest::keyClick(EdtFileName(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(EdtHome()->text(), QStringLiteral("/other"));
    QTest::qWait(200);  // the accelerator's animated click has ended
    EXPECT_EQ(Dialogs.Asked.size(), 1);
    EXPECT_FALSE(Window->Changed());
    EXPECT_EQ(ReadFile(Install.InitFile()), first);
    EXPECT_EQ(ReadFile(other), second);
    EXPECT_TRUE(Dialogs.Reports.isEmpty());
}

TEST_F(FrmQuillaneTest, ChangingTheFileAsksAboutUnsavedEdits) {
    struct Case {
        const char* Name;
        QByteArray Contents;  // empty: the file does not exist
        const char* Answer;   // "": no question
        bool ByButton;        // the file button instead of typing the name
        bool Switched;
        QString Home;
        bool DefineUtils;
        bool SavedFirst;
        bool ReadFailure;
    };
    const QString typed = QStringLiteral("/typed");
    const std::vector<Case> cases = {
        {"no: file with a home directory", InitFileWith("[HomeDirectory]/other\r\n[DefineUtils]\r\n"), "いいえ(&N)",
         false, true, QStringLiteral("/other"), true, false, false},
        {"no: file without a home directory", InitFileWith("[DefineUtils]\r\n"), "いいえ(&N)", false, true, typed, true,
         false, false},
        {"no: file without a section", "Print[2]\r\n", "いいえ(&N)", false, true, typed, false, false, false},
        {"no: missing file", QByteArray(), "いいえ(&N)", false, true, typed, false, false, true},
        {"yes: saved into the loaded file, then switched", InitFileWith("[HomeDirectory]/other\r\n"), "はい(&Y)", false,
         true, QStringLiteral("/other"), false, true, false},
        {"cancel: old name and edits kept", InitFileWith("[HomeDirectory]/other\r\n"), "キャンセル", false, false,
         typed, false, false, false},
        {"file button, yes", InitFileWith("[HomeDirectory]/other\r\n"), "はい(&Y)", true, true,
         QStringLiteral("/other"), false, true, false},
        {"file button, cancel", InitFileWith("[HomeDirectory]/other\r\n"), "キャンセル", true, false, typed, false,
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Registry = MemoryRegistry();
        Dialogs = TScriptedDialogs();
        StartWith(InitFileWith("[HomeDirectory]/home/ann\r\n"));
        ShowActive();
        TypeInto(EdtHome(), typed);
        LeaveField();
        ASSERT_TRUE(Window->Changed());
        const QString other = Install.File(QStringLiteral("other.m"));
        QFile::remove(other);
        if (!c.Contents.isEmpty()) WriteFile(other, c.Contents);
        Dialogs.Picks.push_back(QString::fromUtf8(c.Answer));
        if (c.ByButton) {
            Dialogs.Choice = other;
            QTest::mouseClick(Get<QPushButton>("BtnFile"), Qt::LeftButton);
        } else {
            TypeInto(EdtFileName(), other);
            LeaveField();
        }
        EXPECT_EQ(
            Dialogs.Asked,
            QStringList{QStringLiteral("内容が変更されています。ほかのﾌｧｲﾙを読み込む前に、変更を %1 に保存しますか？")
                            .arg(Install.InitFile())});
        EXPECT_EQ(EdtFileName()->text(), c.Switched ? other : Install.InitFile());
        EXPECT_EQ(EdtHome()->text(), c.Home);
        EXPECT_EQ(ChkDefineUtils()->isChecked(), c.DefineUtils);
        EXPECT_EQ(Window->Changed(), !c.Switched);
        EXPECT_EQ(ReadFile(Install.InitFile()).contains("[HomeDirectory]/typed\r\n"), c.SavedFirst);
        EXPECT_EQ(Dialogs.ReadFailures,
                  c.ReadFailure ? QStringList{other + QStringLiteral("\n") + ReadFailed} : QStringList());
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, ALeadingTildeInTheFileFieldIsTheHomeFolder) {
    StartWith(InitFileWith(""));
    ShowActive();
    WriteFile(Install.File(QStringLiteral("mine.m")), InitFileWith("[HomeDirectory]/mine\r\n"));
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", Install.Dir().toUtf8());
    TypeInto(EdtFileName(), QStringLiteral("~/mine.m"));
    LeaveField();
    qputenv("HOME", home);
    EXPECT_EQ(EdtFileName()->text(), QDir::toNativeSeparators(Install.File(QStringLiteral("mine.m"))));
    EXPECT_EQ(EdtHome()->text(), QStringLiteral("/mine"));
    EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
}

// Without an installation the per-user file is proposed; missing, it is made
// by the first save once the user agrees, holding the section only.
TEST_F(FrmQuillaneTest, AProposedFileThatDoesNotExistIsMadeByTheFirstSave) {
    const QString perUser = Install.File(QStringLiteral("home/.Wolfram/Kernel/init.m"));
    // A new file has no break of its own: the system's, LF here, is used.
    const QByteArray section = "(*--- This section is added by Quillane ---*)\n(*\n[DefineUtils]\n*)\n";
    for (const char* answer : {"キャンセル", "作成して書き込む(&C)"}) {
        SCOPED_TRACE(answer);
        Dialogs = TScriptedDialogs();
        Environment.UserDataFolder = Install.File(QStringLiteral("home")).toStdString();
        Create();
        EXPECT_EQ(EdtFileName()->text(), perUser);
        EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
        EXPECT_FALSE(Window->Changed());
        ChkDefineUtils()->click();
        Dialogs.Picks.push_back(QString::fromUtf8(answer));
        Window->ActSaveExecute();
        EXPECT_EQ(
            Dialogs.Asked,
            QStringList{QStringLiteral("設定ﾌｧｲﾙ %1 はまだありません。ﾌｧｲﾙと、必要なﾌｫﾙﾀﾞを作成して書き込みますか？")
                            .arg(perUser)});
        const bool made = std::string(answer) != "キャンセル";
        EXPECT_EQ(QFileInfo::exists(Install.File(QStringLiteral("home/.Wolfram"))), made);
        if (made) {
            EXPECT_TRUE(ReadFile(perUser).startsWith(section)) << ReadFile(perUser).constData();
            EXPECT_TRUE(ReadFile(perUser).endsWith("(*--- End of section added by Quillane ---*)\n"));
        }
        EXPECT_EQ(Window->Changed(), !made);
        Window.reset();
    }
}

TEST_F(FrmQuillaneTest, TheChooserOffersEveryInitFileOfTheMachine) {
    Environment.UserDataFolder = Install.File(QStringLiteral("home")).toStdString();
    StartWith(InitFileWith("[HomeDirectory]/inst\r\n"));
    ShowActive();
    const QString perUser = Install.File(QStringLiteral("home/.Wolfram/Kernel/init.m"));
    Dialogs.Pick = 0;
    EdtFileName()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(EdtFileName(), Qt::Key_F4);
    ASSERT_EQ(Dialogs.Offered.size(), 3);  // per-user, then the installations, newest first
    EXPECT_EQ(Dialogs.Offered.at(0).Text, QStringLiteral("このﾕｰｻﾞｰ用 [未作成・作成可]  ") + perUser);
    EXPECT_TRUE(Dialogs.Offered.at(0).Enabled);
    EXPECT_TRUE(Dialogs.Offered.at(1).Text.startsWith(QStringLiteral("ｲﾝｽﾄｰﾙ先 ")));
    EXPECT_TRUE(Dialogs.Offered.at(1).Text.endsWith(QStringLiteral("5.0 [書き込み可]  ") + Install.InitFile()))
        << Dialogs.Offered.at(1).Text.toStdString();
    // Taken at once; nothing to read yet, and the settings carry over.
    EXPECT_EQ(EdtFileName()->text(), perUser);
    EXPECT_EQ(EdtHome()->text(), QStringLiteral("/inst"));
    EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
    EXPECT_FALSE(Window->Changed());
    // The file dialog has the folders that exist in its sidebar.
    QTest::mouseClick(Get<QPushButton>("BtnFile"), Qt::LeftButton);
    EXPECT_EQ(Dialogs.Places, QStringList{QFileInfo(Install.InitFile()).absolutePath()});
}

// As seen by a user who may not write the installation's file.
TEST_F(FrmQuillaneTest, AFileThisUserCannotWriteIsSaidAtLoadAndTheSaveSaysWhy) {
    Environment.UserDataFolder = Install.File(QStringLiteral("home")).toStdString();
    const QString readOnly = Install.InitFile();
    const QString folder = Install.File(QStringLiteral("folder.m"));  // a folder: the save fails even for root
    QDir().mkpath(folder);
    Probe = [&](const std::string& path) {
        InitFileAccess access = ProbeInitFile(path);
        if (QString::fromStdString(path) == readOnly || QString::fromStdString(path) == folder) access.Writable = false;
        return access;
    };
    const QString notice = QStringLiteral(
        "設定ﾌｧｲﾙ %1 には、このﾕｰｻﾞｰは書き込めません (書き込みの権限がありません)。\n"
        "このﾕｰｻﾞｰ用の設定ﾌｧｲﾙ %2 を使いますか？ (まだなければ、最初の書き込みで作成します)");
    const QString perUser = Install.File(QStringLiteral("home/.Wolfram/Kernel/init.m"));
    Dialogs.Picks.push_back(QStringLiteral("ﾕｰｻﾞｰ用を使う(&U)"));
    StartWith(InitFileWith("[HomeDirectory]/inst\r\n"));
    EXPECT_EQ(Dialogs.Asked, QStringList{notice.arg(readOnly, perUser)});
    EXPECT_EQ(EdtFileName()->text(), perUser);
    EXPECT_EQ(EdtHome()->text(), QStringLiteral("/inst"));
    Window.reset();

    Dialogs = TScriptedDialogs();
    Dialogs.Picks.push_back(QStringLiteral("このまま(&K)"));
    Named = folder;
    Create();
    EXPECT_EQ(EdtFileName()->text(), folder);
    ChkDefineUtils()->click();
    Window->ActSaveExecute();
    ASSERT_EQ(Dialogs.Reports.size(), 1);
    EXPECT_TRUE(Dialogs.Reports.front().contains(
        QStringLiteral("\nこのﾕｰｻﾞｰには、このﾌｧｲﾙに書き込む権限がありません。設定ﾌｧｲﾙ欄の ▼ (F4) から")))
        << Dialogs.Reports.front().toStdString();
}

TEST_F(FrmQuillaneTest, FileButtonReloadsTheChosenFileAndCancelChangesNothing) {
    StartWith(InitFileWith("[HomeDirectory]/home/ann\r\n"));
    ShowActive();
    TypeInto(EdtHome(), QStringLiteral("/typed"));
    LeaveField();

    QTest::mouseClick(Get<QPushButton>("BtnFile"), Qt::LeftButton);  // cancelled
    EXPECT_EQ(Dialogs.Presets, QStringList{Install.InitFile()});
    EXPECT_EQ(EdtFileName()->text(), Install.InitFile());
    EXPECT_EQ(EdtHome()->text(), QStringLiteral("/typed"));
    EXPECT_TRUE(Window->Changed());
    EXPECT_TRUE(Dialogs.Asked.isEmpty());

    const QString other = Install.File(QStringLiteral("package.m"));
    WriteFile(other, InitFileWith("[HomeDirectory]/from/package\r\n", "Get[x]\r\n"));
    Dialogs.Choice = other;
    Dialogs.Picks.push_back(QStringLiteral("いいえ(&N)"));
    QTest::mouseClick(Get<QPushButton>("BtnFile"), Qt::LeftButton);
    EXPECT_EQ(EdtFileName()->text(), other);
    EXPECT_EQ(EdtHome()->text(), QStringLiteral("/from/package"));
    EXPECT_EQ(MemCommands()->toPlainText(), QStringLiteral("Get[x]\n"));
    EXPECT_FALSE(Window->Changed());
    EXPECT_TRUE(Dialogs.ReadFailures.isEmpty());
}

TEST_F(FrmQuillaneTest, OpenAsTextOpensTheFileAsStoredWithoutSaving) {
    const QByteArray before = InitFileWith("[HomeDirectory]/home/ann\r\n");
    StartWith(before);
    ShowActive();
    TypeInto(EdtHome(), QStringLiteral("/typed"));
    QTest::mouseClick(Get<QPushButton>("BtnOpenInitm"), Qt::LeftButton);
    ASSERT_EQ(Launcher.Opened.size(), 1u);
    EXPECT_EQ(QString::fromStdString(Launcher.Opened.front()), Install.InitFile());
    EXPECT_EQ(ReadFile(Install.InitFile()), before);
    EXPECT_TRUE(Window->Changed());  // the edit is kept, not saved
}

TEST_F(FrmQuillaneTest, ExceptionFromAHandlerReachesTheFailureReport) {
    StartWith(InitFileWith(""));
    Launcher.Action = [] { throw std::runtime_error("launch went wrong"); };
    Window->ActOpenAsText()->trigger();
    Launcher.Action = [] { throw 42; };
    Window->ActOpenAsText()->trigger();
    EXPECT_EQ(Dialogs.Reports,
              (QStringList{QStringLiteral("launch went wrong."), QStringLiteral("予期しないエラーが発生しました.")}));
}

TEST_F(FrmQuillaneTest, UndecodableSectionIsReportedAndChangesNoField) {
    StartWith(InitFileWith("[HomeDirectory]/bad\xFF\r\n[DefineUtils]\r\n", "A\r\n"));
    EXPECT_EQ(Dialogs.Reports.size(), 1);
    EXPECT_EQ(EdtHome()->text(), NotSet);
    EXPECT_EQ(MemCommands()->toPlainText(), NotSet);
    EXPECT_FALSE(ChkDefineUtils()->isChecked());
}

TEST_F(FrmQuillaneTest, WindowIsFixedSizeWithMinimiseOnly) {
    Create();
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillane Ver 0.13"));
    EXPECT_EQ(Window->size(), QSize(570, 407));
    EXPECT_EQ(Window->minimumSize(), QSize(570, 407));
    EXPECT_EQ(Window->maximumSize(), QSize(570, 407));
    const Qt::WindowFlags flags = Window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    ShowActive();
    const QRect available = Window->screen()->availableGeometry();
    EXPECT_LE((Window->frameGeometry().center() - available.center()).manhattanLength(), 1);
    Window->showMinimized();
    QTRY_VERIFY(Window->isMinimized());
}

// Where the design puts each control, and its text in either language.
struct DesignedControl {
    const char* Name;
    const char* Parent;
    QRect Geometry;
    QString Text;
    QString English = QString();  // under the English interface; none: the same
};

std::vector<DesignedControl> DesignedControls() {
    // A row a control, as the design lists them.
    // clang-format off
    return {
        {"GbDirectory", "FrmQuillane", {8, 8, 553, 249}, QStringLiteral("基本設定"),
         QStringLiteral("Basic settings")},
        {"Label2", "GbDirectory", {16, 24, 345, 17},
         QStringLiteral("ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘ( $HomeDirectory に設定されます)(&H)："),
         QStringLiteral("&Home directory (set as $HomeDirectory):")},
        {"EdtHome", "GbDirectory", {16, 40, 457, 20}, NotSet},
        {"BtnHome", "GbDirectory", {480, 38, 65, 25}, QStringLiteral("参照(&R)"),
         QStringLiteral("B&rowse")},
        {"ChkDefineUtils", "GbDirectory", {16, 72, 265, 17},
         QStringLiteral("MoveToNotebookDirectory関数を定義する(&D)"),
         QStringLiteral("&Define MoveToNotebookDirectory[]")},
        {"MemCommands", "GbDirectory", {16, 136, 265, 97}, NotSet},
        {"Memo1", "GbDirectory", {288, 152, 257, 57},
         QStringLiteral("<<Graphics`PlotField3D` (* ﾊﾟｯｹｰｼﾞ読込 *)\n"
                        "Off[General::spell]     (* ｽﾍﾟﾙ警告抑制 *)\n"
                        "Pi2 = Pi ^ 2;           (* 定数の定義 *)"),
         QStringLiteral("<<Graphics`PlotField3D` (* load package *)\n"
                        "Off[General::spell]     (* spelling off *)\n"
                        "Pi2 = Pi ^ 2;           (* a constant *)")},
        {"Memo2", "GbDirectory", {288, 72, 257, 41},
         QStringLiteral("MoveToNotebookDirectory[] 関数は\n"
                        "最後にﾉｰﾄﾌﾞｯｸﾌｧｲﾙを保存したﾃﾞｨﾚｸﾄﾘを\n"
                        "ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘにします。"),
         QStringLiteral("MoveToNotebookDirectory[] makes the\n"
                        "folder of the notebook saved last the\n"
                        "current directory.")},
        {"Label4", "GbDirectory", {16, 120, 217, 17}, QStringLiteral("起動時に実行したいｺﾏﾝﾄﾞ(&E)："),
         QStringLiteral("Commands to &execute at start-up:")},
        {"Label1", "GbDirectory", {288, 136, 217, 17}, QStringLiteral("【ｺﾏﾝﾄﾞの例】"),
         QStringLiteral("Examples:")},
        {"GbInitm", "FrmQuillane", {8, 272, 553, 81}, QStringLiteral("設定ﾌｧｲﾙ指定"),
         QStringLiteral("Settings file")},
        {"Label3", "GbInitm", {16, 24, 457, 17}, QStringLiteral("書き換える設定ﾌｧｲﾙ(通常は init.m です) (&I)；"),
         QStringLiteral("Settings file to rewrite (usually &init.m):")},
        {"EdtFileName", "GbInitm", {16, 45, 457, 20}, QString()},
        {"BtnFile", "GbInitm", {480, 43, 65, 25}, QStringLiteral("参照(&F)"),
         QStringLiteral("Bro&wse")},
        {"BtnOpenInitm", "FrmQuillane", {208, 368, 129, 25}, QStringLiteral("設定ﾌｧｲﾙを開く(&M)"),
         QStringLiteral("&Open as text")},
        {"BtnSave", "FrmQuillane", {352, 368, 91, 25}, QStringLiteral("書き込み(&S)"),
         QStringLiteral("&Save")},
        {"BtnExit", "FrmQuillane", {456, 368, 97, 25}, QStringLiteral("終了(&X)"),
         QStringLiteral("E&xit")},
    };
    // clang-format on
}

// The caption or text a control shows.
QString ShownText(QWidget* widget) {
    if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) return memo->toPlainText();
    if (auto* memo = qobject_cast<QTextEdit*>(widget)) return memo->toPlainText();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return QString();
}

TEST_P(FrmQuillaneLanguageTest, ControlsStandWhereTheDesignPutsThem) {
    Create();
    for (const DesignedControl& c : DesignedControls()) {
        SCOPED_TRACE(c.Name);
        QWidget* widget = Get<QWidget>(c.Name);
        if (!widget) continue;
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(c.Parent));
        EXPECT_EQ(widget->geometry(), c.Geometry);
        const QString text = ShownText(widget);
        EXPECT_EQ(text, English() && !c.English.isNull() ? c.English : c.Text);
        EXPECT_TRUE(widget->isVisibleTo(Window.get()));
        // Every caption fits its fixed size (the example memos: below).
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QCheckBox*>(widget))
            EXPECT_LE(widget->sizeHint().width(), widget->width());
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            const int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
            const int used = button->iconSize().width() + 4 +  // Qt's gap between glyph and text
                             button->fontMetrics().horizontalAdvance(QString(text).remove(u'&'));
            EXPECT_LE(used, room);
        }
    }
}

TEST_F(FrmQuillaneTest, FontsShowJapaneseAtTwelvePixels) {
    Create();
    const char* const names[] = {"FrmQuillane", "Label2", "EdtHome", "MemCommands", "Memo1", "Memo2", "BtnSave"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        QWidget* widget = std::string(name) == "FrmQuillane" ? Window.get() : Get<QWidget>(name);
        EXPECT_EQ(widget->font().pixelSize(), 12);
        EXPECT_TRUE(QRawFont::fromFont(widget->font()).supportsCharacter(QChar(u'設')))
            << QFontInfo(widget->font()).family().toStdString();
    }
    EXPECT_NE(QFontInfo(Get<QWidget>("Memo1")->font()).family(), QFontInfo(Window->font()).family());
}

// Each design font names one installed face, the one that is drawn; only a
// stand-in for the design faces is condensed.
TEST_F(FrmQuillaneTest, FontsNameTheInstalledFaceTheyDraw) {
    struct Case {
        const char* Widget;
        QStringList DesignFaces;
    };
    const std::vector<Case> cases = {
        {"FrmQuillane", {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")}},
        {"Memo1", {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")}},
        {"Memo2", {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")}},
    };
    // How wide each stand-in is drawn: the IPA faces share the design
    // faces' widths (the proportional one runs a little wider in Latin
    // text), the others are wider still.
    const auto expectedStretch = [](const QStringList& design, const QString& face) {
        if (design.contains(face, Qt::CaseInsensitive) || face == QStringLiteral("IPAGothic") ||
            face == QStringLiteral("TakaoGothic"))
            return 100;
        return face == QStringLiteral("IPAPGothic") || face == QStringLiteral("TakaoPGothic") ? 95 : 90;
    };
    Create();
    const QStringList installed = QFontDatabase::families();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Widget);
        const QFont font = std::string(c.Widget) == "FrmQuillane" ? Window->font() : Get<QWidget>(c.Widget)->font();
        ASSERT_EQ(font.families().size(), 1) << font.families().join(u',').toStdString();
        const QString face = font.families().constFirst();
        EXPECT_TRUE(installed.contains(face, Qt::CaseInsensitive)) << face.toStdString();
        EXPECT_EQ(QFontInfo(font).family().compare(face, Qt::CaseInsensitive), 0)
            << QFontInfo(font).family().toStdString() << " drawn for " << face.toStdString();
        EXPECT_EQ(font.stretch(), expectedStretch(c.DesignFaces, face)) << face.toStdString();
        EXPECT_EQ(font.pixelSize(), 12);
        // Stand-ins are drawn unhinted; the design faces as the system draws
        // them.
        EXPECT_EQ(font.hintingPreference(), c.DesignFaces.contains(face, Qt::CaseInsensitive)
                                                ? QFont::PreferDefaultHinting
                                                : QFont::PreferNoHinting);
    }
}

TEST_F(FrmQuillaneTest, AStandInFaceBecomesEveryWindowsFont) {
    const QFont before = QApplication::font();
    UseDesignFontEverywhere();
    const QFont now = QApplication::font();
    QApplication::setFont(before);
    const QString face = WindowFont().families().value(0);
    if (face == QStringLiteral("ＭＳ Ｐゴシック") || face == QStringLiteral("MS PGothic"))
        EXPECT_EQ(now, before);
    else
        EXPECT_EQ(now, WindowFont());
}

TEST_F(FrmQuillaneTest, GroupFramesAreEtchedLines) {
    Create();
    ShowActive();
    for (const char* name : {"GbDirectory", "GbInitm"}) {
        SCOPED_TRACE(name);
        auto* box = Get<QGroupBox>(name);
        const QImage image = box->grab().toImage();
        const int y = image.height() / 2;
        const QRgb mid = box->palette().color(QPalette::Mid).rgb();
        const QRgb light = box->palette().color(QPalette::Light).rgb();
        EXPECT_EQ(image.pixel(0, y), mid);
        EXPECT_EQ(image.pixel(1, y), light);
        EXPECT_EQ(image.pixel(image.width() - 2, y), mid);
        EXPECT_EQ(image.pixel(image.width() - 1, y), light);
    }
}

TEST_F(FrmQuillaneTest, TabVisitsTheControlsInOrderAndSkipsTheExampleMemos) {
    StartWith(InitFileWith(""));
    ShowActive();
    EdtHome()->setFocus(Qt::TabFocusReason);
    // The save button is disabled right after start-up, so Tab passes it.
    const QStringList expected = {"BtnHome", "ChkDefineUtils", "MemCommands", "EdtFileName",
                                  "BtnFile", "BtnOpenInitm",   "BtnExit",     "EdtHome"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(FrmQuillaneTest, ExampleMemosCannotBeEdited) {
    Create();
    ShowActive();
    for (const char* name : {"Memo1", "Memo2"}) {
        SCOPED_TRACE(name);
        auto* memo = Get<QTextEdit>(name);
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_FALSE(memo->focusPolicy() & Qt::TabFocus);
        const QString before = memo->toPlainText();
        memo->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(memo, QStringLiteral("xyz"));
        QTest::keyClick(memo, Qt::Key_Delete);
        EXPECT_EQ(memo->toPlainText(), before);
    }
}

// The example memos show all their lines inside the design size, on the
// button face like the file-name field.
TEST_P(FrmQuillaneLanguageTest, ExampleMemosShowEveryLineOnTheButtonFace) {
    Create();
    ShowActive();
    for (const char* name : {"Memo1", "Memo2", "EdtFileName"}) {
        SCOPED_TRACE(name);
        auto* field = Get<QWidget>(name);
        EXPECT_EQ(field->palette().color(QPalette::Base), field->palette().color(QPalette::Button));
        auto* memo = qobject_cast<QTextEdit*>(field);
        if (!memo) continue;
        EXPECT_EQ(memo->document()->blockCount(), 3);
        EXPECT_FALSE(memo->document()->isModified());
        const QSizeF size = memo->document()->documentLayout()->documentSize();
        EXPECT_LE(size.height(), memo->viewport()->height());
        EXPECT_LE(size.width(), memo->viewport()->width());
        for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
            EXPECT_EQ(block.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
    }
}

TEST_P(FrmQuillaneLanguageTest, AcceleratorsReachTheirControlsAndNeverClash) {
    StartWith(InitFileWith(""));
    ShowActive();
    struct Case {
        Qt::Key Key;
        const char* Focused;  // where the focus goes; "": it stays
    };
    const Case cases[] = {
        {Qt::Key_E, "MemCommands"}, {Qt::Key_H, "EdtHome"}, {Qt::Key_I, "EdtFileName"}, {Qt::Key_D, "ChkDefineUtils"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.Key).toString().toStdString());
        QWidget* before = Get<QWidget>("BtnExit");
        before->setFocus(Qt::TabFocusReason);
        QTest::keyClick(before, c.Key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), *c.Focused ? Get<QWidget>(c.Focused) : before);
    }
    QTRY_VERIFY(ChkDefineUtils()->isChecked());
    QTest::keyClick(QApplication::focusWidget(), English() ? Qt::Key_W : Qt::Key_F, Qt::AltModifier);  // file button
    QTRY_COMPARE(Dialogs.Presets.size(), 1);

    // One letter for one control: labels, buttons, the check box, actions.
    QStringList texts;
    for (QLabel* label : Window->findChildren<QLabel*>()) texts << label->text();
    for (QAbstractButton* button : Window->findChildren<QAbstractButton*>()) texts << button->text();
    QStringList letters;
    for (const QString& text : texts) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(text);
        if (!mnemonic.isEmpty()) letters << mnemonic.toString();
    }
    letters.sort();
    EXPECT_EQ(letters.join(u' '), English() ? QStringLiteral("Alt+D Alt+E Alt+H Alt+I Alt+O Alt+R Alt+S Alt+W Alt+X")
                                            : QStringLiteral("Alt+D Alt+E Alt+F Alt+H Alt+I Alt+M Alt+R Alt+S Alt+X"));
}

TEST_P(FrmQuillaneLanguageTest, EveryControlHasAnAccessibleNameThatSaysWhatItIs) {
    const std::map<QString, std::pair<QString, QString>> names = {
        // Japanese, English
        {"GbDirectory", {"基本設定", "Basic settings"}},
        {"EdtHome", {"ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘ", "Home directory"}},
        {"BtnHome", {"ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘを参照", "Browse for the home directory"}},
        {"ChkDefineUtils", {"MoveToNotebookDirectory関数を定義する", "Define MoveToNotebookDirectory[]"}},
        {"MemCommands", {"起動時に実行したいｺﾏﾝﾄﾞ", "Commands to execute at start-up"}},
        {"Memo1", {"ｺﾏﾝﾄﾞの例", "Examples of commands"}},
        {"Memo2", {"MoveToNotebookDirectory関数の説明", "What MoveToNotebookDirectory[] does"}},
        {"GbInitm", {"設定ﾌｧｲﾙ指定", "Settings file"}},
        {"EdtFileName", {"書き換える設定ﾌｧｲﾙ", "Settings file to rewrite"}},
        {"BtnFile", {"書き換える設定ﾌｧｲﾙを参照", "Browse for the settings file"}},
        {"BtnOpenInitm", {"設定ﾌｧｲﾙを開く", "Open the settings file as text"}},
        {"BtnSave", {"書き込み", "Save"}},
        {"BtnExit", {"終了", "Exit"}},
    };
    Create();
    ShowActive();
    int controls = 0;
    for (QWidget* widget : Window->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")) ||
            qobject_cast<QLabel*>(widget))
            continue;  // the parts of a control, and labels, which read as their text
        ++controls;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr) << widget->objectName().toStdString();
        const auto it = names.find(widget->objectName());
        EXPECT_NE(it, names.end()) << widget->objectName().toStdString() << " has no name in this table";
        if (it != names.end())
            EXPECT_EQ(accessible->text(QAccessible::Name), English() ? it->second.second : it->second.first)
                << widget->objectName().toStdString();
    }
    EXPECT_EQ(controls, static_cast<int>(names.size()));
}

TEST_F(FrmQuillaneTest, ButtonsShowSixteenPixelGlyphs) {
    Create();
    for (const char* name : {"BtnHome", "BtnFile", "BtnOpenInitm", "BtnSave", "BtnExit"}) {
        SCOPED_TRACE(name);
        auto* button = Get<QPushButton>(name);
        EXPECT_EQ(button->iconSize(), QSize(16, 16));
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->icon().pixmap(16, 16).size(), QSize(16, 16));
    }
    EXPECT_EQ(Window->ActSave()->icon().cacheKey(), BtnSave()->icon().cacheKey());
}

}  // namespace

// ---------------------------------------------------------------------------
// Home folder selection: BtnHome runs BrowseDlg over the real file system.

class HomeFolderTest : public FrmQuillaneTest {
public:
    QTemporaryDir Folders;
    std::unique_ptr<BrowseUnitScope> Unit;
    QByteArray Original;

    void SetUp() override {
        ASSERT_TRUE(Folders.isValid());
        for (const char* name : {"alpha", "beta", "line\nbreak"})
            ASSERT_TRUE(QDir(Folders.path()).mkdir(QString::fromUtf8(name)));
        // Only the root file system under the computer, whatever is mounted.
        WriteFile(Folders.filePath(QStringLiteral("mounts")), "/dev/sda1 / ext4 rw 0 0\n");
        shell::PosixShellOptions options;
        options.home = Folders.path().toStdString();
        options.desktop = Folders.filePath(QStringLiteral("no-desktop")).toStdString();
        options.mountsFile = Folders.filePath(QStringLiteral("mounts")).toStdString();
        Unit = std::make_unique<BrowseUnitScope>(shell::CreatePosixShellPlatform(options));
    }

    void TearDown() override {
        FrmQuillaneTest::TearDown();
        // Folder windows released through the event loop go before the unit.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Unit.reset();
    }

    QString Folder(const QString& relative) const { return Folders.path() + u'/' + relative; }

    // Start-up with `home` in the section (none: no home directory line).
    void StartWithHome(const std::optional<QString>& home) {
        const QByteArray header = home ? "[HomeDirectory]" + home->toUtf8() + "\r\n" : QByteArray();
        Original = InitFileWith(header, "A\r\n");
        StartWith(Original);
        ASSERT_EQ(EdtHome()->text(), home.value_or(NotSet));
    }

    // Presses BtnHome as a user does; `script` runs in the folder window.
    void Browse(std::function<void(TBrowseDlgForm&)> script) {
        WhenBrowsing(Window->BrowseDlg(), std::move(script));
        QTest::mouseClick(Get<QPushButton>("BtnHome"), Qt::LeftButton);
        EXPECT_EQ(Window->BrowseDlg().Form(), nullptr);
    }
};

TEST_F(HomeFolderTest, DesignValuesLoadedFromTheStoredForm) {
    for (const QLocale::Language language : InterfaceLanguages) {
        SCOPED_TRACE(QLocale::languageToString(language).toStdString());
        const TInterfaceLanguage shown(language);
        StartWithHome(std::nullopt);
        const TBrowseDlg& dlg = Window->BrowseDlg();
        EXPECT_EQ(dlg.objectName(), QStringLiteral("BrowseDlg"));
        EXPECT_EQ(dlg.parent(), Window.get());

        std::map<QString, QVariant> design = {
            {QStringLiteral("Caption"), QStringLiteral("フォルダの参照")},
            {QStringLiteral("Text1"), QStringLiteral("$HomeDirectoryを選んでください")},
            {QStringLiteral("SpecialRoot"), QVariant::fromValue(shell::sfMyComputer)},
            {QStringLiteral("CustomEditType"), QVariant::fromValue(ceComboBox)},
            {QStringLiteral("OKBtnCaption"), QStringLiteral("&OK")},
            {QStringLiteral("CancelBtnCaption"), QStringLiteral("キャンセル(&C)")},
            {QStringLiteral("CustomBtnCaption"), QStringLiteral("カスタム(&U)")},
        };
        if (language == QLocale::English)
            for (const auto& [name, text] : {std::pair{"Caption", "Browse for Folder"},
                                             {"Text1", "Choose the folder for $HomeDirectory"},
                                             {"CancelBtnCaption", "&Cancel"},
                                             {"CustomBtnCaption", "C&ustom"}})
                design[QString::fromLatin1(name)] = QString::fromLatin1(text);
        // Every other property keeps the component's default.
        const TBrowseDlg defaults;
        const QMetaObject* meta = dlg.metaObject();
        int checked = 0;
        for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            const QString name = QString::fromLatin1(property.name());
            const auto it = design.find(name);
            const QVariant expected = it != design.end() ? it->second : property.read(&defaults);
            EXPECT_EQ(property.read(&dlg), expected) << name.toStdString();
            checked += it != design.end();
        }
        EXPECT_EQ(checked, static_cast<int>(design.size()));

        const struct {
            const char* Event;
            bool Bound;
            const char* Handler;
        } events[] = {
            {"OnShow", static_cast<bool>(dlg.OnShow), "BrowseDlgShow"},
            {"OnChange", static_cast<bool>(dlg.OnChange), ""},
            {"OnCustomBtnClick", static_cast<bool>(dlg.OnCustomBtnClick), ""},
            {"OnCustomEditChange", static_cast<bool>(dlg.OnCustomEditChange), ""},
            {"OnOKBtnClick", static_cast<bool>(dlg.OnOKBtnClick), "BrowseDlgOKBtnClick"},
            {"OnCancelBtnClick", static_cast<bool>(dlg.OnCancelBtnClick), ""},
            {"OnAddHistrory", static_cast<bool>(dlg.OnAddHistrory), ""},
        };
        for (const auto& e : events) {
            EXPECT_EQ(dlg.HandlerName(QString::fromLatin1(e.Event)), QString::fromUtf8(e.Handler)) << e.Event;
            EXPECT_EQ(e.Bound, *e.Handler != '\0') << e.Event;
        }
        EXPECT_TRUE(Dialogs.Reports.isEmpty());
    }
}

// The shipped resource says exactly what the component stores for these
// values, so nothing in it is ignored or left to chance.
TEST_F(HomeFolderTest, StoredFormResourceIsWhatTheComponentStores) {
    StartWithHome(std::nullopt);
    QFile resource(QString::fromLatin1(BrowseDlgFormResource));
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    QString lines;
    for (const QString& line : QString::fromUtf8(resource.readAll()).split(u'\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith(u'#')) lines += line + u'\n';
    EXPECT_EQ(SaveBrowseDlgForm(Window->BrowseDlg()), lines);
}

struct HomeCase {
    const char* Name;
    std::optional<const char*> Start;  // home in the section, below the folders; none: not set
    const char* Shown;                 // selected when the window shows ("": nothing with a path)
    std::function<void(TBrowseDlgForm&)> Script;
    std::optional<const char*> Home;  // EdtHome afterwards, below the folders; none: "(未設定)"
    bool Changed;
};

TEST_F(HomeFolderTest, BrowseButtonTakesTheConfirmedFolderOnly) {
    auto ok = [](TBrowseDlgForm& f) { QTest::mouseClick(f.OKBtn(), Qt::LeftButton); };
    auto down = [](TBrowseDlgForm& f) { QTest::keyClick(f.TreeView(), Qt::Key_Down); };
    auto type = [this](const char* relative) {
        return [this, relative](TBrowseDlgForm& f) {
            quillane::test::TypeInto(f.ComboBox(), *relative ? Folder(QString::fromUtf8(relative)) : QString());
        };
    };
    using Script = std::function<void(TBrowseDlgForm&)>;
    auto then = [](Script a, Script b) {
        return [a, b](TBrowseDlgForm& f) {
            a(f);
            b(f);
        };
    };

    const HomeCase cases[] = {
        {"next folder in the tree, OK", "alpha", "alpha", then(down, ok), "beta", true},
        {"the folder already set, OK", "alpha", "alpha", ok, "alpha", true},
        {"Cancel after moving", "alpha", "alpha",
         then(down, [](TBrowseDlgForm& f) { QTest::mouseClick(f.CancelBtn(), Qt::LeftButton); }), "alpha", false},
        {"Esc after moving", "alpha", "alpha",
         then(down, [](TBrowseDlgForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }), "alpha", false},
        {"close box after moving", "alpha", "alpha", then(down, [](TBrowseDlgForm& f) { f.close(); }), "alpha", false},
        {"emptied edit, OK", "alpha", "alpha", then(type(""), ok), std::nullopt, true},
        {"missing home opens at its nearest folder", "alpha/gone/deeper", "alpha", ok, "alpha", true},
        {"Alt+letters in the folder edit type nothing", "alpha", "alpha",
         then(
             [](TBrowseDlgForm& f) {
                 f.ComboBox()->setFocus();
                 QTest::keyClick(f.ComboBox(), Qt::Key_Q, Qt::AltModifier);
                 QTest::keyClick(f.ComboBox(), Qt::Key_S, Qt::AltModifier | Qt::ShiftModifier);
             },
             ok),
         "alpha", true},
        {"typed new folder below the selected one stays", "alpha", "alpha", then(type("alpha/new"), ok), "alpha/new",
         true},
        {"typed path below another folder moves there", "alpha", "alpha", then(type("beta/new"), ok), "beta", true},
        {"not set: opens without a folder, typed path taken", std::nullopt, "", then(type("beta"), ok), "beta", true},
        {"not set: Cancel keeps it", std::nullopt, "",
         [](TBrowseDlgForm& f) { QTest::mouseClick(f.CancelBtn(), Qt::LeftButton); }, std::nullopt, false},
    };
    for (const HomeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Window.reset();
        Dialogs = TScriptedDialogs();
        StartWithHome(c.Start ? std::optional<QString>(Folder(QString::fromUtf8(*c.Start))) : std::nullopt);
        if (::testing::Test::HasFatalFailure()) return;
        QString shown = QStringLiteral("<not shown>");
        Browse([&](TBrowseDlgForm& f) {
            shown = Window->BrowseDlg().SelectedPath();
            c.Script(f);
        });
        EXPECT_EQ(shown, *c.Shown ? Folder(QString::fromUtf8(c.Shown)) : QString());
        EXPECT_EQ(EdtHome()->text(), c.Home ? Folder(QString::fromUtf8(*c.Home)) : NotSet);
        EXPECT_FALSE(EdtHome()->isModified());
        EXPECT_EQ(Window->Changed(), c.Changed);
        RunUntilIdle();
        EXPECT_EQ(BtnSave()->isEnabled(), c.Changed);
        EXPECT_TRUE(Dialogs.Reports.isEmpty()) << Dialogs.Reports.join(u'|').toStdString();
        EXPECT_EQ(ReadFile(Install.InitFile()), Original);  // nothing is saved by choosing
    }
}

TEST_F(HomeFolderTest, ChosenFolderIsSavedAndOffersItselfNextTime) {
    StartWithHome(Folder(QStringLiteral("alpha")));
    Browse([](TBrowseDlgForm& f) {
        QTest::keyClick(f.TreeView(), Qt::Key_Down);
        QTest::keyClick(f.TreeView(), Qt::Key_Return);  // Enter is OK
    });
    Window->ActSaveExecute();
    EXPECT_FALSE(Window->Changed());
    EXPECT_EQ(ReadFile(Install.InitFile()),
              "(* user line above *)\r\n"
              "(*--- This section is added by Quillane ---*)\r\n"
              "(*\r\n[HomeDirectory]" +
                  Folder(QStringLiteral("beta")).toUtf8() +
                  "\r\n*)\r\n"
                  "\r\n$Path = DeleteCases[$Path, $HomeDirectory]\r\nUnprotect[$HomeDirectory]\r\n"
                  "$HomeDirectory = \"" +
                  Folder(QStringLiteral("beta")).toUtf8() +
                  "\"\r\n"
                  "Protect[$HomeDirectory]\r\nAppendTo[$Path, $HomeDirectory]\r\nSetDirectory[$HomeDirectory]\r\n\r\n"
                  "(* Quillane commands begin *)\r\nA\r\n\r\n(* Quillane commands end *)\r\n\r\n"
                  "(*--- End of section added by Quillane ---*)\r\n"
                  "Print[\"user line below\"]\r\n");

    // The component lives with the window: its history offers the folder
    // in the next run, which opens at the new home directory.
    QStringList offered;
    QString shown;
    Browse([&](TBrowseDlgForm& f) {
        for (int i = 0; i < f.ComboBox()->count(); ++i) offered << f.ComboBox()->itemText(i);
        shown = f.ComboBox()->currentText();
        f.CancelBtn()->click();
    });
    EXPECT_EQ(offered, QStringList{Folder(QStringLiteral("beta"))});
    EXPECT_EQ(shown, Folder(QStringLiteral("beta")));
    EXPECT_FALSE(Window->Changed());
}

TEST_F(HomeFolderTest, ShowHandlerSelectsTheHomeFieldAndLeavesTheOKStateAlone) {
    StartWithHome(Folder(QStringLiteral("alpha")));
    Browse([this](TBrowseDlgForm& f) {
        EXPECT_TRUE(f.OKBtn()->isEnabled());
        EdtHome()->setText(Folder(QStringLiteral("beta")));
        for (TBrowseOKState state : {okNoChange, okEnable, okDisable}) {
            TBrowseOKState passed = state;
            Window->BrowseDlgShow(&Window->BrowseDlg(), passed);
            EXPECT_EQ(passed, state);
        }
        EXPECT_EQ(Window->BrowseDlg().SelectedPath(), Folder(QStringLiteral("beta")));
        EXPECT_EQ(f.ComboBox()->currentText(), Folder(QStringLiteral("beta")));
        EdtHome()->setText(Folder(QStringLiteral("alpha")));
        f.CancelBtn()->click();
    });
    EXPECT_FALSE(Window->Changed());
}

TEST_F(HomeFolderTest, FailuresDuringTheRunReachTheWindowsReport) {
    int outsideReports = 0;
    const TFailureReport before = SetFailureReport([&](const QString&) { ++outsideReports; });
    StartWithHome(Folder(QStringLiteral("alpha")));
    Browse([this](TBrowseDlgForm& f) {
        Window->BrowseDlg().OnChange = [](QObject*, TBrowseOKState&) { throw EQuillaneError("selection failed"); };
        QTest::keyClick(f.TreeView(), Qt::Key_Down);  // OnChange throws; the run goes on
        Window->BtnHomeClick();                       // a second Execute is refused
        QTest::mouseClick(f.OKBtn(), Qt::LeftButton);
    });
    EXPECT_EQ(Dialogs.Reports.join(u'|'), QStringLiteral("selection failed.|TBrowseDlg: Execute is already running."));
    EXPECT_EQ(EdtHome()->text(), Folder(QStringLiteral("beta")));
    EXPECT_TRUE(Window->Changed());

    // The window hands the report back when it goes.
    Window.reset();
    Dialogs.Reports.clear();
    try {
        throw EQuillaneError("after the window");
    } catch (...) {
        ReportCurrentException();
    }
    EXPECT_EQ(outsideReports, 1);
    EXPECT_TRUE(Dialogs.Reports.isEmpty());
    SetFailureReport(before);
}

// A folder name may hold a line break on POSIX; taken into the home field it
// would split the section's directive line, so the save refuses it.
TEST_F(HomeFolderTest, FolderNameWithALineBreakIsRefusedOnSave) {
    StartWithHome(Folder(QStringLiteral("alpha")));
    Browse([](TBrowseDlgForm& f) {
        QTest::keyClick(f.TreeView(), Qt::Key_Down);
        QTest::keyClick(f.TreeView(), Qt::Key_Down);
        QTest::mouseClick(f.OKBtn(), Qt::LeftButton);
    });
    ASSERT_EQ(EdtHome()->text(), Folder(QStringLiteral("line\nbreak")));
    ASSERT_TRUE(Window->Changed());
    Window->ActSaveExecute();
    ASSERT_EQ(Dialogs.Reports.size(), 1);
    EXPECT_TRUE(Dialogs.Reports.at(0).contains(QStringLiteral("ホームディレクトリに改行が含まれています")))
        << Dialogs.Reports.at(0).toStdString();
    EXPECT_TRUE(Window->Changed());
    EXPECT_EQ(ReadFile(Install.InitFile()), Original);
}
