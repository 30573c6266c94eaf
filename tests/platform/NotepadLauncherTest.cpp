// The real launcher, with a stand-in notepad.exe built next to this test:
// the system's search for "notepad" finds the launching program's own folder
// first.
#include "EditorLauncher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

using namespace quillane;

namespace {

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    static std::atomic<int> counter{0};
    std::wstring dir = std::wstring(buffer, n) + L"quillane-notepad-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(counter++);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// Waits for the file, at most a minute; empty when it never appears.
std::string WaitForFile(const std::wstring& path) {
    for (int i = 0; i < 600; ++i) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            std::string text;
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
            CloseHandle(f);
            return text;
        }
        Sleep(100);
    }
    return std::string();
}

struct PathCase {
    const char* Name;
    std::string Path;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.Name;
}

class NotepadLauncherTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(NotepadLauncherTest, CommandLineIsNotepadAndQuotedPath) {
    const std::wstring dir = TempFolder();
    const std::wstring out = dir + L"\\command-line.txt";
    const std::wstring release = dir + L"\\release";
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_OUT", out.c_str());
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_RELEASE", release.c_str());
    // An inheritable handle of this program's: the editor must not get it.
    const std::wstring held = dir + L"\\held.txt";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE h = CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_HANDLE",
                            std::to_wstring(reinterpret_cast<std::uintptr_t>(h)).c_str());

    auto launcher = CreateSystemEditorLauncher();
    launcher->OpenAsText(GetParam().Path);
    // Back while the editor still waits: a launcher that waited would stall.
    HANDLE r = CreateFileW(release.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    CloseHandle(r);

    EXPECT_EQ(WaitForFile(out), "notepad \"" + GetParam().Path + "\"");
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_HANDLE", nullptr);
    CloseHandle(h);
    EXPECT_EQ(WaitForFile(held), "") << "the editor inherited a handle";
    DeleteFileW(held.c_str());
    DeleteFileW(out.c_str());
    DeleteFileW(release.c_str());
    RemoveDirectoryW(dir.c_str());
}

INSTANTIATE_TEST_SUITE_P(Paths, NotepadLauncherTest,
                         ::testing::Values(PathCase{"Plain", "C:\\Wolfram\\Configuration\\Kernel\\init.m"},
                                           PathCase{"Spaces", "C:\\Program Files\\Wolfram Research\\  x  \\init.m"},
                                           PathCase{"Japanese", "C:\\ユーザー\\数学 表ソ能\\init.m"},
                                           PathCase{"Empty", ""}),
                         [](const ::testing::TestParamInfo<PathCase>& info) { return info.param.Name; });

// A quote would end the quoted path early and pass the rest as more
// arguments; such a name cannot exist on Windows, so nothing is started.
TEST(NotepadLauncherRefusal, PathWithQuoteStartsNothing) {
    const std::wstring dir = TempFolder();
    const std::wstring refusedOut = dir + L"\\refused.txt";
    const std::wstring laterOut = dir + L"\\later.txt";
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_RELEASE", nullptr);
    auto launcher = CreateSystemEditorLauncher();
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_OUT", refusedOut.c_str());
    EXPECT_THROW(launcher->OpenAsText("C:\\a\" \"C:\\b.m"), EEditorLaunchError);
    // A start made afterwards has finished; one made before would have too.
    SetEnvironmentVariableW(L"QUILLANE_FAKE_EDITOR_OUT", laterOut.c_str());
    launcher->OpenAsText("C:\\ok.m");
    EXPECT_EQ(WaitForFile(laterOut), "notepad \"C:\\ok.m\"");
    Sleep(500);
    EXPECT_EQ(GetFileAttributesW(refusedOut.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(refusedOut.c_str());
    DeleteFileW(laterOut.c_str());
    RemoveDirectoryW(dir.c_str());
}

// A program that cannot be found is reported with the system's reason.
TEST(NotepadLauncherFailure, SaysWhatWasTried) {
    auto launcher = CreateEditorLauncher("quillane-no-such-editor");
    try {
        launcher->OpenAsText("C:\\init.m");
        ADD_FAILURE() << "started a program that does not exist";
    } catch (const EEditorLaunchError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("quillane-no-such-editor (エラー 2"), std::string::npos) << message;
    }
}

}  // namespace
