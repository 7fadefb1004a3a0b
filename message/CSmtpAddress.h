// The address record of the sender and of every recipient: a display name (Shift-JIS, may be
// empty) and a mailbox address (as the caller gave it, without angle brackets).
#pragma once

#include <string>

class CSmtpAddress {
public:
    CSmtpAddress() = default;
    CSmtpAddress(std::string name, std::string address);

    // The header form: the bare address when the name is empty, else the name as one encoded
    // word, a blank and the address in angle brackets ("=?ISO-2022-JP?B?...?= <address>").
    std::string FormatForHeader() const;

    std::string m_strName;
    std::string m_strAddress;
};
