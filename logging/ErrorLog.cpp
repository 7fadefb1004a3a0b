// The error log writer.
#include "logging/ErrorLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "logging/LogStamp.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/TextFormat.h"

namespace {

std::FILE* OpenErrorLog(const std::string& path) {
    std::FILE* file = OpenForAppending(path);
    if (file != nullptr) return file;
    if (!CreateOneDirectory(ERROR_LOG_DIRECTORY)) return nullptr;
    return OpenForAppending(path);
}

}  // namespace

void WriteErrorLog(const char* fileName, const char* format, ...) {
    const PreservedLastError reason;  // writing the entry must not change the reason it reports
    std::string path = std::string(ERROR_LOG_DIRECTORY) + PATH_SEPARATOR + fileName;
    std::FILE* file = OpenErrorLog(path);
    if (file != nullptr) {
        va_list args;
        va_start(args, format);
        std::string entry = FormatLogStamp(LocalTimeNow()) + " " + FormatTextV(format, args) + "\n";
        va_end(args);
        std::fwrite(entry.data(), 1, entry.size(), file);
        std::fclose(file);
    }
}
