// Reading log files in tests: for the program run as a process, which cannot fix the clock,
// stamps recognised by their shape and error-log entries split apart; for code run in the test,
// a fixture with a fixed clock and a fresh current directory whose error log is compared whole.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/FixedClock.h"
#include "support/TempDir.h"

// True when "[dd/dd/dd dd:dd:dd]" stands at `pos` of `text`.
bool IsLogStampAt(const std::string& text, std::size_t pos);

// `log` with every stamp replaced by "[stamp]".
std::string MaskLogStamps(const std::string& log);

// The texts of the error log's entries, in order: each entry is a stamp, a blank, the text and
// a line feed (a text may itself hold line feeds). A malformed log gives a "<malformed ...>" entry.
std::vector<std::string> ErrorLogEntries(const std::string& log);

// A test run in a fresh current directory under the fixed clock.
class FixedClockLogTest : public ::testing::Test {
protected:
    // The error log written so far below the current directory ("" when nothing was written).
    static std::string ErrorLog();
    // The error log holding `entries`, each with the fixed clock's stamp and a line feed.
    static std::string ExpectedLog(std::initializer_list<std::string> entries);

    ScopedFixedClock clock_;
    ScopedTempDir dir_{true};
};
