#include "InitFileLocation.h"
#include "MemoryRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace quillane;

namespace {

const std::string Product = "Software\\Wolfram Research\\Mathematica";

// The init file's place below an installation folder on this platform.
#ifdef _WIN32
const std::string InitSuffix = "\\Configuration\\Kernel\\init.m";
#else
const std::string InitSuffix = "/Configuration/Kernel/init.m";
#endif

std::string Dword(std::uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
}

struct LocateCase {
    const char* Name;
    std::function<void(MemoryRegistry&)> Setup;
    std::string Folder;  // expected installation folder; empty: empty result
    std::string Error;   // expected error text instead of a result
};

void PrintTo(const LocateCase& c, std::ostream* os) {
    *os << c.Name;
}

class LocateInitFileTest : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateInitFileTest, FindsFolderOrFails) {
    const LocateCase& c = GetParam();
    MemoryRegistry registry;
    c.Setup(registry);
    if (!c.Error.empty()) {
        try {
            LocateInitFile(registry);
            FAIL() << "no error raised";
        } catch (const ERegistryError& e) {
            EXPECT_EQ(e.what(), c.Error);
        }
        return;
    }
    const std::string expected = c.Folder.empty() ? std::string() : c.Folder + InitSuffix;
    EXPECT_EQ(LocateInitFile(registry), expected);
}

void Versions(MemoryRegistry& r, std::initializer_list<const char*> names) {
    for (const char* n : names) r.SetString(Product + "\\" + n, "InstallDir", std::string("C:\\M\\") + n);
}

const LocateCase Cases[] = {
    {"NoProductKey", [](MemoryRegistry& r) { r.AddKey("Software\\Wolfram Research"); }, "", ""},
    {"ProductKeyWithoutVersions", [](MemoryRegistry& r) { r.AddKey(Product); }, "", ""},
    {"HighestOfThree",
     [](MemoryRegistry& r) {
         Versions(r, {"5.0", "4.0", "4.1"});
     },
     "C:\\M\\5.0", ""},
    {"TextOrderNotNumeric",
     [](MemoryRegistry& r) {
         Versions(r, {"4.1", "10.0"});
     },
     "C:\\M\\4.1", ""},
    {"TextOrderNotNumericReversed",
     [](MemoryRegistry& r) {
         Versions(r, {"10.0", "4.1"});
     },
     "C:\\M\\4.1", ""},
    {"FourVersions",
     [](MemoryRegistry& r) {
         Versions(r, {"4.0", "10.0", "5.0", "4.1"});
     },
     "C:\\M\\5.0", ""},
    // A byte order would put "Beta" before "alpha".
    {"CaseIgnoredInOrder",
     [](MemoryRegistry& r) {
         Versions(r, {"Beta", "alpha"});
     },
     "C:\\M\\Beta", ""},
    {"InstallDirBeforeProductDir",
     [](MemoryRegistry& r) {
         r.SetString(Product + "\\5.0", "ProductDir", "C:\\Product");
         r.SetString(Product + "\\5.0", "InstallDir", "C:\\Install");
     },
     "C:\\Install", ""},
    {"ProductDirWhenNoInstallDir",
     [](MemoryRegistry& r) { r.SetString(Product + "\\5.0", "ProductDir", "C:\\Product"); }, "C:\\Product", ""},
    {"ValueNamesIgnoreCase", [](MemoryRegistry& r) { r.SetString(Product + "\\5.0", "INSTALLDIR", "C:\\Upper"); },
     "C:\\Upper", ""},
    {"NewestVersionWithoutValues",
     [](MemoryRegistry& r) {
         r.SetString(Product + "\\4.0", "InstallDir", "C:\\Old");
         r.AddKey(Product + "\\5.0");
     },
     "", ""},
    {"ExpandStringNotExpanded",
     [](MemoryRegistry& r) {
         r.SetString(Product + "\\5.0", "InstallDir", "%ProgramFiles%\\Wolfram", RegType::ExpandString);
     },
     "%ProgramFiles%\\Wolfram", ""},
    {"SizeZeroSkipsTypeCheckAndProductDir",
     [](MemoryRegistry& r) {
         r.SetValue(Product + "\\5.0", "InstallDir", RegType::DWord, "");
         r.SetString(Product + "\\5.0", "ProductDir", "C:\\Product");
     },
     "", ""},
    {"EmptyStringGivesEmptyResult",
     [](MemoryRegistry& r) {
         r.SetString(Product + "\\5.0", "InstallDir", "");
         r.SetString(Product + "\\5.0", "ProductDir", "C:\\Product");
     },
     "", ""},
    {"DataEndsAtFirstNul",
     [](MemoryRegistry& r) {
         r.SetValue(Product + "\\5.0", "InstallDir", RegType::String, std::string("C:\\A\0C:\\B\0", 10));
     },
     "C:\\A", ""},
    {"StringWithoutTerminator",
     [](MemoryRegistry& r) { r.SetValue(Product + "\\5.0", "InstallDir", RegType::String, "C:\\NoNul"); }, "C:\\NoNul",
     ""},
    {"TrailingSeparatorKept", [](MemoryRegistry& r) { r.SetString(Product + "\\5.0", "InstallDir", "C:\\Wolfram\\"); },
     "C:\\Wolfram\\", ""},
    {"NonAsciiFolder",
     [](MemoryRegistry& r) { r.SetString(Product + "\\5.0", "InstallDir", "C:\\Program Files\\数学 表ソ能"); },
     "C:\\Program Files\\数学 表ソ能", ""},
    {"DWordInstallDir",
     [](MemoryRegistry& r) { r.SetValue(Product + "\\5.0", "InstallDir", RegType::DWord, Dword(7)); }, "",
     "'InstallDir' のデータ型が不正です"},
    {"BinaryProductDir",
     [](MemoryRegistry& r) { r.SetValue(Product + "\\5.0", "ProductDir", RegType::Binary, "C:\\x"); }, "",
     "'ProductDir' のデータ型が不正です"},
    {"MultiStringIsNotAString",
     [](MemoryRegistry& r) {
         r.SetValue(Product + "\\5.0", "InstallDir", RegType::MultiString, std::string("C:\\A\0\0", 6));
     },
     "", "'InstallDir' のデータ型が不正です"},
    {"WrongTypeInOlderVersionIgnored",
     [](MemoryRegistry& r) {
         r.SetValue(Product + "\\4.0", "InstallDir", RegType::DWord, Dword(1));
         r.SetString(Product + "\\5.0", "InstallDir", "C:\\New");
     },
     "C:\\New", ""},
    {"UnreadableInstallDir",
     [](MemoryRegistry& r) { r.SetUnreadableValue(Product + "\\5.0", "InstallDir", RegType::String, 20); }, "",
     "'InstallDir' の取得に失敗しました"},
    {"UnreadableProductDir",
     [](MemoryRegistry& r) { r.SetUnreadableValue(Product + "\\5.0", "ProductDir", RegType::String, 20); }, "",
     "'ProductDir' の取得に失敗しました"},
    {"UnreadableButEmpty",
     [](MemoryRegistry& r) { r.SetUnreadableValue(Product + "\\5.0", "InstallDir", RegType::String, 0); }, "", ""},
    {"UnqueryableInstallDir", [](MemoryRegistry& r) { r.SetUnqueryableValue(Product + "\\5.0", "InstallDir"); }, "",
     "'InstallDir' の取得に失敗しました"},
};

INSTANTIATE_TEST_SUITE_P(Registry, LocateInitFileTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<LocateCase>& info) { return info.param.Name; });

TEST(LocateInitFileSuffix, IsThisPlatformsForm) {
    EXPECT_EQ(std::string(KernelInitRelativePath), InitSuffix);
}

}  // namespace
