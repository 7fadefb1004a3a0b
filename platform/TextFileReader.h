// Reading a text file line by line, as bytes: a line ends at LF, CR LF or a lone CR (the line
// end is removed), and a last line without a line end is still delivered.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Types.h"

// The line of `text` that starts at `pos`, without its line end (LF, CR LF or a lone CR);
// moves `pos` past the line end. `pos` must lie before the end of `text`.
std::string_view NextTextLine(std::string_view text, std::size_t& pos);

class CTextFileReader {
public:
    // Opens the file at `path` and reads it whole. Only a regular file is read: a directory,
    // FIFO, socket or device counts as a file that cannot be opened, so nothing ever blocks.
    // FALSE when it cannot be opened or read.
    BOOL Open(const std::string& path);

    // The next line into `line`, its line end removed (bytes kept as they are, NUL included).
    // FALSE at the end of the file.
    BOOL ReadString(std::string& line);

    void Close();

private:
    std::string m_strContents;
    std::size_t m_nPosition = 0;
};
