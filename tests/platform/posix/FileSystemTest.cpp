// Opening regular files only, on Linux: FIFOs, directories and devices are never opened.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "support/TestFiles.h"

namespace {

// A log is appended to only when it is a regular file: never a device, or a FIFO that has a reader.
TEST(FileSystemTest, OnlyRegularFilesAreOpened) {
    TempDir dir;
    mkfifo(dir.Path("fifo").c_str(), 0600);
    int reader = open(dir.Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    for (const std::string& path : {dir.Path("fifo"), dir.Path(), std::string("/dev/null")}) {
        EXPECT_EQ(OpenForAppending(path), nullptr) << path;
        std::uint64_t size = 0;
        EXPECT_EQ(OpenRegularFileForReading(path, size), -1) << path;
    }
    close(reader);
}

}  // namespace
