#include "InitFileCandidates.h"

#include "InitFilePlatform.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace quillane {
namespace {

using initfiles::BaseFolder;
using initfiles::IsSeparator;
using initfiles::PathKey;
using initfiles::PathSeparator;

const char* const InstallationsKeyPath = "Software\\Wolfram Research\\Installations";

// All-users base folders: the same names below /usr/share and ProgramData.
const std::vector<BaseFolder> SharedBaseFolders{{"Wolfram", "WOLFRAM_BASE", true},
                                                {"Mathematica", "MATHEMATICA_BASE", false}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Variable(const KernelEnvironment& environment, const char* name) {
    if (!name) return std::string();
    const auto it = environment.Variables.find(name);
    return it == environment.Variables.end() ? std::string() : it->second;
}

// Without trailing separators, but a root ("/", "C:\") stays a root.
std::string TrimSeparators(std::string path) {
    while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != ':') path.pop_back();
    return path;
}

// `folder` followed by the components, one separator between each.
std::string Join(const std::string& folder, std::initializer_list<const char*> components) {
    std::string path = TrimSeparators(folder);
    for (const char* c : components) {
        if (!path.empty() && !IsSeparator(path.back())) path += PathSeparator;
        path += c;
    }
    return path;
}

std::string LastComponent(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    return path.substr(cut);
}

std::string WithoutLastComponent(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    return TrimSeparators(path.substr(0, cut));
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::u8path(path), ec);
}

// Adds the file unless a spelling of the same path is listed already.
void Add(std::vector<InitFileCandidate>& list, InitFileCandidate candidate) {
    const std::string key = PathKey(candidate.Path);
    for (const InitFileCandidate& c : list)
        if (PathKey(c.Path) == key) return;
    candidate.Access = ProbeInitFile(candidate.Path);
    list.push_back(std::move(candidate));
}

void AddBaseFiles(std::vector<InitFileCandidate>& list, InitFileKind kind, const std::vector<BaseFolder>& bases,
                  const std::string& dataFolder, const KernelEnvironment& environment) {
    for (const BaseFolder& base : bases) {
        InitFileCandidate candidate;
        candidate.Kind = kind;
        const std::string moved = Variable(environment, base.Variable);
        if (!moved.empty()) {
            candidate.Path = Join(moved, {"Kernel", "init.m"});
            Add(list, candidate);
        }
        if (dataFolder.empty()) continue;
        // A default folder that exists still matters when a variable moves
        // it: kernels started without that variable use it.
        const std::string folder = Join(dataFolder, {base.Name});
        if ((base.Current && moved.empty()) || IsFolder(folder)) {
            candidate.Path = Join(folder, {"Kernel", "init.m"});
            Add(list, candidate);
        }
    }
}

std::vector<InitFileCandidate> PerUserFiles(const KernelEnvironment& environment) {
    std::vector<InitFileCandidate> list;
    AddBaseFiles(list, InitFileKind::PerUser, initfiles::UserBaseFolders(), environment.UserDataFolder, environment);
    return list;
}

struct Installation {
    std::string Folder;  // without trailing separators
    std::string Product;
    std::string Version;
};

// Names an installation from its folder: the version folder sits in the
// product's folder ("...\Mathematica\13.0"). `version`: the registry's name
// for it, when there is one.
Installation Describe(const std::string& folder, std::string version) {
    Installation i;
    i.Folder = TrimSeparators(folder);
    const std::string leaf = LastComponent(i.Folder);
    const bool leafIsVersion = !leaf.empty() && IsDigit(leaf[0]);
    if (version.empty() && leafIsVersion) version = leaf;
    i.Version = std::move(version);
    i.Product = leafIsVersion ? LastComponent(WithoutLastComponent(i.Folder)) : leaf;
    return i;
}

// The folder in the value `valueName` of the key, or empty when it has none
// or it cannot be read: one bad entry must not hide the others.
std::string FolderValue(IRegistry& registry, RegRoot root, RegView view, const std::string& keyPath,
                        const char* valueName) {
    auto key = registry.OpenKey(root, view, keyPath);
    if (!key || !key->HasValue(valueName)) return std::string();
    try {
        return ReadRegistryString(*key, valueName);
    } catch (const ERegistryError&) {
        return std::string();
    }
}

void AddInstallation(std::vector<Installation>& list, Installation installation) {
    if (installation.Folder.empty()) return;
    const std::string key = PathKey(installation.Folder);
    for (const Installation& i : list)
        if (PathKey(i.Folder) == key) return;
    list.push_back(std::move(installation));
}

void ReadInstallationsKeys(IRegistry& registry, std::vector<Installation>& list) {
    for (const RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
        for (const RegView view : {RegView::Default, RegView::Bits32}) {
            auto key = registry.OpenKey(root, view, InstallationsKeyPath);
            if (!key) continue;
            for (const std::string& id : key->SubKeyNames()) {
                const std::string folder = FolderValue(
                    registry, root, view, std::string(InstallationsKeyPath) + "\\" + id, "InstallationDirectory");
                if (!folder.empty()) AddInstallation(list, Describe(folder, std::string()));
            }
        }
    }
}

void ReadProductKey(IRegistry& registry, std::vector<Installation>& list) {
    auto key = registry.OpenLocalMachineKey(ProductKeyPath);
    if (!key) return;
    for (const std::string& version : key->SubKeyNames()) {
        const std::string path = std::string(ProductKeyPath) + "\\" + version;
        std::string folder = FolderValue(registry, RegRoot::LocalMachine, RegView::Default, path, "InstallDir");
        if (folder.empty()) folder = FolderValue(registry, RegRoot::LocalMachine, RegView::Default, path, "ProductDir");
        if (!folder.empty()) AddInstallation(list, Describe(folder, version));
    }
}

void NewestFirst(std::vector<Installation>& list) {
    std::stable_sort(list.begin(), list.end(), [](const Installation& a, const Installation& b) {
        return CompareVersionNumbers(a.Version, b.Version) > 0;
    });
}

std::string InstallationInitFile(const Installation& installation) {
    return Join(installation.Folder, {"Configuration", "Kernel", "init.m"});
}

// The leading dotted number of a version text, each part without leading
// zeros so that parts of any length compare as numbers.
std::vector<std::string> NumberParts(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) {
        std::size_t end = i;
        while (end < text.size() && IsDigit(text[end])) ++end;
        std::size_t start = i;
        while (start + 1 < end && text[start] == '0') ++start;
        parts.push_back(text.substr(start, end - start));
        i = end;
        if (i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1]))
            ++i;
        else
            break;
    }
    return parts;
}

}  // namespace

int CompareVersionNumbers(const std::string& a, const std::string& b) {
    const std::vector<std::string> pa = NumberParts(a), pb = NumberParts(b);
    if (pa.empty() || pb.empty()) return static_cast<int>(!pa.empty()) - static_cast<int>(!pb.empty());
    for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const std::string& x = i < pa.size() ? pa[i] : "0";
        const std::string& y = i < pb.size() ? pb[i] : "0";
        if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
        if (const int c = x.compare(y)) return c < 0 ? -1 : 1;
    }
    return 0;
}

std::vector<InitFileCandidate> ListInitFiles(IRegistry& registry, const KernelEnvironment& environment) {
    std::vector<InitFileCandidate> list = PerUserFiles(environment);
    AddBaseFiles(list, InitFileKind::AllUsers, SharedBaseFolders, environment.SharedDataFolder, environment);

    std::vector<Installation> installations;
    ReadProductKey(registry, installations);
    ReadInstallationsKeys(registry, installations);
    NewestFirst(installations);
    for (Installation& i : installations) {
        InitFileCandidate candidate;
        candidate.Kind = InitFileKind::Installation;
        candidate.Path = InstallationInitFile(i);
        candidate.Product = std::move(i.Product);
        candidate.Version = std::move(i.Version);
        Add(list, std::move(candidate));
    }
    return list;
}

ProposedInitFile ProposeInitFile(IRegistry& registry, const KernelEnvironment& environment) {
    ProposedInitFile proposed;
    proposed.Path = LocateInitFile(registry);
    if (!proposed.Path.empty()) {
        proposed.Rule = InitFileRule::ProductKey;
        return proposed;
    }
    std::vector<Installation> installations;
    ReadInstallationsKeys(registry, installations);
    NewestFirst(installations);
    if (!installations.empty()) {
        proposed.Path = InstallationInitFile(installations.front());
        proposed.Rule = InitFileRule::Installations;
        return proposed;
    }
    const std::vector<InitFileCandidate> perUser = PerUserFiles(environment);
    if (perUser.empty()) return proposed;
    const auto existing =
        std::find_if(perUser.begin(), perUser.end(), [](const InitFileCandidate& c) { return c.Access.Exists; });
    proposed.Path = existing != perUser.end() ? existing->Path : perUser.front().Path;
    proposed.Rule = InitFileRule::PerUser;
    return proposed;
}

}  // namespace quillane
