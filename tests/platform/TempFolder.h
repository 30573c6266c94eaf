#pragma once

// A fresh folder for the tests of installation and init-file discovery.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace quillane::test {

/// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        FPath = std::filesystem::temp_directory_path() /
                std::filesystem::u8path("quillane-roots-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(FPath);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    /// The folder `relative` (UTF-8, '/'-separated) below this one, as UTF-8
    /// in this platform's syntax.
    std::string operator/(const std::string& relative) const {
        return (FPath / std::filesystem::u8path(relative)).make_preferred().u8string();
    }

private:
    std::filesystem::path FPath;
};

}  // namespace quillane::test
