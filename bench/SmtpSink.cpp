// The receiving end of scripts/bench: an SMTP server on 127.0.0.1 that answers every command
// with success and throws the mail data away, reading it in large blocks and looking only at the
// last bytes of each read for the end-of-data mark, so that it takes data at memory speed and does
// not measure itself. With --discard it is a plain TCP reader instead: each connection is read to
// its end and dropped. It serves one connection after another until killed, and appends one line
// per mail (or connection) to the report file: the number of data bytes received.
//
// Usage: smtp_sink PORT REPORT_FILE [--discard]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One read takes up to this much: large enough that the system call costs nothing beside the
// copy, small enough to stay in the cache.
constexpr std::size_t READ_BLOCK = std::size_t{1} << 20;
// Connections the kernel may hold waiting while one is served.
constexpr int LISTEN_BACKLOG = 16;
// The end of the mail data, and its length.
constexpr char END_MARK[] = "\r\n.\r\n";
constexpr std::size_t END_MARK_LENGTH = sizeof END_MARK - 1;
// Characters of a command that decide the reply ("DATA", "QUIT", "EHLO"...).
constexpr std::size_t VERB_LENGTH = 4;

bool SendText(int fd, const char* text) {
    std::size_t length = std::strlen(text);
    return send(fd, text, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

// Reads the data of one mail up to the end mark; the number of bytes, or -1 when the client left.
// Only the last five bytes seen are kept: dot-stuffed data holds the mark nowhere but at its end,
// and the client sends nothing after it before the reply.
long long ReadMailData(int fd, std::vector<char>& block) {
    char tail[END_MARK_LENGTH] = {'\r', '\n', 0, 0, 0};  // DATA's line end counts for ".\r\n"
    std::size_t tailLength = 2;
    long long total = 0;
    for (;;) {
        ssize_t got = recv(fd, block.data(), block.size(), 0);
        if (got <= 0) return -1;
        total += got;
        std::size_t n = static_cast<std::size_t>(got);
        if (n >= END_MARK_LENGTH) {
            std::memcpy(tail, block.data() + n - END_MARK_LENGTH, END_MARK_LENGTH);
            tailLength = END_MARK_LENGTH;
        } else {
            std::string joined = std::string(tail, tailLength) + std::string(block.data(), n);
            tailLength = std::min(joined.size(), END_MARK_LENGTH);
            std::memcpy(tail, joined.data() + joined.size() - tailLength, tailLength);
        }
        if (tailLength == END_MARK_LENGTH && std::memcmp(tail, END_MARK, END_MARK_LENGTH) == 0)
            return total;
    }
}

// Answers one SMTP session; each mail's data size goes to the report.
void ServeSmtp(int fd, std::vector<char>& block, std::FILE* report) {
    if (!SendText(fd, "220 sink ESMTP\r\n")) return;
    std::string pending;
    for (;;) {
        std::size_t end;
        while ((end = pending.find("\r\n")) == std::string::npos) {
            ssize_t got = recv(fd, block.data(), block.size(), 0);
            if (got <= 0) return;
            pending.append(block.data(), static_cast<std::size_t>(got));
        }
        std::string verb = pending.substr(0, std::min(end, VERB_LENGTH));
        pending.erase(0, end + 2);
        for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (verb == "QUIT") {
            SendText(fd, "221 bye\r\n");
            return;
        }
        if (verb != "DATA") {
            if (!SendText(fd, "250 ok\r\n")) return;
            continue;
        }
        if (!SendText(fd, "354 go ahead\r\n")) return;
        long long bytes = ReadMailData(fd, block);
        if (bytes < 0) return;
        std::fprintf(report, "%lld\n", bytes);
        std::fflush(report);
        if (!SendText(fd, "250 ok: discarded\r\n")) return;
    }
}

// Reads one connection to its end; the byte count goes to the report.
void ServeDiscard(int fd, std::vector<char>& block, std::FILE* report) {
    long long total = 0;
    ssize_t got;
    while ((got = recv(fd, block.data(), block.size(), 0)) > 0) total += got;
    std::fprintf(report, "%lld\n", total);
    std::fflush(report);
}

int Listen(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, LISTEN_BACKLOG) != 0) {
        std::perror("smtp_sink: cannot listen");
        std::exit(1);
    }
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: smtp_sink PORT REPORT_FILE [--discard]\n");
        return 2;
    }
    const bool discard = argc > 3 && std::strcmp(argv[3], "--discard") == 0;
    std::FILE* report = std::fopen(argv[2], "a");
    if (report == nullptr) {
        std::perror("smtp_sink: cannot open the report file");
        return 1;
    }
    int listener = Listen(std::atoi(argv[1]));
    std::vector<char> block(READ_BLOCK);
    for (;;) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        if (discard) {
            ServeDiscard(fd, block, report);
        } else {
            ServeSmtp(fd, block, report);
        }
        close(fd);
    }
}
