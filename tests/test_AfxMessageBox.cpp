#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/MessageRecorder.h"
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::wstring> g_seen;
int FirstSink(const wchar_t* text, unsigned) {
    g_seen.push_back(std::wstring(L"first:") + text);
    return IDOK;
}
int SecondSink(const wchar_t* text, unsigned) {
    g_seen.push_back(std::wstring(L"second:") + text);
    return IDCANCEL;
}

TEST(AfxMessageBoxSink, SinkTakesEveryMessageAndAnswersForTheBox) {
    QxMessageRecorder recorder;
    EXPECT_EQ(IDOK, AfxMessageBox(L"Server IP or Port No. is not specified."));
    EXPECT_EQ(IDOK, AfxMessageBox(L"question", MB_YESNO | MB_ICONQUESTION, 17));
    EXPECT_EQ(IDOK, AfxMessageBox(nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"Server IP or Port No. is not specified.", L"question", L""}),
              recorder.Texts());
    EXPECT_EQ((std::vector<unsigned>{0u, MB_YESNO | MB_ICONQUESTION, 0u}), recorder.Types());
}

TEST(AfxMessageBoxSink, InstallingAnswersThePreviousSink) {
    g_seen.clear();
    QxMessageSink before = AfxSetMessageSink(FirstSink);
    EXPECT_EQ(IDOK, AfxMessageBox(L"a"));
    EXPECT_EQ(FirstSink, AfxSetMessageSink(SecondSink));
    EXPECT_EQ(IDCANCEL, AfxMessageBox(L"b"));
    EXPECT_EQ(SecondSink, AfxSetMessageSink(before));
    EXPECT_EQ((std::vector<std::wstring>{L"first:a", L"second:b"}), g_seen);
}

// The default box, driven for real: a helper thread finds the modal box, reads its title,
// text and buttons, and presses OK. Should the box not be found in time, every window of
// the test's thread is closed so that the test fails instead of hanging.
struct BoxSeen {
    std::wstring title;
    std::wstring texts;  // texts of the box's child controls, separated by '|'
    bool found = false;
};

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
    wchar_t text[256] = L"";
    GetWindowTextW(child, text, 256);
    reinterpret_cast<BoxSeen*>(param)->texts += std::wstring(text) + L"|";
    return TRUE;
}

BOOL CALLBACK CloseWindow(HWND window, LPARAM) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

TEST(AfxMessageBoxDefault, ShowsAModalBoxWithOkUnderTheApplicationTitle) {
    QxMessageSink before = AfxSetMessageSink(nullptr);
    const DWORD uiThread = GetCurrentThreadId();
    BoxSeen seen;
    std::thread driver([&] {
        for (int attempt = 0; attempt < 200 && !seen.found; ++attempt) {
            Sleep(50);
            HWND box = FindWindowW(L"#32770", nullptr);
            if (!box || GetWindowThreadProcessId(box, nullptr) != uiThread) continue;
            wchar_t title[256] = L"";
            GetWindowTextW(box, title, 256);
            seen.title = title;
            EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&seen));
            seen.found = true;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        if (!seen.found) EnumThreadWindows(uiThread, CloseWindow, 0);
    });
    const int answer = AfxMessageBox(L"Shown for real.");
    driver.join();
    AfxSetMessageSink(before);

    ASSERT_TRUE(seen.found) << "no message box appeared (is there a display?)";
    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ(L"test_AfxMessageBox", seen.title);
    EXPECT_NE(std::wstring::npos, seen.texts.find(L"Shown for real.")) << seen.texts;
    EXPECT_NE(std::wstring::npos, seen.texts.find(L"OK|")) << seen.texts;
    EXPECT_EQ(std::wstring::npos, seen.texts.find(L"Cancel")) << seen.texts;
}

}  // namespace
