// File-system facilities on POSIX.
#include "platform/FileSystem.h"

#include <cstdio>
#include <cstring>
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

namespace {

// argv[0] made full at start-up, before the current directory could change; empty when unknown.
std::string g_programName;

// `path` with symbolic links resolved and made full, or empty when it names nothing.
std::string ResolvedPath(const char* path) {
    char* resolved = realpath(path, nullptr);
    if (resolved == nullptr) return {};
    std::string full(resolved);
    free(resolved);
    return full;
}

}  // namespace

void RememberProgramName(const char* argv0) {
    // A name without '/' was looked up in PATH by whoever started the program: it says nothing
    // about where the program is.
    if (argv0 != nullptr && std::strchr(argv0, '/') != nullptr) g_programName = ResolvedPath(argv0);
}

std::string ExecutablePath() {
    std::string path = ResolvedPath("/proc/self/exe");
    if (path.empty()) path = g_programName;
    return path;
}
