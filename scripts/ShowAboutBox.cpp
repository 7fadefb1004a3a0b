// Shows the program's About box until it is closed, for the README's screenshot
// (scripts/screenshots): the box opens from the status window only in its first 100 ms.
#include "app/win/CAboutDlg.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CAboutDlg().DoModal();
    return 0;
}
