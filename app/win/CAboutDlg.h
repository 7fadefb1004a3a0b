// The About box (dialog template 100): the program's name and version; OK, Enter, Escape or the
// close box close it.
#pragma once

#include "platform/Types.h"

class CAboutDlg {
public:
    // Shows the box modally, owned by `parent`, until it is closed. Its result (IDOK or
    // IDCANCEL) is not used by the program.
    INT_PTR DoModal(HWND parent = nullptr);
};
