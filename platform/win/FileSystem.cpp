// File-system facilities on Windows, whatever the system's code page: every path is taken as
// code page 932, made full and handed to the W functions with the "\\?\" prefix (so its length
// is not limited to MAX_PATH). A path that Windows takes for a device (COM1, NUL, "nul.txt" in any
// folder, "\\.\pipe\x") is typed from its text alone and never opened, nor asked for its
// attributes (which opens it too).
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <io.h>

#include "platform/Types.h"
#include "platform/win/WideText.h"

namespace {

// The longest path the W functions take, in UTF-16 units, with its terminator.
constexpr DWORD LONGEST_PATH = 32768;
// The first buffer for a path: most fit.
constexpr DWORD FIRST_PATH_BUFFER = MAX_PATH;
constexpr std::wstring_view VERBATIM_PREFIX = L"\\\\?\\";
constexpr std::wstring_view VERBATIM_UNC_PREFIX = L"\\\\?\\UNC\\";
constexpr std::wstring_view DEVICE_PREFIX = L"\\\\.\\";
constexpr std::wstring_view UNC_PREFIX = L"\\\\";

// A path as the W functions take it; `device` when it names a device instead of a file.
struct NativePath {
    std::wstring path;
    bool device = false;
};

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A drive path "X:\..." (after the verbatim prefix, if any).
bool IsDrivePath(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

// The full form of `wide`: GetFullPathNameW, which also turns a device name into "\\.\NAME";
// empty when it fails.
std::wstring FullPathOf(const std::wstring& wide) {
    std::wstring full(FIRST_PATH_BUFFER, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // the size asked for, terminator included
    }
}

NativePath ToNative(const std::string& path) {
    NativePath native;
    const std::wstring wide = WideFromCodePage932(path);
    if (wide.empty()) return native;
    // A verbatim path is taken as written: only a drive or UNC path names a file.
    if (StartsWith(wide, VERBATIM_PREFIX)) {
        const std::wstring_view rest = std::wstring_view(wide).substr(VERBATIM_PREFIX.size());
        native.path = wide;
        native.device = !IsDrivePath(rest) && !StartsWith(wide, VERBATIM_UNC_PREFIX);
        return native;
    }
    const std::wstring full = FullPathOf(wide);
    if (StartsWith(full, DEVICE_PREFIX)) {
        native.device = true;
    } else if (IsDrivePath(full)) {
        native.path = std::wstring(VERBATIM_PREFIX) + full;
    } else if (StartsWith(full, UNC_PREFIX)) {
        native.path = std::wstring(VERBATIM_UNC_PREFIX) + full.substr(UNC_PREFIX.size());
    } else {
        native.path = full;  // empty when it could not be made full: every call then fails
    }
    return native;
}

// The attributes of the file or directory at `native`; false for a device, which is not asked.
bool AttributesOf(const NativePath& native, WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (native.device) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return GetFileAttributesExW(native.path.c_str(), GetFileExInfoStandard, &data) != 0;
}

// True when the open handle is a file on a disk (not a console, pipe or other device).
bool IsDiskFile(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

}  // namespace

bool PathExists(const std::string& path) {
    const NativePath native = ToNative(path);
    if (native.device) return true;  // a device name always names something, as /dev/zero does
    WIN32_FILE_ATTRIBUTE_DATA data;
    return AttributesOf(native, data);
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!AttributesOf(ToNative(path), data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
    const NativePath source = ToNative(from), target = ToNative(to);
    if (source.device || target.device) return false;
    return MoveFileExW(source.path.c_str(), target.path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool CreateOneDirectory(const std::string& path) {
    const NativePath native = ToNative(path);
    return !native.device && CreateDirectoryW(native.path.c_str(), nullptr) != 0;
}

std::FILE* OpenForAppending(const std::string& path) {
    const NativePath native = ToNative(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (native.device ||
        (AttributesOf(native, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        return nullptr;
    }
    // Shared as the runtime's fopen shares a file, so two runs may append at once.
    HANDLE file =
        CreateFileW(native.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (!IsDiskFile(file)) {
        CloseHandle(file);
        return nullptr;
    }
    // Text mode: each "\n" of an entry is written as CR LF; every write goes to the end.
    const int fd =
        _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_APPEND | _O_TEXT);
    if (fd < 0) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "a");
    if (stream == nullptr) _close(fd);
    return stream;
}

int OpenRegularFileForReading(const std::string& path, std::uint64_t& size) {
    const NativePath native = ToNative(path);
    if (native.device) return -1;
    // Others may read the file meanwhile but not write it: a file that another program holds
    // open for writing cannot be opened.
    HANDLE file = CreateFileW(native.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    // The buffer grows until the path fits: a folder may be deeper than MAX_PATH.
    std::wstring path(FIRST_PATH_BUFFER, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return CodePage932FromWide(path);
        }
        if (path.size() >= LONGEST_PATH) return {};
        path.resize(path.size() * 2);
    }
}
