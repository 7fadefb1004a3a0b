// Test helpers: a temporary directory, whole files as bytes, an attachment's text read whole, a
// fixed clock, masked log stamps.
#pragma once

#include <string>
#include <vector>

#include "platform/Clock.h"

// A fresh temporary directory (the current one while it lives, if `enter`), removed whole.
class TempDir {
public:
    explicit TempDir(bool enter = false);
    ~TempDir();
    // The directory, or `name` inside it.
    std::string Path(const std::string& name = "") const { return path_ + "/" + name; }

private:
    std::string path_, previous_;
};

// A file's bytes (none if unreadable); `bytes` as a whole file, folders made (else a failure).
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

class CSmtpAttachment;
// The texts of every block of `attachment`'s open file joined, then "|last" when the last block
// came, or "|failed" when a read failed or the file ended early; the file is closed after either.
std::string ReadBlocks(CSmtpAttachment& attachment);

// A u8"" literal as bytes (every other literal of the tests is compiled to Shift-JIS).
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A log entry's "\n" as written: Windows's text-file logs have CR LF.
#ifdef _WIN32
inline constexpr const char* LOG_NEWLINE = "\r\n";
#else
inline constexpr const char* LOG_NEWLINE = "\n";
#endif

// The error log's text for `entries`, stamps masked, line ends as on Linux.
inline std::string Log(const std::vector<std::string>& entries) {
    std::string log;
    for (const std::string& entry : entries) log += "[stamp] " + entry + "\n";
    return log;
}

// `log` with every "[yy/mm/dd hh:mm:ss]" replaced by "[stamp]".
std::string MaskStamps(std::string log);

// Makes the local time 5 January 2026 (a Monday) 07:08:09, UTC+0900, while it lives.
struct FixedClock {
    FixedClock();
    ~FixedClock() { SetLocalTimeSource(nullptr); }
};
inline constexpr const char* FIXED_STAMP = "[26/01/05 07:08:09]";
