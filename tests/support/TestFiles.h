// Test helpers: a temporary directory (optionally the current one while it lives), whole-file
// reads and writes of bytes, a fixed clock, and log text with its time stamps masked.
#pragma once

#include <string>

#include "platform/Clock.h"

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    explicit TempDir(bool enter = false);
    ~TempDir();
    // The directory, or `name` inside it.
    std::string Path(const std::string& name = "") const { return path_ + "/" + name; }

private:
    std::string path_, previous_;
};

// The whole file as bytes, empty when it cannot be read; `bytes` written as the whole file (and
// the directories above it), failing the test when it cannot be.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// A u8"" literal as bytes (every other literal of the tests is compiled to Shift-JIS).
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// The line end of a log entry's "\n": Windows writes its text-file logs with CR LF.
#ifdef _WIN32
inline constexpr const char* LOG_NEWLINE = "\r\n";
#else
inline constexpr const char* LOG_NEWLINE = "\n";
#endif

// `log` with every "[yy/mm/dd hh:mm:ss]" replaced by "[stamp]".
std::string MaskStamps(std::string log);

// Makes the local time 5 January 2026 (a Monday) 07:08:09, UTC+0900, while it lives.
struct FixedClock {
    FixedClock();
    ~FixedClock() { SetLocalTimeSource(nullptr); }
};
inline constexpr const char* FIXED_STAMP = "[26/01/05 07:08:09]";
inline constexpr const char* FIXED_DATE = "Mon, 05 Jan 2026 07:08:09 +0900";
