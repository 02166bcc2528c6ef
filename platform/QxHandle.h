#pragma once
#include "platform/QxWin.h"

// One owner for every kind of OS handle: it holds one handle, closes it once, and can be
// moved but not copied. What a handle kind needs is a traits class:
//
//   struct Traits {
//       using Type = ...;                 // the handle type
//       static Type Invalid();            // the value that holds nothing
//       static void Close(Type handle);   // frees a valid handle
//   };
//
// The common kinds are below; a layer adds its own beside the code that makes the handles
// (sockets and address lists in the runtime, ODBC handles in the database adaptor).
template <class Traits>
class QxHandle {
public:
    using Type = typename Traits::Type;

    QxHandle() noexcept : handle_(Traits::Invalid()) {}
    explicit QxHandle(Type handle) noexcept : handle_(handle) {}
    ~QxHandle() { Reset(); }
    QxHandle(const QxHandle&) = delete;
    QxHandle& operator=(const QxHandle&) = delete;
    QxHandle(QxHandle&& other) noexcept : handle_(other.Release()) {}
    QxHandle& operator=(QxHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
    // Member access for handles that are pointers (interfaces, system-allocated lists).
    Type operator->() const noexcept { return handle_; }
    // Gives the handle up without closing it: the caller owns it from here.
    [[nodiscard]] Type Release() noexcept {
        Type handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    // Closes what is held (unless it is the same handle) and takes the new one.
    void Reset(Type handle = Traits::Invalid()) noexcept {
        if (handle_ != Traits::Invalid() && handle_ != handle) Traits::Close(handle_);
        handle_ = handle;
    }
    // For out-parameters: closes what is held and hands over the slot.
    Type* Put() noexcept {
        Reset();
        return &handle_;
    }

private:
    Type handle_;
};

// Handles whose empty value is null.
template <class T, void (*CloseFn)(T)>
struct QxNullHandleTraits {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type handle) noexcept { CloseFn(handle); }
};

namespace qxhandle {
inline void UnloadModule(HMODULE h) { FreeLibrary(h); }
inline void CloseRegKey(HKEY h) { RegCloseKey(h); }
inline void Unhook(HHOOK h) { UnhookWindowsHookEx(h); }
inline void ReleaseScreenDC(HDC h) { ReleaseDC(nullptr, h); }
inline void CloseKernelObject(HANDLE h) { CloseHandle(h); }
template <class T>
void FreeLocal(T* p) {
    LocalFree(p);
}
template <class T>
void FreeTaskMem(T* p) {
    CoTaskMemFree(p);
}
template <class T>
void ReleaseCom(T* p) {
    p->Release();
}
}  // namespace qxhandle

// A loaded module (LoadLibrary); FreeLibrary.
using QxModule = QxHandle<QxNullHandleTraits<HMODULE, qxhandle::UnloadModule>>;
// An open registry key; RegCloseKey.
using QxRegKey = QxHandle<QxNullHandleTraits<HKEY, qxhandle::CloseRegKey>>;
// A windows hook (SetWindowsHookEx); UnhookWindowsHookEx.
using QxHook = QxHandle<QxNullHandleTraits<HHOOK, qxhandle::Unhook>>;
// A kernel object whose empty value is null (process, thread, pipe, event); CloseHandle.
// Files, whose empty value is INVALID_HANDLE_VALUE, are QxFileHandle.
using QxKernelObject = QxHandle<QxNullHandleTraits<HANDLE, qxhandle::CloseKernelObject>>;
// The screen's device context (GetDC(nullptr)); ReleaseDC.
using QxScreenDC = QxHandle<QxNullHandleTraits<HDC, qxhandle::ReleaseScreenDC>>;
// Memory the system allocated with LocalAlloc for the caller (FormatMessage,
// CommandLineToArgvW); LocalFree.
template <class T>
using QxLocalMem = QxHandle<QxNullHandleTraits<T*, qxhandle::FreeLocal<T>>>;
// Memory of the task allocator (CoTaskMemAlloc, shell item lists); CoTaskMemFree.
template <class T>
using QxTaskMem = QxHandle<QxNullHandleTraits<T*, qxhandle::FreeTaskMem<T>>>;
// A COM interface that carries a reference; Release.
template <class T>
using QxComPtr = QxHandle<QxNullHandleTraits<T*, qxhandle::ReleaseCom<T>>>;

// A search handle (FindFirstFile); FindClose. Its empty value is INVALID_HANDLE_VALUE.
struct QxFindTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { FindClose(handle); }
};
using QxFind = QxHandle<QxFindTraits>;

// An open file (CreateFile); CloseHandle. Its empty value is INVALID_HANDLE_VALUE.
struct QxFileTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { CloseHandle(handle); }
};
using QxFileHandle = QxHandle<QxFileTraits>;
