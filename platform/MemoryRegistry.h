#pragma once

#include "Registry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillane {

/// A registry held in memory, for tests: keys and typed values are set up
/// by hand, including values that cannot be read. Key paths and value names
/// match ignoring ASCII case, as the Windows registry does. Each root and
/// view is a tree of its own.
class MemoryRegistry : public IRegistry {
public:
    /// A key: a path (backslash-separated) under a root in a view. A bare
    /// path names a key under the local-machine root in the default view.
    struct KeyPath {
        KeyPath(const std::string& path) : Path(path) {}
        KeyPath(const char* path) : Path(path) {}
        KeyPath(RegRoot root, RegView view, std::string path) : Root(root), View(view), Path(std::move(path)) {}
        RegRoot Root = RegRoot::LocalMachine;
        RegView View = RegView::Default;
        std::string Path;
    };

    MemoryRegistry();

    /// Creates the key and any missing parents. Subkeys are listed in the
    /// order they were first created.
    void AddKey(const KeyPath& key);

    /// Sets a value with raw `data` and the size of that data.
    void SetValue(const KeyPath& key, const std::string& name, RegType type, const std::string& data);

    /// Sets a string value: `text` followed by its terminating NUL.
    void SetString(const KeyPath& key, const std::string& name, const std::string& text,
                   RegType type = RegType::String);

    /// A value that exists and reports `type` and `size`, but whose data
    /// cannot be fetched.
    void SetUnreadableValue(const KeyPath& key, const std::string& name, RegType type, std::uint32_t size);

    /// A value that exists but whose type and size cannot be queried.
    void SetUnqueryableValue(const KeyPath& key, const std::string& name);

    std::unique_ptr<IRegistryKey> OpenKey(RegRoot root, RegView view, const std::string& path) override;

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
    Key& Ensure(const std::string& hive, const std::string& path);

    // Shared with the open keys, so a key stays valid whatever the order of
    // destruction.
    std::shared_ptr<std::map<std::string, Key>> FKeys;  // by hive and folded path
};

}  // namespace quillane
