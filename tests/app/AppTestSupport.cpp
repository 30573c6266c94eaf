#include "AppTestSupport.h"

#include "InterfaceLanguage.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QInputMethodEvent>
#include <QTest>
#include <QTranslator>
#include <QWidget>

#include <stdexcept>

namespace quillane::test {

void AddInstallation(MemoryRegistry& registry, const std::string& version, const std::string& installDir) {
    registry.SetString("Software\\Wolfram Research\\Mathematica\\" + version, "InstallDir", installDir);
}

void TRecordingLauncher::OpenAsText(const std::string& pathUtf8) {
    Opened.push_back(pathUtf8);
    if (Action) Action();
}

TSaveAnswer TScriptedDialogs::AskSaveChanges() {
    ++Questions;
    if (Answers.empty()) return TSaveAnswer::Cancel;
    const TSaveAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
}

int TScriptedDialogs::Ask(const TQuestion& question) {
    Asked << question.Text;
    if (Picks.empty()) return question.Cancel;
    const QString pick = Picks.front();
    Picks.pop_front();
    const int index = question.Answers.indexOf(pick);
    if (index < 0) throw std::runtime_error("the question offers no answer " + pick.toStdString());
    return index;
}

int TScriptedDialogs::ChooseAmong(const QList<TInitFileChoice>& choices, QWidget*) {
    Offered = choices;
    return Pick;
}

bool TScriptedDialogs::ChooseInitFile(const QString& fileName, const QStringList& places, QString& chosen) {
    Presets << fileName;
    Places = places;
    if (!Choice) return false;
    chosen = *Choice;
    return true;
}

TInstallation::TInstallation() {
    QDir(FDir.path()).mkpath(QStringLiteral("Configuration/Kernel"));
}

QString TInstallation::InitFile() const {
    return QDir::toNativeSeparators(FDir.filePath(QStringLiteral("Configuration/Kernel/init.m")));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return file.readAll();
}

std::unique_ptr<QTimer> WhenModalShown(std::function<void(QWidget*)> act) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QTimer* raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, raw, [raw, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        raw->stop();
        act(modal);
    });
    timer->start();
    return timer;
}

void TypeInto(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii) {
        QTest::keyClicks(field, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

void RunUntilIdle() {
    QEventLoop loop;
    // A short wait makes the loop block once, which is when idle updates run.
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

TInterfaceLanguage::TInterfaceLanguage(QLocale::Language language) : FTranslator(OwnTranslator(language)) {
    if (language != QLocale::Japanese && !FTranslator)
        throw std::runtime_error("no translation into " + QLocale::languageToString(language).toStdString());
    if (FTranslator) QCoreApplication::installTranslator(FTranslator.get());
}

TInterfaceLanguage::~TInterfaceLanguage() {
    if (FTranslator) QCoreApplication::removeTranslator(FTranslator.get());
}

}  // namespace quillane::test
