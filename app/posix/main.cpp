// The program's entry point on Linux: the arguments joined into one command line, as Windows
// hands it to a program. The exit status is 0 in every case and nothing is written to standard
// output or standard error.
#include "app/CCommandLineOptions.h"
#include "app/CFernpostApp.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
    RememberProgramName(argc > 0 ? argv[0] : nullptr);
    RunApplication(JoinCommandLine(argc, argv).c_str());
    return 0;
}
