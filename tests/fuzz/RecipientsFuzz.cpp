// The recipient-list parser: every address it yields is a non-empty piece of one token, without
// separators or white space around it.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "message/CSmtpMessage.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RunWhereNoLogCanBeMade();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CSmtpMessage message;
    message.ParseRecipients(text, RECIPIENT_CC);
    for (const CSmtpAddress& recipient : message.m_CcList) {
        const std::string& address = recipient.m_strAddress;
        Check(!address.empty() && text.find(address) != std::string::npos);
        Check(address.find_first_of(",;") == std::string::npos);
        Check(std::string(" \t\r\n\v\f").find(address.front()) == std::string::npos);
        Check(std::string(" \t\r\n\v\f").find(address.back()) == std::string::npos);
    }
    return 0;
}
