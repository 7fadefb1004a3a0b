// Start-up of the program.
#include "app/CFernpostApp.h"

#include <exception>

#include "app/CCommandLineOptions.h"
#include "app/CFernpostDlg.h"
#include "logging/ErrorLog.h"

namespace {
CFernpostApp theApp;
}

CFernpostApp* AfxGetApp() { return &theApp; }

BOOL CFernpostApp::InitInstance(const char* commandLine) {
    CCommandLineOptions options(commandLine, false);
    std::string value;
    if (options.GetOption("inifile", value) && !value.empty()) m_strIniFile = value;
    if (options.GetOption("trace", value)) m_strTraceFile = value;
    CFernpostDlg dialog;
    dialog.DoModal();
    return FALSE;
}

void RunApplication(const char* commandLine) {
    try {
        AfxGetApp()->InitInstance(commandLine);
    } catch (const std::exception& failure) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:fernpost stopped: %s", failure.what());
    } catch (...) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:fernpost stopped");
    }
}
