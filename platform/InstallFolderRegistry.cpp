#include "InstallFolderRegistry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace quillane {
namespace {

const char* const ProductKey = "software\\wolfram research\\mathematica";
const char* const InstallationsKey = "software\\wolfram research\\installations";

std::string FoldAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct Version {
    std::string Name;
    std::string Folder;
};

// Lists the version folders, every one found. Nothing here throws: an
// unreadable root or entry is simply not an installation.
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
        for (Version& v : here) versions.push_back(std::move(v));
    }
    return versions;
}

// A key that only lists subkeys.
class ListKey : public IRegistryKey {
public:
    explicit ListKey(std::vector<std::string> names) : FNames(std::move(names)) {}
    std::vector<std::string> SubKeyNames() override { return FNames; }
    bool HasValue(const std::string&) override { return false; }
    bool QueryValueInfo(const std::string&, RegType&, std::uint32_t&) override { return false; }
    bool ReadValue(const std::string&, std::string&) override { return false; }

private:
    std::vector<std::string> FNames;
};

// A key with one string value naming a folder.
class FolderKey : public IRegistryKey {
public:
    FolderKey(std::string valueName, std::string folder)
        : FFoldedName(FoldAscii(std::move(valueName))), FData(std::move(folder)) {
        FData.push_back('\0');
    }
    std::vector<std::string> SubKeyNames() override { return {}; }
    bool HasValue(const std::string& name) override { return IsValue(name); }
    bool QueryValueInfo(const std::string& name, RegType& type, std::uint32_t& size) override {
        if (!IsValue(name)) return false;
        type = RegType::String;
        size = static_cast<std::uint32_t>(FData.size());
        return true;
    }
    bool ReadValue(const std::string& name, std::string& data) override {
        if (!IsValue(name)) return false;
        data = FData;
        return true;
    }

private:
    bool IsValue(const std::string& name) const { return FoldAscii(name) == FFoldedName; }
    std::string FFoldedName;
    std::string FData;
};

// Splits a folded path into the listing key it lies in and the subkey name
// below it: "" for the listing key itself, false when it is neither.
bool Below(const std::string& folded, const std::string& listing, std::string& rest) {
    if (folded == listing) {
        rest.clear();
        return true;
    }
    if (folded.size() <= listing.size() + 1 || folded.compare(0, listing.size(), listing) != 0 ||
        folded[listing.size()] != '\\' || folded.find('\\', listing.size() + 1) != std::string::npos)
        return false;
    rest = folded.substr(listing.size() + 1);
    return true;
}

}  // namespace

InstallFolderRegistry::InstallFolderRegistry(std::vector<std::string> rootsUtf8) : FRoots(std::move(rootsUtf8)) {}

std::vector<std::string> InstallFolderRegistry::DefaultRoots() {
    return {"/usr/local/Wolfram/Mathematica", "/usr/local/Wolfram/Wolfram", "/usr/local/Wolfram/WolframEngine",
            "/opt/Wolfram/Mathematica",       "/opt/Wolfram/Wolfram",       "/opt/Wolfram/WolframEngine"};
}

std::unique_ptr<IRegistryKey> InstallFolderRegistry::OpenKey(RegRoot root, RegView view, const std::string& rawPath) {
    if (root != RegRoot::LocalMachine || view != RegView::Default) return nullptr;
    std::string path = rawPath;
    if (!path.empty() && path[0] == '\\') path.erase(0, 1);
    const std::string folded = FoldAscii(path);
    std::string rest;
    const bool inProduct = Below(folded, ProductKey, rest);
    if (!inProduct && !Below(folded, InstallationsKey, rest)) return nullptr;
    // The subkey's name as asked for: version folder names and paths keep
    // their case.
    const std::string name = rest.empty() ? rest : path.substr(path.size() - rest.size());

    bool anyRoot = false;
    const std::vector<Version> versions = ScanVersions(FRoots, anyRoot);
    if (!anyRoot) return nullptr;
    if (inProduct) {
        std::vector<std::string> names;
        for (const Version& v : versions)
            if (std::find(names.begin(), names.end(), v.Name) == names.end()) names.push_back(v.Name);
        if (rest.empty()) return std::make_unique<ListKey>(std::move(names));
        for (const Version& v : versions)
            if (v.Name == name) return std::make_unique<FolderKey>("InstallDir", v.Folder);
        return nullptr;
    }
    // The folder's path is its key's name, with backslashes (which would
    // split the name) written as slashes.
    std::vector<std::string> ids;
    for (const Version& v : versions) {
        std::string id = v.Folder;
        std::replace(id.begin(), id.end(), '\\', '/');
        if (rest.empty()) {
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
        } else if (id == name) {
            return std::make_unique<FolderKey>("InstallationDirectory", v.Folder);
        }
    }
    if (rest.empty()) return std::make_unique<ListKey>(std::move(ids));
    return nullptr;
}

}  // namespace quillane
