// The job file's INI reader on Windows: the system's own GetPrivateProfileStringA.
#include "platform/PrivateProfile.h"

#include "platform/Types.h"

namespace {
// The reader's buffer: the longest value and its terminator.
constexpr DWORD PROFILE_BUFFER_SIZE = PROFILE_VALUE_MAX + 1;
}  // namespace

bool CProfileFile::Open(const std::string& path) {
    // The system looks for a file named without a folder in the Windows folder, not in the
    // current one where the job file was found: the path is made full first.
    char fullPath[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, fullPath, nullptr);
    m_strSource.assign(fullPath, length < MAX_PATH ? length : 0);
    return !m_strSource.empty();
}

std::string CProfileFile::GetText(const std::string& section, const std::string& key) const {
    if (m_strSource.empty()) return {};
    char value[PROFILE_BUFFER_SIZE] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, PROFILE_BUFFER_SIZE,
                             m_strSource.c_str());
    return value;
}
