// Runs against the real registry (under Wine: the registry of the build's
// own Wine prefix). Every test rebuilds the keys it reads from scratch.
#include "InitFileCandidates.h"
#include "InitFileLocation.h"
#include "Registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quillane;

namespace {

const wchar_t* const Vendor = L"Software\\Wolfram Research";
const wchar_t* const Product = L"Software\\Wolfram Research\\Mathematica";

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

struct RegValue {
    std::string Version;
    std::string Name;
    DWORD Type;
    std::string Text;  // UTF-8, stored as UTF-16 for string types
    bool Terminated;   // with a terminating NUL
    DWORD RawDword;    // the data of REG_DWORD
};

RegValue Sz(const std::string& version, const std::string& name, const std::string& text, DWORD type = REG_SZ) {
    return {version, name, type, text, true, 0};
}

void DeleteProductKey() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, Product);
}

void Store(const RegValue& v) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(Product) + L"\\" + Wide(v.Version);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    LONG r = ERROR_SUCCESS;
    const std::wstring name = Wide(v.Name);
    if (v.Name.empty()) {
        // A version key without values.
    } else if (v.Type == REG_DWORD) {
        r = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.RawDword), sizeof(DWORD));
    } else if (v.Type == REG_BINARY) {
        r = RegSetValueExW(key, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(v.Text.data()),
                           static_cast<DWORD>(v.Text.size()));
    } else {
        const std::wstring text = Wide(v.Text);
        const DWORD bytes = static_cast<DWORD>((text.size() + (v.Terminated ? 1 : 0)) * sizeof(wchar_t));
        r = RegSetValueExW(key, name.c_str(), 0, v.Type, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    }
    RegCloseKey(key);
    ASSERT_EQ(r, ERROR_SUCCESS);
}

struct RegistryCase {
    const char* Name;
    std::vector<RegValue> Values;
    std::string Folder;  // expected installation folder; empty: empty result
    std::string Error;
};

void PrintTo(const RegistryCase& c, std::ostream* os) {
    *os << c.Name;
}

class WindowsRegistryTest : public ::testing::TestWithParam<RegistryCase> {
protected:
    void SetUp() override { DeleteProductKey(); }
    void TearDown() override { DeleteProductKey(); }
};

TEST_P(WindowsRegistryTest, LocatesInitFile) {
    const RegistryCase& c = GetParam();
    for (const RegValue& v : c.Values) {
        Store(v);
        if (HasFatalFailure()) return;
    }
    auto registry = CreateSystemRegistry();
    if (!c.Error.empty()) {
        try {
            LocateInitFile(*registry);
            FAIL() << "no error raised";
        } catch (const ERegistryError& e) {
            EXPECT_EQ(e.what(), c.Error);
        }
        return;
    }
    EXPECT_EQ(LocateInitFile(*registry),
              c.Folder.empty() ? std::string() : c.Folder + "\\Configuration\\Kernel\\init.m");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsRegistryTest,
    ::testing::Values(
        RegistryCase{"NoProductKey", {}, "", ""},
        RegistryCase{"FourVersions",
                     {Sz("4.0", "InstallDir", "C:\\W\\4.0"), Sz("10.0", "InstallDir", "C:\\W\\10.0"),
                      Sz("5.0", "InstallDir", "C:\\W\\5.0"), Sz("4.1", "ProductDir", "C:\\W\\4.1")},
                     "C:\\W\\5.0",
                     ""},
        RegistryCase{"TextOrderNotNumeric",
                     {Sz("10.0", "InstallDir", "C:\\W\\10.0"), Sz("4.1", "InstallDir", "C:\\W\\4.1")},
                     "C:\\W\\4.1",
                     ""},
        RegistryCase{"CaseIgnoredInOrder",
                     {Sz("alpha", "InstallDir", "C:\\W\\alpha"), Sz("Beta", "InstallDir", "C:\\W\\Beta")},
                     "C:\\W\\Beta",
                     ""},
        RegistryCase{"InstallDirBeforeProductDir",
                     {Sz("5.0", "ProductDir", "C:\\Product"), Sz("5.0", "InstallDir", "C:\\Install")},
                     "C:\\Install",
                     ""},
        RegistryCase{"ProductDirExpandStringNotExpanded",
                     {Sz("5.0", "ProductDir", "%SystemDrive%\\Wolfram", REG_EXPAND_SZ)},
                     "%SystemDrive%\\Wolfram",
                     ""},
        RegistryCase{"NewestVersionWithoutValues", {Sz("4.0", "InstallDir", "C:\\Old"), Sz("5.0", "", "")}, "", ""},
        RegistryCase{"SizeZeroString",
                     {{"5.0", "InstallDir", REG_SZ, "", false, 0}, Sz("5.0", "ProductDir", "C:\\Product")},
                     "",
                     ""},
        RegistryCase{
            "StringWithoutTerminator", {{"5.0", "InstallDir", REG_SZ, "C:\\NoNul", false, 0}}, "C:\\NoNul", ""},
        RegistryCase{"NonAsciiFolderAndVersion",
                     {Sz("5.0 日本語版", "InstallDir", "C:\\Program Files\\数学 表ソ能")},
                     "C:\\Program Files\\数学 表ソ能",
                     ""},
        RegistryCase{"TrailingBackslashKept", {Sz("5.0", "InstallDir", "C:\\Wolfram\\")}, "C:\\Wolfram\\", ""},
        RegistryCase{"DWordInstallDir",
                     {{"5.0", "InstallDir", REG_DWORD, "", true, 42}},
                     "",
                     "'InstallDir' のデータ型が不正です"},
        RegistryCase{"BinaryProductDir",
                     {{"5.0", "ProductDir", REG_BINARY, "C:\\x", true, 0}},
                     "",
                     "'ProductDir' のデータ型が不正です"},
        RegistryCase{"MultiStringInstallDir",
                     {Sz("5.0", "InstallDir", "C:\\A", REG_MULTI_SZ)},
                     "",
                     "'InstallDir' のデータ型が不正です"}),
    [](const ::testing::TestParamInfo<RegistryCase>& info) { return info.param.Name; });

// The key interface itself, on values whose bytes are known.
TEST_F(WindowsRegistryTest, KeyReportsNamesTypesAndData) {
    Store(Sz("4.1", "InstallDir", "C:\\表"));
    Store({"5.0", "Count", REG_DWORD, "", true, 0x01020304});
    auto registry = CreateSystemRegistry();

    auto product = registry->OpenLocalMachineKey("\\Software\\Wolfram Research\\Mathematica");
    ASSERT_NE(product, nullptr);
    std::vector<std::string> names = product->SubKeyNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"4.1", "5.0"}));

    auto v41 = registry->OpenLocalMachineKey("software\\wolfram research\\mathematica\\4.1");
    ASSERT_NE(v41, nullptr);
    EXPECT_TRUE(v41->HasValue("InstallDir"));
    EXPECT_FALSE(v41->HasValue("ProductDir"));
    RegType type = RegType::None;
    std::uint32_t size = 0;
    ASSERT_TRUE(v41->QueryValueInfo("InstallDir", type, size));
    EXPECT_EQ(type, RegType::String);
    EXPECT_EQ(size, 5u * sizeof(wchar_t));  // C : \ 表 NUL
    std::string data;
    ASSERT_TRUE(v41->ReadValue("InstallDir", data));
    EXPECT_EQ(data, std::string("C:\\表") + '\0');
    EXPECT_FALSE(v41->ReadValue("ProductDir", data));

    auto v50 = registry->OpenLocalMachineKey("Software\\Wolfram Research\\Mathematica\\5.0");
    ASSERT_NE(v50, nullptr);
    ASSERT_TRUE(v50->QueryValueInfo("Count", type, size));
    EXPECT_EQ(type, RegType::DWord);
    EXPECT_EQ(size, 4u);
    ASSERT_TRUE(v50->ReadValue("Count", data));
    EXPECT_EQ(data, std::string("\x04\x03\x02\x01", 4));

    EXPECT_EQ(registry->OpenLocalMachineKey("Software\\Wolfram Research\\Mathematica\\6.0"), nullptr);
}

TEST(WindowsRegistryVendor, KeyWithoutProductGivesEmptyResult) {
    DeleteProductKey();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Vendor, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(LocateInitFile(*CreateSystemRegistry()), "");
}

// Installations registered under either root, in either view, through
// the real registry calls.
void DeleteInstallations() {
    for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)}) {
            HKEY vendor = nullptr;
            if (RegOpenKeyExW(root, Vendor, 0, KEY_ALL_ACCESS | view, &vendor) != ERROR_SUCCESS) continue;
            RegDeleteTreeW(vendor, L"Installations");
            RegCloseKey(vendor);
        }
}

TEST(WindowsInstallations, EveryRootAndViewIsRead) {
    DeleteProductKey();
    DeleteInstallations();
    const struct {
        HKEY Root;
        REGSAM View;
        std::wstring Id, Folder;
    } registrations[] = {{HKEY_LOCAL_MACHINE, 0, L"{64}", L"C:\\Program Files\\Wolfram\\14.1"},
                         {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"{32}", L"C:\\W32\\Mathematica\\9.0"},
                         {HKEY_CURRENT_USER, 0, L"{user}", L"C:\\Users\\me\\Wolfram Engine\\14.10"},
                         {HKEY_CURRENT_USER, KEY_WOW64_32KEY, L"{user32}", L"C:\\W32\\Mathematica\\13.0\\"}};
    for (const auto& r : registrations) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(r.Root, (std::wstring(Vendor) + L"\\Installations\\" + r.Id).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | r.View, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"InstallationDirectory", 0, REG_SZ, reinterpret_cast<const BYTE*>(r.Folder.c_str()),
                       static_cast<DWORD>((r.Folder.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    auto registry = CreateSystemRegistry();
    // The 32-bit view is a view of its own for this 64-bit process.
    const std::string ids = "Software\\Wolfram Research\\Installations\\";
    EXPECT_NE(registry->OpenKey(RegRoot::LocalMachine, RegView::Bits32, ids + "{32}"), nullptr);
    EXPECT_EQ(registry->OpenKey(RegRoot::LocalMachine, RegView::Default, ids + "{32}"), nullptr);

    std::vector<std::string> listed;
    for (const InitFileCandidate& c : ListInitFiles(*registry, KernelEnvironment()))
        listed.push_back(c.Product + " " + c.Version + " " + c.Path);
    const std::string init = "\\Configuration\\Kernel\\init.m";
    EXPECT_EQ(listed, (std::vector<std::string>{"Wolfram Engine 14.10 C:\\Users\\me\\Wolfram Engine\\14.10" + init,
                                                "Wolfram 14.1 C:\\Program Files\\Wolfram\\14.1" + init,
                                                "Mathematica 13.0 C:\\W32\\Mathematica\\13.0" + init,
                                                "Mathematica 9.0 C:\\W32\\Mathematica\\9.0" + init}));
    EXPECT_EQ(ProposeInitFile(*registry, KernelEnvironment()).Path, "C:\\Users\\me\\Wolfram Engine\\14.10" + init);
    DeleteInstallations();
}

}  // namespace
