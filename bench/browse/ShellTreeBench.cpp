// Figures of the shell folder tree on the POSIX namespace (offscreen):
//  - opening a folder of 20,000 subfolders, against a bare readdir + lstat
//    pass over the same folder in the same run, with their ratio;
//  - the heap the tree holds per node beyond its caption and item ID list;
//  - SelectByPath of a path 20 levels deep in a fresh tree.
// Usage: quillane_shell_tree_bench [folders] [runs]

#include "PosixShell.h"
#include "ShellRoutines.h"
#include "ShellTreeView.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <dirent.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

}  // namespace

int main(int argc, char** argv) {
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

    std::vector<double> bare, tree, treeList;
    std::size_t perNodeHeap = 0, captionChunk = 0, listChunk = 0;
    {
        TShellTreeView view;
        view.resize(400, 600);
        view.show();
        QApplication::processEvents();
        view.SetRoot(base);
        QApplication::processEvents();

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
            const std::size_t heapBefore = HeapInUse();
            t0 = Clock::now();
            view.expand(index);
            const double listMs = Millis(Clock::now() - t0);
            // The view lays out and paints what the user sees.
            const int rows = view.model()->rowCount(index);
            view.scrollTo(view.model()->index(rows - 1, 0, index));
            QApplication::processEvents();
            const double treeMs = Millis(Clock::now() - t0);
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
        }

        const double bareMedian = Median(bare);
        const double treeMedian = Median(tree);
        std::printf("folder of %d subfolders, median of %d runs\n", folders, runs);
        std::printf("  readdir + lstat           %8.2f ms\n", bareMedian);
        std::printf("  tree: list and sort       %8.2f ms\n", Median(treeList));
        std::printf("  tree: list, lay out, paint%8.2f ms\n", treeMedian);
        std::printf("  ratio                     %8.2f  (target <= 5)\n", treeMedian / bareMedian);
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
        const double ms = Millis(Clock::now() - t0);
        if (view.GetSelectedPath() != deep) {
            std::fprintf(stderr, "SelectByPath selected %s\n", qPrintable(view.GetSelectedPath()));
            return 1;
        }
        if (run > 0) select.push_back(ms);
    }
    std::printf("SelectByPath 20 levels below the root, fresh tree\n");
    std::printf("  median                    %8.2f ms  (target <= 50)\n", Median(select));
    return 0;
}
