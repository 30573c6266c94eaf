#include "MemoryRegistry.h"

#include <algorithm>

namespace quillane {
namespace {

std::string Fold(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A leading backslash marks the path as absolute; it names the same key.
std::string Normalise(const std::string& path) {
    std::size_t start = 0;
    while (start < path.size() && path[start] == '\\') ++start;
    std::size_t end = path.size();
    while (end > start && path[end - 1] == '\\') --end;
    return path.substr(start, end - start);
}

// Keys of every root and view share one map: the hive's tag, then the path.
std::string Hive(RegRoot root, RegView view) {
    return std::string(root == RegRoot::CurrentUser ? "hkcu" : "hklm") + (view == RegView::Bits32 ? "32" : "") + '|';
}

class MemoryKey : public IRegistryKey {
public:
    MemoryKey(std::shared_ptr<std::map<std::string, MemoryRegistry::Key>> keys, std::string path)
        : FKeys(std::move(keys)), FPath(std::move(path)) {}

    std::vector<std::string> SubKeyNames() override {
        const MemoryRegistry::Key* key = Find();
        return key ? key->SubKeys : std::vector<std::string>{};
    }

    bool HasValue(const std::string& name) override { return FindValue(name) != nullptr; }

    bool QueryValueInfo(const std::string& name, RegType& type, std::uint32_t& size) override {
        const MemoryRegistry::Value* v = FindValue(name);
        if (!v || !v->Queryable) return false;
        type = v->Type;
        size = v->Size;
        return true;
    }

    bool ReadValue(const std::string& name, std::string& data) override {
        const MemoryRegistry::Value* v = FindValue(name);
        if (!v || !v->Queryable || !v->Readable) return false;
        data = v->Data;
        return true;
    }

private:
    const MemoryRegistry::Key* Find() const {
        auto it = FKeys->find(FPath);
        return it == FKeys->end() ? nullptr : &it->second;
    }
    const MemoryRegistry::Value* FindValue(const std::string& name) const {
        const MemoryRegistry::Key* key = Find();
        if (!key) return nullptr;
        auto it = key->Values.find(Fold(name));
        return it == key->Values.end() ? nullptr : &it->second;
    }

    std::shared_ptr<std::map<std::string, MemoryRegistry::Key>> FKeys;
    std::string FPath;
};

}  // namespace

MemoryRegistry::MemoryRegistry() : FKeys(std::make_shared<std::map<std::string, Key>>()) {}

MemoryRegistry::Key& MemoryRegistry::Ensure(const std::string& hive, const std::string& rawPath) {
    const std::string path = Normalise(rawPath);
    const std::string folded = hive + Fold(path);
    auto it = FKeys->find(folded);
    if (it != FKeys->end()) return it->second;
    const std::size_t cut = path.rfind('\\');
    if (cut != std::string::npos) {
        Key& parent = Ensure(hive, path.substr(0, cut));
        parent.SubKeys.push_back(path.substr(cut + 1));
    } else if (!path.empty()) {
        Ensure(hive, std::string()).SubKeys.push_back(path);
    }
    return (*FKeys)[folded];
}

void MemoryRegistry::AddKey(const KeyPath& key) {
    Ensure(Hive(key.Root, key.View), key.Path);
}

void MemoryRegistry::SetValue(const KeyPath& key, const std::string& name, RegType type, const std::string& data) {
    Value v;
    v.Type = type;
    v.Data = data;
    v.Size = static_cast<std::uint32_t>(data.size());
    Ensure(Hive(key.Root, key.View), key.Path).Values[Fold(name)] = v;
}

void MemoryRegistry::SetString(const KeyPath& key, const std::string& name, const std::string& text, RegType type) {
    SetValue(key, name, type, text + '\0');
}

void MemoryRegistry::SetUnreadableValue(const KeyPath& key, const std::string& name, RegType type, std::uint32_t size) {
    Value v;
    v.Type = type;
    v.Size = size;
    v.Readable = false;
    Ensure(Hive(key.Root, key.View), key.Path).Values[Fold(name)] = v;
}

void MemoryRegistry::SetUnqueryableValue(const KeyPath& key, const std::string& name) {
    Value v;
    v.Queryable = false;
    v.Readable = false;
    Ensure(Hive(key.Root, key.View), key.Path).Values[Fold(name)] = v;
}

std::unique_ptr<IRegistryKey> MemoryRegistry::OpenKey(RegRoot root, RegView view, const std::string& path) {
    const std::string folded = Hive(root, view) + Fold(Normalise(path));
    if (FKeys->find(folded) == FKeys->end()) return nullptr;
    return std::make_unique<MemoryKey>(FKeys, folded);
}

}  // namespace quillane
