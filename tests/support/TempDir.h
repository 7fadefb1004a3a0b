// Test helpers for files: a temporary directory removed at the end of a test (optionally made
// the current directory for its lifetime), and whole-file reads and writes of bytes.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/LastError.h"

class ScopedTempDir {
public:
    // Creates a fresh directory under the system's temporary directory; with `enter`, it is the
    // current directory until the object is destroyed.
    explicit ScopedTempDir(bool enter = false);
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::string& Path() const { return path_; }
    // `Path()` + "/" + `name`.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previousDirectory_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Writes `bytes` as the whole content of a file; fails the test when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);
