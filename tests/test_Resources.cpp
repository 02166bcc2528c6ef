#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "platform/QxHandle.h"
#include "resources/QxQVInfo320U_ids.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE Library() { return GetModuleHandleW(L"QxQVInfo320U.dll"); }

TEST(Resources, PictureStripIsFourSixteenPixelSquares) {
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(IDB_QX_PICTURES));
    BITMAP info = {};
    ASSERT_GT(strip.GetBitmap(&info), 0);
    EXPECT_EQ(info.bmWidth, 4 * 16);
    EXPECT_EQ(info.bmHeight, 16);
}

// The "Tools" dialog template, read control by control (DLGTEMPLATEEX layout).
struct Control {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring className;  // upper case; predefined classes by name
    std::wstring text;
};

struct Reader {
    const BYTE* p;
    template <typename T>
    T Take() {
        T value;
        std::memcpy(&value, p, sizeof(T));
        p += sizeof(T);
        return value;
    }
    void Align() { p = reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3)); }
    // A name or an ordinal (0xFFFF, value).
    std::wstring NameOrOrdinal() {
        WORD first = Take<WORD>();
        if (first == 0xFFFF) {
            wchar_t buf[8];
            swprintf(buf, 8, L"#%04X", Take<WORD>());
            return buf;
        }
        std::wstring text;
        for (WORD ch = first; ch; ch = Take<WORD>()) text += static_cast<wchar_t>(ch);
        return text;
    }
};

// Predefined classes may be stored by atom or by name; both mean the same class.
std::wstring Normalized(std::wstring name) {
    const std::pair<const wchar_t*, const wchar_t*> atoms[] = {
        {L"#0080", L"BUTTON"}, {L"#0081", L"EDIT"}, {L"#0082", L"STATIC"}, {L"#0083", L"LISTBOX"}};
    for (auto& a : atoms) {
        if (name == a.first) return a.second;
    }
    CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

struct Dialog {
    DWORD style;
    short cx, cy;
    WORD pointSize;
    std::wstring caption;
    std::vector<Control> controls;
};

Dialog ReadTools() {
    Dialog d = {};
    HRSRC res = FindResourceW(Library(), MAKEINTRESOURCEW(IDD_QX_TOOLS), RT_DIALOG);
    if (!res) return d;
    Reader r{static_cast<const BYTE*>(LockResource(LoadResource(Library(), res)))};
    if (r.Take<WORD>() != 1 || r.Take<WORD>() != 0xFFFF) return d;  // not DLGTEMPLATEEX
    r.Take<DWORD>();                                                // help id
    r.Take<DWORD>();                                                // extended style
    d.style = r.Take<DWORD>();
    WORD count = r.Take<WORD>();
    r.Take<short>();
    r.Take<short>();
    d.cx = r.Take<short>();
    d.cy = r.Take<short>();
    r.NameOrOrdinal();  // menu
    r.NameOrOrdinal();  // class
    d.caption = r.NameOrOrdinal();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.Take<WORD>();
        r.Take<WORD>();
        r.Take<BYTE>();
        r.Take<BYTE>();
        r.NameOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        r.Align();
        Control c = {};
        r.Take<DWORD>();  // help id
        c.exStyle = r.Take<DWORD>();
        c.style = r.Take<DWORD>();
        c.x = r.Take<short>();
        c.y = r.Take<short>();
        c.cx = r.Take<short>();
        c.cy = r.Take<short>();
        c.id = r.Take<DWORD>();
        c.className = Normalized(r.NameOrOrdinal());
        c.text = r.NameOrOrdinal();
        WORD extra = r.Take<WORD>();
        r.p += extra;
        d.controls.push_back(c);
    }
    return d;
}

TEST(ToolsDialog, HasTheModalFrameSizeAndFont) {
    Dialog d = ReadTools();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(d.style & style, style);
    EXPECT_EQ(d.cx, 268);
    EXPECT_EQ(d.cy, 214);
    EXPECT_EQ(d.pointSize, 10);
    ASSERT_EQ(d.controls.size(), 11u);
}

// Each control's identifier, class, text, place and the styles it must carry.
struct Expected {
    DWORD id;
    const wchar_t* className;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;     // bits that must be set
    DWORD notStyle;  // bits that must be clear
    DWORD exStyle;
};

const DWORD kNoId = 0xFFFFFFFF;
const Expected kToolsControls[] = {
    {1009, L"BUTTON", L"Directories:", 7, 7, 254, 12, BS_OWNERDRAW | WS_TABSTOP, 0, WS_EX_STATICEDGE},
    {1000, L"LISTBOX", L"", 7, 19, 254, 108,
     LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0,
     0},
    {kNoId, L"STATIC", L"Command", 7, 135, 34, 8, WS_GROUP, 0, 0},
    {3001, L"EDIT", L"", 49, 133, 196, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {3003, L"BUTTON", L"...", 248, 133, 13, 14, BS_FLAT, WS_TABSTOP, 0},
    {kNoId, L"STATIC", L"Arguments", 7, 155, 36, 8, WS_GROUP, 0, 0},
    {3002, L"EDIT", L"", 49, 153, 196, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {kNoId, L"STATIC", L"Initial Dir", 7, 176, 36, 8, WS_GROUP, 0, 0},
    {3004, L"EDIT", L"", 49, 174, 196, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {IDOK, L"BUTTON", L"OK", 156, 193, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0},
    {IDCANCEL, L"BUTTON", L"Cancel", 211, 193, 50, 14, WS_TABSTOP, BS_DEFPUSHBUTTON, 0},
};

class ToolsDialogControl : public ::testing::TestWithParam<int> {};

TEST_P(ToolsDialogControl, MatchesTheLayout) {
    static const Dialog d = ReadTools();
    const Expected& e = kToolsControls[GetParam()];
    ASSERT_LT(static_cast<size_t>(GetParam()), d.controls.size());
    const Control& c = d.controls[GetParam()];
    EXPECT_EQ(c.id, e.id);
    EXPECT_EQ(c.className, e.className);
    EXPECT_EQ(c.text, e.text);
    EXPECT_EQ(c.x, e.x);
    EXPECT_EQ(c.y, e.y);
    EXPECT_EQ(c.cx, e.cx);
    EXPECT_EQ(c.cy, e.cy);
    EXPECT_EQ(c.style & e.style, e.style) << std::hex << c.style;
    EXPECT_EQ(c.style & e.notStyle, 0u) << std::hex << c.style;
    EXPECT_EQ(c.exStyle, e.exStyle);
    // The button type is a number, not a set of bits: compare it whole for buttons.
    if (e.className == std::wstring(L"BUTTON")) {
        EXPECT_EQ(c.style & BS_TYPEMASK, e.style & BS_TYPEMASK);
    }
}

INSTANTIATE_TEST_SUITE_P(InOrder, ToolsDialogControl, ::testing::Range(0, 11));

INT_PTR CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(ObjectPanel, IsAChildWithALabelAboveATree) {
    HRSRC res = FindResourceW(Library(), MAKEINTRESOURCEW(IDD_QX_OBJECT_PANEL), RT_DIALOG);
    ASSERT_NE(res, nullptr);
    // Instantiated inside a parent, as the host does.
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    // Loading the common controls registers the tree view's class.
    QxModule commonControls(LoadLibraryW(L"comctl32.dll"));
    HWND panel = CreateDialogParamW(Library(), MAKEINTRESOURCEW(IDD_QX_OBJECT_PANEL), parent, PanelProc, 0);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(GetWindowLongW(panel, GWL_STYLE) & WS_CHILD);
    HWND label = GetDlgItem(panel, IDC_QX_PANEL_LABEL);
    HWND tree = GetDlgItem(panel, IDC_QX_PANEL_TREE);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(tree, nullptr);
    wchar_t text[32] = {};
    GetWindowTextW(label, text, 32);
    EXPECT_STREQ(text, L"Object");
    RECT labelRect, treeRect;
    GetWindowRect(label, &labelRect);
    GetWindowRect(tree, &treeRect);
    EXPECT_LE(labelRect.bottom, treeRect.top) << "the label stands above the tree";
    DestroyWindow(parent);
}

}  // namespace
