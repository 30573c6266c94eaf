#pragma once

// Small helpers shared by the core tests: a temporary folder that removes
// itself, and whole-file byte access by UTF-8 path.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace quillane::test {

/// Whether the tests run on Windows, where the system's error codes differ.
#ifdef _WIN32
constexpr bool OnWindows = true;
#else
constexpr bool OnWindows = false;
#endif

/// The system's error code for a failure: `posix` (errno) or `windows`.
constexpr int SystemCode(int posix, int windows) {
    return OnWindows ? windows : posix;
}

/// A fresh folder under `base` (the system's temporary folder), removed
/// with its contents when destroyed.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::random_device rd;
        for (;;) {
            FPath = base / ("quillane-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(FPath)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The folder.
    const std::filesystem::path& Path() const { return FPath; }
    /// UTF-8 path of `name` inside the folder.
    std::string File(const std::string& name) const { return (FPath / std::filesystem::u8path(name)).u8string(); }
    /// Number of entries in the folder.
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(FPath), std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path FPath;
};

/// Writes `bytes` as the whole file at UTF-8 `path`.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// The whole file at UTF-8 `path`.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quillane::test
