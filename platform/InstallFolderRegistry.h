#pragma once

#include "Registry.h"

#include <string>
#include <vector>

namespace quillane {

/// Stands in for the registry where there is none: the key
/// `Software\Wolfram Research\Mathematica` has one subkey per version folder
/// found under the install roots (in the order of the roots; a version found
/// twice keeps the first), each with a string value `InstallDir` holding that
/// folder. No other key or value exists. The folders are read afresh every
/// time a key is opened.
class InstallFolderRegistry : public IRegistry {
public:
    /// `rootsUtf8`: the folders that hold one folder per installed version.
    explicit InstallFolderRegistry(std::vector<std::string> rootsUtf8);

    /// The usual install roots of Linux installations.
    static std::vector<std::string> DefaultRoots();

    std::unique_ptr<IRegistryKey> OpenLocalMachineKey(const std::string& path) override;

private:
    std::vector<std::string> FRoots;
};

}  // namespace quillane
