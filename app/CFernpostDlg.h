// The send run. On Linux there is no status window: the run starts once at start-up (as the
// first timer message would start it) and the program ends when it returns.
#pragma once

#include <string>

#include "job/JobSettings.h"

// The id of the timer whose first message starts the send run.
inline constexpr unsigned int SEND_RUN_TIMER_ID = 1;
// The default job file, beside the executable.
inline constexpr const char* DEFAULT_JOB_FILE = "fernpost.ini";

class CFernpostDlg {
public:
    // Runs the send run once and returns 0.
    int DoModal();

    // The entry of the run: for timer 1, resolves the job-file path (m_strIniFile of the
    // application, else fernpost.ini beside the executable), starts the transcript when one was
    // asked for, loads the job and on success sends the mail. Nothing is reported to the caller:
    // failures are in the logs.
    void OnTimer(unsigned int timerId);

    // Loads the job at `path` into m_settings. On failure writes the run-log line (two stamps,
    // then the loader's message) and returns false.
    bool LoadJob(const std::string& path);

    // Builds the mail request from m_settings, its body file and attachment list, and sends it.
    void SendJob();

    // The job-file path the run uses.
    static std::string ResolveJobPath();

    JobFields m_settings{};
};
