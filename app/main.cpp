// The program's entry point: hands the arguments to the application. The exit status is 0 in
// every case; the log files are the program's only report.
#include "app/CFernpostApp.h"

int main(int argc, char** argv) {
    AfxGetApp()->InitInstance(argc, argv);
    return 0;
}
