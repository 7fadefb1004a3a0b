// The message as a whole: job fields (the input's first lines, as a job file gives them: no line
// ends) and a body (the rest) composed as they go out. The data holds no bare CR or LF, and
// CR LF . CR LF only at its end.
#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "message/CSmtpMessage.h"
#include "smtp/SmtpWireText.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RunWhereNoLogCanBeMade();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size), fields[5];
    for (std::string& field : fields) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        field = text.substr(0, end);
        field.erase(std::remove(field.begin(), field.end(), '\r'), field.end());
        field = field.substr(0, field.find('\0'));
        text.erase(0, std::min(end + 1, text.size()));
    }
    CSmtpMessage message;
    message.m_Sender = CSmtpAddress(fields[0], fields[1]);
    message.ParseRecipients(fields[2], RECIPIENT_TO);
    message.ParseRecipients(fields[3], RECIPIENT_CC);
    message.m_strSubject = fields[4];
    message.AssignBody(text);
    const std::string stream =
        message.BuildHeader() + ConvertBodyForWire(message.m_strBody) + "\r\n.\r\n";
    Check(stream.find("\r\n.\r\n") == stream.size() - 5);
    std::size_t lineEnds = 0;
    for (std::size_t at = stream.find("\r\n"); at != std::string::npos;
         at = stream.find("\r\n", at + 1))
        ++lineEnds;
    Check(static_cast<std::size_t>(std::count(stream.begin(), stream.end(), '\r') +
                                   std::count(stream.begin(), stream.end(), '\n')) == 2 * lineEnds);
    return 0;
}
