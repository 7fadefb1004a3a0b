// Command-line option scanning.
#include "app/CCommandLineOptions.h"

#include <string_view>

#include "platform/ShiftJis.h"

namespace {

constexpr std::string_view OPTION_CHARACTERS = "-/";
constexpr std::string_view NAME_TERMINATORS = " :";
constexpr char VALUE_QUOTE = '"';
constexpr char BLANK = ' ';

// Position of the first character of `text` at or after `pos` that is one of `set`, stepping
// over whole Shift-JIS characters; npos when there is none.
std::size_t FindCharacter(std::string_view text, std::size_t pos, std::string_view set) {
    while (pos < text.size()) {
        if (set.find(text[pos]) != std::string_view::npos) return pos;
        pos = ShiftJisNext(text, pos);
    }
    return std::string_view::npos;
}

}  // namespace

CCommandLineOptions::CCommandLineOptions(const char* commandLine, bool caseSensitive)
    : m_bCaseSensitive(caseSensitive) {
    if (commandLine != nullptr) Parse(commandLine);
}

void CCommandLineOptions::Parse(const char* commandLine) {
    if (commandLine == nullptr) return;
    m_strCmdLine = commandLine;
    m_options.clear();
    ScanOptions(m_strCmdLine);
}

void CCommandLineOptions::ScanOptions(const std::string& text) {
    constexpr std::size_t npos = std::string::npos;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t option = FindCharacter(text, pos, OPTION_CHARACTERS);
        if (option == npos) return;
        std::size_t nameStart = option + 1;
        if (nameStart >= text.size()) return;
        std::size_t terminator = FindCharacter(text, nameStart, NAME_TERMINATORS);
        if (terminator == npos) {
            StoreOption(text.substr(nameStart), std::string());
            return;
        }
        std::string name = text.substr(nameStart, terminator - nameStart);
        if (text[terminator] == BLANK || terminator + 1 == text.size()) {
            StoreOption(std::move(name), std::string());
            pos = terminator + 1;
            continue;
        }
        std::size_t valueStart = terminator + 1;
        std::size_t valueEnd;
        if (text[valueStart] == VALUE_QUOTE) {
            ++valueStart;
            valueEnd = FindCharacter(text, valueStart, std::string_view(&VALUE_QUOTE, 1));
        } else {
            valueEnd = FindCharacter(text, valueStart, std::string_view(&BLANK, 1));
        }
        std::size_t valueLength = valueEnd == npos ? npos : valueEnd - valueStart;
        StoreOption(std::move(name), text.substr(valueStart, valueLength));
        if (valueEnd == npos) return;
        pos = valueEnd + 1;
    }
}

void CCommandLineOptions::StoreOption(std::string name, std::string value) {
    if (name.empty()) return;
    m_options.emplace(NormaliseName(std::move(name)), std::move(value));  // first one wins
}

std::string CCommandLineOptions::NormaliseName(std::string name) const {
    if (m_bCaseSensitive) return name;
    for (std::size_t pos = 0; pos < name.size();) pos = ShiftJisLowerCaseAt(name, pos);
    return name;
}

bool CCommandLineOptions::GetOption(const char* name, std::string& value) const {
    auto found = m_options.find(NormaliseName(name));
    if (found == m_options.end()) return false;
    value = found->second;
    return true;
}

void CCommandLineOptions::GetNextOption(Position& position, std::string& name,
                                        std::string& value) const {
    if (IsEndPosition(position)) {
        name.clear();
        return;
    }
    name = position->first;
    value = position->second;
    ++position;
}

namespace {

std::string QuotedElement(std::string_view element) {
    bool holdsBlank = element.find_first_of(" \t") != std::string_view::npos;
    if (!holdsBlank || element.find(VALUE_QUOTE) != std::string_view::npos) {
        return std::string(element);
    }
    std::size_t colon = element.find(':');
    bool isOption =
        !element.empty() && OPTION_CHARACTERS.find(element[0]) != std::string_view::npos;
    if (isOption && colon != std::string_view::npos) {
        return std::string(element.substr(0, colon + 1)) + VALUE_QUOTE +
               std::string(element.substr(colon + 1)) + VALUE_QUOTE;
    }
    return VALUE_QUOTE + std::string(element) + VALUE_QUOTE;
}

}  // namespace

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (argv[i] == nullptr) break;
        if (i > 0) line += BLANK;
        line += QuotedElement(argv[i]);
    }
    return line;
}
