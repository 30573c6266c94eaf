#include "InitFileLocation.h"
#include "Registry.h"
#include "UniqueHandle.h"
#include "WideText_win.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace quillane {
namespace {

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class WindowsRegistryKey : public IRegistryKey {
public:
    explicit WindowsRegistryKey(RegistryKey key) : FKey(std::move(key)) {}

    std::vector<std::string> SubKeyNames() override {
        std::vector<std::string> names;
        DWORD count = 0, longest = 0;
        if (RegQueryInfoKeyW(FKey.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        std::vector<wchar_t> buffer(longest + 1);
        // Enumerate to the end rather than to the count read above, and grow
        // the buffer when a longer name turns up: another process may add
        // keys meanwhile.
        for (DWORD index = 0;;) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LONG r = RegEnumKeyExW(FKey.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (r == ERROR_MORE_DATA && buffer.size() < 32768) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            if (r != ERROR_SUCCESS) break;
            std::string name;
            if (WideToUtf8(std::wstring(buffer.data(), length), name)) names.push_back(name);
            ++index;
        }
        return names;
    }

    bool HasValue(const std::string& name) override {
        std::wstring wname;
        if (!Utf8ToWide(name, wname)) return false;
        return RegQueryValueExW(FKey.get(), wname.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    bool QueryValueInfo(const std::string& name, RegType& type, std::uint32_t& size) override {
        std::wstring wname;
        if (!Utf8ToWide(name, wname)) return false;
        DWORD t = 0, s = 0;
        if (RegQueryValueExW(FKey.get(), wname.c_str(), nullptr, &t, nullptr, &s) != ERROR_SUCCESS) return false;
        type = static_cast<RegType>(t);
        size = s;
        return true;
    }

    bool ReadValue(const std::string& name, std::string& data) override {
        std::wstring wname;
        if (!Utf8ToWide(name, wname)) return false;
        // The value may grow between asking its size and reading it.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0, size = 0;
            if (RegQueryValueExW(FKey.get(), wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                return false;
            std::vector<BYTE> buffer(size + sizeof(wchar_t));
            DWORD got = size;
            const LONG r = RegQueryValueExW(FKey.get(), wname.c_str(), nullptr, &type, buffer.data(), &got);
            if (r == ERROR_MORE_DATA) continue;
            if (r != ERROR_SUCCESS) return false;
            if (!IsStringType(type)) {
                data.assign(reinterpret_cast<const char*>(buffer.data()), got);
                return true;
            }
            // An odd trailing byte cannot be part of a UTF-16 character.
            std::wstring text(got / sizeof(wchar_t), L'\0');
            if (!text.empty()) memcpy(&text[0], buffer.data(), text.size() * sizeof(wchar_t));
            return WideToUtf8(text, data);
        }
        return false;
    }

private:
    RegistryKey FKey;
};

class WindowsRegistry : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(RegRoot root, RegView view, const std::string& path) override {
        std::string relative = path;
        if (!relative.empty() && relative[0] == '\\') relative.erase(0, 1);
        std::wstring wpath;
        if (!Utf8ToWide(relative, wpath)) return nullptr;
        const HKEY rootKey = root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const REGSAM access = KEY_READ | (view == RegView::Bits32 ? KEY_WOW64_32KEY : 0);
        RegistryKey key;
        if (RegOpenKeyExW(rootKey, wpath.c_str(), 0, access, key.out()) != ERROR_SUCCESS) return nullptr;
        return std::make_unique<WindowsRegistryKey>(std::move(key));
    }
};

}  // namespace

std::unique_ptr<IRegistry> CreateSystemRegistry() {
    return std::make_unique<WindowsRegistry>();
}

const char* const KernelInitRelativePath = "\\Configuration\\Kernel\\init.m";

}  // namespace quillane
