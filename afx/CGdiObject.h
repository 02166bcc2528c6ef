#pragma once
#include "platform/QxWin.h"
#include "afx/AfxModule.h"

// GDI object owners in two forms: the owning form (CFont, CBitmap) deletes its object when
// it is destroyed or given another one; the borrowing form (CFontHandle, CBitmapHandle)
// only names an object that someone else owns and never deletes it.
template <typename Handle, bool Owning>
class CGdiObjectT {
public:
    CGdiObjectT() = default;
    explicit CGdiObjectT(Handle handle) : handle_(handle) {}
    ~CGdiObjectT() {
        if (Owning) DeleteObject();
    }
    CGdiObjectT(const CGdiObjectT& other) : handle_(other.handle_) {
        static_assert(!Owning, "an owner cannot be copied");
    }
    // Copying a borrowed handle onto itself leaves it as it was.
    CGdiObjectT& operator=(const CGdiObjectT& other) {  // NOLINT(cert-oop54-cpp)
        static_assert(!Owning, "an owner cannot be copied");
        handle_ = other.handle_;
        return *this;
    }
    // A move hands the object over: the source holds nothing after it.
    CGdiObjectT(CGdiObjectT&& other) noexcept : handle_(other.Detach()) {}
    CGdiObjectT& operator=(CGdiObjectT&& other) noexcept {
        if (this != &other) Attach(other.Detach());
        return *this;
    }

    Handle GetSafeHandle() const { return handle_; }
    operator Handle() const { return handle_; }
    // The owning form deletes the object it held before (unless it is the same one).
    void Attach(Handle handle) {
        if (Owning && handle_ && handle_ != handle) ::DeleteObject(handle_);
        handle_ = handle;
    }
    Handle Detach() {
        Handle h = handle_;
        handle_ = nullptr;
        return h;
    }
    // Deletes the object (also in the borrowing form, where the caller asks for it).
    BOOL DeleteObject() {
        if (!handle_) return FALSE;
        BOOL ok = ::DeleteObject(handle_);
        handle_ = nullptr;
        return ok;
    }

protected:
    Handle handle_ = nullptr;
};

template <bool Owning>
class CFontT : public CGdiObjectT<HFONT, Owning> {
public:
    using CGdiObjectT<HFONT, Owning>::CGdiObjectT;
    // Replaces the font held; FALSE (nothing held) when the font cannot be made.
    BOOL CreateFontIndirect(const LOGFONTW* logFont) {
        this->Attach(logFont ? ::CreateFontIndirectW(logFont) : nullptr);
        return this->handle_ != nullptr;
    }
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const wchar_t* face) {
        this->Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                   charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
        return this->handle_ != nullptr;
    }
};
using CFont = CFontT<true>;
using CFontHandle = CFontT<false>;

template <bool Owning>
class CBitmapT : public CGdiObjectT<HBITMAP, Owning> {
public:
    using CGdiObjectT<HBITMAP, Owning>::CGdiObjectT;
    // Loads a bitmap resource from the first module of the resource chain that holds it;
    // FALSE (nothing held) when none does.
    BOOL LoadBitmap(UINT id) {
        const wchar_t* name = MAKEINTRESOURCEW(id & 0xFFFF);
        this->Attach(::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name));
        return this->handle_ != nullptr;
    }
    // Fills *bitmap; 0 when no bitmap is held.
    int GetBitmap(BITMAP* bitmap) const {
        return this->handle_ ? ::GetObjectW(this->handle_, sizeof(BITMAP), bitmap) : 0;
    }
};
using CBitmap = CBitmapT<true>;
using CBitmapHandle = CBitmapT<false>;
