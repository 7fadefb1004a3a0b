// The application: start-up scans the command line, keeps the job-file option and runs the
// send run once; the program then ends.
#pragma once

#include <string>

#include "platform/Types.h"

class CFernpostApp {
public:
    // Scans the command line (on Linux the argument vector joined into one string, on Windows
    // GetCommandLineW in code page 932), keeps the value of option "inifile" in m_strIniFile (empty
    // when absent or empty), that of option "trace" in m_strTraceFile, and runs the status window
    // and with it the send run. Always returns FALSE: the program ends when it returns.
    BOOL InitInstance(const char* commandLine);

    std::string m_strIniFile;
    // The value of option "trace": the file the run's transcript is appended to (empty: none).
    std::string m_strTraceFile;
};

// The one application object.
CFernpostApp* AfxGetApp();

// The whole program: InitInstance on `commandLine`. Nothing is reported to the caller: the log
// files are the program's only report. Running out of memory (a body file larger than memory,
// say) ends the run with an error-log entry instead of an abort.
void RunApplication(const char* commandLine);
