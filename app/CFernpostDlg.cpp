// The send run, started by the status window's first timer message.
#include "app/CFernpostDlg.h"

#include <memory>

#include "app/CFernpostApp.h"
#include "app/ResourceText.h"
#include "app/RunLog.h"
#include "job/SendJob.h"
#include "logging/ErrorLog.h"
#include "logging/Transcript.h"
#include "platform/FileSystem.h"

namespace {
constexpr const char* NO_PROGRAM_FOLDER_TEXT =
    "Failed to find the program's folder: no run log, and no default job file";
}  // namespace

void CFernpostDlg::OnTimer(unsigned int timerId) {
    if (timerId != SEND_RUN_TIMER_ID) return;
    // Without its folder the program has no run log and no default job: nothing is read from or
    // written to another place instead. An explicit job file is still run.
    if (GetModuleDirectory().empty()) WriteErrorLog(ERROR_LOG_FILE, NO_PROGRAM_FOLDER_TEXT);
    const std::string jobPath = ResolveJobPath();
    StartTranscript(AfxGetApp()->m_strTraceFile, jobPath);
    if (!jobPath.empty() && LoadJob(jobPath)) SendJob();
}

std::string CFernpostDlg::ResolveJobPath() {
    const std::string& option = AfxGetApp()->m_strIniFile;
    if (!option.empty()) return option;
    const std::string folder = GetModuleDirectory();
    if (folder.empty()) return {};
    return folder + PATH_SEPARATOR + DEFAULT_JOB_FILE;
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
