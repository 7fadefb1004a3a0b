// Windows's INI reader, which takes the file in the system's code page: the model under 932, as
// scripts/test-windows runs the tests.
#include <windows.h>

#include "platform/SystemReader.h"

std::optional<std::string> SystemProfileText(const std::string& section, const std::string& key,
                                             const std::string& path) {
    char full[MAX_PATH] = {}, value[512] = {};  // its one buffer: the program's reader's limit
    if (GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr) >= MAX_PATH) return std::nullopt;
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, full);
    return value;
}
