#pragma once

// The init files the kernel reads, found on this machine: the one proposed
// at start-up and every one the user may want to choose instead.

#include "InitFileLocation.h"
#include "Registry.h"

#include <map>
#include <string>
#include <vector>

namespace quillane {

/// What discovery reads besides the registry and the disk. The program takes
/// SystemKernelEnvironment(); tests pin their own.
struct KernelEnvironment {
    /// Environment variables by name; an empty value counts as unset. Read:
    /// WOLFRAM_USERBASE, MATHEMATICA_USERBASE, WOLFRAM_BASE, MATHEMATICA_BASE.
    std::map<std::string, std::string> Variables;
    /// The folder holding the per-user base folders (UTF-8): the home folder
    /// on POSIX, the roaming application-data folder on Windows. Empty when
    /// unknown: then there is no per-user file unless a variable names one.
    std::string UserDataFolder;
    /// The folder holding the all-users base folders: /usr/share on POSIX,
    /// ProgramData on Windows.
    std::string SharedDataFolder;
};

/// This process's environment and folders.
KernelEnvironment SystemKernelEnvironment();

/// Whether a file is there and whether this user may write it.
struct InitFileAccess {
    /// Something is at the path (a file, or a folder in the file's place).
    bool Exists = false;
    /// Existing: this user may write the file (false for a folder).
    /// Missing: this user may create it and every folder above it that is
    /// missing too.
    bool Writable = false;
};

/// Looks at `pathUtf8` on disk for this process's user. Never throws; may
/// block as long as the file system does.
InitFileAccess ProbeInitFile(const std::string& pathUtf8);

/// What an init file is to the kernel, in the order the kernel reads them
/// (each later one may override what an earlier one set).
enum class InitFileKind {
    Installation,  ///< <installation>/Configuration/Kernel/init.m: every kernel of that installation
    AllUsers,      ///< $BaseDirectory/Kernel/init.m: every user's kernels
    PerUser,       ///< $UserBaseDirectory/Kernel/init.m: this user's kernels
};

/// One init file the user may want to edit.
struct InitFileCandidate {
    InitFileKind Kind = InitFileKind::PerUser;
    /// Full path, UTF-8, in this platform's syntax.
    std::string Path;
    /// Installation only: the product ("Mathematica", "Wolfram",
    /// "WolframEngine", "Wolfram Engine": the name of the folder that holds
    /// the version folders) and the version ("14.1"); either may be empty.
    std::string Product;
    std::string Version;
    InitFileAccess Access;
};

/// Every init file that matters on this machine, in this order: the per-user
/// ones, the all-users ones, then each installation's, newest version first
/// (by number: 9.0 < 13.0 < 14.1 < 14.10; installations without a version
/// number last). A base folder is listed when an environment variable names
/// it, when it exists, or when it is the one current versions use by default
/// (~/.Wolfram, %APPDATA%\Wolfram, /usr/share/Wolfram, ProgramData\Wolfram)
/// and no variable moves it, so that a new user can create it. Installations
/// come from `Software\Wolfram Research\Mathematica` (local machine) and
/// `Software\Wolfram Research\Installations` (local machine and current
/// user, each in the default and the 32-bit view); a folder found twice is
/// listed once, and a registry value that cannot be read leaves that
/// installation out. Never throws; reads the disk (see ProbeInitFile).
std::vector<InitFileCandidate> ListInitFiles(IRegistry& registry, const KernelEnvironment& environment);

/// Which rule chose the file proposed at start-up.
enum class InitFileRule {
    ProductKey,     ///< LocateInitFile: the last version under Software\Wolfram Research\Mathematica, in text order
    Installations,  ///< none there: the newest installation under Software\Wolfram Research\Installations
    PerUser,        ///< no installation: the first existing per-user file, else the one of current versions
    None,           ///< not even a per-user folder is known: the path is empty
};

/// The file proposed at start-up and the rule that chose it.
struct ProposedInitFile {
    std::string Path;  ///< UTF-8; empty only for InitFileRule::None
    InitFileRule Rule = InitFileRule::None;
};

/// The init file to propose at start-up. Throws ERegistryError where
/// LocateInitFile does; everything after that rule never throws.
ProposedInitFile ProposeInitFile(IRegistry& registry, const KernelEnvironment& environment);

/// Compares version texts by their leading dotted numbers ("14.10" after
/// "14.1", "13.0" after "9.0"; missing parts count as 0, what follows the
/// number is ignored): negative, zero or positive as `a` is older than, as
/// new as or newer than `b`. A text without a leading number is older than
/// any with one.
int CompareVersionNumbers(const std::string& a, const std::string& b);

}  // namespace quillane
