// The program's entry point on Windows: the process's command line as the system holds it.
#include "app/CFernpostApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RunApplication(GetCommandLineA());
    return 0;
}
