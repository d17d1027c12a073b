// Move-only owners of Windows resources. Each knows its own "no resource" value: handles from
// CreateFile-style calls fail with INVALID_HANDLE_VALUE, those from OpenProcess-style calls
// with null, and the two are kept apart.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace kovalt::platform {

template <typename T, T Empty, typename Close>
class Unique {
public:
    Unique() = default;
    explicit Unique(T value) : value_(value) {}
    Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Empty)) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Empty));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Empty; }
    T* put() {
        reset();
        return &value_;
    }
    void reset(T value = Empty) {
        if (value_ != Empty) Close{}(value_);
        value_ = value;
    }

private:
    T value_ = Empty;
};

struct CloseHandleFn {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct CloseKeyFn {
    void operator()(HKEY k) const { ::RegCloseKey(k); }
};
struct DeleteObjectFn {
    void operator()(HGDIOBJ o) const { ::DeleteObject(o); }
};

struct FreeLibraryFn {
    void operator()(HMODULE m) const { ::FreeLibrary(m); }
};

using UniqueHandle = Unique<HANDLE, nullptr, CloseHandleFn>;  // OpenProcess style
using UniqueKey = Unique<HKEY, nullptr, CloseKeyFn>;
using UniqueFont = Unique<HFONT, nullptr, DeleteObjectFn>;
using UniqueBrush = Unique<HBRUSH, nullptr, DeleteObjectFn>;
using UniqueModule = Unique<HMODULE, nullptr, FreeLibraryFn>;

// A system DLL loaded only for the moment it is needed: the dialogs' DLLs are large, and a
// program that stays up for weeks should not carry them between uses. Only the system folder is
// searched, so no DLL of the same name elsewhere is picked up.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name)
        : module_(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
    // The named function as the given pointer type, or null.
    template <typename Fn>
    Fn get(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(
                             ::GetProcAddress(module_.get(), name)))
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
// FormatMessage ends them with; "error 0x..." when the system has none.
std::wstring errorText(DWORD code);

}  // namespace kovalt::platform
