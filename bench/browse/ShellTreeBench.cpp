// Figures of the shell folder tree on the POSIX namespace (offscreen):
//  - opening a folder of 20,000 subfolders, against a bare readdir + lstat
//    pass over the same folder in the same run, with their ratio;
//  - the heap the tree holds per node beyond its caption and item ID list;
//  - SelectByPath of a path 20 levels deep in a fresh tree;
//  - the longest stall of the window's thread (the lateness of a 5 ms
//    timer) while the tree opens a slow FUSE mount and a folder on it. That
//    needs root, /dev/fuse and the test file system quillane_slowfs; the
//    mount lives in a mount namespace of the benchmark's own.
// Usage: quillane_shell_tree_bench [folders] [runs]

#include "SystemShell_posix.h"
#include "ShellRoutines.h"
#include "ShellTreeView.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <dirent.h>
#include <malloc.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace quillane;
using Clock = std::chrono::steady_clock;

namespace {

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What a file manager must do at least: read the entries and look at each.
std::size_t ReaddirLstat(const std::string& folder) {
    std::size_t seen = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat st;
        const std::string path = folder + '/' + entry->d_name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ++seen;
    }
    ::closedir(dir);
    return seen;
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Heap taken by one block that malloc hands out for `size` bytes.
std::size_t ChunkOf(const void* block) {
    return malloc_usable_size(const_cast<void*>(block)) + sizeof(std::size_t);
}

QModelIndex ChildNamed(const TShellTreeView& tree, const QModelIndex& parent, const QString& caption) {
    const QAbstractItemModel* model = tree.model();
    for (int row = 0; row < model->rowCount(parent); ++row)
        if (model->index(row, 0, parent).data().toString() == caption) return model->index(row, 0, parent);
    return QModelIndex();
}

// Runs the event loop until `done` holds; false after 60 s.
bool Await(const std::function<bool()>& done) {
    const Clock::time_point end = Clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (Clock::now() > end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A slow FUSE mount at /mnt/slow in a mount namespace of the benchmark's
// own: every look-up below its root waits StatDelayMs, every listing
// ListDelayMs. Made before any thread starts: only a process of one thread
// can leave the mount namespace it shares.
class TSlowMount {
public:
    static constexpr int ListDelayMs = 1000;
    static constexpr int StatDelayMs = 200;

    TSlowMount() {
#ifdef QUILLANE_SLOWFS
        if (::geteuid() != 0) {
            FWhyNot = "needs root for a mount namespace";
            return;
        }
        if (::access("/dev/fuse", F_OK) != 0) {
            FWhyNot = "no /dev/fuse";
            return;
        }
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("quillane-bench", "/mnt", "tmpfs", 0, nullptr) != 0 || ::mkdir("/mnt/slow", 0755) != 0) {
            FWhyNot = std::string("no mount namespace: ") + std::strerror(errno);
            return;
        }
        const std::string options =
            "list_delay=" + std::to_string(ListDelayMs) + ",stat_delay=" + std::to_string(StatDelayMs);
        FDaemon = ::fork();
        if (FDaemon == 0) {
            // Its log of listings is not wanted here.
            std::freopen("/dev/null", "w", stderr);
            ::execl(QUILLANE_SLOWFS, QUILLANE_SLOWFS, "/mnt/slow", "-f", "-o", options.c_str(),
                    static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        for (int i = 0; i < 500 && !Mounted(); ++i) ::usleep(10000);
        if (!Mounted()) FWhyNot = "the FUSE file system did not mount";
#else
        FWhyNot = "built without libfuse3";
#endif
    }
    ~TSlowMount() {
        if (FDaemon <= 0) return;
        ::kill(FDaemon, SIGKILL);
        ::waitpid(FDaemon, nullptr, 0);
    }
    TSlowMount(const TSlowMount&) = delete;
    TSlowMount& operator=(const TSlowMount&) = delete;

    bool Ready() const {
        return FWhyNot.empty();
    }
    const std::string& WhyNot() const {
        return FWhyNot;
    }

private:
    static bool Mounted() {
        std::ifstream mounts("/proc/self/mounts");
        std::string line;
        while (std::getline(mounts, line))
            if (line.find(" /mnt/slow fuse.slowfs ") != std::string::npos) return true;
        return false;
    }

    std::string FWhyNot;
    pid_t FDaemon = -1;
};

// The longest lateness of a 5 ms timer on the window's thread: how long the
// window stopped at most while it ran.
class TStallMeter {
public:
    TStallMeter() {
        FTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            FLongest = std::max(FLongest, Millis(now - FLast) - TickMs);
            FLast = now;
        });
    }
    void Start() {
        FLongest = 0;
        FLast = Clock::now();
        FTimer.start(TickMs);
    }
    double Stop() {
        FTimer.stop();
        return FLongest;
    }

private:
    static constexpr int TickMs = 5;
    QTimer FTimer;
    Clock::time_point FLast;
    double FLongest = 0;
};

// The tree on the computer opens /mnt/slow and then its folder "proj".
int SlowMountFigures(const TSlowMount& mount) {
    std::printf("slow FUSE mount, look-ups %d ms, listings %d ms\n", TSlowMount::StatDelayMs, TSlowMount::ListDelayMs);
    if (!mount.Ready()) {
        std::printf("  not measured: %s\n", mount.WhyNot().c_str());
        return 0;
    }
    TShellTreeView view;
    view.resize(400, 600);
    view.show();
    QApplication::processEvents();
    TStallMeter meter;
    meter.Start();
    const Clock::time_point t0 = Clock::now();
    view.StoreSpecialRoot(shell::sfMyComputer);
    view.Reload();
    const QModelIndex volume = ChildNamed(view, view.TopIndex(), QStringLiteral("/mnt/slow"));
    if (!volume.isValid()) {
        std::fprintf(stderr, "the computer does not list /mnt/slow\n");
        return 1;
    }
    view.expand(volume);
    QModelIndex proj;
    if (!Await([&] { return (proj = ChildNamed(view, volume, QStringLiteral("proj"))).isValid(); })) return 1;
    view.expand(proj);
    if (!Await([&] { return ChildNamed(view, proj, QStringLiteral("a")).isValid(); })) return 1;
    const double totalMs = Millis(Clock::now() - t0);
    const double stallMs = meter.Stop();
    std::printf("  open the mount, then a folder on it %8.2f ms\n", totalMs);
    std::printf("  longest stall of the window's thread%8.2f ms  (target <= 100)\n", stallMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // One heap for every thread, so that the heap figures count what the
    // shell's worker threads allocate for the tree too.
    mallopt(M_ARENA_MAX, 1);
    const TSlowMount slowMount;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int folders = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

    QTemporaryDir temp;
    if (!temp.isValid()) return 1;
    const QString base = temp.path();
    const QString wide = base + QStringLiteral("/wide");
    QDir().mkpath(wide);
    for (int i = 0; i < folders; ++i) QDir().mkdir(wide + QStringLiteral("/d%1").arg(i, 5, 10, QChar(u'0')));
    QString deep = base + QStringLiteral("/deep");
    for (int level = 1; level <= 20; ++level) {
        // A few siblings on every level, so each step has something to skip.
        for (int s = 0; s < 5; ++s) QDir().mkpath(deep + QStringLiteral("/s%1").arg(s));
        deep += QStringLiteral("/l%1").arg(level, 2, 10, QChar(u'0'));
    }
    QDir().mkpath(deep);

    shell::PosixShellOptions options;
    options.home = base.toStdString();
    shell::ShellUnitScope unit(shell::CreatePosixShellPlatform(options));

    std::vector<double> bare, tree, treeList, stalls;
    TStallMeter stall;
    std::size_t perNodeHeap = 0, captionChunk = 0, listChunk = 0;
    {
        TShellTreeView view;
        view.resize(400, 600);
        view.show();
        QApplication::processEvents();
        view.SetRoot(base);
        QApplication::processEvents();
        const std::chrono::milliseconds waitLimit = view.ShellModel()->WaitLimit();

        for (int run = 0; run <= runs; ++run) {  // run 0 warms up
            auto t0 = Clock::now();
            const std::size_t seen = ReaddirLstat(wide.toStdString());
            const double bareMs = Millis(Clock::now() - t0);
            if (seen != static_cast<std::size_t>(folders)) {
                std::fprintf(stderr, "readdir saw %zu folders\n", seen);
                return 1;
            }

            view.Reload();
            QApplication::processEvents();
            const QModelIndex index = ChildNamed(view, view.TopIndex(), QStringLiteral("wide"));
            // The first run lists within the call, so that its heap figure
            // is the nodes' before the view lays them out.
            view.ShellModel()->SetWaitLimit(run == 0 ? std::chrono::milliseconds(60000) : waitLimit);
            const std::size_t heapBefore = HeapInUse();
            stall.Start();
            t0 = Clock::now();
            view.expand(index);
            // A listing that outlasts the wait comes through the event loop.
            if (!Await([&] { return view.model()->rowCount(index) == folders; })) return 1;
            const double listMs = Millis(Clock::now() - t0);
            // The view lays out and paints what the user sees.
            const int rows = view.model()->rowCount(index);
            view.scrollTo(view.model()->index(rows - 1, 0, index));
            QApplication::processEvents();
            const double treeMs = Millis(Clock::now() - t0);
            const double stallMs = stall.Stop();
            if (rows != folders) {
                std::fprintf(stderr, "the tree listed %d folders\n", rows);
                return 1;
            }
            if (run == 0) {
                const std::size_t heapAfter = HeapInUse();
                perNodeHeap = (heapAfter - heapBefore) / static_cast<std::size_t>(rows);
                const QString caption = view.model()->index(rows / 2, 0, index).data().toString();
                captionChunk = ChunkOf(const_cast<QString&>(caption).data_ptr().d_ptr());
                // A folder item here: size field, kind, "dNNNNN", zero, and
                // the terminator.
                const shell::IDListPtr probe = shell::AllocIDList(2 + 1 + 6 + 1 + 2);
                listChunk = ChunkOf(probe.get());
                continue;
            }
            bare.push_back(bareMs);
            tree.push_back(treeMs);
            treeList.push_back(listMs);
            stalls.push_back(stallMs);
        }

        const double bareMedian = Median(bare);
        const double treeMedian = Median(tree);
        std::printf("folder of %d subfolders, median of %d runs\n", folders, runs);
        std::printf("  readdir + lstat           %8.2f ms\n", bareMedian);
        std::printf("  tree: list and sort       %8.2f ms\n", Median(treeList));
        std::printf("  tree: list, lay out, paint%8.2f ms\n", treeMedian);
        std::printf("  ratio                     %8.2f  (target <= 5)\n", treeMedian / bareMedian);
        std::printf("  longest stall of the window's thread %6.2f ms\n", Median(stalls));
        std::printf("  heap per node, all        %8zu bytes\n", perNodeHeap);
        std::printf("    of which caption        %8zu bytes\n", captionChunk);
        std::printf("    of which item ID list   %8zu bytes\n", listChunk);
        std::printf("  heap per node, the rest   %8zu bytes  (target <= 300)\n",
                    perNodeHeap - captionChunk - listChunk);
    }

    // A fresh tree each time: the search lists every folder on the way.
    std::vector<double> select;
    for (int run = 0; run <= runs; ++run) {
        TShellTreeView view;
        view.SetRoot(base);
        const auto t0 = Clock::now();
        view.SelectByPath(deep);
        if (!Await([&] { return !view.IsSelectingPath(); })) return 1;
        const double ms = Millis(Clock::now() - t0);
        if (view.GetSelectedPath() != deep) {
            std::fprintf(stderr, "SelectByPath selected %s\n", qPrintable(view.GetSelectedPath()));
            return 1;
        }
        if (run > 0) select.push_back(ms);
    }
    std::printf("SelectByPath 20 levels below the root, fresh tree\n");
    std::printf("  median                    %8.2f ms  (target <= 50)\n", Median(select));
    return SlowMountFigures(slowMount);
}
