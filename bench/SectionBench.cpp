// Load + save of a generated 1,000,000-line init.m against a raw read-all +
// write-all copy of the same file. Each measured run happens in a child
// process, so the peak resident memory of that run alone can be read from
// wait4's usage report.

#include "CodePage.h"
#include "SectionEngine.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

using namespace quillane;

namespace {

struct Figures {
    double seconds = 0;
    long peakKiB = 0;
};

// Runs `work` in a child; its wall time comes back through a pipe, its peak
// resident set from the kernel.
Figures InChild(const std::function<void()>& work) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(2);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const auto t0 = std::chrono::steady_clock::now();
        work();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (write(fds[1], &s, sizeof s) != static_cast<ssize_t>(sizeof s)) _exit(3);
        _exit(0);
    }
    close(fds[1]);
    Figures f;
    if (read(fds[0], &f.seconds, sizeof f.seconds) != static_cast<ssize_t>(sizeof f.seconds)) std::exit(4);
    close(fds[0]);
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "a measured run failed\n");
        std::exit(5);
    }
    f.peakKiB = ru.ru_maxrss;
    return f;
}

std::string ReadAllRaw(const std::string& path) {
    std::string bytes;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) std::exit(6);
    bytes.resize(static_cast<std::size_t>(lseek(fd, 0, SEEK_END)));
    lseek(fd, 0, SEEK_SET);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0) std::exit(7);
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    return bytes;
}

void WriteAllRaw(const std::string& path, const std::string& bytes, bool sync) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::exit(8);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) std::exit(9);
        done += static_cast<std::size_t>(n);
    }
    if (sync) fsync(fd);
    close(fd);
}

// What any safe save costs before the engine does anything: read, write a
// temporary file beside the target, flush it, rename it over the target,
// flush the folder.
void SafeReplaceRaw(const std::string& path) {
    const std::string bytes = ReadAllRaw(path);
    const std::string temp = path + ".tmp";
    WriteAllRaw(temp, bytes, true);
    if (rename(temp.c_str(), path.c_str()) != 0) std::exit(11);
    const int dir = open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (dir < 0) std::exit(12);
    fsync(dir);
    close(dir);
}

// The same for a file that is rewritten in place (a hard link would be
// split by a rename): a copy of the old bytes in a backup, flushed, the new
// bytes over the old ones, flushed, the backup removed.
void InPlaceRaw(const std::string& path, const std::string& backup) {
    const std::string bytes = ReadAllRaw(path);
    WriteAllRaw(backup, bytes, true);
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0) std::exit(13);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) std::exit(14);
        done += static_cast<std::size_t>(n);
    }
    if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) std::exit(15);
    fsync(fd);
    close(fd);
    unlink(backup.c_str());
}

class SilentReporter : public IReadFailureReporter {
public:
    void ReportReadFailure(const std::string&) override { std::exit(10); }
};

// Code page 932 user text with CR LF and LF breaks, a managed section in
// the middle; lines of 0 to about 70 bytes.
void Generate(const std::string& path, std::size_t lineCount) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937 rng(42);
    const std::string pieces[] = {FromUtf8("表示", CpShiftJis),       "x = y + 1; ",    "Print[\"",
                                  FromUtf8("ソフト能力", CpShiftJis), "(* comment *) ", "f[a_] := a^2 "};
    for (std::size_t i = 0; i < lineCount; ++i) {
        if (i == lineCount / 2) {
            out << "(*--- This section is added by Quillane ---*)\r\n(*\r\n[HomeDirectory]C:\\work\r\n*)\r\n"
                   "(* Quillane commands begin *)\r\nOff[General::spell]\r\n(* Quillane commands end *)\r\n"
                   "(*--- End of section added by Quillane ---*)\r\n";
            i += 7;
            continue;
        }
        for (int n = static_cast<int>(rng() % 6); n > 0; --n) out << pieces[rng() % 6];
        out << (rng() % 4 == 0 ? "\n" : "\r\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const auto dir = std::filesystem::temp_directory_path() / ("quillane-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string source = (dir / "source.m").string();
    const std::string work = (dir / "init.m").string();
    const std::string copy = (dir / "copy.m").string();
    Generate(source, lines);
    const double mib = static_cast<double>(std::filesystem::file_size(source)) / (1024.0 * 1024.0);

    SectionSettings settings = DefaultSettings(CpShiftJis);
    settings.HomeDirectory = FromUtf8("C:\\作業", CpShiftJis);
    settings.DefineUtils = true;
    settings.Commands = "Off[General::spell]\r\n";

    const Figures idle = InChild([] {});
    Figures raw{1e9, 0}, rawNew{1e9, 0}, rawSync{1e9, 0}, rawSafe{1e9, 0}, engine{1e9, 0}, loadOnly{1e9, 0},
        saveOnly{1e9, 0};
    Figures rawInPlace{1e9, 0}, inPlace{1e9, 0};
    const std::string link = (dir / "link.m").string();
    const std::string backup = (dir / "backup.m").string();
    // Best of seven, each on a fresh copy of the generated file (the save
    // changes it).
    for (int round = 0; round < 7; ++round) {
        std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
        // A copy to a new file, and one over a copy of the same size that is
        // on the disk already: the save replaces an init.m on the disk, whose
        // old blocks the system has to let go of, as overwriting that copy
        // does. The engine's own input is on the disk by then too (the safe
        // replace below writes it).
        std::filesystem::remove(copy);
        const Figures rn = InChild([&] { WriteAllRaw(copy, ReadAllRaw(work), false); });
        const Figures rs = InChild([&] { WriteAllRaw(copy, ReadAllRaw(work), true); });
        const Figures r = InChild([&] { WriteAllRaw(copy, ReadAllRaw(work), false); });
        const Figures rr = InChild([&] { SafeReplaceRaw(work); });
        const Figures e = InChild([&] {
            SectionSettings loaded = DefaultSettings(CpShiftJis);
            SilentReporter reporter;
            LoadSection(work, loaded, CpShiftJis, reporter);
            SaveSection(work, settings, CpShiftJis);
        });
        const Figures l = InChild([&] {
            SectionSettings loaded = DefaultSettings(CpShiftJis);
            SilentReporter reporter;
            LoadSection(work, loaded, CpShiftJis, reporter);
        });
        std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
        const Figures sv = InChild([&] { SaveSection(work, settings, CpShiftJis); });
        // A second name makes the engine write in place.
        std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(link);
        std::filesystem::create_hard_link(work, link);
        const Figures rip = InChild([&] { InPlaceRaw(work, backup); });
        const Figures ip = InChild([&] { SaveSection(work, settings, CpShiftJis); });
        if (std::filesystem::hard_link_count(work) != 2) {
            std::fprintf(stderr, "the in-place save split the hard link\n");
            return 16;
        }
        if (rip.seconds < rawInPlace.seconds) rawInPlace = rip;
        if (ip.seconds < inPlace.seconds) inPlace = ip;
        if (l.seconds < loadOnly.seconds) loadOnly = l;
        if (sv.seconds < saveOnly.seconds) saveOnly = sv;
        if (r.seconds < raw.seconds) raw = r;
        if (rn.seconds < rawNew.seconds) rawNew = rn;
        if (rs.seconds < rawSync.seconds) rawSync = rs;
        if (rr.seconds < rawSafe.seconds) rawSafe = rr;
        if (e.seconds < engine.seconds) engine = e;
    }
    std::filesystem::remove_all(dir);

    const auto mibOf = [](long kib) { return static_cast<double>(kib) / 1024.0; };
    std::printf("file: %zu lines, %.1f MiB\n", lines, mib);
    std::printf("raw read-all + write-all copy over an existing file: %.3f s  peak %.1f MiB\n", raw.seconds,
                mibOf(raw.peakKiB));
    std::printf("raw read-all + write-all copy to a new file:        %.3f s  peak %.1f MiB\n", rawNew.seconds,
                mibOf(rawNew.peakKiB));
    std::printf("raw copy with fsync:                   %.3f s  peak %.1f MiB\n", rawSync.seconds,
                mibOf(rawSync.peakKiB));
    std::printf("raw safe replace (temp, fsync, rename, folder fsync): %.3f s  peak %.1f MiB\n", rawSafe.seconds,
                mibOf(rawSafe.peakKiB));
    std::printf("engine load + save (temp, fsync, rename): %.3f s  peak %.1f MiB\n", engine.seconds,
                mibOf(engine.peakKiB));
    std::printf("  of which load alone:                 %.3f s  peak %.1f MiB\n", loadOnly.seconds,
                mibOf(loadOnly.peakKiB));
    std::printf("  of which save alone:                 %.3f s  peak %.1f MiB\n", saveOnly.seconds,
                mibOf(saveOnly.peakKiB));
    std::printf("ratio engine / raw copy over an existing file: %.2f (target <= 2)\n", engine.seconds / raw.seconds);
    std::printf("ratio engine / raw copy to a new file:         %.2f (target <= 2)\n", engine.seconds / rawNew.seconds);
    std::printf("ratio engine / raw copy with fsync:    %.2f\n", engine.seconds / rawSync.seconds);
    std::printf("raw in-place rewrite (backup, fsync, write, fsync): %.3f s  peak %.1f MiB\n", rawInPlace.seconds,
                mibOf(rawInPlace.peakKiB));
    std::printf("engine save in place (a hard-linked file):         %.3f s  peak %.1f MiB\n", inPlace.seconds,
                mibOf(inPlace.peakKiB));
    std::printf("ratio engine save alone / raw safe replace: %.2f (target <= 1.1)\n",
                saveOnly.seconds / rawSafe.seconds);
    std::printf("ratio engine save in place / raw in-place rewrite: %.2f (target <= 1.1)\n",
                inPlace.seconds / rawInPlace.seconds);
    std::printf("engine in-place peak / file size:      %.2f (target <= 3)\n", mibOf(inPlace.peakKiB) / mib);
    std::printf("engine peak / file size:               %.2f (target <= 3); an empty child's peak is %.1f MiB\n",
                mibOf(engine.peakKiB) / mib, mibOf(idle.peakKiB));
    return 0;
}
