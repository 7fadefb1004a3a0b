// The run log writer.
#include "app/RunLog.h"

#include <cstdarg>
#include <cstdio>

#include "logging/LogStamp.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ShiftJis.h"
#include "platform/TextFormat.h"

namespace {

void RotateIfDue(const std::string& logPath) {
    std::optional<std::uint64_t> size = FileSizeOf(logPath);
    if (size && *size >= LOG_ROTATE_SIZE) {
        MoveFileReplacing(logPath,
                          logPath + RUN_LOG_BACKUP_SUFFIX);  // a failure is retried next time
    }
}

}  // namespace

void AppendRunLogEntry(const std::string& logPath, std::string_view text) {
    RotateIfDue(logPath);
    std::FILE* file = OpenForAppending(logPath);
    if (file == nullptr) return;
    std::string entry = FormatLogStamp(LocalTimeNow());
    entry.append(text);
    std::fwrite(entry.data(), 1, entry.size(), file);
    std::fclose(file);
}

void WriteLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    const std::string folder = GetModuleDirectory();
    if (folder.empty()) return;  // no run log: never one at the root of a drive
    AppendRunLogEntry(folder + PATH_SEPARATOR + RUN_LOG_FILE, text);
}

std::string DirectoryOfPath(std::string_view path) {
    std::size_t lastSeparator = std::string_view::npos;
    for (std::size_t pos = 0; pos < path.size(); pos = ShiftJisNext(path, pos)) {
        if (path[pos] == PATH_SEPARATOR) lastSeparator = pos;
    }
    return std::string(lastSeparator == std::string_view::npos ? path
                                                               : path.substr(0, lastSeparator));
}

std::string GetModuleDirectory() {
    static std::string cache;
    if (cache.empty()) cache = DirectoryOfPath(ExecutablePath());
    return cache;
}
