// The system's own INI reader, the model of the program's: Windows's GetPrivateProfileStringA
// (under code page 932); Linux has none.
#pragma once

#include <optional>
#include <string>

std::optional<std::string> SystemProfileText(const std::string& section, const std::string& key,
                                             const std::string& path);
