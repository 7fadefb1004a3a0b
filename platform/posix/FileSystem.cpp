// File-system facilities on POSIX.
#include "platform/FileSystem.h"

#include <cstdio>
#include <fcntl.h>
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

namespace {

// True when something that is not a regular file (a FIFO, a device, a directory) is at `path`:
// such a thing is never opened, since opening alone can act (a tape rewinds, a watchdog starts).
bool IsSomethingElse(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

}  // namespace

std::FILE* OpenForAppending(const std::string& path) {
    // Typed by path first; O_NONBLOCK then keeps a FIFO swapped in since from blocking the open,
    // and the open file is checked again below.
    if (IsSomethingElse(path)) return nullptr;
    int fd =
        open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "a");
    if (file == nullptr) close(fd);
    return file;
}

int OpenRegularFileForReading(const std::string& path, std::uint64_t& size) {
    // Typed by path first, then checked again on the open file, so no race can swap in a device.
    if (IsSomethingElse(path)) return -1;
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return -1;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    return fd;
}

std::string ExecutablePath() {
    char* resolved = realpath("/proc/self/exe", nullptr);
    if (resolved == nullptr) return {};
    std::string path(resolved);
    free(resolved);
    return path;
}
