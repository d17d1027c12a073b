// Move-only owners of Windows resources. Each knows its own "no resource" value: handles from
// CreateFile-style calls fail with INVALID_HANDLE_VALUE, those from OpenProcess-style calls
// with null, and the two kinds are kept apart by type.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

#include "platform/result.h"

namespace kovalt::platform {

// Each kind names its "no resource" value and how it is given back. Closing keeps the thread's
// last error, so a handle reset while a failure is being reported does not change its code.
template <typename Kind>
class Unique {
public:
    using T = typename Kind::Type;
    Unique() = default;
    explicit Unique(T value) : value_(value) {}
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Kind::empty(); }
    T* put() {
        reset();
        return &value_;
    }
    // Gives up ownership without closing.
    T release() { return std::exchange(value_, Kind::empty()); }
    void reset(T value = Kind::empty()) {
        if (value_ != Kind::empty()) {
            const DWORD error = ::GetLastError();
            Kind::close(value_);
            ::SetLastError(error);
        }
        value_ = value;
    }

private:
    T value_ = Kind::empty();
};

template <typename H, auto Close>
struct NullEmpty {  // OpenProcess, RegOpenKey, CreateFont style: null means none
    using Type = H;
    static constexpr H empty() { return nullptr; }
    static void close(H h) { Close(h); }
};
template <auto Close>
struct InvalidEmpty {  // CreateFile and FindFirstFile style: INVALID_HANDLE_VALUE means none
    using Type = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { Close(h); }
};

using UniqueHandle = Unique<NullEmpty<HANDLE, ::CloseHandle>>;
using UniqueFile = Unique<InvalidEmpty<::CloseHandle>>;
using UniqueFind = Unique<InvalidEmpty<::FindClose>>;
using UniqueKey = Unique<NullEmpty<HKEY, ::RegCloseKey>>;
using UniqueFont = Unique<NullEmpty<HFONT, ::DeleteObject>>;
using UniqueBrush = Unique<NullEmpty<HBRUSH, ::DeleteObject>>;
using UniqueModule = Unique<NullEmpty<HMODULE, ::FreeLibrary>>;
using UniqueWindow = Unique<NullEmpty<HWND, ::DestroyWindow>>;

// The system folder ("C:\Windows\system32"), or nothing when it cannot be had.
std::wstring systemFolder();

// A system DLL loaded only for the moment it is needed: the dialogs' DLLs are large, and a
// program that stays up for weeks should not carry them between uses. Only the system folder is
// searched, so no DLL of the same name elsewhere is picked up.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name);
    // The named function as the given pointer type, or null.
    template <typename Fn>
    Fn get(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(
                             reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)))
                       : nullptr;
    }

private:
    UniqueModule module_;
};

// Both handles of a started process.
struct ProcessInfo {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;
};

// A COM interface pointer.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    I** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    I* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text)
        : b_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(b_); }
    BSTR get() const { return b_; }
    explicit operator bool() const { return b_ != nullptr; }

private:
    BSTR b_;
};

// COM for the calling thread, undone when the guard ends (only if this guard did it).
class ComInit {
public:
    ComInit() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    ~ComInit() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

// The system's own words for an error code (Win32 error or HRESULT), without the line break
// FormatMessage ends them with; "error 0x..." when the system has none. Codes of a DLL of its
// own (WinHTTP's) are looked up in `from` first.
std::wstring errorText(DWORD code, HMODULE from = nullptr);
// A failure in plain words: the program's own when it has them, else the system's.
inline std::wstring describe(const Result& result) {
    return result.what.empty() ? errorText(result.code) : result.what;
}

}  // namespace kovalt::platform
