#include "InitFileCandidates.h"
#include "InstallFolderRegistry.h"
#include "MemoryRegistry.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace quillane;
using quillane::test::TempDir;
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const bool OnWindows = true;
#else
const bool OnWindows = false;
#endif

// Per-user base folders are hidden on POSIX only: "{.}" in a case's paths.
std::string Here(std::string path) {
    for (std::size_t at; (at = path.find("{.}")) != std::string::npos;) path.replace(at, 3, OnWindows ? "" : ".");
    return path;
}

void MakeFile(const std::string& path) {
    fs::create_directories(fs::u8path(path).parent_path());
    std::ofstream(fs::u8path(path)) << "x";
}

struct DiscoveryCase {
    const char* Name;
    // "what:arg:arg", paths below the test folder: dir:P, file:P, var:NAME:P,
    // homeless, root:P (the folder stand-in instead of the registry),
    // product:VERSION[:P], HIVE:ID:P with HIVE hklm, hklm32, hkcu or hkcu32
    // (an Installations entry), and dword:ID, locked:ID, empty:ID, bare:ID
    // (entries whose folder cannot be read).
    std::vector<std::string> Setup;
    std::vector<std::string> Expected;  // as Describe() writes them
    std::string Proposed;               // rule and path
    bool PosixOnly = false;
};

void PrintTo(const DiscoveryCase& c, std::ostream* os) {
    *os << c.Name;
}

// A path below the test folder as the cases write it.
std::string Relative(const TempDir& tmp, std::string path) {
    const std::string root = tmp / "";
    path = path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : "(outside) " + path;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string Describe(const TempDir& tmp, const InitFileCandidate& c) {
    const char* kind = c.Kind == InitFileKind::PerUser ? "user " : c.Kind == InitFileKind::AllUsers ? "all " : "inst ";
    std::string text = kind + Relative(tmp, c.Path);
    if (c.Kind == InitFileKind::Installation) text += " " + c.Product + " " + c.Version;
    return text + (c.Access.Exists ? " exists" : "");
}

std::string Describe(const TempDir& tmp, const ProposedInitFile& p) {
    const char* rule = p.Rule == InitFileRule::ProductKey      ? "product-key "
                       : p.Rule == InitFileRule::Installations ? "installations "
                       : p.Rule == InitFileRule::PerUser       ? "per-user "
                                                               : "none";
    return rule + (p.Path.empty() ? std::string() : Relative(tmp, p.Path));
}

class InitFileDiscoveryTest : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(InitFileDiscoveryTest, ListsAndProposes) {
    const DiscoveryCase& c = GetParam();
    if (c.PosixOnly && OnWindows) GTEST_SKIP() << "no such folder on Windows";
    TempDir tmp;
    KernelEnvironment environment;
    environment.UserDataFolder = tmp / "home";
    environment.SharedDataFolder = tmp / "share";
    MemoryRegistry memory;
    std::vector<std::string> roots;
    const std::string installations = "Software\\Wolfram Research\\Installations\\";
    const std::map<std::string, MemoryRegistry::KeyPath> hives = {
        {"hklm", {RegRoot::LocalMachine, RegView::Default, installations}},
        {"hklm32", {RegRoot::LocalMachine, RegView::Bits32, installations}},
        {"hkcu", {RegRoot::CurrentUser, RegView::Default, installations}},
        {"hkcu32", {RegRoot::CurrentUser, RegView::Bits32, installations}}};
    for (const std::string& command : c.Setup) {
        std::vector<std::string> a;
        std::istringstream in(Here(command));
        for (std::string part; std::getline(in, part, ':');) a.push_back(part);
        const MemoryRegistry::KeyPath entry = installations + (a.size() > 1 ? a[1] : "");
        if (a[0] == "dir") fs::create_directories(fs::u8path(tmp / a[1]));
        if (a[0] == "file") MakeFile(tmp / a[1]);
        if (a[0] == "var") environment.Variables[a[1]] = tmp / a[2];
        if (a[0] == "homeless") environment.UserDataFolder.clear();
        if (a[0] == "root") roots.push_back(tmp / a[1]);
        if (a[0] == "product") memory.AddKey("Software\\Wolfram Research\\Mathematica\\" + a[1]);
        if (a[0] == "product" && a.size() > 2)
            memory.SetString("Software\\Wolfram Research\\Mathematica\\" + a[1], "InstallDir", tmp / a[2]);
        if (const auto hive = hives.find(a[0]); hive != hives.end()) {
            MemoryRegistry::KeyPath key = hive->second;
            key.Path += a[1];
            memory.SetString(key, "InstallationDirectory", tmp / a[2]);
        }
        if (a[0] == "dword") memory.SetValue(entry, "InstallationDirectory", RegType::DWord, "1234");
        if (a[0] == "locked") memory.SetUnreadableValue(entry, "InstallationDirectory", RegType::String, 40);
        if (a[0] == "empty") memory.SetString(entry, "InstallationDirectory", "");
        if (a[0] == "bare") memory.AddKey(entry);
    }
    InstallFolderRegistry folders(roots);
    IRegistry& registry = roots.empty() ? static_cast<IRegistry&>(memory) : folders;

    std::vector<std::string> listed, expected;
    for (const InitFileCandidate& candidate : ListInitFiles(registry, environment))
        listed.push_back(Describe(tmp, candidate));
    for (const std::string& e : c.Expected) expected.push_back(Here(e));
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Describe(tmp, ProposeInitFile(registry, environment)), Here(c.Proposed));
}

const std::string UserFile = "user home/{.}Wolfram/Kernel/init.m";
const std::string AllFile = "all share/Wolfram/Kernel/init.m";
const std::string Init = "/Configuration/Kernel/init.m";

const DiscoveryCase DiscoveryCases[] = {
    {"NewUser", {}, {UserFile, AllFile}, "per-user home/{.}Wolfram/Kernel/init.m"},
    {"OlderFoldersInUse",
     {"dir:home/{.}Mathematica", "dir:share/Mathematica", "file:home/{.}Mathematica/Kernel/init.m"},
     {UserFile, "user home/{.}Mathematica/Kernel/init.m exists", AllFile, "all share/Mathematica/Kernel/init.m"},
     "per-user home/{.}Mathematica/Kernel/init.m"},
    {"FreeEngineAndCurrentFirst",
     {"file:home/.Wolfram/Kernel/init.m", "file:home/.WolframEngine/Kernel/init.m"},
     {"user home/.Wolfram/Kernel/init.m exists", "user home/.WolframEngine/Kernel/init.m exists", AllFile},
     "per-user home/.Wolfram/Kernel/init.m",
     true},
    {"VariablesMoveEveryBase",
     {"var:WOLFRAM_USERBASE:wub", "var:MATHEMATICA_USERBASE:mub", "var:WOLFRAM_BASE:wb/", "var:MATHEMATICA_BASE:mb"},
     {"user wub/Kernel/init.m", "user mub/Kernel/init.m", "all wb/Kernel/init.m", "all mb/Kernel/init.m"},
     "per-user wub/Kernel/init.m"},
    // A default folder that exists stays listed when a variable moves it;
    // a variable naming a default folder lists it once.
    {"MovedDefaultsThatExist",
     {"dir:home/{.}Wolfram", "dir:home/{.}Mathematica", "file:wub/Kernel/init.m", "var:WOLFRAM_USERBASE:wub",
      "var:MATHEMATICA_USERBASE:home/{.}Mathematica/"},
     {"user wub/Kernel/init.m exists", UserFile, "user home/{.}Mathematica/Kernel/init.m", AllFile},
     "per-user wub/Kernel/init.m"},
    {"Homeless", {"homeless"}, {AllFile}, "none"},
    // Every root and view, versions by number, a folder registered twice.
    {"RegisteredEverywhere",
     {"product:13.0:inst/Mathematica/13.0", "hklm:{A}:inst/Wolfram/14.1", "hklm32:{B}:inst/Mathematica/9.0",
      "hkcu:{C}:inst/Wolfram/14.10", "hkcu32:{D}:inst/Mathematica/13.0/", "file:inst/Wolfram/14.1" + Init},
     {UserFile, AllFile, "inst inst/Wolfram/14.10" + Init + " Wolfram 14.10",
      "inst inst/Wolfram/14.1" + Init + " Wolfram 14.1 exists",
      "inst inst/Mathematica/13.0" + Init + " Mathematica 13.0",
      "inst inst/Mathematica/9.0" + Init + " Mathematica 9.0"},
     "product-key inst/Mathematica/13.0" + Init},
    // The old key's last version has no folder: the newest registered
    // installation is proposed. Entries that cannot be read are left out.
    {"InstallationsWhenProductKeyFindsNone",
     {"product:9.0:inst/Mathematica/9.0", "product:9.1", "hklm:custom:inst/Custom", "hklm:old:inst/Mathematica/13.0",
      "hkcu32:new:inst/Wolfram Engine/14.1", "dword:d", "locked:l", "empty:e", "bare:b"},
     {UserFile, AllFile, "inst inst/Wolfram Engine/14.1" + Init + " Wolfram Engine 14.1",
      "inst inst/Mathematica/13.0" + Init + " Mathematica 13.0",
      "inst inst/Mathematica/9.0" + Init + " Mathematica 9.0", "inst inst/Custom" + Init + " Custom "},
     "installations inst/Wolfram Engine/14.1" + Init},
    // Linux: the installations from the folders on disk; the engine's 14.1
    // is listed beside the full product's.
    {"FolderStandIn",
     {"root:roots/Mathematica", "root:roots/WolframEngine", "dir:roots/Mathematica/13.0", "dir:roots/Mathematica/14.1",
      "dir:roots/WolframEngine/14.1"},
     {UserFile, AllFile, "inst roots/Mathematica/14.1" + Init + " Mathematica 14.1",
      "inst roots/WolframEngine/14.1" + Init + " WolframEngine 14.1",
      "inst roots/Mathematica/13.0" + Init + " Mathematica 13.0"},
     "product-key roots/Mathematica/14.1" + Init},
};

INSTANTIATE_TEST_SUITE_P(Machines, InitFileDiscoveryTest, ::testing::ValuesIn(DiscoveryCases),
                         [](const ::testing::TestParamInfo<DiscoveryCase>& info) { return info.param.Name; });

// The variables as the process has them, an empty one as unset; the
// folders from the system (without HOME on POSIX: the account's home).
TEST(SystemKernelEnvironment, ReadsVariablesAndFolders) {
#ifdef _WIN32
    const std::string base = "C:\\表 ソ";
    SetEnvironmentVariableW(L"WOLFRAM_USERBASE", L"C:\\\u8868 \u30bd");
    for (const wchar_t* name : {L"MATHEMATICA_USERBASE", L"WOLFRAM_BASE", L"MATHEMATICA_BASE"})
        SetEnvironmentVariableW(name, L"");
#else
    const std::string base = "/tmp/表 ソ";
    ::setenv("WOLFRAM_USERBASE", base.c_str(), 1);
    for (const char* name : {"MATHEMATICA_USERBASE", "WOLFRAM_BASE", "MATHEMATICA_BASE"}) ::setenv(name, "", 1);
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::unsetenv("HOME");
#endif
    const KernelEnvironment environment = SystemKernelEnvironment();
#ifndef _WIN32
    if (home) ::setenv("HOME", savedHome.c_str(), 1);
#endif
    EXPECT_EQ(environment.Variables, (std::map<std::string, std::string>{{"WOLFRAM_USERBASE", base}}));
    EXPECT_FALSE(environment.UserDataFolder.empty());
    EXPECT_TRUE(fs::is_directory(fs::u8path(environment.SharedDataFolder))) << environment.SharedDataFolder;
}

TEST(CompareVersionNumbers, OrdersByNumber) {
    // Each older than the next; "=" marks one as new as the one before.
    const std::vector<std::string> order = {"",
                                            "=Beta",
                                            "=alpha",
                                            "0.1",
                                            "9.0",
                                            "13",
                                            "=13.0 日本語版",
                                            "=013.0.0",
                                            "14.1",
                                            "14.9",
                                            "14.10",
                                            "14.99999999999999999999",
                                            "14.100000000000000000000"};
    for (std::size_t i = 1; i < order.size(); ++i) {
        const bool same = order[i][0] == '=';
        const std::string a = order[i - 1][0] == '=' ? order[i - 1].substr(1) : order[i - 1];
        const std::string b = same ? order[i].substr(1) : order[i];
        EXPECT_EQ(CompareVersionNumbers(a, b), same ? 0 : -1) << a << " / " << b;
        EXPECT_EQ(CompareVersionNumbers(b, a), same ? 0 : 1) << b << " / " << a;
    }
}

// Each case is a folder of its own: "what it holds" and the path probed.
struct AccessCase {
    const char* Name;
    std::vector<std::string> Setup;  // dir:P, file:P, mode:P:OCTAL
    std::string Path;
    bool Exists;
    bool Writable;
    bool PosixOnly;  // folder permissions that Windows does not have
};

const AccessCase AccessCases[] = {
    {"WritableFile", {"file:init.m", "mode:init.m:666"}, "init.m", true, true, false},
    {"ReadOnlyFile", {"file:init.m", "mode:init.m:444"}, "init.m", true, false, false},
    {"FolderInItsPlace", {"dir:init.m"}, "init.m", true, false, false},
    {"MissingInWritableFolder", {"dir:a", "mode:a:777"}, "a/init.m", false, true, false},
    {"MissingFoldersToo", {"dir:a", "mode:a:777"}, "a/b/Kernel/init.m", false, true, false},
    {"FileWhereAFolderGoes", {"file:a", "mode:a:666"}, "a/Kernel/init.m", false, false, false},
    {"MissingInReadOnlyFolder", {"dir:a", "mode:a:555"}, "a/init.m", false, false, true},
    {"MissingFoldersInReadOnlyFolder", {"dir:a", "mode:a:555"}, "a/b/init.m", false, false, true},
    {"UnsearchableFolder", {"file:a/init.m", "mode:a/init.m:666", "mode:a:666"}, "a/init.m", false, false, true},
};

// What ProbeInitFile answers against the cases, one line per mismatch.
std::string Mismatches(const TempDir& tmp) {
    std::string errors;
    for (const AccessCase& c : AccessCases) {
        if (c.PosixOnly && OnWindows) continue;
        const InitFileAccess a = ProbeInitFile(tmp / (std::string(c.Name) + "/" + c.Path));
        if (a.Exists != c.Exists || a.Writable != c.Writable)
            errors += std::string(c.Name) + ": exists " + std::to_string(a.Exists) + ", writable " +
                      std::to_string(a.Writable) + "\n";
    }
    return errors;
}

// Root may write anything, so on POSIX the answers are checked as an
// ordinary user: in a child that gives up root when the tests run as root.
TEST(ProbeInitFile, AnswersForThisUser) {
    TempDir tmp;
    std::vector<std::string> opened;
    for (const AccessCase& c : AccessCases) {
        fs::create_directories(fs::u8path(tmp / c.Name));
        for (const std::string& command : c.Setup) {
            const std::size_t cut = command.find(':'), mode = command.find(':', cut + 1);
            const std::string path = tmp / (std::string(c.Name) + "/" + command.substr(cut + 1, mode - cut - 1));
            if (command[0] == 'd') fs::create_directories(fs::u8path(path));
            if (command[0] == 'f') MakeFile(path);
            if (command[0] == 'm') {
                fs::permissions(fs::u8path(path), fs::perms(std::stoi(command.substr(mode + 1), nullptr, 8)));
                opened.insert(opened.begin(), path);
            }
        }
    }
#ifndef _WIN32
    if (::geteuid() == 0) {
        EXPECT_EXIT(
            {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(3);
                const std::string errors = Mismatches(tmp);
                std::fputs(errors.c_str(), stderr);
                std::_Exit(errors.empty() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    } else
#endif
        EXPECT_EQ(Mismatches(tmp), "");
    // Opened again, outermost first, so that the folder can be removed.
    for (const std::string& path : opened) fs::permissions(fs::u8path(path), fs::perms::owner_all);
}

}  // namespace
