// The status window and the send run it starts. On Windows the window is a dialog (template 102
// of the resources) showing "メール送信中・・・" and an icon; its first timer message starts the
// run and the run's end closes it. On Linux there is no window: the run starts once at start-up.
#pragma once

#include <string>

#include "job/JobSettings.h"
#include "platform/Types.h"

// The id of the timer whose first message starts the send run.
inline constexpr unsigned int SEND_RUN_TIMER_ID = 1;
// The default job file, beside the executable.
inline constexpr const char* DEFAULT_JOB_FILE = "fernpost.ini";

class CFernpostDlg {
public:
    // Loads the window icon (icon group 128) on Windows.
    CFernpostDlg();

    // Shows the window and runs its modal loop until the send run has ended it (on Linux, runs
    // the send run once). Returns 0; -1 when no window could be made, after the run all the same.
    int DoModal();

    // The entry of the run: for timer 1, resolves the job-file path (m_strIniFile of the
    // application, else fernpost.ini beside the executable), starts the transcript when one was
    // asked for, loads the job and on success sends the mail. Nothing is reported to the caller:
    // failures are in the logs. When the executable's folder cannot be found, the error log
    // says so, and only an explicit job file is run.
    void OnTimer(unsigned int timerId);

    // Loads the job at `path` into m_settings. On failure writes the run-log line (two stamps,
    // then the loader's message) and returns false.
    bool LoadJob(const std::string& path);

    // Builds the mail request from m_settings, its body file and attachment list, and sends it.
    void SendJob();

    // The job-file path the run uses; empty when none is given and the executable's folder
    // cannot be found.
    static std::string ResolveJobPath();

    JobFields m_settings{};

#ifdef _WIN32
    // Adds the About item to the system menu, sets the icons, starts timer 1. TRUE.
    BOOL OnInitDialog();
    // Consumes Enter and Escape (TRUE); other messages get the dialog's keyboard handling.
    BOOL PreTranslateMessage(MSG* message);
    // Opens the About box for IDM_ABOUTBOX (low four bits ignored); FALSE for the default.
    BOOL OnSysCommand(UINT id);
    // Paints the icon when minimised; FALSE for the default painting.
    BOOL OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }
    // Ends the modal loop with `result` and destroys the window.
    void EndDialog(int result);

    // The function the first timer message calls: the send run, or a test's stand-in.
    using RunFunction = void (*)(CFernpostDlg& dialog);
    static RunFunction s_pfnRun;

    HWND m_hWnd = nullptr;
    HICON m_hIcon = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam);
    bool m_bEnded = false;
    int m_nResult = 0;
#endif
};
