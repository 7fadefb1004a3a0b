// Test helpers for temporary directories and files.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

ScopedTempDir::ScopedTempDir(bool enter) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "fernpost-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary directory";
        return;
    }
    path_ = pattern;
    if (enter) {
        previousDirectory_ = std::filesystem::current_path().string();
        std::filesystem::current_path(path_);
    }
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ignored;
    if (!previousDirectory_.empty()) std::filesystem::current_path(previousDirectory_, ignored);
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}
