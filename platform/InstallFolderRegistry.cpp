#include "InstallFolderRegistry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace quillane {
namespace {

const char* const ProductKey = "software\\wolfram research\\mathematica";

std::string FoldAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct Version {
    std::string Name;
    std::string Folder;
};

// Lists the version folders. Nothing here throws: an unreadable root or entry
// is simply not an installation.
std::vector<Version> ScanVersions(const std::vector<std::string>& roots, bool& anyRoot) {
    std::vector<Version> versions;
    anyRoot = false;
    for (const std::string& root : roots) {
        std::error_code ec;
        const fs::path rootPath = fs::u8path(root);
        if (!fs::is_directory(rootPath, ec)) continue;
        anyRoot = true;
        std::vector<Version> here;
        fs::directory_iterator it(rootPath, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (!it->is_directory(typeEc)) continue;
            std::string name = it->path().filename().u8string();
            // Hidden folders are caches and settings, never installations.
            if (name.empty() || name[0] == '.') continue;
            here.push_back({name, it->path().u8string()});
        }
        // Directory order is arbitrary; sorting makes the listing repeatable.
        std::sort(here.begin(), here.end(), [](const Version& a, const Version& b) { return a.Name < b.Name; });
        for (Version& v : here) {
            const bool seen = std::any_of(versions.begin(), versions.end(),
                                          [&](const Version& w) { return w.Name == v.Name; });
            if (!seen) versions.push_back(std::move(v));
        }
    }
    return versions;
}

class ProductKeyImpl : public IRegistryKey {
public:
    explicit ProductKeyImpl(std::vector<std::string> names) : FNames(std::move(names)) {}
    std::vector<std::string> SubKeyNames() override { return FNames; }
    bool HasValue(const std::string&) override { return false; }
    bool QueryValueInfo(const std::string&, RegType&, std::uint32_t&) override { return false; }
    bool ReadValue(const std::string&, std::string&) override { return false; }

private:
    std::vector<std::string> FNames;
};

class VersionKey : public IRegistryKey {
public:
    explicit VersionKey(std::string folder) : FData(std::move(folder)) { FData.push_back('\0'); }
    std::vector<std::string> SubKeyNames() override { return {}; }
    bool HasValue(const std::string& name) override { return IsInstallDir(name); }
    bool QueryValueInfo(const std::string& name, RegType& type, std::uint32_t& size) override {
        if (!IsInstallDir(name)) return false;
        type = RegType::String;
        size = static_cast<std::uint32_t>(FData.size());
        return true;
    }
    bool ReadValue(const std::string& name, std::string& data) override {
        if (!IsInstallDir(name)) return false;
        data = FData;
        return true;
    }

private:
    static bool IsInstallDir(const std::string& name) { return FoldAscii(name) == "installdir"; }
    std::string FData;
};

}  // namespace

InstallFolderRegistry::InstallFolderRegistry(std::vector<std::string> rootsUtf8) : FRoots(std::move(rootsUtf8)) {}

std::vector<std::string> InstallFolderRegistry::DefaultRoots() {
    return {"/usr/local/Wolfram/Mathematica", "/usr/local/Wolfram/Wolfram", "/opt/Wolfram/Mathematica",
            "/opt/Wolfram/Wolfram"};
}

std::unique_ptr<IRegistryKey> InstallFolderRegistry::OpenLocalMachineKey(const std::string& rawPath) {
    std::string path = rawPath;
    if (!path.empty() && path[0] == '\\') path.erase(0, 1);
    const std::string folded = FoldAscii(path);
    const std::string product = ProductKey;
    const bool isProduct = folded == product;
    const bool isVersion = folded.size() > product.size() + 1 && folded.compare(0, product.size(), product) == 0 &&
                           folded[product.size()] == '\\' &&
                           folded.find('\\', product.size() + 1) == std::string::npos;
    if (!isProduct && !isVersion) return nullptr;

    bool anyRoot = false;
    std::vector<Version> versions = ScanVersions(FRoots, anyRoot);
    if (isProduct) {
        if (!anyRoot) return nullptr;
        std::vector<std::string> names;
        for (const Version& v : versions) names.push_back(v.Name);
        return std::make_unique<ProductKeyImpl>(std::move(names));
    }
    const std::string name = path.substr(product.size() + 1);
    for (const Version& v : versions)
        if (v.Name == name) return std::make_unique<VersionKey>(v.Folder);
    return nullptr;
}

}  // namespace quillane
