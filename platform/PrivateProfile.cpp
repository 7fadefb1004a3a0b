// The INI reader of the job file, the same on every platform.
#include "platform/PrivateProfile.h"

#include <string_view>

#include "platform/CodePage932.h"
#include "platform/FileSystem.h"
#include "platform/ShiftJis.h"
#include "platform/TextFileReader.h"
#include "platform/TextTrim.h"

namespace {

constexpr std::string_view BLANKS = " \t";

std::string_view Trim(std::string_view text) { return TrimCharacters(text, BLANKS); }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section name or key
    std::string_view value;  // key lines only
};

// The position of the last ']' of `text` from `pos` that starts a character (a ']' that is the
// trail byte of a two-byte character closes nothing); npos when there is none.
std::size_t FindSectionEnd(std::string_view text, std::size_t pos) {
    std::size_t last = std::string_view::npos;
    for (; pos < text.size(); pos = ShiftJisNext(text, pos)) {
        if (text[pos] == ']') last = pos;
    }
    return last;
}

ParsedLine ParseLine(std::string_view line) {
    ParsedLine parsed;
    std::size_t first = line.find_first_not_of(BLANKS);
    if (first == std::string_view::npos || line[first] == ';') return parsed;
    if (line[first] == '[') {
        std::size_t close = FindSectionEnd(line, first + 1);
        if (close == std::string_view::npos) return parsed;
        parsed.kind = LineKind::Section;
        parsed.name = Trim(line.substr(first + 1, close - first - 1));
        return parsed;
    }
    std::size_t equals = line.find('=');
    parsed.kind = LineKind::Key;
    parsed.name = Trim(line.substr(0, equals));  // a line without '=' is a key without a value
    if (equals != std::string_view::npos) parsed.value = line.substr(equals + 1);
    return parsed;
}

std::string CleanValue(std::string_view raw) {
    std::size_t nul = raw.find('\0');
    if (nul != std::string_view::npos) raw = raw.substr(0, nul);
    std::string_view value = Trim(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, ShiftJisCutLength(value, PROFILE_VALUE_MAX)));
}

}  // namespace

std::string FindProfileValue(const std::string& section, const std::string& key,
                             const std::string& contents) {
    std::string_view text = contents;
    enum class State { BeforeSection, OtherSection, InSection };
    State state = State::BeforeSection;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ParsedLine line = ParseLine(NextTextLine(text, pos));
        if (line.kind == LineKind::Section) {
            if (state == State::InSection) return {};  // only the first section of the name counts
            state =
                EqualIgnoringAsciiCase(line.name, section) ? State::InSection : State::OtherSection;
        } else if (line.kind == LineKind::Key && state == State::InSection &&
                   EqualIgnoringAsciiCase(line.name, key)) {
            return CleanValue(line.value);
        }
    }
    return {};
}

bool CProfileFile::Open(const std::string& path) {
    m_strSource.clear();
    if (!ReadRegularFile(path, m_strSource)) return false;
    m_strSource = ToCodePage932(m_strSource);
    return true;
}

std::string CProfileFile::GetText(const std::string& section, const std::string& key) const {
    return FindProfileValue(section, key, m_strSource);
}

std::string GetPrivateProfileText(const std::string& section, const std::string& key,
                                  const std::string& path) {
    CProfileFile file;
    file.Open(path);
    return file.GetText(section, key);
}
