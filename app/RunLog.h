// The run log "Fernpost.log" beside the executable: job-file failures are written there. An
// entry is the stamp "[yy/mm/dd hh:mm:ss]" directly followed by the text; no line end is added.
// A log of LOG_ROTATE_SIZE bytes or more is moved to "Fernpost.log.back" (replacing an older one)
// before the next entry. Each entry opens, appends to and closes the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextFormat.h"

// The size at which the run log is rotated: 5 MiB.
inline constexpr std::uint64_t LOG_ROTATE_SIZE = 5242880;
inline constexpr const char* RUN_LOG_FILE = "Fernpost.log";
inline constexpr const char* RUN_LOG_BACKUP_SUFFIX = ".back";

// Appends one entry to the run log. `format` is a fixed text of the program. The writer never
// reports a failure: a log that cannot be opened loses the entry, a failed rotation leaves the
// entry appended to the large file (the next entry tries the move again). When the executable's
// folder cannot be found there is no run log and the entry is lost.
void WriteLog(const char* format, ...) PRINTF_FORMAT(1, 2);

// Appends the stamp and `text` to the run log at `logPath`, rotating it first when due.
void AppendRunLogEntry(const std::string& logPath, std::string_view text);

// The directory of the running executable, without a trailing separator (cached after the
// first success); empty when the executable's path cannot be had.
std::string GetModuleDirectory();

// The directory part of `path`: up to its last PATH_SEPARATOR, without it; the whole path when it
// has none.
std::string DirectoryOfPath(std::string_view path);
