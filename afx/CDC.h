#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"

class CWnd;

// A device context. CDC owns a context it made (CreateCompatibleDC) or was given (Attach)
// and deletes it; CPaintDC and CClientDC hand theirs back the way they got it.
class QX_API CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    BOOL Attach(HDC dc);
    HDC Detach();
    // A memory context compatible with other (the screen when other is null); FALSE when
    // it cannot be made.
    BOOL CreateCompatibleDC(CDC* other);
    BOOL DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    int DrawText(const wchar_t* text, int count, RECT* rect, UINT format) {
        return ::DrawTextW(m_hDC, text, count, rect, format);
    }
    SIZE GetTextExtent(const wchar_t* text, int count) const;
    BOOL GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
};

// BeginPaint in the constructor, EndPaint in the destructor.
class QX_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    PAINTSTRUCT m_ps = {};

private:
    HWND hwnd_;
};

// GetDC in the constructor (null window: the screen), ReleaseDC in the destructor.
class QX_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

private:
    HWND hwnd_;
};

// Selects a GDI object into a context for the scope and selects the previous one back
// when it ends, so that no context is handed back with a borrowed object in it. A null
// object selects nothing; a selection the context refuses (HGDI_ERROR, or null for a
// region) leaves nothing to restore, and Selected() says so.
class CGdiSelector {
public:
    CGdiSelector(HDC dc, HGDIOBJ object) : dc_(dc), previous_(Select(dc, object)) {}
    ~CGdiSelector() { Restore(); }
    CGdiSelector(const CGdiSelector&) = delete;
    CGdiSelector& operator=(const CGdiSelector&) = delete;
    // Selects the previous object back now rather than at the end of the scope.
    void Restore() {
        if (previous_) ::SelectObject(dc_, previous_);
        previous_ = nullptr;
    }
    // True while the object is selected and the previous one waits to be restored.
    bool Selected() const { return previous_ != nullptr; }

private:
    static HGDIOBJ Select(HDC dc, HGDIOBJ object) {
        if (!dc || !object) return nullptr;
        HGDIOBJ previous = ::SelectObject(dc, object);
        return previous == HGDI_ERROR ? nullptr : previous;
    }

    HDC dc_;
    HGDIOBJ previous_;
};
