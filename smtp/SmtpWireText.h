// The texts the SMTP client puts on the wire and into the refused-recipient log entry, built by
// pure functions so that every byte can be checked without a socket.
#pragma once

#include <string>
#include <string_view>

// The commands without arguments.
inline constexpr std::string_view QUIT_COMMAND = "QUIT\r\n";
inline constexpr std::string_view DATA_COMMAND = "DATA\r\n";
inline constexpr std::string_view STARTTLS_COMMAND = "STARTTLS\r\n";
inline constexpr std::string_view AUTH_LOGIN_COMMAND = "AUTH LOGIN\r\n";

// The framing of a multipart mail (boundary "#BOUNDARY#", as the header declares it): the body
// part's header, sent before the body, and the closing boundary line, whose line end is the
// CR LF that starts the end-of-data mark.
inline constexpr std::string_view BODY_PART_HEADER =
    "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
    "Content-Transfer-Encoding: 7bit\r\n\r\n";
inline constexpr std::string_view CLOSING_BOUNDARY = "\r\n--#BOUNDARY#--";

// The end of the mail data (RFC 5321 4.1.1.4): a line holding one period.
inline constexpr std::string_view END_OF_DATA = "\r\n.\r\n";

// The name HELO announces when the local host name cannot be had or cannot stand in a command
// line.
inline constexpr const char* HELO_FALLBACK_NAME = "localhost";

// "HELO <name>\r\n".
std::string FormatHeloCommand(const std::string& hostName);

// "EHLO <name>\r\n".
std::string FormatEhloCommand(const std::string& hostName);

// "AUTH PLAIN <base64 of NUL user NUL password>\r\n" (RFC 4616, no authorization identity).
// The bytes of the job are sent as they are.
std::string FormatAuthPlainCommand(const std::string& user, const std::string& password);

// One answer of AUTH LOGIN: the base64 of `text`, then CR LF.
std::string FormatAuthLoginLine(const std::string& text);

// "MAIL FROM:<address>\r\n" (an empty address gives "MAIL FROM:<>\r\n").
std::string FormatMailFromCommand(const std::string& address);

// "RCPT TO:<address>\r\n".
std::string FormatRcptToCommand(const std::string& address);

// The MIME part header of one attachment: an empty line before the boundary line, the plain
// file name after "name=" as it is, the encoded word after "filename=" in double quotes (its '='
// and '?' are not allowed in an unquoted MIME parameter value), then the empty line before the
// base64 text. Empty names give "name=" and filename="".
std::string FormatAttachmentPartHeader(const std::string& fileName, const std::string& encodedName);

// The error-log text for a recipient the server refused: the fixed Japanese text, LF CR and the
// display name (empty names end the text after the LF CR). Written to the log as data, so a "%"
// in the name stays.
std::string FormatRefusedRecipientEntry(const std::string& displayName);

// The name for HELO from what the system reports as the host name (null when it could not be
// had): the name itself, or HELO_FALLBACK_NAME when it is empty or holds a byte that cannot
// stand in a command line (a control character, a blank or a non-ASCII byte).
std::string ChooseHeloName(const char* hostName);

// The local host name for HELO (CSmtpSocket::GetHostName), or HELO_FALLBACK_NAME.
std::string LocalHeloName();

// Every line end of `text` (CR LF, a lone LF or a lone CR) as CR LF: SMTP data carries no bare
// LF or CR (RFC 5321 2.3.8). Every other byte is kept.
std::string ToCrLfLineEnds(std::string_view text);

// The body as it goes on the wire: half-width katakana widened, converted to ISO-2022-JP, every
// line ended by CR LF.
std::string ConvertBodyForWire(std::string_view shiftJisBody);
