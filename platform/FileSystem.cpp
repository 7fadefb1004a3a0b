// Reading regular files, the same on every platform: the opening is each platform's own.
#include "platform/FileSystem.h"

#include <cerrno>
#include <unistd.h>

namespace {
// The piece read at a time.
constexpr std::size_t READ_BUFFER_SIZE = 65536;
}  // namespace

long ReadUpTo(int fd, void* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const auto got = read(fd, static_cast<char*>(buffer) + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long>(done);
}

bool ReadRegularFile(const std::string& path, std::string& contents) {
    std::uint64_t size = 0;
    const int fd = OpenRegularFileForReading(path, size);
    if (fd < 0) return false;
    contents.clear();
    contents.reserve(static_cast<std::size_t>(size));
    char buffer[READ_BUFFER_SIZE];
    for (;;) {
        const long got = ReadUpTo(fd, buffer, sizeof buffer);
        if (got > 0) contents.append(buffer, static_cast<std::size_t>(got));
        if (got < static_cast<long>(sizeof buffer)) {  // the end, or a failed read
            close(fd);
            return got >= 0;
        }
    }
}
