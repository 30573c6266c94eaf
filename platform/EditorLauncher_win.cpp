#include "EditorLauncher.h"
#include "Translation.h"
#include "UniqueHandle.h"
#include "WideText_win.h"

#include <windows.h>

#include <vector>

namespace quillane {
namespace {

// Why a Windows call failed, in the system's words.
std::string SystemMessage(DWORD error) {
    const std::string utf8 = SystemErrorText(error);
    return Arg(Translate("quillane::EditorLauncher", "エラー %1"), {std::to_string(error)}) +
           (utf8.empty() ? "" : ": " + utf8);
}

class NotepadLauncher : public IEditorLauncher {
public:
    explicit NotepadLauncher(std::wstring program) : FProgram(std::move(program)) {}

    void OpenAsText(const std::string& pathUtf8) override {
        std::wstring path;
        if (!Utf8ToWide(pathUtf8, path))
            throw EEditorLaunchError(Translate("quillane::EditorLauncher", "ﾌｧｲﾙ名を Windows の文字に変換できません"));
        // A quote or NUL cannot be part of a Windows file name; inside the
        // quotes it would split or cut the command line and hand the editor
        // something other than the path.
        if (path.find_first_of(std::wstring(L"\"\0", 2)) != std::wstring::npos)
            throw EEditorLaunchError(
                Arg(Translate("quillane::EditorLauncher", "ﾌｧｲﾙ名に \" を含むﾌｧｲﾙは開けません: %1"), {pathUtf8}));
        const std::wstring line = FProgram + L" \"" + path + L"\"";
        // CreateProcessW may write into the command line, so it gets a copy.
        std::vector<wchar_t> commandLine(line.begin(), line.end());
        commandLine.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        // No application name: the system's search finds the editor. It runs
        // on its own and is not waited for, and inherits none of this
        // program's handles: an open init.m or pipe must not live on in it.
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                            nullptr, &startup, &info)) {
            const DWORD error = GetLastError();
            std::string program;
            WideToUtf8(FProgram, program);
            throw EEditorLaunchError(
                Arg(Translate("quillane::EditorLauncher", "ﾃｷｽﾄｴﾃﾞｨﾀを起動できません。試したﾌﾟﾛｸﾞﾗﾑ:%1"),
                    {"\n" + program + " (" + SystemMessage(error) + ")"}));
        }
        // Nothing here needs the editor's process or thread.
        const KernelHandle process(info.hProcess);
        const KernelHandle thread(info.hThread);
    }

private:
    std::wstring FProgram;
};

}  // namespace

std::unique_ptr<IEditorLauncher> CreateSystemEditorLauncher() {
    return std::make_unique<NotepadLauncher>(L"notepad");
}

std::unique_ptr<IEditorLauncher> CreateEditorLauncher(const std::string& program) {
    std::wstring wide;
    if (!Utf8ToWide(program, wide))
        throw EEditorLaunchError(Translate("quillane::EditorLauncher", "ﾌﾟﾛｸﾞﾗﾑ名を Windows の文字に変換できません"));
    return std::make_unique<NotepadLauncher>(wide);
}

}  // namespace quillane
