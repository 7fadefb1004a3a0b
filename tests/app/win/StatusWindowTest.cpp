// The status window and the About box as a person meets them, in-process with the send run
// replaced by the test's own function: the text and icons while the run goes, the system menu's
// About item, Enter and Escape swallowed, and every way the About box opens and closes.
#include <gtest/gtest.h>

#include <string>

#include "app/CFernpostDlg.h"
#include "res/resource.h"

namespace {

const char* const ABOUT_CAPTION = "Fernpostのﾊﾞｰｼﾞｮﾝ情報";

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND g_statusWindow = nullptr;

// The dialog box of this thread open now beside the status window (the About box), or null.
HWND OpenAboutBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (window != g_statusWindow && std::string(name) == "#32770" &&
                IsWindowVisible(window))
                *reinterpret_cast<HWND*>(result) = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// How the About box is closed while it is open, and what was seen of it.
enum class Closing { OkButton, Enter, Escape, CloseBox };
Closing g_closing;
std::string g_seen;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = OpenAboutBox();
    if (about == nullptr) return;  // not open yet
    KillTimer(nullptr, timer);
    HWND ok = GetDlgItem(about, IDOK);
    g_seen = TextOf(about) + "|" + TextOf(ok);
    switch (g_closing) {
        case Closing::OkButton:
            PostMessageA(ok, BM_CLICK, 0, 0);
            break;
        case Closing::Enter:
            PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 0);
            break;
        case Closing::Escape:
            PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Closing::CloseBox:
            PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
    }
}

// Sends system command `id` to the status window; what was seen of an About box it opened.
std::string SystemCommand(HWND window, WPARAM id, Closing closing) {
    g_seen.clear();
    g_closing = closing;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseAboutBox);
    SendMessageA(window, WM_SYSCOMMAND, id, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(OpenAboutBox(), nullptr);
    return g_seen;
}

std::string g_statusText;
bool g_hasStatusIcon = false;

// The test's send run: what the status window shows, and its system menu at work.
void LookAtTheWindow(CFernpostDlg& dialog) {
    HWND window = g_statusWindow = dialog.m_hWnd;
    ASSERT_NE(window, nullptr);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM) {
            if (SendMessageA(child, STM_GETICON, 0, 0) != 0) {
                g_hasStatusIcon = true;
            } else {
                g_statusText = TextOf(child);
            }
            return TRUE;
        },
        0);
    EXPECT_NE(dialog.m_hIcon, nullptr);
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), LRESULT(dialog.m_hIcon));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), LRESULT(dialog.m_hIcon));

    HMENU menu = GetSystemMenu(window, FALSE);
    const int last = GetMenuItemCount(menu) - 1;
    char item[128] = {};
    GetMenuStringA(menu, last, item, sizeof item, MF_BYPOSITION);
    EXPECT_EQ(std::string(item), "Fernpost のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(GetMenuItemID(menu, last), UINT(IDM_ABOUTBOX));
    EXPECT_TRUE(GetMenuState(menu, last - 1, MF_BYPOSITION) & MF_SEPARATOR);

    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM('A')}) {
        MSG message{window, WM_KEYDOWN, key, 0, 0, {}};
        EXPECT_EQ(dialog.PreTranslateMessage(&message), key != 'A') << key;
    }
    const std::string about = std::string(ABOUT_CAPTION) + "|OK";
    EXPECT_EQ(SystemCommand(window, IDM_ABOUTBOX, Closing::OkButton), about);
    EXPECT_EQ(SystemCommand(window, 0x0013, Closing::Enter), about);
    EXPECT_EQ(SystemCommand(window, 0x001F, Closing::Escape), about);
    EXPECT_EQ(SystemCommand(window, 0x0010, Closing::CloseBox), about);
    EXPECT_EQ(SystemCommand(window, 0x0020, Closing::OkButton), "");  // another command
    EXPECT_TRUE(IsWindow(window));
}

TEST(StatusWindowTest, ShowsItsTextAndIconAndOpensTheAboutBox) {
    CFernpostDlg::s_pfnRun = LookAtTheWindow;
    CFernpostDlg dialog;
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_EQ(g_statusText, "メール送信中・・・");
    EXPECT_TRUE(g_hasStatusIcon);
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // the run's end closed the window
}

}  // namespace
