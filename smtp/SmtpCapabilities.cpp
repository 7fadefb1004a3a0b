// Reading the extensions of an EHLO reply.
#include "smtp/SmtpCapabilities.h"

namespace {

constexpr std::string_view LINE_END = "\r\n";
// "250" and the blank or hyphen after it: the part of a line before its extension.
constexpr std::string_view OK_CODE = "250";
constexpr std::size_t CODE_PART_LENGTH = 4;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

// The next word of `text` (ended by a blank, or by '=' when `equalsEnds`), removed from it.
std::string_view NextWord(std::string_view& text, bool equalsEnds) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]) && !(equalsEnds && text[end] == '=')) ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

void ReadMechanisms(std::string_view list, SmtpCapabilities& offered) {
    for (std::string_view word = NextWord(list, false); !word.empty();
         word = NextWord(list, false)) {
        if (SameWord(word, "PLAIN")) offered.bAuthPlain = true;
        if (SameWord(word, "LOGIN")) offered.bAuthLogin = true;
    }
}

void ReadExtension(std::string_view line, SmtpCapabilities& offered) {
    if (line.size() <= CODE_PART_LENGTH || line.substr(0, OK_CODE.size()) != OK_CODE ||
        (line[OK_CODE.size()] != ' ' && line[OK_CODE.size()] != '-')) {
        return;
    }
    line.remove_prefix(CODE_PART_LENGTH);
    const std::string_view keyword = NextWord(line, true);
    if (SameWord(keyword, "STARTTLS") && NextWord(line, false).empty()) offered.bStartTls = true;
    if (SameWord(keyword, "AUTH")) {
        if (!line.empty() && line.front() == '=') line.remove_prefix(1);
        ReadMechanisms(line, offered);
    }
}

}  // namespace

SmtpCapabilities ParseEhloReply(std::string_view reply) {
    SmtpCapabilities offered;
    bool first = true;
    while (!reply.empty()) {
        const std::size_t end = reply.find(LINE_END);
        if (!first) ReadExtension(reply.substr(0, end), offered);
        first = false;
        reply.remove_prefix(end == std::string_view::npos ? reply.size() : end + LINE_END.size());
    }
    return offered;
}
