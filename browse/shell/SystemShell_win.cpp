// The Windows shell behind the namespace interface. Text crosses the edge as
// UTF-16 and is UTF-8 inside; ID lists are the shell's own blocks.

#include "ShellNamespace.h"
#include "UniqueHandle.h"
#include "WideText_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace quillane::shell {

namespace {

using quillane::ComRef;
using quillane::CoTaskMemPtr;

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

// Runs `call`, which hands out a `T` through its argument, and gives the
// object to a new `Wrapper` in `result`. A success without an object is a
// failure too; whatever a failed call handed out is released.
template <class Wrapper, class T, class Result, class Call>
HResult Adopt(const ApartmentRef& apartment, Result& result, Call call) {
    result.reset();
    ComRef<T> object;
    const HRESULT hr = call(object.out());
    if (hr != S_OK) return hr;
    if (!object) return ShellFail;
    result = std::make_unique<Wrapper>(apartment, std::move(object));
    return ShellOk;
}

class WinAllocator : public ShellAllocator {
public:
    WinAllocator(ApartmentRef apartment, ComRef<IMalloc> malloc)
        : FApartment(std::move(apartment)), FMalloc(std::move(malloc)) {}
    void* Alloc(std::size_t size) override { return FMalloc.get()->Alloc(size); }
    void Free(void* block) override {
        if (block) FMalloc.get()->Free(block);
    }

private:
    ApartmentRef FApartment;  // declared first: released last
    ComRef<IMalloc> FMalloc;
};

class WinEnumerator : public ShellEnumerator {
public:
    WinEnumerator(ApartmentRef apartment, ComRef<IEnumIDList> enumerator)
        : FApartment(std::move(apartment)), FEnum(std::move(enumerator)) {}

    HResult Next(PItemIDList& item) override {
        item = nullptr;
        // Whatever a failed call handed out is not the caller's to see.
        CoTaskMemPtr<ITEMIDLIST> child;
        ULONG fetched = 0;
        const HRESULT hr = FEnum.get()->Next(1, child.out(), &fetched);
        if (hr != S_OK) return hr;
        if (fetched != 1 || !child) return ShellFail;
        item = reinterpret_cast<PItemIDList>(child.release());
        return ShellOk;
    }

private:
    ApartmentRef FApartment;
    ComRef<IEnumIDList> FEnum;
};

class WinFolder : public ShellFolder {
public:
    WinFolder(ApartmentRef apartment, ComRef<IShellFolder> folder)
        : FApartment(std::move(apartment)), FFolder(std::move(folder)) {}

    HResult ParseDisplayName(WindowHandle owner, const std::string& name, PItemIDList& list) override {
        list = nullptr;
        std::wstring wide;
        if (!Utf8ToWide(name, wide) || wide.empty()) return ShellInvalidArg;
        ULONG eaten = 0;
        ULONG attributes = 0;
        LPITEMIDLIST result = nullptr;
        const HRESULT hr = FFolder.get()->ParseDisplayName(reinterpret_cast<HWND>(owner), nullptr, &wide[0], &eaten,
                                                           &result, &attributes);
        list = reinterpret_cast<PItemIDList>(result);
        return hr;
    }

    HResult EnumObjects(WindowHandle owner, std::uint32_t flags, ShellEnumPtr& result) override {
        return Adopt<WinEnumerator, IEnumIDList>(FApartment, result, [&](IEnumIDList** out) {
            return FFolder.get()->EnumObjects(reinterpret_cast<HWND>(owner), flags, out);
        });
    }

    HResult BindToObject(PCItemIDList item, ShellFolderPtr& result) override {
        return Adopt<WinFolder, IShellFolder>(FApartment, result, [&](IShellFolder** out) {
            return FFolder.get()->BindToObject(reinterpret_cast<LPCITEMIDLIST>(item), nullptr, IID_IShellFolder,
                                               reinterpret_cast<void**>(out));
        });
    }

    HResult GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) override {
        SFGAOF attributes = mask;
        const HRESULT hr = FFolder.get()->GetAttributesOf(
            count, reinterpret_cast<LPCITEMIDLIST*>(const_cast<PCItemIDList*>(items)), &attributes);
        if (hr == S_OK) mask = attributes;
        return hr;
    }

    HResult GetDisplayNameOf(PCItemIDList item, std::uint32_t flags, StrRet& name) override {
        STRRET answer;
        std::memset(&answer, 0, sizeof answer);
        answer.uType = STRRET_CSTR;
        const HRESULT hr = FFolder.get()->GetDisplayNameOf(reinterpret_cast<LPCITEMIDLIST>(item), flags, &answer);
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
        return Adopt<WinAllocator, IMalloc>(FApartment, result, ::SHGetMalloc);
    }

    HResult GetDesktopFolder(ShellFolderPtr& result) override {
        return Adopt<WinFolder, IShellFolder>(FApartment, result, ::SHGetDesktopFolder);
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
        const DWORD_PTR list = ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info, flags);
        if (list == 0) return 0;
        iconIndex = info.iIcon;
        return static_cast<ImageListHandle>(list);
    }

    bool GetPathFromIDList(PCItemIDList absolute, std::string& path) override {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (!::SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(absolute), buffer)) return false;
        buffer[MAX_PATH] = L'\0';
        // A name UTF-8 cannot hold has no path here: a stand-in character
        // would name another file.
        return WideToUtf8(buffer, path);
    }

    bool IsNTFamily() override {
        OSVERSIONINFOW version;
        std::memset(&version, 0, sizeof version);
        version.dwOSVersionInfoSize = sizeof version;
        return ::GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }

    std::string SystemTextToUtf8(const std::string& text) override {
        // Display text only: bytes the code page does not know show as its
        // stand-in character rather than hide the whole name.
        if (text.empty()) return std::string();
        const int inLen = static_cast<int>(text.size());
        const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), inLen, nullptr, 0);
        if (n <= 0) return std::string();
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), inLen, &wide[0], n);
        std::string utf8;
        WideToUtf8(wide, utf8);
        return utf8;
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
