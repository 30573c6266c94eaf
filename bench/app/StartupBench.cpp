// Times start-up to the first paint of the main window against a bare Qt
// Widgets window with one label, and prints every run, the medians and their
// ratio. Two measures, alternating bare and main window in each round:
//  - process: from starting a fresh process to its first paint (what a user
//    waits for: loading, QApplication, fonts, the window);
//  - window: creating and showing the window inside a running application.
//   quillane_startup_bench [rounds]      (default 15; QT_QPA_PLATFORM as usual)
#include "DesignLook.h"
#include "QuillaneApplication.h"
#include "QuillaneDialogs.h"
#include "QuillaneUnt.h"
#include "WarmUp.h"

#include "BrowseDlg.h"

#include "CodePage.h"
#include "EditorLauncher.h"
#include "InstallFolderRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace quillane;

class TNoEditor : public IEditorLauncher {
public:
    void OpenAsText(const std::string&) override {}
};

class TNoBoxes : public IQuillaneDialogs {
public:
    void ShowReadFailure(const QString&) override { ++Shown; }
    void ShowFailureReport(const QString&) override { ++Shown; }
    TSaveAnswer AskSaveChanges() override { return TSaveAnswer::Cancel; }
    int Ask(const TQuestion& question) override { return question.Cancel; }
    bool ChooseInitFile(const QString&, const QStringList&, QString&) override { return false; }
    int ChooseAmong(const QList<TInitFileChoice>&, QWidget*) override { return -1; }
    int Shown = 0;
};

class TPaintWatch : public QObject {
public:
    bool Painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) Painted = true;
        return false;
    }
};

// Milliseconds from creating the window to the end of its first paint.
double TimeToFirstPaint(const std::function<std::unique_ptr<QWidget>()>& create) {
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QWidget> window = create();
    TPaintWatch watch;
    window->installEventFilter(&watch);
    window->show();
    while (!watch.Painted) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A fresh process: the parent reads "painted" once the first paint is done.
double ProcessToFirstPaint(const QString& program, const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    while (child.waitForReadyRead(10000)) {
        if (child.readAll().contains("painted")) break;
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    child.waitForFinished(10000);
    if (child.exitCode() != 0) std::fprintf(stderr, "child %s failed\n", qUtf8Printable(arguments.value(1)));
    return ms;
}

// An install root with one version folder, so that the window finds its
// init.m the way it does on any Linux machine. False if it cannot be written.
bool MakeInstallRoot(const QString& root) {
    QDir(root).mkpath(QStringLiteral("5.0/Configuration/Kernel"));
    QFile file(QDir(root).filePath(QStringLiteral("5.0/Configuration/Kernel/init.m")));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(
        "(*--- This section is added by Quillane ---*)\r\n(*\r\n[HomeDirectory]/home/ann\r\n*)\r\n"
        "(* Quillane commands begin *)\r\nOff[General::spell]\r\n(* Quillane commands end *)\r\n"
        "(*--- End of section added by Quillane ---*)\r\n");
    return file.flush();
}

struct TSeries {
    std::vector<double> Bare, Main;
};

void PrintSeries(const char* title, const TSeries& series) {
    std::printf("%s\n%5s %12s %12s\n", title, "round", "bare ms", "quillane ms");
    for (size_t i = 0; i < series.Bare.size(); ++i)
        std::printf("%5zu %12.3f %12.3f\n", i + 1, series.Bare[i], series.Main[i]);
    const std::vector<double> bare(series.Bare.begin() + 1, series.Bare.end());
    const std::vector<double> main(series.Main.begin() + 1, series.Main.end());
    const double bareMedian = Median(bare), mainMedian = Median(main);
    std::printf("median of rounds 2..%zu: bare %.3f ms, quillane %.3f ms, ratio %.2f (target <= 1.2)\n\n",
                series.Bare.size(), bareMedian, mainMedian, mainMedian / bareMedian);
}

}  // namespace

int main(int argc, char** argv) {
    // A child is "--child bare" or "--child quillane <install root>".
    const bool child = argc >= 3 && std::strcmp(argv[1], "--child") == 0;
    const bool mainChild = child && std::strcmp(argv[2], "bare") != 0;
    // A child repeats the program's start-up, step by step, in the same
    // order; the bare window has nothing of the kind.
    TWarmUp fonts = mainChild ? StartFontWarmUp() : TWarmUp(nullptr);
    TQuillaneApplication app(argc, argv);
    if (mainChild) {
        fonts.Wait();
        UseDesignFontEverywhere();
    }
    // The program starts the folder browse unit before its window and keeps
    // it for the whole run.
    std::optional<BrowseUnitScope> browseUnit;
    if (!child || mainChild) browseUnit.emplace();
    const int rounds = !child && argc > 1 ? std::max(2, std::atoi(argv[1])) : 15;

    // The parent makes the install root, once: a child does no more than the
    // program does before its first paint.
    std::optional<QTemporaryDir> dir;
    if (!child) dir.emplace();
    const QString root = child ? QString::fromLocal8Bit(argc > 3 ? argv[3] : "") : dir->path();
    if (!child && !MakeInstallRoot(root)) return 1;

    InstallFolderRegistry registry({root.toStdString()});
    TNoEditor editor;
    TNoBoxes boxes;
    auto bare = [] {
        auto window = std::make_unique<QWidget>();
        auto* label = new QLabel(QStringLiteral("Quillane"), window.get());
        label->move(10, 10);
        window->resize(570, 407);
        return window;
    };
    auto quillane = [&] {
        return std::unique_ptr<QWidget>(new TFrmQuillane({registry, editor, boxes, SystemCodePage()}));
    };

    if (child) {
        TimeToFirstPaint(mainChild ? std::function<std::unique_ptr<QWidget>()>(quillane)
                                   : std::function<std::unique_ptr<QWidget>()>(bare));
        std::printf("painted\n");
        std::fflush(stdout);
        return boxes.Shown ? 1 : 0;
    }

    // The fonts installed weigh on both windows' start-up: the more there
    // are, the longer the font configuration takes to load.
    std::printf(
        "platform: %s, %lld font families, %d rounds, bare and main window alternating; "
        "round 1 is not in the median\n\n",
        qUtf8Printable(QGuiApplication::platformName()), static_cast<long long>(QFontDatabase::families().size()),
        rounds);
    const QString self = QCoreApplication::applicationFilePath();
    TSeries process, window;
    for (int round = 1; round <= rounds; ++round) {
        // Alternate which goes first so that neither always runs warm.
        const bool bareFirst = round % 2;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == bareFirst)
                process.Bare.push_back(ProcessToFirstPaint(self, {QStringLiteral("--child"), QStringLiteral("bare")}));
            else
                process.Main.push_back(
                    ProcessToFirstPaint(self, {QStringLiteral("--child"), QStringLiteral("quillane"), root}));
        }
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == bareFirst)
                window.Bare.push_back(TimeToFirstPaint(bare));
            else
                window.Main.push_back(TimeToFirstPaint(quillane));
        }
    }
    PrintSeries("process start to first paint", process);
    PrintSeries("window creation to first paint, inside one application", window);
    if (boxes.Shown) std::printf("warning: %d boxes would have been shown\n", boxes.Shown);
    return 0;
}
