// Test helpers for files, the clock and log stamps.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <cctype>

#include "platform/Clock.h"

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) {
    std::random_device random;
    do {
        path_ = (fs::temp_directory_path() / ("fernpost-test-" + std::to_string(random()))).string();
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
    const std::string shape = "[00/00/00 00:00:00]";  // 0: any digit (std::regex warns under ASan)
    for (std::size_t pos = log.find('['); pos != std::string::npos; pos = log.find('[', pos + 1)) {
        bool stamp = log.size() - pos >= shape.size();
        for (std::size_t i = 0; stamp && i < shape.size(); ++i)
            stamp = shape[i] == '0' ? std::isdigit(static_cast<unsigned char>(log[pos + i])) != 0
                                    : log[pos + i] == shape[i];
        if (stamp) log.replace(pos, shape.size(), "[stamp]");
    }
    return log;
}

namespace {
LocalTime FixedMoment() {
    LocalTime t{};
    t.tm_year = 126, t.tm_mon = 0, t.tm_mday = 5, t.tm_wday = 1;
    t.tm_hour = 7, t.tm_min = 8, t.tm_sec = 9, t.utcOffsetSeconds = 9 * 3600;
    return t;
}
}  // namespace

FixedClock::FixedClock() { SetLocalTimeSource(&FixedMoment); }
FixedClock::~FixedClock() { SetLocalTimeSource(nullptr); }
