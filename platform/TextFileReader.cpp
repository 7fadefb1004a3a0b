// Line-by-line reading of text files.
#include "platform/TextFileReader.h"

#include "platform/FileSystem.h"

std::string_view NextTextLine(std::string_view text, std::size_t& pos) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size()) {
        bool crLf = text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n';
        pos += crLf ? 2 : 1;
    }
    return line;
}

BOOL CTextFileReader::Open(const std::string& path) {
    Close();
    if (ReadRegularFile(path, m_strContents)) return TRUE;
    Close();
    return FALSE;
}

BOOL CTextFileReader::ReadString(std::string& line) {
    if (m_nPosition >= m_strContents.size()) return FALSE;
    line = NextTextLine(m_strContents, m_nPosition);
    return TRUE;
}

void CTextFileReader::Close() {
    m_strContents.clear();
    m_strContents.shrink_to_fit();
    m_nPosition = 0;
}
