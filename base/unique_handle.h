// One owner per Win32 handle: a move-only holder that releases its handle on
// every path. A Traits type names the handle type, the "no handle" value and
// the release call.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <utility>

namespace base {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : handle_(Traits::invalid()) {}
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // For APIs that return the handle through an out-parameter.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }
    Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle h = Traits::invalid()) noexcept {
        Handle old = std::exchange(handle_, h);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    Handle handle_;
};

// The two ways a handle kind says "no handle". A kind's traits derive from one
// and add its closing call, so each kind below is one line.
template <typename H>
struct NullWhenAbsent {
    using Handle = H;
    static Handle invalid() { return Handle{}; }
};
struct MinusOneWhenAbsent {  // CreateFile, FindFirstFile
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
};

struct KernelHandleTraits : NullWhenAbsent<HANDLE> { static void close(Handle h) { ::CloseHandle(h); } };
struct FileHandleTraits : MinusOneWhenAbsent { static void close(Handle h) { ::CloseHandle(h); } };
struct FindHandleTraits : MinusOneWhenAbsent { static void close(Handle h) { ::FindClose(h); } };
struct RegKeyTraits : NullWhenAbsent<HKEY> { static void close(Handle h) { ::RegCloseKey(h); } };
struct ModuleTraits : NullWhenAbsent<HMODULE> { static void close(Handle h) { ::FreeLibrary(h); } };
struct GdiObjectTraits : NullWhenAbsent<HGDIOBJ> { static void close(Handle h) { ::DeleteObject(h); } };
struct MemoryDcTraits : NullWhenAbsent<HDC> { static void close(Handle h) { ::DeleteDC(h); } };
struct LocalMemoryTraits : NullWhenAbsent<HLOCAL> { static void close(Handle h) { ::LocalFree(h); } };
struct GlobalMemoryTraits : NullWhenAbsent<HGLOBAL> { static void close(Handle h) { ::GlobalFree(h); } };
template <typename T>
struct CoTaskMemoryTraits : NullWhenAbsent<T*> { static void close(T* p) { ::CoTaskMemFree(p); } };

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;    // what FormatMessage and the decoders allocate
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;  // GlobalAlloc
template <typename T>
using UniqueCoTaskMemory = UniqueHandle<CoTaskMemoryTraits<T>>;  // what COM hands back to free

// A process and its first thread as CreateProcess hands them over.
struct ProcessHandles {
    UniqueKernelHandle process;
    UniqueKernelHandle thread;
    DWORD processId = 0;
};

// COM is initialised for the span of one operation and released on every path.
class ScopedComInit {
public:
    ScopedComInit() : hr_(::CoInitialize(nullptr)) {}
    ~ScopedComInit() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

// Owns one reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

}  // namespace base
