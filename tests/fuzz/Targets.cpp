// The fuzz targets, one program each (FUZZ_TARGET), run by libFuzzer (GCC's trace-pc coverage
// handed over as its 8-bit counters) or replaying their corpus folder. A failing property traps.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <unistd.h>

#include "app/CCommandLineOptions.h"
#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "message/JapaneseText.h"
#include "platform/CodePage932.h"
#include "platform/PrivateProfile.h"
#include "smtp/CSmtpConnection.h"
#include "smtp/SmtpCapabilities.h"
#include "smtp/SmtpWireText.h"

namespace {
constexpr std::size_t npos = std::string::npos;
const std::string BASE64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const std::string BLANKS = " \t\r\n\v\f";
void Check(bool holds) {
    if (!holds) __builtin_trap();
}
}  // namespace

// The command line: the input's lines as an argument vector, joined and scanned as options. A
// value given as an argument comes back unchanged; any text scans without harm.
void CommandLineFuzz(const std::string& text) {
    std::string option = "-inifile:" + text, found, value = text.substr(0, text.find('\n'));
    std::vector<const char*> argv = {"fernpost", option.c_str()};
    for (std::size_t i = 0; i < option.size() && argv.size() < 16; ++i)  // a NUL ends each line
        if (option[i] == '\n') argv.push_back(&(option[i] = '\0') + 1);
    CCommandLineOptions(JoinCommandLine(static_cast<int>(argv.size()), argv.data()).c_str(), false)
        .GetOption("inifile", found);
    Check(found == value || value.find_first_of(std::string("\"\0", 2)) != npos);
    CCommandLineOptions(text.c_str(), false).GetOption("inifile", found);
}

// The INI reader: any bytes as a job file, as they are and behind each byte-order mark. Values
// are at most PROFILE_VALUE_MAX bytes and hold no NUL.
void ProfileFuzz(const std::string& text) {
    for (const char* mark : {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        for (const char* key : {"Server", "To", "Subject"}) {
            const std::string value = FindProfileValue("SMTP", key, ToCodePage932(mark + text));
            Check(value.size() <= PROFILE_VALUE_MAX && value.find('\0') == npos);
        }
}

// Recipient lists: each address a non-empty piece of the input, no separators or blanks around it.
void RecipientsFuzz(const std::string& text) {
    CSmtpMessage message;
    message.ParseRecipients(text, RECIPIENT_CC);
    for (const auto& [name, address] : message.m_CcList)  // first and last byte not blank
        Check(address.find_first_not_of(BLANKS) == 0 &&
              address.find_last_not_of(BLANKS) + 1 == address.size() &&
              text.find(address) != npos && address.find_first_of(",;") == npos);
}

// The Japanese chain (widening, ISO-2022-JP, encoded words): 7-bit text whose only escapes are
// ESC $ B and ESC ( B, ending in ASCII mode; a word holds only base64 between its delimiters.
void JapaneseFuzz(const std::string& text) {
    const std::string wide = WidenHalfWidthKana(text), jis = ShiftJisToJis(wide),
                      word = EncodeJapaneseHeaderText(text);
    for (std::size_t i = jis.find('\x1B'); i != npos; i = jis.find('\x1B', i + 1))
        Check(jis.compare(i, 3, "\x1B$B") == 0 || jis.compare(i, 3, "\x1B(B") == 0);
    const std::size_t last = jis.rfind('\x1B');  // the last escape sequence returns to ASCII
    Check((last == npos || jis[last + 1] == '(') && wide.size() <= 2 * text.size());
    for (char c : jis) Check((c & 0x80) == 0 && c != '\r' && c != '\x0E' && c != '\x0F');
    Check(word.size() >= 18 && word.rfind("=?ISO-2022-JP?B?", 0) == 0 &&
          word.find_first_not_of(BASE64 + "=", 16) == word.size() - 2);
}

// Base64 text of any bytes: lines of at most 76 characters, and it decodes back to the input.
void Base64Fuzz(const std::string& input) {
    std::string text(CSmtpAttachment::Base64EncodedSize(input.size()), '\0'), decoded;
    std::size_t length = 0, bits = 0, count = 0, column = 0;  // the text's, then the decoder's
    Check(CSmtpAttachment::Base64Encode(reinterpret_cast<const unsigned char*>(input.data()),
                                        input.size(), text.data(), text.size(), length) &&
          length < text.size());
    for (char c : text.substr(0, length)) {
        column = c == '\r' || c == '\n' ? 0 : column + 1;
        Check(column <= 76 && (column == 0 || c == '=' || BASE64.find(c) != npos));
        if (column == 0 || c == '=') continue;
        bits = bits << 6 | BASE64.find(c);
        if ((count += 6) >= 8) decoded += static_cast<char>(bits >> (count -= 8));
    }
    Check(decoded == input);
}

// The reply reader on any bytes a server sends (through a socket pair), then a line ending any
// reply: it never fails or hangs, keeps at most what it got, and reads the code from bytes 1-3.
void ReplyFuzz(const std::string& input) {
    if (input.size() > 65536) return;  // what the socket buffers hold, so the send never blocks
    const std::string text = input + "\r\n999 end\r\n";
    struct Probe : CSmtpConnection {
        using CSmtpConnection::m_SMTP;
    } probe;
    int ends[2];
    Check(probe.m_SMTP.Create() && socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0 &&
          dup2(ends[0], probe.m_SMTP.Handle()) >= 0 &&
          send(ends[1], text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size()));
    Check(probe.ReadCommandResponse(250) == (text.compare(0, 3, "250") == 0) &&
          probe.GetLastReply().size() <= text.size());
    close(ends[0]), close(ends[1]);
}

// The EHLO reader on any reply: a line end added at the end changes nothing; without "250" nothing
// is offered.
void CapabilitiesFuzz(const std::string& input) {
    const SmtpCapabilities a = ParseEhloReply(input), b = ParseEhloReply(input + "\r\n");
    Check(a.bStartTls == b.bStartTls && a.bAuthPlain == b.bAuthPlain &&
          a.bAuthLogin == b.bAuthLogin);
    if (input.find("250") == npos) Check(!a.bStartTls && !a.bAuthPlain && !a.bAuthLogin);
}

// The whole message: job fields (the first lines) and a body (the rest) as they go out. No bare CR
// or LF, CR LF . CR LF only at the end; with its doubled dots undone the body is the one given.
void MessageFuzz(const std::string& input) {
    std::string text = input, fields[5], read;
    for (std::string& field : fields) {  // a line, cut at a CR or NUL as a job file's value is
        field = text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
        text.erase(0, text.find('\n')).erase(0, 1);  // the line, then its LF
    }
    CSmtpMessage message;
    message.m_Sender = CSmtpAddress(fields[0], fields[1]);
    message.ParseRecipients(fields[2], RECIPIENT_TO);
    message.ParseRecipients(fields[3], RECIPIENT_CC);
    message.m_strSubject = fields[4];
    message.AssignBody(text);
    const std::string body = ConvertBodyForWire(message.m_strBody),
                      data = message.BuildHeader() + body;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (body[i] != '.' || (i > 0 && body[i - 1] != '\n')) read += body[i];
    Check((data + "\r\n.\r\n").find("\r\n.\r\n") == data.size());
    Check(read == ConvertBodyForWire(text));
    for (std::size_t i = 0; (i = data.find_first_of("\r\n", i)) != npos; i += 2)
        Check(data.compare(i, 2, "\r\n") == 0);  // no bare CR or LF
}

// Runs in a fresh folder with a file where the error log's folder would go: no log piles up.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/fernpost-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0 || !std::ofstream("log")) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FUZZ_TARGET(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

#ifdef FUZZ_REPLAY
int main(int argc, char** argv) {
    std::filesystem::directory_iterator files(std::filesystem::absolute(argv[argc - 1]));
    if (files == std::filesystem::directory_iterator()) return 1;  // an empty corpus proves nothing
    LLVMFuzzerInitialize(&argc, &argv);
    for (const auto& file : files) {
        std::string data(file.file_size(), '\0');
        std::ifstream(file.path(), std::ios::binary).read(data.data(), data.size());
        FUZZ_TARGET(data);
    }
    std::filesystem::remove_all(std::filesystem::current_path());  // the folder made above
}
#else
// Each instrumented block's address, hashed, counts in counters that the runtime reads.
static constexpr std::size_t COUNTERS = 1 << 18;  // few collisions for a program of this size
alignas(64) static std::uint8_t counters[COUNTERS];

extern "C" void __sanitizer_cov_8bit_counters_init(std::uint8_t* begin, std::uint8_t* end);

extern "C" __attribute__((no_sanitize_coverage)) void __sanitizer_cov_trace_pc() {
    const auto pc = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    ++counters[(pc ^ (pc >> 18)) % COUNTERS];
}

__attribute__((constructor)) static void RegisterCounters() {
    __sanitizer_cov_8bit_counters_init(counters, counters + COUNTERS);
}
#endif
