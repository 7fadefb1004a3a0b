// The model of the program's INI reader: Windows's GetPrivateProfileStringA, which takes the file
// in the system's code page (932 as scripts/test-windows runs the tests); Linux has none.
#pragma once

#include <optional>
#include <string>

#include "platform/Types.h"

inline std::optional<std::string> SystemProfileText([[maybe_unused]] const std::string& section,
                                                    [[maybe_unused]] const std::string& key,
                                                    [[maybe_unused]] const std::string& path) {
#ifdef _WIN32
    char full[MAX_PATH] = {}, value[512] = {};  // its one buffer: the program's reader's limit
    if (GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr) >= MAX_PATH) return std::nullopt;
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, full);
    return value;
#else
    return std::nullopt;
#endif
}
