#include "afx/CDC.h"

#include "afx/CWnd.h"

CDC::~CDC() { DeleteDC(); }

BOOL CDC::Attach(HDC dc) {
    if (m_hDC || !dc) return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* other) {
    if (m_hDC) return FALSE;
    m_hDC = ::CreateCompatibleDC(other ? other->m_hDC : nullptr);
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    BOOL ok = ::DeleteDC(Detach());
    return ok;
}

SIZE CDC::GetTextExtent(const wchar_t* text, int count) const {
    SIZE size = {0, 0};
    if (count < 0) count = lstrlenW(text);
    if (!::GetTextExtentPoint32W(m_hDC, text, count, &size)) size = SIZE{0, 0};
    return size;
}

CPaintDC::CPaintDC(CWnd* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr) {
    if (hwnd_) Attach(::BeginPaint(hwnd_, &m_ps));
}

CPaintDC::~CPaintDC() {
    if (hwnd_ && m_hDC) ::EndPaint(hwnd_, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetDC(hwnd_)); }

CClientDC::~CClientDC() {
    if (m_hDC) ::ReleaseDC(hwnd_, m_hDC);
    Detach();
}
