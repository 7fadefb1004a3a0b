// The one mail of a run: sender, To/Cc/Bcc lists, subject, dot-stuffed body and attachments,
// and the header text built from them.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "message/CSmtpAddress.h"
#include "message/CSmtpAttachment.h"
#include "platform/Clock.h"
#include "platform/Types.h"

enum RecipientKind { RECIPIENT_TO = 0, RECIPIENT_CC = 1, RECIPIENT_BCC = 2 };

// The fixed MIME boundary of a multipart mail.
inline constexpr const char* MIME_BOUNDARY = "#BOUNDARY#";

// The X-Mailer value of every mail.
inline constexpr const char* MAILER_NAME = "Vex MAILER v1.0";

class CSmtpMessage {
public:
    CSmtpMessage();
    virtual ~CSmtpMessage() = default;

    // Appends a copy of `address` to the list of `kind`; its index, or -1 for another kind.
    int AppendRecipient(const CSmtpAddress& address, int kind);
    // Number of addresses in the list of `kind`; 0 for another kind.
    int RecipientCount(int kind) const;
    // Copy of entry `index` (0 .. count - 1) of the list of `kind`; an empty record for another
    // kind or an index outside the list.
    CSmtpAddress RecipientAt(int index, int kind) const;

    // Appends a non-owning pointer; its index.
    int AppendAttachment(CSmtpAttachment* attachment);
    int AttachmentCount() const;
    // The pointer at `index` (0 .. count - 1); nullptr for an index outside the list.
    CSmtpAttachment* AttachmentAt(int index) const;

    // Stores the body and dot-stuffs it: one more "." before every "." that starts a line as
    // the body goes out on the wire, that is at the start, after every LF and after every CR
    // (ShiftJisToJis turns CR LF and a lone CR into LF, and every LF goes out as CR LF).
    void AssignBody(std::string_view body);

    // Splits a recipients text ("," or ";" separated, "Name <address>" or "address") into the
    // list of `kind`: white space around name and address is dropped, so is anything after the
    // ">"; a token without address is skipped; quotes mean nothing. TRUE when the whole text was
    // read. On a malformed token (a "<" with no ">" after it): last error ERROR_INVALID_DATA, the
    // error-log entry "An error occurred while parsing the recipients string", FALSE; earlier
    // tokens stay appended, later ones are not read.
    BOOL ParseRecipients(std::string_view recipients, int kind);

    // The complete header text, ending in the empty line: From, To (always, maybe empty), Cc
    // (only when there are Cc addresses), Subject, Date (from LocalTimeNow()), X-Mailer and the
    // MIME lines (multipart/mixed with MIME_BOUNDARY when there is an attachment). Display names
    // and the subject are single encoded words of any length. The To and Cc lists are folded so
    // that no line passes 998 characters (RFC 5322 2.1.1): an address that would take its line
    // past 997 starts a continuation line (the comma ends the line, then CR LF and one blank);
    // lists that fit stay on one line. No other line is folded.
    virtual std::string BuildHeader() const;

    CSmtpAddress m_Sender;
    std::string m_strSubject;
    std::string m_strMailer;
    std::string m_strBody;
    std::vector<CSmtpAddress> m_ToList;
    std::vector<CSmtpAddress> m_CcList;
    std::vector<CSmtpAddress> m_BccList;
    std::vector<CSmtpAttachment*> m_AttachmentList;
};

// "+hhmm" or "-hhmm" for a UTC offset in minutes (east positive): 540 -> "+0900", -210 -> "-0330".
std::string FormatZoneText(long offsetMinutes);

// "Sat, 05 Dec 2026 23:00:29 +0900": English day and month names, the zone from
// `local.utcOffsetSeconds`.
std::string FormatDateText(const LocalTime& local);
