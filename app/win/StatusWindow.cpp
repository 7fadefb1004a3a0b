// The status window on Windows: a modeless dialog from template 102 with a modal loop of its
// own, so that every message passes PreTranslateMessage before the dialog's keyboard handling.
// Timer 1 starts the send run once, 100 ms after the window is shown; the run's end ends the
// loop and with it the program.
#include "app/CFernpostDlg.h"

#include "app/ResourceText.h"
#include "app/win/CAboutDlg.h"
#include "platform/win/WideText.h"

namespace {

// The first timer message comes this long after the window is shown.
constexpr UINT SEND_RUN_DELAY_MS = 100;
// The system keeps the low four bits of a system command's id for itself.
constexpr WPARAM SYSTEM_COMMAND_MASK = 0xFFF0;

void RunTheJob(CFernpostDlg& dialog) { dialog.OnTimer(SEND_RUN_TIMER_ID); }

}  // namespace

CFernpostDlg::RunFunction CFernpostDlg::s_pfnRun = RunTheJob;

CFernpostDlg::CFernpostDlg()
    : m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

int CFernpostDlg::DoModal() {
    m_hWnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FERNPOST_DIALOG),
                                nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (m_hWnd == nullptr) {
        // No window to be had (no desktop for this process): the mail still goes.
        s_pfnRun(*this);
        return -1;
    }
    MSG message;
    while (!m_bEnded && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(&message)) continue;
        if (IsDialogMessageA(m_hWnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return m_nResult;
}

void CFernpostDlg::EndDialog(int result) {
    m_nResult = result;
    m_bEnded = true;
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CFernpostDlg::OnInitDialog() {
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    const std::string about = LoadResourceText(IDS_ABOUTBOX);
    if (systemMenu != nullptr && !about.empty()) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, WideFromCodePage932(about).c_str());
    }
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetTimer(m_hWnd, SEND_RUN_TIMER_ID, SEND_RUN_DELAY_MS, nullptr);
    return TRUE;
}

BOOL CFernpostDlg::PreTranslateMessage(MSG* message) {
    return message->message == WM_KEYDOWN &&
           (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE);
}

BOOL CFernpostDlg::OnSysCommand(UINT id) {
    if ((id & SYSTEM_COMMAND_MASK) != IDM_ABOUTBOX) return FALSE;
    CAboutDlg about;
    about.DoModal(m_hWnd);
    return TRUE;
}

BOOL CFernpostDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) return FALSE;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return TRUE;
}

INT_PTR CFernpostDlg::HandleMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_SYSCOMMAND:
            return OnSysCommand(static_cast<UINT>(wParam));
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_TIMER:
            if (wParam != SEND_RUN_TIMER_ID) return FALSE;
            KillTimer(m_hWnd, SEND_RUN_TIMER_ID);
            s_pfnRun(*this);
            EndDialog(0);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK CFernpostDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
    auto* dialog = reinterpret_cast<CFernpostDlg*>(GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    dialog->m_hWnd = window;
    return dialog->HandleMessage(message, wParam);
}
