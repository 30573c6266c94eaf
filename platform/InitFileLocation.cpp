#include "InitFileLocation.h"

#include "TextOrder.h"
#include "Translation.h"

#include <algorithm>

namespace quillane {

const char* const ProductKeyPath = "Software\\Wolfram Research\\Mathematica";

std::string ReadRegistryString(IRegistryKey& key, const std::string& name) {
    RegType type = RegType::None;
    std::uint32_t size = 0;
    // The value exists, so not being able to query it is a failed fetch,
    // not an absent installation.
    if (!key.QueryValueInfo(name, type, size))
        throw ERegistryError(Arg(Translate("quillane::InitFileLocation", "'%1' の取得に失敗しました"), {name}));
    if (size == 0) return std::string();
    std::string data;
    if (!key.ReadValue(name, data))
        throw ERegistryError(Arg(Translate("quillane::InitFileLocation", "'%1' の取得に失敗しました"), {name}));
    if (type != RegType::String && type != RegType::ExpandString)
        throw ERegistryError(Arg(Translate("quillane::InitFileLocation", "'%1' のデータ型が不正です"), {name}));
    const std::size_t nul = data.find('\0');
    if (nul != std::string::npos) data.resize(nul);
    return data;
}

std::string LocateInitFile(IRegistry& registry) {
    std::vector<std::string> versions;
    if (auto key = registry.OpenLocalMachineKey(ProductKeyPath)) versions = key->SubKeyNames();
    if (versions.empty()) return std::string();

    // Text order, not numeric: of 4.1 and 10.0 the last is 4.1. A stable sort
    // keeps names that compare equal in the order the registry lists them.
    std::stable_sort(versions.begin(), versions.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });

    std::string folder;
    if (auto key = registry.OpenLocalMachineKey(std::string(ProductKeyPath) + "\\" + versions.back())) {
        if (key->HasValue("InstallDir"))
            folder = ReadRegistryString(*key, "InstallDir");
        else if (key->HasValue("ProductDir"))
            folder = ReadRegistryString(*key, "ProductDir");
    }
    if (folder.empty()) return std::string();
    // Appended as is: a folder ending in a separator gives a doubled one.
    return folder + KernelInitRelativePath;
}

}  // namespace quillane
