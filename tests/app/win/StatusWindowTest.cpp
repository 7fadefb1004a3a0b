// The status window and the About box as a person meets them, in-process with the send run
// replaced by the test's own function: the text and icons while the run goes, the system menu's
// About item, Enter and Escape swallowed, and every way the About box opens and closes.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/CFernpostApp.h"
#include "app/CFernpostDlg.h"
#include "res/resource.h"
#include "support/TestFiles.h"

namespace {

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND g_status = nullptr;
// The key that closes the About box once it is open, or its close box or OK button; and what was
// seen of it.
constexpr WPARAM CLOSE_BOX = 0, OK_BUTTON = 1;
WPARAM g_closingKey;
std::string g_seen;

// The dialog box of this thread open beside the status window (the About box), or null.
HWND OpenAboutBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (window != g_status && std::string(name) == "#32770" && IsWindowVisible(window))
                *reinterpret_cast<HWND*>(result) = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Closes whatever dialog box opens beside the status window, so that no test can hang on it.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = OpenAboutBox();
    if (about == nullptr) return;  // not open yet
    KillTimer(nullptr, timer);
    HWND ok = GetDlgItem(about, IDOK);
    g_seen = TextOf(about) + "|" + TextOf(ok);
    if (g_closingKey == CLOSE_BOX)
        PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (g_closingKey == OK_BUTTON)
        PostMessageA(ok, BM_CLICK, 0, 0);
    else
        PostMessageA(ok, WM_KEYDOWN, g_closingKey, 0);
}

// Sends system command `id` to the status window: what was seen of an About box it opened.
std::string SystemCommand(WPARAM id, WPARAM closingKey) {
    g_seen.clear();
    g_closingKey = closingKey;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseAboutBox);
    SendMessageA(g_status, WM_SYSCOMMAND, id, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(OpenAboutBox(), nullptr);  // closed again
    return g_seen;
}

std::string g_statusText;
bool g_hasStatusIcon = false;

// The test's send run: what the status window shows, and its system menu at work.
void LookAtTheWindow(CFernpostDlg& dialog) {
    ASSERT_NE(g_status = dialog.m_hWnd, nullptr);
    EnumChildWindows(
        g_status,
        [](HWND child, LPARAM) {
            if (SendMessageA(child, STM_GETICON, 0, 0) != 0)
                g_hasStatusIcon = true;
            else
                g_statusText = TextOf(child);
            return TRUE;
        },
        0);
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
    const std::string about = "Fernpostのﾊﾞｰｼﾞｮﾝ情報|OK";
    EXPECT_EQ(SystemCommand(IDM_ABOUTBOX, OK_BUTTON), about);
    EXPECT_EQ(SystemCommand(0x0013, VK_RETURN), about);  // the low four bits do not count
    EXPECT_EQ(SystemCommand(0x001F, VK_ESCAPE), about);
    EXPECT_EQ(SystemCommand(0x0010, 0), about);  // its close box
    EXPECT_EQ(SystemCommand(0x0020, ' '), "");   // another command
    EXPECT_TRUE(IsWindow(g_status));
}

TEST(StatusWindowTest, ShowsItsTextAndIconAndOpensTheAboutBox) {
    const CFernpostDlg::RunFunction sendRun = CFernpostDlg::s_pfnRun;
    CFernpostDlg::s_pfnRun = LookAtTheWindow;
    CFernpostDlg dialog;
    EXPECT_EQ(dialog.DoModal(), 0);
    CFernpostDlg::s_pfnRun = sendRun;
    EXPECT_EQ(g_statusText, "メール送信中・・・");
    EXPECT_TRUE(g_hasStatusIcon);
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // the run's end closed the window
}

// The real run against a server on 127.0.0.1:25 (the test runs in a network namespace of its
// own) that greets only after a while: meanwhile the window shows its text and icon, read without
// a message, since the window's thread is busy with the run.
TEST(StatusWindowTest, ShowsItsTextWhileASlowServerKeepsTheRunGoing) {
    TempDir dir(true);
    WriteFile("job.ini", "[SMTP]\nServer=127.0.0.1\n[Address]\nFromName=a\nFromAddress=a\nTo=b\n");
    AfxGetApp()->m_strIniFile = "job.ini";
    WSADATA winsock;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(25), {}, {}};
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    listen(listener, 1);
    std::thread server([listener] {
        SOCKET client = accept(listener, nullptr, nullptr);
        Sleep(1500);
        send(client, "421 busy\r\n", 10, 0);
        closesocket(client);
    });
    CFernpostDlg dialog;
    std::string text, icon;
    std::thread watcher([&] {
        Sleep(800);
        for (HWND child = GetWindow(dialog.m_hWnd, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            WCHAR wide[64] = {};
            char narrow[128] = {};
            InternalGetWindowText(child, wide, 64);
            WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                icon = "icon";
            else
                text = narrow;
        }
    });
    EXPECT_EQ(dialog.DoModal(), 0);
    watcher.join();
    server.join();
    closesocket(listener);
    EXPECT_EQ(text, "メール送信中・・・");
    EXPECT_EQ(icon, "icon");
    EXPECT_NE(ReadFile("log/Fernpost.err").find("Connect()"), std::string::npos);  // greeted 421
}

}  // namespace
