// Reading log files in tests.
#include "support/LogText.h"

#include "logging/ErrorLog.h"

namespace {

constexpr const char* STAMP_SHAPE = "[99/99/99 99:99:99]";  // 9: a decimal digit
constexpr std::size_t STAMP_LENGTH = 19;

}  // namespace

bool IsLogStampAt(const std::string& text, std::size_t pos) {
    if (pos + STAMP_LENGTH > text.size()) return false;
    for (std::size_t i = 0; i < STAMP_LENGTH; ++i) {
        char c = text[pos + i];
        bool fits = STAMP_SHAPE[i] == '9' ? (c >= '0' && c <= '9') : c == STAMP_SHAPE[i];
        if (!fits) return false;
    }
    return true;
}

std::string MaskLogStamps(const std::string& log) {
    std::string masked;
    for (std::size_t pos = 0; pos < log.size();) {
        if (IsLogStampAt(log, pos)) {
            masked += "[stamp]";
            pos += STAMP_LENGTH;
        } else {
            masked += log[pos++];
        }
    }
    return masked;
}

std::vector<std::string> ErrorLogEntries(const std::string& log) {
    std::vector<std::string> entries;
    std::size_t pos = 0;
    while (pos < log.size()) {
        if (!IsLogStampAt(log, pos) || pos + STAMP_LENGTH >= log.size() ||
            log[pos + STAMP_LENGTH] != ' ') {
            entries.push_back("<malformed: " + log.substr(pos) + ">");
            break;
        }
        std::size_t textStart = pos + STAMP_LENGTH + 1;
        std::size_t end = log.find('\n', textStart);
        while (end != std::string::npos && end + 1 < log.size() && !IsLogStampAt(log, end + 1)) {
            end = log.find('\n', end + 1);
        }
        if (end == std::string::npos) {
            entries.push_back("<unterminated: " + log.substr(textStart) + ">");
            break;
        }
        entries.push_back(log.substr(textStart, end - textStart));
        pos = end + 1;
    }
    return entries;
}

std::string FixedClockLogTest::ErrorLog() {
    return ReadFile(std::string(ERROR_LOG_DIRECTORY) + "/" + ERROR_LOG_FILE);
}

std::string FixedClockLogTest::ExpectedLog(std::initializer_list<std::string> entries) {
    std::string log;
    for (const std::string& entry : entries) log += FIXED_STAMP + (" " + entry) + "\n";
    return log;
}
