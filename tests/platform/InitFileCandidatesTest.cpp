#include "InitFileCandidates.h"
#include "InstallFolderRegistry.h"
#include "MemoryRegistry.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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

const std::string Installations = "Software\\Wolfram Research\\Installations";
const std::string Product = "Software\\Wolfram Research\\Mathematica";

// Per-user base folders are hidden on POSIX only: "{.}" in a case's paths.
#ifdef _WIN32
const bool OnWindows = true;
#else
const bool OnWindows = false;
#endif

std::string Here(std::string path) {
    for (std::size_t at; (at = path.find("{.}")) != std::string::npos;) path.replace(at, 3, OnWindows ? "" : ".");
    return path;
}

struct DiscoveryCase {
    const char* Name;
    std::vector<std::string> Dirs;                 // made below the test folder
    std::vector<std::string> Files;                // made, with their folders
    std::map<std::string, std::string> Variables;  // folders below the test folder
    std::function<void(MemoryRegistry&, const TempDir&)> Registry;
    std::vector<std::string> Roots;     // instead: the install roots of the folder stand-in
    bool Homeless;                      // no user data folder known
    std::vector<std::string> Expected;  // as Describe() writes them
    std::string Proposed;               // rule and path
    bool PosixOnly;
};

void PrintTo(const DiscoveryCase& c, std::ostream* os) { *os << c.Name; }

// A path below the test folder as the cases write it.
std::string Relative(const TempDir& tmp, const std::string& path) {
    const std::string root = tmp / "";
    std::string rel = path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : "(outside) " + path;
    for (char& c : rel)
        if (c == '\\') c = '/';
    return rel;
}

std::string Describe(const TempDir& tmp, const InitFileCandidate& c) {
    std::string text = c.Kind == InitFileKind::PerUser    ? "user "
                       : c.Kind == InitFileKind::AllUsers ? "all "
                                                          : "inst ";
    text += Relative(tmp, c.Path);
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

void Register(MemoryRegistry& r, const TempDir& tmp, RegRoot root, RegView view, const std::string& id,
              const std::string& folder) {
    r.SetString({root, view, Installations + "\\" + id}, "InstallationDirectory", tmp / folder);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::u8path(path), ec);
}

class InitFileDiscoveryTest : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(InitFileDiscoveryTest, ListsAndProposes) {
    const DiscoveryCase& c = GetParam();
    if (c.PosixOnly && OnWindows) GTEST_SKIP() << "no such folder on Windows";
    TempDir tmp;
    for (const std::string& d : c.Dirs) fs::create_directories(fs::u8path(tmp / Here(d)));
    for (const std::string& f : c.Files) {
        const fs::path path = fs::u8path(tmp / Here(f));
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
    KernelEnvironment environment;
    for (const auto& [name, folder] : c.Variables) environment.Variables[name] = tmp / Here(folder);
    if (!c.Homeless) environment.UserDataFolder = tmp / "home";
    environment.SharedDataFolder = tmp / "share";

    MemoryRegistry memory;
    if (c.Registry) c.Registry(memory, tmp);
    std::vector<std::string> roots;
    for (const std::string& r : c.Roots) roots.push_back(tmp / r);
    InstallFolderRegistry folders(roots);
    IRegistry& registry = c.Roots.empty() ? static_cast<IRegistry&>(memory) : folders;

    std::vector<std::string> listed, expected;
    for (const InitFileCandidate& candidate : ListInitFiles(registry, environment))
        listed.push_back(Describe(tmp, candidate));
    for (const std::string& e : c.Expected) expected.push_back(Here(e));
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Describe(tmp, ProposeInitFile(registry, environment)), Here(c.Proposed));
}

const std::string UserFile = "user home/{.}Wolfram/Kernel/init.m";
const std::string AllFile = "all share/Wolfram/Kernel/init.m";

const DiscoveryCase DiscoveryCases[] = {
    {"NewUser", {}, {}, {}, nullptr, {}, false, {UserFile, AllFile}, "per-user home/{.}Wolfram/Kernel/init.m",
     false},
    {"OlderFoldersInUse",
     {"home/{.}Mathematica", "share/Mathematica"},
     {"home/{.}Mathematica/Kernel/init.m"},
     {},
     nullptr,
     {},
     false,
     {UserFile, "user home/{.}Mathematica/Kernel/init.m exists", AllFile, "all share/Mathematica/Kernel/init.m"},
     "per-user home/{.}Mathematica/Kernel/init.m",
     false},
    {"FreeEngineAndCurrentFirst",
     {},
     {"home/.Wolfram/Kernel/init.m", "home/.WolframEngine/Kernel/init.m"},
     {},
     nullptr,
     {},
     false,
     {"user home/.Wolfram/Kernel/init.m exists", "user home/.WolframEngine/Kernel/init.m exists", AllFile},
     "per-user home/.Wolfram/Kernel/init.m",
     true},
    {"VariablesMoveEveryBase",
     {},
     {},
     {{"WOLFRAM_USERBASE", "wub"},
      {"MATHEMATICA_USERBASE", "mub"},
      {"WOLFRAM_BASE", "wb/"},
      {"MATHEMATICA_BASE", "mb"}},
     nullptr,
     {},
     false,
     {"user wub/Kernel/init.m", "user mub/Kernel/init.m", "all wb/Kernel/init.m", "all mb/Kernel/init.m"},
     "per-user wub/Kernel/init.m",
     false},
    // A default folder that exists stays listed when a variable moves it;
    // a variable naming a default folder lists it once.
    {"MovedDefaultsThatExist",
     {"home/{.}Wolfram", "home/{.}Mathematica"},
     {"wub/Kernel/init.m"},
     {{"WOLFRAM_USERBASE", "wub"}, {"MATHEMATICA_USERBASE", "home/{.}Mathematica/"}},
     nullptr,
     {},
     false,
     {"user wub/Kernel/init.m exists", UserFile, "user home/{.}Mathematica/Kernel/init.m", AllFile},
     "per-user wub/Kernel/init.m",
     false},
    {"Homeless", {}, {}, {}, nullptr, {}, true, {AllFile}, "none", false},
    // Every root and view, versions by number, a folder registered twice.
    {"RegisteredEverywhere",
     {},
     {"inst/Wolfram/14.1/Configuration/Kernel/init.m"},
     {},
     [](MemoryRegistry& r, const TempDir& tmp) {
         r.SetString(Product + "\\13.0", "InstallDir", tmp / "inst/Mathematica/13.0");
         Register(r, tmp, RegRoot::LocalMachine, RegView::Default, "{A}", "inst/Wolfram/14.1");
         Register(r, tmp, RegRoot::LocalMachine, RegView::Bits32, "{B}", "inst/Mathematica/9.0");
         Register(r, tmp, RegRoot::CurrentUser, RegView::Default, "{C}", "inst/Wolfram/14.10");
         Register(r, tmp, RegRoot::CurrentUser, RegView::Bits32, "{D}", "inst/Mathematica/13.0/");
     },
     {},
     false,
     {UserFile, AllFile, "inst inst/Wolfram/14.10/Configuration/Kernel/init.m Wolfram 14.10",
      "inst inst/Wolfram/14.1/Configuration/Kernel/init.m Wolfram 14.1 exists",
      "inst inst/Mathematica/13.0/Configuration/Kernel/init.m Mathematica 13.0",
      "inst inst/Mathematica/9.0/Configuration/Kernel/init.m Mathematica 9.0"},
     "product-key inst/Mathematica/13.0/Configuration/Kernel/init.m",
     false},
    // The old key's newest version has no folder: the newest registered
    // installation is proposed. Entries that cannot be read are left out.
    {"InstallationsWhenProductKeyFindsNone",
     {},
     {},
     {},
     [](MemoryRegistry& r, const TempDir& tmp) {
         r.SetString(Product + "\\9.0", "InstallDir", tmp / "inst/Mathematica/9.0");
         r.AddKey(Product + "\\9.1");
         Register(r, tmp, RegRoot::LocalMachine, RegView::Default, "custom", "inst/Custom");
         Register(r, tmp, RegRoot::LocalMachine, RegView::Default, "old", "inst/Mathematica/13.0");
         Register(r, tmp, RegRoot::CurrentUser, RegView::Bits32, "new", "inst/Wolfram Engine/14.1");
         r.SetValue({RegRoot::LocalMachine, RegView::Default, Installations + "\\dword"}, "InstallationDirectory",
                    RegType::DWord, "1234");
         r.SetUnreadableValue({RegRoot::CurrentUser, RegView::Default, Installations + "\\locked"},
                              "InstallationDirectory", RegType::String, 40);
         r.SetString({RegRoot::CurrentUser, RegView::Default, Installations + "\\empty"}, "InstallationDirectory",
                     "");
         r.AddKey({RegRoot::LocalMachine, RegView::Bits32, Installations + "\\bare"});
     },
     {},
     false,
     {UserFile, AllFile, "inst inst/Wolfram Engine/14.1/Configuration/Kernel/init.m Wolfram Engine 14.1",
      "inst inst/Mathematica/13.0/Configuration/Kernel/init.m Mathematica 13.0",
      "inst inst/Mathematica/9.0/Configuration/Kernel/init.m Mathematica 9.0",
      "inst inst/Custom/Configuration/Kernel/init.m Custom "},
     "installations inst/Wolfram Engine/14.1/Configuration/Kernel/init.m",
     false},
    // Linux: the same installations from the folders on disk; the engine's
    // 14.1 is listed beside the full product's.
    {"FolderStandIn",
     {"roots/Mathematica/13.0", "roots/Mathematica/14.1", "roots/WolframEngine/14.1"},
     {},
     {},
     nullptr,
     {"roots/Mathematica", "roots/WolframEngine"},
     false,
     {UserFile, AllFile, "inst roots/Mathematica/14.1/Configuration/Kernel/init.m Mathematica 14.1",
      "inst roots/WolframEngine/14.1/Configuration/Kernel/init.m WolframEngine 14.1",
      "inst roots/Mathematica/13.0/Configuration/Kernel/init.m Mathematica 13.0"},
     "product-key roots/Mathematica/14.1/Configuration/Kernel/init.m",
     false},
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
    EXPECT_TRUE(IsFolder(environment.SharedDataFolder)) << environment.SharedDataFolder;
}

struct VersionCase {
    std::string Older;
    std::string Newer;  // equal to Older in age when Same
    bool Same;
};

TEST(CompareVersionNumbers, OrdersByNumber) {
    const VersionCase cases[] = {{"9.0", "13.0", false},  {"14.1", "14.10", false}, {"14.9", "14.10", false},
                                 {"14.1", "14.1.0", true}, {"013.0", "13", true},    {"13.0 日本語版", "13.0", true},
                                 {"", "0.1", false},       {"Custom", "1", false},
                                 {"14.99999999999999999999", "14.100000000000000000000", false},
                                 {"Beta", "alpha", true}};
    for (const VersionCase& c : cases) {
        const int sign = c.Same ? 0 : -1;
        EXPECT_EQ(CompareVersionNumbers(c.Older, c.Newer), sign) << c.Older << " / " << c.Newer;
        EXPECT_EQ(CompareVersionNumbers(c.Newer, c.Older), -sign) << c.Newer << " / " << c.Older;
    }
}

struct AccessCase {
    const char* Name;
    std::vector<std::string> Dirs;
    std::vector<std::string> Files;
    std::vector<std::pair<std::string, int>> Modes;  // set after making them
    std::string Path;
    bool Exists;
    bool Writable;
    bool PosixOnly;  // folder permissions that Windows does not have
};

// What `ProbeInitFile` answers for each case, as one line per mismatch.
std::string Mismatches(const TempDir& tmp, const std::vector<AccessCase>& cases) {
    std::string errors;
    for (const AccessCase& c : cases) {
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
    const std::vector<AccessCase> all = {
        {"WritableFile", {}, {"init.m"}, {{"init.m", 0666}}, "init.m", true, true, false},
        {"ReadOnlyFile", {}, {"init.m"}, {{"init.m", 0444}}, "init.m", true, false, false},
        {"FolderInItsPlace", {"init.m"}, {}, {}, "init.m", true, false, false},
        {"MissingInWritableFolder", {"a"}, {}, {{"a", 0777}}, "a/init.m", false, true, false},
        {"MissingFoldersToo", {"a"}, {}, {{"a", 0777}}, "a/b/Kernel/init.m", false, true, false},
        {"FileWhereAFolderGoes", {}, {"a"}, {{"a", 0666}}, "a/Kernel/init.m", false, false, false},
        {"MissingInReadOnlyFolder", {"a"}, {}, {{"a", 0555}}, "a/init.m", false, false, true},
        {"MissingFoldersInReadOnlyFolder", {"a"}, {}, {{"a", 0555}}, "a/b/init.m", false, false, true},
        {"UnsearchableFolder", {}, {"a/init.m"}, {{"a/init.m", 0666}, {"a", 0666}}, "a/init.m", false, false, true},
    };
    TempDir tmp;
    std::vector<AccessCase> cases;
    for (const AccessCase& c : all) {
        if (c.PosixOnly && OnWindows) continue;
        cases.push_back(c);
        const std::string base = std::string(c.Name) + "/";
        fs::create_directories(fs::u8path(tmp / c.Name));
        for (const std::string& d : c.Dirs) fs::create_directories(fs::u8path(tmp / (base + d)));
        for (const std::string& f : c.Files) {
            fs::create_directories(fs::u8path(tmp / (base + f)).parent_path());
            std::ofstream(fs::u8path(tmp / (base + f))) << "x";
        }
        for (const auto& [path, mode] : c.Modes) fs::permissions(fs::u8path(tmp / (base + path)), fs::perms(mode));
    }
#ifndef _WIN32
    if (::geteuid() == 0) {
        EXPECT_EXIT(
            {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(3);
                const std::string errors = Mismatches(tmp, cases);
                std::fputs(errors.c_str(), stderr);
                std::_Exit(errors.empty() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    } else
#endif
        EXPECT_EQ(Mismatches(tmp, cases), "");
    // Opened again so that the folder can be removed.
    for (const AccessCase& c : cases)
        for (const auto& [path, mode] : c.Modes)
            fs::permissions(fs::u8path(tmp / (std::string(c.Name) + "/" + path)), fs::perms::owner_all);
}

}  // namespace
