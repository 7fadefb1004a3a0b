// The status window and the About box as a person meets them, in-process with the send run
// replaced by the test's own function: the text and icons while the run goes, the system menu's
// About item (any command with its low four bits cleared opens the box), Enter and Escape
// swallowed.
#include <gtest/gtest.h>

#include "app/CFernpostDlg.h"
#include "res/resource.h"

namespace {

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND g_status = nullptr;
std::string g_seen;  // the OK button of the About box that a command opened

// Clicks OK in the About box once it is open, so that no test can hang on it.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowA("#32770", "Fernpostのﾊﾞｰｼﾞｮﾝ情報");
    if (about == nullptr || !IsWindowVisible(about)) return;  // not open yet
    KillTimer(nullptr, timer);
    g_seen = TextOf(GetDlgItem(about, IDOK));
    PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
}

// Sends system command `id` to the status window: what was seen of an About box it opened.
std::string SystemCommand(WPARAM id) {
    g_seen.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseAboutBox);
    SendMessageA(g_status, WM_SYSCOMMAND, id, 0);
    KillTimer(nullptr, timer);
    return g_seen;
}

// The test's send run: what the status window shows, and its system menu at work.
void LookAtTheWindow(CFernpostDlg& dialog) {
    ASSERT_NE(g_status = dialog.m_hWnd, nullptr);
    std::string shown;
    for (HWND child = GetWindow(g_status, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        shown += SendMessageA(child, STM_GETICON, 0, 0) != 0 ? "[icon]" : TextOf(child);
    EXPECT_EQ(shown, "メール送信中・・・[icon]");
    EXPECT_NE(dialog.m_hIcon, nullptr);
    for (WPARAM kind : {ICON_BIG, ICON_SMALL})
        EXPECT_EQ(SendMessageA(g_status, WM_GETICON, kind, 0), LRESULT(dialog.m_hIcon));

    HMENU menu = GetSystemMenu(g_status, FALSE);
    const int last = GetMenuItemCount(menu) - 1;
    char item[128] = {};
    GetMenuStringA(menu, last, item, sizeof item, MF_BYPOSITION);
    EXPECT_EQ(std::string(item), "Fernpost のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(GetMenuItemID(menu, last), UINT(IDM_ABOUTBOX));
    EXPECT_TRUE(GetMenuState(menu, last - 1, MF_BYPOSITION) & MF_SEPARATOR);

    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM('A')}) {
        MSG message{g_status, WM_KEYDOWN, key, 0, 0, {}};
        EXPECT_EQ(dialog.PreTranslateMessage(&message), key != 'A') << key;
    }
    for (WPARAM command : {IDM_ABOUTBOX, 0x0013, 0x001F, 0x0020})
        EXPECT_EQ(SystemCommand(command), command < 0x0020 ? "OK" : "") << command;
    EXPECT_TRUE(IsWindow(g_status));
}

TEST(StatusWindowTest, ShowsItsTextAndIconAndOpensTheAboutBox) {
    const CFernpostDlg::RunFunction sendRun = CFernpostDlg::s_pfnRun;
    CFernpostDlg::s_pfnRun = LookAtTheWindow;
    CFernpostDlg dialog;
    EXPECT_EQ(dialog.DoModal(), 0);
    CFernpostDlg::s_pfnRun = sendRun;
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // the run's end closed the window
}

}  // namespace
