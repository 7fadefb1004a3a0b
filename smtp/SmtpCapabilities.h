// What a server offers in its reply to EHLO (RFC 5321 4.1.1.1): the extensions the client can
// use, read from untrusted text by a pure function.
#pragma once

#include <string_view>

struct SmtpCapabilities {
    bool bStartTls = false;   // STARTTLS (RFC 3207)
    bool bAuthPlain = false;  // AUTH with the PLAIN mechanism (RFC 4616)
    bool bAuthLogin = false;  // AUTH with the LOGIN mechanism
};

// Reads a whole EHLO reply (its lines ended by CR LF, "250-" before each but the last, "250 "
// before that). The first line names the server and is skipped; every other line whose code is
// 250 names one extension, its keyword and parameters in any letter case: "STARTTLS", "AUTH"
// with its mechanisms after blanks, or the old form "AUTH=" with them after the '='. Lines of
// another code, or without the blank or hyphen after it, offer nothing. Any bytes are read
// without harm.
SmtpCapabilities ParseEhloReply(std::string_view reply);
