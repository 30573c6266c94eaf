#include "InitFileLocation.h"
#include "InstallFolderRegistry.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace quillane;
using quillane::test::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string Product = "Software\\Wolfram Research\\Mathematica";
const std::string Installations = "Software\\Wolfram Research\\Installations";

struct Layout {
    const char* Name;
    std::vector<std::string> Dirs;   // "rootN/folder", created
    std::vector<std::string> Files;  // "rootN/name", plain files
    int Roots;                       // roots root0..rootN-1 passed, in order; only created ones exist
    bool KeyExists;
    std::vector<std::string> Versions;  // expected subkey names
    std::string Newest;                 // expected "rootN/folder" of the result, or empty
    std::vector<std::string> Folders;   // expected "rootN/folder" of the installations, in order
};

void PrintTo(const Layout& l, std::ostream* os) {
    *os << l.Name;
}

class InstallFolderRegistryTest : public ::testing::TestWithParam<Layout> {};

TEST_P(InstallFolderRegistryTest, ListsVersionFolders) {
    const Layout& l = GetParam();
    TempDir tmp;
    for (const std::string& d : l.Dirs) fs::create_directories(fs::u8path(tmp / d));
    for (const std::string& f : l.Files) std::ofstream(fs::u8path(tmp / f)) << "x";
    std::vector<std::string> roots;
    for (int i = 0; i < l.Roots; ++i) roots.push_back(tmp / ("root" + std::to_string(i)));
    InstallFolderRegistry registry(roots);

    auto key = registry.OpenLocalMachineKey(Product);
    ASSERT_EQ(key != nullptr, l.KeyExists);
    if (key) {
        EXPECT_EQ(key->SubKeyNames(), l.Versions);
    }
    // Every folder is an installation, even a version found twice; the
    // subkeys' names are opaque, their values name the folders.
    auto installations = registry.OpenLocalMachineKey(Installations);
    ASSERT_EQ(installations != nullptr, l.KeyExists);
    if (installations) {
        std::vector<std::string> folders, expected;
        for (const std::string& id : installations->SubKeyNames()) {
            auto sub = registry.OpenLocalMachineKey(Installations + "\\" + id);
            std::string data;
            ASSERT_TRUE(sub && sub->ReadValue("InstallationDirectory", data)) << id;
            folders.push_back(data);
        }
        for (const std::string& f : l.Folders) expected.push_back((tmp / f) + '\0');
        EXPECT_EQ(folders, expected);
    }

    const std::string expected = l.Newest.empty() ? std::string() : (tmp / l.Newest) + KernelInitRelativePath;
    EXPECT_EQ(LocateInitFile(registry), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, InstallFolderRegistryTest,
    ::testing::Values(Layout{"NoRootExists", {}, {}, 4, false, {}, "", {}},
                      Layout{"EmptyRoot", {"root1"}, {}, 4, true, {}, "", {}},
                      Layout{"OneVersion", {"root0/13.1"}, {}, 4, true, {"13.1"}, "root0/13.1", {"root0/13.1"}},
                      Layout{"TextOrderAcrossRoots",
                             {"root0/9.0", "root0/10.4", "root2/4.1"},
                             {},
                             4,
                             true,
                             {"10.4", "9.0", "4.1"},
                             "root0/9.0",
                             {"root0/10.4", "root0/9.0", "root2/4.1"}},
                      Layout{"FirstRootWinsForSameVersion",
                             {"root0/13.0", "root1/13.0", "root1/12.3"},
                             {},
                             2,
                             true,
                             {"13.0", "12.3"},
                             "root0/13.0",
                             {"root0/13.0", "root1/12.3", "root1/13.0"}},
                      Layout{"FilesAndHiddenFoldersIgnored",
                             {"root0/12.0", "root0/.cache"},
                             {"root0/14.0", "root0/README"},
                             1,
                             true,
                             {"12.0"},
                             "root0/12.0",
                             {"root0/12.0"}},
                      Layout{"SpacesAndNonAscii",
                             {"root0/数学 表ソ能 1.0"},
                             {},
                             1,
                             true,
                             {"数学 表ソ能 1.0"},
                             "root0/数学 表ソ能 1.0",
                             {"root0/数学 表ソ能 1.0"}}),
    [](const ::testing::TestParamInfo<Layout>& info) { return info.param.Name; });

TEST(InstallFolderRegistryKeys, OnlyTheProductKeyAndVersionsExist) {
    TempDir tmp;
    fs::create_directories(fs::u8path(tmp / "root0/13.1"));
    InstallFolderRegistry registry({tmp / "root0"});

    // Registry paths ignore case and may be written absolute.
    EXPECT_NE(registry.OpenLocalMachineKey("SOFTWARE\\wolfram research\\MATHEMATICA"), nullptr);
    EXPECT_NE(registry.OpenLocalMachineKey("\\" + Product), nullptr);
    for (const std::string& missing : {std::string("Software"), std::string("Software\\Wolfram Research"),
                                       Product + "\\13.2", Product + "\\13.1\\Sub", Product + "\\",
                                       std::string("Software\\Other\\Mathematica\\13.1"), Installations + "\\13.1"})
        EXPECT_EQ(registry.OpenLocalMachineKey(missing), nullptr) << missing;
    // Installations register only for the machine, in this process's view.
    EXPECT_EQ(registry.OpenKey(RegRoot::CurrentUser, RegView::Default, Product), nullptr);
    EXPECT_EQ(registry.OpenKey(RegRoot::LocalMachine, RegView::Bits32, Installations), nullptr);

    auto version = registry.OpenLocalMachineKey(Product + "\\13.1");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->SubKeyNames().empty());
    EXPECT_TRUE(version->HasValue("InstallDir"));
    EXPECT_FALSE(version->HasValue("ProductDir"));
    RegType type = RegType::None;
    std::uint32_t size = 0;
    ASSERT_TRUE(version->QueryValueInfo("InstallDir", type, size));
    EXPECT_EQ(type, RegType::String);
    std::string data;
    ASSERT_TRUE(version->ReadValue("InstallDir", data));
    EXPECT_EQ(data, (tmp / "root0/13.1") + '\0');
    EXPECT_EQ(size, data.size());
}

TEST(InstallFolderRegistryKeys, SeesInstallationsAddedLater) {
    TempDir tmp;
    fs::create_directories(fs::u8path(tmp / "root0"));
    InstallFolderRegistry registry({tmp / "root0"});
    EXPECT_EQ(LocateInitFile(registry), "");
    fs::create_directories(fs::u8path(tmp / "root0/14.0"));
    EXPECT_EQ(LocateInitFile(registry), (tmp / "root0/14.0") + KernelInitRelativePath);
}

}  // namespace
