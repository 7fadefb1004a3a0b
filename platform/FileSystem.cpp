// Reading a whole regular file, the same on every platform: the opening is each platform's own.
#include "platform/FileSystem.h"

#include <cerrno>
#include <unistd.h>

namespace {
// The piece read at a time.
constexpr std::size_t READ_BUFFER_SIZE = 65536;
}  // namespace

bool ReadRegularFile(const std::string& path, std::string& contents) {
    std::uint64_t size = 0;
    const int fd = OpenRegularFileForReading(path, size);
    if (fd < 0) return false;
    contents.clear();
    contents.reserve(static_cast<std::size_t>(size));
    char buffer[READ_BUFFER_SIZE];
    for (;;) {
        const auto got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            close(fd);
            return got == 0;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}
