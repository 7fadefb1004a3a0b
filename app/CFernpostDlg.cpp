// The send run, started by the status window's first timer message.
#include "app/CFernpostDlg.h"

#include <memory>

#include "app/CFernpostApp.h"
#include "app/ResourceText.h"
#include "app/RunLog.h"
#include "job/SendJob.h"
#include "logging/Transcript.h"
#include "platform/FileSystem.h"

void CFernpostDlg::OnTimer(unsigned int timerId) {
    if (timerId != SEND_RUN_TIMER_ID) return;
    const std::string jobPath = ResolveJobPath();
    StartTranscript(AfxGetApp()->m_strTraceFile, jobPath);
    if (LoadJob(jobPath)) SendJob();
}

std::string CFernpostDlg::ResolveJobPath() {
    const std::string& option = AfxGetApp()->m_strIniFile;
    if (!option.empty()) return option;
    return GetModuleDirectory() + PATH_SEPARATOR + DEFAULT_JOB_FILE;
}

bool CFernpostDlg::LoadJob(const std::string& path) {
    auto settings = std::make_unique<JobSettings>();
    int result = settings->Load(path);
    if (result != JOB_FILE_LOADED) {
        WriteLog("%s", LoadResourceText(static_cast<unsigned int>(result)).c_str());
        if (settings->szMessage[0] != '\0') WriteLog("%s", settings->szMessage);
        return false;
    }
    settings->CopyTo(m_settings);
    return true;
}

void CFernpostDlg::SendJob() { ::SendJob(m_settings); }
