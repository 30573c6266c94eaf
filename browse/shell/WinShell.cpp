// The Windows shell behind the namespace interface. Text crosses the edge as
// UTF-16 and is UTF-8 inside; ID lists are the shell's own blocks.

#include "ShellNamespace.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace quillane::shell {

namespace {

// Holds one COM reference and releases it when destroyed.
template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* p) : FPtr(p) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return FPtr; }
    T* Get() const { return FPtr; }
    void Reset() {
        if (FPtr) FPtr->Release();
        FPtr = nullptr;
    }

private:
    T* FPtr = nullptr;
};

// The calling thread's COM apartment for as long as a shell object lives:
// the shell's objects need one, and a host that made its own (as a GUI
// toolkit does) only gets its count raised.
class ComApartment {
public:
    ComApartment() : FResult(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(FResult)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT FResult;
};

using ApartmentRef = std::shared_ptr<ComApartment>;

std::wstring Widen(const std::string& text, UINT codePage, DWORD flags, bool& ok) {
    ok = true;
    if (text.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) {
        ok = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string ToUtf8(const wchar_t* text, std::size_t length) {
    if (length == 0) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

class WinAllocator : public ShellAllocator {
public:
    WinAllocator(ApartmentRef apartment, IMalloc* malloc) : FApartment(std::move(apartment)), FMalloc(malloc) {}
    void* Alloc(std::size_t size) override { return FMalloc->Alloc(size); }
    void Free(void* block) override {
        if (block) FMalloc->Free(block);
    }

private:
    ApartmentRef FApartment;  // declared first: released last
    ComRef<IMalloc> FMalloc;
};

class WinEnumerator : public ShellEnumerator {
public:
    WinEnumerator(ApartmentRef apartment, IEnumIDList* enumerator)
        : FApartment(std::move(apartment)), FEnum(enumerator) {}

    HResult Next(PItemIDList& item) override {
        item = nullptr;
        LPITEMIDLIST child = nullptr;
        ULONG fetched = 0;
        const HRESULT hr = FEnum->Next(1, &child, &fetched);
        if (hr != S_OK || fetched != 1 || child == nullptr) {
            // Whatever a failed call handed out is not the caller's to see.
            if (child) ::CoTaskMemFree(child);
            return hr == S_OK ? ShellFail : hr;
        }
        item = reinterpret_cast<PItemIDList>(child);
        return ShellOk;
    }

private:
    ApartmentRef FApartment;
    ComRef<IEnumIDList> FEnum;
};

class WinFolder : public ShellFolder {
public:
    WinFolder(ApartmentRef apartment, IShellFolder* folder) : FApartment(std::move(apartment)), FFolder(folder) {}

    HResult ParseDisplayName(WindowHandle owner, const std::string& name, PItemIDList& list) override {
        list = nullptr;
        bool ok;
        std::wstring wide = Widen(name, CP_UTF8, MB_ERR_INVALID_CHARS, ok);
        if (!ok || wide.empty()) return ShellInvalidArg;
        ULONG eaten = 0;
        ULONG attributes = 0;
        LPITEMIDLIST result = nullptr;
        const HRESULT hr = FFolder->ParseDisplayName(reinterpret_cast<HWND>(owner), nullptr, &wide[0], &eaten,
                                                     &result, &attributes);
        list = reinterpret_cast<PItemIDList>(result);
        return hr;
    }

    HResult EnumObjects(WindowHandle owner, std::uint32_t flags, ShellEnumPtr& result) override {
        result.reset();
        IEnumIDList* enumerator = nullptr;
        const HRESULT hr = FFolder->EnumObjects(reinterpret_cast<HWND>(owner), flags, &enumerator);
        if (hr != S_OK || enumerator == nullptr) {
            if (enumerator) enumerator->Release();
            return hr == S_OK ? ShellFail : hr;
        }
        result = std::make_unique<WinEnumerator>(FApartment, enumerator);
        return ShellOk;
    }

    HResult BindToObject(PCItemIDList item, ShellFolderPtr& result) override {
        result.reset();
        void* out = nullptr;
        const HRESULT hr =
            FFolder->BindToObject(reinterpret_cast<LPCITEMIDLIST>(item), nullptr, IID_IShellFolder, &out);
        if (hr != S_OK || out == nullptr) {
            if (out) static_cast<IShellFolder*>(out)->Release();
            return hr == S_OK ? ShellFail : hr;
        }
        result = std::make_shared<WinFolder>(FApartment, static_cast<IShellFolder*>(out));
        return ShellOk;
    }

    HResult GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) override {
        SFGAOF attributes = mask;
        const HRESULT hr = FFolder->GetAttributesOf(count, reinterpret_cast<LPCITEMIDLIST*>(const_cast<PCItemIDList*>(items)),
                                                    &attributes);
        if (hr == S_OK) mask = attributes;
        return hr;
    }

    HResult GetDisplayNameOf(PCItemIDList item, std::uint32_t flags, StrRet& name) override {
        STRRET answer;
        std::memset(&answer, 0, sizeof answer);
        answer.uType = STRRET_CSTR;
        const HRESULT hr = FFolder->GetDisplayNameOf(reinterpret_cast<LPCITEMIDLIST>(item), flags, &answer);
        if (hr != S_OK) return hr;
        name.uType = answer.uType;
        switch (answer.uType) {
        case STRRET_WSTR:
            // wchar_t is 16 bits here; the block stays the shell allocator's.
            name.pOleStr = reinterpret_cast<char16_t*>(answer.pOleStr);
            break;
        case STRRET_OFFSET:
            name.uOffset = answer.uOffset;
            break;
        case STRRET_CSTR:
            std::memcpy(name.cStr, answer.cStr, StrRetBufferSize);
            break;
        default:
            break;
        }
        return ShellOk;
    }

private:
    ApartmentRef FApartment;
    ComRef<IShellFolder> FFolder;
};

class WinShellPlatform : public ShellPlatform {
public:
    WinShellPlatform() : FApartment(std::make_shared<ComApartment>()) {}

    HResult GetMalloc(ShellAllocatorPtr& result) override {
        result.reset();
        IMalloc* malloc = nullptr;
        const HRESULT hr = ::SHGetMalloc(&malloc);
        if (hr != S_OK || malloc == nullptr) {
            if (malloc) malloc->Release();
            return hr == S_OK ? ShellFail : hr;
        }
        result = std::make_shared<WinAllocator>(FApartment, malloc);
        return ShellOk;
    }

    HResult GetDesktopFolder(ShellFolderPtr& result) override {
        result.reset();
        IShellFolder* desktop = nullptr;
        const HRESULT hr = ::SHGetDesktopFolder(&desktop);
        if (hr != S_OK || desktop == nullptr) {
            if (desktop) desktop->Release();
            return hr == S_OK ? ShellFail : hr;
        }
        result = std::make_shared<WinFolder>(FApartment, desktop);
        return ShellOk;
    }

    HResult GetSpecialFolderLocation(WindowHandle owner, int csidl, PItemIDList& list) override {
        LPITEMIDLIST result = nullptr;
        const HRESULT hr = ::SHGetSpecialFolderLocation(reinterpret_cast<HWND>(owner), csidl, &result);
        list = reinterpret_cast<PItemIDList>(result);
        return hr;
    }

    ImageListHandle GetFileIconInfo(PCItemIDList absolute, std::uint32_t flags, int& iconIndex) override {
        SHFILEINFOW info;
        std::memset(&info, 0, sizeof info);
        const DWORD_PTR list =
            ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info, flags);
        if (list == 0) return 0;
        iconIndex = info.iIcon;
        return static_cast<ImageListHandle>(list);
    }

    bool GetPathFromIDList(PCItemIDList absolute, std::string& path) override {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (!::SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(absolute), buffer)) return false;
        buffer[MAX_PATH] = L'\0';
        path = ToUtf8(buffer, std::wcslen(buffer));
        return true;
    }

    bool IsNTFamily() override {
        OSVERSIONINFOW version;
        std::memset(&version, 0, sizeof version);
        version.dwOSVersionInfoSize = sizeof version;
        return ::GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }

    std::string SystemTextToUtf8(const std::string& text) override {
        bool ok;
        const std::wstring wide = Widen(text, CP_ACP, 0, ok);
        return ok ? ToUtf8(wide.data(), wide.size()) : std::string();
    }

    // A worker thread's shell objects live in its own apartment.
    std::shared_ptr<void> PrepareThread() override { return std::make_shared<ComApartment>(); }

private:
    ApartmentRef FApartment;
};

}  // namespace

std::shared_ptr<ShellPlatform> CreateSystemShellPlatform() {
    return std::make_shared<WinShellPlatform>();
}

}  // namespace quillane::shell
