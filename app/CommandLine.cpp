#include "CommandLine.h"

#include "InterfaceLanguage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace quillane {

namespace {

// The options that QGuiApplication and QApplication take for themselves;
// accepted here so that they reach Qt, and kept out of the help.
const char* const QtValueOptions[] = {"platform",        "platformpluginpath",
                                      "platformtheme",   "plugin",
                                      "qwindowgeometry", "geometry",
                                      "qwindowicon",     "qwindowtitle",
                                      "title",           "session",
                                      "display",         "style",
                                      "stylesheet",      "name",
                                      "visual",          "qmljsdebugger"};
const char* const QtFlagOptions[] = {"reverse", "widgetcount", "sync", "nograb", "dograb"};

// Without a display, Qt's platform plugin aborts the program with a core
// dump; from a shell, a message and an ordinary failure serve better.
bool NoDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

void Print(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
}

}  // namespace

TCommandLine ParseCommandLine(int argc, char** argv) {
    // A core application only: it needs no display, and it is gone before
    // the real one starts.
    QCoreApplication core(argc, argv);
    // The help and the messages in the language of the window.
    const std::unique_ptr<QTranslator> translator = OwnTranslator(InterfaceLanguage(QLocale()));
    if (translator) QCoreApplication::installTranslator(translator.get());
    QCoreApplication::setApplicationName(QStringLiteral("quillane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "quillane::CommandLine", "Mathematica のｶｰﾈﾙの起動ﾌｧｲﾙ init.m にある Quillane のｾｸｼｮﾝを編集します。"));
    // Qt's options are single-dash words (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const char* name : QtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QCoreApplication::translate("quillane::CommandLine", "編集する init.m (省略すると、見つかった設定ﾌｧｲﾙ)"),
        QStringLiteral("[FILE]"));

    TCommandLine result;
    const QString usage = parser.helpText();
    if (!parser.parse(QCoreApplication::arguments())) {
        Print(stderr, QStringLiteral("quillane: %1\n\n%2").arg(parser.errorText(), usage));
        result.ExitCode = 2;
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        Print(stdout, usage);
        result.ExitCode = 0;
        return result;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("quillane %1\n").arg(QCoreApplication::applicationVersion()));
        result.ExitCode = 0;
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        Print(stderr,
              QCoreApplication::translate("quillane::CommandLine", "quillane: 編集できるﾌｧｲﾙは一つだけです\n\n%1")
                  .arg(usage));
        result.ExitCode = 2;
        return result;
    }
    if (NoDisplay() && !parser.isSet(QStringLiteral("platform"))) {
        Print(stderr, QCoreApplication::translate(
                          "quillane::CommandLine",
                          "quillane: 画面に接続できません (DISPLAY も WAYLAND_DISPLAY も設定されていません)\n"));
        result.ExitCode = 1;
        return result;
    }
    // A relative name means the folder the program was started in.
    if (!files.isEmpty()) result.File = QDir::toNativeSeparators(QFileInfo(files.constFirst()).absoluteFilePath());
    return result;
}

}  // namespace quillane
