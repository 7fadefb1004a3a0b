// Reading one value of a job file.
#include "platform/PrivateProfile.h"

std::string GetPrivateProfileText(const std::string& section, const std::string& key,
                                  const std::string& path) {
    CProfileFile file;
    file.Open(path);
    return file.GetText(section, key);
}
