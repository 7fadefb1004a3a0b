// Test helpers for files, the clock and log stamps.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <memory>
#include <regex>

#include "message/CSmtpAttachment.h"

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) : previous_(enter ? fs::current_path().string() : "") {
    std::random_device random;
    do path_ = (fs::temp_directory_path() / ("fernpost-test-" + std::to_string(random()))).string();
    while (!fs::create_directory(path_));
    if (enter) fs::current_path(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    ASSERT_TRUE(out.write(bytes.data(), std::streamsize(bytes.size()))) << "cannot write " << path;
}

std::string ReadBlocks(CSmtpAttachment& attachment) {
    // Exactly the sizes the product asks for, so a block written past its end is seen.
    auto input = std::make_unique<unsigned char[]>(ATTACHMENT_BLOCK_INPUT);
    auto text = std::make_unique<char[]>(ATTACHMENT_BLOCK_TEXT);
    std::string all;
    AttachmentRead read = ATTACHMENT_MORE;
    for (std::size_t length = 99; read == ATTACHMENT_MORE; all.append(text.get(), length))
        read = attachment.ReadBase64Block(input.get(), text.get(), length);
    EXPECT_FALSE(attachment.IsOpen());
    return all + (read == ATTACHMENT_LAST ? "|last" : "|failed");
}

std::string MaskStamps(std::string log) {
    static const std::regex stamp(R"(\[\d\d/\d\d/\d\d \d\d:\d\d:\d\d\])");
    return std::regex_replace(log, stamp, "[stamp]");
}

FixedClock::FixedClock() {
    SetLocalTimeSource([] {
        LocalTime t{};
        t.tm_year = 126, t.tm_mon = 0, t.tm_mday = 5, t.tm_wday = 1;
        t.tm_hour = 7, t.tm_min = 8, t.tm_sec = 9, t.utcOffsetSeconds = 9 * 3600;
        return t;
    });
}
