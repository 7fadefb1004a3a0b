// Log time stamps.
#include "logging/LogStamp.h"

#include "platform/TextFormat.h"

std::string FormatLogStamp(const std::tm& local) {
    return FormatText("[%02d/%02d/%02d %02d:%02d:%02d]", (local.tm_year + 1900) % 100,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}
