#pragma once

#include "Registry.h"

#include <string>
#include <vector>

namespace quillane {

/// Stands in for the registry where there is none, from the version folders
/// found under the install roots (in the order of the roots, each root's
/// folders by name). Only the local-machine root in the default view has
/// keys, and only these:
/// - `Software\Wolfram Research\Mathematica`: one subkey per version name (a
///   version found twice keeps the first folder), each with a string value
///   `InstallDir` holding that folder;
/// - `Software\Wolfram Research\Installations`: one subkey per folder (its
///   name is the folder's path with slashes for backslashes), each with a
///   string value `InstallationDirectory` holding that folder.
/// The folders are read afresh every time a key is opened.
class InstallFolderRegistry : public IRegistry {
public:
    /// `rootsUtf8`: the folders that hold one folder per installed version.
    explicit InstallFolderRegistry(std::vector<std::string> rootsUtf8);

    /// The usual install roots of Linux installations.
    static std::vector<std::string> DefaultRoots();

    std::unique_ptr<IRegistryKey> OpenKey(RegRoot root, RegView view, const std::string& path) override;

private:
    std::vector<std::string> FRoots;
};

}  // namespace quillane
