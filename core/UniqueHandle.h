#pragma once

// One owner for every kind of Win32 handle. Windows backends only.
//
// Each kind says in its traits what its "nothing" is (the APIs differ:
// CreateFileW answers INVALID_HANDLE_VALUE, CreateProcessW and RegOpenKeyExW
// null) and how it is given back, so a handle is closed exactly once, by the
// call that matches it.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace quillane {

/// Owns one handle described by `Traits` (`Type`, `Invalid()`, `Close()`):
/// closes it when destroyed or replaced; movable, not copyable.
template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    /// Takes ownership of `handle`.
    explicit UniqueHandle(Type handle) noexcept : FHandle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    /// The handle, still owned here.
    Type get() const noexcept { return FHandle; }
    /// Whether a handle is held.
    explicit operator bool() const noexcept { return FHandle != Traits::Invalid(); }
    /// Gives the handle up without closing it.
    Type release() noexcept { return std::exchange(FHandle, Traits::Invalid()); }
    /// Closes the held handle and takes `handle` instead.
    void reset(Type handle = Traits::Invalid()) noexcept {
        const Type old = std::exchange(FHandle, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    /// Closes the held handle and lends its place to a call that hands one out.
    Type* out() noexcept {
        reset();
        return &FHandle;
    }

private:
    Type FHandle = Traits::Invalid();
};

/// What an API answers for "no handle".
enum class HandleEmpty { Null, InvalidHandleValue };

/// Traits of a handle of type `T` that `CloseFn` gives back and that is
/// `Empty` when there is none.
template <class T, auto CloseFn, HandleEmpty Empty = HandleEmpty::Null>
struct HandleTraits {
    using Type = T;
    static Type Invalid() noexcept {
        if constexpr (Empty == HandleEmpty::Null)
            return nullptr;
        else
            return INVALID_HANDLE_VALUE;
    }
    static void Close(Type handle) noexcept { CloseFn(handle); }
};

/// Gives back one reference to a COM object.
template <class T>
void ReleaseRef(T* object) noexcept {
    object->Release();
}

/// Files, folders and named pipes, as CreateFileW hands them out.
using FileHandle = UniqueHandle<HandleTraits<HANDLE, CloseHandle, HandleEmpty::InvalidHandleValue>>;
/// Processes, threads and other kernel objects.
using KernelHandle = UniqueHandle<HandleTraits<HANDLE, CloseHandle>>;
/// A directory search of FindFirstFileW.
using FindHandle = UniqueHandle<HandleTraits<HANDLE, FindClose, HandleEmpty::InvalidHandleValue>>;
/// An open registry key (advapi32).
using RegistryKey = UniqueHandle<HandleTraits<HKEY, RegCloseKey>>;
/// A block from the COM task allocator (ole32), such as the shell's strings.
template <class T>
using CoTaskMemPtr = UniqueHandle<HandleTraits<T*, CoTaskMemFree>>;
/// One reference to a COM object.
template <class T>
using ComRef = UniqueHandle<HandleTraits<T*, ReleaseRef<T>>>;

}  // namespace quillane
