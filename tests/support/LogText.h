// Reading the program's log files in tests that cannot fix the clock (the program runs as a
// process): stamps recognised by their shape, error-log entries split apart.
#pragma once

#include <string>
#include <vector>

// True when "[dd/dd/dd dd:dd:dd]" stands at `pos` of `text`.
bool IsLogStampAt(const std::string& text, std::size_t pos);

// `log` with every stamp replaced by "[stamp]".
std::string MaskLogStamps(const std::string& log);

// The texts of the error log's entries, in order: each entry is a stamp, a blank, the text and
// a line feed (a text may itself hold line feeds). A malformed log gives a "<malformed ...>" entry.
std::vector<std::string> ErrorLogEntries(const std::string& log);
