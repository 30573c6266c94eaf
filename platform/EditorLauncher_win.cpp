#include "EditorLauncher.h"
#include "WinText.h"

#include <windows.h>

#include <vector>

namespace quillane {
namespace {

// Owns a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE h) : FHandle(h) {}
    ~Handle() {
        if (FHandle) CloseHandle(FHandle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

private:
    HANDLE FHandle;
};

class NotepadLauncher : public IEditorLauncher {
public:
    void OpenAsText(const std::string& pathUtf8) override {
        std::wstring path;
        if (!Utf8ToWide(pathUtf8, path)) return;
        // A quote or NUL cannot be part of a Windows file name; inside the
        // quotes it would split or cut the command line and hand the editor
        // something other than the path.
        if (path.find_first_of(std::wstring(L"\"\0", 2)) != std::wstring::npos) return;
        const std::wstring line = L"notepad \"" + path + L"\"";
        // CreateProcessW may write into the command line, so it gets a copy.
        std::vector<wchar_t> commandLine(line.begin(), line.end());
        commandLine.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        // No application name: the system's search finds notepad. The editor
        // runs on its own; whether it started is deliberately not checked.
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                            nullptr, &startup, &info))
            return;
        Handle process(info.hProcess);
        Handle thread(info.hThread);
    }
};

}  // namespace

std::unique_ptr<IEditorLauncher> CreateSystemEditorLauncher() { return std::make_unique<NotepadLauncher>(); }

}  // namespace quillane
