#pragma once
#include "platform/QxExport.h"
#include "afx/CString.h"
#include "afx/CWnd.h"

// A pop-up that shows an item's text in full over the item when the item is too narrow
// for it. It goes away at the next key or mouse-button press, which it passes on to the
// window the input was meant for.
class QX_API CParameterTip : public CWnd {
public:
    // Registers the window class "ParameterTip" if needed; throws the framework's resource
    // exception when it cannot be registered.
    CParameterTip();
    ~CParameterTip() override;
    CParameterTip(const CParameterTip&) = delete;
    CParameterTip& operator=(const CParameterTip&) = delete;

    // Makes the (hidden) tip window for owner; 0 when the window cannot be made.
    virtual int Create(CWnd* owner);

    // Shows text over itemRect (owner's client coordinates) unless it fits inside the item
    // with margin pixels on each side. maxChars > 0 limits the tip's width to that many
    // average characters; logFont (may be null) is the font to measure with. A visible
    // tip ignores Show. extraRect is not used.
    void Show(CRect itemRect, const wchar_t* text, long margin, long maxChars, RECT* extraRect = nullptr,
              LOGFONTW* logFont = nullptr);
    // Hides the tip and gives up the mouse capture; nothing happens without a window.
    void Hide();

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnPaint();
    void OnMouseMove(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void RedirectButtonPress(const MSG& msg);

    CWnd* owner_ = nullptr;
    RECT textRect_ = {0, 0, 0, 0};
    CString displayText_;
};
