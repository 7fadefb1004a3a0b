// File-system facilities the program relies on: existence tests, sizes, moves, directories.
// Failures are reported by results; the reason is left in errno (on Windows the last error).
// Paths are code page 932 text of any length, relative ones taken from the current directory.
// On Windows they are converted from code page 932 whatever the system's code page and handed
// to the W functions, and a path that names a device (COM1, NUL, "C:\jobs\nul.txt") is known
// from its text alone: it is never opened, nor asked for its attributes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// The separator of the folders of a path.
#ifdef _WIN32
inline constexpr char PATH_SEPARATOR = '\\';
#else
inline constexpr char PATH_SEPARATOR = '/';
#endif

// True when anything (file, directory, FIFO...) exists at `path` (stat succeeds); on Windows
// also for a device name, which is not asked. The existence test of the job file and of
// attachment-list lines.
bool PathExists(const std::string& path);

// The size in bytes of what is at `path`, or nothing when its status cannot be had.
std::optional<std::uint64_t> FileSizeOf(const std::string& path);

// Moves `from` to `to`, replacing a file that exists at `to`. True on success.
bool MoveFileReplacing(const std::string& from, const std::string& to);

// Creates one directory level at `path`. False when it cannot be created, also when it exists.
bool CreateOneDirectory(const std::string& path);

// Opens the regular file at `path` for appending, creating it when missing; null when it cannot
// be opened or is not a regular file. The type is checked by path before the open and on the open
// file after it (opened with O_NONBLOCK and O_NOCTTY): a FIFO, device or directory is never
// opened for writing, so an entry can never block the run or set off a device.
std::FILE* OpenForAppending(const std::string& path);

// Opens the regular file at `path` for reading and stores its size (from the open file itself);
// the descriptor, or -1 when it cannot be opened or is not a regular file. The type is checked by
// path before the open (a device named in a job is never opened) and again on the open file.
int OpenRegularFileForReading(const std::string& path, std::uint64_t& size);

// Reads up to `size` bytes of the open file `fd` into `buffer`, stopping early only where the file
// ends (a read interrupted by a signal goes on): the number of bytes read, or -1 after a read
// error (errno tells why).
long ReadUpTo(int fd, void* buffer, std::size_t size);

// Reads the whole regular file at `path` into `contents`; false when it cannot be opened, is not
// a regular file, or a read fails.
bool ReadRegularFile(const std::string& path, std::string& contents);

// The full path of the running executable, or empty when it cannot be had. On Linux from
// /proc/self/exe, else from the program's argv[0] kept by RememberProgramName (when it holds a
// '/'), symbolic links resolved; on Windows from GetModuleFileNameW, however long.
std::string ExecutablePath();

// Keeps `argv0`, the name the program was started by, made full against the current directory,
// for ExecutablePath when /proc is not mounted. Linux only; call it first thing in main.
void RememberProgramName(const char* argv0);
