#pragma once

#include "Registry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

/// A registry held in memory, for tests: keys and typed values are set up
/// by hand, including values that cannot be read. Key paths and value names
/// match ignoring ASCII case, as the Windows registry does.
class MemoryRegistry : public IRegistry {
public:
    MemoryRegistry();

    /// Creates the key `path` and any missing parents. Subkeys are listed in
    /// the order they were first created.
    void AddKey(const std::string& path);

    /// Sets a value with raw `data` and the size of that data.
    void SetValue(const std::string& keyPath, const std::string& name, RegType type, const std::string& data);

    /// Sets a string value: `text` followed by its terminating NUL.
    void SetString(const std::string& keyPath, const std::string& name, const std::string& text,
                   RegType type = RegType::String);

    /// A value that exists and reports `type` and `size`, but whose data
    /// cannot be fetched.
    void SetUnreadableValue(const std::string& keyPath, const std::string& name, RegType type,
                            std::uint32_t size);

    /// A value that exists but whose type and size cannot be queried.
    void SetUnqueryableValue(const std::string& keyPath, const std::string& name);

    std::unique_ptr<IRegistryKey> OpenLocalMachineKey(const std::string& path) override;

    /// One stored value.
    struct Value {
        RegType Type = RegType::None;
        std::string Data;
        std::uint32_t Size = 0;
        bool Readable = true;
        bool Queryable = true;
    };
    /// One stored key.
    struct Key {
        std::vector<std::string> SubKeys;
        std::map<std::string, Value> Values;  // by folded name
    };

private:
    Key& Ensure(const std::string& path);

    // Shared with the open keys, so a key stays valid whatever the order of
    // destruction.
    std::shared_ptr<std::map<std::string, Key>> FKeys;  // by folded path
};

}  // namespace quillane
