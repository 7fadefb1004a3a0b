// File-system facilities on POSIX.
#include "platform/FileSystem.h"

#include <cstdio>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

bool PathExists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool CreateOneDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

std::string ExecutablePath() {
    char* resolved = realpath("/proc/self/exe", nullptr);
    if (resolved == nullptr) return {};
    std::string path(resolved);
    free(resolved);
    return path;
}
