// Start-up of the program.
#include "app/CFernpostApp.h"

#include "app/CCommandLineOptions.h"
#include "app/CFernpostDlg.h"

namespace {
CFernpostApp theApp;
}

CFernpostApp* AfxGetApp() { return &theApp; }

BOOL CFernpostApp::InitInstance(int argc, const char* const* argv) {
    std::string commandLine = JoinCommandLine(argc, argv);
    CCommandLineOptions options(commandLine.c_str(), false);
    std::string value;
    if (options.GetOption("inifile", value) && !value.empty()) m_strIniFile = value;
    if (options.GetOption("trace", value)) m_strTraceFile = value;
    CFernpostDlg dialog;
    dialog.DoModal();
    return FALSE;
}
