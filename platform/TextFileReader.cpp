// Line-by-line reading of text files.
#include "platform/TextFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads the whole regular file behind `fd`; false on any failure.
bool ReadRegularFile(int fd, std::string& contents) {
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return false;
    contents.clear();
    contents.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) return false;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

BOOL CTextFileReader::Open(const std::string& path) {
    Close();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return FALSE;
    bool read = ReadRegularFile(fd, m_strContents);
    close(fd);
    if (!read) Close();
    return read ? TRUE : FALSE;
}

BOOL CTextFileReader::ReadString(std::string& line) {
    if (m_nPosition >= m_strContents.size()) return FALSE;
    std::size_t end = m_strContents.find_first_of("\r\n", m_nPosition);
    if (end == std::string::npos) end = m_strContents.size();
    line.assign(m_strContents, m_nPosition, end - m_nPosition);
    m_nPosition = end;
    if (m_nPosition < m_strContents.size()) {
        bool crLf = m_strContents[m_nPosition] == '\r' && m_nPosition + 1 < m_strContents.size() &&
                    m_strContents[m_nPosition + 1] == '\n';
        m_nPosition += crLf ? 2 : 1;
    }
    return TRUE;
}

void CTextFileReader::Close() {
    m_strContents.clear();
    m_strContents.shrink_to_fit();
    m_nPosition = 0;
}
