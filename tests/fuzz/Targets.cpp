// The fuzz targets, one per parser: each function below is one, and the build makes a program of
// each (FUZZ_TARGET names the function). libFuzzer runs it, or in ordinary builds (FUZZ_REPLAY)
// a main that runs it on every file of the corpus folders given as arguments, so the findings
// kept as seeds stay fixed. A property that must hold stops the run where it fails.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

#include "app/CCommandLineOptions.h"
#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "message/JapaneseText.h"
#include "platform/CodePage932.h"
#include "platform/PrivateProfile.h"
#include "smtp/CSmtpConnection.h"
#include "smtp/SmtpWireText.h"

namespace {
void Check(bool holds) {
    if (!holds) __builtin_trap();
}
const std::string BASE64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}  // namespace

// The command line: the input's lines as an argument vector, joined and scanned as options. A
// value given as an argument comes back unchanged; any text scans without harm.
void CommandLineFuzz(const std::string& text) {
    std::vector<std::string> words = {"fernpost", ""};
    for (char c : text) {
        if (c != '\n')
            words.back() += c;
        else if (words.size() < 16)
            words.emplace_back();
    }
    const std::string value = words[1];
    words[1] = "-inifile:" + value;
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
    std::string found;
    CCommandLineOptions(line.c_str(), false).GetOption("inifile", found);
    if (value.find_first_of(std::string("\"\0", 2)) == std::string::npos) Check(found == value);
    CCommandLineOptions(text.c_str(), false).GetOption("inifile", found);
}

// The INI reader: any bytes as a job file, as they are and behind each byte-order mark. Values
// are at most 511 bytes and hold no NUL.
void ProfileFuzz(const std::string& text) {
    for (const char* mark : {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        const std::string contents = ToCodePage932(mark + text);
        for (const char* key : {"Server", "To", "Subject"}) {
            const std::string value = FindProfileValue("SMTP", key, contents);
            Check(value.size() <= PROFILE_VALUE_MAX && value.find('\0') == std::string::npos);
        }
    }
}

// The recipient-list parser: every address it yields is a non-empty piece of one token, without
// separators or white space around it.
void RecipientsFuzz(const std::string& text) {
    CSmtpMessage message;
    message.ParseRecipients(text, RECIPIENT_CC);
    for (const CSmtpAddress& recipient : message.m_CcList) {
        const std::string& address = recipient.m_strAddress;
        Check(!address.empty() && text.find(address) != std::string::npos &&
              address.find_first_of(",;") == std::string::npos);
        const std::string ends = {address.front(), address.back()};
        Check(ends.find_first_of(" \t\r\n\v\f") == std::string::npos);
    }
}

// The Japanese chain: widening, the conversion to ISO-2022-JP and encoded words. The text is
// 7-bit, every escape sequence is ESC $ B or ESC ( B, each one opened is closed, and a word holds
// only base64 between its delimiters.
void JapaneseFuzz(const std::string& text) {
    const std::string wide = WidenHalfWidthKana(text), jis = ShiftJisToJis(wide);
    Check(wide.size() <= 2 * text.size());
    bool jisMode = false;
    for (std::size_t i = 0; i < jis.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(jis[i]);
        Check(c < 0x80 && c != '\r' && c != 0x0E && c != 0x0F);
        if (c != 0x1B) continue;
        Check(jis.compare(i, 3, "\x1B$B") == 0 || jis.compare(i, 3, "\x1B(B") == 0);
        jisMode = jis[i + 1] == '$';
        i += 2;
    }
    const std::string word = EncodeJapaneseHeaderText(text);
    Check(!jisMode && word.rfind("=?ISO-2022-JP?B?", 0) == 0 && word.size() >= 18);
    Check(word.find_first_not_of(BASE64 + "=", 16) == word.size() - 2);
}

// Base64 text of any bytes: lines of at most 76 characters, and it decodes back to the input.
void Base64Fuzz(const std::string& input) {
    const std::size_t capacity = CSmtpAttachment::Base64EncodedSize(input.size());
    std::string text(capacity, '\0'), decoded;
    std::size_t length = 0;
    Check(CSmtpAttachment::Base64Encode(reinterpret_cast<const unsigned char*>(input.data()),
                                        input.size(), text.data(), capacity, length) &&
          length < capacity);
    unsigned bits = 0, count = 0, column = 0;
    for (char c : text.substr(0, length)) {
        column = c == '\r' || c == '\n' ? 0 : column + 1;
        Check(column <= 76 && (column == 0 || c == '=' || BASE64.find(c) != std::string::npos));
        if (column == 0 || c == '=') continue;
        bits = bits << 6 | static_cast<unsigned>(BASE64.find(c));
        if ((count += 6) >= 8) decoded += static_cast<char>(bits >> (count -= 8));
    }
    Check(decoded == input);
}

// The reply reader: any bytes from a server (one end of a socket pair put in place of the
// connection's socket), cut into pieces as the receives take them, then a last line that ends
// every reply. The reader never fails or hangs on them, keeps at most what it received, and
// takes the code from the first three bytes.
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
    char code[4] = {};
    text.copy(code, 3);
    int scanned = 0;
    Check(probe.ReadCommandResponse(250) ==
          (std::sscanf(code, "%d", &scanned) == 1 && scanned == 250));
    Check(probe.GetLastReply().size() <= text.size());
    close(ends[0]), close(ends[1]);
}

// The message as a whole: job fields (the input's first lines, as a job file gives them: no line
// ends) and a body (the rest) composed as they go out. The data holds no bare CR or LF, and
// CR LF . CR LF only at its end; with its doubled dots undone, as a server reads it, the body is
// the one given.
void MessageFuzz(const std::string& input) {
    std::string text = input, fields[5];
    for (std::string& field : fields) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        field = text.substr(0, std::min(end, text.find_first_of(std::string("\r\0", 2))));
        text.erase(0, std::min(end + 1, text.size()));
    }
    CSmtpMessage message;
    message.m_Sender = CSmtpAddress(fields[0], fields[1]);
    message.ParseRecipients(fields[2], RECIPIENT_TO);
    message.ParseRecipients(fields[3], RECIPIENT_CC);
    message.m_strSubject = fields[4];
    message.AssignBody(text);
    const std::string body = ConvertBodyForWire(message.m_strBody);
    const std::string data = message.BuildHeader() + body;
    Check((data + "\r\n.\r\n").find("\r\n.\r\n") == data.size());
    std::string read;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (body[i] != '.' || (i > 0 && body[i - 1] != '\n')) read += body[i];
    Check(read == ConvertBodyForWire(text));
    for (std::size_t i = 0; i < data.size(); ++i)  // no bare CR or LF
        Check((data[i] != '\r' || data.compare(i, 2, "\r\n") == 0) &&
              (data[i] != '\n' || (i > 0 && data[i - 1] == '\r')));
}

// Runs in a fresh folder with a file where the error log's folder would go, so the targets that
// write log entries pile nothing up on disk.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/fernpost-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0 || std::system("touch log") != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FUZZ_TARGET(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

#ifdef FUZZ_REPLAY
int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (const auto& file : std::filesystem::directory_iterator(argv[argc - 1])) {
        std::ifstream in(file.path(), std::ios::binary);
        FUZZ_TARGET(std::string(std::istreambuf_iterator<char>(in), {}));
        ++inputs;
    }
    std::filesystem::remove_all(std::filesystem::current_path());  // the folder made above
    std::printf("%d inputs replayed\n", inputs);
    return inputs > 0 ? 0 : 1;
}
#endif
