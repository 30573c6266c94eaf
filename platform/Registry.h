#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

/// Value types, numbered as the Windows registry numbers them.
enum class RegType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    DWord = 4,         // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
    QWord = 11,        // REG_QWORD
};

/// An open registry key, read only. Closed when destroyed.
class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    /// Names of the direct subkeys, in the order the registry lists them.
    virtual std::vector<std::string> SubKeyNames() = 0;
    /// Whether a value of that name exists.
    virtual bool HasValue(const std::string& name) = 0;
    /// Type and data size in bytes of an existing value; false when it
    /// cannot be queried.
    virtual bool QueryValueInfo(const std::string& name, RegType& type, std::uint32_t& size) = 0;
    /// The value's data; false when it cannot be fetched. String data is
    /// UTF-8 with its terminating NUL, as far as the value has one.
    virtual bool ReadValue(const std::string& name, std::string& data) = 0;
};

/// The registry roots that installations register under.
enum class RegRoot {
    LocalMachine,  // HKEY_LOCAL_MACHINE
    CurrentUser,   // HKEY_CURRENT_USER
};

/// Which view of the registry a key is opened in: a 64-bit process sees the
/// keys of 32-bit installers only in the 32-bit view.
enum class RegView {
    Default,  // the view of this process
    Bits32,   // KEY_WOW64_32KEY
};

/// Read-only access to the registry.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    /// Opens `path` (backslash-separated, relative to `root`) in `view` for
    /// reading; null when it does not exist or cannot be opened.
    virtual std::unique_ptr<IRegistryKey> OpenKey(RegRoot root, RegView view, const std::string& path) = 0;
    /// OpenKey under the local-machine root, in the default view.
    std::unique_ptr<IRegistryKey> OpenLocalMachineKey(const std::string& path) {
        return OpenKey(RegRoot::LocalMachine, RegView::Default, path);
    }
};

/// The registry of this system: the real one on Windows, the stand-in built
/// from the installation folders on disk elsewhere.
std::unique_ptr<IRegistry> CreateSystemRegistry();

}  // namespace quillane
