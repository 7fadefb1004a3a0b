// Test helpers for files, the clock and log stamps.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/Clock.h"

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) {
    std::random_device random;
    do {
        path_ =
            (fs::temp_directory_path() / ("fernpost-test-" + std::to_string(random()))).string();
    } while (!fs::create_directory(path_));
    if (enter) {
        previous_ = fs::current_path().string();
        fs::current_path(path_);
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempDir::Path(const std::string& name) const {
    return name.empty() ? path_ : path_ + "/" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string MaskStamps(std::string log) {
    // "[yy/mm/dd hh:mm:ss]": 19 characters, its separators in place
    for (std::size_t pos = 0; (pos = log.find('[', pos)) != std::string::npos; ++pos) {
        if (log.size() > pos + 18 && log.compare(pos + 3, 1, "/") == 0 &&
            log.compare(pos + 6, 1, "/") == 0 && log.compare(pos + 12, 1, ":") == 0 &&
            log.compare(pos + 18, 1, "]") == 0)
            log.replace(pos, 19, "[stamp]");
    }
    return log;
}

FixedClock::FixedClock() {
    SetLocalTimeSource([] {
        LocalTime t{};
        t.tm_year = 126, t.tm_mon = 0, t.tm_mday = 5, t.tm_wday = 1;
        t.tm_hour = 7, t.tm_min = 8, t.tm_sec = 9, t.utcOffsetSeconds = 9 * 3600;
        return t;
    });
}
FixedClock::~FixedClock() { SetLocalTimeSource(nullptr); }
