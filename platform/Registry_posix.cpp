#include "InitFileLocation.h"
#include "InstallFolderRegistry.h"
#include "Registry.h"

namespace quillane {

std::unique_ptr<IRegistry> CreateSystemRegistry() {
    return std::make_unique<InstallFolderRegistry>(InstallFolderRegistry::DefaultRoots());
}

const char* const KernelInitRelativePath = "/Configuration/Kernel/init.m";

}  // namespace quillane
