// Linux has no INI reader of its own to compare with.
#include "platform/SystemReader.h"

std::optional<std::string> SystemProfileText(const std::string&, const std::string&,
                                             const std::string&) {
    return std::nullopt;
}
