// The time stamp that starts every log entry: "[yy/mm/dd hh:mm:ss]", year modulo 100, local time.
#pragma once

#include <ctime>
#include <string>

// The stamp for `local`, without a trailing blank: 5 January 2026 07:08:09 gives
// "[26/01/05 07:08:09]".
std::string FormatLogStamp(const std::tm& local);
