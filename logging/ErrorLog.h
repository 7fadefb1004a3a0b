// The error log: every failure of the send is appended to "log/<file name>" below the current
// directory (every caller passes "Fernpost.err"). An entry is the stamp, a blank, the text and
// one line feed; the bytes of the text are written as they are (a "\n\r" pair stays LF CR), but on
// Windows, where the log is a text file, each "\n" is written as CR LF.
#pragma once

#include "platform/TextFormat.h"

// The one error-log file name.
inline constexpr const char* ERROR_LOG_FILE = "Fernpost.err";

// The directory of the error log, relative to the current directory.
inline constexpr const char* ERROR_LOG_DIRECTORY = "log";

// Appends one entry to the error log `fileName`. `format` is one of the program's fixed texts;
// data goes in the arguments only. When the file cannot be opened, the directory "log" is
// created (one level) and the open tried once more; an entry that still cannot be written is
// lost silently. Never reports a failure and leaves the last-error value as it was.
void WriteErrorLog(const char* fileName, const char* format, ...) PRINTF_FORMAT(2, 3);
