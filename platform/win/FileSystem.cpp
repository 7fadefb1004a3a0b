// File-system facilities on Windows.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <io.h>

#include "platform/Types.h"

namespace {

bool AttributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != 0;
}

// True when the open handle is a file on a disk (not a console, pipe or other device).
bool IsDiskFile(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

}  // namespace

bool PathExists(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return AttributesOf(path, data);
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!AttributesOf(path, data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool CreateOneDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::FILE* OpenForAppending(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (AttributesOf(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return nullptr;
    }
    // Text mode: each "\n" of an entry is written as CR LF.
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) return nullptr;
    if (!IsDiskFile(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

int OpenRegularFileForReading(const std::string& path, std::uint64_t& size) {
    // Others may read the file meanwhile but not write it: a file that another program holds
    // open for writing cannot be opened.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER length{};
    if (!IsDiskFile(file) || !GetFileSizeEx(file, &length)) {
        CloseHandle(file);
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return -1;
    }
    size = static_cast<std::uint64_t>(length.QuadPart);
    return fd;
}

std::string ExecutablePath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length < MAX_PATH ? std::string(path, length) : std::string();
}
