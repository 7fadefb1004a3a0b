// The ids of the program's resources (res/fernpost.rc), shared by the resource script and the
// program: the two dialog templates, the one string, the two icon groups, the About command.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_FERNPOST_DIALOG 102
#define IDR_MAINFRAME 128
#define IDI_MAIL 130

// The About item of the system menu. The low four bits of a system command belong to the
// system, so this id has them clear and is compared with them cleared.
#define IDM_ABOUTBOX 0x0010
