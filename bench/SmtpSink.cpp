// The receiving end of scripts/bench: an SMTP server on 127.0.0.1 that answers every command
// with success and throws the mail data away, reading it in large blocks and looking only at the
// last bytes of each read for the end-of-data mark, so that it takes data at memory speed and does
// not measure itself. With --discard it is a plain TCP reader instead: each connection is read to
// its end and dropped. It serves one connection after another until killed, and appends one line
// per mail (or connection) to the report file: the number of data bytes received. With --tls CERT
// KEY it offers STARTTLS (RFC 3207) in its EHLO reply and, after it, reads and answers through
// OpenSSL with that certificate and key, so that senders can be timed over TLS as well.
//
// Usage: smtp_sink PORT REPORT_FILE [--discard | --tls CERT KEY]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
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

// One client connection: plain until STARTTLS, then through `tls`.
struct Connection {
    int fd;
    SSL* tls = nullptr;
    ~Connection() {
        if (tls != nullptr) SSL_shutdown(tls);  // close_notify, as a clean TLS end
        SSL_free(tls);
    }
    // Up to `size` bytes; 0 or less when the client left (TLS: at most one record a call).
    ssize_t Receive(char* data, std::size_t size) {
        if (tls == nullptr) return recv(fd, data, size, 0);
        return SSL_read(tls, data, static_cast<int>(std::min<std::size_t>(size, INT32_MAX)));
    }
};

bool SendText(Connection& connection, const char* text) {
    std::size_t length = std::strlen(text);
    if (connection.tls != nullptr)
        return SSL_write(connection.tls, text, static_cast<int>(length)) ==
               static_cast<int>(length);
    return send(connection.fd, text, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

// Reads the data of one mail up to the end mark; the number of bytes, or -1 when the client left.
// Only the last five bytes seen are kept: dot-stuffed data holds the mark nowhere but at its end,
// and the client sends nothing after it before the reply.
long long ReadMailData(Connection& connection, std::vector<char>& block) {
    char tail[END_MARK_LENGTH] = {'\r', '\n', 0, 0, 0};  // DATA's line end counts for ".\r\n"
    std::size_t tailLength = 2;
    long long total = 0;
    for (;;) {
        ssize_t got = connection.Receive(block.data(), block.size());
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

// Answers one SMTP session, offering STARTTLS when `context` is set; each mail's data size goes
// to the report.
void ServeSmtp(int fd, SSL_CTX* context, std::vector<char>& block, std::FILE* report) {
    Connection connection{fd};
    if (!SendText(connection, "220 sink ESMTP\r\n")) return;
    std::string pending;
    for (;;) {
        std::size_t end;
        while ((end = pending.find("\r\n")) == std::string::npos) {
            ssize_t got = connection.Receive(block.data(), block.size());
            if (got <= 0) return;
            pending.append(block.data(), static_cast<std::size_t>(got));
        }
        std::string verb = pending.substr(0, std::min(end, VERB_LENGTH));
        pending.erase(0, end + 2);
        for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const bool offerTls = context != nullptr && connection.tls == nullptr;
        if (verb == "QUIT") {
            SendText(connection, "221 bye\r\n");
            return;
        }
        if (verb == "EHLO" && offerTls) {
            if (!SendText(connection, "250-sink\r\n250 STARTTLS\r\n")) return;
            continue;
        }
        if (verb == "STAR" && offerTls) {  // STARTTLS; anything sent with it is an error
            if (!pending.empty() || !SendText(connection, "220 ready\r\n")) return;
            connection.tls = SSL_new(context);
            if (connection.tls == nullptr || !SSL_set_fd(connection.tls, fd) ||
                SSL_accept(connection.tls) != 1) {
                ERR_print_errors_fp(stderr);
                return;
            }
            continue;
        }
        if (verb != "DATA") {
            if (!SendText(connection, "250 ok\r\n")) return;
            continue;
        }
        if (!SendText(connection, "354 go ahead\r\n")) return;
        long long bytes = ReadMailData(connection, block);
        if (bytes < 0) return;
        std::fprintf(report, "%lld\n", bytes);
        std::fflush(report);
        if (!SendText(connection, "250 ok: discarded\r\n")) return;
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

// The server side of TLS with the certificate chain and key of the given PEM files, or null.
SSL_CTX* TlsContext(const char* certificate, const char* key) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr || SSL_CTX_use_certificate_chain_file(context, certificate) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, key, SSL_FILETYPE_PEM) != 1) {
        ERR_print_errors_fp(stderr);
        SSL_CTX_free(context);
        return nullptr;
    }
    return context;
}

}  // namespace

int main(int argc, char** argv) {
    const bool discard = argc == 4 && std::strcmp(argv[3], "--discard") == 0;
    const bool tls = argc == 6 && std::strcmp(argv[3], "--tls") == 0;
    if (argc != 3 && !discard && !tls) {
        std::fprintf(stderr, "usage: smtp_sink PORT REPORT_FILE [--discard | --tls CERT KEY]\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a client that left ends its connection, not the sink
    SSL_CTX* context = tls ? TlsContext(argv[4], argv[5]) : nullptr;
    if (tls && context == nullptr) return 1;
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
            ServeSmtp(fd, context, block, report);
        }
        close(fd);
    }
}
