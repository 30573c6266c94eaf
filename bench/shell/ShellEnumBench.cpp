// Enumerating a folder of many subfolders through the file-system namespace
// (names, attributes, has-subfolder, paths: what the folder tree asks per
// child) against a bare readdir + lstat pass over the same folder.
//
// Usage: shell_enum_bench [count] [rounds]   (defaults: 20000 5)

#include "SystemShell_posix.h"
#include "ShellRoutines.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quillane::shell;
using Clock = std::chrono::steady_clock;

namespace {

struct Entry {
    std::string name;
    std::string path;
    bool folder;
    bool hasSub;
};

std::size_t BarePass(const std::string& root) {
    std::vector<Entry> entries;
    DIR* dir = ::opendir(root.c_str());
    if (!dir) return 0;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        Entry entry;
        entry.name = e->d_name;
        entry.path = root + "/" + entry.name;
        struct stat st;
        if (::lstat(entry.path.c_str(), &st) != 0) continue;
        entry.folder = S_ISDIR(st.st_mode);
        entry.hasSub = st.st_nlink != 2;
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries.size();
}

std::size_t ShellPass(const std::string& root) {
    std::vector<Entry> entries;
    IDListPtr parent = PathToIDList(root, sfDesktop);
    ShellFolderPtr folder;
    if (!parent || DesktopFolder()->BindToObject(parent.get(), folder) != ShellOk) return 0;
    ShellEnumPtr items;
    if (folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items) != ShellOk) return 0;
    PItemIDList raw = nullptr;
    while (items->Next(raw) == ShellOk) {
        IDListPtr item(raw);
        const std::uint32_t attrs =
            GetItemAttributes(*folder, item.get(), SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM);
        if (attrs == 0) continue;
        Entry entry;
        entry.name = GetDisplayName(*folder, item.get(), DisplayNameInFolder);
        entry.folder = (attrs & SFGAO_FOLDER) != 0;
        entry.hasSub = HasSubFolderItem(*folder, item.get());
        IDListPtr abs = ConcatIDLists(parent.get(), item.get());
        entry.path = GetPathFromIDList(abs.get());
        entries.push_back(std::move(entry));
    }
    return entries.size();
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    char pattern[] = "/tmp/quillane-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/folder%05d", i);
        if (::mkdir((root + name).c_str(), 0755) != 0) {
            std::perror("mkdir");
            return 1;
        }
    }

    StartShellUnit(CreatePosixShellPlatform(PosixShellOptions()));
    // One pass each first, so both start from the same warm caches.
    std::size_t bareCount = BarePass(root);
    std::size_t shellCount = ShellPass(root);
    std::vector<double> bare, shell;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Clock::now();
        bareCount = BarePass(root);
        auto t1 = Clock::now();
        shellCount = ShellPass(root);
        auto t2 = Clock::now();
        bare.push_back(Milliseconds(t1 - t0));
        shell.push_back(Milliseconds(t2 - t1));
    }
    EndShellUnit();
    ::nftw(
        root.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);

    std::sort(bare.begin(), bare.end());
    std::sort(shell.begin(), shell.end());
    const double bareMedian = bare[bare.size() / 2];
    const double shellMedian = shell[shell.size() / 2];
    std::printf("folder of %d subfolders, %d rounds (median)\n", count, rounds);
    std::printf("readdir + lstat:      %8.2f ms  (%zu entries)\n", bareMedian, bareCount);
    std::printf("shell namespace:      %8.2f ms  (%zu entries)\n", shellMedian, shellCount);
    std::printf("ratio shell / bare:   %8.2f  (target <= 2)\n", shellMedian / bareMedian);
    return bareCount == shellCount && bareCount == static_cast<std::size_t>(count) ? 0 : 2;
}
