#include "AppTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>

#include <stdexcept>

namespace quillane::test {

namespace {

class TFakeKey : public IRegistryKey {
public:
    TFakeKey(std::vector<std::string> subKeys, std::map<std::string, TFakeRegistry::Value> values)
        : FSubKeys(std::move(subKeys)), FValues(std::move(values))
    {
    }
    std::vector<std::string> SubKeyNames() override { return FSubKeys; }
    bool HasValue(const std::string& name) override { return FValues.count(name) != 0; }
    bool QueryValueInfo(const std::string& name, RegType& type, std::uint32_t& size) override
    {
        auto it = FValues.find(name);
        if (it == FValues.end())
            return false;
        type = it->second.Type;
        size = static_cast<std::uint32_t>(it->second.Data.size() + 1);
        return true;
    }
    bool ReadValue(const std::string& name, std::string& data) override
    {
        auto it = FValues.find(name);
        if (it == FValues.end())
            return false;
        data = it->second.Data + '\0';
        return true;
    }

private:
    std::vector<std::string> FSubKeys;
    std::map<std::string, TFakeRegistry::Value> FValues;
};

const std::string MathematicaKey = "Software\\Wolfram Research\\Mathematica";

}  // namespace

void TFakeRegistry::AddKey(const std::string& path)
{
    FKeys[path];
}

void TFakeRegistry::SetValue(const std::string& path, const std::string& name, Value value)
{
    FKeys[path][name] = std::move(value);
}

void TFakeRegistry::AddInstallation(const std::string& version, const std::string& installDir)
{
    AddKey(MathematicaKey);
    SetValue(MathematicaKey + "\\" + version, "InstallDir", {RegType::String, installDir});
}

std::unique_ptr<IRegistryKey> TFakeRegistry::OpenLocalMachineKey(const std::string& path)
{
    std::string key = path;
    if (!key.empty() && key.front() == '\\')
        key.erase(0, 1);
    auto it = FKeys.find(key);
    if (it == FKeys.end())
        return nullptr;
    std::vector<std::string> subKeys;
    const std::string prefix = key + "\\";
    for (const auto& [other, values] : FKeys) {
        (void)values;
        if (other.rfind(prefix, 0) == 0 && other.find('\\', prefix.size()) == std::string::npos)
            subKeys.push_back(other.substr(prefix.size()));
    }
    return std::make_unique<TFakeKey>(subKeys, it->second);
}

void TRecordingLauncher::OpenAsText(const std::string& pathUtf8)
{
    Opened.push_back(pathUtf8);
    if (Action)
        Action();
}

TSaveAnswer TScriptedDialogs::AskSaveChanges()
{
    ++Questions;
    if (Answers.empty())
        return TSaveAnswer::Cancel;
    const TSaveAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
}

bool TScriptedDialogs::ChooseInitFile(const QString& fileName, QString& chosen)
{
    Presets << fileName;
    if (!Choice)
        return false;
    chosen = *Choice;
    return true;
}

TInstallation::TInstallation()
{
    QDir(FDir.path()).mkpath(QStringLiteral("Configuration/Kernel"));
}

QString TInstallation::InitFile() const
{
    return QDir::toNativeSeparators(FDir.filePath(QStringLiteral("Configuration/Kernel/init.m")));
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

std::unique_ptr<QTimer> WhenModalShown(std::function<void(QWidget*)> act)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QTimer* raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, raw, [raw, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        raw->stop();
        act(modal);
    });
    timer->start();
    return timer;
}

void TypeInto(QWidget* field, const QString& text)
{
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii) {
        QTest::keyClicks(field, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

void RunUntilIdle()
{
    QEventLoop loop;
    // A short wait makes the loop block once, which is when idle updates run.
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace quillane::test
