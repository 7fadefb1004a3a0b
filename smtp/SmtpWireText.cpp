// The wire texts of the SMTP client.
#include "smtp/SmtpWireText.h"

#include "message/Base64.h"
#include "message/JapaneseText.h"
#include "smtp/CSmtpSocket.h"
#include "platform/TextFormat.h"

namespace {

// Room for the local host name, as the session has always asked for it.
constexpr std::size_t HOST_NAME_BUFFER_SIZE = 128;

// Printable ASCII without the blank: what a domain or host name can hold.
bool IsHostNameByte(unsigned char byte) { return byte > 0x20 && byte < 0x7F; }

}  // namespace

std::string FormatHeloCommand(const std::string& hostName) {
    return FormatText("HELO %s\r\n", hostName.c_str());
}

std::string FormatEhloCommand(const std::string& hostName) {
    return FormatText("EHLO %s\r\n", hostName.c_str());
}

std::string FormatAuthLoginLine(const std::string& text) {
    std::string line(Base64GroupsLength(text.size()), '\0');
    EncodeBase64Groups(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                       line.data());
    return line + "\r\n";
}

std::string FormatAuthPlainCommand(const std::string& user, const std::string& password) {
    return "AUTH PLAIN " + FormatAuthLoginLine(std::string(1, '\0') + user + '\0' + password);
}

std::string FormatMailFromCommand(const std::string& address) {
    return FormatText("MAIL FROM:<%s>\r\n", address.c_str());
}

std::string FormatRcptToCommand(const std::string& address) {
    return FormatText("RCPT TO:<%s>\r\n", address.c_str());
}

std::string FormatAttachmentPartHeader(const std::string& fileName,
                                       const std::string& encodedName) {
    return FormatText(
        "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=%s\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"%s\"\r\n\r\n",
        fileName.c_str(), encodedName.c_str());
}

std::string FormatRefusedRecipientEntry(const std::string& displayName) {
    return FormatText("配信不能：以下の受信者にメールを配信できませんでした。\n\r%s",
                      displayName.c_str());
}

std::string ChooseHeloName(const char* hostName) {
    if (hostName == nullptr || *hostName == '\0') return HELO_FALLBACK_NAME;
    for (const char* p = hostName; *p != '\0'; ++p) {
        if (!IsHostNameByte(static_cast<unsigned char>(*p))) return HELO_FALLBACK_NAME;
    }
    return hostName;
}

std::string LocalHeloName() {
    char name[HOST_NAME_BUFFER_SIZE] = {};
    if (!CSmtpSocket::GetHostName(name, sizeof name - 1)) return ChooseHeloName(nullptr);
    return ChooseHeloName(name);
}

std::string ToCrLfLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            result += "\r\n";
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    return result;
}

std::string ConvertBodyForWire(std::string_view shiftJisBody) {
    return ToCrLfLineEnds(ShiftJisToJis(WidenHalfWidthKana(shiftJisBody)));
}
