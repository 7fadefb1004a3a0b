// The status window on Linux, which has none: the send run starts once at start-up, as the first
// timer message would start it, and the program ends when it returns.
#include "app/CFernpostDlg.h"

CFernpostDlg::CFernpostDlg() = default;

int CFernpostDlg::DoModal() {
    OnTimer(SEND_RUN_TIMER_ID);
    return 0;
}
