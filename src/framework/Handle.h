// Move-only owners of the kernel, registry, memory, printer, menu, window and COM handles
// the program opens, the way gdi::Object owns GDI handles: each closes its
// handle when it goes, so no path through the code can leak one.
//
//   win::File file(::CreateFileW(...));
//   if (!file) { ... GetLastError() ... }
//   win::RegKey key;
//   ::RegOpenKeyExW(HKEY_CURRENT_USER, name, 0, KEY_READ, key.Put());
#pragma once

#include <windows.h>

#include <objbase.h>
#include <winspool.h>

#include <utility>

namespace win {

// Traits: the handle type, its "none" value and how to close it.
template <typename Traits> class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle handle) : handle_(handle) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::None())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, Traits::None()));
        }
        return *this;
    }
    ~Unique() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::None(); }

    // Closes what is held and answers where an out-parameter may write the new
    // handle (RegOpenKeyExW, OpenPrinterW).
    Handle* Put() {
        Reset();
        return &handle_;
    }

    Handle Release() { return std::exchange(handle_, Traits::None()); }

    // Closes what is held; false when the system refused to close it (for a
    // file written through a cache, a late write error).
    bool Reset(Handle handle = Traits::None()) {
        const Handle old = std::exchange(handle_, handle);
        return old == Traits::None() || Traits::Close(old);
    }

private:
    Handle handle_ = Traits::None();
};

namespace detail {
struct KernelTraits {
    using Handle = HANDLE;
    static HANDLE None() { return nullptr; }
    static bool Close(HANDLE handle) { return ::CloseHandle(handle) != 0; }
};
// CreateFileW and FindFirstFileW answer INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    using Handle = HANDLE;
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return ::CloseHandle(handle) != 0; }
};
struct FindTraits {
    using Handle = HANDLE;
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return ::FindClose(handle) != 0; }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static HKEY None() { return nullptr; }
    static bool Close(HKEY key) { return ::RegCloseKey(key) == ERROR_SUCCESS; }
};
struct GlobalTraits {
    using Handle = HGLOBAL;
    static HGLOBAL None() { return nullptr; }
    static bool Close(HGLOBAL block) { return ::GlobalFree(block) == nullptr; }
};
struct PrinterTraits {
    using Handle = HANDLE;
    static HANDLE None() { return nullptr; }
    static bool Close(HANDLE printer) { return ::ClosePrinter(printer) != 0; }
};
struct MenuTraits {
    using Handle = HMENU;
    static HMENU None() { return nullptr; }
    static bool Close(HMENU menu) { return ::DestroyMenu(menu) != 0; }
};
struct LocalTraits {
    using Handle = HLOCAL;
    static HLOCAL None() { return nullptr; }
    static bool Close(HLOCAL block) { return ::LocalFree(block) == nullptr; }
};
struct WindowTraits {
    using Handle = HWND;
    static HWND None() { return nullptr; }
    static bool Close(HWND window) { return ::DestroyWindow(window) != 0; }
};
} // namespace detail

// Mutexes, events, threads, processes: anything CloseHandle closes and whose
// "none" is null.
using Handle = Unique<detail::KernelTraits>;
using File = Unique<detail::FileTraits>;
using FindHandle = Unique<detail::FindTraits>;
using RegKey = Unique<detail::RegKeyTraits>;
using GlobalMemory = Unique<detail::GlobalTraits>;
using Printer = Unique<detail::PrinterTraits>;
// A menu no window holds (a window destroys its menu bar itself).
using Menu = Unique<detail::MenuTraits>;
// Memory the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER).
using LocalMemory = Unique<detail::LocalTraits>;
// A helper window made by hand (a tooltip); a window that wraps its own
// handle in a class destroys itself instead.
using OwnedWindow = Unique<detail::WindowTraits>;

// Keeps a global block locked for as long as it lives.
template <typename T> class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL block)
        : block_(block), data_(static_cast<T*>(::GlobalLock(block))) {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock() {
        if (data_) {
            ::GlobalUnlock(block_);
        }
    }
    T* Get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL block_;
    T* data_;
};

} // namespace win

namespace com {

// One reference to a COM object, released when it goes.
template <typename T> class Ptr {
public:
    Ptr() = default;
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    Ptr(Ptr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Ptr& operator=(Ptr&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    ~Ptr() { Reset(); }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // For functions that hand out a new reference (CoCreateInstance, QueryInterface).
    T** Put() {
        Reset();
        return &object_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset(T* object = nullptr) {
        if (T* old = std::exchange(object_, object)) {
            old->Release();
        }
    }

private:
    T* object_ = nullptr;
};

// Memory the shell hands out with CoTaskMemAlloc (names from IShellItem, ...).
template <typename T> class TaskMemory {
public:
    TaskMemory() = default;
    TaskMemory(const TaskMemory&) = delete;
    TaskMemory& operator=(const TaskMemory&) = delete;
    ~TaskMemory() { ::CoTaskMemFree(data_); }

    T* Get() const { return data_; }
    T** Put() {
        ::CoTaskMemFree(std::exchange(data_, nullptr));
        return &data_;
    }

private:
    T* data_ = nullptr;
};

// COM for the calling thread, from construction to destruction.
class Apartment {
public:
    explicit Apartment(DWORD model = COINIT_APARTMENTTHREADED)
        : result_(::CoInitializeEx(nullptr, model)) {}
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    // S_FALSE (already initialised) still counts and must be balanced.
    ~Apartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

} // namespace com
