// The program's entry point: hands the arguments to the application. The exit status is 0 in
// every case and nothing is written to standard output or standard error: the log files are the
// program's only report. Running out of memory (a body file larger than memory, say) ends the
// run with an error-log entry instead of an abort.
#include <exception>

#include "app/CFernpostApp.h"
#include "logging/ErrorLog.h"

int main(int argc, char** argv) {
    try {
        AfxGetApp()->InitInstance(argc, argv);
    } catch (const std::exception& failure) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:fernpost stopped: %s", failure.what());
    } catch (...) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:fernpost stopped");
    }
    return 0;
}
