// The application: start-up scans the command line, keeps the job-file option and runs the
// send run once; the program then ends.
#pragma once

#include <string>

#include "platform/Types.h"

class CFernpostApp {
public:
    // Scans the command line (the argument vector joined into one string), keeps the value of
    // option "inifile" in m_strIniFile (empty when absent or empty), that of option "trace" in
    // m_strTraceFile, and runs the send run.
    // Always returns FALSE: the program ends when it returns.
    BOOL InitInstance(int argc, const char* const* argv);

    std::string m_strIniFile;
    // The value of option "trace": the file the run's transcript is appended to (empty: none).
    std::string m_strTraceFile;
};

// The one application object.
CFernpostApp* AfxGetApp();
