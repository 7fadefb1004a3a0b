// The message: recipient lists, attachments, the dot-stuffed body, the recipients parser and
// the header with its Date line.
#include "message/CSmtpMessage.h"

#include <cstdlib>

#include "logging/ErrorLog.h"
#include "message/JapaneseText.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/TextFormat.h"
#include "platform/TextTrim.h"

namespace {

constexpr const char* PARSE_FAILED_TEXT = "An error occurred while parsing the recipients string";

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char DOT = '.';

constexpr const char* DAY_NAMES[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MONTH_NAMES[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int DAYS_PER_WEEK = 7;
constexpr int MONTHS_PER_YEAR = 12;
constexpr long TM_BASE_YEAR = 1900;
constexpr unsigned long MINUTES_PER_HOUR = 60;
constexpr long SECONDS_PER_MINUTE = 60;

// Index into a name table of `count` entries, whatever value the field holds.
int WrapIndex(int value, int count) { return ((value % count) + count) % count; }

// A header line holds at most 998 characters (RFC 5322 2.1.1). An address list keeps each line
// to one less before its comma, so a line that a comma ends is at most 998 long.
constexpr std::size_t HEADER_LINE_LIMIT = 998;
constexpr std::size_t ADDRESS_LINE_LIMIT = HEADER_LINE_LIMIT - 1;
// What ends a line of an address list and starts its continuation line (folding white space).
constexpr std::string_view ADDRESS_LINE_BREAK = "\r\n ";
constexpr std::size_t CONTINUATION_INDENT = 1;

// Header forms of a list, joined by a comma without a blank, after a field name of
// `prefixLength` characters. An address that would take its line past ADDRESS_LINE_LIMIT starts
// a continuation line; a list that fits is one line.
std::string JoinForHeader(std::size_t prefixLength, const std::vector<CSmtpAddress>& list) {
    std::string text;
    std::size_t lineLength = prefixLength;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string address = list[i].FormatForHeader();
        if (i != 0) {
            text += ',';
            const bool fold = lineLength + 1 + address.size() > ADDRESS_LINE_LIMIT;
            if (fold) text += ADDRESS_LINE_BREAK;
            lineLength = fold ? CONTINUATION_INDENT : lineLength + 1;
        }
        text += address;
        lineLength += address.size();
    }
    return text;
}

// A line starts at the first byte, after every LF and after every CR: on the wire every one of
// them ends a line.
bool StartsLine(std::string_view text, std::size_t pos) {
    return pos == 0 || text[pos - 1] == LF || text[pos - 1] == CR;
}

constexpr std::string_view WHITE_SPACE = " \t\r\n\v\f";

std::string_view TrimWhiteSpace(std::string_view text) { return TrimCharacters(text, WHITE_SPACE); }

// What one token of a recipients text holds.
enum class TokenContent { ADDRESS, NOTHING, MALFORMED };

// Reads one token: "address" or "name <address> ignored"; white space around the name and the
// address is dropped. A "<" without a ">" after it makes the token malformed.
TokenContent ReadRecipientToken(std::string_view token, CSmtpAddress& recipient) {
    std::string_view name;
    std::string_view address = token;
    std::size_t open = token.find('<');
    if (open != std::string_view::npos) {
        std::size_t close = token.find('>');
        if (close == std::string_view::npos || close < open) return TokenContent::MALFORMED;
        name = token.substr(0, open);
        address = token.substr(open + 1, close - open - 1);
    }
    address = TrimWhiteSpace(address);
    if (address.empty()) return TokenContent::NOTHING;
    recipient = CSmtpAddress(std::string(TrimWhiteSpace(name)), std::string(address));
    return TokenContent::ADDRESS;
}

template <class Message>
auto RecipientList(Message& message, int kind) -> decltype(&message.m_ToList) {
    switch (kind) {
        case RECIPIENT_TO:
            return &message.m_ToList;
        case RECIPIENT_CC:
            return &message.m_CcList;
        case RECIPIENT_BCC:
            return &message.m_BccList;
        default:
            return nullptr;
    }
}

}  // namespace

CSmtpMessage::CSmtpMessage() : m_strMailer(MAILER_NAME) {}

int CSmtpMessage::AppendRecipient(const CSmtpAddress& address, int kind) {
    std::vector<CSmtpAddress>* list = RecipientList(*this, kind);
    if (list == nullptr) return -1;
    list->push_back(address);
    return static_cast<int>(list->size() - 1);
}

int CSmtpMessage::RecipientCount(int kind) const {
    const std::vector<CSmtpAddress>* list = RecipientList(*this, kind);
    return list == nullptr ? 0 : static_cast<int>(list->size());
}

CSmtpAddress CSmtpMessage::RecipientAt(int index, int kind) const {
    const std::vector<CSmtpAddress>* list = RecipientList(*this, kind);
    if (list == nullptr || index < 0 || static_cast<std::size_t>(index) >= list->size()) return {};
    return (*list)[static_cast<std::size_t>(index)];
}

int CSmtpMessage::AppendAttachment(CSmtpAttachment* attachment) {
    m_AttachmentList.push_back(attachment);
    return static_cast<int>(m_AttachmentList.size() - 1);
}

int CSmtpMessage::AttachmentCount() const { return static_cast<int>(m_AttachmentList.size()); }

CSmtpAttachment* CSmtpMessage::AttachmentAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_AttachmentList.size()) return nullptr;
    return m_AttachmentList[static_cast<std::size_t>(index)];
}

void CSmtpMessage::AssignBody(std::string_view body) {
    std::size_t stuffed = 0;
    for (std::size_t pos = 0; pos < body.size(); ++pos) {
        if (body[pos] == DOT && StartsLine(body, pos)) ++stuffed;
    }
    m_strBody.clear();
    m_strBody.reserve(body.size() + stuffed);
    for (std::size_t pos = 0; pos < body.size(); ++pos) {
        if (body[pos] == DOT && StartsLine(body, pos)) m_strBody += DOT;
        m_strBody += body[pos];
    }
}

BOOL CSmtpMessage::ParseRecipients(std::string_view recipients, int kind) {
    std::size_t start = 0;
    for (;;) {
        std::size_t separator = recipients.find_first_of(",;", start);
        std::size_t end = separator == std::string_view::npos ? recipients.size() : separator;
        CSmtpAddress recipient;
        switch (ReadRecipientToken(recipients.substr(start, end - start), recipient)) {
            case TokenContent::ADDRESS:
                AppendRecipient(recipient, kind);
                break;
            case TokenContent::NOTHING:
                break;
            case TokenContent::MALFORMED:
                SetLastError(ERROR_INVALID_DATA);
                WriteErrorLog(ERROR_LOG_FILE, PARSE_FAILED_TEXT);
                return FALSE;
        }
        if (separator == std::string_view::npos) return TRUE;
        start = separator + 1;
    }
}

std::string CSmtpMessage::BuildHeader() const {
    std::string header = "From: " + m_Sender.FormatForHeader() + "\r\n";
    const std::string to = "To: ", ccField = "Cc: ";
    header += to + JoinForHeader(to.size(), m_ToList) + "\r\n";
    std::string cc = JoinForHeader(ccField.size(), m_CcList);
    if (!cc.empty()) header += ccField + cc + "\r\n";
    header += "Subject: " +
              (m_strSubject.empty() ? std::string() : EncodeJapaneseHeaderText(m_strSubject)) +
              "\r\n";
    header += "Date: " + FormatDateText(LocalTimeNow()) + "\r\n";
    header += "X-Mailer: " + m_strMailer + "\r\n";
    if (m_AttachmentList.empty()) {
        header += "MIME-Version: 1.0\r\nContent-type: text/plain; charset=iso-2022-jp\r\n";
    } else {
        header += "MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary=\"";
        header += MIME_BOUNDARY;
        header += "\"\r\n";
    }
    header += "\r\n";
    return header;
}

std::string FormatZoneText(long offsetMinutes) {
    unsigned long magnitude = offsetMinutes < 0 ? 0ul - static_cast<unsigned long>(offsetMinutes)
                                                : static_cast<unsigned long>(offsetMinutes);
    return FormatText("%c%02lu%02lu", offsetMinutes < 0 ? '-' : '+', magnitude / MINUTES_PER_HOUR,
                      magnitude % MINUTES_PER_HOUR);
}

std::string FormatDateText(const LocalTime& local) {
    return FormatText("%s, %02d %s %04ld %02d:%02d:%02d ",
                      DAY_NAMES[WrapIndex(local.tm_wday, DAYS_PER_WEEK)], local.tm_mday,
                      MONTH_NAMES[WrapIndex(local.tm_mon, MONTHS_PER_YEAR)],
                      static_cast<long>(local.tm_year) + TM_BASE_YEAR, local.tm_hour, local.tm_min,
                      local.tm_sec) +
           FormatZoneText(local.utcOffsetSeconds / SECONDS_PER_MINUTE);
}
