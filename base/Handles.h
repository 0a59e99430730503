#pragma once
// One small owner per kind of OS handle. Owners are move-only, close what they hold
// when they go out of scope, and keep the thread's last error intact while closing, so
// that a failing call's GetLastError survives the cleanup of the handles around it.
#include <windows.h>
#include <objbase.h>
#include <utility>

// Traits: `type`, `static bool invalid(type)`, `static type none()`, `static void close(type)`.
template <typename Traits>
class UniqueAny {
public:
    using T = typename Traits::type;
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueAny() { reset(); }

    T get() const noexcept { return value_; }
    bool valid() const noexcept { return !Traits::invalid(value_); }
    explicit operator bool() const noexcept { return valid(); }

    T release() noexcept { return std::exchange(value_, Traits::none()); }
    void reset(T value = Traits::none()) noexcept {
        T old = std::exchange(value_, value);
        if (!Traits::invalid(old)) {
            const DWORD error = ::GetLastError();
            Traits::close(old);
            ::SetLastError(error);
        }
    }
    // For out-parameters: closes what is held and hands out the slot.
    T* put() noexcept { reset(); return &value_; }

private:
    T value_ = Traits::none();
};

namespace handle_detail {
template <typename T, void (*Close)(T)>
struct NullTraits {
    using type = T;
    static T none() noexcept { return T{}; }
    static bool invalid(T v) noexcept { return v == T{}; }
    static void close(T v) noexcept { Close(v); }
};
inline void CloseHandleFn(HANDLE h) noexcept { ::CloseHandle(h); }
// Kernel objects use null as "none", files INVALID_HANDLE_VALUE: both count as empty.
struct KernelTraits {
    using type = HANDLE;
    static HANDLE none() noexcept { return nullptr; }
    static bool invalid(HANDLE h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FindTraits {
    using type = HANDLE;
    static HANDLE none() noexcept { return INVALID_HANDLE_VALUE; }
    static bool invalid(HANDLE h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::FindClose(h); }
};
inline void CloseKeyFn(HKEY k) noexcept { ::RegCloseKey(k); }
inline void FreeLibraryFn(HMODULE m) noexcept { ::FreeLibrary(m); }
inline void DeleteDCFn(HDC dc) noexcept { ::DeleteDC(dc); }
inline void DestroyWindowFn(HWND w) noexcept { ::DestroyWindow(w); }
inline void CoTaskMemFreeFn(void* p) noexcept { ::CoTaskMemFree(p); }
inline void FreeSidFn(PSID s) noexcept { ::FreeSid(s); }
inline void LocalFreeFn(void* p) noexcept { ::LocalFree(p); }
template <typename T> void DeleteGdiFn(T o) noexcept { ::DeleteObject(o); }
}  // namespace handle_detail

using UniqueHandle = UniqueAny<handle_detail::KernelTraits>;  // processes, threads, mutexes, tokens, files
using UniqueFile = UniqueHandle;
using UniqueFind = UniqueAny<handle_detail::FindTraits>;
using UniqueHKey = UniqueAny<handle_detail::NullTraits<HKEY, handle_detail::CloseKeyFn>>;
using UniqueModule = UniqueAny<handle_detail::NullTraits<HMODULE, handle_detail::FreeLibraryFn>>;
using UniqueMemDC = UniqueAny<handle_detail::NullTraits<HDC, handle_detail::DeleteDCFn>>;
using UniqueWindow = UniqueAny<handle_detail::NullTraits<HWND, handle_detail::DestroyWindowFn>>;
using UniqueCoTaskMem = UniqueAny<handle_detail::NullTraits<void*, handle_detail::CoTaskMemFreeFn>>;
using UniqueSid = UniqueAny<handle_detail::NullTraits<PSID, handle_detail::FreeSidFn>>;
// Memory the system hands out with LocalAlloc (security descriptors, SID strings).
using UniqueLocal = UniqueAny<handle_detail::NullTraits<void*, handle_detail::LocalFreeFn>>;

// GDI owners (fonts, brushes, bitmaps, regions), closed with DeleteObject.
template <typename T>
using UniqueGdi = UniqueAny<handle_detail::NullTraits<T, handle_detail::DeleteGdiFn<T>>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueRegion = UniqueGdi<HRGN>;

// A released DC from GetDC.
class UniqueWindowDC {
public:
    UniqueWindowDC() = default;
    UniqueWindowDC(HWND w, HDC dc) noexcept : window_(w), dc_(dc) {}
    UniqueWindowDC(const UniqueWindowDC&) = delete;
    UniqueWindowDC& operator=(const UniqueWindowDC&) = delete;
    UniqueWindowDC(UniqueWindowDC&& o) noexcept : window_(o.window_), dc_(std::exchange(o.dc_, nullptr)) {}
    UniqueWindowDC& operator=(UniqueWindowDC&& o) noexcept {
        if (this != &o) { reset(); window_ = o.window_; dc_ = std::exchange(o.dc_, nullptr); }
        return *this;
    }
    ~UniqueWindowDC() { reset(); }
    HDC get() const noexcept { return dc_; }
    void reset() noexcept { if (dc_) ::ReleaseDC(window_, dc_); dc_ = nullptr; }
private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// COM interface pointers.
template <typename I>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept { if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); } return *this; }
    ~ComPtr() { reset(); }
    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    I** put() noexcept { reset(); return &p_; }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    void reset() noexcept { if (p_) { p_->Release(); p_ = nullptr; } }
private:
    I* p_ = nullptr;
};

// COM initialised for the lifetime of the scope, uninitialised on every path out.
class ComScope {
public:
    ComScope() noexcept : hr_(::CoInitialize(nullptr)) {}
    ~ComScope() { if (SUCCEEDED(hr_)) ::CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    HRESULT result() const noexcept { return hr_; }
private:
    HRESULT hr_;
};
