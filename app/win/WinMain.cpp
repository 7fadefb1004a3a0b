// The program's entry point on Windows: the process's command line as the system holds it, in
// code page 932 whatever the system's code page.
#include "app/CFernpostApp.h"
#include "platform/win/WideText.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RunApplication(CodePage932FromWide(GetCommandLineW()).c_str());
    return 0;
}
