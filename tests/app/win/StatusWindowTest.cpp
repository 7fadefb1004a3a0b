// The status window and the About box as a person meets them, with the send run replaced: text and
// icon, Enter and Escape swallowed, the About item (any command equal to it, low 4 bits cleared).
#include <gtest/gtest.h>

#include "app/CFernpostDlg.h"
#include "res/resource.h"
#include <winver.h>  // after windows.h

static HWND g_status = nullptr;
static int g_ticks = 0, g_clicks = 0;  // Watch's ticks; its OK clicks since the last look

// Every 20 ms while the window is up: clicks OK in the box the status window has open (the 20th
// click closes it itself), and after 30 s ends the window's loop, so that nothing can hang.
static void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_ticks == 1500) PostQuitMessage(1);
    HWND about = GetLastActivePopup(g_status);                 // the status window itself when none
    if (about == g_status || !IsWindowVisible(about)) return;  // not open (yet)
    EXPECT_EQ(about, FindWindowA("#32770", "Fernpostのﾊﾞｰｼﾞｮﾝ情報"));  // the About box
    EXPECT_NE(FindWindowExA(about, nullptr, "Static", "Fernpost Version 1.1.0"), nullptr);
    if (++g_clicks == 20) EndDialog(about, IDCANCEL);
    PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
}

TEST(StatusWindowTest, ShowsItsTextAndIconAndOpensTheAboutBox) {
    // The test's send run: what the status window shows, and its system menu at work.
    const auto sendRun = std::exchange(CFernpostDlg::s_pfnRun, [](CFernpostDlg& dialog) {
        ASSERT_NE(g_status = dialog.m_hWnd, nullptr);
        HWND text = FindWindowExA(g_status, nullptr, "Static", "メール送信中・・・");
        EXPECT_NE(text, nullptr);
        EXPECT_NE(SendMessageA(GetWindow(text, GW_HWNDNEXT), STM_GETICON, 0, 0), 0);  // beside it
        for (WPARAM size : {ICON_BIG, ICON_SMALL})  // the title bar's and the task bar's
            EXPECT_NE(SendMessageA(g_status, WM_GETICON, size, 0), 0) << size;
        for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM('A')}) {
            MSG message{g_status, WM_KEYDOWN, key, 0, 0, {}};
            EXPECT_EQ(dialog.PreTranslateMessage(&message), key != 'A') << key;
        }
        HMENU menu = GetSystemMenu(g_status, FALSE);
        const int last = GetMenuItemCount(menu) - 1;
        char item[128] = {};
        GetMenuStringA(menu, last, item, sizeof item, MF_BYPOSITION);
        EXPECT_EQ(std::string(item), "Fernpost のﾊﾞｰｼﾞｮﾝ情報(&A)...");
        EXPECT_EQ(GetMenuItemID(menu, last), UINT(IDM_ABOUTBOX));
        EXPECT_TRUE(GetMenuState(menu, last - 1, MF_BYPOSITION) & MF_SEPARATOR);
        for (WPARAM command : {IDM_ABOUTBOX, 0x0013, 0x001F, 0x0020}) {
            SendMessageA(g_status, WM_SYSCOMMAND, command, 0);  // returns once the box has closed
            EXPECT_EQ(std::exchange(g_clicks, 0), command < 0x0020 ? 1 : 0) << command;
        }
        EXPECT_TRUE(IsWindow(g_status));
    });
    const UINT_PTR watch = SetTimer(nullptr, 0, 20, Watch);
    CFernpostDlg dialog;
    EXPECT_EQ(dialog.DoModal(), 0);
    KillTimer(nullptr, watch);
    CFernpostDlg::s_pfnRun = sendRun;
    EXPECT_FALSE(IsWindow(g_status));  // the run's end closed the window
}

TEST(StatusWindowTest, TheProgramsVersionResource) {  // fernpost.exe's, above the test's folder
    wchar_t path[MAX_PATH], *text = nullptr;
    std::wstring exe(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    exe = exe.substr(0, exe.rfind(L'\\', exe.rfind(L'\\') - 1)) + L"\\fernpost.exe";
    std::vector<char> data(GetFileVersionInfoSizeW(exe.c_str(), nullptr) + 1);
    UINT size = 0, *fixed = nullptr;  // VS_FIXEDFILEINFO: the file's and product's version at 2-5
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, DWORD(data.size()), data.data()) &&
                VerQueryValueW(data.data(), L"\\", (void**)&fixed, &size));
    EXPECT_EQ(std::vector<UINT>(fixed + 2, fixed + 6), std::vector<UINT>({0x10001, 0, 0x10001, 0}));
    for (std::wstring entry :
         {L"FileVersion=1.1.0", L"ProductVersion=1.1.0", L"ProductName=Fernpost",
          L"FileDescription=", L"LegalCopyright="}) {  // "=": any text
        const std::wstring name = entry.substr(0, entry.find(L'=')),
                           value = entry.substr(name.size());
        const std::wstring key = L"\\StringFileInfo\\041104B0\\" + name;  // Japanese, Unicode
        const bool has = VerQueryValueW(data.data(), key.c_str(), (void**)&text, &size) && *text;
        EXPECT_TRUE(has && (value == L"=" || L"=" + std::wstring(text) == value)) << name;
    }
}
