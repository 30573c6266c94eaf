// Stands in for Notepad in the launcher's tests: waits until the test
// releases it, then writes its own command line (UTF-8) to the file named by
// QUILLANE_FAKE_EDITOR_OUT, in one step so that the test never reads half.
// Before that it writes through the handle named by
// QUILLANE_FAKE_EDITOR_HANDLE, which reaches the test's file only if the
// handle was inherited.
#include <windows.h>

#include <cstdint>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return (n > 0 && n < 32768) ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

int main() {
    const std::wstring out = Env(L"QUILLANE_FAKE_EDITOR_OUT");
    const std::wstring release = Env(L"QUILLANE_FAKE_EDITOR_RELEASE");
    if (out.empty()) return 2;
    const std::wstring handle = Env(L"QUILLANE_FAKE_EDITOR_HANDLE");
    if (!handle.empty()) {
        DWORD written = 0;
        WriteFile(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::stoull(handle))), "inherited", 9, &written,
                  nullptr);
    }
    std::string text;
    int waited = 0;
    while (!release.empty() && GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES && waited < 300) {
        Sleep(100);
        ++waited;
    }
    if (!release.empty() && GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES) {
        text = "never released";
    } else {
        const wchar_t* line = GetCommandLineW();
        const int len = static_cast<int>(wcslen(line));
        const int n = WideCharToMultiByte(CP_UTF8, 0, line, len, nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<std::size_t>(n));
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, line, len, &text[0], n, nullptr, nullptr);
    }
    const std::wstring part = out + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
